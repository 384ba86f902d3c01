#include "config/Configuration.h"

#include "config/Project_Files.h"
#include "platform/Core_Text.h"
#include "platform/Int_Text.h"
#include "platform/Safe_File.h"

#include <QFileInfo>

namespace {

Stored_Text Text_Of(const Xml_Node &node, const char *name) { return node.Attribute(QLatin1StringView(name)); }

// Loads the document of a file that may be missing; the file's state tells how it went.
std::optional<Xml_Document> Load(const QString &path, Stored_File &file)
{
    // A save that a crash cut short is finished first, so a file it was replacing is there.
    if (!Settled_File_Exists(path)) {
        file.Status = Stored_File::State::Missing;
        return std::nullopt;
    }
    try {
        Xml_Document doc = Xml_Document::Load(path);
        file.Status = Stored_File::State::Read;
        return doc;
    } catch (const Xml_Error &e) {
        file.Status = Stored_File::State::Failed;
        file.Error = e;
        return std::nullopt;
    }
}

// Every child node of the root counts as a row (as a document lists them), whatever it is: a
// row that is no element has no attributes at all.
template <class Fn>
void For_Each_Child(const Xml_Document &doc, Fn fn)
{
    int index = 0;
    for (Xml_Node node = doc.Root().First_Child(); node; node = node.Next_Sibling()) fn(node, index++);
}

void Load_Direction(const Project_Paths &paths, Direction direction, Stored_Direction &part)
{
    Load_Frame_List(paths.Frame_File(direction), part);
    // A direction without frames has nothing a mapping could name: its file is not read.
    if (!part.Frames.isEmpty()) Load_Mapping_File(paths.Map_File(direction), part);
}

}  // namespace

bool Device_Text_Equals(QStringView text, QLatin1StringView upper)
{
    if (text.size() != upper.size()) return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c >= u'a' && c <= u'z') c = char16_t(c - (u'a' - u'A'));
        if (c != char16_t(uchar(upper.at(i).toLatin1()))) return false;
    }
    return true;
}

void Load_Frame_List(const QString &path, Stored_Direction &part)
{
    part.Frames.clear();
    const std::optional<Xml_Document> doc = Load(path, part.Frame_File);
    if (!doc) return;
    For_Each_Child(*doc, [&](const Xml_Node &node, int row) {
        Stored_Frame f;
        f.Row = row;
        f.CobID = Text_Of(node, "CobID");
        f.Dimension = Text_Of(node, "Dimension");
        f.Type = Text_Of(node, "Type");
        f.TimeOut = Text_Of(node, "TimeOut");
        f.DataChange = Text_Of(node, "DataChange");
        f.OnTimer = Text_Of(node, "OnTimer");
        f.SendTimer = Text_Of(node, "SendTimer");
        f.Mnemonic = Text_Of(node, "Mnemonic");
        part.Frames.append(std::move(f));
    });
}

void Load_Mapping_File(const QString &path, Stored_Direction &part)
{
    for (Stored_Frame &f : part.Frames) f.Registers.clear();
    part.Unplaced.clear();
    part.Mapping_Rows = 0;
    const std::optional<Xml_Document> doc = Load(path, part.Map_File);
    if (!doc) return;
    const qsizetype frames = part.Frames.size();
    For_Each_Child(*doc, [&](const Xml_Node &node, int row) {
        Stored_Mapping m;
        m.Row = row;
        m.Num_Frame = Text_Of(node, "Num_Frame");
        m.Mod_Index = Text_Of(node, "Mod_Index");
        m.Byte_HiPart = Text_Of(node, "Byte_HiPart");
        m.Byte_LoPart = Text_Of(node, "Byte_LoPart");
        m.Send_on_Write = Text_Of(node, "Send_on_Write");
        const std::optional<int32_t> n = m.Num_Frame ? Int_Text::Str_To_Int(*m.Num_Frame) : std::nullopt;
        if (n && *n >= 0 && *n < frames)
            part.Frames[*n].Registers.append(std::move(m));
        else
            part.Unplaced.append(std::move(m));
        ++part.Mapping_Rows;
    });
}

Par_Gen_Fields<std::optional<QString>> Settings_Of_Document(const Xml_Document &doc)
{
    Par_Gen_Fields<std::optional<QString>> fields;
    const Xml_Node root = doc.Root();
    For_Each_Par_Gen(fields, [&](const QString &name, std::optional<QString> &field) {
        if (const Xml_Node element = root.Child(name)) field = element.Text();
    });
    return fields;
}

Configuration Load_Configuration(const Project_Paths &paths)
{
    Configuration config;
    config.Paths = paths;
    if (const std::optional<Xml_Document> doc = Load(paths.ParGen, config.Settings_File))
        config.Settings = Settings_Of_Document(*doc);
    Load_Direction(paths, Direction::Receive, config.Receive);
    Load_Direction(paths, Direction::Transmit, config.Transmit);
    return config;
}

