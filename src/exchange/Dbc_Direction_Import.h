#pragma once
// One import of a CAN database into one direction, in one go: the chosen messages become
// frames of the frame list, their signals registers of the mapping list, each signal with the
// recipe that gives its value back. qcx3310-cli import-dbc and both editors of a direction
// (the frame list editor and the mapping editor) import through this one function, so that the
// same database gives the same lists whichever road the user takes.
#include "exchange/Dbc_Import.h"
#include "exchange/Import_Summary.h"

#include <QList>

// What the user chooses besides the messages.
struct Dbc_Import_Choice {
    int Timeout_Factor = Default_Timeout_Factor;  // receive frames: time-out = cycle time x this
    int32_t First_Register = 0;                   // register numbers are taken from here up
    bool With_Signals = true;                     // map the signals too, or add the frames only
    bool operator==(const Dbc_Import_Choice &) const = default;
};

struct Dbc_Direction_Import {
    Frame_Import Frames;         // the grid with the frames added
    // Per row of Frames.Grid, the frame's registers after the import (a row without a frame
    // has none).
    QList<Editor_Frame> Row_Frames;
    Signal_Import Signals;       // over Entries(): the registers made, the signals given a recipe
    QList<Signal_Note> Notes;    // the recipes, for the signal notes beside the configuration
    // Messages whose frame the list holds with registers already: their signals are not mapped
    // again, so that importing a message twice maps nothing twice.
    QList<Import_Note> Frame_Mapped;
    // Messages whose frame the list held already without registers: their frames were not added
    // again (Frames.Skipped says so), their signals were mapped onto the frame there.
    QStringList Frame_Held;

    // The frame list as the file receives it (the grid's entries in order), and the mapping list
    // over it.
    QList<Frame_Row> Entries() const;
    QList<Editor_Frame> Entry_Frames() const;
    // Everything left out: frames, messages whose frame is mapped, signals.
    QList<Import_Note> Skipped() const;
};

// Imports the chosen messages into grid (the frame list as its editor holds it, 250 rows, see
// Import_Dbc_Frames), whose rows carry the registers row_frames gives (one per grid row, in
// order; missing ones count as none). Signals are mapped for the frames added now and for
// frames of the list that have no register yet (see Import_Dbc_Signals); other_direction_count
// registers of the other direction count against the device's limit.
Dbc_Direction_Import Import_Dbc_Direction(const Frame_Grid &grid, const QList<Editor_Frame> &row_frames,
                                          Direction direction, const QList<Dbc_Message> &chosen,
                                          const Dbc_Import_Choice &choice, int other_direction_count);

// Per message, how many of its signals an import of that message would give registers and a
// recipe, with the lists as they stand: none for a message the converter cannot carry or whose
// frame has registers already. The register numbers and the device's limit, which the messages
// chosen together share, are not counted here (the report says what they leave out).
QList<int> Signals_To_Map(const QList<Dbc_Message> &messages, const Frame_Grid &grid,
                          const QList<Editor_Frame> &row_frames, Direction direction);

// The report of one import: the frames, registers and recipes taken, and everything left out,
// the statements of the database that could not be read first. A message whose frame the list
// held and whose signals were mapped onto it is not counted as left out.
Import_Summary Dbc_Direction_Summary(const Lang_Table &lang, const Dbc_Direction_Import &import,
                                     const QList<Dbc_Skipped> &unread);

// The registers an import made in the frame list editor for a frame that had none, and their
// recipes: they wait on that frame, found by identifier and format wherever its row goes, until
// OK writes the frame list, the mapping file and the signal notes together.
struct Pending_Mapping {
    Frame_Key Key;
    QList<Editor_Register> Registers;
    QList<Signal_Note> Notes;
    bool operator==(const Pending_Mapping &) const = default;
};

// What an import leaves waiting: the registers it made on frames that had none in row_frames
// (the registers per grid row it was given), with the recipes of their signals.
QList<Pending_Mapping> Pending_Mappings(const Dbc_Direction_Import &import, const QList<Editor_Frame> &row_frames);

// Per grid row, the registers its frame holds: those of the mapping file's frame the row was
// loaded from (stored_frames, by its Stored_Index; should two rows claim one, the first keeps
// it), otherwise those waiting for its identifier and format.
QList<Editor_Frame> Grid_Mappings(const Frame_Grid &grid, const QList<Editor_Frame> &stored_frames,
                                  const QList<Pending_Mapping> &pending);

// What OK writes while registers wait: the mapping list over the grid's entries (row_frames as
// Grid_Mappings gives them, renamed and sized as their rows now are), and the recipes of the
// waiting registers that still stand as the import made them, named by their row's Cob-ID and
// Type.
struct Pending_Save {
    QList<Editor_Frame> Frames;
    QList<Signal_Note> Notes;
};
Pending_Save Save_With_Pending(const Frame_Grid &grid, const QList<Editor_Frame> &row_frames,
                               const QList<Pending_Mapping> &pending);
