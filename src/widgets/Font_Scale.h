#pragma once
// The windows of fixed size were drawn for the usual desktop font (9 points at 96 dots per inch,
// 12 pixels to the em). A larger font (a desktop set to 11 points, say) would cut their texts,
// so their geometry grows with the font in the same proportion; a smaller or equal font keeps
// the drawn pixels exactly.
#include <QFont>
#include <QSize>

class QWidget;

// The em of the design font, in pixels.
constexpr double Design_Em_Px = 12.0;

// How many times the design font's em the font is on widget's screen; never below 1.
double Font_Scale(const QFont &font, const QWidget *widget);
// The same for the widget's own font.
double Font_Scale(const QWidget *widget);

// A length of the drawing at scale, rounded to whole pixels.
inline int Scaled(int px, double scale) { return int(px * scale + 0.5); }
inline QSize Scaled(QSize size, double scale) { return {Scaled(size.width(), scale), Scaled(size.height(), scale)}; }
