#pragma once
// The table of user-interface texts and the language files that translate it.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

constexpr int Lang_Default_Count = 187;
extern const char16_t *const Lang_Default_Texts[Lang_Default_Count];

// Entry i is the text of the key STRi. It is empty until the first Load_Language.
struct Lang_Table {
    QStringList Items;
    int Lang_Count = 0;

    const QString &operator[](int i) const { return Items.at(i); }
    int size() const { return int(Items.size()); }
};

// A language file that exists but cannot be read.
class Lang_File_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Empties the table and fills it with the 187 English defaults; sets Lang_Count.
void Load_Default_Language(Lang_Table &table);

// Decodes a language file's bytes: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE;
// without a mark the bytes are Windows-1252, the code page such files are written in.
QString Decode_Language_Bytes(const QByteArray &bytes);

// Overlays the entries of a language file's text (lines end at CR, LF or CR LF).
void Read_Language_Text(Lang_Table &table, const QString &text);

// Reads a language file and overlays its entries. Throws Lang_File_Error when it cannot be read.
void Read_Language_File(Lang_Table &table, const QString &path);

// Defaults, then dir_language/language_name.lng; when that file is missing, language_name
// becomes "English" and English.lng is read if present. Throws Lang_File_Error when the file
// exists but cannot be read (the table then holds the defaults).
void Load_Language(Lang_Table &table, const QString &dir_language, QString &language_name);
