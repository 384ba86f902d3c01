#include "platform/XmlDocument.h"

#include "platform/Safe_File.h"

#include <pugixml.hpp>
#include <sstream>
#include <vector>

namespace {

std::string To_Std(const QString &s) { return s.toUtf8().toStdString(); }

// Options: a declaration, comments and processing instructions are kept as nodes (a reader that
// allows nothing in front of its root can see them), but the root is always the first element.
// Whitespace-only text is kept only where it is an element's whole
// content (a value typed as blanks stays blanks); between elements it carries no meaning and
// is skipped by the child walk below.
constexpr unsigned Parse_Options = pugi::parse_default | pugi::parse_declaration |
                                   pugi::parse_comments | pugi::parse_pi | pugi::parse_ws_pcdata_single;

pugi::xml_node Node(pugi::xml_node_struct *n) { return pugi::xml_node(n); }

bool Is_Blank_Text(const pugi::xml_node &n)
{
    if (n.type() != pugi::node_pcdata) return false;
    for (const char *c = n.value(); *c; ++c)
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') return false;
    return true;
}

// The first node from n on that is not whitespace-only text.
pugi::xml_node Skip_Blank(pugi::xml_node n)
{
    while (n && Is_Blank_Text(n)) n = n.next_sibling();
    return n;
}

}  // namespace

Xml_Error::Xml_Error(const QString &file, int line, int column, const QString &reason)
    : std::runtime_error(To_Std(line > 0 ? QStringLiteral("%1: line %2, column %3: %4")
                                               .arg(file).arg(line).arg(column).arg(reason)
                                         : QStringLiteral("%1: %2").arg(file, reason))),
      File(file), Line(line), Column(column), Reason(reason)
{
}

QString Xml_Error::Text() const { return QString::fromUtf8(what()); }

bool Xml_Node::Is_Element() const { return node_ && Node(node_).type() == pugi::node_element; }

QString Xml_Node::Name() const { return node_ ? QString::fromUtf8(Node(node_).name()) : QString(); }

QString Xml_Node::Text() const
{
    return node_ ? QString::fromUtf8(Node(node_).text().get()) : QString();
}

void Xml_Node::Set_Text(const QString &text)
{
    if (node_) Node(node_).text().set(To_Std(text).c_str());
}

Xml_Node Xml_Node::Child(const QString &name) const
{
    if (!node_) return {};
    return Xml_Node(Node(node_).child(To_Std(name).c_str()).internal_object());
}

QList<Xml_Node> Xml_Node::Children() const
{
    QList<Xml_Node> list;
    if (!node_) return list;
    for (pugi::xml_node c = Skip_Blank(Node(node_).first_child()); c; c = Skip_Blank(c.next_sibling()))
        list.append(Xml_Node(c.internal_object()));
    return list;
}

Xml_Node Xml_Node::First_Child() const
{
    return node_ ? Xml_Node(Skip_Blank(Node(node_).first_child()).internal_object()) : Xml_Node();
}

Xml_Node Xml_Node::Next_Sibling() const
{
    return node_ ? Xml_Node(Skip_Blank(Node(node_).next_sibling()).internal_object()) : Xml_Node();
}

std::optional<QByteArrayView> Xml_Node::Attribute_Utf8(const char *name) const
{
    if (!node_) return std::nullopt;
    const pugi::xml_attribute a = Node(node_).attribute(name);
    if (!a) return std::nullopt;
    return QByteArrayView(a.value());
}

std::optional<QString> Xml_Node::Attribute(const QString &name) const
{
    if (!node_) return std::nullopt;
    const pugi::xml_attribute a = Node(node_).attribute(To_Std(name).c_str());
    if (!a) return std::nullopt;
    return QString::fromUtf8(a.value());
}

void Xml_Node::Set_Attribute(const QString &name, const QString &value)
{
    if (!node_) return;
    pugi::xml_node n = Node(node_);
    const std::string key = To_Std(name);
    pugi::xml_attribute a = n.attribute(key.c_str());
    if (!a) a = n.append_attribute(key.c_str());
    a.set_value(To_Std(value).c_str());
}

Xml_Node Xml_Node::Append_Child(const QString &name)
{
    if (!node_) return {};
    return Xml_Node(Node(node_).append_child(To_Std(name).c_str()).internal_object());
}

void Xml_Node::Remove_Child(const Xml_Node &child)
{
    if (node_ && child.node_) Node(node_).remove_child(Node(child.node_));
}

Xml_Node Xml_Node::Append_Text_Child(const QString &name, const QString &text)
{
    Xml_Node child = Append_Child(name);
    // An empty text is written as an empty element.
    if (!text.isEmpty()) child.Set_Text(text);
    return child;
}

Xml_Document::Xml_Document() : doc_(std::make_unique<pugi::xml_document>()) {}
Xml_Document::~Xml_Document() = default;
Xml_Document::Xml_Document(Xml_Document &&) noexcept = default;
Xml_Document &Xml_Document::operator=(Xml_Document &&) noexcept = default;

Xml_Document Xml_Document::Load(const QString &path)
{
    QByteArray bytes;
    try {
        bytes = Read_Regular_File(path, Text_File_Limit);
    } catch (const File_Access_Error &e) {
        throw Xml_Error(path, 0, 0, e.Reason);
    }
    return Parse(bytes, path);
}

Xml_Document Xml_Document::Parse(const QByteArray &bytes, const QString &file_name)
{
    Xml_Document d;
    const pugi::xml_parse_result r =
        d.doc_->load_buffer(bytes.constData(), size_t(bytes.size()), Parse_Options, pugi::encoding_auto);
    if (!r) {
        // Turn the byte offset into a line and column (1-based) for the message.
        int line = 1;
        int column = 1;
        const qsizetype end = qMin<qsizetype>(qsizetype(r.offset), bytes.size());
        for (qsizetype i = 0; i < end; ++i) {
            if (bytes[i] == '\n') {
                ++line;
                column = 1;
            } else if ((uchar(bytes[i]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        throw Xml_Error(file_name, line, column, QString::fromUtf8(r.description()));
    }
    return d;
}

Xml_Node Xml_Document::Root() const
{
    return Xml_Node(doc_->document_element().internal_object());
}

Xml_Node Xml_Document::First_Top_Level_Node() const
{
    return Xml_Node(doc_->first_child().internal_object());
}

Xml_Node Xml_Document::Append_Root(const QString &name)
{
    return Xml_Node(doc_->append_child(To_Std(name).c_str()).internal_object());
}

void Xml_Document::Append_Comment(const QString &text)
{
    doc_->append_child(pugi::node_comment).set_value(To_Std(text).c_str());
}

QByteArray Xml_Document::To_Bytes() const
{
    std::ostringstream out;
    doc_->save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

void Xml_Document::Save(const QString &path) const { Save_File_Atomic(path, To_Bytes()); }

void Save_Files_Atomic(const QList<std::pair<QString, QByteArray>> &files)
{
    try {
        Replace_Files(files);
    } catch (const File_Access_Error &e) {
        throw Xml_Error(e.File, 0, 0, e.Reason);
    }
}

void Save_File_Atomic(const QString &path, const QByteArray &bytes) { Save_Files_Atomic({{path, bytes}}); }
