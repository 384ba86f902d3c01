#include "widgets/Table_Accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

namespace {

constexpr char Editable_Cells_Property[] = "qcx_editable_cells";

class Table_Access;

// One cell, or one header cell (row or column -1), of a table.
class Cell_Access : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    Cell_Access(QTableView *view, int row, int column) : view_(view), row_(row), column_(column)
    {
        if (row >= 0 && column >= 0) index_ = view->model()->index(row, column);
    }

    bool isValid() const override
    {
        if (!view_ || !view_->model()) return false;
        if (row_ < 0) return column_ >= 0 && column_ < view_->model()->columnCount();
        if (column_ < 0) return row_ < view_->model()->rowCount();
        return index_.isValid();
    }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(view_); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QAccessible::Role role() const override
    {
        if (row_ < 0) return QAccessible::ColumnHeader;
        if (column_ < 0) return QAccessible::RowHeader;
        return QAccessible::Cell;
    }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid()) return {};
        const QAbstractItemModel *model = view_->model();
        const int role = t == QAccessible::Name ? Qt::AccessibleTextRole
                         : t == QAccessible::Description ? Qt::AccessibleDescriptionRole
                                                         : -1;
        if (role < 0) return {};
        QString value;
        if (row_ < 0 || column_ < 0) {
            const Qt::Orientation o = row_ < 0 ? Qt::Horizontal : Qt::Vertical;
            const int section = row_ < 0 ? column_ : row_;
            value = model->headerData(section, o, role).toString();
            if (value.isEmpty() && t == QAccessible::Name) value = model->headerData(section, o, Qt::DisplayRole).toString();
            return value;
        }
        value = model->data(index_, role).toString();
        if (value.isEmpty() && t == QAccessible::Name) value = model->data(index_, Qt::DisplayRole).toString();
        return value;
    }

    void setText(QAccessible::Text t, const QString &text) override
    {
        // A value typed by an assistive tool goes where typing goes: into an editable cell.
        if (t != QAccessible::Name && t != QAccessible::Value) return;
        if (!isValid() || row_ < 0 || column_ < 0 || !(index_.flags() & Qt::ItemIsEditable)) return;
        view_->model()->setData(index_, text);
    }

    QRect rect() const override
    {
        if (!isValid()) return {};
        QRect r;
        if (row_ < 0) {
            const QHeaderView *h = view_->horizontalHeader();
            r = QRect(h->sectionViewportPosition(column_), 0, h->sectionSize(column_), h->height());
            return QRect(h->viewport()->mapToGlobal(r.topLeft()), r.size());
        }
        if (column_ < 0) {
            const QHeaderView *h = view_->verticalHeader();
            r = QRect(0, h->sectionViewportPosition(row_), h->width(), h->sectionSize(row_));
            return QRect(h->viewport()->mapToGlobal(r.topLeft()), r.size());
        }
        r = view_->visualRect(index_);
        return QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid()) return st;
        if (row_ < 0 || column_ < 0) {
            const QHeaderView *h = row_ < 0 ? view_->horizontalHeader() : view_->verticalHeader();
            st.invisible = h->isHidden();
            return st;
        }
        const QRect global(view_->mapToGlobal(QPoint(0, 0)), view_->size());
        if (!global.intersects(rect())) st.invisible = true;
        if (view_->selectionModel()->isSelected(index_)) st.selected = true;
        if (view_->selectionModel()->currentIndex() == index_) st.focused = true;
        const QVariant check = index_.data(Qt::CheckStateRole);
        const Qt::ItemFlags flags = index_.flags();
        if (check.isValid() && (flags & Qt::ItemIsUserCheckable)) st.checkable = true;
        if (check.toInt() == Qt::Checked) st.checked = true;
        if (flags & Qt::ItemIsSelectable) {
            st.selectable = true;
            st.focusable = true;
            if (view_->selectionMode() == QAbstractItemView::MultiSelection) st.multiSelectable = true;
            if (view_->selectionMode() == QAbstractItemView::ExtendedSelection) st.extSelectable = true;
        }
        // What Qt leaves out: whether the cell takes a value.
        if (flags & Qt::ItemIsEditable)
            st.editable = true;
        else
            st.readOnly = true;
        if (!(flags & Qt::ItemIsEnabled)) st.disabled = true;
        return st;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    // The cell's place in the table.
    bool isSelected() const override { return isValid() && row_ >= 0 && column_ >= 0 && view_->selectionModel()->isSelected(index_); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    int columnIndex() const override { return column_ >= 0 ? column_ : 0; }
    int rowIndex() const override { return row_ >= 0 ? row_ : 0; }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override;
    QAccessibleInterface *table() const override { return parent(); }

    int Row() const { return row_; }
    int Column() const { return column_; }

private:
    QPointer<QTableView> view_;
    QPersistentModelIndex index_;
    int row_;
    int column_;
};

