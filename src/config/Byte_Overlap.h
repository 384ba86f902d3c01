#pragma once
// Transmit registers that write the same byte of a frame. A Modbus write sets both bytes of a
// register, so when two registers hold one byte, writing one of them silently changes what the
// other one put there (two signals of a database sharing a byte, mapped as separate registers).
#include <QList>
#include <cstdint>

struct Byte_Write {
    int Frame = 0;
    int32_t HiPart = 0;  // data byte 1..8, 0 none
    int32_t LoPart = 0;
    int Row = 0;         // the mapping's row, from 1
    uint16_t Register = 0;
};

struct Byte_Overlap {
    int Row = 0;            // the later mapping
    int First_Row = 0;      // the earlier one that writes the byte
    int Frame = 0;
    int32_t Byte = 0;
    uint16_t Register = 0;
    uint16_t First_Register = 0;
    bool operator==(const Byte_Overlap &) const = default;
};

// Every byte that a mapping writes after an earlier one of the same frame, once per pair of
// mappings (the first byte they share), in the order of writes. A register naming one byte as
// both of its parts writes it once.
QList<Byte_Overlap> Find_Byte_Overlaps(const QList<Byte_Write> &writes);
