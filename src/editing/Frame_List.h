#pragma once
// The receive and transmit frame lists as their editors hold them: 250 grid rows, the columns
// of each direction, validation, row insert and delete, and the packing that saving and
// loading apply. No window is needed; the dialogs wire their grid to these functions.
#include "config/Config_Model.h"

#include <QList>
#include <QString>
#include <optional>

struct Lang_Table;

// The grid's entry rows: always Max_Frame_Entries of them. Grid row n (1..250, the number the
// row-number column shows) is element n - 1.
using Frame_Grid = QList<Frame_Row>;

Frame_Grid Empty_Frame_Grid();

// Column numbers of the two grids (column 0 shows the row number).
namespace Receive_Col {
constexpr int Num = 0, CobID = 1, Dimension = 2, Type = 3, TimeOut = 4, Mnemonic = 5, Count = 6;
}
namespace Transmit_Col {
constexpr int Num = 0, CobID = 1, Dimension = 2, Type = 3, DataChange = 4, OnTimer = 5,
              SendTimer = 6, Mnemonic = 7, Count = 8;
}

enum class Frame_Column_Kind {
    Row_Number,  // fixed, not editable
    Text,        // free text, stored as typed
    Type,        // drop-down list of the two frame types
    Check        // check box: "Y" checked, "N" unchecked, empty never clicked
};

struct Frame_Column {
    Frame_Column_Kind Kind;
    QString Frame_Row::*Field;  // null for the row-number column
};

// Everything that tells the two editors apart.
struct Frame_List_Kind {
    Direction Dir;
    QList<Frame_Column> Columns;
    // Lang_Table keys.
    int STR_Caption;
    int STR_Desc;
    int STR_OK;
    int STR_Cancel;
    int STR_DelRow;
    int STR_InsRow;
    int STR_First_Title;  // titles of columns 0.. in order
    int STR_Error_Row;    // "Error in row "
    int STR_Type_Empty;
    int STR_CobID_11;
    int STR_CobID_29;
    int STR_Dimension;
    int STR_Timer;        // TimeOut (receive) or Send Timer (transmit)
    int STR_Delete_Question;
    // The column that each rule checks, so the grid can show the user where the fault is.
    int Col_Timer;
};

const Frame_List_Kind &Frame_List_Of(Direction direction);

// A row is an entry when its Cob-ID, trimmed, is not empty.
bool Is_Entry(const Frame_Row &row);

// An 11-bit frame when the Type, trimmed and upper-cased, is "CAN 2.0A 11 BITS"; any other
// Type is checked against the 29-bit range (the editors' reading, Editor_Reads_11_Bit).
bool Is_11_Bit(const Frame_Row &row);

// A frame's identity: its identifier's value and format. "0x181", "$181" and "385" are one
// frame; the same number as an 11-bit and as a 29-bit identifier are two.
struct Frame_Key {
    int64_t Id = -1;
    bool Is_29 = false;
    bool operator==(const Frame_Key &) const = default;
};
size_t qHash(const Frame_Key &key, size_t seed = 0);
// A row's frame, by its Cob-ID as the editor reads it and its Type; none when the Cob-ID is no
// number or negative.
std::optional<Frame_Key> Frame_Key_Of(const Frame_Row &row);

// A check-box cell counts as set when its text, trimmed and upper-cased, is "Y"
// (Editor_Reads_Checked).
bool Is_Checked(const QString &text);

enum class Frame_Rule { Type_Empty, CobID_11, CobID_29, Dimension, Timer };

struct Frame_Fault {
    int Row;  // grid row number, 1..250
    Frame_Rule Rule;
    // A Cob-ID out of range that is a valid identifier of the frame's format when read as
    // hexadecimal ("18FF0001"): that identifier, so the message can say to write its 0x.
    std::optional<uint32_t> Write_Hex = std::nullopt;
    bool operator==(const Frame_Fault &) const = default;
};

