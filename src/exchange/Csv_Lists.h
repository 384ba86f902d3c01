#pragma once
// The frame lists and the register mappings as spreadsheets: CSV in UTF-8 with a byte-order
// mark (so that spreadsheet programs take it as UTF-8), a header row of fixed column names,
// quoted fields where needed (RFC 4180), lines ending in CR LF. Reading takes comma or semicolon
// (what a spreadsheet saves in a country with decimal commas), found from the header row.
// Mappings name their frame by Cob-ID and Type, not by its place, so that a sheet survives the
// frame list being reordered. Writing then reading gives the same list back, text for text.
#include "config/Config_Model.h"
#include "editing/Frame_List.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A line of a sheet that cannot be taken: its line in the file (counting from 1; a quoted field
// may span lines, the record counts from its first) and why.
struct Csv_Fault {
    int Line = 0;
    QString Reason;
    bool operator==(const Csv_Fault &) const = default;
};

// A sheet's records after decoding (UTF-8 with or without a mark, else Windows-1252) and
// splitting (separator from the first row); a record that cannot be read ends the list with a
// fault. Blank lines are no records.
struct Csv_Record {
    int Line = 0;
    QStringList Fields;
};
QList<Csv_Record> Read_Csv_Records(const QByteArray &bytes, QList<Csv_Fault> &faults);
// A sheet as the lists are written: mark, header, comma-separated lines, quotes where needed.
QByteArray Write_Csv(const QStringList &header, const QList<QStringList> &lines);

// A spreadsheet takes a cell that begins with =, +, -, @, a tab or a carriage return for a
// formula and runs it. The sheets we write for people (the lists, the register map) put an
// apostrophe before such a cell, as spreadsheet-safe exports do, so it shows as the text it is;
// a plain number ("-5", "+12", "-0.25") and a lone sign are left as they stand, since a
// spreadsheet reads them as that number or text and runs nothing. A text that itself begins with an apostrophe followed by one of
// those characters, or by a second apostrophe, gets one more, so that Sheet_Cell_Text, which the
// imports apply to every cell, gives back exactly the text that was written: an export imported
// again leaves the files byte for byte as they were. A sheet written by hand keeps a lone
// leading apostrophe ("'abc" stays "'abc").
QString Spreadsheet_Safe_Cell(const QString &text);
QString Sheet_Cell_Text(const QString &cell);

// The header rows, by the attribute names of the configuration files.
QStringList Frame_Csv_Columns(Direction direction);
QStringList Mapping_Csv_Columns(Direction direction);

QByteArray Frame_List_Csv(Direction direction, const QList<Frame_Row> &rows);
// frames: the mapping list; rows: the frame list entries it stands over (one per frame).
QByteArray Mapping_List_Csv(Direction direction, const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows);

struct Frame_Csv_Read {
    QList<Frame_Row> Rows;  // the good lines, in file order
    QList<Csv_Fault> Faults;
    // False when the file has not the header of such a sheet (another list, the other
    // direction, no sheet at all): then there are no good lines to take either.
    bool Header_Ok = false;
};
// Each line is checked as the frame list editor checks a row; at most Max_Frame_Entries rows.
Frame_Csv_Read Read_Frame_Csv(Direction direction, const QByteArray &bytes);

// The rows of a new frame list keep the frame numbers they had in stored (the list before),
// matched by identifier value and type, each stored frame once, so that a save moves the
// mappings with their frames (see Plan_Frame_List_Save).
void Follow_Stored_Frames(QList<Frame_Row> &rows, const QList<Frame_Row> &stored);
// The grid a frame sheet's rows give, from the top: each row that follows a stored frame keeps
// that frame's number in the file (stored rows carry theirs in Stored_Index), the others are new.
Frame_Grid Frame_Grid_Of_Sheet(QList<Frame_Row> rows, const QList<Frame_Row> &stored);

struct Mapping_Csv_Read {
    QList<Editor_Frame> Frames;  // the frames given, each holding the registers of the good lines
    int Taken = 0;
    QList<Csv_Fault> Faults;
    bool Header_Ok = false;  // as for frame sheets
};
// Reads the registers of a mapping sheet onto frames (the mapping list's frames; the registers
// they hold are replaced), rows being the frame list entries under them. A line fails for a frame
// the list does not hold, a register index outside 0..65535 or given twice, a byte the frame does
// not offer, a send-on-write other than 0 or 1, or a register beyond the device's
// Max_Map_Records together with other_direction_count.
Mapping_Csv_Read Read_Mapping_Csv(Direction direction, const QByteArray &bytes, const QList<Editor_Frame> &frames,
                                  const QList<Frame_Row> &rows, int other_direction_count);
