#pragma once
// Whatever is typed into an editor ends up in a configuration file, and a character that XML
// cannot hold (a control character, a lone surrogate) would make a file no reader accepts. The
// editors refuse such a text where it is typed or pasted, with this message.
#include "lang/Lang_Table.h"

#include <QString>

// The message for text, naming the first character a file cannot store; empty when the whole
// text can be stored.
QString Unstorable_Text_Message(const Lang_Table &texts, const QString &text);