// Checks every entry row (a row whose trimmed Cob-ID is not empty) from row 1 down, also the
// rows below an empty one. The first failed rule of the first faulty row, or none.
std::optional<Frame_Fault> Check_Frames(Direction direction, const Frame_Grid &grid);

// The column whose cell a fault is about.
int Fault_Column(const Frame_List_Kind &kind, Frame_Rule rule);

// How the device reads the row's Cob-ID, with the frame format: "0x0B5 11-bit" for "181" in an
// 11-bit frame. Empty when the device cannot read it as an identifier of that format (not a
// number, or out of range), which the check of the grid refuses.
QString Device_Reading(const Frame_Row &row);

// "Error in row " + row number + the rule's text, exactly, in the table's language; for a
// Cob-ID that is valid as hexadecimal, a second line saying to write it with 0x.
QString Fault_Text(const Frame_List_Kind &kind, const Lang_Table &texts, const Frame_Fault &fault);

// "Are you sure to delete the Row number " followed directly by the row number.
QString Delete_Question(const Frame_List_Kind &kind, const Lang_Table &texts, int Num_Row);

// Whether an empty row can be opened without pushing a frame out of the grid: not while row
// 250 holds an entry.
bool Can_Insert_Row(const Frame_Grid &grid);

// Opens an empty row at Num_Row (1..250), moving the rows below it down by one. Refused (false,
// grid unchanged) while row 250 holds an entry, so that no frame is ever pushed out.
bool Insert_Row(Frame_Grid &grid, int Num_Row);

// Removes row Num_Row (1..250), moving the rows below it up and clearing row 250.
void Delete_Row(Frame_Grid &grid, int Num_Row);

// Whether grid holds something that loaded (the grid as the file gave it) does not: a text, a
// frame moved to another place, or a frame deleted and typed in again (its mappings would go).
// Rows without any text do not count, so an empty row opened and nothing typed, or a text typed
// and taken back, is no change.
bool Frame_Grid_Changed(const Frame_Grid &loaded, const Frame_Grid &grid);

// The entries in grid order, empty rows skipped: what the file receives.
QList<Frame_Row> Pack_Entries(const Frame_Grid &grid);

// What a save of the grid writes. The frames keep their mappings: when a stored frame moved
// (rows inserted or deleted above it, empty rows packed away) or was deleted, the direction's
// mapping file is rewritten in the same save so that every mapping names its frame's new
// number, and the mappings of deleted frames go with them.
struct Frame_List_Save {
    QList<Frame_Row> Entries;              // what the frame list file receives
    QList<int> New_Index;                  // per stored frame its new number, -1 when deleted
    std::optional<QByteArray> Map_Bytes;   // the mapping file, when it must change
    // Per deleted frame that had mappings: its old number and their register index texts.
    QList<std::pair<int, QStringList>> Removed;
    int Removed_Count() const;
};

// Plans the save of grid, whose rows carry the Stored_Index they were loaded with from a file
// of stored_count frames. Reads the mapping file at map_path only when frames moved; throws
// Xml_Error when it must be read and cannot.
Frame_List_Save Plan_Frame_List_Save(const Frame_Grid &grid, int stored_count, const QString &map_path);

// Writes the frame list and, when planned, the mapping file, as one pair: a failure leaves both
// as they were. Throws Xml_Error naming the file.
void Commit_Frame_List_Save(const Frame_List_Save &save, Direction direction, const QString &frame_path,
                            const QString &map_path);

// The question before mappings go with their frames: how many registers of which frames
// (stored_rows: the frames as loaded, for their Cob-IDs).
QString Removed_Mappings_Question(const Lang_Table &texts, const QList<Frame_Row> &stored_rows,
                                  const Frame_List_Save &save);

// The grid that a file gives: its rows from row 1 in file order, the rest empty. A missing file
// gives an empty grid. Throws Xml_Error naming the file for a file that is not well-formed, a
// row without one of the direction's attributes, or more rows than the grid holds (showing only
// part of them would let the next save throw the rest away).
Frame_Grid Read_Frame_Grid(const QString &path, Direction direction);
