#include "platform/Plain_Xml.h"

#include <array>
#include <cstring>

namespace Plain_Xml {

namespace {

using Byte = unsigned char;

enum : Byte {
    Name_Start = 1,   // A-Z a-z _
    Name_Char = 2,    // the above, 0-9 . -
    Blank = 4,        // space, tab, line feed, carriage return
    Plain_Value = 8,  // stands for itself in a quoted value: ASCII ' ' to '~' but for < & " '
    Plain_Text = 16,  // stands for itself in text: ASCII ' ' to '~' but for < & ]
};

constexpr std::array<Byte, 256> Make_Classes()
{
    std::array<Byte, 256> t{};
    for (int c = 0; c < 256; ++c) {
        Byte k = 0;
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (letter) k |= Name_Start | Name_Char;
        if ((c >= '0' && c <= '9') || c == '.' || c == '-') k |= Name_Char;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') k |= Blank;
        if (c >= 0x20 && c <= 0x7E) {
            if (c != '<' && c != '&' && c != '"' && c != '\'') k |= Plain_Value;
            if (c != '<' && c != '&' && c != ']') k |= Plain_Text;
        }
        t[size_t(c)] = k;
    }
    return t;
}

constexpr std::array<Byte, 256> Classes = Make_Classes();

inline bool Is(Byte c, Byte kind) { return (Classes[c] & kind) != 0; }

// The length of the character at p outside ASCII when it is valid UTF-8 (the rules of the
// document's own check) and one that plain XML allows; 0 otherwise.
size_t Wide_Char(const Byte *p, const Byte *end)
{
    const Byte lead = *p;
    size_t length;
    char32_t c;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, c = lead & 0x1F, min = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, c = lead & 0x0F, min = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, c = lead & 0x07, min = 0x10000;
    else return 0;
    if (size_t(end - p) < length) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        c = (c << 6) | (p[k] & 0x3F);
    }
    if (c < min || c > 0x10FFFF) return 0;
    if (c < 0xA0) return 0;                            // C1 controls
    if (c >= 0xD800 && c <= 0xDFFF) return 0;          // surrogates
    if (c >= 0xFDD0 && c <= 0xFDEF) return 0;          // noncharacters
    if ((c & 0xFFFE) == 0xFFFE) return 0;              // U+xFFFE, U+xFFFF
    if (c == 0xFEFF) return 0;                         // a byte-order mark within the text
    return length;
}

// The length of one of the five predefined references at p ('&'), or 0.
size_t Reference(const Byte *p, const Byte *end, char *decoded)
{
    struct Entity {
        const char *Text;
        size_t Length;
        char Char;
    };
    static constexpr Entity Entities[] = {
        {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}, {"&apos;", 6, '\''}};
    const size_t left = size_t(end - p);
    for (const Entity &e : Entities) {
        if (left >= e.Length && std::memcmp(p, e.Text, e.Length) == 0) {
            if (decoded) *decoded = e.Char;
            return e.Length;
        }
    }
    return 0;
}

struct Span {
    const Byte *Text;
    size_t Length;
    bool operator==(const Span &o) const { return Length == o.Length && std::memcmp(Text, o.Text, Length) == 0; }
};

}  // namespace

class Scanner {
public:
    Scanner(const Byte *begin, const Byte *end, Rows *rows) : begin_(begin), p_(begin), end_(end), rows_(rows) {}
    bool Run();

private:
    bool At(const char *text, size_t length) const
    {
        return size_t(end_ - p_) >= length && std::memcmp(p_, text, length) == 0;
    }
    void Skip_Blanks()
    {
        while (p_ != end_ && Is(*p_, Blank)) ++p_;
    }
    bool Name(Span &name);
    bool Comment();
    bool Misc();
    bool Start_Tag(bool row, bool &open, Span &name);
    bool Value(Byte quote, bool &decode);
    bool Text(bool &blank);
    void Decode(const Byte *from, const Byte *to);

    const Byte *const begin_;
    const Byte *p_;
    const Byte *const end_;
    Rows *const rows_;
};

bool Scanner::Name(Span &name)
{
    const Byte *start = p_;
    if (p_ == end_ || !Is(*p_, Name_Start)) return false;
    ++p_;
    while (p_ != end_ && Is(*p_, Name_Char)) ++p_;
    name = {start, size_t(p_ - start)};
    // Names from "xml" on are reserved (xmlns among them); such a file takes the full road.
    return !(name.Length >= 3 && (start[0] | 0x20) == 'x' && (start[1] | 0x20) == 'm' && (start[2] | 0x20) == 'l');
}

