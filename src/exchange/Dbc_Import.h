#pragma once
// What a CAN database gives a configuration: chosen messages become rows of a frame list, their
// signals registers of the mapping list. Plain functions over the editors' own data, so that the
// editors and qcx3310-cli fill their lists alike and every rule of the editors holds for what
// an import adds.
#include "config/Config_Model.h"
#include "editing/Frame_List.h"
#include "exchange/Dbc_File.h"
#include "exchange/Signal_Notes.h"
#include "exchange/Signal_Recipe.h"

#include <QList>
#include <QString>

// Something an import left out, and why. Line is the line of the database (or of the sheet)
// that holds it, 0 where there is none.
struct Import_Note {
    QString Name;
    int Line = 0;
    QString Reason;
    bool operator==(const Import_Note &) const = default;
};

// The receive time-out of an imported frame is its cycle time times this, unless told otherwise.
constexpr int Default_Timeout_Factor = 3;

struct Frame_Import {
    Frame_Grid Grid;          // the grid with the new rows
    QStringList Added;        // the names of the messages taken, in grid order
    QList<int> Added_Rows;    // their grid rows (1..250)
    QList<Import_Note> Skipped;
};

// The frame row a message gives: Cob-ID in hexadecimal ("0x181", "0x18FF0001"), Dimension its
// length, Type by its identifier's format, Mnemonic its name. Transmit: sent on the timer every
// cycle time when it has one, otherwise when its data changes. Receive: the time-out is the cycle time times
// timeout_factor, 0 without a cycle time.
Frame_Row Dbc_Frame_Row(const Dbc_Message &message, Direction direction, int timeout_factor = Default_Timeout_Factor);

// Puts the messages into the empty rows of grid, from the first empty one down. A message that
// cannot be a frame of the converter, whose identifier and type the grid (or an earlier message)
// already holds, whose time-out would be too long, or for which no row is left, is skipped with
// its reason.
Frame_Import Import_Dbc_Frames(const Frame_Grid &grid, Direction direction, const QList<Dbc_Message> &messages,
                               int timeout_factor = Default_Timeout_Factor);

// The data bytes (numbered from 1, as the mapping editors number them) that carry a signal on
// its own, one register a pair: {high, low}, high word first (see Own_Layout). None for a signal
// longer than 64 bits or outside 8 data bytes; why is then set.
QList<std::pair<int32_t, int32_t>> Signal_Registers(const Dbc_Signal &signal, QString *why = nullptr);

// Why a signal of a message can get no recipe whatever the frame holds (multiplexed, too long,
// outside 8 bytes); empty when it can.
QString Signal_Unreachable_Reason(const Dbc_Signal &signal);

// A register an import made, for the report (and the register map): the signal that made it.
struct Imported_Register {
    QString Message;
    QString Signal;
    int Frame = -1;          // its frame's number in the direction's list
    int32_t Register = 0;
    int Part = 0;            // its place among the signal's registers, 0 the high word
    int Parts = 1;           // how many registers the signal has
    int32_t HiPart = 0;
    int32_t LoPart = 0;
    QString Unit;
    double Factor = 1;
    double Offset = 0;
};

// A signal an import gave a recipe: its registers (high word first, new or shared with other
// signals of the frame) and where its bits stand in them.
struct Imported_Signal {
    QString Message;
    Dbc_Signal Source;
    int Frame = -1;
    QList<int32_t> Registers;
    QList<Register_Pair> Pairs;
    int Shift = 0;
};

struct Signal_Import {
    QList<Editor_Frame> Frames;  // the mapping list with the new registers
    QList<Imported_Register> Taken;   // the registers made
    QList<Imported_Signal> Signals;   // the signals given a recipe
    QList<Import_Note> Skipped;
};

// Maps the signals of messages onto registers of the frames that carry them. rows are the
// direction's frame list entries, frames the mapping list over the same rows (one per row, in
// order). A message is found by its identifier's value and type. Register numbers start at
// first_register and pass over those in use in this direction; a signal takes all the registers
// it needs or none, and a register of its frame that covers the same bytes already is shared
// (see Signal_Recipe.h). The device holds Max_Map_Records registers for both directions
// together: other_direction_count are the other direction's. Multiplexed signals share their
// bytes with others in other frames (the device keeps one frame per identifier) and are skipped.
// A transmit signal whose bytes lie in registers laid out otherwise is skipped too: a second
// register writing the same byte would change the other's signal.
Signal_Import Import_Dbc_Signals(const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows,
                                 const QList<Dbc_Message> &messages, int32_t first_register,
                                 int other_direction_count, Direction direction = Direction::Receive);

// The same for the messages whose frame holds no register yet: a message whose frame has
// registers is skipped with its reason, so that importing a message twice maps nothing twice.
Signal_Import Import_Dbc_Signals_To_Unmapped(const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows,
                                             const QList<Dbc_Message> &messages, int32_t first_register,
                                             int other_direction_count, Direction direction = Direction::Receive);

// The notes (see Signal_Notes.h) of the signals an import gave a recipe, one a signal; rows are
// the frame list entries the frame numbers count in.
QList<Signal_Note> Imported_Signal_Notes(Direction direction, const Signal_Import &import, const QList<Frame_Row> &rows);

// The lowest register number (0..65535) that no register of frames uses; 0 when all are used.
int32_t Lowest_Unused_Register(const QList<Editor_Frame> &frames);

// A message's identifier as the frame lists write it: "0x181", "0x18FF0001".
QString Dbc_Identifier_Text(const Dbc_Message &message);

// Whether a message is one a filter text names: its name or identifier text contains the
// filter (either case; blanks around it do not count). An empty filter names every message.
bool Dbc_Message_Matches(const Dbc_Message &message, const QString &filter);

