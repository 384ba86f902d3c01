#pragma once
// The register map as a printable PDF (A4 landscape): the header, then the table with its column
// titles on every page, from the same header, titles and cells as the CSV and HTML documents, so
// that the three formats never say different things. Needs Qt Gui (fonts and the PDF
// writer): a program that calls it runs a QGuiApplication; without a display the "offscreen"
// platform serves (see Use_Offscreen_Without_Display).
#include "exchange/Register_Map.h"

#include <QByteArray>

QByteArray Register_Map_Pdf(const Register_Map &map);

// For command-line programs: when no display is named (DISPLAY, WAYLAND_DISPLAY) and no Qt
// platform is chosen (QT_QPA_PLATFORM), choose "offscreen", so that a QGuiApplication starts on a
// machine without windows. Call before the application is made.
void Use_Offscreen_Without_Display();
