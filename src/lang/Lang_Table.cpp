#include "lang/Lang_Table.h"

#include "platform/Int_Text.h"
#include "platform/Safe_File.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

using Int_Text::Trim;

void Load_Default_Language(Lang_Table &table)
{
    table.Items.clear();
    table.Items.reserve(Lang_Default_Count);
    for (const char16_t *text : Lang_Default_Texts) table.Items.append(QString::fromUtf16(text));
    table.Lang_Count = Lang_Default_Count;
    table.Language = QStringLiteral("English");
}

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five unassigned codes map to
// the C1 controls of the same value, as Windows does.
const char16_t Cp1252_High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString Decode_Cp1252(const QByteArray &bytes)
{
    QString s;
    s.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        s[i] = QChar(b >= 0x80 && b <= 0x9F ? Cp1252_High[b - 0x80] : char16_t(b));
    }
    return s;
}

}  // namespace

QString Decode_Language_Bytes(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Default)(bytes.mid(3));
    }
    if (bytes.startsWith("\xFF\xFE")) {
        return QStringDecoder(QStringConverter::Utf16LE, QStringConverter::Flag::Default)(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        return QStringDecoder(QStringConverter::Utf16BE, QStringConverter::Flag::Default)(bytes.mid(2));
    }
    return Decode_Cp1252(bytes);
}

void Read_Language_Text(Lang_Table &table, const QString &text)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(u'\r', u'\n');
    const QStringList lines = normalised.split(u'\n');

    for (const QString &raw : lines) {
        const QString line = Trim(raw);
        if (!line.startsWith(QStringLiteral("STR"))) continue;

        // p is the 1-based position of the first "="; the index is the p - 5 characters from
        // position 4, so the character right before the "=" is never part of it.
        const qsizetype eq = line.indexOf(u'=');
        const qsizetype p = eq + 1;
        const qsizetype length = p - 5;
        const QString index_text = length > 0 ? Trim(line.mid(3, length)) : QString();
        const auto index = Int_Text::Str_To_Int(index_text);
        if (!index || *index < 0 || *index >= table.Lang_Count || *index >= table.size()) continue;

        QString value = Trim(line.mid(eq + 1));
        if (value.isEmpty()) continue;

        const qsizetype comment = value.indexOf(QStringLiteral("/#/"));
        if (comment >= 0) value = Trim(value.left(comment));

        // Pilcrows keep blanks that trimming would remove: the first one opens the text and
        // the next one closes it.
        if (value.startsWith(u'\u00B6')) value.remove(0, 1);
        const qsizetype pilcrow = value.indexOf(u'\u00B6');
        if (pilcrow >= 0) value.truncate(pilcrow);

        table.Items[*index] = value;
    }
}

void Read_Language_File(Lang_Table &table, const QString &path)
{
    QByteArray bytes;
    try {
        bytes = Read_Regular_File(path, Text_File_Limit);
    } catch (const File_Access_Error &e) {
        throw Lang_File_Error(e.what());
    }
    Read_Language_Text(table, Decode_Language_Bytes(bytes));
}

void Load_Language(Lang_Table &table, const QString &dir_language, QString &language_name)
{
    Load_Default_Language(table);
    const QString path = dir_language + QLatin1Char('/') + language_name + QStringLiteral(".lng");
    // A language is a file directly inside LANGUAGE; a name that leads elsewhere ("../x") is
    // no language of ours.
    const bool inside = QFileInfo(QDir::cleanPath(path)).absolutePath() ==
                        QFileInfo(QDir::cleanPath(dir_language)).absoluteFilePath();
    if (inside && QFileInfo(path).isFile()) {
        Read_Language_File(table, path);
        table.Language = language_name;
        return;
    }
    language_name = QStringLiteral("English");
    const QString english = dir_language + QStringLiteral("/English.lng");
    if (QFileInfo(english).isFile()) Read_Language_File(table, english);
}

void Load_Language(Lang_Table &table, const QStringList &dirs_language, QString &language_name)
{
    const auto holder = [&dirs_language](const QString &name) -> QString {
        for (const QString &dir : dirs_language) {
            const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".lng");
            if (QFileInfo(QDir::cleanPath(path)).absolutePath() ==
                    QFileInfo(QDir::cleanPath(dir)).absoluteFilePath() &&
                QFileInfo(path).isFile())
                return dir;
        }
        return QString();
    };
    QString dir = holder(language_name);
    if (dir.isEmpty()) dir = holder(QStringLiteral("English"));
    if (dir.isEmpty() && !dirs_language.isEmpty()) dir = dirs_language.first();
    Load_Language(table, dir, language_name);
}

QString Qt_Translation_Code(const QString &language_name)
{
    // Language files are named by the language's own name; these are the shipped ones.
    static const struct {
        const char16_t *name;
        const char *code;
    } Codes[] = {{u"Deutsch", "de"}, {u"Espa\u00F1ol", "es"}, {u"Fran\u00E7ais", "fr"}, {u"Italiano", "it"}};
    for (const auto &entry : Codes)
        if (language_name.compare(QString::fromUtf16(entry.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(entry.code);
    return QString();
}