// p_ after "<!--": up to and past "-->"; "--" elsewhere in a comment is not allowed.
bool Scanner::Comment()
{
    while (p_ != end_) {
        const Byte c = *p_;
        if (c == '-') {
            if (end_ - p_ >= 2 && p_[1] == '-') {
                if (end_ - p_ >= 3 && p_[2] == '>') {
                    p_ += 3;
                    return true;
                }
                return false;
            }
            ++p_;
        } else if ((c >= 0x20 && c <= 0x7E) || Is(c, Blank)) {
            ++p_;
        } else if (c >= 0x80) {
            const size_t n = Wide_Char(p_, end_);
            if (!n) return false;
            p_ += n;
        } else {
            return false;
        }
    }
    return false;
}

// Blanks and comments outside the root.
bool Scanner::Misc()
{
    for (;;) {
        Skip_Blanks();
        if (!At("<!--", 4)) return true;
        p_ += 4;
        if (!Comment()) return false;
    }
}

// p_ after the opening quote: up to and past the closing one.
bool Scanner::Value(Byte quote, bool &decode)
{
    while (p_ != end_) {
        const Byte c = *p_;
        if (Is(c, Plain_Value)) {
            ++p_;
        } else if (c == quote) {
            ++p_;
            return true;
        } else if (c == '"' || c == '\'') {
            ++p_;
        } else if (c == '\t' || c == '\n' || c == '\r') {
            decode = true;
            ++p_;
        } else if (c == '&') {
            const size_t n = Reference(p_, end_, nullptr);
            if (!n) return false;
            decode = true;
            p_ += n;
        } else if (c >= 0x80) {
            const size_t n = Wide_Char(p_, end_);
            if (!n) return false;
            p_ += n;
        } else {
            return false;
        }
    }
    return false;
}

// Text up to the next '<' (which must come).
bool Scanner::Text(bool &blank)
{
    while (p_ != end_) {
        const Byte c = *p_;
        if (c == '<') return true;
        if (Is(c, Blank)) {
            ++p_;
            continue;
        }
        blank = false;
        if (Is(c, Plain_Text)) {
            ++p_;
        } else if (c == ']') {
            if (end_ - p_ >= 3 && p_[1] == ']' && p_[2] == '>') return false;
            ++p_;
        } else if (c == '&') {
            const size_t n = Reference(p_, end_, nullptr);
            if (!n) return false;
            p_ += n;
        } else if (c >= 0x80) {
            const size_t n = Wide_Char(p_, end_);
            if (!n) return false;
            p_ += n;
        } else {
            return false;
        }
    }
    return false;
}

// The value as the document gives it: references replaced, tab, line feed and carriage return
// as a space, a CR LF pair as one space.
void Scanner::Decode(const Byte *from, const Byte *to)
{
    std::string &out = rows_->decoded_;
    while (from != to) {
        const Byte c = *from;
        if (c == '&') {
            char d = 0;
            from += Reference(from, to, &d);
            out += d;
        } else if (c == '\r') {
            out += ' ';
            ++from;
            if (from != to && *from == '\n') ++from;
        } else if (c == '\t' || c == '\n') {
            out += ' ';
            ++from;
        } else {
            out += char(c);
            ++from;
        }
    }
}

// p_ at '<' of a start tag: past its '>' or "/>". open tells which.
bool Scanner::Start_Tag(bool row, bool &open, Span &name)
{
    ++p_;
    if (!Name(name)) return false;
    constexpr int Max_Attributes = 32;
    Span names[Max_Attributes];
    int count = 0;
    for (;;) {
        const Byte *before = p_;
        Skip_Blanks();
        if (p_ == end_) return false;
        if (*p_ == '>') {
            ++p_;
            open = true;
            break;
        }
        if (*p_ == '/') {
            if (end_ - p_ < 2 || p_[1] != '>') return false;
            p_ += 2;
            open = false;
            break;
        }
        if (p_ == before || count == Max_Attributes) return false;  // attributes stand apart
        Span attribute;
        if (!Name(attribute)) return false;
        for (int i = 0; i < count; ++i)
            if (names[i] == attribute) return false;
        names[count++] = attribute;
        Skip_Blanks();
        if (p_ == end_ || *p_ != '=') return false;
        ++p_;
        Skip_Blanks();
        if (p_ == end_ || (*p_ != '"' && *p_ != '\'')) return false;
        const Byte quote = *p_++;
        const Byte *value = p_;
        bool decode = false;
        if (!Value(quote, decode)) return false;
        if (row) {
            Rows::Attribute a{};
            a.Name = uint32_t(attribute.Text - begin_);
            a.Name_Len = uint32_t(attribute.Length);
            const Byte *value_end = p_ - 1;
            if (decode) {
                a.Value = uint32_t(rows_->decoded_.size());
                Decode(value, value_end);
                a.Value_Len = uint32_t(rows_->decoded_.size() - a.Value) & 0x7FFFFFFFu;
                a.Decoded = 1;
            } else {
                a.Value = uint32_t(value - begin_);
                a.Value_Len = uint32_t(value_end - value) & 0x7FFFFFFFu;
                a.Decoded = 0;
            }
            rows_->attributes_.push_back(a);
        }
    }
    if (row) rows_->first_.push_back(uint32_t(rows_->attributes_.size()));
    return true;
}

