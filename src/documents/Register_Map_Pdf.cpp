#include "documents/Register_Map_Pdf.h"

#include <QBuffer>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QtGlobal>

QByteArray Register_Map_Pdf(const Register_Map &map)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Register map: %1").arg(map.Configuration));
        writer.setCreator(QStringLiteral("QCX3310 %1").arg(map.Program_Version));
        writer.setResolution(300);
        // Landscape: a line with the signal columns is wide.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        QTextDocument document;
        // Laid out for the writer itself (its resolution, the page inside its margins), so that
        // the whole width of the page serves the table.
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(writer.pageLayout().paintRectPixels(writer.resolution()).size());
        document.setDocumentMargin(0);
        QFont font = document.defaultFont();
        font.setPointSizeF(8);
        document.setDefaultFont(font);
        // The same document, its tables drawn as Qt's text engine draws them: the register table
        // across the page, with ruled cells (the engine knows no border-collapse).
        QString html = QString::fromUtf8(Register_Map_Html(map));
        html.replace(QStringLiteral("<table class=\"registers\">"),
                     QStringLiteral("<table class=\"registers\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">"));
        html.replace(QStringLiteral("<table class=\"header\">"),
                     QStringLiteral("<table class=\"header\" cellspacing=\"0\" cellpadding=\"2\">"));
        document.setHtml(html);
        document.print(&writer);
    }
    return bytes;
}

void Use_Offscreen_Without_Display()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