class Table_Access : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit Table_Access(QTableView *view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~Table_Access() override { Forget_Cells(); }

    QTableView *View() const { return static_cast<QTableView *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Children as Qt numbers them (its focus events name the cell by this number): the column
    // headers first when shown, each row led by its row header when shown.
    int Header_Row() const { return View()->horizontalHeader()->isHidden() ? 0 : 1; }
    int Header_Column() const { return View()->verticalHeader()->isHidden() ? 0 : 1; }
    int Columns() const { return View()->model() ? View()->model()->columnCount() : 0; }
    int Rows() const { return View()->model() ? View()->model()->rowCount() : 0; }

    int childCount() const override { return (Rows() + Header_Row()) * (Columns() + Header_Column()); }

    QAccessibleInterface *child(int logical) const override
    {
        if (logical < 0 || logical >= childCount()) return nullptr;
        const int width = Columns() + Header_Column();
        const int row = logical / width - Header_Row();
        const int column = logical % width - Header_Column();
        if (row < 0 && column < 0) return nullptr;  // the corner holds nothing
        return Cell(row, column, logical);
    }

    int indexOfChild(const QAccessibleInterface *iface) const override
    {
        for (auto it = cells_.cbegin(); it != cells_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == iface) return it.key();
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint at = View()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = View()->indexAt(at);
        return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
    }

    QAccessibleInterface *focusChild() const override
    {
        const QModelIndex index = View()->currentIndex();
        return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || row >= Rows() || column >= Columns()) return nullptr;
        return Cell(row, column, (row + Header_Row()) * (Columns() + Header_Column()) + column + Header_Column());
    }
    int columnCount() const override { return Columns(); }
    int rowCount() const override { return Rows(); }
    QString columnDescription(int column) const override
    {
        return View()->model()->headerData(column, Qt::Horizontal).toString();
    }
    QString rowDescription(int row) const override { return View()->model()->headerData(row, Qt::Vertical).toString(); }

    int selectedCellCount() const override { return int(View()->selectionModel()->selectedIndexes().size()); }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        for (const QModelIndex &i : View()->selectionModel()->selectedIndexes()) cells << cellAt(i.row(), i.column());
        return cells;
    }
    int selectedColumnCount() const override { return int(selectedColumns().size()); }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<int> selectedColumns() const override
    {
        QList<int> columns;
        for (const QModelIndex &i : View()->selectionModel()->selectedColumns()) columns << i.column();
        return columns;
    }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        for (const QModelIndex &i : View()->selectionModel()->selectedRows()) rows << i.row();
        return rows;
    }
    bool isColumnSelected(int column) const override { return View()->selectionModel()->isColumnSelected(column, {}); }
    bool isRowSelected(int row) const override { return View()->selectionModel()->isRowSelected(row, {}); }
    bool selectRow(int row) override
    {
        View()->selectRow(row);
        return true;
    }
    bool selectColumn(int column) override
    {
        View()->selectColumn(column);
        return true;
    }
    bool unselectRow(int row) override
    {
        const QModelIndex index = View()->model()->index(row, 0);
        View()->selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool unselectColumn(int column) override
    {
        const QModelIndex index = View()->model()->index(0, column);
        View()->selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Columns);
        return true;
    }

    // Rows or columns came or went: every number may name another cell now.
    void modelChange(QAccessibleTableModelChangeEvent *) override { Forget_Cells(); }

private:
    QAccessibleInterface *Cell(int row, int column, int logical) const
    {
        if (const auto it = cells_.constFind(logical); it != cells_.cend()) {
            auto *cell = static_cast<Cell_Access *>(QAccessible::accessibleInterface(it.value()));
            if (cell && cell->isValid() && cell->Row() == row && cell->Column() == column) return cell;
            QAccessible::deleteAccessibleInterface(it.value());
            cells_.remove(logical);
        }
        auto *cell = new Cell_Access(View(), row, column);
        cells_.insert(logical, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    void Forget_Cells()
    {
        for (const QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable QHash<int, QAccessible::Id> cells_;
};

QList<QAccessibleInterface *> Cell_Access::columnHeaderCells() const
{
    auto *t = static_cast<Table_Access *>(table());
    if (!t || !view_ || view_->horizontalHeader()->isHidden() || column_ < 0) return {};
    return {t->child(column_ + t->Header_Column())};
}

QList<QAccessibleInterface *> Cell_Access::rowHeaderCells() const
{
    auto *t = static_cast<Table_Access *>(table());
    if (!t || !view_ || view_->verticalHeader()->isHidden() || row_ < 0) return {};
    return {t->child((row_ + t->Header_Row()) * (t->Columns() + t->Header_Column()))};
}

QAccessibleInterface *Editable_Cells_Factory(const QString &, QObject *object)
{
    auto *view = qobject_cast<QTableView *>(object);
    if (view && view->property(Editable_Cells_Property).toBool()) return new Table_Access(view);
    return nullptr;
}

}  // namespace

void Describe_Editable_Cells(QTableView *table)
{
    static const bool installed = [] {
        QAccessible::installFactory(Editable_Cells_Factory);
        return true;
    }();
    Q_UNUSED(installed);
    table->setProperty(Editable_Cells_Property, true);
}
