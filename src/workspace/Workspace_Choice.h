#pragma once
// Where the program keeps its work. A program folder the user may write to (the build folder,
// a copy on a stick, a Windows-style install) is the workspace itself, as it always was. An
// installed program (bin/qcx3310 with share/qcx3310 beside it, or a folder the user may not
// write to) keeps its work in the user's data folder instead and reads the shipped languages
// from the install.
#include <QString>
#include <QStringList>

// What the choice depends on, read from the file system by Read_Workspace_Facts.
struct Workspace_Facts {
    QString Dir_Program;        // the folder of the running program
    bool Program_Dir_Writable = true;
    bool Shipped_Data_Beside = false;  // Dir_Program/../share/qcx3310 is a folder
    QString Dir_User_Data;      // the user's data folder (e.g. ~/.local/share/QCX3310)
};

struct Workspace_Places {
    bool Installed = false;
    // MASTER, PROJECTS, LANGUAGE, Variroduvi.xml, the update job and its report.
    QString Dir_Workspace;
    // The shipped languages and flags when they live apart from the workspace's LANGUAGE;
    // empty when the workspace's LANGUAGE is the only language folder.
    QString Dir_Shipped_Language;
    // The folder of the updater Ethernet_Update.
    QString Dir_Updater;
    // The folder of the modules loaded at run time (the monitor's Modbus client).
    QString Dir_Modules;
    bool operator==(const Workspace_Places &) const = default;
};

// Installed programs keep their data in share/qcx3310, the updater in libexec/qcx3310 and the
// modules in lib/qcx3310, each relative to the folder that holds bin.
inline constexpr char16_t Installed_Data_Dir[] = u"share/qcx3310";
inline constexpr char16_t Installed_Updater_Dir[] = u"libexec/qcx3310";
inline constexpr char16_t Installed_Module_Dir[] = u"lib/qcx3310";

// The choice itself; paths come back cleaned and without a trailing separator. A program that
// counts as installed but has no user data folder to go to keeps its own folder.
Workspace_Places Choose_Workspace(const Workspace_Facts &facts);

// The places of a program whose own folder dir_program is the workspace.
Workspace_Places Portable_Workspace(const QString &dir_program);

// The facts for the program in dir_program; dir_user_data is where an installed program's
// workspace goes.
Workspace_Facts Read_Workspace_Facts(const QString &dir_program, const QString &dir_user_data);

// The language folders to look in, the one whose file wins first: the workspace's LANGUAGE,
// then the shipped one when it is apart.
QStringList Language_Folders(const QString &dir_language, const QString &dir_shipped_language);
