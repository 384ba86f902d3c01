#pragma once
// What a CAN database said about the registers an import made: the signal's name, unit, factor
// and offset. The five configuration files have no place for it, so it is kept beside them in
// a file of its own (CAN_Signals.csv, a sheet like the others), which only the register map
// reads. A note belongs to its register only while the register still sits on the same frame
// and bytes; once the user remaps it in the editor the note no longer applies and is not shown.
#include "config/Config_Model.h"
#include "config/Project_Paths.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct Signal_Note {
    Direction Dir = Direction::Receive;
    QString CobID;
    QString Type;
    int32_t Register = 0;
    int32_t HiPart = 0;
    int32_t LoPart = 0;
    QString Message;
    QString Signal;   // "Speed", or "Energy (high word)" / "Energy (low word)" for 32-bit signals
    QString Unit;
    QString Factor;   // as numbers in text, "0.125"
    QString Offset;
    bool operator==(const Signal_Note &) const = default;
};

// CAN_Signals.csv in the folder of paths.
QString Signal_Notes_Path(const Project_Paths &paths);

// The notes of a file; a missing file has none, and a line that cannot be read is passed over:
// the notes only comment on the configuration.
QList<Signal_Note> Read_Signal_Notes(const QString &path);
// The notes of a file about to be rewritten with more: a missing file has none, but a file that
// cannot be read, or holds a line that is no note, throws Xml_Error naming the file and the line,
// so that nothing in it is lost by the rewrite.
QList<Signal_Note> Read_Signal_Notes_To_Rewrite(const QString &path);
QByteArray Signal_Notes_Bytes(const QList<Signal_Note> &notes);

// The notes after an import of one direction: those of the registers it made replace any earlier
// note of the same register number in that direction.
QList<Signal_Note> Merge_Signal_Notes(const QList<Signal_Note> &old_notes, const QList<Signal_Note> &new_notes);

// The note that still describes a register: same direction, register value, frame (identifier
// value and type) and bytes. Null when there is none.
const Signal_Note *Find_Signal_Note(const QList<Signal_Note> &notes, Direction dir, const QString &register_text,
                                    const QString &cob_id, const QString &type, int32_t hi, int32_t lo);
