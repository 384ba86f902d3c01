#include "config/Project_Files.h"

#include "config/Configuration.h"

#include "platform/Core_Text.h"
#include "platform/Int_Text.h"
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
    return Settings_Of_Document(*doc);
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
    Configuration config;
    (direction == Direction::Receive ? config.Paths.CAN_Receive : config.Paths.CAN_Transmit) = path;
    Load_Frame_List(path, config.Part(direction));
    return Editor_Frame_Rows(config, direction);
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
    Stored_Direction part;
    Load_Mapping_File(map_path, part);
    part.Map_File.Raise_If_Failed();
    return part.Mapping_Rows;
}

QList<Editor_Frame> Read_Mapping_Files(const QString &frame_path, const QString &map_path, Direction direction,
                                     int *unplaced)
{
    Configuration config;
    const bool receive = direction == Direction::Receive;
    (receive ? config.Paths.CAN_Receive : config.Paths.CAN_Transmit) = frame_path;
    (receive ? config.Paths.Define_CAN_Receive : config.Paths.Define_CAN_Transmit) = map_path;
    Stored_Direction &part = config.Part(direction);
    Load_Frame_List(frame_path, part);
    // With no frames the mapping file is not read.
    if (!part.Frames.isEmpty()) Load_Mapping_File(map_path, part);
    return Editor_Mapping_Frames(config, direction, unplaced);
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
    int row = 0;
    for (Xml_Node node = root.First_Child(); node; node = node.Next_Sibling(), ++row) {
        const std::optional<QString> num_frame = node.Attribute(QStringLiteral("Num_Frame"));
        if (!num_frame) Raise_Missing_Attribute(path, row, QStringLiteral("Num_Frame"));
        const int32_t old_frame = Int_Text::Str_To_Int_Def(*num_frame, -1);
        if (old_frame < 0 || old_frame >= New_Index.size()) continue;
        const int new_frame = New_Index[old_frame];
        if (new_frame == old_frame) continue;
        result.Changed = true;
        if (new_frame < 0) {
            auto it = std::find_if(result.Removed.begin(), result.Removed.end(),
                                   [&](const auto &frame) { return frame.first == old_frame; });
            if (it == result.Removed.end()) it = result.Removed.insert(result.Removed.end(), {old_frame, {}});
            it->second.append(node.Attribute(QStringLiteral("Mod_Index")).value_or(QString()));
            removed.append(node);
        } else {
            node.Set_Attribute(QStringLiteral("Num_Frame"), QString::number(new_frame));
        }
    }
    for (const Xml_Node &node : removed) root.Remove_Child(node);
    result.Bytes = doc->To_Bytes(path);
    return result;
}

QByteArray Map_File_Bytes(Direction direction, const QList<Editor_Frame> &frames, const QString &file_name)
{
    Xml_Document doc;
    Xml_Node root = New_Document(doc, Map_File_Root(direction));
    for (qsizetype f = 0; f < frames.size(); ++f) {
        for (const Editor_Register &reg : frames[f].Registers) {
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

void Write_Map_File(const QString &path, Direction direction, const QList<Editor_Frame> &frames)
{
    Save_File_Atomic(path, Map_File_Bytes(direction, frames, path));
}
