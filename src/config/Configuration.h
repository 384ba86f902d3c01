#pragma once
// A configuration folder as it is stored: the settings and both directions' frames and their
// register mappings, every value the text it was typed as. This is the one reading of the five
// files; the device images, the check, the monitor, the register map and the editors all take
// their view of the configuration from it (Device_Records.h is the device's view).
//
// Loading never stops at a faulty file: a file that cannot be read or is not well-formed is kept
// as its error, and the view that needs that file raises it when it gets there. So each view
// fails exactly where it would fail reading the files itself, in its own order, and a fault in
// one file does not hide what the others hold.
#include "config/Config_Model.h"
#include "config/Project_Paths.h"
#include "platform/Xml_Document.h"

#include <QList>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

// How one file of the folder was found.
struct Stored_File {
    enum class State {
        Not_Read,  // not looked for: a mapping file whose direction has no frames
        Missing,
        Read,
        Failed,  // exists, but cannot be read or is not well-formed; Error says why
    };
    State Status = State::Not_Read;
    std::optional<Xml_Error> Error;
    bool Missing() const { return Status == State::Missing; }
    bool Failed() const { return Status == State::Failed; }
    // Raises the file's error, if it has one.
    void Raise_If_Failed() const
    {
        if (Error) throw *Error;
    }
};

// An attribute as stored: its text, or no value when the row does not have it at all.
using Stored_Text = std::optional<QString>;

// One row of a mapping file.
struct Stored_Mapping {
    int Row = 0;  // position in the mapping file, from 0
    Stored_Text Num_Frame;
    Stored_Text Mod_Index;
    Stored_Text Byte_HiPart;
    Stored_Text Byte_LoPart;
    Stored_Text Send_on_Write;  // transmit mappings
};

// One row of a frame list, with the mappings that name it (in mapping-file order). The row is
// the frame's number within its direction. Receive frames use TimeOut, transmit frames
// DataChange, OnTimer and SendTimer.
struct Stored_Frame {
    int Row = 0;
    Stored_Text CobID;
    Stored_Text Dimension;
    Stored_Text Type;
    Stored_Text TimeOut;
    Stored_Text DataChange;
    Stored_Text OnTimer;
    Stored_Text SendTimer;
    Stored_Text Mnemonic;
    QList<Stored_Mapping> Registers;
};

struct Stored_Direction {
    Stored_File Frame_File;
    Stored_File Map_File;
    QList<Stored_Frame> Frames;
    // Mapping rows whose Num_Frame is missing, not a number, negative or beyond the frame list:
    // they belong to no frame, and are kept as they stand.
    QList<Stored_Mapping> Unplaced;
    int Mapping_Rows = 0;  // every row of the mapping file
};

struct Configuration {
    Project_Paths Paths;
    Stored_File Settings_File;
    // The settings' texts; no value for an element the file does not have (or for every
    // setting when the file is missing).
    Par_Gen_Fields<std::optional<QString>> Settings;
    Stored_Direction Receive;
    Stored_Direction Transmit;

    const Stored_Direction &Part(Direction direction) const
    {
        return direction == Direction::Receive ? Receive : Transmit;
    }
    Stored_Direction &Part(Direction direction) { return direction == Direction::Receive ? Receive : Transmit; }
};

// Reads the configuration folder of paths: each file at most once, a mapping file only when
// its direction has frames. Never throws for the files' content (see above).
Configuration Load_Configuration(const Project_Paths &paths);

// The mapping rows of a direction in file order, each with the number of the frame that holds
// it (-1 for an unplaced row): the order in which every view reads them.
std::vector<std::pair<const Stored_Mapping *, int>> Mappings_In_File_Order(const Stored_Direction &part);

// One direction's files on their own: the rows of a frame list, and the rows of a mapping file
// placed on the frames part holds (which the frame list is read for first).
void Load_Frame_List(const QString &path, Stored_Direction &part);
void Load_Mapping_File(const QString &path, Stored_Direction &part);

// The settings out of a loaded ParGen.xml document: each setting is the first child element of
// its name under the root.
Par_Gen_Fields<std::optional<QString>> Settings_Of_Document(const Xml_Document &doc);

// Frame types as the two sides read them. They differ on purpose: the device compares the whole
// text with a to z taken as A to Z and nothing else changed, so that the result is the same on
// every machine; the editors trim the text and compare it upper-cased, as a user reads it.
bool Device_Reads_29_Bit(QStringView type);
// The device's comparison of a text with an upper-case ASCII form: the letters a to z count as
// A to Z, nothing else is changed and nothing is trimmed; a character outside ASCII never matches.
bool Device_Text_Equals(QStringView text, QLatin1StringView upper);
bool Editor_Reads_11_Bit(QStringView type);
// Check box texts ("Y" / "N") likewise: the device takes exactly "Y" or "y", the editors a
// trimmed "Y" in either case.
bool Device_Reads_Yes(QStringView text);
bool Editor_Reads_Checked(QStringView text);

// The error of a row (numbered from 0) that lacks an attribute a reader needs.
[[noreturn]] void Raise_Missing_Attribute(const QString &file, int row, const QString &name);

// The frame list as the frame list editors show it: every attribute of the direction is
// required, in the file's column order. Throws the file's error, or Row_Error for the first
// row without one of them.
QList<Frame_Row> Editor_Frame_Rows(const Configuration &config, Direction direction);
// The mapping editors' view: the frames of the direction with CobID and Dimension (required),
// each with its mappings (Num_Frame, Mod_Index, Byte_HiPart, Byte_LoPart and for transmit
// Send_on_Write required). unplaced, when given, receives the number of mapping rows that name
// no frame.
QList<Editor_Frame> Editor_Mapping_Frames(const Configuration &config, Direction direction, int *unplaced = nullptr);
