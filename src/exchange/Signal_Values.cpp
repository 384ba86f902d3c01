#include "exchange/Signal_Values.h"

#include "platform/Core_Text.h"

#include <cmath>

QList<Signal_Note> Live_Signal_Notes(const QList<Signal_Note> &notes, const Mapped_Registers &mapped)
{
    QList<Signal_Note> out;
    for (const Signal_Note &n : notes)
        if (n.Has_Recipe() && !n.Registers.isEmpty() && Note_Applies(n, mapped)) out.append(n);
    return out;
}

namespace {

std::optional<uint64_t> R_Of(const QList<std::optional<uint16_t>> &registers)
{
    QList<uint16_t> values;
    for (const std::optional<uint16_t> &v : registers) {
        if (!v) return std::nullopt;
        values << *v;
    }
    return Join_Registers(values);
}

}  // namespace

std::optional<Signal_Reading> Read_Signal(const Signal_Note &note, const QList<std::optional<uint16_t>> &registers)
{
    const std::optional<uint64_t> r = R_Of(registers);
    if (!r || registers.size() != note.Registers.size()) return std::nullopt;
    const Signal_Recipe recipe = Recipe_Of(note);
    const uint64_t bits = Recipe_Raw_Bits(*r, recipe);
    const double raw = Recipe_Raw_Value(bits, recipe);
    Signal_Reading out;
    out.Raw = recipe.Value_Type != 0 ? Recipe_Number(raw) : QString::number(int64_t(raw));
    if (recipe.Is_Signed && recipe.Value_Type == 0 && recipe.Length == 64) out.Raw = QString::number(int64_t(bits));
    else if (!recipe.Is_Signed && recipe.Value_Type == 0) out.Raw = QString::number(bits);
    out.Raw_Hex = QStringLiteral("0x") + QString::number(bits, 16).toUpper().rightJustified((recipe.Length + 3) / 4, u'0');
    if (recipe.Value_Type == 0)
        for (const auto &[value, text] : note.Values)
            if (double(value) == raw) {
                out.Value = text;
                return out;
            }
    const double physical = raw * recipe.Factor + recipe.Offset;
    out.Value = note.Unit.isEmpty() ? Recipe_Number(physical) : Recipe_Number(physical) + u' ' + note.Unit;
    return out;
}

std::optional<double> Parse_Physical(const Signal_Note &note, const QString &text)
{
    const QString t = text.trimmed();
    for (const auto &[value, name] : note.Values)
        if (name == t) {
            const Signal_Recipe r = Recipe_Of(note);
            return double(value) * r.Factor + r.Offset;
        }
    QString number = t;
    if (!note.Unit.isEmpty() && number.endsWith(note.Unit)) number = number.chopped(note.Unit.size()).trimmed();
    bool ok = false;
    const double v = number.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

Signal_Write Plan_Signal_Write(const Signal_Note &note, double physical, const QList<std::optional<uint16_t>> &registers)
{
    Signal_Write out;
    const std::optional<uint64_t> r = R_Of(registers);
    if (!r || registers.size() != note.Registers.size()) {
        out.Why = Core_Text("its registers have not been read yet");
        return out;
    }
    const Signal_Recipe recipe = Recipe_Of(note);
    const std::optional<uint64_t> bits = Recipe_Encode(physical, recipe, &out.Why);
    if (!bits) return out;
    const QList<uint16_t> words = Split_Registers(Recipe_Insert(*r, *bits, recipe), int(registers.size()));
    for (int i = 0; i < words.size(); ++i)
        if (words[i] != *registers[i]) out.Writes.append({note.Registers[i].Register, words[i]});
    return out;
}
