#include "editing/Frame_List.h"

#include "config/CobID_Reading.h"
#include "config/Configuration.h"
#include "config/Project_Files.h"
#include "lang/Lang_Table.h"
#include "platform/Core_Text.h"
#include "platform/Int_Text.h"

#include <algorithm>

namespace {

constexpr int32_t Max_CobID_11 = 0x7FF;
constexpr int32_t Max_CobID_29 = 0x1FFFFFFF;
constexpr int32_t Max_Timer_Ms = 100000000;

const Frame_List_Kind Receive_Kind{
    Direction::Receive,
    {{Frame_Column_Kind::Row_Number, nullptr},
     {Frame_Column_Kind::Text, &Frame_Row::CobID},
     {Frame_Column_Kind::Text, &Frame_Row::Dimension},
     {Frame_Column_Kind::Type, &Frame_Row::Type},
     {Frame_Column_Kind::Text, &Frame_Row::TimeOut},
     {Frame_Column_Kind::Text, &Frame_Row::Mnemonic}},
    98, 99, 100, 101, 102, 103, 104,
    110, 111, 112, 113, 114, 115,
    116,
    Receive_Col::TimeOut};

const Frame_List_Kind Transmit_Kind{
    Direction::Transmit,
    {{Frame_Column_Kind::Row_Number, nullptr},
     {Frame_Column_Kind::Text, &Frame_Row::CobID},
     {Frame_Column_Kind::Text, &Frame_Row::Dimension},
     {Frame_Column_Kind::Type, &Frame_Row::Type},
     {Frame_Column_Kind::Check, &Frame_Row::DataChange},
     {Frame_Column_Kind::Check, &Frame_Row::OnTimer},
     {Frame_Column_Kind::Text, &Frame_Row::SendTimer},
     {Frame_Column_Kind::Text, &Frame_Row::Mnemonic}},
    117, 118, 119, 120, 121, 122, 123,
    131, 132, 133, 134, 135, 136,
    137,
    Transmit_Col::SendTimer};

bool In_Range(const QString &text, int32_t low, int32_t high)
{
    const int32_t value = Int_Text::Str_To_Int_Def(text, -1);
    return value >= low && value <= high;
}

std::optional<Frame_Rule> Check_Row(Direction direction, const Frame_Row &row, std::optional<uint32_t> &write_hex)
{
    if (Int_Text::Trim(row.Type).isEmpty()) return Frame_Rule::Type_Empty;
    const bool extended = !Is_11_Bit(row);
    if (!In_Range(row.CobID, 0, extended ? Max_CobID_29 : Max_CobID_11)) {
        // Identifiers copied from a CAN tool or a bus log are hexadecimal without a prefix.
        write_hex = Hex_Reading_In_Range(row.CobID, extended);
        return extended ? Frame_Rule::CobID_29 : Frame_Rule::CobID_11;
    }
    if (!In_Range(row.Dimension, 1, Max_Data_Bytes)) return Frame_Rule::Dimension;
    if (direction == Direction::Receive) {
        if (!In_Range(row.TimeOut, 0, Max_Timer_Ms)) return Frame_Rule::Timer;
    } else if (Is_Checked(row.OnTimer) && !In_Range(row.SendTimer, 0, Max_Timer_Ms)) {
        // The period matters only for frames sent on the timer.
        return Frame_Rule::Timer;
    }
    return std::nullopt;
}

// The first columns are the same in both grids.
static_assert(Receive_Col::CobID == Transmit_Col::CobID && Receive_Col::Dimension == Transmit_Col::Dimension &&
              Receive_Col::Type == Transmit_Col::Type);

bool Valid_Row_Number(int Num_Row) { return Num_Row >= 1 && Num_Row <= Max_Frame_Entries; }

}  // namespace

Frame_Grid Empty_Frame_Grid() { return Frame_Grid(Max_Frame_Entries); }

const Frame_List_Kind &Frame_List_Of(Direction direction)
{
    return direction == Direction::Receive ? Receive_Kind : Transmit_Kind;
}

bool Is_Entry(const Frame_Row &row) { return !Int_Text::Trim(row.CobID).isEmpty(); }

