#pragma once
// What a CAN database said about the signals an import mapped: the signal's name, its registers
// and the recipe that gives its value back from them (see Signal_Recipe.h). The five
// configuration files have no place for it, so it is kept beside them in a file of its own
// (CAN_Signals.csv, a sheet like the others), which the register map and the monitor read. A
// note belongs to its registers only while each still sits on the same frame (identifier and
// type, wherever the frame stands in its list) and bytes; once the user remaps one in the editor
// the note no longer applies and is not shown.
//
// Older files hold one line a register, without the recipe's columns; they are still read (as
// notes without a recipe), and rewritten in today's form.
#include "config/Config_Model.h"
#include "config/Project_Paths.h"
#include "exchange/Signal_Recipe.h"

#include <QByteArray>
#include <QMultiHash>
#include <QList>
#include <QString>

struct Note_Register {
    int32_t Register = 0;
    int32_t HiPart = 0;
    int32_t LoPart = 0;
    bool operator==(const Note_Register &) const = default;
};

struct Signal_Note {
    Direction Dir = Direction::Receive;
    QString CobID;
    QString Type;
    int32_t Register = 0;  // the first (high word) register and its bytes
    int32_t HiPart = 0;
    int32_t LoPart = 0;
    QString Message;
    QString Signal;   // "Speed" (older files: "Energy (high word)" / "Energy (low word)")
    QString Unit;
    QString Factor;   // as numbers in text, "0.125"
    QString Offset;
    // Every register of the signal, high word first (the first is the one above); older files
    // give that one alone.
    QList<Note_Register> Registers;
    // The recipe: Length 0 when the note has none (older files).
    int Shift = 0;
    int Length = 0;
    bool Is_Signed = false;
    int Value_Type = 0;  // 0 integer, 1 IEEE single, 2 IEEE double
    QString Minimum;
    QString Maximum;
    QList<std::pair<int64_t, QString>> Values;  // the value table
    bool Has_Recipe() const { return Length > 0; }
    bool operator==(const Signal_Note &) const = default;
};

// The arithmetic of a note's recipe.
Signal_Recipe Recipe_Of(const Signal_Note &note);
// The value table as the register map shows it: "0=Off 1=On".
QString Values_Text(const QList<std::pair<int64_t, QString>> &values);

// The notes of a file; a missing file has none, and a line that cannot be read is passed over:
// the notes only comment on the configuration.
QList<Signal_Note> Read_Signal_Notes(const QString &path);
// The notes of a file about to be rewritten with more: a missing file has none, but a file that
// cannot be read, or holds a line that is no note, throws Xml_Error naming the file and the line,
// so that nothing in it is lost by the rewrite.
QList<Signal_Note> Read_Signal_Notes_To_Rewrite(const QString &path);
QByteArray Signal_Notes_Bytes(const QList<Signal_Note> &notes);

// The notes after an import of one direction: an earlier note that shares a register number in
// that direction with a new one is replaced.
QList<Signal_Note> Merge_Signal_Notes(const QList<Signal_Note> &old_notes, const QList<Signal_Note> &new_notes);

// The note that still describes a register: same direction, register value, frame (identifier
// value and type) and bytes. Null when there is none.
const Signal_Note *Find_Signal_Note(const QList<Signal_Note> &notes, Direction dir, const QString &register_text,
                                    const QString &cob_id, const QString &type, int32_t hi, int32_t lo);

// A mapped register as a note is held against it: its direction, number, frame and bytes.
struct Mapped_Register {
    Direction Dir = Direction::Receive;
    int32_t Register = 0;
    QString CobID;
    QString Type;
    int32_t HiPart = 0;
    int32_t LoPart = 0;
};
// The registers of a configuration by direction and number (Mapped_Key).
using Mapped_Registers = QMultiHash<uint32_t, Mapped_Register>;
uint32_t Mapped_Key(Direction dir, int32_t reg);
// Whether every register of a note is still mapped as the note says.
bool Note_Applies(const Signal_Note &note, const Mapped_Registers &mapped);
