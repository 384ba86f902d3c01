#pragma once
// Integer text conversion and trimming used wherever the program reads a number
// that the user typed or that a file holds.
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

namespace Int_Text {

// Optional blanks (code 32 only) before an optional sign, then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X". Nothing may follow the digits. The value must fit a
// signed 32-bit integer; hexadecimal takes up to eight digits and its top bit makes it negative.
// Never throws: anything else yields no value.
std::optional<int32_t> Str_To_Int(const QString &text);

// Str_To_Int with the caller's fallback for a text that does not convert.
int32_t Str_To_Int_Def(const QString &text, int32_t fallback);

namespace Detail {
std::optional<int32_t> Convert_Utf8(QByteArrayView text);
}

// The same conversion on UTF-8 text, for readers that convert many values straight from a
// document (same rules, same results as for the text decoded to UTF-16): true and the value,
// or false. Inline, and without std::optional, for the readers of large files: most texts
// there are a few plain decimal digits, which need none of the rules and no call.
inline bool Str_To_Int_Utf8(QByteArrayView text, int32_t &value)
{
    // Up to four digits without a branch on their count, which varies from text to text.
    const qsizetype n = text.size();
    if (n > 0 && n <= 4) {
        const auto *p = reinterpret_cast<const unsigned char *>(text.data());
        uint32_t v = 0;
        bool digits = true;
        for (qsizetype i = 0; i < 4; ++i) {
            const bool take = i < n;
            const uint32_t d = uint32_t(p[take ? i : 0]) - '0';
            digits &= !take || d <= 9;
            v = take ? v * 10 + d : v;
        }
        if (digits) {
            value = int32_t(v);
            return true;
        }
    } else if (n > 4 && n <= 9) {
        int32_t v = 0;
        qsizetype i = 0;
        for (; i < n; ++i) {
            const unsigned d = unsigned(static_cast<unsigned char>(text[i])) - '0';
            if (d > 9) break;
            v = v * 10 + int32_t(d);
        }
        if (i == n) {
            value = v;
            return true;
        }
    }
    const std::optional<int32_t> converted = Detail::Convert_Utf8(text);
    value = converted.value_or(0);
    return converted.has_value();
}

inline std::optional<int32_t> Str_To_Int_Utf8(QByteArrayView text)
{
    int32_t value = 0;
    if (!Str_To_Int_Utf8(text, value)) return std::nullopt;
    return value;
}
int32_t Str_To_Int_Def_Utf8(QByteArrayView text, int32_t fallback);

// Removes every leading and trailing character whose code is 32 or less.
QString Trim(const QString &text);

}  // namespace Int_Text
