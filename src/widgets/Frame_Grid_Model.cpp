#include "widgets/Frame_Grid_Model.h"

#include "lang/Lang_Table.h"
#include "platform/Int_Text.h"
#include "platform/Xml_Document.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

Frame_Grid_Model::Frame_Grid_Model(const Frame_List_Kind &kind, QObject *parent)
    : QAbstractTableModel(parent), kind_(kind), grid_(Empty_Frame_Grid()),
      // English until the editor gives the texts of its language.
      checked_text_(QString::fromUtf16(Lang_Default_Texts[STR_Cell_Checked])),
      not_checked_text_(QString::fromUtf16(Lang_Default_Texts[STR_Cell_Not_Checked]))
{
}

int Frame_Grid_Model::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Max_Frame_Entries;
}

int Frame_Grid_Model::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(kind_.Columns.size());
}

QString Frame_Grid_Model::Cell(int Num_Row, int column) const
{
    if (Num_Row < 1 || Num_Row > Max_Frame_Entries || column < 0 || column >= columnCount())
        return QString();
    const Frame_Column &c = Column(column);
    return c.Field ? grid_[Num_Row - 1].*c.Field : QString::number(Num_Row);
}

QVariant Frame_Grid_Model::data(const QModelIndex &index, int role) const
{
    if (!index.isValid()) return QVariant();
    const Frame_Column &c = Column(index.column());
    const QString text = Cell(index.row() + 1, index.column());
    switch (c.Kind) {
    case Frame_Column_Kind::Check:
        // The square shows the flag and the text stays for the file; a screen reader says
        // whether the box is ticked, as it would of any check box.
        if (role == Qt::CheckStateRole) return Is_Checked(text) ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::EditRole) return text;
        if (role == Qt::AccessibleTextRole) return Is_Checked(text) ? checked_text_ : not_checked_text_;
        return QVariant();
    case Frame_Column_Kind::Row_Number:
        if (role == Qt::DisplayRole) return text;
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
        return QVariant();
    case Frame_Column_Kind::Text:
    case Frame_Column_Kind::Type:
        if (role == Qt::DisplayRole || role == Qt::EditRole) return text;
        if ((role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) && c.Field == &Frame_Row::CobID &&
            !reading_tip_.isEmpty()) {
            const QString reading = Device_Reading(grid_[index.row()]);
            return reading.isEmpty() ? QVariant() : QVariant(reading_tip_.arg(reading));
        }
        return QVariant();
    }
    return QVariant();
}

bool Frame_Grid_Model::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid()) return false;
    const Frame_Column &c = Column(index.column());
    if (!c.Field) return false;
    QString text;
    if (c.Kind == Frame_Column_Kind::Check && role == Qt::CheckStateRole)
        text = value.toInt() == Qt::Checked ? QStringLiteral("Y") : QStringLiteral("N");
    else if (c.Kind != Frame_Column_Kind::Check && role == Qt::EditRole)
        text = value.toString();
    else
        return false;
    if (!Xml_Storable(text)) {
        emit Text_Refused(text);
        return false;
    }
    QString &cell = grid_[index.row()].*c.Field;
    if (cell == text) return true;
    cell = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags Frame_Grid_Model::flags(const QModelIndex &index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    switch (Column(index.column()).Kind) {
    case Frame_Column_Kind::Row_Number: return Qt::ItemIsEnabled;
    case Frame_Column_Kind::Check: return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    case Frame_Column_Kind::Text:
    case Frame_Column_Kind::Type: return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }
    return Qt::NoItemFlags;
}

QVariant Frame_Grid_Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < titles_.size())
        return titles_[section];
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) return section + 1;
    return QVariant();
}

void Frame_Grid_Model::Set_Grid(Frame_Grid grid)
{
    beginResetModel();
    grid_ = std::move(grid);
    grid_.resize(Max_Frame_Entries);
    endResetModel();
}

void Frame_Grid_Model::Set_Check_Texts(const QString &checked, const QString &not_checked)
{
    checked_text_ = checked;
    not_checked_text_ = not_checked;
    for (int c = 0; c < columnCount(); ++c)
        if (Column(c).Kind == Frame_Column_Kind::Check)
            emit dataChanged(index(0, c), index(rowCount() - 1, c), {Qt::AccessibleTextRole});
}

