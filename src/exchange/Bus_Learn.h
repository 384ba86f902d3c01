#pragma once
// Receive frames learned from a bus: what a recording carried becomes rows of the receive frame
// list, as a CAN database's messages do (Dbc_Import.h), so that the editor and qcx3310-cli fill
// the list alike.
#include "editing/Frame_List.h"
#include "exchange/Bus_Traffic.h"
#include "exchange/Bus_Survey.h"
#include "exchange/Dbc_Import.h"
#include "exchange/Import_Summary.h"

#include <QList>
#include <optional>

// One identifier as the learn list shows it.
struct Seen_Frame {
    uint32_t Id = 0;
    bool Extended = false;
    qint64 Count = 0;                  // data frames
    QList<int> Lengths;                // ascending
    std::optional<int64_t> Cycle_Us;   // the median gap
    std::optional<int64_t> Max_Gap_Us;
    bool operator==(const Seen_Frame &) const = default;
};

// The identifiers that carried data frames, 11-bit first, each format by identifier.
QList<Seen_Frame> Seen_Frames(const Bus_Traffic &traffic);

// The row a seen frame gives: Cob-ID in hexadecimal, Dimension its shortest length with data
// (so the device takes every frame of it that carries data), Type by its format, TimeOut its largest gap times factor
// rounded up to whole ms (0, never stale, for a frame seen once).
Frame_Row Learned_Frame_Row(const Seen_Frame &frame, double timeout_factor = Default_Learn_Timeout_Factor);

// Puts the frames into the empty rows of grid, from the first empty one down. A frame whose
// identifier and type the grid (or an earlier frame) holds, that carries no data byte, whose
// time-out would be too long, or for which no row is left, is skipped with its reason (Name:
// the identifier; Line 0).
Frame_Import Learn_Frames(const Frame_Grid &grid, const QList<Seen_Frame> &frames,
                          double timeout_factor = Default_Learn_Timeout_Factor);

// What a learning took and left out, for the import report.
Import_Summary Learn_Summary(const Lang_Table &lang, const Frame_Import &learned);
