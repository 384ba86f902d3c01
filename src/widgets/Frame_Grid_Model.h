#pragma once
// The frame list grid: a table model over the 250 rows of Frame_List.h, the delegate that
// gives the Type column its drop-down list and the flag columns their check boxes, and the view
// that the keyboard walks through.
#include "editing/Frame_List.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableView>

class QAbstractItemView;

class Frame_Grid_Model : public QAbstractTableModel {
    Q_OBJECT
public:
    Frame_Grid_Model(const Frame_List_Kind &kind, QObject *parent);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const Frame_List_Kind &Kind() const { return kind_; }
    const Frame_Grid &Grid() const { return grid_; }
    // Replaces every row (the grid always keeps its 250 rows).
    void Set_Grid(Frame_Grid grid);
    void Set_Titles(const QStringList &titles);
    // The tooltip of a Cob-ID cell: a text with %1 for how the device reads the identifier.
    void Set_Reading_Tip(const QString &tip) { reading_tip_ = tip; }
    // What a screen reader says of a check-box cell, in the language in use: the file's "Y" and
    // "N" mean nothing to a listener.
    void Set_Check_Texts(const QString &checked, const QString &not_checked);
    // The cell's text as the file receives it (grid row 1..250).
    QString Cell(int Num_Row, int column) const;

    bool Insert_Row(int Num_Row);
    void Delete_Row(int Num_Row);

    // Where Tab goes beyond a row (row is the model's row, from 0). The row below a frame that
    // has no frame yet is where the next one is typed, so Tab from the frame's last field goes on
    // to it; Tab from the first field of that row, still blank, leaves the grid, and Shift+Tab
    // from there goes back to the frame. Elsewhere the row's ends leave the grid.
    bool Tab_Goes_On_Below(int row) const;
    bool Tab_Leaves_Blank_Row(int row) const;
    bool Backtab_Goes_Back_Above(int row) const;

signals:
    // A typed or pasted text was refused because a configuration file cannot store one of its
    // characters; the cell keeps its text.
    void Text_Refused(const QString &text);

private:
    const Frame_Column &Column(int column) const { return kind_.Columns[column]; }
    void Rows_Changed(int first_row, int last_row);

    const Frame_List_Kind &kind_;
    Frame_Grid grid_;
    QStringList titles_;
    QString reading_tip_;
    QString checked_text_;
    QString not_checked_text_;
};

class Frame_Grid_Delegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    Frame_Grid_Delegate(const Frame_List_Kind &kind, QAbstractItemView *view);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    // Ctrl+Tab leaves the grid from an open editor as well.
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    Frame_Column_Kind Kind_Of(const QModelIndex &index) const;
    // The check box's square, centred in the cell.
    QRect Check_Rect(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    const Frame_List_Kind &kind_;
};

// The grid as the keyboard walks it. Tab moves along the row's fields, never onto the row
// numbers; from the last field of a row it leaves the grid for the buttons, and Shift+Tab from
// the first field leaves it backwards, so the buttons are a key away wherever the user types.
// Only the last frame of a run goes on to the empty row below it (see Tab_Goes_On_Below), so
// that the next frame is a key away as well.
// Ctrl+Tab and Ctrl+Shift+Tab leave the grid from any cell. The arrows move between rows.
class Frame_Grid_View : public QTableView {
    Q_OBJECT
public:
    explicit Frame_Grid_View(QWidget *parent);

    // Moves the focus to the next (or previous) control after the grid.
    void Leave(bool forward);
    // The first column the user types into.
    static constexpr int First_Field = 1;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

protected slots:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
};
