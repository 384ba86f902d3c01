#include "exchange/Signal_Recipe.h"

#include "config/Config_Model.h"
#include "platform/Core_Text.h"

#include <QLocale>
#include <cmath>
#include <cstring>

namespace {

// A signal's bits counted through the message one byte after another, bit 7 of byte 1 first
// (the order big-endian signals run in): the place of its most and of its least significant bit.
struct Bit_Span {
    int First_Byte = 0;  // 0-based byte of the most significant bit
    int Last_Byte = 0;   // 0-based byte of the least significant bit
    int Low_Bit = 0;     // the least significant bit within its byte (0 = the byte's lowest)
};

std::optional<Bit_Span> Span_Of(const Dbc_Signal &s)
{
    if (s.Length < 1 || s.Length > 64 || s.Start_Bit < 0) return std::nullopt;
    Bit_Span span;
    if (s.Little_Endian) {
        const int high = s.Start_Bit + s.Length - 1;
        span.First_Byte = high / 8;
        span.Last_Byte = s.Start_Bit / 8;
        span.Low_Bit = s.Start_Bit % 8;
    } else {
        const int first = (s.Start_Bit / 8) * 8 + (7 - s.Start_Bit % 8);
        const int last = first + s.Length - 1;
        span.First_Byte = first / 8;
        span.Last_Byte = last / 8;
        span.Low_Bit = 7 - last % 8;
    }
    if (std::max(span.First_Byte, span.Last_Byte) >= Max_Data_Bytes) return std::nullopt;
    return span;
}

uint64_t Mask(int length) { return length >= 64 ? ~uint64_t(0) : (uint64_t(1) << length) - 1; }

}  // namespace

QList<int> Signal_Bytes(const Dbc_Signal &s)
{
    const std::optional<Bit_Span> span = Span_Of(s);
    if (!span) return {};
    QList<int> bytes;
    const int step = span->Last_Byte >= span->First_Byte ? 1 : -1;
    for (int b = span->First_Byte;; b += step) {
        bytes << b + 1;
        if (b == span->Last_Byte) break;
    }
    return bytes;
}

QList<Register_Pair> Frame_Layout(const Dbc_Signal &s, int frame_bytes)
{
    QList<Register_Pair> regs;
    for (const int b : Signal_Bytes(s)) {
        const int even = (b + 1) / 2 * 2;  // the even byte of b's pair: 2 for 1 and 2
        Register_Pair r = s.Little_Endian ? Register_Pair{even, even - 1} : Register_Pair{even - 1, even};
        // A frame of an odd number of bytes has a pair with no partner for its last byte.
        if (r.Hi > frame_bytes) r.Hi = 0;
        if (r.Lo > frame_bytes) r.Lo = 0;
        if (regs.isEmpty() || !(regs.last() == r)) regs << r;
    }
    return regs;
}

QList<Register_Pair> Own_Layout(const Dbc_Signal &s)
{
    QList<int> bytes = Signal_Bytes(s);
    if (bytes.isEmpty()) return {};
    if (bytes.size() % 2) bytes.prepend(0);
    QList<Register_Pair> regs;
    for (int i = 0; i < bytes.size(); i += 2) regs << Register_Pair{bytes[i], bytes[i + 1]};
    return regs;
}

int Signal_Shift(const Dbc_Signal &s, const QList<Register_Pair> &regs)
{
    const std::optional<Bit_Span> span = Span_Of(s);
    const QList<int> bytes = Signal_Bytes(s);
    if (!span || regs.isEmpty() || regs.size() > 4) return -1;
    QList<int> line;  // R's bytes from the most significant
    for (const Register_Pair &r : regs) line << r.Hi << r.Lo;
    const qsizetype at = line.indexOf(bytes.first());
    if (at < 0 || at + bytes.size() > line.size()) return -1;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (line[at + i] != bytes[i]) return -1;
    const qsizetype low_byte = at + bytes.size() - 1;
    const int shift = int(line.size() - 1 - low_byte) * 8 + span->Low_Bit;
    if (shift + s.Length > int(line.size()) * 8) return -1;
    return shift;
}

