#include "workspace/Project_Folders.h"

#include <QDir>
#include <QFileInfo>

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

QString Configuration_Folder(const QString &dir_projects, const QString &name)
{
    return dir_projects + QLatin1Char('/') + name;
}

New_Project_Result Create_Project_Folder(const QString &dir_projects, const QString &name)
{
    if (name.isEmpty()) return New_Project_Result::Empty_Name;
    if (!Is_Plain_Folder_Name(name)) return New_Project_Result::Not_Valid;

    const QString folder = Configuration_Folder(dir_projects, name);
    // On a file system that tells letter case apart, "line1" beside "Line1" would be two
    // configurations that the list cannot tell apart for the user.
    if (QFileInfo(folder).isDir() || Search_Configuration(List_Configurations(dir_projects), name) >= 0)
        return New_Project_Result::Already_Exists;

    // One level only: PROJECTS itself must be there.
    if (!QDir().mkdir(folder)) return New_Project_Result::Not_Valid;
    QDir().mkpath(folder + QStringLiteral("/bin"));
    return New_Project_Result::Created;
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
