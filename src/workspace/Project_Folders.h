#pragma once
// The configurations as folders under PROJECTS: checking and creating a new one, listing the
// existing ones, and finding a name in the list. The new and open dialogs wire their controls
// to these functions.
#include <QString>
#include <QStringList>
#include <optional>

struct Lang_Table;

enum class New_Project_Result {
    Created,         // the folder and its empty "bin" exist
    Empty_Name,      // nothing typed
    Already_Exists,  // a folder of that name, or of that name in another letter case
    Not_Valid,       // the name breaks a rule of New_Name_Fault
    Not_Created,     // the name is fine, but the folder could not be made
};

// True when name can only ever become one folder directly inside PROJECTS that the open list
// shows: no path separator of any platform, not "." or "..", no leading dot (such a folder is
// hidden and would never be listed again), no control characters. Blanks and letters of any
// alphabet are fine. This is the test for names already stored (the last configuration in the
// settings, a folder someone made by hand); a new name must pass New_Name_Fault as well.
bool Is_Plain_Folder_Name(const QString &name);

// Why a name typed for a new configuration cannot be used. A configuration is a folder, and
// folders are copied between Linux and Windows machines: the name must make the same single,
// visible folder on both.
enum class Name_Rule {
    Empty,              // nothing typed
    Blanks_Only,        // only blanks
    Control_Character,  // C0 controls, DEL, C1 controls
    Forbidden_Character,  // < > : " / \ | ? *
    Leading_Blank,
    Trailing_Blank,     // Windows drops it
    Leading_Dot,        // hidden on Linux; also "." and ".."
    Trailing_Dot,       // Windows drops it
    Device_Name,        // CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension
};

struct Name_Fault {
    Name_Rule Rule;
    // The character at fault (as "U+0009" for a control character), or the device name as typed.
    QString Part;
    bool operator==(const Name_Fault &) const = default;
};

// The first rule that name breaks, in the order of Name_Rule, or none.
std::optional<Name_Fault> New_Name_Fault(const QString &name);

// The folder of the configuration name.
QString Configuration_Folder(const QString &dir_projects, const QString &name);

struct New_Project_Outcome {
    New_Project_Result Result = New_Project_Result::Created;
    std::optional<Name_Fault> Fault;  // Empty_Name, Not_Valid: what is wrong with the name
    QString Existing;                 // Already_Exists: the folder's name as it is spelled
    QString Folder;                   // Not_Created: the folder that could not be made
    QString Reason;                   // Not_Created: the system's reason
};

// Checks name in this order (empty, the rules of New_Name_Fault, already there) and creates
// the folder with an empty "bin" inside. A "bin" that cannot be created is not a failure: the
// image builder needs it only later. Nothing is created unless the result is Created.
New_Project_Outcome Create_Project_Folder(const QString &dir_projects, const QString &name);

// The error for an outcome other than Created, saying what is wrong with the name.
QString New_Project_Message(const Lang_Table &texts, const New_Project_Outcome &outcome);

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