uint64_t Join_Registers(const QList<uint16_t> &values)
{
    uint64_t r = 0;
    for (const uint16_t v : values) r = (r << 16) | v;
    return r;
}

QList<uint16_t> Split_Registers(uint64_t r, int count)
{
    QList<uint16_t> out(count);
    for (int i = count - 1; i >= 0; --i) {
        out[i] = uint16_t(r & 0xFFFF);
        r >>= 16;
    }
    return out;
}

uint64_t Recipe_Raw_Bits(uint64_t r, const Signal_Recipe &recipe)
{
    if (recipe.Shift < 0 || recipe.Shift >= 64) return 0;
    return (r >> recipe.Shift) & Mask(recipe.Length);
}

double Recipe_Raw_Value(uint64_t bits, const Signal_Recipe &recipe)
{
    if (recipe.Value_Type == 1 && recipe.Length == 32) {
        const uint32_t b = uint32_t(bits);
        float f;
        std::memcpy(&f, &b, sizeof f);
        return f;
    }
    if (recipe.Value_Type == 2 && recipe.Length == 64) {
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // Two's complement: a set sign bit extends over every higher bit.
    if (recipe.Is_Signed && (bits >> (recipe.Length - 1)) & 1) return double(int64_t(bits | ~Mask(recipe.Length)));
    return double(bits);
}

double Recipe_Physical(uint64_t r, const Signal_Recipe &recipe)
{
    return Recipe_Raw_Value(Recipe_Raw_Bits(r, recipe), recipe) * recipe.Factor + recipe.Offset;
}

std::optional<uint64_t> Recipe_Encode(double physical, const Signal_Recipe &recipe, QString *why)
{
    auto refuse = [why](const QString &reason) -> std::optional<uint64_t> {
        if (why) *why = reason;
        return std::nullopt;
    };
    if (!std::isfinite(physical)) return refuse(Core_Text("not a number"));
    if (recipe.Minimum < recipe.Maximum && (physical < recipe.Minimum || physical > recipe.Maximum))
        return refuse(Core_Text("%1 lies outside %2 to %3")
                          .arg(Recipe_Number(physical), Recipe_Number(recipe.Minimum), Recipe_Number(recipe.Maximum)));
    if (recipe.Factor == 0) return refuse(Core_Text("the signal's factor is 0"));
    const double raw = (physical - recipe.Offset) / recipe.Factor;
    if (recipe.Value_Type == 1 && recipe.Length == 32) {
        const float f = float(raw);
        uint32_t b;
        std::memcpy(&b, &f, sizeof b);
        return b;
    }
    if (recipe.Value_Type == 2 && recipe.Length == 64) {
        uint64_t b;
        std::memcpy(&b, &raw, sizeof b);
        return b;
    }
    const double whole = std::round(raw);
    // The range the bits hold, as doubles: 2^63 and 2^64 are exact, so the comparisons are too.
    const double low = recipe.Is_Signed ? -std::ldexp(1.0, recipe.Length - 1) : 0.0;
    const double high = recipe.Is_Signed ? std::ldexp(1.0, recipe.Length - 1) : std::ldexp(1.0, recipe.Length);
    if (!(whole >= low && whole < high))
        return refuse(Core_Text("%1 does not fit the signal's %2 bits").arg(Recipe_Number(physical)).arg(recipe.Length));
    const uint64_t bits = whole < 0 ? uint64_t(int64_t(whole)) : uint64_t(whole);
    return bits & Mask(recipe.Length);
}

uint64_t Recipe_Insert(uint64_t r, uint64_t bits, const Signal_Recipe &recipe)
{
    if (recipe.Shift < 0 || recipe.Shift >= 64) return r;
    const uint64_t mask = Mask(recipe.Length) << recipe.Shift;
    return (r & ~mask) | ((bits << recipe.Shift) & mask);
}

QString Recipe_Number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}
