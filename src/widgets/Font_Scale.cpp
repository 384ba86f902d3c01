#include "widgets/Font_Scale.h"

#include <QWidget>

#include <algorithm>

double Font_Scale(const QFont &font, const QWidget *widget)
{
    // Points become pixels at the screen's logical resolution; a font given in pixels is taken
    // as it is.
    const double dpi = widget ? widget->logicalDpiY() : 96.0;
    const double em = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dpi / 72.0;
    if (!(em > 0)) return 1.0;
    return std::max(1.0, em / Design_Em_Px);
}

double Font_Scale(const QWidget *widget) { return widget ? Font_Scale(widget->font(), widget) : 1.0; }
