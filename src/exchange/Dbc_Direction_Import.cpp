#include "exchange/Dbc_Direction_Import.h"

#include "platform/Core_Text.h"
#include "platform/Int_Text.h"

namespace {

// Whether a frame list row is the frame of a message: the same identifier value and format.
bool Is_Frame_Of(const Frame_Row &row, const Dbc_Message &m)
{
    const std::optional<int32_t> id = Int_Text::Str_To_Int(row.CobID);
    return id && uint32_t(*id) == m.Identifier() && Is_11_Bit(row) != m.Extended();
}

}  // namespace

QList<Frame_Row> Dbc_Direction_Import::Entries() const { return Pack_Entries(Frames.Grid); }

QList<Editor_Frame> Dbc_Direction_Import::Entry_Frames() const
{
    QList<Editor_Frame> out;
    for (int i = 0; i < Frames.Grid.size() && i < Row_Frames.size(); ++i)
        if (Is_Entry(Frames.Grid[i])) out.append(Row_Frames[i]);
    return out;
}

QList<Import_Note> Dbc_Direction_Import::Skipped() const { return Frames.Skipped + Frame_Mapped + Signals.Skipped; }

Dbc_Direction_Import Import_Dbc_Direction(const Frame_Grid &grid, const QList<Editor_Frame> &row_frames,
                                          Direction direction, const QList<Dbc_Message> &chosen,
                                          const Dbc_Import_Choice &choice, int other_direction_count)
{
    Dbc_Direction_Import out;
    out.Frames = Import_Dbc_Frames(grid, direction, chosen, choice.Timeout_Factor);
    const Frame_Grid &rows = out.Frames.Grid;

    // The frames in grid order: each keeps its registers; the identifier and length are the
    // row's as it stands now.
    QList<int> entry_rows;
    QList<Frame_Row> entries;
    QList<Editor_Frame> frames;
    out.Row_Frames.resize(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        if (r < row_frames.size()) out.Row_Frames[r] = row_frames[r];
        if (!Is_Entry(rows[r])) continue;
        Editor_Frame &frame = out.Row_Frames[r];
        frame.CobID = rows[r].CobID;
        frame.Num_Byte = Int_Text::Str_To_Int_Def(rows[r].Dimension, 8);
        entry_rows.append(r);
        entries.append(rows[r]);
        frames.append(frame);
    }

    // Signals are mapped for the frames added now, and for frames of the list that have no
    // registers yet.
    QList<Dbc_Message> to_map;
    for (const Dbc_Message &m : chosen) {
        if (!choice.With_Signals) break;
        bool take = out.Frames.Added.contains(m.Name);
        if (!take && m.Importable())
            for (int i = 0; i < entries.size(); ++i) {
                if (!Is_Frame_Of(entries[i], m)) continue;
                take = frames[i].Registers.isEmpty();
                if (take) out.Frame_Held.append(m.Name);
                else
                    out.Frame_Mapped.append({m.Name, m.Line, Core_Text("its frame has registers already; signals not mapped")});
                break;
            }
        if (take) to_map.append(m);
    }
    out.Signals = Import_Dbc_Signals(frames, entries, to_map, choice.First_Register, other_direction_count, direction);
    for (int i = 0; i < entry_rows.size() && i < out.Signals.Frames.size(); ++i)
        out.Row_Frames[entry_rows[i]] = out.Signals.Frames[i];
    out.Notes = Imported_Signal_Notes(direction, out.Signals, entries);
    return out;
}

QList<int> Signals_To_Map(const QList<Dbc_Message> &messages, const Frame_Grid &grid,
                          const QList<Editor_Frame> &row_frames, Direction direction)
{
    QList<int> out;
    out.reserve(messages.size());
    for (const Dbc_Message &m : messages) {
        if (!m.Importable()) {
            out.append(0);
            continue;
        }
        // The message on its own, against its frame of the list if there is one.
        Frame_Grid one;
        QList<Editor_Frame> one_frame;
        for (int r = 0; r < grid.size(); ++r)
            if (Is_Entry(grid[r]) && Is_Frame_Of(grid[r], m)) {
                one.append(grid[r]);
                one_frame.append(r < row_frames.size() ? row_frames[r] : Editor_Frame{});
                break;
            }
        out.append(int(Import_Dbc_Direction(one, one_frame, direction, {m}, {}, 0).Signals.Signals.size()));
    }
    return out;
}

