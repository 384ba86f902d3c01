#include "platform/XmlDocument.h"

#include "platform/Core_Text.h"
#include "platform/Plain_Xml.h"
#include "platform/Safe_File.h"

#include <QXmlStreamReader>
#include <pugixml.hpp>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

std::string To_Std(const QString &s) { return s.toUtf8().toStdString(); }

// Options: a declaration, comments and processing instructions are kept as nodes (a reader that
// allows nothing in front of its root can see them), but the root is always the first element.
// Whitespace-only text is kept only where it is an element's whole
// content (a value typed as blanks stays blanks); between elements it carries no meaning and
// is skipped by the child walk below.
// A document type declaration is kept as a node only so that it can be found and refused.
constexpr unsigned Parse_Options = pugi::parse_default | pugi::parse_declaration | pugi::parse_doctype |
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

bool Is_Xml_Char(char32_t c)
{
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

QString Char_Code(char32_t c) { return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper(); }

// The first fault in UTF-8 bytes: an invalid sequence (overlong forms and encoded surrogates
// included) or a character XML 1.0 cannot hold. Empty reason when there is none.
struct Utf8_Fault {
    size_t Offset = 0;
    QString Reason;
};

Utf8_Fault First_Utf8_Fault(const char *data, size_t size)
{
    const auto *b = reinterpret_cast<const unsigned char *>(data);
    size_t i = 0;
    while (i < size) {
        const unsigned char lead = b[i];
        char32_t c = lead;
        size_t length = 1;
        char32_t min = 0;
        if (lead >= 0x80) {
            if (lead >= 0xC2 && lead <= 0xDF) length = 2, c = lead & 0x1F, min = 0x80;
            else if (lead >= 0xE0 && lead <= 0xEF) length = 3, c = lead & 0x0F, min = 0x800;
            else if (lead >= 0xF0 && lead <= 0xF4) length = 4, c = lead & 0x07, min = 0x10000;
            else return {i, Core_Text("invalid UTF-8 byte 0x%1").arg(QString::number(lead, 16).toUpper())};
            if (size - i < length) return {i, Core_Text("incomplete UTF-8 sequence")};
            for (size_t k = 1; k < length; ++k) {
                if ((b[i + k] & 0xC0) != 0x80) return {i, Core_Text("invalid UTF-8 sequence")};
                c = (c << 6) | (b[i + k] & 0x3F);
            }
            if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
                return {i, Core_Text("invalid UTF-8 sequence")};
        }
        if (!Is_Xml_Char(c)) return {i, Core_Text("character %1 is not allowed in XML").arg(Char_Code(c))};
        i += length;
    }
    return {};
}

// Line and column (1-based, counting characters) of a byte offset, for the messages.
std::pair<int, int> Position_At(const QByteArray &bytes, size_t offset)
{
    int line = 1;
    int column = 1;
    const qsizetype end = qMin<qsizetype>(qsizetype(offset), bytes.size());
    for (qsizetype i = 0; i < end; ++i) {
        if (bytes[i] == '\n') {
            ++line;
            column = 1;
        } else if ((uchar(bytes[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

// pugixml builds the tree but lets through much that is not XML: a repeated attribute (the
// first one would win), bytes that are not UTF-8, control characters, a second root or text
// after the root, and references to entities nobody declared (left as literal text, so
// "&id;" read as a number becomes 0). A file like that is refused rather than read as
// something its writer did not mean. The characters are checked on the bytes, where the
// position is exact; the structure by Qt's stream reader, a strict XML 1.0 reader.
void Check_Well_Formed(const QByteArray &bytes, const pugi::xml_document &doc, pugi::xml_encoding encoding,
                       const QString &file_name)
{
    // These files never need a document type declaration, and refusing it leaves no room for
    // entity definitions.
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_doctype) continue;
        qsizetype start = qMin<qsizetype>(qsizetype(n.offset_debug()), bytes.size());
        while (start > 0 && bytes[start] != '<') --start;
        const auto [line, column] = Position_At(bytes, size_t(start));
        throw Xml_Error(file_name, line, column, Core_Text("a document type declaration is not allowed"));
    }
    if (encoding == pugi::encoding_utf8) {
        const Utf8_Fault fault = First_Utf8_Fault(bytes.constData(), size_t(bytes.size()));
        if (!fault.Reason.isEmpty()) {
            const auto [line, column] = Position_At(bytes, fault.Offset);
            throw Xml_Error(file_name, line, column, fault.Reason);
        }
    }
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) reader.readNext();
    if (reader.hasError())
        throw Xml_Error(file_name, int(reader.lineNumber()), qMax(1, int(reader.columnNumber())),
                        reader.errorString());
}

// Refuses to write a text that the file could not hold: pugixml would write a control
// character as a reference such as "&#01;", which no XML 1.0 reader (this program's included)
// accepts.
void Check_Storable(const pugi::xml_node &node, const QString &file_name)
{
    const auto check = [&](const char *text) {
        const Utf8_Fault fault = First_Utf8_Fault(text, std::strlen(text));
        if (!fault.Reason.isEmpty())
            throw Xml_Error(file_name, 0, 0, Core_Text("cannot write the text: %1").arg(fault.Reason));
    };
    check(node.name());
    check(node.value());
    for (const pugi::xml_attribute &a : node.attributes()) {
        check(a.name());
        check(a.value());
    }
    for (const pugi::xml_node &child : node.children()) Check_Storable(child, file_name);
}

}  // namespace

std::optional<char32_t> First_Unstorable_Char(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;  // a pair is one character beyond the first plane, which XML allows
            continue;
        }
        if (!Is_Xml_Char(c.unicode())) return char32_t(c.unicode());
    }
    return std::nullopt;
}

QString Xml_Position_Text(int line, int column)
{
    return Core_Text("line %1, column %2").arg(line).arg(column);
}

QString Parser_Status_Text(int status)
{
    // pugixml describes its failures in English; these are its words for every status that
    // parsing a buffer can end in.
    switch (pugi::xml_parse_status(status)) {
    case pugi::status_out_of_memory: return Core_Text("Could not allocate memory");
    case pugi::status_internal_error: return Core_Text("Internal error occurred");
    case pugi::status_unrecognized_tag: return Core_Text("Could not determine tag type");
    case pugi::status_bad_pi: return Core_Text("Error parsing document declaration/processing instruction");
    case pugi::status_bad_comment: return Core_Text("Error parsing comment");
    case pugi::status_bad_cdata: return Core_Text("Error parsing CDATA section");
    case pugi::status_bad_doctype: return Core_Text("Error parsing document type declaration");
    case pugi::status_bad_pcdata: return Core_Text("Error parsing PCDATA section");
    case pugi::status_bad_start_element: return Core_Text("Error parsing start element tag");
    case pugi::status_bad_attribute: return Core_Text("Error parsing element attribute");
    case pugi::status_bad_end_element: return Core_Text("Error parsing end element tag");
    case pugi::status_end_element_mismatch: return Core_Text("Start-end tags mismatch");
    case pugi::status_no_document_element: return Core_Text("No document element found");
    default: break;
    }
    pugi::xml_parse_result result;
    result.status = pugi::xml_parse_status(status);
    return QString::fromUtf8(result.description());
}

// The file name and the reason are joined, not put through arg(): a "%2" in a folder's name
// would otherwise take the line number's place.
Xml_Error::Xml_Error(const QString &file, int line, int column, const QString &reason)
    : std::runtime_error(To_Std(file + QStringLiteral(": ") +
                                (line > 0 ? Xml_Position_Text(line, column) + QStringLiteral(": ") : QString()) +
                                reason)),
      File(file), Line(line), Column(column), Reason(reason)
{
}

QString Xml_Error::Text() const { return QString::fromUtf8(what()); }

bool Xml_Node::Is_Element() const { return node_ && Node(node_).type() == pugi::node_element; }

QString Xml_Node::Name() const { return node_ ? QString::fromUtf8(Node(node_).name()) : QString(); }

QString Xml_Node::Text() const
{
    if (!node_) return {};
    // All of the text: a comment or processing instruction inside a value splits it into
    // several text nodes, and "1<!--x-->9" means 19.
    QByteArray text;
    for (pugi::xml_node c = Node(node_).first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) text += c.value();
    return QString::fromUtf8(text);
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

QByteArray Xml_Document::Read_File(const QString &path)
{
    try {
        return Read_Regular_File(path, Text_File_Limit);
    } catch (const File_Access_Error &e) {
        throw Xml_Error(path, 0, 0, e.Reason);
    }
}

Xml_Document Xml_Document::Load(const QString &path) { return Parse(Read_File(path), path); }

Xml_Document Xml_Document::Parse(const QByteArray &bytes, const QString &file_name)
{
    Xml_Document d;
    const pugi::xml_parse_result r =
        d.doc_->load_buffer(bytes.constData(), size_t(bytes.size()), Parse_Options, pugi::encoding_auto);
    if (!r) {
        const auto [line, column] = Position_At(bytes, size_t(r.offset));
        throw Xml_Error(file_name, line, column, Parser_Status_Text(r.status));
    }
    // Plain XML (nearly every file) is well-formed by construction; the full check, a second
    // parse by a strict reader, is left for the rest.
    if (!Plain_Xml::Scan(bytes)) Check_Well_Formed(bytes, *d.doc_, r.encoding, file_name);
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

QByteArray Xml_Document::To_Bytes(const QString &file_name) const
{
    Check_Storable(*doc_, file_name);
    std::ostringstream out;
    doc_->save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

void Xml_Document::Save(const QString &path) const { Save_File_Atomic(path, To_Bytes(path)); }

void Save_Files_Atomic(const QList<std::pair<QString, QByteArray>> &files)
{
    try {
        Replace_Files(files);
    } catch (const File_Access_Error &e) {
        throw Xml_Error(e.File, 0, 0, e.Reason);
    }
}

void Save_File_Atomic(const QString &path, const QByteArray &bytes) { Save_Files_Atomic({{path, bytes}}); }
