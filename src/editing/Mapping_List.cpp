#include "editing/Mapping_List.h"

#include "config/CobID_Reading.h"
#include "lang/Lang_Table.h"
#include "platform/Int_Text.h"

#include <algorithm>

const Mapping_Direction Receive_Mapping = {
    Direction::Receive,
    138, 139, 140, 141, 142, 143,
    144, 145, 146, 147, 148, 149,
    -1, -1, -1,
    150, 151, 152, 153, 154, 155, 156,
    157, 158, 159, 160};

const Mapping_Direction Transmit_Mapping = {
    Direction::Transmit,
    161, 162, 163, 164, 165, 166,
    167, 168, 169, 170, 171, 172,
    173, 174, 175,
    176, 177, 178, 179, 180, 181, 182,
    183, 184, 185, 186};

std::optional<int32_t> Mod_Index_Value(const QString &text)
{
    const std::optional<int32_t> value = Int_Text::Str_To_Int(text);
    if (!value || *value < 0 || *value > Max_Mod_Index) return std::nullopt;
    return value;
}

QString Frame_Line(const Editor_Frame &frame, bool extended, const QString &mnemonic, const Lang_Table &texts)
{
    const QString typed = Int_Text::Trim(frame.CobID);
    QString ident = typed;
    if (const std::optional<int32_t> value = Int_Text::Str_To_Int(frame.CobID)) {
        ident = Identifier_Text(uint32_t(*value), extended);
        if (typed.compare(Identifier_Hex(uint32_t(*value), extended), Qt::CaseInsensitive) != 0)
            ident += QStringLiteral(" (%1)").arg(typed);
    }
    QString line = texts[STR_Map_Frame_CobID].arg(ident) + u'\n' + texts[STR_Map_Frame_Length].arg(frame.Num_Byte);
    if (const QString name = Int_Text::Trim(mnemonic); !name.isEmpty())
        line += QStringLiteral(" \u00B7 ") + texts[STR_Map_Frame_Mnemonic].arg(name);
    return line;
}

QString Byte_Text(int32_t part, const QString &none, const QString &byte)
{
    return part == 0 ? none : byte + QString::number(part);
}

QString Mod_Reg_Line(const Editor_Register &reg, const QString &none, const QString &byte)
{
    return reg.Ind_Mod + QStringLiteral("; ") + Byte_Text(reg.HiPart, none, byte) +
           QStringLiteral("; ") + Byte_Text(reg.LoPart, none, byte) + u';';
}

QString Byte_Text(int32_t part, const QString &none, const QString &byte, int offered, const QString &beyond)
{
    const QString text = Byte_Text(part, none, byte);
    return part > offered ? beyond.arg(text).arg(offered) : text;
}

QString Mod_Reg_Line(const Editor_Register &reg, const QString &none, const QString &byte, int offered,
                     const QString &beyond)
{
    return reg.Ind_Mod + QStringLiteral("; ") + Byte_Text(reg.HiPart, none, byte, offered, beyond) +
           QStringLiteral("; ") + Byte_Text(reg.LoPart, none, byte, offered, beyond) + u';';
}

QString Mod_Reg_Line(const Editor_Register &reg, const QString &none, const QString &byte, int offered,
                     const QString &beyond, const QString &send)
{
    // Only a 1 makes the device send (see the image builder); any other value is no send.
    const QString line = Mod_Reg_Line(reg, none, byte, offered, beyond);
    return reg.Write == 1 ? line + u'\t' + send : line;
}

int Offered_Bytes(const Editor_Frame &frame)
{
    // A hand-edited frame list may claim more bytes than a CAN frame has; a register mapped onto
    // a byte beyond the eighth would name data the device never receives or sends.
    return std::clamp(frame.Num_Byte, 0, Max_Data_Bytes);
}

void Mapping_List::Load(QList<Editor_Frame> frames, int other_direction_count)
{
    Frames = std::move(frames);
    loaded_ = Frames;
    Other_Direction_Count = other_direction_count;
}

int Mapping_List::Register_Count() const
{
    int count = 0;
    for (const Editor_Frame &frame : Frames) count += int(frame.Registers.size());
    return count;
}

std::optional<Mod_Reg_Place> Mapping_List::Mod_Reg_in_Use(int32_t ind_MR, int app_ind_J1939, int app_ind_MR) const
{
    for (int f = 0; f < Frames.size(); ++f) {
        const QList<Editor_Register> &regs = Frames[f].Registers;
        for (int r = 0; r < regs.size(); ++r) {
            if (Int_Text::Str_To_Int_Def(regs[r].Ind_Mod, -1) != ind_MR) continue;
            if (f == app_ind_J1939 && r == app_ind_MR) continue;
            return Mod_Reg_Place{f, r};
        }
    }
    return std::nullopt;
}

Mapping_Result Mapping_List::Check_Index(const QString &text, int frame, int reg) const
{
    const std::optional<int32_t> value = Mod_Index_Value(text);
    if (!value) return Mapping_Result::Index_Out_Of_Range;
    if (Check_Mod_Reg_in_Use(*value, frame, reg)) return Mapping_Result::Index_In_Use;
    return Mapping_Result::Done;
}

Mapping_Result Mapping_List::Add_Mod_Reg(int frame, const Mod_Reg_Entry &entry)
{
    if (!Is_Frame(frame)) return Mapping_Result::No_Selection;
    const Mapping_Result check = Check_Index(entry.Ind_Mod, -1, -1);
    if (check != Mapping_Result::Done) return check;
    // Both directions share the device's table of mapping records.
    if (Other_Direction_Count + Register_Count() >= Max_Map_Records) return Mapping_Result::Image_Full;

    Editor_Register reg;
    reg.Ind_Mod = entry.Ind_Mod;
    reg.HiPart = entry.HiPart.value_or(0);
    reg.LoPart = entry.LoPart.value_or(0);
    reg.Write = entry.Write.value_or(0);
    Frames[frame].Registers.append(reg);
    return Mapping_Result::Done;
}

Mapping_Result Mapping_List::Modify_Mod_Reg(int frame, int reg, const Mod_Reg_Entry &entry)
{
    if (!Is_Register(frame, reg)) return Mapping_Result::No_Selection;
    const Mapping_Result check = Check_Index(entry.Ind_Mod, frame, reg);
    if (check != Mapping_Result::Done) return check;

    Editor_Register &target = Frames[frame].Registers[reg];
    target.Ind_Mod = entry.Ind_Mod;
    if (entry.HiPart) target.HiPart = *entry.HiPart;
    if (entry.LoPart) target.LoPart = *entry.LoPart;
    if (entry.Write) target.Write = *entry.Write;
    return Mapping_Result::Done;
}

Mapping_Result Mapping_List::Delete_Mod_Reg(int frame, int reg)
{
    if (!Is_Register(frame, reg)) return Mapping_Result::No_Selection;
    Frames[frame].Registers.removeAt(reg);
    return Mapping_Result::Done;
}

Mapping_Result Mapping_List::Copy_Mod_Reg(int frame, int reg)
{
    if (!Is_Register(frame, reg)) return Mapping_Result::No_Selection;
    const Editor_Register &source = Frames[frame].Registers[reg];
    ACopy_Ind_Mod = source.Ind_Mod;
    ACopy_HiPort = source.HiPart;
    ACopy_LoPort = source.LoPart;
    ACopy_Write = source.Write;
    return Mapping_Result::Done;
}

Mod_Reg_Entry Mapping_List::Paste_Mod_Reg() const
{
    return {ACopy_Ind_Mod, ACopy_HiPort, ACopy_LoPort, ACopy_Write};
}
