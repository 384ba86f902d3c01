#include "exchange/Dbc_Import.h"

#include "editing/Mapping_List.h"
#include "platform/Core_Text.h"
#include "platform/IntText.h"

#include <QSet>

namespace {

constexpr int64_t Max_Timer_Ms = 100000000;

// A frame's identity: its identifier's value and format. "0x181", "$181" and "385" are one
// frame; the same number as an 11-bit and as a 29-bit identifier are two.
struct Frame_Key {
    int64_t Id = -1;
    bool Is_29 = false;
    bool operator==(const Frame_Key &) const = default;
};
size_t qHash(const Frame_Key &k, size_t seed = 0) { return ::qHash(k.Id, seed) ^ (k.Is_29 ? 1 : 0); }

std::optional<Frame_Key> Key_Of(const Frame_Row &row)
{
    const std::optional<int32_t> id = Int_Text::Str_To_Int(row.CobID);
    if (!id || *id < 0) return std::nullopt;
    return Frame_Key{*id, !Is_11_Bit(row)};
}

Frame_Key Key_Of(const Dbc_Message &m) { return Frame_Key{int64_t(m.Identifier()), m.Extended()}; }

bool Blank(const Frame_Row &row) { return row == Frame_Row{}; }

}  // namespace

Frame_Row Dbc_Frame_Row(const Dbc_Message &message, Direction direction, int timeout_factor)
{
    Frame_Row row;
    row.CobID = Dbc_Identifier_Text(message);
    row.Dimension = QString::number(message.Length);
    row.Type = message.Extended() ? Frame_Type_29 : Frame_Type_11;
    row.Mnemonic = message.Name;
    if (direction == Direction::Receive) {
        row.TimeOut = QString::number(int64_t(message.Cycle_Time) * timeout_factor);
    } else {
        // A message without a cycle time is sent when its data changes.
        row.DataChange = message.Cycle_Time > 0 ? QStringLiteral("N") : QStringLiteral("Y");
        row.OnTimer = message.Cycle_Time > 0 ? QStringLiteral("Y") : QStringLiteral("N");
        row.SendTimer = QString::number(message.Cycle_Time);
    }
    return row;
}

Frame_Import Import_Dbc_Frames(const Frame_Grid &grid, Direction direction, const QList<Dbc_Message> &messages,
                               int timeout_factor)
{
    Frame_Import out;
    out.Grid = grid;
    if (out.Grid.size() < Max_Frame_Entries) out.Grid.resize(Max_Frame_Entries);
    QSet<Frame_Key> present;
    for (const Frame_Row &row : out.Grid)
        if (Is_Entry(row))
            if (const std::optional<Frame_Key> key = Key_Of(row)) present.insert(*key);

    int next = 0;  // the grid row looked at next
    for (const Dbc_Message &m : messages) {
        if (!m.Importable()) {
            out.Skipped.append({m.Name, m.Line, m.Not_Importable_Reason()});
            continue;
        }
        if (present.contains(Key_Of(m))) {
            out.Skipped.append({m.Name, m.Line, Core_Text("the list already holds this identifier and type")});
            continue;
        }
        if (direction == Direction::Receive && int64_t(m.Cycle_Time) * timeout_factor > Max_Timer_Ms) {
            out.Skipped.append({m.Name, m.Line, Core_Text("the time-out would exceed %1 ms").arg(Max_Timer_Ms)});
            continue;
        }
        while (next < Max_Frame_Entries && !Blank(out.Grid[next])) ++next;
        if (next >= Max_Frame_Entries) {
            out.Skipped.append({m.Name, m.Line, Core_Text("the list is full (%1 frames)").arg(Max_Frame_Entries)});
            continue;
        }
        out.Grid[next] = Dbc_Frame_Row(m, direction, timeout_factor);
        present.insert(Key_Of(m));
        out.Added << m.Name;
        out.Added_Rows << next + 1;
    }
    return out;
}

