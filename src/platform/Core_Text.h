#pragma once
// The words of the core's own messages (file and XML errors, build errors, the configuration
// check's findings). The core knows no language table: it writes each text in English, and a
// program with windows installs a translator (Lang_Translator) that gives the same text in the
// language the user chose. The command-line tools install none, so they print the English
// text, which scripts compare.
//
// Every text goes through Core_Text as one string literal (adjacent literals may continue it),
// never as a variable: a test reads the sources for these calls and checks that each text has
// a key in the language table. A new text needs one: a Lang_Key whose English default is the
// very same text, placed at the end of Lang_Key (the blocks STR_Msg_ and STR_Msg2_ are closed:
// growing them would renumber every later key) and listed in Core_Text_Keys, and its line in
// every shipped language file.
// Texts are translated when the message is composed.
#include <QCoreApplication>
#include <QString>

// The translation context of the core's messages.
inline constexpr char Core_Text_Context[] = "qcx";

inline QString Core_Text(const char *english) { return QCoreApplication::translate(Core_Text_Context, english); }
