#include "widgets/Tab_Stop_Delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QTextOption>

Tab_Stop_Delegate::Tab_Stop_Delegate(QAbstractItemView *view, int dialog_units)
    : QStyledItemDelegate(view), dialog_units_(dialog_units)
{
}

void Tab_Stop_Delegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect text_rect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const QString text = opt.text;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const qreal base_unit = opt.fontMetrics.horizontalAdvance(letters) / 52.0;
    QTextOption text_option(Qt::AlignLeft | Qt::AlignVCenter);
    text_option.setWrapMode(QTextOption::NoWrap);
    text_option.setTabStopDistance(base_unit * dialog_units_ / 4.0);

    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
    painter->drawText(QRectF(text_rect), text, text_option);
    painter->restore();
}