bool Scanner::Run()
{
    if (At("\xEF\xBB\xBF", 3)) p_ += 3;
    if (At("<?", 2)) {
        static constexpr const char *Declarations[] = {"<?xml version=\"1.0\"?>",
                                                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                                       "<?xml version=\"1.0\" encoding=\"utf-8\"?>"};
        bool known = false;
        for (const char *d : Declarations) {
            const size_t n = std::strlen(d);
            if (At(d, n)) {
                p_ += n;
                known = true;
                break;
            }
        }
        if (!known) return false;
    }
    if (!Misc()) return false;
    if (p_ == end_ || *p_ != '<') return false;

    constexpr int Max_Depth = 64;
    Span open_names[Max_Depth];
    int depth = 0;  // open elements
    for (;;) {
        // p_ at '<' of a start tag.
        bool open = false;
        Span name;
        if (!Start_Tag(rows_ && depth == 1, open, name)) return false;
        if (open) {
            if (depth == Max_Depth) return false;
            open_names[depth++] = name;
        } else if (depth == 0) {
            break;  // an empty root
        }
        // Content up to the next start tag, or up to the end of the root.
        bool start_tag = false;
        while (!start_tag && depth > 0) {
            bool blank = true;
            if (!Text(blank)) return false;
            if (!blank && depth == 1 && rows_) rows_->other_children_ = true;
            // p_ at '<'.
            if (end_ - p_ < 2) return false;
            if (p_[1] == '/') {
                p_ += 2;
                Span end_name;
                if (!Name(end_name) || !(end_name == open_names[depth - 1])) return false;
                Skip_Blanks();
                if (p_ == end_ || *p_ != '>') return false;
                ++p_;
                --depth;
            } else if (p_[1] == '!') {
                if (!At("<!--", 4)) return false;
                p_ += 4;
                if (!Comment()) return false;
                if (depth == 1 && rows_) rows_->other_children_ = true;
            } else {
                start_tag = true;
            }
        }
        if (depth == 0) break;
    }
    if (!Misc()) return false;
    return p_ == end_;
}

void Rows::Start(const char *base, qsizetype size)
{
    base_ = base;
    attributes_.clear();
    // A row of a list file takes some 90 bytes and five attributes.
    attributes_.reserve(size_t(size / 18));
    first_.assign(1, 0);
    first_.reserve(size_t(size / 90) + 1);
    decoded_.clear();
    other_children_ = false;
}

std::optional<QByteArrayView> Rows::Value(int row, QByteArrayView name) const
{
    const Attribute *a = attributes_.data() + first_[size_t(row)];
    const Attribute *end = attributes_.data() + first_[size_t(row) + 1];
    for (; a != end; ++a) {
        if (a->Name_Len == uint32_t(name.size()) && std::memcmp(base_ + a->Name, name.data(), a->Name_Len) == 0)
            return QByteArrayView((a->Decoded ? decoded_.data() : base_) + a->Value, qsizetype(a->Value_Len));
    }
    return std::nullopt;
}

bool Scan(QByteArrayView bytes, Rows *rows)
{
    // Offsets are kept in 32 bits (and the files read are far smaller).
    if (bytes.size() >= qsizetype(0x7FFFFFFF)) return false;
    if (rows) rows->Start(bytes.data(), bytes.size());
    const auto *begin = reinterpret_cast<const Byte *>(bytes.data());
    Scanner scanner(begin, begin + bytes.size(), rows);
    return scanner.Run();
}

}  // namespace Plain_Xml
