#pragma once
// What an import took and what it left out, as the import report shows it: one summary line and
// one line per frame row or register taken and per item left out, with the line of the file
// that holds it. Built from the import's result in the language in use; no window here.
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_Import.h"
#include "lang/Lang_Table.h"

#include <QString>
#include <QStringList>

struct Import_Summary {
    QString Summary;
    QStringList Lines;
    bool operator==(const Import_Summary &) const = default;
};

// Frames a CAN database gave a frame list.
Import_Summary Frame_Import_Summary(const Lang_Table &lang, const Frame_Import &import);
// Registers the signals of a CAN database gave a mapping list.
Import_Summary Signal_Import_Summary(const Lang_Table &lang, const Signal_Import &import);
// The rows a frame sheet gave the grid (in grid order from row 1), and the lines left out.
Import_Summary Frame_Csv_Summary(const Lang_Table &lang, const QList<Frame_Row> &rows, const QList<Csv_Fault> &faults);
// The registers a mapping sheet gave the list (frames: the list after the import; rows the frame
// list entries under them), and the lines left out.
Import_Summary Mapping_Csv_Summary(const Lang_Table &lang, const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows,
                                   const QList<Csv_Fault> &faults);
// A sheet with faults before anything is taken: the lines that cannot be taken.
Import_Summary Csv_Fault_Summary(const Lang_Table &lang, const QList<Csv_Fault> &faults);
