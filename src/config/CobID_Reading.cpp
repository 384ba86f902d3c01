#include "config/CobID_Reading.h"

#include "platform/Int_Text.h"

namespace {

bool Blank(QChar c) { return c.unicode() <= 32; }

QStringView Trimmed(QStringView text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && Blank(text[from])) ++from;
    while (to > from && Blank(text[to - 1])) --to;
    return text.mid(from, to - from);
}

int Hex_Digit(char16_t u)
{
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

}  // namespace

QString Identifier_Hex(uint32_t ident, bool extended)
{
    return QStringLiteral("0x") + QString::number(ident, 16).toUpper().rightJustified(extended ? 8 : 3, u'0');
}

QString Identifier_Text(uint32_t ident, bool extended)
{
    return Identifier_Hex(ident, extended) + (extended ? QStringLiteral(" 29-bit") : QStringLiteral(" 11-bit"));
}

std::optional<uint32_t> Unprefixed_Hex_Value(QStringView text)
{
    const QStringView digits = Trimmed(text);
    if (digits.isEmpty()) return std::nullopt;
    uint64_t value = 0;
    for (QChar c : digits) {
        const int d = Hex_Digit(c.unicode());
        if (d < 0) return std::nullopt;
        value = value * 16 + uint64_t(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    return uint32_t(value);
}

bool Is_Plain_Digits(QStringView text)
{
    const QStringView digits = Trimmed(text);
    if (digits.isEmpty()) return false;
    for (QChar c : digits)
        if (c.unicode() < '0' || c.unicode() > '9') return false;
    return true;
}

std::optional<uint32_t> Other_Reading_Of_Plain_Digits(QStringView text, bool extended)
{
    if (!Is_Plain_Digits(text)) return std::nullopt;
    // As the device reads it (it takes leading blanks, not trailing ones).
    const std::optional<int32_t> device = Int_Text::Str_To_Int(text.toString());
    const std::optional<uint32_t> hex = Unprefixed_Hex_Value(text);
    if (!device || !hex || uint32_t(*device) == *hex) return std::nullopt;
    if (*hex > (extended ? Max_CobID_29_Bit : Max_CobID_11_Bit)) return std::nullopt;
    return hex;
}

std::optional<uint32_t> Hex_Reading_In_Range(QStringView text, bool extended)
{
    const std::optional<uint32_t> hex = Unprefixed_Hex_Value(text);
    if (!hex || *hex > (extended ? Max_CobID_29_Bit : Max_CobID_11_Bit)) return std::nullopt;
    return hex;
}
