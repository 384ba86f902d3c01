#include "config/Image_Layout.h"

#include <cstring>

void Put_U16(uint8_t *out, uint16_t value)
{
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

void Put_U32(uint8_t *out, uint32_t value)
{
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
    out[2] = uint8_t(value >> 16);
    out[3] = uint8_t(value >> 24);
}

uint16_t Get_U16(const uint8_t *in) { return uint16_t(in[0] | (in[1] << 8)); }

uint32_t Get_U32(const uint8_t *in)
{
    return uint32_t(in[0]) | (uint32_t(in[1]) << 8) | (uint32_t(in[2]) << 16) | (uint32_t(in[3]) << 24);
}

void Put_Bank1_Header(const Bank1_Header &h, uint8_t *out)
{
    std::memset(out, 0, Bank1_Checksum_Offset);
    Put_U32(out + 0x000, h.CAN_Baud);
    Put_U32(out + 0x004, h.CAN_Baud_2);
    Put_U32(out + 0x008, h.Fixed_008);
    std::memcpy(out + 0x028, h.TCP_IP, 4);
    std::memcpy(out + 0x02C, h.TCP_Mask, 4);
    std::memcpy(out + 0x030, h.TCP_Gateway, 4);
    Put_U16(out + 0x034, h.Fixed_034);
    Put_U16(out + 0x036, h.TCP_Port);
    Put_U16(out + 0x038, h.TCP_Port_2);
    Put_U32(out + 0x03C, h.Fixed_03C);
    Put_U32(out + 0x040, h.Fixed_040);
    Put_U32(out + 0x1FC, h.Num_Rx_Frame);
    Put_U32(out + 0x200, h.Addr_Rx_Frame);
    Put_U32(out + 0x204, h.Num_Tx_Frame);
    Put_U32(out + 0x208, h.Addr_Tx_Frame);
    Put_U32(out + 0x20C, h.Num_Rx_Map);
    Put_U32(out + 0x210, h.Addr_Rx_Map);
    Put_U32(out + 0x214, h.Num_Tx_Map);
    Put_U32(out + 0x218, h.Addr_Tx_Map);
}

Bank1_Header Get_Bank1_Header(const uint8_t *in)
{
    Bank1_Header h;
    h.CAN_Baud = Get_U32(in + 0x000);
    h.CAN_Baud_2 = Get_U32(in + 0x004);
    h.Fixed_008 = Get_U32(in + 0x008);
    std::memcpy(h.TCP_IP, in + 0x028, 4);
    std::memcpy(h.TCP_Mask, in + 0x02C, 4);
    std::memcpy(h.TCP_Gateway, in + 0x030, 4);
    h.Fixed_034 = Get_U16(in + 0x034);
    h.TCP_Port = Get_U16(in + 0x036);
    h.TCP_Port_2 = Get_U16(in + 0x038);
    h.Fixed_03C = Get_U32(in + 0x03C);
    h.Fixed_040 = Get_U32(in + 0x040);
    h.Num_Rx_Frame = Get_U32(in + 0x1FC);
    h.Addr_Rx_Frame = Get_U32(in + 0x200);
    h.Num_Tx_Frame = Get_U32(in + 0x204);
    h.Addr_Tx_Frame = Get_U32(in + 0x208);
    h.Num_Rx_Map = Get_U32(in + 0x20C);
    h.Addr_Rx_Map = Get_U32(in + 0x210);
    h.Num_Tx_Map = Get_U32(in + 0x214);
    h.Addr_Tx_Map = Get_U32(in + 0x218);
    return h;
}

uint32_t Bank1_Checksum(const uint8_t *header)
{
    uint32_t sum = 0;
    for (int i = 0; i < Bank1_Checksum_Offset; ++i) sum += header[i];
    return sum;
}

void Put_Frame_Entry(const Frame_Entry &e, uint8_t *out)
{
    std::memset(out, 0, Frame_Entry_Size);
    Put_U32(out + 0, e.Ident);
    Put_U32(out + 4, e.Time_Out);
    Put_U32(out + 8, e.Send_Timer);
    out[12] = e.Dimension;
    out[13] = e.Flags;
    Put_U16(out + 14, e.Data_Offset);
}

Frame_Entry Get_Frame_Entry(const uint8_t *in)
{
    Frame_Entry e;
    e.Ident = Get_U32(in + 0);
    e.Time_Out = Get_U32(in + 4);
    e.Send_Timer = Get_U32(in + 8);
    e.Dimension = in[12];
    e.Flags = in[13];
    e.Data_Offset = Get_U16(in + 14);
    return e;
}

void Put_Map_Entry(const Map_Entry &e, uint8_t *out)
{
    std::memset(out, 0, Map_Entry_Size);
    Put_U16(out + 0, e.Mod_Index);
    Put_U16(out + 2, e.Num_Frame);
    Put_U16(out + 4, e.Byte_HiPart);
    Put_U16(out + 6, e.Byte_LoPart);
    out[8] = e.Flags;
}

Map_Entry Get_Map_Entry(const uint8_t *in)
{
    Map_Entry e;
    e.Mod_Index = Get_U16(in + 0);
    e.Num_Frame = Get_U16(in + 2);
    e.Byte_HiPart = Get_U16(in + 4);
    e.Byte_LoPart = Get_U16(in + 6);
    e.Flags = in[8];
    return e;
}
