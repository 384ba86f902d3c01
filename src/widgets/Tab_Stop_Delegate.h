#pragma once
// Draws a list's lines with tab stops, so that a column of values (a frame's dimension after
// its identifier) lines up under its heading. The distance is in dialog units: a quarter of
// the font's average character width, so the column moves with the font.
#include <QStyledItemDelegate>

class QAbstractItemView;

class Tab_Stop_Delegate : public QStyledItemDelegate {
public:
    Tab_Stop_Delegate(QAbstractItemView *view, int dialog_units);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // As wide as the line is drawn, so the view scrolls as far as the longest line needs and no
    // farther (the base class measures with its own tab stops).
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    qreal Tab_Distance(const QStyleOptionViewItem &option) const;

    int dialog_units_;
};
