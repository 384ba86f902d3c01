#include "widgets/Wrapping_Delegate.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QTableView>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

QTextOption Wrapping_Option(const QStyleOptionViewItem &option)
{
    QTextOption text_option(option.displayAlignment);
    text_option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text_option.setTextDirection(option.direction);
    return text_option;
}

// Lays the text out in lines of at most width pixels; returns the height they take.
qreal Lay_Out(QTextLayout &layout, int width)
{
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

// The room the style leaves around an item's text, left and right.
int Text_Margin(const QStyleOptionViewItem &option)
{
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, option.widget) + 1;
}

}  // namespace

int Wrapping_Delegate::Text_Height(const QStyleOptionViewItem &option, const QModelIndex &index, int column_width) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    int text_w = column_width - 2 * Text_Margin(opt);
    if (opt.features & QStyleOptionViewItem::HasDecoration) text_w -= opt.decorationSize.width() + 2 * Text_Margin(opt);
    QTextLayout layout(opt.text, opt.font);
    layout.setTextOption(Wrapping_Option(opt));
    return int(std::ceil(Lay_Out(layout, std::max(1, text_w))));
}

void Wrapping_Delegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    // The style draws the background, selection, icon and focus; the text is ours, wrapped.
    const QString text = opt.text;
    const QRect text_rect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget)
                                .adjusted(Text_Margin(opt), 0, -Text_Margin(opt), 0);
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    QTextLayout layout(text, opt.font);
    layout.setTextOption(Wrapping_Option(opt));
    const qreal height = Lay_Out(layout, std::max(1, text_rect.width()));
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                             : QPalette::Inactive;
    painter->save();
    painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                  : QPalette::Text));
    const qreal top = text_rect.top() + std::max<qreal>(0, (text_rect.height() - height) / 2);
    painter->setClipRect(opt.rect);
    layout.draw(painter, QPointF(text_rect.left(), top));
    painter->restore();
}

QSize Wrapping_Delegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // The view tells the column's width when its items wrap; without it the text keeps one line.
    if (option.rect.width() > 0) {
        const int margin = 2 * (QApplication::style()->pixelMetric(QStyle::PM_FocusFrameVMargin) + 1);
        size.setHeight(std::max(size.height(), Text_Height(option, index, option.rect.width()) + margin));
    }
    return size;
}

void Wrap_Cells(QTableView *table)
{
    table->setItemDelegate(new Wrapping_Delegate(table));
    table->setWordWrap(true);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A column that changes its width changes the lines its texts need: measured again once the
    // widths have settled.
    auto *pending = new QTimer(table);
    pending->setSingleShot(true);
    pending->setInterval(0);
    QObject::connect(pending, &QTimer::timeout, table,
                     [table] { table->verticalHeader()->resizeSections(QHeaderView::ResizeToContents); });
    QObject::connect(table->horizontalHeader(), &QHeaderView::sectionResized, pending, [pending] { pending->start(); });
}