bool Is_11_Bit(const Frame_Row &row) { return Editor_Reads_11_Bit(row.Type); }

size_t qHash(const Frame_Key &key, size_t seed) { return ::qHash(key.Id, seed) ^ (key.Is_29 ? 1 : 0); }

std::optional<Frame_Key> Frame_Key_Of(const Frame_Row &row)
{
    const std::optional<int32_t> id = Int_Text::Str_To_Int(row.CobID);
    if (!id || *id < 0) return std::nullopt;
    return Frame_Key{*id, !Is_11_Bit(row)};
}

bool Is_Checked(const QString &text) { return Editor_Reads_Checked(text); }

std::optional<Frame_Fault> Check_Frames(Direction direction, const Frame_Grid &grid)
{
    const int rows = int(std::min<qsizetype>(grid.size(), Max_Frame_Entries));
    for (int i = 0; i < rows; ++i) {
        const Frame_Row &row = grid[i];
        // Every entry is checked, also below an empty row: the save packs the empty rows away
        // and keeps what lies below them.
        if (!Is_Entry(row)) continue;
        std::optional<uint32_t> write_hex;
        if (const std::optional<Frame_Rule> rule = Check_Row(direction, row, write_hex))
            return Frame_Fault{i + 1, *rule, write_hex};
    }
    return std::nullopt;
}

int Fault_Column(const Frame_List_Kind &kind, Frame_Rule rule)
{
    switch (rule) {
    case Frame_Rule::Type_Empty: return Receive_Col::Type;
    case Frame_Rule::CobID_11:
    case Frame_Rule::CobID_29: return Receive_Col::CobID;
    case Frame_Rule::Dimension: return Receive_Col::Dimension;
    case Frame_Rule::Timer: return kind.Col_Timer;
    }
    return Receive_Col::CobID;
}

QString Fault_Text(const Frame_List_Kind &kind, const Lang_Table &texts, const Frame_Fault &fault)
{
    int rule_text = kind.STR_Type_Empty;
    switch (fault.Rule) {
    case Frame_Rule::Type_Empty: rule_text = kind.STR_Type_Empty; break;
    case Frame_Rule::CobID_11: rule_text = kind.STR_CobID_11; break;
    case Frame_Rule::CobID_29: rule_text = kind.STR_CobID_29; break;
    case Frame_Rule::Dimension: rule_text = kind.STR_Dimension; break;
    case Frame_Rule::Timer: rule_text = kind.STR_Timer; break;
    }
    QString text = texts[kind.STR_Error_Row] + QString::number(fault.Row) + texts[rule_text];
    if (fault.Write_Hex)
        text += u'\n' + texts[STR_Frame_Write_Hex].arg(Identifier_Hex(*fault.Write_Hex, fault.Rule == Frame_Rule::CobID_29));
    return text;
}

QString Device_Reading(const Frame_Row &row)
{
    // As the device's records take it: the text converted as typed, the type compared whole.
    const bool extended = Device_Reads_29_Bit(row.Type);
    const std::optional<int32_t> value = Int_Text::Str_To_Int(row.CobID);
    if (!value || *value < 0 || uint32_t(*value) > (extended ? Max_CobID_29_Bit : Max_CobID_11_Bit)) return QString();
    return Identifier_Text(uint32_t(*value), extended);
}

QString Delete_Question(const Frame_List_Kind &kind, const Lang_Table &texts, int Num_Row)
{
    return texts[kind.STR_Delete_Question] + QString::number(Num_Row);
}

bool Can_Insert_Row(const Frame_Grid &grid)
{
    return grid.size() < Max_Frame_Entries || !Is_Entry(grid[Max_Frame_Entries - 1]);
}

bool Insert_Row(Frame_Grid &grid, int Num_Row)
{
    if (!Valid_Row_Number(Num_Row) || grid.size() != Max_Frame_Entries || !Can_Insert_Row(grid))
        return false;
    // Row 250 holds no entry: whatever else it holds (text beside an empty Cob-ID) is not a
    // frame and would not be saved, so it may go.
    std::move_backward(grid.begin() + (Num_Row - 1), grid.end() - 1, grid.end());
    grid[Num_Row - 1] = Frame_Row{};
    return true;
}

