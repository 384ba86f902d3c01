#pragma once
// A Cob-ID as typed, and how the device reads it. The device takes plain digits as a decimal
// number ("181" is 0x0B5), while CAN tools, bus logs and our own can-send write identifiers in
// hexadecimal without a prefix ("181" is 0x181). These helpers let the windows show the
// identifier the device gets and let the check and the editors say where the two readings part.
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

inline constexpr uint32_t Max_CobID_11_Bit = 0x7FF;
inline constexpr uint32_t Max_CobID_29_Bit = 0x1FFFFFFF;

// The identifier as the device reads it: "0x0B5 11-bit", "0x18FF0001 29-bit" (three hexadecimal
// digits for an 11-bit frame, eight for a 29-bit one).
QString Identifier_Text(uint32_t ident, bool extended);
// Only the number: "0x0B5", "0x18FF0001".
QString Identifier_Hex(uint32_t ident, bool extended);

// The text read as hexadecimal digits without a prefix, as CAN tools write identifiers: leading
// and trailing blanks aside, one to eight hexadecimal digits (leading zeros aside) and nothing
// else. No value for a text with a prefix (0x, $, x), a sign or any other character.
std::optional<uint32_t> Unprefixed_Hex_Value(QStringView text);

// Whether text, blanks aside, is decimal digits only: no prefix, no sign, no hexadecimal letter.
bool Is_Plain_Digits(QStringView text);

// Whether a Cob-ID is ambiguous: typed in plain digits that the device reads as decimal, while
// the same digits read as hexadecimal give another identifier that is valid for the frame's
// format. The hexadecimal reading then, otherwise no value. "0" to "9" read alike and are
// never ambiguous; "2000" in an 11-bit frame is not either, as 0x2000 is no 11-bit identifier.
std::optional<uint32_t> Other_Reading_Of_Plain_Digits(QStringView text, bool extended);

// For a Cob-ID out of its format's range: the hexadecimal reading of the same text when that
// one is in range ("18FF0001" in a 29-bit frame gives 0x18FF0001), so the user can be told to
// write the prefix.
std::optional<uint32_t> Hex_Reading_In_Range(QStringView text, bool extended);
