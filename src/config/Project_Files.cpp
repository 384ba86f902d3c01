#include "config/Project_Files.h"

#include "platform/Core_Text.h"
#include "platform/IntText.h"
#include "platform/Safe_File.h"

#include <QFileInfo>

QString Frame_File_Root(Direction direction)
{
    return direction == Direction::Receive ? QStringLiteral("ReceiveCAN") : QStringLiteral("TransmitCAN");
}

QString Map_File_Root(Direction direction)
{
    return direction == Direction::Receive ? QStringLiteral("DefineRecJ1939")
                                           : QStringLiteral("DefineTransJ1939");
}

std::optional<Xml_Document> Load_If_Exists(const QString &path)
{
    if (!Settled_File_Exists(path)) return std::nullopt;
    return Xml_Document::Load(path);
}

Row_Error::Row_Error(const QString &file, int row, const QString &what)
    : Xml_Error(file, 0, 0, Core_Text("row %1").arg(row) + QStringLiteral(": ") + what), Row(row), What(what)
{
}

void Throw_Missing_Attribute(const QString &file, int index, const QString &name)
{
    throw Row_Error(file, index + 1, Core_Text("the attribute \"%1\" is missing").arg(name));
}

void Row_View::Missing(const QString &name) const { Throw_Missing_Attribute(file_, index_, name); }

QString Row_View::Required(const QString &name) const
{
    std::optional<QString> value = node_.Attribute(name);
    if (!value) Missing(name);
    return *value;
}

QByteArrayView Row_View::Required_Utf8(const char *name) const
{
    const std::optional<QByteArrayView> value = node_.Attribute_Utf8(name);
    if (!value) Missing(QString::fromUtf8(name));
    return *value;
}

std::optional<int32_t> Row_View::Required_Number(const char *name) const
{
    return Int_Text::Str_To_Int_Utf8(Required_Utf8(name));
}

QList<Row_View> List_Rows(const Xml_Document &doc, const QString &file)
{
    QList<Row_View> rows;
    int index = 0;
    for (const Xml_Node &node : doc.Root().Children()) rows.append(Row_View(node, file, index++));
    return rows;
}

namespace {

// A new document: the root element followed by the version comment.
Xml_Node New_Document(Xml_Document &doc, const QString &root)
{
    Xml_Node node = doc.Append_Root(root);
    doc.Append_Comment(SW_Version_Comment);
    return node;
}

}  // namespace

Par_Gen_Fields<std::optional<QString>> Read_Par_Gen_File(const QString &path)
{
    const std::optional<Xml_Document> doc = Load_If_Exists(path);
    if (!doc) return {};
    return Read_Par_Gen_Settings(*doc);
}

Par_Gen_Fields<std::optional<QString>> Read_Par_Gen_Settings(const Xml_Document &doc)
{
    Par_Gen_Fields<std::optional<QString>> fields;
    const Xml_Node root = doc.Root();
    For_Each_Par_Gen(fields, [&](const QString &name, std::optional<QString> &field) {
        if (const Xml_Node element = root.Child(name)) field = element.Text();
    });
    return fields;
}

QByteArray Par_Gen_File_Bytes(const Par_Gen_Texts &texts, const QString &file_name)
{
    Xml_Document doc;
    Xml_Node root = New_Document(doc, QStringLiteral("Par_Gen"));
    Par_Gen_Texts copy = texts;
    For_Each_Par_Gen(copy, [&](const QString &name, QString &text) { root.Append_Text_Child(name, text); });
    return doc.To_Bytes(file_name);
}

void Write_Par_Gen_File(const QString &path, const Par_Gen_Texts &texts)
{
    Save_File_Atomic(path, Par_Gen_File_Bytes(texts, path));
}

namespace {

struct Frame_Attribute {
    const char *Name;
    QString Frame_Row::*Field;
};

const Frame_Attribute Receive_Frame_Attributes[] = {
    {"CobID", &Frame_Row::CobID},     {"Dimension", &Frame_Row::Dimension},
    {"Type", &Frame_Row::Type},       {"TimeOut", &Frame_Row::TimeOut},
    {"Mnemonic", &Frame_Row::Mnemonic}};

const Frame_Attribute Transmit_Frame_Attributes[] = {
    {"CobID", &Frame_Row::CobID},         {"Dimension", &Frame_Row::Dimension},
    {"Type", &Frame_Row::Type},           {"DataChange", &Frame_Row::DataChange},
    {"OnTimer", &Frame_Row::OnTimer},     {"SendTimer", &Frame_Row::SendTimer},
    {"Mnemonic", &Frame_Row::Mnemonic}};

template <class Fn>
void For_Each_Frame_Attribute(Direction direction, Fn fn)
{
    if (direction == Direction::Receive) {
        for (const Frame_Attribute &a : Receive_Frame_Attributes) fn(QLatin1String(a.Name), a.Field);
    } else {
        for (const Frame_Attribute &a : Transmit_Frame_Attributes) fn(QLatin1String(a.Name), a.Field);
    }
}

}  // namespace

QList<Frame_Row> Read_Frame_File(const QString &path, Direction direction)
{
    QList<Frame_Row> rows;
    const std::optional<Xml_Document> doc = Load_If_Exists(path);
    if (!doc) return rows;
    for (const Row_View &view : List_Rows(*doc, path)) {
        Frame_Row row;
        For_Each_Frame_Attribute(direction, [&](const QString &name, QString Frame_Row::*field) {
            row.*field = view.Required(name);
        });
        row.Stored_Index = view.Index();
        rows.append(row);
    }
    return rows;
}

