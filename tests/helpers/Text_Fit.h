#pragma once
// Whether a window shows every text whole: the one rule the window tests use, in every language.
#include <QStringList>

class QWidget;

// Every control of window, visible now, whose text does not fit the room it has, as
// "name "text" needs x px, has y" (or "... lies beyond its parent"). Labels (wrapped ones by
// height), buttons, check and radio boxes, group titles and the titles of horizontal headers.
QStringList Cut_Texts(QWidget *window);
