#include "exchange/Dbc_Import.h"

#include "editing/Mapping_List.h"
#include "platform/Core_Text.h"
#include "platform/Int_Text.h"

#include <QHash>
#include <QSet>

namespace {

constexpr int64_t Max_Timer_Ms = 100000000;

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
            if (const std::optional<Frame_Key> key = Frame_Key_Of(row)) present.insert(*key);

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
    QList<std::pair<int32_t, int32_t>> out;
    const QString reason = Signal_Unreachable_Reason(s);
    if (!reason.isEmpty() && !s.Multiplexed()) {
        if (why) *why = reason;
        return out;
    }
    for (const Register_Pair &r : Own_Layout(s)) out.append({r.Hi, r.Lo});
    return out;
}

QString Signal_Unreachable_Reason(const Dbc_Signal &s)
{
    if (s.Multiplexed()) return Core_Text("multiplexed: its bytes carry other signals in other frames");
    if (s.Length > 64) return Core_Text("%1 bits: a value of more than 64 bits has no recipe").arg(s.Length);
    if (Signal_Bytes(s).isEmpty()) return Core_Text("lies beyond the frame's %1 data bytes").arg(Max_Data_Bytes);
    return QString();
}

namespace {

// The registers of one frame while an import adds to them: which byte lies in which register.
class Frame_Registers {
public:
    explicit Frame_Registers(Editor_Frame &frame) : frame_(frame)
    {
        for (int i = 0; i < frame.Registers.size(); ++i) Note(i);
    }

    // The register of the frame mapped exactly so, -1 when there is none.
    int Exact(const Register_Pair &p) const
    {
        for (int i = 0; i < frame_.Registers.size(); ++i) {
            const Editor_Register &r = frame_.Registers[i];
            if (r.HiPart == p.Hi && r.LoPart == p.Lo && Mod_Index_Value(r.Ind_Mod)) return i;
        }
        return -1;
    }
    bool Covered(int32_t byte) const { return byte > 0 && byte <= 8 && covered_[byte]; }
    // Whether a layout can be had without mapping a byte that a register of another layout holds.
    bool Fits(const QList<Register_Pair> &layout) const
    {
        for (const Register_Pair &p : layout)
            if (Exact(p) < 0 && (Covered(p.Hi) || Covered(p.Lo))) return false;
        return true;
    }
    int Add(const Editor_Register &reg)
    {
        frame_.Registers.append(reg);
        Note(int(frame_.Registers.size()) - 1);
        return int(frame_.Registers.size()) - 1;
    }
    const Editor_Register &At(int i) const { return frame_.Registers[i]; }

private:
    void Note(int i)
    {
        for (const int32_t b : {frame_.Registers[i].HiPart, frame_.Registers[i].LoPart})
            if (b > 0 && b <= 8) covered_[b] = true;
    }
    Editor_Frame &frame_;
    bool covered_[9] = {};
};

}  // namespace