Import_Summary Dbc_Direction_Summary(const Lang_Table &lang, const Dbc_Direction_Import &import,
                                     const QList<Dbc_Skipped> &unread)
{
    Frame_Import frames = import.Frames;
    frames.Skipped.clear();
    Signal_Import signal_lines = import.Signals;
    signal_lines.Skipped.clear();
    Frame_Import left_out;
    for (const Dbc_Skipped &s : unread) left_out.Skipped.append({s.Name, s.Line, s.Reason});
    for (const Import_Note &n : import.Frames.Skipped)
        if (!import.Frame_Held.contains(n.Name)) left_out.Skipped.append(n);
    left_out.Skipped += import.Frame_Mapped + import.Signals.Skipped;

    Import_Summary out;
    out.Summary = lang[STR_Import_Dbc_Taken]
                      .arg(import.Frames.Added.size())
                      .arg(import.Signals.Taken.size())
                      .arg(left_out.Skipped.size());
    out.Lines = Frame_Import_Summary(lang, frames).Lines + Signal_Import_Summary(lang, signal_lines).Lines +
                Frame_Import_Summary(lang, left_out).Lines;
    return out;
}

QList<Pending_Mapping> Pending_Mappings(const Dbc_Direction_Import &import, const QList<Editor_Frame> &row_frames)
{
    QList<Pending_Mapping> out;
    const Frame_Grid &grid = import.Frames.Grid;
    for (int r = 0; r < import.Row_Frames.size() && r < grid.size(); ++r) {
        const Editor_Frame &now = import.Row_Frames[r];
        if (now.Registers.isEmpty() || (r < row_frames.size() && !row_frames[r].Registers.isEmpty())) continue;
        const std::optional<Frame_Key> key = Frame_Key_Of(grid[r]);
        if (!key) continue;
        Pending_Mapping mapping{*key, now.Registers, {}};
        for (const Signal_Note &note : import.Notes)
            if (note.CobID == grid[r].CobID && note.Type == grid[r].Type) mapping.Notes.append(note);
        out.append(mapping);
    }
    return out;
}

QList<Editor_Frame> Grid_Mappings(const Frame_Grid &grid, const QList<Editor_Frame> &stored_frames,
                                  const QList<Pending_Mapping> &pending)
{
    QList<Editor_Frame> out(grid.size());
    QList<bool> claimed(stored_frames.size(), false);
    for (int r = 0; r < grid.size(); ++r) {
        const int stored = grid[r].Stored_Index;
        if (stored >= 0 && stored < stored_frames.size() && !claimed[stored]) {
            claimed[stored] = true;
            out[r] = stored_frames[stored];
        }
        if (!out[r].Registers.isEmpty() || !Is_Entry(grid[r])) continue;
        const std::optional<Frame_Key> key = Frame_Key_Of(grid[r]);
        for (const Pending_Mapping &m : pending)
            if (key && m.Key == *key) out[r].Registers = m.Registers;
    }
    return out;
}

Pending_Save Save_With_Pending(const Frame_Grid &grid, const QList<Editor_Frame> &row_frames,
                               const QList<Pending_Mapping> &pending)
{
    Pending_Save out;
    for (int r = 0; r < grid.size(); ++r) {
        if (!Is_Entry(grid[r])) continue;
        Editor_Frame frame = r < row_frames.size() ? row_frames[r] : Editor_Frame{};
        frame.CobID = grid[r].CobID;
        frame.Num_Byte = Int_Text::Str_To_Int_Def(grid[r].Dimension, 8);
        out.Frames.append(frame);
        const std::optional<Frame_Key> key = Frame_Key_Of(grid[r]);
        for (const Pending_Mapping &m : pending)
            if (key && m.Key == *key && m.Registers == frame.Registers)
                for (Signal_Note note : m.Notes) {
                    note.CobID = grid[r].CobID;
                    note.Type = grid[r].Type;
                    out.Notes.append(note);
                }
    }
    return out;
}
