#include "platform/Xml_Document.h"

#include "platform/Core_Text.h"
#include "platform/Safe_File.h"

#include <QXmlStreamReader>
#include <deque>

// One node of a document: an element (name, attributes in their order, children), a text or
// CDATA section, a comment, a processing instruction (name and value), or the declaration.
struct Xml_Tree_Node {
    enum class Kind { Element, Text, Cdata, Comment, Instruction, Declaration };
    Kind Type = Kind::Element;
    QString Name;
    QString Value;
    QList<std::pair<QString, QString>> Attributes;
    Xml_Tree_Node *Parent = nullptr;
    Xml_Tree_Node *First = nullptr;
    Xml_Tree_Node *Last = nullptr;
    Xml_Tree_Node *Prev = nullptr;
    Xml_Tree_Node *Next = nullptr;
    struct Xml_Tree *Owner = nullptr;
};

// The nodes of one document; Top holds the top-level nodes as its children.
struct Xml_Tree {
    std::deque<Xml_Tree_Node> Nodes;
    Xml_Tree_Node Top;

    Xml_Tree() { Top.Owner = this; }
    Xml_Tree(const Xml_Tree &) = delete;

    Xml_Tree_Node *Append(Xml_Tree_Node *parent, Xml_Tree_Node::Kind kind, const QString &name = {},
                          const QString &value = {})
    {
        Xml_Tree_Node &n = Nodes.emplace_back();
        n.Type = kind;
        n.Name = name;
        n.Value = value;
        n.Parent = parent;
        n.Owner = this;
        n.Prev = parent->Last;
        if (parent->Last) parent->Last->Next = &n;
        else parent->First = &n;
        parent->Last = &n;
        return &n;
    }
};

