#pragma once
// The program's global state: one object owned by main() and passed by reference to every
// window. Paths never end in a separator.
#include "config/Project_Paths.h"
#include "lang/Lang_Table.h"
#include "workspace/Workspace_Choice.h"

#include <QString>

struct App_State {
    QString Project_Name;  // empty exactly when Dir_Project is empty
    QString Dir_Project;
    QString Dir_Projects;
    // The workspace: the program's own folder, or the user's data folder when the program is
    // installed (Choose_Workspace). Settings, the update job and its report live here.
    QString Dir_Exe;
    QString Dir_Master;
    QString Dir_Language;
    // The shipped languages when they live apart from Dir_Language (an installed program);
    // a file of the same name in Dir_Language wins. Empty otherwise.
    QString Dir_Shipped_Language;
    // The updater's folder; empty means Dir_Exe.
    QString Dir_Updater;
    // The folder of the modules loaded at run time; empty means Dir_Exe.
    QString Dir_Modules;

    QString SW_Title;
    QString SW_Code;
    QString SW_Desc;

    QString Device_IP = QStringLiteral("192.168.2.205");
    QString Language_Name = QStringLiteral("English");
    bool Enable_Internet = false;
    bool Enable_Update = false;

    // The open configuration's files and images (Set_Files keeps them in step with Dir_Project).
    Project_Paths Files;

    ::Lang_Table Lang_Table;

    // The text of key STRi.
    const QString &STR(int i) const { return Lang_Table[i]; }
};

inline const QString SW_Title_Text =
    QStringLiteral("Norvale - Configurator QCX3310 - CAN / Modbus TCP Slave ");
inline const QString SW_Code_Text = QStringLiteral("QCX3310");
inline const QString SW_Desc_Text = QStringLiteral("CAN / Modbus TCP Slave - Converter");
inline const QString SW_Version_Text = QStringLiteral("1.102");

// Sets the workspace folders from dir_exe and creates MASTER, PROJECTS and LANGUAGE when
// missing (a folder that cannot be created is ignored). The updater is looked up in dir_exe
// and LANGUAGE is the only language folder.
void Set_Workspace(App_State &state, const QString &dir_exe);

// The same for the places Choose_Workspace picked; the workspace folder itself is created
// when missing.
void Set_Workspace(App_State &state, const Workspace_Places &places);

// The language folders, the one whose file wins first.
QStringList Language_Folders(const App_State &state);

// The folder the updater is started from.
QString Updater_Folder(const App_State &state);
// Where the modules loaded at run time are looked for.
QString Module_Folder(const App_State &state);

// Derives the configuration's paths from Dir_Project.
void Set_Files(App_State &state);

// At start-up the remembered configuration is open only while its folder still exists.
void Reopen_Last_Project(App_State &state);

// The settings file beside the program.
QString Settings_Path(const App_State &state);

// Reads Variroduvi.xml into the state. A missing or malformed file gives the defaults.
void Read_Settings(App_State &state);

// Writes Variroduvi.xml from the state; false with the system's reason when it cannot be written.
bool Write_Settings(const App_State &state, QString *error);

// The settings document's bytes (no declaration, no whitespace, UTF-8).
QByteArray Settings_Bytes(const App_State &state);
