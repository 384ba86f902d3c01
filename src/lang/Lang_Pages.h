#pragma once
// The list of installed languages and its division into pages of six, as the options dialog
// shows them.
#include <QString>
#include <QStringList>

constexpr int Lang_Slots_Per_Page = 6;

// The file names (with ".lng") of the regular, non-hidden language files in dir_language,
// sorted without regard to case. An unreadable or missing folder gives an empty list.
QStringList Create_Lang_List(const QString &dir_language);

// The same over several folders (the user's first, then the shipped one): each name once,
// sorted the same way.
QStringList Create_Lang_List(const QStringList &dirs_language);

// The language a list entry names: the file name without its last four characters.
QString Lang_Name_Of(const QString &file_name);

// Pages for n languages: (n + 5) div 6, so 0 for none.
int Lang_Page_Count(int n);

// The entries page p (from 1) shows: from First, Count of them (0 to 6).
struct Lang_Page_Range {
    int First = 0;
    int Count = 0;
};
Lang_Page_Range Lang_Page_Of(int n, int page);

// The page buttons: forward only while a next page exists, back only down to page 1.
int Next_Lang_Page(int show_page, int page_count);
int Prev_Lang_Page(int show_page);

// page_text + p + of_text + pages, e.g. "Page 2 / 3".
QString Lang_Page_Label(const QString &page_text, int page, const QString &of_text, int pages);

// The flag pictures to try for a language, in order: <name>.bmp, then DefaultFlag.bmp, each
// only when the file exists.
QStringList Lang_Flag_Candidates(const QString &dir_language, const QString &name);

// The same over several folders: <name>.bmp of each folder in turn, then DefaultFlag.bmp of
// each, so a language's own flag anywhere beats a default flag.
QStringList Lang_Flag_Candidates(const QStringList &dirs_language, const QString &name);
