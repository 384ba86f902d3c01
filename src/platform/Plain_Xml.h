#pragma once
// A one-pass reader for plain XML: the form this program writes and nearly every configuration
// holds. Plain XML is a strict part of well-formed XML 1.0:
//   - UTF-8, an optional byte-order mark, then optionally exactly <?xml version="1.0"?> or
//     <?xml version="1.0" encoding="UTF-8"?> (or "utf-8");
//   - one root element; outside it only blanks and comments;
//   - names of ASCII letters, digits, '_', '.' and '-' (starting with a letter or '_', never
//     with "xml" in any case), so no namespaces;
//   - attribute values in quotes holding no '<' and no duplicate attribute in one element;
//   - references only &amp; &lt; &gt; &quot; &apos;; no CDATA section, processing instruction or
//     document type declaration; no "]]>" in text; comments without "--" inside;
//   - characters: tab, line feed, carriage return, ASCII from space to '~', and outside ASCII
//     only characters every reader takes alike (no C1 controls, no noncharacters, no U+FEFF after
//     the start).
// Anything else is "not plain", which says nothing about the file: the caller then takes the
// full road through Xml_Document, which either reads it or names its fault. Plain XML is
// well-formed by every reader's rules, so a plain file needs no second check.
#include <QByteArrayView>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace Plain_Xml {

// The attributes of the root's child elements (the rows of a list file), in document order,
// with their values as a parsed document gives them (references replaced; tab, line feed and
// carriage return turned into spaces, a CR LF pair into one space).
class Rows {
public:
    int Count() const { return int(first_.size()) - 1; }
    // The root holds text other than blanks or a comment beside its elements: nodes that a
    // document would list among its rows but that are not elements.
    bool Other_Children() const { return other_children_; }
    // The value of the row's attribute with this name; no value when it has none. Valid while
    // the scanned bytes and this object are unchanged. hint, when given, carries where the last
    // find in the row was, so that asking in file order finds each at once.
    std::optional<QByteArrayView> Value(int row, QByteArrayView name, uint32_t *hint = nullptr) const
    {
        const uint32_t first = first_[size_t(row)];
        const uint32_t count = first_[size_t(row) + 1] - first;
        uint32_t k = hint && *hint < count ? *hint : 0;
        for (uint32_t n = 0; n < count; ++n) {
            const Attribute &a = attributes_[first + k];
            // The length compared is the name's: for a literal name a constant, compared inline.
            if (a.Name_Len == uint32_t(name.size()) && std::memcmp(base_ + a.Name, name.data(), size_t(name.size())) == 0) {
                if (hint) *hint = k + 1;
                return QByteArrayView((a.Decoded ? decoded_.data() : base_) + a.Value, qsizetype(a.Value_Len));
            }
            k = k + 1 == count ? 0 : k + 1;
        }
        return std::nullopt;
    }

private:
    friend bool Scan(QByteArrayView bytes, Rows *rows);
    friend class Scanner;
    struct Attribute {
        uint32_t Name;       // offset in the bytes
        uint32_t Name_Len;
        uint32_t Value;      // offset in the bytes, or in decoded_ when Decoded
        uint32_t Value_Len : 31;
        uint32_t Decoded : 1;
    };
    void Start(const char *base, qsizetype size);
    const char *base_ = nullptr;
    std::vector<Attribute> attributes_;
    std::vector<uint32_t> first_{0};  // row i holds attributes_[first_[i] .. first_[i + 1])
    std::string decoded_;
    bool other_children_ = false;
};

class Scanner;

// True when bytes are plain XML (see above). rows, when given, receives the root's rows; it is
// complete only when the result is true.
bool Scan(QByteArrayView bytes, Rows *rows = nullptr);

}  // namespace Plain_Xml