namespace {

using Kind = Xml_Tree_Node::Kind;

bool Is_Text(const Xml_Tree_Node *n) { return n->Type == Kind::Text || n->Type == Kind::Cdata; }

// Text that carries no meaning between elements: blanks only (an empty CDATA section too).
bool Is_Blank_Text(const Xml_Tree_Node *n)
{
    if (!Is_Text(n)) return false;
    for (const QChar c : n->Value)
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
    return true;
}

// The first node from n on that is not blank text.
Xml_Tree_Node *Skip_Blank(Xml_Tree_Node *n)
{
    while (n && Is_Blank_Text(n)) n = n->Next;
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


// The encoding a document's bytes are in, as far as reading them goes.
enum class Encoding { Utf8, Utf16, Latin1, Refused };

struct Encoding_Check {
    Encoding Kind = Encoding::Utf8;
    QString Reason;  // why the file is refused
};

// Which encodings are read: UTF-8 (with or without a byte-order mark), UTF-16 with its
// byte-order mark, and ISO-8859-1 or US-ASCII when the declaration names them. Anything else is
// refused with its name and the remedy, rather than read as characters its writer did not mean.
Encoding_Check Encoding_Of(const QByteArray &bytes)
{
    const auto b = [&](qsizetype i) { return i < bytes.size() ? uchar(bytes[i]) : 0x100; };
    const QString resave = Core_Text("save it as UTF-8");
    if ((b(0) == 0 && b(1) == 0) || (b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0))
        return {Encoding::Refused, Core_Text("the file is in UTF-32, which is not read; %1").arg(resave)};
    if ((b(0) == 0xFE && b(1) == 0xFF) || (b(0) == 0xFF && b(1) == 0xFE)) return {Encoding::Utf16, {}};
    if (b(0) == 0 || b(1) == 0)
        return {Encoding::Refused,
                Core_Text("the file is in UTF-16 without a byte-order mark, which is not read; %1").arg(resave)};
    if (!bytes.startsWith("<?xml")) return {Encoding::Utf8, {}};
    const qsizetype end = bytes.indexOf("?>");
    const QByteArray declaration = bytes.left(end < 0 ? 0 : end);
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0) return {Encoding::Utf8, {}};
    qsizetype q = at + 8;
    while (q < declaration.size() && declaration[q] != '"' && declaration[q] != '\'') ++q;
    if (q >= declaration.size()) return {Encoding::Utf8, {}};
    const qsizetype close = declaration.indexOf(declaration[q], q + 1);
    const QByteArray name = declaration.mid(q + 1, close - q - 1);
    const QByteArray lower = name.toLower();
    if (lower == "utf-8" || lower == "utf8") return {Encoding::Utf8, {}};
    if (lower == "iso-8859-1" || lower == "latin1" || lower == "iso_8859-1") return {Encoding::Latin1, {}};
    // A declaration of an encoding whose first 128 characters are ASCII holds for a file of
    // ASCII alone, whatever the rest would mean.
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (uchar(bytes[i]) >= 0x80)
            return {Encoding::Refused,
                    Core_Text("the file declares the encoding %1 but holds the byte 0x%2, which is not read; %3")
                        .arg(QString::fromLatin1(name), QString::number(uchar(bytes[i]), 16).toUpper(), resave)};
    return {Encoding::Utf8, {}};
}

// The first name character XML does not allow (XML 1.0, fifth edition), or none.
std::optional<char32_t> First_Bad_Name_Char(QStringView name)
{
    const auto start = [](char32_t c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ':' || c == '_' || (c >= 0xC0 && c <= 0xD6) ||
               (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
               (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
               (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
               (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
    };
    bool first = true;
    for (const char32_t c : name.toUcs4()) {
        const bool ok = start(c) || (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7 ||
                                                (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040)));
        if (!ok) return c;
        first = false;
    }
    return std::nullopt;
}

// The first character of text that XML does not allow, with its place (line and column counted
// in characters from 1), or none.
std::optional<std::pair<std::pair<int, int>, char32_t>> First_Bad_Char(const QString &text)
{
    int line = 1, column = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (!Is_Xml_Char(c)) return std::pair{std::pair{line, column}, c};
        if (c == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return std::nullopt;
}

[[noreturn]] void Refuse_At(const QString &file_name, const QXmlStreamReader &reader, const QString &reason)
{
    throw Xml_Error(file_name, int(reader.lineNumber()), qMax(1, int(reader.columnNumber())), reason);
}

// The stream reader takes names with characters no XML name may hold (U+00D7, U+00B7 first,
// U+3000, ...): such a file is refused as what it is.
void Check_Name(const QString &file_name, const QXmlStreamReader &reader, QStringView name)
{
    if (const std::optional<char32_t> c = First_Bad_Name_Char(name))
        Refuse_At(file_name, reader,
                  Core_Text("the name \"%1\" holds the character %2, which no XML name may hold")
                      .arg(name.toString(), Char_Code(*c)));
}

// The text the file gives a value of: & < > and, in an attribute, " and the three blanks that
// a reader would otherwise turn into spaces as references.
void Escape(QString &out, const QString &text, bool attribute)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': out += QLatin1String("&amp;"); break;
        case u'<': out += QLatin1String("&lt;"); break;
        case u'>':
            if (attribute) out += c;
            else out += QLatin1String("&gt;");
            break;
        case u'"':
            if (attribute) out += QLatin1String("&quot;");
            else out += c;
            break;
        case u'\t':
        case u'\n':
        case u'\r':
            if (attribute) out += QStringLiteral("&#%1;").arg(int(c.unicode()), 2, 10, QLatin1Char('0'));
            else out += c;
            break;
        default: out += c;
        }
    }
}

void Write(QString &out, const Xml_Tree_Node *n)
{
    switch (n->Type) {
    case Kind::Element: {
        out += u'<';
        out += n->Name;
        for (const auto &[name, value] : n->Attributes) {
            out += u' ';
            out += name;
            out += QLatin1String("=\"");
            Escape(out, value, true);
            out += u'"';
        }
        if (!n->First) {
            out += QLatin1String("/>");
            return;
        }
        out += u'>';
        // Blanks between elements were layout in the file read, not content: they are not
        // written back. Blanks that are an element's whole text are its value.
        const bool only_child = n->First == n->Last;
        for (const Xml_Tree_Node *c = n->First; c; c = c->Next)
            if (only_child || c->Type != Kind::Text || !Is_Blank_Text(c)) Write(out, c);
        out += QLatin1String("</");
        out += n->Name;
        out += u'>';
        return;
    }
    case Kind::Text: Escape(out, n->Value, false); return;
    case Kind::Cdata: out += QLatin1String("<![CDATA[") + n->Value + QLatin1String("]]>"); return;
    case Kind::Comment: out += QLatin1String("<!--") + n->Value + QLatin1String("-->"); return;
    case Kind::Instruction:
    case Kind::Declaration:
        out += QLatin1String("<?") + n->Name;
        if (n->Type == Kind::Declaration) {
            for (const auto &[name, value] : n->Attributes) out += u' ' + name + QLatin1String("=\"") + value + u'"';
        } else if (!n->Value.isEmpty()) {
            out += u' ' + n->Value;
        }
        out += QLatin1String("?>");
        return;
    }
}

// Refuses to write a text that the file could not hold (a control character, a lone surrogate,
// U+FFFE or U+FFFF): no XML 1.0 reader, this program's included, would take it back.
void Check_Storable(const Xml_Tree_Node *node, const QString &file_name)
{
    const auto check = [&](const QString &text) {
        if (const std::optional<char32_t> c = First_Unstorable_Char(text))
            throw Xml_Error(file_name, 0, 0,
                            Core_Text("cannot write the text: %1")
                                .arg(Core_Text("character %1 is not allowed in XML").arg(Char_Code(*c))));
    };
    check(node->Name);
    check(node->Value);
    for (const auto &[name, value] : node->Attributes) {
        check(name);
        check(value);
    }
    for (const Xml_Tree_Node *c = node->First; c; c = c->Next) Check_Storable(c, file_name);
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

// The file name and the reason are joined, not put through arg(): a "%2" in a folder's name
// would otherwise take the line number's place.
Xml_Error::Xml_Error(const QString &file, int line, int column, const QString &reason)
    : File_Error(file, reason,
                 file + QStringLiteral(": ") +
                     (line > 0 ? Xml_Position_Text(line, column) + QStringLiteral(": ") : QString()) + reason),
      Line(line), Column(column)
{
}

bool Xml_Node::Is_Element() const { return node_ && node_->Type == Kind::Element; }

QString Xml_Node::Name() const { return node_ ? node_->Name : QString(); }

QString Xml_Node::Text() const
{
    if (!node_) return {};
    // All of the text: a comment or processing instruction inside a value splits it into
    // several text nodes, and "1<!--x-->9" means 19.
    QString text;
    for (const Xml_Tree_Node *c = node_->First; c; c = c->Next)
        if (Is_Text(c)) text += c->Value;
    return text;
}

void Xml_Node::Set_Text(const QString &text)
{
    if (!node_) return;
    for (Xml_Tree_Node *c = node_->First; c; c = c->Next)
        if (Is_Text(c)) {
            c->Value = text;
            return;
        }
    node_->Owner->Append(node_, Kind::Text, {}, text);
}

Xml_Node Xml_Node::Child(const QString &name) const
{
    if (!node_) return {};
    for (Xml_Tree_Node *c = node_->First; c; c = c->Next)
        if (c->Type == Kind::Element && c->Name == name) return Xml_Node(c);
    return {};
}

QList<Xml_Node> Xml_Node::Children() const
{
    QList<Xml_Node> list;
    for (Xml_Node c = First_Child(); c; c = c.Next_Sibling()) list.append(c);
    return list;
}

Xml_Node Xml_Node::First_Child() const { return node_ ? Xml_Node(Skip_Blank(node_->First)) : Xml_Node(); }

Xml_Node Xml_Node::Next_Sibling() const { return node_ ? Xml_Node(Skip_Blank(node_->Next)) : Xml_Node(); }

std::optional<QString> Xml_Node::Attribute(QLatin1StringView name) const
{
    if (!node_) return std::nullopt;
    for (const auto &[key, value] : node_->Attributes)
        if (key == name) return value;
    return std::nullopt;
}

std::optional<QString> Xml_Node::Attribute(const QString &name) const
{
    if (!node_) return std::nullopt;
    for (const auto &[key, value] : node_->Attributes)
        if (key == name) return value;
    return std::nullopt;
}

void Xml_Node::Set_Attribute(const QString &name, const QString &value)
{
    if (!node_) return;
    for (auto &[key, old] : node_->Attributes)
        if (key == name) {
            old = value;
            return;
        }
    node_->Attributes.append({name, value});
}

Xml_Node Xml_Node::Append_Child(const QString &name)
{
    if (!node_) return {};
    return Xml_Node(node_->Owner->Append(node_, Kind::Element, name));
}

void Xml_Node::Remove_Child(const Xml_Node &child)
{
    Xml_Tree_Node *c = child.node_;
    if (!node_ || !c || c->Parent != node_) return;
    if (c->Prev) c->Prev->Next = c->Next;
    else node_->First = c->Next;
    if (c->Next) c->Next->Prev = c->Prev;
    else node_->Last = c->Prev;
    c->Parent = c->Prev = c->Next = nullptr;
}

Xml_Node Xml_Node::Append_Text_Child(const QString &name, const QString &text)
{
    Xml_Node child = Append_Child(name);
    // An empty text is written as an empty element.
    if (!text.isEmpty()) child.Set_Text(text);
    return child;
}

Xml_Document::Xml_Document() : tree_(std::make_unique<Xml_Tree>()) {}
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
    // The characters are checked before the structure, where the place of a fault is exact and
    // its reason plain: in UTF-8 on the bytes, in UTF-16 on the text (where a lone surrogate is
    // a fault of its own); the stream reader checks the rest.
    const Encoding_Check encoding = Encoding_Of(bytes);
    if (encoding.Kind == Encoding::Refused) throw Xml_Error(file_name, 0, 0, encoding.Reason);
    if (encoding.Kind == Encoding::Utf8) {
        const Utf8_Fault fault = First_Utf8_Fault(bytes.constData(), size_t(bytes.size()));
        if (!fault.Reason.isEmpty()) {
            const auto [line, column] = Position_At(bytes, fault.Offset);
            throw Xml_Error(file_name, line, column, fault.Reason);
        }
    } else if (encoding.Kind == Encoding::Utf16) {
        const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()) + 1,
                                                (bytes.size() - 2) / 2);
        QString native = text;
        if (uchar(bytes[0]) == 0xFE)  // big-endian
            for (QChar &c : native) c = QChar(char16_t((c.unicode() << 8) | (c.unicode() >> 8)));
        if (const auto bad = First_Bad_Char(native)) {
            const char32_t c = bad->second;
            throw Xml_Error(file_name, bad->first.first, bad->first.second,
                            c >= 0xD800 && c <= 0xDFFF ? Core_Text("invalid UTF-16: a lone surrogate")
                                                       : Core_Text("character %1 is not allowed in XML").arg(Char_Code(c)));
        }
    }
    Xml_Document d;
    Xml_Tree &tree = *d.tree_;
    Xml_Tree_Node *parent = &tree.Top;
    QXmlStreamReader reader(bytes);
    // Every attribute is kept as written, xmlns ones too; these files use no namespaces.
    reader.setNamespaceProcessing(false);
    QString last_element;
    QList<QString> last_attributes;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            if (!reader.documentVersion().isEmpty()) {
                Xml_Tree_Node *decl = tree.Append(parent, Kind::Declaration, QStringLiteral("xml"));
                decl->Attributes.append({QStringLiteral("version"), reader.documentVersion().toString()});
                if (!reader.documentEncoding().isEmpty())
                    decl->Attributes.append({QStringLiteral("encoding"), reader.documentEncoding().toString()});
                if (reader.isStandaloneDocument())
                    decl->Attributes.append({QStringLiteral("standalone"), QStringLiteral("yes")});
            }
            break;
        case QXmlStreamReader::DTD: {
            // These files never need one, and refusing it leaves no room for entity definitions.
            // The reader stands at its end; the message names where it begins.
            const QByteArray before = QString::fromUtf8(bytes).left(qsizetype(reader.characterOffset())).toUtf8();
            const qsizetype start = before.lastIndexOf("<!DOCTYPE");
            const auto [line, column] = Position_At(bytes, size_t(start < 0 ? before.size() : start));
            throw Xml_Error(file_name, line, column, Core_Text("a document type declaration is not allowed"));
        }
        case QXmlStreamReader::StartElement: {
            // Rows repeat their names: a name as the element before had it is shared, not made
            // again (and was checked then).
            const QStringView element_name = reader.qualifiedName();
            if (element_name != last_element) {
                Check_Name(file_name, reader, element_name);
                last_element = element_name.toString();
            }
            Xml_Tree_Node *element = tree.Append(parent, Kind::Element, last_element);
            const QXmlStreamAttributes attributes = reader.attributes();
            element->Attributes.reserve(attributes.size());
            for (qsizetype k = 0; k < attributes.size(); ++k) {
                const QStringView name = attributes[k].qualifiedName();
                if (k >= last_attributes.size()) last_attributes.resize(k + 1);
                if (name != last_attributes[k]) {
                    Check_Name(file_name, reader, name);
                    last_attributes[k] = name.toString();
                }
                element->Attributes.append({last_attributes[k], attributes[k].value().toString()});
            }
            parent = element;
            break;
        }
        case QXmlStreamReader::EndElement: parent = parent->Parent; break;
        case QXmlStreamReader::Characters:
            // Blanks around the root are not part of the document.
            if (parent != &tree.Top)
                tree.Append(parent, reader.isCDATA() ? Kind::Cdata : Kind::Text, {}, reader.text().toString());
            break;
        case QXmlStreamReader::Comment: tree.Append(parent, Kind::Comment, {}, reader.text().toString()); break;
        case QXmlStreamReader::ProcessingInstruction:
            tree.Append(parent, Kind::Instruction, reader.processingInstructionTarget().toString(),
                        reader.processingInstructionData().toString());
            break;
        default: break;
        }
    }
    if (reader.hasError()) Refuse_At(file_name, reader, reader.errorString());
    return d;
}

Xml_Node Xml_Document::Root() const
{
    for (Xml_Tree_Node *n = tree_->Top.First; n; n = n->Next)
        if (n->Type == Kind::Element) return Xml_Node(n);
    return {};
}

Xml_Node Xml_Document::First_Top_Level_Node() const { return Xml_Node(tree_->Top.First); }

Xml_Node Xml_Document::Append_Root(const QString &name) { return Xml_Node(tree_->Append(&tree_->Top, Kind::Element, name)); }

void Xml_Document::Append_Comment(const QString &text) { tree_->Append(&tree_->Top, Kind::Comment, {}, text); }

QByteArray Xml_Document::To_Bytes(const QString &file_name) const
{
    Check_Storable(&tree_->Top, file_name);
    QString out;
    for (const Xml_Tree_Node *n = tree_->Top.First; n; n = n->Next) Write(out, n);
    return out.toUtf8();
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