QByteArray Frame_File_Bytes(Direction direction, const QList<Frame_Row> &rows, const QString &file_name)
{
    Xml_Document doc;
    Xml_Node root = New_Document(doc, Frame_File_Root(direction));
    for (const Frame_Row &row : rows) {
        Xml_Node node = root.Append_Child(QStringLiteral("row"));
        For_Each_Frame_Attribute(direction, [&](const QString &name, QString Frame_Row::*field) {
            node.Set_Attribute(name, row.*field);
        });
    }
    return doc.To_Bytes(file_name);
}

void Write_Frame_File(const QString &path, Direction direction, const QList<Frame_Row> &rows)
{
    Save_File_Atomic(path, Frame_File_Bytes(direction, rows, path));
}

int Count_Map_File_Rows(const QString &map_path)
{
    const std::optional<Xml_Document> doc = Load_If_Exists(map_path);
    return doc ? int(List_Rows(*doc, map_path).size()) : 0;
}

QList<TCAN_Frame> Read_Mapping_Files(const QString &frame_path, const QString &map_path,
                                     Direction direction, int *unplaced)
{
    if (unplaced) *unplaced = 0;
    using Int_Text::Str_To_Int_Def;
    QList<TCAN_Frame> frames;
    if (const std::optional<Xml_Document> doc = Load_If_Exists(frame_path)) {
        for (const Row_View &view : List_Rows(*doc, frame_path)) {
            TCAN_Frame frame;
            frame.CobID = view.Required(QStringLiteral("CobID"));
            frame.Num_Byte = Str_To_Int_Def(view.Required(QStringLiteral("Dimension")), 8);
            frames.append(frame);
        }
    }
    if (frames.isEmpty()) return frames;

    const std::optional<Xml_Document> doc = Load_If_Exists(map_path);
    if (!doc) return frames;
    for (const Row_View &view : List_Rows(*doc, map_path)) {
        const int32_t num_frame = Str_To_Int_Def(view.Required(QStringLiteral("Num_Frame")), -1);
        if (num_frame < 0 || num_frame >= frames.size()) {
            if (unplaced) ++*unplaced;
            continue;
        }
        TMod_Reg reg;
        reg.Ind_Mod = view.Required(QStringLiteral("Mod_Index"));
        reg.HiPart = Str_To_Int_Def(view.Required(QStringLiteral("Byte_HiPart")), 0);
        reg.LoPart = Str_To_Int_Def(view.Required(QStringLiteral("Byte_LoPart")), 0);
        if (direction == Direction::Transmit)
            reg.Write = Str_To_Int_Def(view.Required(QStringLiteral("Send_on_Write")), 0);
        frames[num_frame].Lista_Mod_Reg.append(reg);
    }
    return frames;
}

int Map_File_Renumbering::Removed_Count() const
{
    int count = 0;
    for (const auto &frame : Removed) count += int(frame.second.size());
    return count;
}

Map_File_Renumbering Renumber_Map_File(const QString &path, const QList<int> &New_Index)
{
    Map_File_Renumbering result;
    std::optional<Xml_Document> doc = Load_If_Exists(path);
    if (!doc) return result;
    Xml_Node root = doc->Root();
    QList<Xml_Node> removed;
    for (const Row_View &view : List_Rows(*doc, path)) {
        const int32_t old_frame = Int_Text::Str_To_Int_Def(view.Required(QStringLiteral("Num_Frame")), -1);
        if (old_frame < 0 || old_frame >= New_Index.size()) continue;
        const int new_frame = New_Index[old_frame];
        if (new_frame == old_frame) continue;
        result.Changed = true;
        if (new_frame < 0) {
            auto it = std::find_if(result.Removed.begin(), result.Removed.end(),
                                   [&](const auto &frame) { return frame.first == old_frame; });
            if (it == result.Removed.end()) it = result.Removed.insert(result.Removed.end(), {old_frame, {}});
            it->second.append(view.Optional(QStringLiteral("Mod_Index")).value_or(QString()));
            removed.append(view.Node());
        } else {
            view.Node().Set_Attribute(QStringLiteral("Num_Frame"), QString::number(new_frame));
        }
    }
    for (const Xml_Node &node : removed) root.Remove_Child(node);
    result.Bytes = doc->To_Bytes(path);
    return result;
}

QByteArray Map_File_Bytes(Direction direction, const QList<TCAN_Frame> &frames, const QString &file_name)
{
    Xml_Document doc;
    Xml_Node root = New_Document(doc, Map_File_Root(direction));
    for (qsizetype f = 0; f < frames.size(); ++f) {
        for (const TMod_Reg &reg : frames[f].Lista_Mod_Reg) {
            Xml_Node node = root.Append_Child(QStringLiteral("row"));
            node.Set_Attribute(QStringLiteral("Num_Frame"), QString::number(f));
            node.Set_Attribute(QStringLiteral("Mod_Index"), reg.Ind_Mod);
            node.Set_Attribute(QStringLiteral("Byte_HiPart"), QString::number(reg.HiPart));
            node.Set_Attribute(QStringLiteral("Byte_LoPart"), QString::number(reg.LoPart));
            if (direction == Direction::Transmit)
                node.Set_Attribute(QStringLiteral("Send_on_Write"), QString::number(reg.Write));
        }
    }
    return doc.To_Bytes(file_name);
}

void Write_Map_File(const QString &path, Direction direction, const QList<TCAN_Frame> &frames)
{
    Save_File_Atomic(path, Map_File_Bytes(direction, frames, path));
}
