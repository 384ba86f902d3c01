#pragma once
// What a screen reader is told a control is, where Qt's own guess does not fit: a window built
// on a plain QWidget is a frame on the desktop, not a "filler" inside some other window.
#include <QAccessible>

class QWidget;

// Gives widget the role; set it before anything asks the widget's accessible interface. For
// widgets without accessible behaviour of their own (texts, values): plain QWidget windows.
void Set_Accessible_Role(QWidget *widget, QAccessible::Role role);