QList<std::pair<int32_t, int32_t>> Signal_Registers(const Dbc_Signal &s, QString *why)
{
    auto refuse = [why](const QString &reason) {
        if (why) *why = reason;
        return QList<std::pair<int32_t, int32_t>>{};
    };
    if (s.Length != 8 && s.Length != 16 && s.Length != 32)
        return refuse(Core_Text("%1 bits: only signals of 8, 16 or 32 bits fill whole registers").arg(s.Length));
    // Little-endian signals start at their least significant bit, big-endian ones at their most
    // significant: whole bytes begin at bit 0 or bit 7 of a byte.
    if (s.Start_Bit % 8 != (s.Little_Endian ? 0 : 7))
        return refuse(Core_Text("starts at bit %1: it does not fill whole bytes").arg(s.Start_Bit));
    const int first = s.Start_Bit / 8 + 1;  // the byte of the start bit, numbered from 1
    const int count = s.Length / 8;
    // The bytes from the most significant to the least.
    QList<int32_t> bytes;
    for (int i = 0; i < count; ++i) bytes << (s.Little_Endian ? first + count - 1 - i : first + i);
    if (count == 1) return {{0, bytes[0]}};
    QList<std::pair<int32_t, int32_t>> regs;
    for (int i = 0; i < count; i += 2) regs.append({bytes[i], bytes[i + 1]});
    return regs;
}

Signal_Import Import_Dbc_Signals(const QList<TCAN_Frame> &frames, const QList<Frame_Row> &rows,
                                 const QList<Dbc_Message> &messages, int32_t first_register,
                                 int other_direction_count)
{
    Signal_Import out;
    out.Frames = frames;
    QSet<int32_t> used;
    int count = other_direction_count;
    for (const TCAN_Frame &f : frames)
        for (const TMod_Reg &r : f.Lista_Mod_Reg) {
            if (const std::optional<int32_t> v = Mod_Index_Value(r.Ind_Mod)) used.insert(*v);
            ++count;
        }
    int64_t next = std::max<int32_t>(first_register, 0);
    auto take_number = [&]() -> std::optional<int32_t> {
        int64_t n = next;
        while (n <= Max_Mod_Index && used.contains(int32_t(n))) ++n;
        if (n > Max_Mod_Index) return std::nullopt;
        return int32_t(n);
    };

    for (const Dbc_Message &m : messages) {
        int frame = -1;
        for (int i = 0; i < rows.size() && i < out.Frames.size(); ++i) {
            const std::optional<Frame_Key> key = Key_Of(rows[i]);
            if (key && *key == Key_Of(m)) {
                frame = i;
                break;
            }
        }
        if (frame < 0) {
            out.Skipped.append({m.Name, m.Line, Core_Text("the frame list holds no frame with its identifier and type")});
            continue;
        }
        const int offered = Offered_Bytes(out.Frames[frame]);
        for (const Dbc_Signal &s : m.Signals) {
            const QString name = m.Name + QLatin1Char('.') + s.Name;
            if (s.Mux_Value) {
                out.Skipped.append({name, s.Line, Core_Text("multiplexed: its bytes carry other signals in other frames")});
                continue;
            }
            QString why;
            const QList<std::pair<int32_t, int32_t>> parts = Signal_Registers(s, &why);
            if (parts.isEmpty()) {
                out.Skipped.append({name, s.Line, why});
                continue;
            }
            bool fits = true;
            for (const auto &[hi, lo] : parts) fits = fits && hi <= offered && lo <= offered;
            if (!fits) {
                out.Skipped.append({name, s.Line, Core_Text("lies beyond the frame's %1 data bytes").arg(offered)});
                continue;
            }
            if (count + parts.size() > Max_Map_Records) {
                out.Skipped.append({name, s.Line, Core_Text("the device holds at most %1 registers").arg(Max_Map_Records)});
                continue;
            }
            QList<int32_t> numbers;
            for (int i = 0; i < parts.size(); ++i) {
                const std::optional<int32_t> n = take_number();
                if (!n) break;
                numbers << *n;
                used.insert(*n);  // taken now, returned below if the signal cannot have them all
            }
            if (numbers.size() < parts.size()) {
                for (int32_t n : numbers) used.remove(n);
                out.Skipped.append({name, s.Line, Core_Text("no register number is left up to %1").arg(Max_Mod_Index)});
                continue;
            }
            for (int i = 0; i < parts.size(); ++i) {
                out.Frames[frame].Lista_Mod_Reg.append(TMod_Reg{QString::number(numbers[i]), parts[i].first, parts[i].second, 0});
                out.Taken.append({m.Name, s.Name, frame, numbers[i], i, int(parts.size()), parts[i].first,
                                  parts[i].second, s.Unit, s.Factor, s.Offset});
                ++count;
            }
            next = numbers.last() + 1;
        }
    }
    return out;
}

