#pragma once
// How a signal of a CAN database reaches the Modbus side and comes back as a value. The device
// knows only registers: each one is a frame byte as its high part and one as its low part. A
// signal is carried by the registers that cover its bytes; read high word first they form one
// unsigned number R (a part "None" counts 0), and the recipe gives the value back:
//
//   raw      = (R >> Shift) & (2^Length - 1), two's complement of Length bits when signed,
//              the bits of an IEEE single (32) or double (64) when the database says float
//   physical = raw * Factor + Offset
//
// Registers are laid out per frame so that signals sharing bytes share registers: a
// little-endian (Intel) signal reads its frame as bytes 2/1, 4/3, 6/5, 8/7 (the frame as one
// little-endian number, most significant register first), a big-endian (Motorola) one as 1/2,
// 3/4, 5/6, 7/8; so a whole 8-byte frame takes four registers at most.
#include "exchange/Dbc_File.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

struct Register_Pair {
    int32_t Hi = 0;  // data byte 1..8, 0 for None
    int32_t Lo = 0;
    bool operator==(const Register_Pair &) const = default;
};

// The data bytes (numbered from 1) that hold a signal, its most significant byte first (for a
// little-endian signal its highest byte, for a big-endian one its first). Empty for a signal of
// no bits or more than 64, or one whose bits run outside bytes 1 to 8.
QList<int> Signal_Bytes(const Dbc_Signal &signal);

// The registers (high word first) that carry a signal in a frame of frame_bytes data bytes,
// laid out as its byte order lays out the whole frame (see above). Empty when Signal_Bytes is.
QList<Register_Pair> Frame_Layout(const Dbc_Signal &signal, int frame_bytes);
// The registers of the signal alone: its bytes paired from the most significant on, the first
// register's high part None when the signal has an odd number of bytes.
QList<Register_Pair> Own_Layout(const Dbc_Signal &signal);

// Where the signal's least significant bit stands in R formed by regs, which must hold each of
// its bytes in order with nothing between them; -1 when they do not.
int Signal_Shift(const Dbc_Signal &signal, const QList<Register_Pair> &regs);

// The arithmetic of a recipe.
struct Signal_Recipe {
    int Shift = 0;
    int Length = 16;
    bool Is_Signed = false;
    int Value_Type = 0;  // 0 integer, 1 IEEE single, 2 IEEE double (as Dbc_Signal::Value_Type)
    double Factor = 1;
    double Offset = 0;
    double Minimum = 0;
    double Maximum = 0;  // Minimum == Maximum: no range given
};

// R from register values, high word first (at most four).
uint64_t Join_Registers(const QList<uint16_t> &values);
// The registers of R, high word first: count of them.
QList<uint16_t> Split_Registers(uint64_t r, int count);
// The signal's raw bits in R.
uint64_t Recipe_Raw_Bits(uint64_t r, const Signal_Recipe &recipe);
// The raw value the bits stand for: signed, unsigned or floating point.
double Recipe_Raw_Value(uint64_t bits, const Signal_Recipe &recipe);
// The physical value in R.
double Recipe_Physical(uint64_t r, const Signal_Recipe &recipe);
// The raw bits that give a physical value, nullopt (with why) for a value outside the signal's
// range or one its bits cannot hold.
std::optional<uint64_t> Recipe_Encode(double physical, const Signal_Recipe &recipe, QString *why = nullptr);
// R with the signal's bits replaced by bits, every other bit kept.
uint64_t Recipe_Insert(uint64_t r, uint64_t bits, const Signal_Recipe &recipe);

// A number as recipes write it: the shortest text that reads back as the same double.
QString Recipe_Number(double value);
