#pragma once
// The register mappings of one direction as the mapping editors hold them: the frames of the
// direction's frame list, each with its Modbus registers, and the operations the editor's
// buttons run on them. No window here: the dialogs wire their controls to this class.
#include "config/Config_Model.h"

#include <QList>
#include <QString>
#include <optional>

// The register index typed by the user, when it converts and lies in 0..65535.
std::optional<int32_t> Mod_Index_Value(const QString &text);

struct Lang_Table;

// One item of the frame list, with labels in the table's language: "Cob-ID: 0x0B5 11-bit (181)"
// over "Length: 8 · Mnemonic: Speed". The identifier stands as the device reads it (extended: a
// 29-bit frame), the text as typed follows in brackets where it is written otherwise, and stands
// alone when the device cannot read it as a number; an empty mnemonic is left out.
QString Frame_Line(const Editor_Frame &frame, bool extended, const QString &mnemonic, const Lang_Table &texts);

// One line of the register list, for example "40; Byte 1; None;". none and byte are the texts
// of the current language ("None", "Byte ").
QString Byte_Text(int32_t part, const QString &none, const QString &byte);
QString Mod_Reg_Line(const Editor_Register &reg, const QString &none, const QString &byte);
// The same for a frame that offers offered bytes: a byte beyond them is marked with beyond
// (a text with %1 for the byte's text and %2 for offered), so that it is never taken for a
// byte the frame has.
QString Byte_Text(int32_t part, const QString &none, const QString &byte, int offered, const QString &beyond);
QString Mod_Reg_Line(const Editor_Register &reg, const QString &none, const QString &byte, int offered,
                     const QString &beyond);
// The transmit editor's line: the same, then a tab and send when a Modbus write of the register
// sends the frame, so that the choice stands in a column of its own; nothing is added when it
// does not.
QString Mod_Reg_Line(const Editor_Register &reg, const QString &none, const QString &byte, int offered,
                     const QString &beyond, const QString &send);

// How many data bytes the byte lists offer for a frame: its dimension, never more than a CAN
// frame carries and never fewer than none.
int Offered_Bytes(const Editor_Frame &frame);

// What the entry fields hold. A choice without a value is a list that shows no selection: a
// stored or pasted byte number that the selected frame does not offer.
struct Mod_Reg_Entry {
    QString Ind_Mod;
    std::optional<int32_t> HiPart;
    std::optional<int32_t> LoPart;
    std::optional<int32_t> Write;
};

// Where a register sits: its frame's position in the frame list and its own in that frame's.
struct Mod_Reg_Place {
    int Frame = -1;
    int Reg = -1;
    bool operator==(const Mod_Reg_Place &) const = default;
};

enum class Mapping_Result {
    Done,
    No_Selection,        // nothing happens, nothing is reported
    Index_Out_Of_Range,  // the index does not convert or lies outside 0..65535
    Index_In_Use,        // another register of this direction has the same index value
    Image_Full,          // the device image has no room for another mapping record
};

// What differs between the receive and the transmit mapping editor: the direction (which picks
// the files, see Project_Paths) and the texts (keys of Lang_Table). The transmit editor also
// offers the send-on-write choice.
struct Mapping_Direction {
    Direction Dir;
    int Caption, SW_Desc, Frame_Desc1, Frame_Desc2, Mod_Reg_Desc1, Mod_Reg_Desc2;
    int Mod_Ind_Desc1, Mod_Ind_Desc2, High_Part_Desc1, High_Part_Desc2, Low_Part_Desc1, Low_Part_Desc2;
    int Send_on_Write, Send_False, Send_True;  // -1 for the receive editor
    int Create, Modify, Delete, Copy, Paste, OK, Cancel;
    int Error_Range, Error_In_Use, None, Byte;

    bool Has_Send_on_Write() const { return Send_on_Write >= 0; }
};
extern const Mapping_Direction Receive_Mapping;
extern const Mapping_Direction Transmit_Mapping;

class Mapping_List {
public:
    // The frames in the order of the frame list file: the position is the frame number.
    QList<Editor_Frame> Frames;

    // Mapping records of the other direction, which share the device image with these.
    int Other_Direction_Count = 0;

    // The copy buffer. It belongs to the editor, not to one showing: loading leaves it alone.
    QString ACopy_Ind_Mod;
    int32_t ACopy_HiPort = 0;
    int32_t ACopy_LoPort = 0;
    int32_t ACopy_Write = 0;

    // Replaces the frames and their registers (the copy buffer stays).
    void Load(QList<Editor_Frame> frames, int other_direction_count);

    int Register_Count() const;
    bool Is_Frame(int frame) const { return frame >= 0 && frame < Frames.size(); }
    bool Is_Register(int frame, int reg) const
    {
        return Is_Frame(frame) && reg >= 0 && reg < Frames[frame].Registers.size();
    }

    // True when a register other than the one at (app_ind_J1939, app_ind_MR) has an index whose
    // value is ind_MR; (-1, -1) leaves out none. Compared by value: 7 matches "007" and "$7".
    bool Check_Mod_Reg_in_Use(int32_t ind_MR, int app_ind_J1939, int app_ind_MR) const
    {
        return Mod_Reg_in_Use(ind_MR, app_ind_J1939, app_ind_MR).has_value();
    }
    // The same question, answered with the first such register in list order.
    std::optional<Mod_Reg_Place> Mod_Reg_in_Use(int32_t ind_MR, int app_ind_J1939, int app_ind_MR) const;

    // True when the registers differ from the ones the last Load brought: what OK would write
    // is not what the mapping file holds. Rows of the file that name no frame are not counted:
    // no showing can hold them, and leaving without OK keeps them in the file.
    bool Has_Changes() const { return Frames != loaded_; }

    // Appends a register to the frame. A byte or send choice without a value is stored as 0.
    Mapping_Result Add_Mod_Reg(int frame, const Mod_Reg_Entry &entry);
    // Rewrites the register; it may keep its own index. A choice without a value keeps what the
    // register holds for that part.
    Mapping_Result Modify_Mod_Reg(int frame, int reg, const Mod_Reg_Entry &entry);
    Mapping_Result Delete_Mod_Reg(int frame, int reg);
    Mapping_Result Copy_Mod_Reg(int frame, int reg);
    // What Paste puts into the entry fields.
    Mod_Reg_Entry Paste_Mod_Reg() const;

private:
    Mapping_Result Check_Index(const QString &text, int frame, int reg) const;

    QList<Editor_Frame> loaded_;
};