Signal_Import Import_Dbc_Signals(const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows,
                                 const QList<Dbc_Message> &messages, int32_t first_register,
                                 int other_direction_count, Direction direction)
{
    Signal_Import out;
    out.Frames = frames;
    QSet<int32_t> used;
    int count = other_direction_count;
    for (const Editor_Frame &f : frames)
        for (const Editor_Register &r : f.Registers) {
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
    QHash<Frame_Key, int> frame_of;
    for (int i = int(std::min(rows.size(), out.Frames.size())) - 1; i >= 0; --i)
        if (const std::optional<Frame_Key> key = Frame_Key_Of(rows[i])) frame_of.insert(*key, i);

    for (const Dbc_Message &m : messages) {
        const int frame = frame_of.value(Key_Of(m), -1);
        if (frame < 0) {
            out.Skipped.append({m.Name, m.Line, Core_Text("the frame list holds no frame with its identifier and type")});
            continue;
        }
        const int offered = Offered_Bytes(out.Frames[frame]);
        Frame_Registers regs(out.Frames[frame]);
        for (const Dbc_Signal &s : m.Signals) {
            const QString name = m.Name + QLatin1Char('.') + s.Name;
            const QString reason = Signal_Unreachable_Reason(s);
            if (!reason.isEmpty()) {
                out.Skipped.append({name, s.Line, reason});
                continue;
            }
            if (Signal_Bytes(s).last() > offered || Signal_Bytes(s).first() > offered) {
                out.Skipped.append({name, s.Line, Core_Text("lies beyond the frame's %1 data bytes").arg(offered)});
                continue;
            }
            // The frame's own layout for the signal's byte order first, so that neighbours share
            // registers; then the signal's bytes alone. A receive signal may read bytes that
            // other registers read too; a transmit one may not write them a second time.
            QList<Register_Pair> layout = Frame_Layout(s, offered);
            if (!regs.Fits(layout)) layout = Own_Layout(s);
            if (!regs.Fits(layout) && direction == Direction::Transmit) {
                out.Skipped.append({name, s.Line, Core_Text("its bytes lie in registers laid out for other signals; "
                                                            "a second register writing them would change those")});
                continue;
            }
            QList<int> existing;
            int needed = 0;
            for (const Register_Pair &p : layout) {
                existing << regs.Exact(p);
                if (existing.last() < 0) ++needed;
            }
            if (count + needed > Max_Map_Records) {
                out.Skipped.append({name, s.Line, Core_Text("the device holds at most %1 registers").arg(Max_Map_Records)});
                continue;
            }
            QList<int32_t> numbers;
            for (int i = 0; i < needed; ++i) {
                const std::optional<int32_t> n = take_number();
                if (!n) break;
                numbers << *n;
                used.insert(*n);  // taken now, returned below if the signal cannot have them all
            }
            if (numbers.size() < needed) {
                for (int32_t n : numbers) used.remove(n);
                out.Skipped.append({name, s.Line, Core_Text("no register number is left up to %1").arg(Max_Mod_Index)});
                continue;
            }
            Imported_Signal sig{m.Name, s, frame, {}, layout, Signal_Shift(s, layout)};
            int k = 0;
            for (int i = 0; i < layout.size(); ++i) {
                if (existing[i] >= 0) {
                    sig.Registers << *Mod_Index_Value(regs.At(existing[i]).Ind_Mod);
                    continue;
                }
                const int32_t number = numbers[k++];
                regs.Add(Editor_Register{QString::number(number), layout[i].Hi, layout[i].Lo, 0});
                sig.Registers << number;
                out.Taken.append({m.Name, s.Name, frame, number, i, int(layout.size()), layout[i].Hi, layout[i].Lo, s.Unit,
                                  s.Factor, s.Offset});
                ++count;
                next = number + 1;
            }
            out.Signals.append(sig);
        }
    }
    return out;
}

Signal_Import Import_Dbc_Signals_To_Unmapped(const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows,
                                             const QList<Dbc_Message> &messages, int32_t first_register,
                                             int other_direction_count, Direction direction)
{
    QList<Dbc_Message> to_map;
    QList<Import_Note> skipped;
    for (const Dbc_Message &m : messages) {
        bool mapped = false;
        for (int i = 0; i < rows.size() && i < frames.size(); ++i) {
            const std::optional<Frame_Key> key = Frame_Key_Of(rows[i]);
            if (key && *key == Key_Of(m)) {
                mapped = !frames[i].Registers.isEmpty();
                break;
            }
        }
        if (mapped)
            skipped.append({m.Name, m.Line, Core_Text("its frame has registers already; signals not mapped")});
        else
            to_map.append(m);
    }
    Signal_Import out = Import_Dbc_Signals(frames, rows, to_map, first_register, other_direction_count, direction);
    out.Skipped = skipped + out.Skipped;
    return out;
}

QList<Signal_Note> Imported_Signal_Notes(Direction direction, const Signal_Import &import, const QList<Frame_Row> &rows)
{
    QList<Signal_Note> notes;
    for (const Imported_Signal &i : import.Signals) {
        if (i.Frame < 0 || i.Frame >= rows.size() || i.Registers.isEmpty()) continue;
        const Dbc_Signal &s = i.Source;
        Signal_Note n;
        n.Dir = direction;
        n.CobID = rows[i.Frame].CobID;
        n.Type = rows[i.Frame].Type;
        for (int k = 0; k < i.Registers.size(); ++k) n.Registers.append({i.Registers[k], i.Pairs[k].Hi, i.Pairs[k].Lo});
        n.Register = n.Registers[0].Register;
        n.HiPart = n.Registers[0].HiPart;
        n.LoPart = n.Registers[0].LoPart;
        n.Message = i.Message;
        n.Signal = s.Name;
        n.Unit = s.Unit;
        n.Factor = Recipe_Number(s.Factor);
        n.Offset = Recipe_Number(s.Offset);
        n.Shift = i.Shift;
        n.Length = s.Length;
        n.Is_Signed = s.Is_Signed;
        n.Value_Type = s.Value_Type;
        n.Minimum = Recipe_Number(s.Minimum);
        n.Maximum = Recipe_Number(s.Maximum);
        for (const auto &[v, text] : s.Values) n.Values.append({v, QString(text).replace(u'\n', u' ')});
        notes.append(n);
    }
    return notes;
}

int32_t Lowest_Unused_Register(const QList<Editor_Frame> &frames)
{
    QSet<int32_t> used;
    for (const Editor_Frame &f : frames)
        for (const Editor_Register &r : f.Registers)
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

