#include "platform/Int_Text.h"

namespace Int_Text {

namespace {

// The code of character i: a UTF-16 code unit, or a UTF-8 byte (0x80 and up for every byte of
// a character outside ASCII).
char16_t Unit(const QString &text, qsizetype i) { return text[i].unicode(); }
char16_t Unit(QByteArrayView text, qsizetype i) { return char16_t(uchar(text[i])); }

int Hex_Digit(char16_t u)
{
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// One implementation for UTF-16 and UTF-8 texts. Every character the rules accept is ASCII, so a
// character outside ASCII fails alike in both forms.
template <class Text>
std::optional<int32_t> Convert(const Text &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && Unit(text, i) == u' ') ++i;

    bool negative = false;
    if (i < n && (Unit(text, i) == u'+' || Unit(text, i) == u'-')) {
        negative = Unit(text, i) == u'-';
        ++i;
    }

    bool hex = false;
    if (i < n && (Unit(text, i) == u'$' || Unit(text, i) == u'x' || Unit(text, i) == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && Unit(text, i) == u'0' && (Unit(text, i + 1) == u'x' || Unit(text, i + 1) == u'X')) {
        hex = true;
        i += 2;
    }

    if (i >= n) return std::nullopt;  // no digits at all

    if (hex) {
        // Up to eight significant digits; leading zeros do not count.
        uint64_t value = 0;
        for (; i < n; ++i) {
            const int d = Hex_Digit(Unit(text, i));
            if (d < 0) return std::nullopt;
            value = value * 16 + uint64_t(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        }
        int32_t result = int32_t(uint32_t(value));
        if (negative) result = int32_t(0u - uint32_t(result));
        return result;
    }

    int64_t value = 0;
    for (; i < n; ++i) {
        const char16_t u = Unit(text, i);
        if (u < '0' || u > '9') return std::nullopt;
        value = value * 10 + (u - '0');
        if (value > int64_t(INT32_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return int32_t(value);
}

}  // namespace

std::optional<int32_t> Str_To_Int(const QString &text) { return Convert(text); }

std::optional<int32_t> Detail::Convert_Utf8(QByteArrayView text) { return Convert(text); }

int32_t Str_To_Int_Def_Utf8(QByteArrayView text, int32_t fallback) { return Convert(text).value_or(fallback); }

int32_t Str_To_Int_Def(const QString &text, int32_t fallback)
{
    return Str_To_Int(text).value_or(fallback);
}

QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

}  // namespace Int_Text
