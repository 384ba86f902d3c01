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

// The same conversion on UTF-8 text, for readers that convert many values straight from a
// document (same rules, same results as for the text decoded to UTF-16).
std::optional<int32_t> Str_To_Int_Utf8(QByteArrayView text);
int32_t Str_To_Int_Def_Utf8(QByteArrayView text, int32_t fallback);

// Removes every leading and trailing character whose code is 32 or less.
QString Trim(const QString &text);

}  // namespace Int_Text