void Delete_Row(Frame_Grid &grid, int Num_Row)
{
    if (!Valid_Row_Number(Num_Row) || grid.size() != Max_Frame_Entries) return;
    std::move(grid.begin() + Num_Row, grid.end(), grid.begin() + (Num_Row - 1));
    grid.back() = Frame_Row{};
}

bool Frame_Grid_Changed(const Frame_Grid &loaded, const Frame_Grid &grid)
{
    auto filled = [](const Frame_Grid &rows) {
        QList<const Frame_Row *> filled_rows;
        for (const Frame_Row &row : rows)
            if (row != Frame_Row{}) filled_rows.append(&row);
        return filled_rows;
    };
    const QList<const Frame_Row *> before = filled(loaded);
    const QList<const Frame_Row *> now = filled(grid);
    if (before.size() != now.size()) return true;
    for (qsizetype i = 0; i < now.size(); ++i)
        if (*before[i] != *now[i] || before[i]->Stored_Index != now[i]->Stored_Index) return true;
    return false;
}

QList<Frame_Row> Pack_Entries(const Frame_Grid &grid)
{
    QList<Frame_Row> entries;
    for (const Frame_Row &row : grid)
        if (Is_Entry(row)) entries.append(row);
    return entries;
}

int Frame_List_Save::Removed_Count() const
{
    int count = 0;
    for (const auto &frame : Removed) count += int(frame.second.size());
    return count;
}

Frame_List_Save Plan_Frame_List_Save(const Frame_Grid &grid, int stored_count, const QString &map_path)
{
    Frame_List_Save save;
    save.Entries = Pack_Entries(grid);
    save.New_Index = QList<int>(stored_count, -1);
    bool moved = false;
    for (int i = 0; i < save.Entries.size(); ++i) {
        const int stored = save.Entries[i].Stored_Index;
        // A stored frame is one row of the grid; should two rows claim it, the first keeps it.
        if (stored < 0 || stored >= stored_count || save.New_Index[stored] >= 0) continue;
        save.New_Index[stored] = i;
        moved = moved || stored != i;
    }
    moved = moved || save.New_Index.contains(-1);
    if (!moved) return save;

    Map_File_Renumbering map = Renumber_Map_File(map_path, save.New_Index);
    if (map.Changed) save.Map_Bytes = map.Bytes;
    save.Removed = map.Removed;
    return save;
}

void Commit_Frame_List_Save(const Frame_List_Save &save, Direction direction, const QString &frame_path,
                            const QString &map_path)
{
    QList<std::pair<QString, QByteArray>> files{{frame_path, Frame_File_Bytes(direction, save.Entries, frame_path)}};
    if (save.Map_Bytes) files.append({map_path, *save.Map_Bytes});
    Save_Files_Atomic(files);
}

QString Removed_Mappings_Question(const Lang_Table &texts, const QList<Frame_Row> &stored_rows,
                                  const Frame_List_Save &save)
{
    QString text = texts[STR_Mappings_Go_With_Frames].arg(save.Removed_Count());
    for (const auto &[frame, registers] : save.Removed) {
        const QString cob_id = frame < stored_rows.size() ? Int_Text::Trim(stored_rows[frame].CobID) : QString();
        text += u'\n' + texts[STR_Mappings_Of_Frame].arg(cob_id, registers.join(QStringLiteral(", ")));
    }
    return text + QStringLiteral("\n\n") + texts[STR_Delete_Mappings_Question];
}

Frame_Grid Read_Frame_Grid(const QString &path, Direction direction)
{
    QList<Frame_Row> rows = Read_Frame_File(path, direction);
    if (rows.size() > Max_Frame_Entries)
        throw Xml_Error(path, 0, 0,
                        Core_Text("the file holds %1 frames; a list holds at most %2")
                            .arg(rows.size())
                            .arg(Max_Frame_Entries));
    rows.resize(Max_Frame_Entries);
    return rows;
}