void Frame_Grid_Model::Set_Titles(const QStringList &titles)
{
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void Frame_Grid_Model::Rows_Changed(int first_row, int last_row)
{
    emit dataChanged(index(first_row - 1, 0), index(last_row - 1, columnCount() - 1));
}

namespace {

bool Blank(const Frame_List_Kind &kind, const Frame_Row &row)
{
    for (const Frame_Column &c : kind.Columns)
        if (c.Field && !Int_Text::Trim(row.*c.Field).isEmpty()) return false;
    return true;
}

}  // namespace

bool Frame_Grid_Model::Tab_Goes_On_Below(int row) const
{
    return row >= 0 && row + 1 < grid_.size() && Is_Entry(grid_[row]) && !Is_Entry(grid_[row + 1]);
}

bool Frame_Grid_Model::Tab_Leaves_Blank_Row(int row) const
{
    return row >= 1 && row < grid_.size() && Blank(kind_, grid_[row]) && Is_Entry(grid_[row - 1]);
}

bool Frame_Grid_Model::Backtab_Goes_Back_Above(int row) const
{
    return row >= 1 && row < grid_.size() && !Is_Entry(grid_[row]) && Is_Entry(grid_[row - 1]);
}

bool Frame_Grid_Model::Insert_Row(int Num_Row)
{
    if (!::Insert_Row(grid_, Num_Row)) return false;
    Rows_Changed(Num_Row, Max_Frame_Entries);
    return true;
}

void Frame_Grid_Model::Delete_Row(int Num_Row)
{
    if (Num_Row < 1 || Num_Row > Max_Frame_Entries) return;
    ::Delete_Row(grid_, Num_Row);
    Rows_Changed(Num_Row, Max_Frame_Entries);
}

Frame_Grid_Delegate::Frame_Grid_Delegate(const Frame_List_Kind &kind, QAbstractItemView *view)
    : QStyledItemDelegate(view), kind_(kind)
{
}

Frame_Column_Kind Frame_Grid_Delegate::Kind_Of(const QModelIndex &index) const
{
    return kind_.Columns[index.column()].Kind;
}

namespace {

bool Is_Tab(const QKeyEvent *key) { return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab; }

bool Is_Forward_Tab(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
}

// The Type cell's drop-down list. Tab in the open list takes the highlighted type and goes on
// to the next field, as Tab does in every other cell.
class Type_Combo : public QComboBox {
    Q_OBJECT
public:
    explicit Type_Combo(QWidget *parent) : QComboBox(parent) { view()->installEventFilter(this); }

signals:
    void Tabbed(bool forward, bool leave);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == view() && event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (Is_Tab(key)) {
                const QModelIndex highlighted = view()->currentIndex();
                if (highlighted.isValid()) setCurrentIndex(highlighted.row());
                hidePopup();
                emit Tabbed(Is_Forward_Tab(key), key->modifiers().testFlag(Qt::ControlModifier));
                return true;
            }
        }
        return QComboBox::eventFilter(watched, event);
    }
};

}  // namespace

QWidget *Frame_Grid_Delegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                           const QModelIndex &index) const
{
    if (Kind_Of(index) != Frame_Column_Kind::Type)
        return QStyledItemDelegate::createEditor(parent, option, index);

    auto *combo = new Type_Combo(parent);
    combo->setObjectName(QStringLiteral("CB_Type"));
    combo->setAccessibleName(QStringLiteral("Type"));
    combo->addItems({Frame_Type_11, Frame_Type_29});
    Frame_Grid_Delegate *self = const_cast<Frame_Grid_Delegate *>(this);
    // Picking an item is the whole edit: store it and leave the cell at once.
    connect(combo, &QComboBox::activated, this, [self, combo](int) {
        emit self->commitData(combo);
        emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
    });
    connect(combo, &Type_Combo::Tabbed, this, [self, combo](bool forward, bool leave) {
        emit self->commitData(combo);
        if (leave) {
            emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
            if (auto *view = qobject_cast<Frame_Grid_View *>(self->parent())) view->Leave(forward);
            return;
        }
        emit self->closeEditor(combo, forward ? QAbstractItemDelegate::EditNextItem
                                              : QAbstractItemDelegate::EditPreviousItem);
    });
    // Open the list straight away: one action to pick the type.
    QTimer::singleShot(0, combo, &QComboBox::showPopup);
    return combo;
}

