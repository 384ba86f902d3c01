#pragma once
// The five XML files of a configuration folder: their trees, their writers, and the row access
// that every reader shares. Readers throw Xml_Error (file, position or row, reason) for a file
// that is not well-formed or a row without an attribute that the reader needs; a missing file
// is a normal state and gives the reader's defaults.
#include "config/Config_Model.h"
#include "platform/XmlDocument.h"

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

// The error of a row (numbered from 0) that lacks an attribute a reader needs.
[[noreturn]] void Throw_Missing_Attribute(const QString &file, int index, const QString &name);

// One row of a list file: a child node of the root, numbered from 0 in document order.
class Row_View {
public:
    Row_View(Xml_Node node, QString file, int index) : node_(node), file_(std::move(file)), index_(index) {}
    int Index() const { return index_; }
    Xml_Node Node() const { return node_; }
    // The attribute's text; throws Row_Error naming the file, the row (counting from 1) and the
    // attribute when it is missing.
    QString Required(const QString &name) const;
    std::optional<QString> Optional(const QString &name) const { return node_.Attribute(name); }
    // For readers that convert many values (the image build): the attribute's UTF-8 text, valid
    // while the document lives, and the attribute converted by the integer text conversion with
    // a fallback. Both throw like Required when the attribute is missing.
    QByteArrayView Required_Utf8(const char *name) const;
    int32_t Required_Int(const char *name, int32_t fallback) const { return Required_Number(name).value_or(fallback); }
    // The same conversion without the fallback: no value when the text is not a number.
    std::optional<int32_t> Required_Number(const char *name) const;
    std::optional<QByteArrayView> Optional_Utf8(const char *name) const { return node_.Attribute_Utf8(name); }

private:
    [[noreturn]] void Missing(const QString &name) const;
    Xml_Node node_;
    QString file_;
    int index_;
};

// Every child node of the document's root element, in document order.
QList<Row_View> List_Rows(const Xml_Document &doc, const QString &file);
// The same rows one at a time, without building a list: fn(const Row_View &) for each.
template <class Fn>
void For_Each_Row(const Xml_Document &doc, const QString &file, Fn fn)
{
    int index = 0;
    for (Xml_Node node = doc.Root().First_Child(); node; node = node.Next_Sibling())
        fn(Row_View(node, file, index++));
}

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
// The same from a loaded document: each setting is the first child of its name under the
// document's root element.
Par_Gen_Fields<std::optional<QString>> Read_Par_Gen_Settings(const Xml_Document &doc);
// The *_Bytes functions throw Xml_Error naming file_name for a text that an XML file cannot
// hold (see First_Unstorable_Char); nothing is written then.
QByteArray Par_Gen_File_Bytes(const Par_Gen_Texts &texts, const QString &file_name = QString());
void Write_Par_Gen_File(const QString &path, const Par_Gen_Texts &texts);

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
QList<TCAN_Frame> Read_Mapping_Files(const QString &frame_path, const QString &map_path,
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
QByteArray Map_File_Bytes(Direction direction, const QList<TCAN_Frame> &frames,
                          const QString &file_name = QString());
void Write_Map_File(const QString &path, Direction direction, const QList<TCAN_Frame> &frames);
