#include "workspace/App_State.h"

#include "platform/Xml_Document.h"
#include "workspace/Project_Folders.h"

#include <QDir>
#include <QFileInfo>

void Set_Workspace(App_State &state, const QString &dir_exe)
{
    state.Dir_Exe = QDir::cleanPath(dir_exe);
    state.Dir_Master = state.Dir_Exe + QStringLiteral("/MASTER");
    QDir().mkdir(state.Dir_Master);
    state.Dir_Projects = state.Dir_Exe + QStringLiteral("/PROJECTS");
    QDir().mkdir(state.Dir_Projects);
    state.Dir_Language = state.Dir_Exe + QStringLiteral("/LANGUAGE");
    QDir().mkdir(state.Dir_Language);
    state.Dir_Shipped_Language.clear();
    state.Dir_Updater = state.Dir_Exe;
    state.Dir_Modules = state.Dir_Exe;
}

void Set_Workspace(App_State &state, const Workspace_Places &places)
{
    // The user's data folder may not exist before the first start.
    if (places.Installed) QDir().mkpath(places.Dir_Workspace);
    Set_Workspace(state, places.Dir_Workspace);
    state.Dir_Shipped_Language = places.Dir_Shipped_Language;
    state.Dir_Updater = places.Dir_Updater;
    state.Dir_Modules = places.Dir_Modules;
}

QStringList Language_Folders(const App_State &state)
{
    return Language_Folders(state.Dir_Language, state.Dir_Shipped_Language);
}

QString Updater_Folder(const App_State &state)
{
    return state.Dir_Updater.isEmpty() ? state.Dir_Exe : state.Dir_Updater;
}

QString Module_Folder(const App_State &state)
{
    return state.Dir_Modules.isEmpty() ? state.Dir_Exe : state.Dir_Modules;
}

void Set_Files(App_State &state) { state.Files = Project_Paths_In(state.Dir_Project); }

void Reopen_Last_Project(App_State &state)
{
    const QString dir = Configuration_Folder(state.Dir_Projects, state.Project_Name);
    // Only a folder directly inside PROJECTS: a name such as "../x" would make the images land
    // wherever it points.
    if (Is_Plain_Folder_Name(state.Project_Name) && QFileInfo(dir).isDir()) {
        state.Dir_Project = dir;
    } else {
        state.Project_Name.clear();
        state.Dir_Project.clear();
    }
}

QString Settings_Path(const App_State &state)
{
    return state.Dir_Exe + QStringLiteral("/Variroduvi.xml");
}

namespace {

void Set_Default_Settings(App_State &state)
{
    state.Project_Name.clear();
    state.Dir_Project.clear();
    state.Device_IP = QStringLiteral("192.168.2.205");
    state.Language_Name = QStringLiteral("English");
    state.Enable_Internet = false;
    state.Enable_Update = false;
}

// The element at group/name below the root, or a null node.
Xml_Node Find(const Xml_Node &root, const char *group, const char *name)
{
    return root.Child(QLatin1String(group)).Child(QLatin1String(name));
}

}  // namespace

void Read_Settings(App_State &state)
{
    Set_Default_Settings(state);
    const QString path = Settings_Path(state);
    if (!QFileInfo::exists(path)) return;

    Xml_Document doc;
    try {
        doc = Xml_Document::Load(path);
    } catch (const Xml_Error &) {
        // A damaged settings file is treated as a missing one: the program starts with defaults
        // and the next close writes a good file.
        return;
    }
    const Xml_Node root = doc.Root();

    // The names become paths below PROJECTS and LANGUAGE, so they pass the checks of a name
    // typed into the New dialog; one that fails is not kept (and so not written back).
    if (Xml_Node n = Find(root, "lastproj", "projectname"))
        if (Is_Plain_Folder_Name(n.Text())) state.Project_Name = n.Text();
    if (Xml_Node n = Find(root, "lastipadd", "ipaddress")) state.Device_IP = n.Text();
    if (Xml_Node n = Find(root, "lastlang", "language"))
        if (Is_Plain_Folder_Name(n.Text())) state.Language_Name = n.Text();
    if (Xml_Node n = Find(root, "lastinternet", "enable_internet"))
        state.Enable_Internet = n.Text() == QLatin1String("1");
    if (Xml_Node n = Find(root, "lastinternet", "enable_update"))
        state.Enable_Update = n.Text() == QLatin1String("1");
}

QByteArray Settings_Bytes(const App_State &state)
{
    Xml_Document doc;
    Xml_Node root = doc.Append_Root(QStringLiteral("Conf_Settings"));
    root.Append_Child(QStringLiteral("lastproj"))
        .Append_Text_Child(QStringLiteral("projectname"), state.Project_Name);
    root.Append_Child(QStringLiteral("lastipadd"))
        .Append_Text_Child(QStringLiteral("ipaddress"), state.Device_IP);
    root.Append_Child(QStringLiteral("lastlang"))
        .Append_Text_Child(QStringLiteral("language"), state.Language_Name);
    Xml_Node internet = root.Append_Child(QStringLiteral("lastinternet"));
    internet.Append_Text_Child(QStringLiteral("enable_internet"),
                               state.Enable_Internet ? QStringLiteral("1") : QStringLiteral("0"));
    internet.Append_Text_Child(QStringLiteral("enable_update"),
                               state.Enable_Update ? QStringLiteral("1") : QStringLiteral("0"));
    return doc.To_Bytes(Settings_Path(state));
}

bool Write_Settings(const App_State &state, QString *error)
{
    try {
        Save_File_Atomic(Settings_Path(state), Settings_Bytes(state));
        return true;
    } catch (const Xml_Error &e) {
        if (error) *error = e.Text();
        return false;
    }
}
