#pragma once
// Cells whose text wraps to the column's width, breaking between words where it can and inside
// a long word (a path, an identifier list) where it must, so no part of it is cut at the edge;
// the row is as high as its tallest cell needs.
#include <QStyledItemDelegate>

class QTableView;

class Wrapping_Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The height the text of the cell needs at the given width of its column.
    int Text_Height(const QStyleOptionViewItem &option, const QModelIndex &index, int column_width) const;
};

// Gives the table wrapping cells whose rows follow the columns' widths: when a column is
// resized (the window grows or shrinks), the rows are measured again.
void Wrap_Cells(QTableView *table);
