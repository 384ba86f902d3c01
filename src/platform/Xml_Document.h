#pragma once
// The one XML document abstraction all files of the program go through: a small tree read by
// Qt's strict XML 1.0 stream reader, which keeps attribute order, and written back without a
// declaration or whitespace between elements.
#include "platform/File_Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

struct Xml_Tree_Node;
struct Xml_Tree;

// An XML file that cannot be read, is not well-formed, or cannot be written. Line and Column
// are 0 when the failure has no position in the text. Text() is "<file>: line L, column C:
// <reason>" (or "<file>: <reason>" without a position), in the language of the moment it was
// made (see Core_Text.h).
class Xml_Error : public File_Error {
public:
    Xml_Error(const QString &file, int line, int column, const QString &reason);
    int Line = 0;
    int Column = 0;
};

// "line L, column C", as the messages name a place in a file.
QString Xml_Position_Text(int line, int column);

class Xml_Node {
public:
    Xml_Node() = default;
    explicit Xml_Node(Xml_Tree_Node *node) : node_(node) {}

    bool Is_Null() const { return node_ == nullptr; }
    explicit operator bool() const { return node_ != nullptr; }
    bool Is_Element() const;

    QString Name() const;
    // Text of the element: all of its text and CDATA children together, blanks included
    // (comments and processing instructions between them left out), empty when it has none.
    QString Text() const;
    void Set_Text(const QString &text);

    // First child element with this name, or a null node (never a comment or processing
    // instruction, whatever its name).
    Xml_Node Child(const QString &name) const;
    // Every child node in document order, but text that is only blanks (as between elements).
    QList<Xml_Node> Children() const;

    // Walking the children one by one, without a list: the first child node, the next sibling
    // (null nodes at the end).
    Xml_Node First_Child() const;
    Xml_Node Next_Sibling() const;

    // The attribute's value; no value when the attribute is missing (an empty value is present).
    std::optional<QString> Attribute(const QString &name) const;
    std::optional<QString> Attribute(QLatin1StringView name) const;
    // Sets an existing attribute or appends a new one after the others.
    void Set_Attribute(const QString &name, const QString &value);

    Xml_Node Append_Child(const QString &name);
    // Removes one of this node's children (with everything below it).
    void Remove_Child(const Xml_Node &child);
    // Appends a child element holding only a text.
    Xml_Node Append_Text_Child(const QString &name, const QString &text);

private:
    Xml_Tree_Node *node_ = nullptr;
};

class Xml_Document {
public:
    Xml_Document();
    ~Xml_Document();
    Xml_Document(Xml_Document &&) noexcept;
    Xml_Document &operator=(Xml_Document &&) noexcept;

    // Reads and parses a file. A byte-order mark is accepted. Only a regular file (links
    // followed) of at most Text_File_Limit bytes is read. Throws Xml_Error naming the file (and
    // the line and column for malformed XML). Only well-formed XML 1.0 is read: a repeated
    // attribute, bytes that are not UTF-8, a character XML does not allow, a second root, text
    // after the root, an undeclared entity, a document type declaration or a declaration of
    // another XML version than 1.0 is an error too.
    static Xml_Document Load(const QString &path);
    // The bytes Load parses, with the same checks and errors: Load is Parse(Read_File(path), path).
    static QByteArray Read_File(const QString &path);
    // Parses bytes; file_name only names the source in errors.
    static Xml_Document Parse(const QByteArray &bytes, const QString &file_name);

    // The root: the document's first top-level element. An XML declaration, comments and
    // processing instructions may stand in front of it; they are not the root.
    Xml_Node Root() const;
    // The document's first top-level node, whatever it is: for a reader that allows nothing in
    // front of its root element.
    Xml_Node First_Top_Level_Node() const;

    // Building a new document: the root element, then a top-level comment after it.
    Xml_Node Append_Root(const QString &name);
    void Append_Comment(const QString &text);

    // UTF-8, no declaration, no whitespace between elements. Throws Xml_Error naming file_name
    // when a text holds a character an XML file cannot store (see First_Unstorable_Char).
    QByteArray To_Bytes(const QString &file_name = QString()) const;
    // Replaces the file atomically (temporary file and rename). Throws Xml_Error on failure.
    void Save(const QString &path) const;

private:
    std::unique_ptr<Xml_Tree> tree_;
};

// The first character of text that an XML 1.0 file cannot hold (a control character other
// than tab, line feed and carriage return, a lone surrogate, U+FFFE, U+FFFF), or none. The
// editors refuse such a text where it is typed; the writers refuse to write it.
std::optional<char32_t> First_Unstorable_Char(const QString &text);
inline bool Xml_Storable(const QString &text) { return !First_Unstorable_Char(text); }

// Writes an XML file's bytes atomically, replacing a link that stands at the path rather than
// the file it points to (see Replace_Files); throws Xml_Error with the system's reason on
// failure. Files that are no XML go through Replace_File (a File_Access_Error).
void Save_File_Atomic(const QString &path, const QByteArray &bytes);

// Writes files that belong together (the two device images, a frame list and its mappings):
// every one is staged in full before any is put in place, so a failure while writing leaves
// all of them as they were (short of a final rename itself failing). Throws like
// Save_File_Atomic, naming the file.
void Save_Files_Atomic(const QList<std::pair<QString, QByteArray>> &files);
