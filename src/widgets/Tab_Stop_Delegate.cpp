#include "widgets/Tab_Stop_Delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QTextOption>
#include <QtMath>

Tab_Stop_Delegate::Tab_Stop_Delegate(QAbstractItemView *view, int dialog_units)
    : QStyledItemDelegate(view), dialog_units_(dialog_units)
{
}

qreal Tab_Stop_Delegate::Tab_Distance(const QStyleOptionViewItem &option) const
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const qreal base_unit = option.fontMetrics.horizontalAdvance(letters) / 52.0;
    return base_unit * dialog_units_ / 4.0;
}

QSize Tab_Stop_Delegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const int text_margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, widget) + 1;
    const int text_width =
        opt.fontMetrics.size(Qt::TextSingleLine | Qt::TextExpandTabs, opt.text, qCeil(Tab_Distance(opt))).width();
    size.setWidth(text_width + 2 * text_margin);
    return size;
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

    QTextOption text_option(Qt::AlignLeft | Qt::AlignVCenter);
    text_option.setWrapMode(QTextOption::NoWrap);
    text_option.setTabStopDistance(Tab_Distance(opt));

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
