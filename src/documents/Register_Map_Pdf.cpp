#include "documents/Register_Map_Pdf.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QtGlobal>

#include <algorithm>

namespace {

// The most characters a cell, the title or a header line takes along: more than the page's width
// holds in the narrowest letters, so nothing that could be seen is lost, while measuring and
// eliding stay short however long a text of the configuration is (its files allow megabytes).
constexpr qsizetype Shown_Text_Limit = 512;

QString Bounded(const QString &text)
{
    if (text.size() <= Shown_Text_Limit) return text;
    qsizetype n = Shown_Text_Limit;
    if (text[n - 1].isHighSurrogate()) --n;  // a character beyond the first plane stays whole
    return text.left(n) + QChar(0x2026);
}

}  // namespace

// Drawn line by line rather than laid out as a rich-text document: a table of 4096 lines takes
// Qt's text layout tens of seconds, drawing it a fraction of one, and the pages come out alike.
// Every text is cut to what can show before it is measured, so the time follows the lines drawn.
QByteArray Register_Map_Pdf(const Register_Map &map)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(QStringLiteral("Register map: %1").arg(map.Configuration));
    writer.setCreator(QStringLiteral("QCX3310 %1").arg(map.Program_Version));
    writer.setResolution(300);
    // Landscape: a line with the signal columns is wide.
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                     QPageLayout::Millimeter));
    const QRectF page = writer.pageLayout().paintRectPixels(writer.resolution());

    QPainter p(&writer);
    QFont text_font(QStringLiteral("DejaVu Sans"));
    text_font.setPointSizeF(8);
    QFont bold_font = text_font;
    bold_font.setBold(true);
    QFont title_font = bold_font;
    title_font.setPointSizeF(14);
    // Measured as this painter draws them.
    p.setFont(text_font);
    const QFontMetricsF text_metrics(p.fontMetrics());
    p.setFont(bold_font);
    const QFontMetricsF bold_metrics(p.fontMetrics());
    const qreal pad = text_metrics.height() * 0.3;
    const qreal row_h = text_metrics.height() + 2 * pad;

    // Column widths from the widest text of each column; when the table is wider than the page,
    // the widest columns give way and their texts wrap onto more lines (a name cut short would
    // leave two words of one signal reading alike).
    const QStringList columns = Register_Map_Columns(map);
    QList<QStringList> cells;
    cells.reserve(map.Lines.size());
    for (const Register_Map_Line &line : map.Lines) {
        QStringList row = Register_Map_Cells(map, line);
        for (QString &cell : row) cell = Bounded(cell);
        cells.append(row);
    }
    QList<qreal> widths;
    for (int c = 0; c < columns.size(); ++c) {
        qreal w = bold_metrics.horizontalAdvance(columns[c]);
        for (const QStringList &row : cells) w = std::max(w, text_metrics.horizontalAdvance(row.value(c)));
        widths.append(w + 3 * pad);  // a little room over the text, so that rounding never cuts it
    }
    qreal total = 0;
    for (qreal w : widths) total += w;
    while (total > page.width()) {
        auto widest = std::max_element(widths.begin(), widths.end());
        const qreal cut = std::min(total - page.width(), *widest * 0.1 + 1);
        *widest -= cut;
        total -= cut;
    }

    qreal y = 0;
    QPen rule(Qt::gray);
    rule.setWidthF(1);
    const int wrap = Qt::TextWordWrap | Qt::TextWrapAnywhere;
    // A row is as high as its most wrapped cell; most cells fit on one line and are not laid out.
    auto row_height = [&](const QStringList &row, const QFontMetricsF &metrics) {
        qreal h = row_h;
        for (int c = 0; c < widths.size(); ++c) {
            const qreal room = widths[c] - 2 * pad;
            if (metrics.horizontalAdvance(row.value(c)) <= room) continue;
            h = std::max(h, metrics.boundingRect(QRectF(0, 0, room, 1e9), wrap, row.value(c)).height() + 2 * pad);
        }
        return std::min(h, page.height() / 2);
    };
    auto draw_row = [&](const QStringList &row, const QFont &font, const QFontMetricsF &metrics, qreal h) {
        p.setFont(font);
        qreal x = 0;
        for (int c = 0; c < widths.size(); ++c) {
            const QRectF cell(x, y, widths[c], h);
            p.setPen(rule);
            p.drawRect(cell);
            p.setPen(Qt::black);
            p.drawText(cell.adjusted(pad, pad, -pad, -pad), Qt::AlignLeft | Qt::AlignVCenter | wrap, row.value(c));
            x += widths[c];
        }
        y += h;
    };
    // The title and the header, then the table, its column titles at the top of every page.
    p.setFont(title_font);
    p.setPen(Qt::black);
    const QFontMetricsF title_metrics(p.fontMetrics());
    p.drawText(QPointF(0, title_metrics.ascent()),
               title_metrics.elidedText(Bounded(QStringLiteral("Register map: %1").arg(map.Configuration)), Qt::ElideRight,
                                        page.width()));
    y = title_metrics.height() * 1.5;
    qreal name_w = 0;
    for (const auto &[name, value] : Register_Map_Header(map)) name_w = std::max(name_w, bold_metrics.horizontalAdvance(name));
    for (const auto &[name, value] : Register_Map_Header(map)) {
        p.setFont(bold_font);
        p.drawText(QPointF(0, y + text_metrics.ascent()), name);
        p.setFont(text_font);
        p.drawText(QPointF(name_w + 4 * pad, y + text_metrics.ascent()),
                   text_metrics.elidedText(Bounded(value), Qt::ElideRight, page.width() - name_w - 4 * pad));
        y += text_metrics.height() * 1.2;
    }
    y += row_h;
    const qreal head_h = row_height(columns, bold_metrics);
    draw_row(columns, bold_font, bold_metrics, head_h);
    for (const QStringList &row : cells) {
        const qreal h = row_height(row, text_metrics);
        if (y + h > page.height()) {
            writer.newPage();
            y = 0;
            draw_row(columns, bold_font, bold_metrics, head_h);
        }
        draw_row(row, text_font, text_metrics, h);
    }
    p.end();
    return bytes;
}

void Use_Offscreen_Without_Display()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
