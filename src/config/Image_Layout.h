#pragma once
// The two device images built from the five files of a configuration folder:
//  - bank1.bin: a 2048-byte header (general parameters, counts and device addresses of the
//    four tables, a checksum) followed by one 32-byte record per CAN frame;
//  - bank2.bin: one 16-byte record per register mapping, no header.
// Every multi-byte field is little-endian. The images hold absolute device addresses, which
// belong together with the load addresses the updater is given.
//
// This file holds their layout: sizes, addresses, the header's and records' fields and their
// byte encoding, shared by the builder, the decoder and the stand-in updater.
#include "config/Config_Model.h"

#include <cstdint>

// Where the updater loads the images on the device.
constexpr uint32_t Bank1_Load_Addr = 0x00068000;
constexpr uint32_t Bank2_Load_Addr = 0x00058000;

constexpr int Bank1_Header_Size = 0x800;
constexpr int Frame_Entry_Size = 32;
constexpr int Map_Entry_Size = 16;
constexpr int Bank1_Checksum_Offset = 0x7FC;
constexpr int Bank1_Max_Len = Bank1_Header_Size + Max_Frame_Records * Frame_Entry_Size;  // 18432
constexpr int Bank2_Max_Len = Max_Map_Records * Map_Entry_Size;                          // 65536
// A reader of images takes this much past the largest size, so that a slightly long image can
// still be read and reported for what it is; anything longer is refused before it is read.
constexpr int Bank_Read_Margin = 4096;

// Device addresses of the first frame record (just after bank1's header) and of the first
// mapping record (the start of bank2).
constexpr uint32_t Frame_Table_Addr = Bank1_Load_Addr + Bank1_Header_Size;  // 0x00068800
constexpr uint32_t Map_Table_Addr = Bank2_Load_Addr;                        // 0x00058000

constexpr uint32_t Ident_Extended = 0x80000000u;  // Frame_Entry::Ident: a 29-bit frame
constexpr uint8_t Frame_Flag_Transmit = 0x01;
constexpr uint8_t Frame_Flag_Data_Change = 0x02;
constexpr uint8_t Map_Flag_Transmit = 0x01;
constexpr uint8_t Map_Flag_Send_On_Write = 0x02;

// The named fields of bank1's header (the parameter block). Every byte of the header that has
// no field here is zero. The offsets are those of Put_Bank1_Header.
struct Bank1_Header {
    uint32_t CAN_Baud = 0;        // 0x000, bit/s
    uint32_t CAN_Baud_2 = 0;      // 0x004, the same value
    uint32_t Fixed_008 = 0;       // 0x008, 9600
    uint8_t TCP_IP[4] = {};       // 0x028, octet 1 first
    uint8_t TCP_Mask[4] = {};     // 0x02C
    uint8_t TCP_Gateway[4] = {};  // 0x030, all 255 when the gateway is disabled
    uint16_t Fixed_034 = 0;       // 0x034, 10000
    uint16_t TCP_Port = 0;        // 0x036
    uint16_t TCP_Port_2 = 0;      // 0x038, the same value
    uint32_t Fixed_03C = 0;       // 0x03C, 9600
    uint32_t Fixed_040 = 0;       // 0x040, 2
    uint32_t Num_Rx_Frame = 0;    // 0x1FC
    uint32_t Addr_Rx_Frame = 0;   // 0x200
    uint32_t Num_Tx_Frame = 0;    // 0x204
    uint32_t Addr_Tx_Frame = 0;   // 0x208
    uint32_t Num_Rx_Map = 0;      // 0x20C
    uint32_t Addr_Rx_Map = 0;     // 0x210
    uint32_t Num_Tx_Map = 0;      // 0x214
    uint32_t Addr_Tx_Map = 0;     // 0x218
    bool operator==(const Bank1_Header &) const = default;
};

// One CAN frame record of bank1 (32 bytes; bytes 16 to 31 are zero).
struct Frame_Entry {
    uint32_t Ident = 0;       // Cob-ID, bit 31 for a 29-bit frame
    uint32_t Time_Out = 0;    // receive: timeout in ms
    uint32_t Send_Timer = 0;  // transmit: period in ms when sent on a timer
    uint8_t Dimension = 0;
    uint8_t Flags = 0;        // Frame_Flag_*
    uint16_t Data_Offset = 0; // 8 x frame number within its direction
    bool operator==(const Frame_Entry &) const = default;
};

// One register mapping record of bank2 (16 bytes; bytes 9 to 15 are zero).
struct Map_Entry {
    uint16_t Mod_Index = 0;
    uint16_t Num_Frame = 0;    // frame number within the mapping's direction
    uint16_t Byte_HiPart = 0;  // 0 none, k = data byte k
    uint16_t Byte_LoPart = 0;
    uint8_t Flags = 0;         // Map_Flag_*
    bool operator==(const Map_Entry &) const = default;
};

// The byte layouts. Put_* write every byte of the record (reserved bytes as zero); Get_* read
// the named fields back. out and in point at a full record.
void Put_Bank1_Header(const Bank1_Header &header, uint8_t *out);  // the 2044 bytes before the checksum
Bank1_Header Get_Bank1_Header(const uint8_t *in);
// Sum of the header's bytes 0x000 to 0x7FB, each unsigned, modulo 2^32.
uint32_t Bank1_Checksum(const uint8_t *header);
void Put_Frame_Entry(const Frame_Entry &entry, uint8_t *out);
Frame_Entry Get_Frame_Entry(const uint8_t *in);
void Put_Map_Entry(const Map_Entry &entry, uint8_t *out);
Map_Entry Get_Map_Entry(const uint8_t *in);
void Put_U16(uint8_t *out, uint16_t value);
void Put_U32(uint8_t *out, uint32_t value);
uint16_t Get_U16(const uint8_t *in);
uint32_t Get_U32(const uint8_t *in);
