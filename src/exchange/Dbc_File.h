#pragma once
// The CAN database text format (.dbc), as far as the configurator needs it: the messages with
// their signals, comments, attributes (the cycle time above all) and value tables. Everything
// else a database may hold (environment variables, signal groups, relations) is read past.
// Real files hold odd lines (tools disagree on the details), so the reader takes them statement by
// statement: one it knows but cannot read costs that statement (a faulty message costs the
// message with its signals), and is listed with its line, column and reason, so that an import
// never rests on a half-understood file without saying so. A file is refused only when no
// message at all can be read from it.
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <stdexcept>

// Bit 31 of a message identifier marks a 29-bit (extended) identifier.
constexpr uint32_t Dbc_Extended_Flag = 0x80000000u;

struct Dbc_Signal {
    QString Name;
    // Multiplexing: the multiplexer switch itself, or a signal present only while the switch
    // holds Mux_Value.
    bool Is_Multiplexer = false;
    std::optional<int64_t> Mux_Value;
    bool Mux_Without_Value = false;  // a lone "m": multiplexed, the switch value not given
    bool Multiplexed() const { return Mux_Value || Mux_Without_Value; }
    int Start_Bit = 0;
    int Length = 0;
    bool Little_Endian = true;  // @1 (Intel); @0 is big-endian (Motorola)
    bool Is_Signed = false;
    // SIG_VALTYPE_: 0 an integer, 1 an IEEE single (32 bits), 2 an IEEE double (64 bits).
    int Value_Type = 0;
    bool Is_Float() const { return Value_Type != 0; }
    double Factor = 1;
    double Offset = 0;
    double Minimum = 0;
    double Maximum = 0;
    QString Unit;
    QStringList Receivers;
    QString Comment;
    QList<std::pair<int64_t, QString>> Values;  // VAL_ table, in file order
    int Line = 0;
};

struct Dbc_Message {
    uint32_t Raw_Id = 0;  // as written, bit 31 included
    QString Name;
    int Length = 0;       // data bytes
    QString Sender;
    QList<Dbc_Signal> Signals;
    QString Comment;
    QHash<QString, QString> Attributes;  // BA_ values given for this message, as written
    int Cycle_Time = 0;                  // GenMsgCycleTime (its default where not given); 0: none
    QString Frame_Format;                // VFrameFormat as a name ("StandardCAN_FD"), empty: not given
    int Line = 0;

    // Declared a CAN FD frame (VFrameFormat ..._FD), whatever its length.
    bool Fd() const { return Frame_Format.endsWith(QLatin1String("_FD")); }

    bool Extended() const { return Raw_Id & Dbc_Extended_Flag; }
    uint32_t Identifier() const { return Raw_Id & ~Dbc_Extended_Flag; }
    // A frame of the converter is a classic CAN frame of at most 8 bytes: CAN FD messages are
    // read and listed, never imported.
    bool Importable() const { return Not_Importable_Reason().isEmpty(); }
    // Why a message cannot be imported, empty when it can.
    QString Not_Importable_Reason() const;
};

struct Dbc_Attribute_Def {
    QString Object;  // "" (the database), "BU_", "BO_", "SG_" or "EV_"
    QString Name;
    QString Type;    // INT, HEX, FLOAT, STRING or ENUM
    double Minimum = 0;
    double Maximum = 0;
    QStringList Enum_Values;
    std::optional<QString> Default;  // BA_DEF_DEF_
};

// A statement the reader left out: where it stands, what it named (a message, "message.signal",
// or the statement's keyword) and why.
struct Dbc_Skipped {
    QString Name;
    int Line = 0;
    int Column = 0;
    QString Reason;
    bool operator==(const Dbc_Skipped &) const = default;
};

struct Dbc_Database {
    QString Version;
    QStringList Nodes;  // BU_
    QList<Dbc_Message> Messages;
    QString Comment;    // CM_ without an object
    QList<Dbc_Attribute_Def> Attribute_Defs;
    QList<Dbc_Skipped> Skipped;  // in file order

    const Dbc_Message *Find(const QString &name) const;
};

// A fault in a database: where (line and column, counting from 1) and what.
class Dbc_Error : public std::runtime_error {
public:
    Dbc_Error(QString file, int line, int column, QString reason);
    QString File;
    int Line = 0;
    int Column = 0;
    QString Reason;
    // "<file>: line L, column C: <reason>" (without a file: "line L, column C: <reason>").
    QString Text() const;
};

// Reads a database from its text. CR LF and LF line ends are both taken. Throws Dbc_Error (the
// first fault, or that the text holds no message) when no message can be read.
Dbc_Database Parse_Dbc(const QString &text, const QString &file = QString());
// Decodes a database file's bytes: with a byte-order mark as it says, otherwise Windows-1252,
// the code page CAN tools write these files in.
QString Decode_Dbc_Bytes(const QByteArray &bytes);
// Reads the file at path; throws Dbc_Error naming it (also when it cannot be read).
Dbc_Database Read_Dbc_File(const QString &path);
