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
    Plain_Value = 8,  // stands for itself in a quoted value: ASCII ' ' to '~' but for < > & " '
    Plain_Text = 16,  // stands for itself in text: ASCII ' ' to '~' but for < > & ]
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
            if (c != '<' && c != '>' && c != '&' && c != '"' && c != '\'') k |= Plain_Value;
            if (c != '<' && c != '>' && c != '&' && c != ']') k |= Plain_Text;
        }
        t[size_t(c)] = k;
    }
    return t;
}

constexpr std::array<Byte, 256> Classes = Make_Classes();

inline bool Is(Byte c, Byte kind) { return (Classes[c] & kind) != 0; }

// Past a run of bytes of a kind.
inline const Byte *Skip_Run(const Byte *p, const Byte *end, Byte kind)
{
    while (p != end && Is(*p, kind)) ++p;
    return p;
}

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

// Two names of the same length; most names that differ do so in their first eight bytes.
inline bool Same_Bytes(const Byte *a, const Byte *b, size_t length)
{
    if (length >= 8) {
        if (length > 16) return std::memcmp(a, b, length) == 0;
        // The first eight and the last eight bytes (they overlap below sixteen).
        uint64_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&b0, b, 8);
        std::memcpy(&a1, a + length - 8, 8);
        std::memcpy(&b1, b + length - 8, 8);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (length >= 4) {
        uint32_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 4);
        std::memcpy(&b0, b, 4);
        std::memcpy(&a1, a + length - 4, 4);
        std::memcpy(&b1, b + length - 4, 4);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    for (size_t i = 0; i < length; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

struct Span {
    const Byte *Text;
    size_t Length;
    bool operator==(const Span &o) const { return Length == o.Length && Same_Bytes(Text, o.Text, Length); }
};

// The name at p is known (a name ends where no name character follows).
inline bool Same_Name_At(const Byte *p, const Byte *end, const Span &known)
{
    const size_t n = known.Length;
    return n != 0 && size_t(end - p) > n && Same_Bytes(p, known.Text, n) && !Is(p[n], Name_Char);
}

inline uint64_t Hash_Bit(const Span &name)
{
    return uint64_t(1) << ((name.Length * 7 + name.Text[0] + name.Text[name.Length - 1] * 3) & 63);
}

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
    void Skip_Blanks() { p_ = Skip_Run(p_, end_, Blank); }
    bool Name(Span &name);
    bool Comment();
    bool Misc();
    bool Start_Tag(bool row, bool &open, Span &name);
    bool Value(Byte quote, bool &decode);
    bool Text(bool &blank);
    void Decode(const Byte *from, const Byte *to);

    static constexpr int Max_Attributes = 32;
    const Byte *const begin_;
    const Byte *p_;
    const Byte *const end_;
    Rows *const rows_;
    // The names of the element before: its own and its attributes' (in names_[current_ ^ 1]).
    Span element_before_{nullptr, 0};
    Span names_[2][Max_Attributes];
    int current_ = 0;
    int count_before_ = 0;
};

inline bool Scanner::Name(Span &name)
{
    const Byte *start = p_;
    const Byte *p = p_;
    const Byte *const end = end_;
    if (p == end || !Is(*p, Name_Start)) return false;
    p = Skip_Run(p + 1, end, Name_Char);
    p_ = p;
    name = {start, size_t(p - start)};
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
inline bool Scanner::Value(Byte quote, bool &decode)
{
    while (p_ != end_) {
        const Byte c = *p_;
        if (Is(c, Plain_Value)) {
            p_ = Skip_Run(p_ + 1, end_, Plain_Value);
        } else if (c == quote) {
            ++p_;
            return true;
        } else if (c == '"' || c == '\'' || c == '>') {
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
            p_ = Skip_Run(p_ + 1, end_, Plain_Text);
        } else if (c == '>') {
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
    const Byte *p = p_ + 1;
    const Byte *const end = end_;
    // Rows repeat their element and attribute names: a name that is the one in the same place
    // of the element before needs no scan of its characters, and names that all stand as before
    // (where they were found to differ) need no comparison with each other.
    if (Same_Name_At(p, end, element_before_)) {
        name = {p, element_before_.Length};
        p += name.Length;
    } else {
        p_ = p;
        if (!Name(name)) return false;
        p = p_;
        element_before_ = name;
    }
    Span *names = names_[current_];
    const Span *before = names_[current_ ^ 1];
    const int count_before = count_before_;
    int count = 0;
    bool as_before = true;
    // A bit per small hash of the names so far: a name whose bit is clear is new without
    // comparing it with each earlier one.
    uint64_t seen = 0;
    for (;;) {
        const Byte *start = p;
        while (p != end && Is(*p, Blank)) ++p;
        if (p == end) return false;
        if (*p == '>') {
            ++p;
            open = true;
            break;
        }
        if (*p == '/') {
            if (end - p < 2 || p[1] != '>') return false;
            p += 2;
            open = false;
            break;
        }
        if (p == start || count == Max_Attributes) return false;  // attributes stand apart
        Span attribute;
        if (as_before && count < count_before && Same_Name_At(p, end, before[count])) {
            attribute = {p, before[count].Length};
            p += attribute.Length;
        } else {
            if (as_before) {
                as_before = false;
                for (int i = 0; i < count; ++i) seen |= Hash_Bit(names[i]);
            }
            p_ = p;
            if (!Name(attribute)) return false;
            p = p_;
            const uint64_t bit = Hash_Bit(attribute);
            if (seen & bit) {
                for (int i = 0; i < count; ++i)
                    if (names[i] == attribute) return false;
            }
            seen |= bit;
        }
        names[count++] = attribute;
        if (end - p >= 2 && p[0] == '=' && p[1] == '"') {
            ++p;  // the usual name="value"
        } else {
            while (p != end && Is(*p, Blank)) ++p;
            if (p == end || *p != '=') return false;
            ++p;
            while (p != end && Is(*p, Blank)) ++p;
            if (p == end || (*p != '"' && *p != '\'')) return false;
        }
        const Byte quote = *p++;
        const Byte *value = p;
        while (p != end && Is(*p, Plain_Value)) ++p;
        bool decode = false;
        if (p != end && *p == quote) {
            ++p;
        } else {
            p_ = p;
            if (!Value(quote, decode)) return false;
            p = p_;
        }
        if (row) {
            Rows::Attribute a{};
            a.Name = uint32_t(attribute.Text - begin_);
            a.Name_Len = uint32_t(attribute.Length);
            const Byte *value_end = p - 1;
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
    p_ = p;
    current_ ^= 1;
    count_before_ = count;
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
