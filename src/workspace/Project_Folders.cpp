#include "workspace/Project_Folders.h"

#include "lang/Lang_Table.h"
#include "platform/Xml_Document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

// Characters no Windows folder name can hold; the two separators are among them.
constexpr QStringView Forbidden_Characters = u"<>:\"/\\|?*";

// Names Windows keeps for its devices, with or without an extension: "nul.txt" is NUL too.
// Windows counts the superscript digits ¹ ² ³ as digits here.
bool Is_Device_Name(const QString &stem)
{
    static const QStringList devices{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                     QStringLiteral("NUL")};
    const QString upper = stem.toUpper();
    if (devices.contains(upper)) return true;
    if (upper.size() != 4 || !(upper.startsWith(u"COM") || upper.startsWith(u"LPT"))) return false;
    const QChar digit = upper[3];
    return (digit >= u'1' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' || digit == u'\u00B3';
}

bool Is_Control(QChar c) { return c.category() == QChar::Other_Control; }

// A blank that shows as a gap: spaces of every kind, but not tabs or line breaks, which are
// control characters.
bool Is_Blank(QChar c) { return c.isSpace() && !Is_Control(c); }

QString Char_Code(char32_t c) { return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper(); }

std::filesystem::path Native_Path(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

}  // namespace

bool Is_Plain_Folder_Name(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('.'))) return false;
    for (const QChar c : name) {
        // Both separators count everywhere: a configuration folder copied between Linux and
        // Windows must still be one folder, not a path.
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 32) return false;
    }
    return true;
}

std::optional<Name_Fault> New_Name_Fault(const QString &name)
{
    if (name.isEmpty()) return Name_Fault{Name_Rule::Empty, {}};
    if (std::all_of(name.begin(), name.end(), Is_Blank)) return Name_Fault{Name_Rule::Blanks_Only, {}};
    for (const QChar c : name)
        if (Is_Control(c)) return Name_Fault{Name_Rule::Control_Character, Char_Code(c.unicode())};
    // What no configuration file could store either (a lone surrogate, U+FFFF): the name goes
    // into the settings file.
    if (const std::optional<char32_t> c = First_Unstorable_Char(name))
        return Name_Fault{Name_Rule::Control_Character, Char_Code(*c)};
    for (const QChar c : name)
        if (Forbidden_Characters.contains(c)) return Name_Fault{Name_Rule::Forbidden_Character, QString(c)};
    if (Is_Blank(name.front())) return Name_Fault{Name_Rule::Leading_Blank, {}};
    if (Is_Blank(name.back())) return Name_Fault{Name_Rule::Trailing_Blank, {}};
    if (name.front() == u'.') return Name_Fault{Name_Rule::Leading_Dot, {}};
    if (name.back() == u'.') return Name_Fault{Name_Rule::Trailing_Dot, {}};
    // Windows also ignores blanks between the device name and its extension ("NUL .txt").
    QString stem = name.section(u'.', 0, 0);
    while (!stem.isEmpty() && Is_Blank(stem.back())) stem.chop(1);
    if (Is_Device_Name(stem)) return Name_Fault{Name_Rule::Device_Name, stem};
    return std::nullopt;
}

QString Configuration_Folder(const QString &dir_projects, const QString &name)
{
    return dir_projects + QLatin1Char('/') + name;
}

New_Project_Outcome Create_Project_Folder(const QString &dir_projects, const QString &name)
{
    New_Project_Outcome outcome;
    outcome.Fault = New_Name_Fault(name);
    if (outcome.Fault) {
        outcome.Result = outcome.Fault->Rule == Name_Rule::Empty ? New_Project_Result::Empty_Name
                                                                 : New_Project_Result::Not_Valid;
        return outcome;
    }
    const QString folder = Configuration_Folder(dir_projects, name);
    // On a file system that tells letter case apart, "line1" beside "Line1" would be two
    // configurations that the list cannot tell apart for the user.
    const QStringList listed = List_Configurations(dir_projects);
    const int same = Search_Configuration(listed, name);
    if (same >= 0 || QFileInfo(folder).isDir()) {
        outcome.Result = New_Project_Result::Already_Exists;
        outcome.Existing = same >= 0 ? listed[same] : name;
        return outcome;
    }

    // One level only: PROJECTS itself must be there. The system's reason goes into the message,
    // since nothing in the name explains the failure.
    std::error_code error;
    const bool made = std::filesystem::create_directory(Native_Path(folder), error);
    if (error) {
        outcome.Result = New_Project_Result::Not_Created;
        outcome.Folder = QDir::toNativeSeparators(folder);
        outcome.Reason = QString::fromLocal8Bit(error.message());
        return outcome;
    }
    if (!made) {
        // Made by someone else since the check above.
        outcome.Result = New_Project_Result::Already_Exists;
        outcome.Existing = name;
        return outcome;
    }
    QDir().mkpath(folder + QStringLiteral("/bin"));
    return outcome;
}

QString New_Project_Message(const Lang_Table &texts, const New_Project_Outcome &outcome)
{
    switch (outcome.Result) {
    case New_Project_Result::Created: return QString();
    case New_Project_Result::Already_Exists: return texts[STR_New_Name_Exists].arg(outcome.Existing);
    case New_Project_Result::Not_Created:
        return texts[STR_New_Name_Not_Created].arg(outcome.Folder, outcome.Reason);
    case New_Project_Result::Empty_Name:
    case New_Project_Result::Not_Valid: break;
    }
    if (!outcome.Fault) return texts[outcome.Result == New_Project_Result::Empty_Name ? STR_New_Name_Not_Valid_Empty : STR_New_Name_Not_Valid];
    const QString &part = outcome.Fault->Part;
    switch (outcome.Fault->Rule) {
    case Name_Rule::Empty: return texts[STR_New_Name_Empty];
    case Name_Rule::Blanks_Only: return texts[STR_New_Name_Blanks_Only];
    case Name_Rule::Control_Character: return texts[STR_New_Name_Control].arg(part);
    case Name_Rule::Forbidden_Character: return texts[STR_New_Name_Forbidden].arg(part);
    case Name_Rule::Leading_Blank: return texts[STR_New_Name_Leading_Blank];
    case Name_Rule::Trailing_Blank: return texts[STR_New_Name_Trailing_Blank];
    case Name_Rule::Leading_Dot: return texts[STR_New_Name_Leading_Dot];
    case Name_Rule::Trailing_Dot: return texts[STR_New_Name_Trailing_Dot];
    case Name_Rule::Device_Name: return texts[STR_New_Name_Device].arg(part);
    }
    return texts[30];
}

QStringList List_Configurations(const QString &dir_projects)
{
    if (dir_projects.isEmpty()) return {};
    // Without QDir::Hidden and QDir::System those entries stay out of the listing.
    const QDir dir(dir_projects);
    return dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

int Search_Configuration(const QStringList &names, const QString &snc)
{
    const QString wanted = snc.toUpper();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).toUpper() == wanted) return i;
    return -1;
}

QString Open_Configuration_Name(const QString &dir_projects, const QString &dir_project)
{
    return dir_project.mid(dir_projects.size() + 1);
}

int Preselected_Line(const QStringList &names, const QString &open_name)
{
    const int i = Search_Configuration(names, open_name);
    if (i != -1) return i;
    return names.isEmpty() ? -1 : 0;
}
