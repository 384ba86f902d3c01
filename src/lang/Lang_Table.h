#pragma once
// The table of user-interface texts and the language files that translate it.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>

// Keys of the texts that came after the first 187; language files that lack them show the
// English defaults.
enum Lang_Key : int {
    STR_Settings_Not_Saved = 187,
    STR_Images_Not_Built,
    STR_Images_Not_Saved,
    STR_Language_Not_Read,
    STR_Frame_List_Not_Shown,
    STR_Frame_List_Not_Saved,
    STR_Update_Job_Not_Written,
    STR_Registers_Full,         // %1 the device's limit
    STR_Registers_Full_Counts,  // %1 this direction, %2 the other
    STR_Last_Row_Taken,         // %1 the last row's number
    STR_Mappings_Go_With_Frames,  // %1 how many
    STR_Mappings_Of_Frame,  // %1 the frame's Cob-ID, %2 its register indexes
    STR_Delete_Mappings_Question,
    STR_Unplaced_Mappings,  // %1 how many
    STR_Wipe_Mappings_Question,  // %1 how many
    STR_Byte_Beyond_Frame,  // %1 the byte's text, %2 the bytes the frame has
    STR_Check_Caption,
    STR_Check_Desc,
    STR_Check_Col_Finding,
    STR_Check_Col_File,
    STR_Check_Col_Row,
    STR_Check_Go_On,
    STR_Check_Go_Back,
    STR_Text_Not_Storable,  // %1 the character's code (U+0001)
    STR_Index_Used_By_Frame,  // %1 the register number, %2 the frame's Cob-ID as the frame list shows it
    STR_Send_On_Write_Mark,
    Lang_Key_End
};

constexpr int Lang_Default_Count = Lang_Key_End;
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

// Empties the table and fills it with the English defaults; sets Lang_Count.
void Load_Default_Language(Lang_Table &table);

// Decodes a language file's bytes: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE;
// without a mark the bytes are Windows-1252, the code page such files are written in.
QString Decode_Language_Bytes(const QByteArray &bytes);

// Overlays the entries of a language file's text (lines end at CR, LF or CR LF).
void Read_Language_Text(Lang_Table &table, const QString &text);

// Reads a language file and overlays its entries. Throws Lang_File_Error when it cannot be read.
void Read_Language_File(Lang_Table &table, const QString &path);

// Defaults, then dir_language/language_name.lng; when that file is missing (or the name leads
// out of dir_language), language_name
// becomes "English" and English.lng is read if present. Throws Lang_File_Error when the file
// exists but cannot be read (the table then holds the defaults).
void Load_Language(Lang_Table &table, const QString &dir_language, QString &language_name);
