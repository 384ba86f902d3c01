#include "lang/Lang_Pages.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

QStringList Create_Lang_List(const QString &dir_language)
{
    // On a case-sensitive file system only "x.lng" itself can be loaded again under the name
    // the list shows, so "X.LNG" is left out there.
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity extension_case = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity extension_case = Qt::CaseSensitive;
#endif
    QStringList names;
    const QDir dir(dir_language);
    for (const QString &name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (name.size() > 4 && name.endsWith(QStringLiteral(".lng"), extension_case)) names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QStringList Create_Lang_List(const QStringList &dirs_language)
{
    QStringList names;
    for (const QString &dir : dirs_language)
        for (const QString &name : Create_Lang_List(dir))
            if (!names.contains(name)) names.append(name);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}

QString Lang_Name_Of(const QString &file_name) { return file_name.chopped(4); }

int Lang_Page_Count(int n) { return n > 0 ? (n + Lang_Slots_Per_Page - 1) / Lang_Slots_Per_Page : 0; }

Lang_Page_Range Lang_Page_Of(int n, int page)
{
    Lang_Page_Range range;
    range.First = (page - 1) * Lang_Slots_Per_Page;
    range.Count = std::clamp(n - range.First, 0, Lang_Slots_Per_Page);
    return range;
}

int Next_Lang_Page(int show_page, int page_count)
{
    return page_count >= show_page + 1 ? show_page + 1 : show_page;
}

int Prev_Lang_Page(int show_page) { return show_page >= 2 ? show_page - 1 : show_page; }

QString Lang_Page_Label(const QString &page_text, int page, const QString &of_text, int pages)
{
    return page_text + QString::number(page) + of_text + QString::number(pages);
}

QStringList Lang_Flag_Candidates(const QString &dir_language, const QString &name)
{
    QStringList files;
    for (const QString &path : {dir_language + QLatin1Char('/') + name + QStringLiteral(".bmp"),
                                dir_language + QStringLiteral("/DefaultFlag.bmp")}) {
        if (QFileInfo(path).isFile()) files.append(path);
    }
    return files;
}

QStringList Lang_Flag_Candidates(const QStringList &dirs_language, const QString &name)
{
    QStringList own, fallback;
    for (const QString &dir : dirs_language) {
        for (const QString &path : Lang_Flag_Candidates(dir, name)) {
            if (path.endsWith(QStringLiteral("/DefaultFlag.bmp")) && name != QLatin1String("DefaultFlag"))
                fallback.append(path);
            else
                own.append(path);
        }
    }
    return own + fallback;
}
