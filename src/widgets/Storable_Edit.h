#pragma once
// A line edit whose text goes into a configuration file keeps out the characters such a file
// cannot store (see First_Unstorable_Char): Qt lets a paste bring in control characters that
// typing never could.
#include "lang/Lang_Table.h"

class QLineEdit;

// A typed or pasted change that brings in such a character is undone, and an error box says
// why (texts must outlive edit). Texts set by the program itself pass unchecked.
void Keep_Text_Storable(QLineEdit *edit, const Lang_Table &texts);
