#include "Text_Fit.h"

#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"
#include "widgets/Wrapping_Delegate.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace {

QString Describe(const QWidget *w, const QString &text)
{
    const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    return name + QStringLiteral(" \"") + text + u'"';
}

void Check_Control(QWidget *w, QStringList &cut)
{
    auto check = [&](const QString &text, int need, int have, const char *unit = "px") {
        if (need > have)
            cut.append(QStringLiteral("%1 needs %2 %3, has %4").arg(Describe(w, text)).arg(need).arg(QLatin1String(unit)).arg(have));
    };
    // A control that reaches past its parent is cut by it.
    if ((qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w)) && w->parentWidget() &&
        !QRect(QPoint(), w->parentWidget()->size()).contains(w->geometry()))
        cut.append(Describe(w, QString()) + QStringLiteral(" lies beyond its parent"));

    if (auto *label = qobject_cast<QLabel *>(w)) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) return;
        if (label->wordWrap()) {
            check(label->text(), label->heightForWidth(label->width()), label->height(), "px high");
            return;
        }
        const int margins = label->width() - label->contentsRect().width() + 2 * label->margin();
        const int text = label->fontMetrics().horizontalAdvance(Shown_Text(label->text())) + margins;
        check(label->text(), std::max(text, label->minimumSizeHint().width()), label->width());
        check(label->text(), label->sizeHint().height(), label->height(), "px high");
        return;
    }
    if (auto *box = qobject_cast<QGroupBox *>(w)) {
        if (box->title().isEmpty()) return;
        check(box->title(), box->fontMetrics().horizontalAdvance(Shown_Text(box->title())) + 16, box->width());
        return;
    }
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        if (button->text().isEmpty()) return;
        // The text and the style's margins, as QPushButton's own size hint counts them; the hint
        // itself adds a minimum width that says nothing about the text.
        const QStyle *style = button->style();
        int need = button->fontMetrics().horizontalAdvance(Shown_Text(button->text())) +
                   style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                   2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        if (!button->icon().isNull()) need += button->iconSize().width() + 4;
        check(button->text(), need, button->width());
        check(button->text(), button->sizeHint().height(), button->height(), "px high");
        return;
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        // Check and radio boxes, and tool buttons that show a text.
        if (button->text().isEmpty()) return;
        if (auto *tool = qobject_cast<QToolButton *>(w); tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly) return;
        check(button->text(), button->sizeHint().width(), button->width());
        check(button->text(), button->sizeHint().height(), button->height(), "px high");
        return;
    }
    if (auto *header = qobject_cast<QHeaderView *>(w)) {
        if (header->orientation() != Qt::Horizontal || !header->model()) return;
        const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int i = 0; i < header->count(); ++i) {
            if (header->isSectionHidden(i)) continue;
            const QString text = header->model()->headerData(i, Qt::Horizontal).toString();
            check(text, header->fontMetrics().horizontalAdvance(text) + margin, header->sectionSize(i));
        }
    }
}

}  // namespace

QStringList Cut_Texts(QWidget *window)
{
    QStringList cut;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->isVisibleTo(window)) Check_Control(w, cut);
    return cut;
}

QStringList Cut_Title(QWidget *window)
{
    const int need = Title_Width_Need(window);
    if (need <= window->width()) return {};
    return {QStringLiteral("title \"%1\" needs %2 px, window has %3").arg(window->windowTitle()).arg(need).arg(window->width())};
}

QStringList Cut_Cells(QWidget *window)
{
    QStringList cut;
    for (QTableView *table : window->findChildren<QTableView *>()) {
        // The tables whose rows grow with their texts promise to show each text whole; what that
        // takes is measured as the wrapping cells lay a text out, whatever the table draws with.
        if (!table->isVisibleTo(window) || !table->wordWrap() || !table->model() || table->model()->rowCount() == 0 ||
            table->verticalHeader()->sectionResizeMode(0) != QHeaderView::ResizeToContents)
            continue;
        const Wrapping_Delegate measure;
        const Wrapping_Delegate *wrapping = &measure;
        const QAbstractItemModel *model = table->model();
        for (int row = 0; row < model->rowCount(); ++row)
            for (int column = 0; column < model->columnCount(); ++column) {
                if (table->isColumnHidden(column)) continue;
                const QModelIndex index = model->index(row, column);
                QStyleOptionViewItem option;
                option.initFrom(table->viewport());
                option.font = table->font();
                option.decorationSize = table->iconSize().isValid() ? table->iconSize() : QSize(16, 16);
                const int need = wrapping->Text_Height(option, index, table->columnWidth(column));
                if (need > table->rowHeight(row))
                    cut.append(QStringLiteral("%1 row %2 column %3 \"%4\" needs %5 px high, has %6")
                                   .arg(table->objectName()).arg(row).arg(column)
                                   .arg(index.data().toString()).arg(need).arg(table->rowHeight(row)));
            }
    }
    return cut;
}
