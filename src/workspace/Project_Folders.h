#pragma once
// The configurations as folders under PROJECTS: checking and creating a new one, listing the
// existing ones, and finding a name in the list. The new and open dialogs wire their controls
// to these functions.
#include <QString>
#include <QStringList>

enum class New_Project_Result {
    Created,         // the folder and its empty "bin" exist
    Empty_Name,      // nothing typed
    Already_Exists,  // a folder of that name, or of that name in another letter case
    Not_Valid,       // not a single plain folder name, or the folder could not be created
};

// True when name can only ever become one folder directly inside PROJECTS that the open list
// shows: no path separator of any platform, not "." or "..", no leading dot (such a folder is
// hidden and would never be listed again), no control characters. Blanks and letters of any
// alphabet are fine.
bool Is_Plain_Folder_Name(const QString &name);

// The folder of the configuration name.
QString Configuration_Folder(const QString &dir_projects, const QString &name);

// Checks name in this order (empty, plain folder name, already there) and creates the folder
// with an empty "bin" inside. A "bin" that cannot be created is not a failure: the image
// builder needs it only later. Nothing is created unless the result is Created.
New_Project_Result Create_Project_Folder(const QString &dir_projects, const QString &name);

// The names of the configuration folders: folders only, never ".", "..", hidden or system
// entries. An unreadable or missing dir_projects gives an empty list. Ordered by name without
// regard to letter case, so the list reads the same on every platform.
QStringList List_Configurations(const QString &dir_projects);

// Position of the first entry of names equal to snc when both are compared in upper case;
// -1 when there is none.
int Search_Configuration(const QStringList &names, const QString &snc);

// The open configuration's name as the part of dir_project after dir_projects and its
// separator; empty when none is open.
QString Open_Configuration_Name(const QString &dir_projects, const QString &dir_project);

// The line the open dialog starts on: the open configuration, else the first line, else -1.
int Preselected_Line(const QStringList &names, const QString &open_name);
