#pragma once
// Whether a window shows every text whole: the one rule the window tests use, in every language.
#include <QStringList>

class QWidget;

// Every control of window, visible now, whose text does not fit the room it has, as
// "name "text" needs x px, has y" (or "... lies beyond its parent"). Labels (wrapped ones by
// height), buttons, check and radio boxes, group titles and the titles of horizontal headers.
QStringList Cut_Texts(QWidget *window);

// The window's title when the window is narrower than the window manager needs to write it
// whole (its bar's font, icon and buttons), as "title "text" needs x px, window has y".
QStringList Cut_Title(QWidget *window);

// Every cell of the window's tables whose rows grow with their wrapped texts, whose row is lower
// than its text needs at its column's width (broken between words, or inside a word too long for
// a line), as "table row r column c "text" needs x px high, has y".
QStringList Cut_Cells(QWidget *window);