bool Device_Reads_29_Bit(QStringView type) { return Device_Text_Equals(type, QLatin1StringView("CAN 2.0B 29 BITS")); }

bool Editor_Reads_11_Bit(QStringView type)
{
    return Int_Text::Trim(type.toString()).toUpper() == Frame_Type_11_Upper;
}

bool Device_Reads_Yes(QStringView text) { return Device_Text_Equals(text, QLatin1StringView("Y")); }

bool Editor_Reads_Checked(QStringView text) { return Int_Text::Trim(text.toString()).toUpper() == u"Y"; }

void Raise_Missing_Attribute(const QString &file, int row, const QString &name)
{
    throw Row_Error(file, row + 1, Core_Text("the attribute \"%1\" is missing").arg(name));
}

namespace {

const QString &Required(const Stored_Text &text, const QString &file, int row, const char *name)
{
    if (!text) Raise_Missing_Attribute(file, row, QString::fromLatin1(name));
    return *text;
}

}  // namespace

std::vector<std::pair<const Stored_Mapping *, int>> Mappings_In_File_Order(const Stored_Direction &part)
{
    std::vector<std::pair<const Stored_Mapping *, int>> rows(size_t(part.Mapping_Rows), {nullptr, -1});
    for (qsizetype f = 0; f < part.Frames.size(); ++f)
        for (const Stored_Mapping &m : part.Frames[f].Registers) rows[size_t(m.Row)] = {&m, int(f)};
    for (const Stored_Mapping &m : part.Unplaced) rows[size_t(m.Row)] = {&m, -1};
    return rows;
}

QList<Frame_Row> Editor_Frame_Rows(const Configuration &config, Direction direction)
{
    const Stored_Direction &part = config.Part(direction);
    part.Frame_File.Raise_If_Failed();
    const QString &file = config.Paths.Frame_File(direction);
    QList<Frame_Row> rows;
    rows.reserve(part.Frames.size());
    for (const Stored_Frame &f : part.Frames) {
        Frame_Row row;
        row.CobID = Required(f.CobID, file, f.Row, "CobID");
        row.Dimension = Required(f.Dimension, file, f.Row, "Dimension");
        row.Type = Required(f.Type, file, f.Row, "Type");
        if (direction == Direction::Receive) {
            row.TimeOut = Required(f.TimeOut, file, f.Row, "TimeOut");
        } else {
            row.DataChange = Required(f.DataChange, file, f.Row, "DataChange");
            row.OnTimer = Required(f.OnTimer, file, f.Row, "OnTimer");
            row.SendTimer = Required(f.SendTimer, file, f.Row, "SendTimer");
        }
        row.Mnemonic = Required(f.Mnemonic, file, f.Row, "Mnemonic");
        row.Stored_Index = f.Row;
        rows.append(row);
    }
    return rows;
}

QList<Editor_Frame> Editor_Mapping_Frames(const Configuration &config, Direction direction, int *unplaced)
{
    using Int_Text::Str_To_Int_Def;
    if (unplaced) *unplaced = 0;
    const Stored_Direction &part = config.Part(direction);
    part.Frame_File.Raise_If_Failed();
    const QString &frame_file = config.Paths.Frame_File(direction);
    QList<Editor_Frame> frames;
    frames.reserve(part.Frames.size());
    for (const Stored_Frame &f : part.Frames) {
        Editor_Frame frame;
        frame.CobID = Required(f.CobID, frame_file, f.Row, "CobID");
        frame.Num_Byte = Str_To_Int_Def(Required(f.Dimension, frame_file, f.Row, "Dimension"), 8);
        frames.append(frame);
    }
    if (frames.isEmpty()) return frames;

    part.Map_File.Raise_If_Failed();
    const QString &map_file = config.Paths.Map_File(direction);
    // The rows in file order, so that the first fault of the file is the one reported.
    for (const auto &[m, f] : Mappings_In_File_Order(part)) {
        Required(m->Num_Frame, map_file, m->Row, "Num_Frame");
        if (f < 0) {
            if (unplaced) ++*unplaced;
            continue;
        }
        Editor_Register reg;
        reg.Ind_Mod = Required(m->Mod_Index, map_file, m->Row, "Mod_Index");
        reg.HiPart = Str_To_Int_Def(Required(m->Byte_HiPart, map_file, m->Row, "Byte_HiPart"), 0);
        reg.LoPart = Str_To_Int_Def(Required(m->Byte_LoPart, map_file, m->Row, "Byte_LoPart"), 0);
        if (direction == Direction::Transmit)
            reg.Write = Str_To_Int_Def(Required(m->Send_on_Write, map_file, m->Row, "Send_on_Write"), 0);
        frames[f].Registers.append(reg);
    }
    return frames;
}
