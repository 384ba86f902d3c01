#include "config/Device_Records.h"

#include "platform/Core_Text.h"
#include "platform/Int_Text.h"

#include <cstring>

namespace {

using Int_Text::Str_To_Int;

[[noreturn]] void Too_Many(const QString &file, int row, bool mappings)
{
    const QString what =
        mappings ? Core_Text("more than %1 mapping records, receive and transmit together; "
                             "the device image holds no more")
                       .arg(Max_Map_Records)
                 : Core_Text("more than %1 frame records, receive and transmit together; "
                             "the device image holds no more")
                       .arg(Max_Frame_Records);
    throw Capacity_Error(file, row + 1, what, mappings);
}

const QString &Required(const Stored_Text &text, const QString &file, int row, const char *name)
{
    if (!text) Raise_Missing_Attribute(file, row, QString::fromLatin1(name));
    return *text;
}

std::optional<int32_t> Required_Number(const Stored_Text &text, const QString &file, int row, const char *name)
{
    return Str_To_Int(Required(text, file, row, name));
}

// Receive records come first in the frame table, transmit records after them; likewise in the
// mapping table.
void Read_Frames(const Configuration &config, Direction direction, Device_Configuration &out, uint32_t first,
                 uint32_t &count)
{
    const Stored_Direction &part = config.Part(direction);
    const QString &file = config.Paths.Frame_File(direction);
    part.Frame_File.Raise_If_Failed();
    std::vector<Device_Frame> &frames = out.Frames[direction == Direction::Receive ? 0 : 1];
    frames.reserve(size_t(part.Frames.size()));
    for (const Stored_Frame &f : part.Frames) {
        if (first + count >= uint32_t(Max_Frame_Records)) Too_Many(file, f.Row, false);
        Device_Frame d;
        d.Source = &f;
        Frame_Entry &e = d.Entry;
        d.CobID = Required_Number(f.CobID, file, f.Row, "CobID");
        e.Ident = uint32_t(d.CobID.value_or(0));
        if (Device_Reads_29_Bit(Required(f.Type, file, f.Row, "Type"))) e.Ident |= Ident_Extended;
        d.Dimension = Required_Number(f.Dimension, file, f.Row, "Dimension");
        e.Dimension = uint8_t(d.Dimension.value_or(8));
        if (direction == Direction::Receive) {
            d.Timer = Required_Number(f.TimeOut, file, f.Row, "TimeOut");
            e.Time_Out = uint32_t(d.Timer.value_or(0));
        } else {
            e.Flags = Frame_Flag_Transmit;
            if (Device_Reads_Yes(Required(f.DataChange, file, f.Row, "DataChange"))) e.Flags |= Frame_Flag_Data_Change;
            // The period counts only for a frame sent on a timer; otherwise it is not read at all.
            d.On_Timer = Device_Reads_Yes(Required(f.OnTimer, file, f.Row, "OnTimer"));
            if (d.On_Timer) {
                d.Timer = Required_Number(f.SendTimer, file, f.Row, "SendTimer");
                e.Send_Timer = uint32_t(d.Timer.value_or(0));
            }
        }
        e.Data_Offset = uint16_t(8 * count);
        frames.push_back(d);
        ++count;
    }
}

void Read_Mappings(const Configuration &config, Direction direction, Device_Configuration &out, uint32_t first,
                   uint32_t &count)
{
    const Stored_Direction &part = config.Part(direction);
    // With no frames in a direction its mapping file is not read at all.
    if (part.Frames.isEmpty()) return;
    part.Map_File.Raise_If_Failed();
    const QString &file = config.Paths.Map_File(direction);
    const bool transmit = direction == Direction::Transmit;
    std::vector<Device_Mapping> &mappings = out.Mappings[transmit ? 1 : 0];
    mappings.reserve(size_t(part.Mapping_Rows));
    for (const auto &[m, frame] : Mappings_In_File_Order(part)) {
        Device_Mapping d;
        d.Source = m;
        d.Num_Frame = Required_Number(m->Num_Frame, file, m->Row, "Num_Frame");
        if (frame < 0) {
            // Names no frame of the direction: the device never gets it.
            mappings.push_back(d);
            continue;
        }
        if (first + count >= uint32_t(Max_Map_Records)) Too_Many(file, m->Row, true);
        d.Placed = true;
        Map_Entry &e = d.Entry;
        d.Mod_Index = Required_Number(m->Mod_Index, file, m->Row, "Mod_Index");
        e.Mod_Index = uint16_t(d.Mod_Index.value_or(100));
        e.Num_Frame = uint16_t(frame);
        d.Byte_HiPart = Required_Number(m->Byte_HiPart, file, m->Row, "Byte_HiPart");
        e.Byte_HiPart = uint16_t(d.Byte_HiPart.value_or(0));
        d.Byte_LoPart = Required_Number(m->Byte_LoPart, file, m->Row, "Byte_LoPart");
        e.Byte_LoPart = uint16_t(d.Byte_LoPart.value_or(0));
        if (transmit) {
            // A missing attribute is simply not "1".
            e.Flags = Map_Flag_Transmit;
            if (m->Send_on_Write == QLatin1String("1")) e.Flags |= Map_Flag_Send_On_Write;
        }
        mappings.push_back(d);
        ++count;
    }
}

}  // namespace