bool Frame_Grid_Delegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && Is_Tab(key) && (key->modifiers() & Qt::ControlModifier)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            if (auto *view = qobject_cast<Frame_Grid_View *>(parent())) view->Leave(Is_Forward_Tab(key));
            return true;
        }
        // Shift+Tab may come as Tab with Shift held rather than as Backtab; either goes back.
        if (editor && key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier)) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::EditPreviousItem);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void Frame_Grid_Delegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        // A text other than the two items (typed into the file by hand) selects nothing and is
        // kept unless the user picks an item.
        combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString(), Qt::MatchExactly));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void Frame_Grid_Delegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                       const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() >= 0) model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void Frame_Grid_Delegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (Kind_Of(index) == Frame_Column_Kind::Row_Number) {
        // The fixed column looks like the header it continues.
        option->backgroundBrush = option->palette.button();
        option->palette.setBrush(QPalette::Text, option->palette.buttonText());
    }
}

QRect Frame_Grid_Delegate::Check_Rect(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    QRect rect = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
    rect.moveCenter(option.rect.center());
    return rect;
}

void Frame_Grid_Delegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    if (Kind_Of(index) != Frame_Column_Kind::Check) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect check = Check_Rect(option, index);

    // The cell (background, selection, focus) without its own indicator, then the indicator
    // in the middle of the cell.
    const Qt::CheckState state = opt.checkState;
    opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QStyleOptionViewItem box = opt;
    box.rect = check;
    box.state &= ~QStyle::State_HasFocus;
    box.state |= state == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
}

bool Frame_Grid_Delegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                      const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (Kind_Of(index) != Frame_Column_Kind::Check)
        return QStyledItemDelegate::editorEvent(event, model, option, index);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton ||
            !Check_Rect(option, index).contains(mouse->position().toPoint()))
            return false;  // a click beside the square selects the cell as usual
        if (event->type() != QEvent::MouseButtonRelease) return true;
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
        break;
    }
    default:
        return false;
    }
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

Frame_Grid_View::Frame_Grid_View(QWidget *parent) : QTableView(parent)
{
    setTabKeyNavigation(true);
}

void Frame_Grid_View::Leave(bool forward)
{
    // Past the grid's own Tab handling, straight to the widget after (or before) it.
    QAbstractScrollArea::focusNextPrevChild(forward);
}

QModelIndex Frame_Grid_View::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (!model()) return QModelIndex();
    const QModelIndex current = currentIndex();
    const int last = model()->columnCount() - 1;
    const auto *grid = qobject_cast<const Frame_Grid_Model *>(model());
    switch (action) {
    case MoveNext:
        if (!current.isValid()) return model()->index(0, First_Field);
        if (grid && current.column() <= First_Field && grid->Tab_Leaves_Blank_Row(current.row())) return QModelIndex();
        if (current.column() >= last) {
            // On from the last frame to the row that takes the next one; otherwise Tab leaves.
            if (grid && grid->Tab_Goes_On_Below(current.row())) return model()->index(current.row() + 1, First_Field);
            return QModelIndex();
        }
        return current.siblingAtColumn(std::max(current.column() + 1, First_Field));
    case MovePrevious:
        if (!current.isValid()) return model()->index(0, last);
        if (current.column() <= First_Field) {
            if (grid && grid->Backtab_Goes_Back_Above(current.row())) return model()->index(current.row() - 1, last);
            return QModelIndex();  // Shift+Tab leaves the grid
        }
        return current.siblingAtColumn(current.column() - 1);
    default: {
        // The arrows, Home and End never stop on a row number either.
        const QModelIndex index = QTableView::moveCursor(action, modifiers);
        if (index.isValid() && index.column() < First_Field) return index.siblingAtColumn(First_Field);
        return index;
    }
    }
}

void Frame_Grid_View::keyPressEvent(QKeyEvent *event)
{
    // Ctrl+Tab does not come through the focus chain: the grid would take it as a plain Tab.
    if (Is_Tab(event) && (event->modifiers() & Qt::ControlModifier)) {
        Leave(Is_Forward_Tab(event));
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void Frame_Grid_View::focusInEvent(QFocusEvent *event)
{
    // Coming back into the grid (by Tab, or after a click on a row number) puts the cursor on a
    // field, never on a row number.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() < First_Field)
        selectionModel()->setCurrentIndex(current.siblingAtColumn(First_Field), QItemSelectionModel::ClearAndSelect);
    QTableView::focusInEvent(event);
}

void Frame_Grid_View::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab in the last field's editor (Shift+Tab in the first) closes it and leaves the grid at
    // once, as it does when no editor is open.
    const bool next = hint == QAbstractItemDelegate::EditNextItem;
    if ((next || hint == QAbstractItemDelegate::EditPreviousItem) &&
        !moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier).isValid()) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        Leave(next);
        return;
    }
    QTableView::closeEditor(editor, hint);
}

#include "Frame_Grid_Model.moc"
