#pragma once
// What the register monitor shows and asks, without any socket: the mapped registers of a
// configuration as the device gets them from a build, the fewest Modbus reads that cover them,
// the values those reads bring back with the time each last changed, and the texts of a row.
//
// The device answers function code 04 from its receive registers and 03 from its transmit
// (holding) registers; an address in a read that no register of that kind holds spoils the
// whole read. So each direction is read in runs of consecutive register numbers, at most
// Modbus_Max_Registers long.
#include "config/Config_Model.h"
#include "config/Configuration.h"
#include "config/Project_Paths.h"

#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

constexpr uint8_t Monitor_Read_Holding = 0x03;
constexpr uint8_t Monitor_Read_Input = 0x04;
// The most registers one Modbus read returns (its answer holds at most 250 data bytes).
constexpr int Modbus_Max_Registers = 125;

// One mapping of the configuration: one row of the monitor.
struct Monitor_Row {
    Direction Dir = Direction::Receive;
    uint16_t Register = 0;
    int Frame = 0;           // frame number within its direction
    uint32_t Ident = 0;      // as the build writes it: bit 31 for a 29-bit frame
    int Dimension = 0;
    QString Mnemonic;
    uint16_t Hi = 0;         // data byte 1..8 for the high part, 0 none
    uint16_t Lo = 0;
    bool Send_On_Write = false;
};

struct Monitor_Configuration {
    QList<Monitor_Row> Rows;  // receive mappings first, then transmit ones, each in file order
    uint16_t Port = 502;      // the Modbus TCP port of the settings
};

// The rows and port of a configuration as the device gets them (Device_Records.h). Throws
// Xml_Error as the image build does for a configuration it cannot read.
Monitor_Configuration Read_Monitor_Configuration(const Configuration &config);
Monitor_Configuration Read_Monitor_Configuration(const Project_Paths &paths);

struct Monitor_Read {
    uint8_t Function = Monitor_Read_Input;  // 04 for receive registers, 03 for transmit ones
    uint16_t Start = 0;
    uint16_t Count = 0;
    Direction Dir() const { return Function == Monitor_Read_Input ? Direction::Receive : Direction::Transmit; }
    bool operator==(const Monitor_Read &) const = default;
};

// The reads that fetch every register of rows: per direction, each run of consecutive register
// numbers (a register mapped twice is read once), cut every max_count registers. Receive reads
// come first, each direction in ascending order.
QList<Monitor_Read> Plan_Monitor_Reads(const QList<Monitor_Row> &rows, int max_count = Modbus_Max_Registers);

// The last value of every register read, and when it last changed (by the caller's millisecond
// clock). The first value read counts as a change: until then nothing is known.
class Monitor_Values {
public:
    // The answer of one read: values[i] is register read.Start + i. An answer of another
    // length than asked for is a broken one and changes nothing (returns false).
    bool Apply(const Monitor_Read &read, const QList<uint16_t> &values, qint64 now_ms);
    // One register, as a write that the device confirmed leaves it.
    void Set(Direction dir, uint16_t reg, uint16_t value, qint64 now_ms);
    std::optional<uint16_t> Value(Direction dir, uint16_t reg) const;
    // Milliseconds since the register last changed; no value before it was first read.
    std::optional<qint64> Unchanged_Ms(Direction dir, uint16_t reg, qint64 now_ms) const;
    void Clear() { values_.clear(); }

private:
    struct Entry {
        uint16_t Value = 0;
        qint64 Changed_Ms = 0;
    };
    static uint32_t Key(Direction dir, uint16_t reg) { return (dir == Direction::Transmit ? 0x10000u : 0u) | reg; }
    QHash<uint32_t, Entry> values_;
};

// Texts of a row: the identifier ("0x181", "0x18FF0010"), the bytes ("1/2", "-/8": high part,
// low part), a value in hexadecimal ("0x00FF") and a time since a change in seconds ("12.3").
QString Monitor_Ident_Text(uint32_t ident);
QString Monitor_Bytes_Text(uint16_t hi, uint16_t lo);
QString Monitor_Hex_Text(uint16_t value);
QString Monitor_Seconds_Text(qint64 ms);

// A value the user typed for a register: decimal (hexadecimal when hex is set), or hexadecimal
// with 0x; surrounding blanks are ignored. No value for anything else or for a number outside
// 0 to 65535.
std::optional<uint16_t> Parse_Register_Value(const QString &text, bool hex = false);