Bank1_Header Device_Default_Settings()
{
    Bank1_Header p;
    p.CAN_Baud = p.CAN_Baud_2 = 125000;
    p.Fixed_008 = 9600;
    const uint8_t ip[4] = {192, 168, 2, 205};
    const uint8_t mask[4] = {255, 255, 255, 0};
    std::memcpy(p.TCP_IP, ip, 4);
    std::memcpy(p.TCP_Mask, mask, 4);
    std::memset(p.TCP_Gateway, 255, 4);
    p.Fixed_034 = 10000;
    p.TCP_Port = p.TCP_Port_2 = 10001;
    p.Fixed_03C = 9600;
    p.Fixed_040 = 2;
    return p;
}

void Read_Device_Settings(const Configuration &config, Device_Configuration &out)
{
    Bank1_Header &p = out.Param;
    const Bank1_Header defaults = Device_Default_Settings();
    // Only the settings change; the table counts and addresses stay.
    p.CAN_Baud = p.CAN_Baud_2 = defaults.CAN_Baud;
    p.Fixed_008 = defaults.Fixed_008;
    std::memcpy(p.TCP_IP, defaults.TCP_IP, 4);
    std::memcpy(p.TCP_Mask, defaults.TCP_Mask, 4);
    std::memcpy(p.TCP_Gateway, defaults.TCP_Gateway, 4);
    p.Fixed_034 = defaults.Fixed_034;
    p.TCP_Port = p.TCP_Port_2 = defaults.TCP_Port;
    p.Fixed_03C = defaults.Fixed_03C;
    p.Fixed_040 = defaults.Fixed_040;
    config.Settings_File.Raise_If_Failed();
    if (config.Settings_File.Status != Stored_File::State::Read) return;

    const Par_Gen_Fields<std::optional<QString>> &s = config.Settings;
    // Each setting on its own: a missing element or a text that does not convert gives the
    // setting's fallback. Narrow fields keep the low bits.
    auto value = [](const std::optional<QString> &text, int32_t fallback) {
        return text ? Int_Text::Str_To_Int_Def(*text, fallback) : fallback;
    };
    p.CAN_Baud = p.CAN_Baud_2 = uint32_t(Baud_Code_To_Bps(value(s.CAN_BAUDRATE, Default_Baud_Code)));
    const int32_t ip_fallback[4] = {192, 168, 0, 10};
    const int32_t mask_fallback[4] = {255, 255, 255, 0};
    for (int i = 0; i < 4; ++i) {
        p.TCP_IP[i] = uint8_t(value(s.IP[i], ip_fallback[i]));
        p.TCP_Mask[i] = uint8_t(value(s.SM[i], mask_fallback[i]));
    }
    std::memset(p.TCP_Gateway, 255, 4);
    if (s.EN_GAT && *s.EN_GAT == QLatin1String("1")) {
        for (int i = 0; i < 4; ++i) p.TCP_Gateway[i] = uint8_t(value(s.GAT[i], 255));
    }
    p.TCP_Port = p.TCP_Port_2 = uint16_t(value(s.Port, 502));
}

void Read_Device_Lists(const Configuration &config, Device_Configuration &out)
{
    Bank1_Header &p = out.Param;
    for (auto &f : out.Frames) f.clear();
    for (auto &m : out.Mappings) m.clear();
    p.Num_Rx_Frame = p.Num_Tx_Frame = p.Num_Rx_Map = p.Num_Tx_Map = 0;
    p.Addr_Rx_Frame = Frame_Table_Addr;
    p.Addr_Tx_Frame = p.Addr_Tx_Map = 0;
    p.Addr_Rx_Map = 0;

    out.Reached = Device_Step::Receive_Frames;
    Read_Frames(config, Direction::Receive, out, 0, p.Num_Rx_Frame);
    out.Reached = Device_Step::Transmit_Frames;
    p.Addr_Tx_Frame = Frame_Table_Addr + uint32_t(Frame_Entry_Size) * p.Num_Rx_Frame;
    Read_Frames(config, Direction::Transmit, out, p.Num_Rx_Frame, p.Num_Tx_Frame);
    out.Reached = Device_Step::Receive_Mappings;
    p.Addr_Rx_Map = Map_Table_Addr;
    Read_Mappings(config, Direction::Receive, out, 0, p.Num_Rx_Map);
    out.Reached = Device_Step::Transmit_Mappings;
    p.Addr_Tx_Map = Map_Table_Addr + uint32_t(Map_Entry_Size) * p.Num_Rx_Map;
    Read_Mappings(config, Direction::Transmit, out, p.Num_Rx_Map, p.Num_Tx_Map);
    out.Reached = Device_Step::Done;
}

Device_Configuration Read_Device_Configuration(const Configuration &config)
{
    Device_Configuration out;
    Read_Device_Settings(config, out);
    Read_Device_Lists(config, out);
    return out;
}
