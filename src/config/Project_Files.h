#pragma once
// The five XML files of a configuration folder: their trees, their writers, and the row access
// that every reader shares. Readers throw Xml_Error (file, position or row, reason) for a file
// that is not well-formed or a row without an attribute that the reader needs; a missing file
// is a normal state and gives the reader's defaults.
#include "config/Config_Model.h"
#include "platform/Xml_Document.h"

#include <optional>

// Root element names.
QString Frame_File_Root(Direction direction);    // "ReceiveCAN" / "TransmitCAN"
QString Map_File_Root(Direction direction);      // "DefineRecJ1939" / "DefineTransJ1939"

// Loads a file that may be missing: no document when it does not exist.
std::optional<Xml_Document> Load_If_Exists(const QString &path);

// A row that a reader cannot take. The text names the file and the row as every Xml_Error
// does; the row (counting from 1) and the bare reason are kept apart for callers that list
// findings by row.
class Row_Error : public Xml_Error {
public:
    Row_Error(const QString &file, int row, const QString &what);
    int Row;
    QString What;
};

// ParGen.xml. Calls fn(element_name, field) for the fifteen settings in file order.
template <class T, class Fn>
void For_Each_Par_Gen(Par_Gen_Fields<T> &fields, Fn fn)
{
    fn(QStringLiteral("CAN_BAUDRATE"), fields.CAN_BAUDRATE);
    for (int i = 0; i < 4; ++i) fn(QStringLiteral("MODBUS_TCP_SLAVE_IP%1").arg(i + 1), fields.IP[i]);
    for (int i = 0; i < 4; ++i) fn(QStringLiteral("MODBUS_TCP_SLAVE_SM%1").arg(i + 1), fields.SM[i]);
    fn(QStringLiteral("MODBUS_TCP_SLAVE_EN_GAT"), fields.EN_GAT);
    for (int i = 0; i < 4; ++i) fn(QStringLiteral("MODBUS_TCP_SLAVE_GAT%1").arg(i + 1), fields.GAT[i]);
    fn(QStringLiteral("MODBUS_TCP_SLAVE_Port"), fields.Port);
}

// The texts of the settings that the file holds (no value for a missing element, or for every
// setting when the file is missing).
Par_Gen_Fields<std::optional<QString>> Read_Par_Gen_File(const QString &path);
// The *_Bytes functions throw Xml_Error naming file_name for a text that an XML file cannot
// hold (see First_Unstorable_Char); nothing is written then.
QByteArray Par_Gen_File_Bytes(const Par_Gen_Texts &texts, const QString &file_name = QString());
void Write_Par_Gen_File(const QString &path, const Par_Gen_Texts &texts);

// One file read on its own, as the editors read it from a whole configuration (see
// Configuration.h: Editor_Frame_Rows, Editor_Mapping_Frames).
// CAN_Receive.xml / CAN_Transmit.xml, as the frame list editors read them: every attribute of
// the direction is required and taken as text.
QList<Frame_Row> Read_Frame_File(const QString &path, Direction direction);
QByteArray Frame_File_Bytes(Direction direction, const QList<Frame_Row> &rows,
                            const QString &file_name = QString());
void Write_Frame_File(const QString &path, Direction direction, const QList<Frame_Row> &rows);

// The mapping editors' view: the frames of the direction's frame list, each with the mappings
// of the mapping file that name it (rows naming no frame are skipped; with no frames the
// mapping file is not read).
// unplaced, when given, receives the number of mapping rows that name no frame of the list
// (Num_Frame not a number, negative or beyond the list), which the editors cannot show.
QList<Editor_Frame> Read_Mapping_Files(const QString &frame_path, const QString &map_path,
                                     Direction direction, int *unplaced = nullptr);
// The number of rows of a mapping file; 0 for a missing file. Throws Xml_Error for a file that
// cannot be read.
int Count_Map_File_Rows(const QString &map_path);
// The frames a mapping file names and what becomes of its rows when the frames move: row by
// row, Num_Frame n becomes New_Index[n]; the rows of a frame whose new index is -1 (deleted)
// are removed. Rows that name no frame of the old list (Num_Frame not a number, negative or
// beyond the list) keep their place and text: they belong to no frame that could move.
struct Map_File_Renumbering {
    QByteArray Bytes;         // the rewritten file
    bool Changed = false;     // some row moved to another frame or was removed
    // Per deleted frame (its old number) the register index texts that go with it.
    QList<std::pair<int, QStringList>> Removed;
    int Removed_Count() const;
};
// Reads the mapping file at path and renumbers it; every attribute other than Num_Frame keeps
// its text. A missing file gives no change. Throws Xml_Error for a file that cannot be read or
// a row without Num_Frame.
Map_File_Renumbering Renumber_Map_File(const QString &path, const QList<int> &New_Index);

// Rows grouped frame by frame, each frame's registers in their list order.
QByteArray Map_File_Bytes(Direction direction, const QList<Editor_Frame> &frames,
                          const QString &file_name = QString());
void Write_Map_File(const QString &path, Direction direction, const QList<Editor_Frame> &frames);