Signal_Import Import_Dbc_Signals_To_Unmapped(const QList<TCAN_Frame> &frames, const QList<Frame_Row> &rows,
                                             const QList<Dbc_Message> &messages, int32_t first_register,
                                             int other_direction_count)
{
    QList<Dbc_Message> to_map;
    QList<Import_Note> skipped;
    for (const Dbc_Message &m : messages) {
        bool mapped = false;
        for (int i = 0; i < rows.size() && i < frames.size(); ++i) {
            const std::optional<Frame_Key> key = Key_Of(rows[i]);
            if (key && *key == Key_Of(m)) {
                mapped = !frames[i].Lista_Mod_Reg.isEmpty();
                break;
            }
        }
        if (mapped)
            skipped.append({m.Name, m.Line, Core_Text("its frame has registers already; signals not mapped")});
        else
            to_map.append(m);
    }
    Signal_Import out = Import_Dbc_Signals(frames, rows, to_map, first_register, other_direction_count);
    out.Skipped = skipped + out.Skipped;
    return out;
}

QList<Signal_Note> Imported_Signal_Notes(Direction direction, const QList<Imported_Register> &taken,
                                         const QList<Frame_Row> &rows)
{
    QList<Signal_Note> notes;
    for (const Imported_Register &r : taken) {
        if (r.Frame < 0 || r.Frame >= rows.size()) continue;
        const QString word = r.Parts == 1   ? QString()
                             : r.Part == 0 ? QStringLiteral(" (high word)")
                                           : QStringLiteral(" (low word)");
        notes.append({direction, rows[r.Frame].CobID, rows[r.Frame].Type, r.Register, r.HiPart, r.LoPart, r.Message,
                      r.Signal + word, r.Unit, QString::number(r.Factor, 'g', 15), QString::number(r.Offset, 'g', 15)});
    }
    return notes;
}

int32_t Lowest_Unused_Register(const QList<TCAN_Frame> &frames)
{
    QSet<int32_t> used;
    for (const TCAN_Frame &f : frames)
        for (const TMod_Reg &r : f.Lista_Mod_Reg)
            if (const std::optional<int32_t> v = Mod_Index_Value(r.Ind_Mod)) used.insert(*v);
    for (int32_t n = 0; n <= Max_Mod_Index; ++n)
        if (!used.contains(n)) return n;
    return 0;
}

QString Dbc_Identifier_Text(const Dbc_Message &message)
{
    return QStringLiteral("0x") + QString::number(message.Identifier(), 16).toUpper();
}

bool Dbc_Message_Matches(const Dbc_Message &message, const QString &filter)
{
    const QString f = filter.trimmed();
    if (f.isEmpty()) return true;
    return message.Name.contains(f, Qt::CaseInsensitive) || Dbc_Identifier_Text(message).contains(f, Qt::CaseInsensitive);
}

QList<Dbc_Message> Messages_Of_Frames(const QList<Dbc_Message> &messages, const QList<Frame_Row> &rows)
{
    QSet<Frame_Key> present;
    for (const Frame_Row &row : rows)
        if (const std::optional<Frame_Key> key = Key_Of(row)) present.insert(*key);
    QList<Dbc_Message> out;
    for (const Dbc_Message &m : messages)
        if (present.contains(Key_Of(m))) out.append(m);
    return out;
}
