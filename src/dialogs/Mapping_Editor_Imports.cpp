#include "dialogs/Mapping_Editor.h"

#include "config/Project_Files.h"
#include "dialogs/Dbc_Chooser.h"
#include "exchange/Dbc_Direction_Import.h"
#include "widgets/Message_Box.h"

#include <QDir>
#include <QListWidget>

// The mapping editor's imports and exports: the registers to and from a sheet, and frames with
// their signals from a CAN database. Nothing is written before OK.

bool Mapping_Editor::Have_Rows()
{
    if (rows_error_.isEmpty()) return true;
    Message_Box::Error(this, rows_error_);
    return false;
}

void Mapping_Editor::Show_Imported()
{
    const int frame = Selected_Frame();
    Refresh_Frame_List();
    if (frame >= 0) LB_CAN_Frames->setCurrentRow(frame);
    Refresh_Register_List();
    Refresh_Marked_Fields();
    Refresh_Byte_Lists();
}

void Mapping_Editor::Btn_Export_CsvClick()
{
    if (Have_Rows()) Write_Sheet(Mapping_List_Csv(dir_.Dir, list_.Frames, rows_));
}

void Mapping_Editor::Btn_Import_CsvClick()
{
    if (!Have_Rows()) return;
    const std::optional<Sheet> sheet = Read_Sheet();
    if (!sheet) return;
    const Mapping_Csv_Read read =
        Read_Mapping_Csv(dir_.Dir, sheet->Bytes, list_.Frames, rows_, list_.Other_Direction_Count);
    if (!read.Header_Ok) return Refuse_Header(sheet->Path);
    if (!Take_Lines(read.Faults)) return;
    list_.Frames = read.Frames;
    Show_Imported();
    Report(Mapping_Csv_Summary(state_.Lang_Table, read.Frames, rows_, read.Faults));
}

void Mapping_Editor::Btn_Import_SignalsClick()
{
    if (!Have_Rows()) return;
    const std::optional<Database> database = Read_Database();
    if (!database) return;
    // The frame list as it stands, new frames after its last one. A row of the file without any
    // text is no place for a new frame: it keeps its place and its registers.
    Frame_Grid grid = rows_;
    for (Frame_Row &row : grid)
        if (row == Frame_Row{}) row.Mnemonic = QStringLiteral(" ");
    const QList<Dbc_Message> &messages = database->Db.Messages;
    Dbc_Chooser chooser(state_, dir_.Dir, messages, Signals_To_Map(messages, grid, list_.Frames, dir_.Dir),
                        {Default_Timeout_Factor, Lowest_Unused_Register(list_.Frames), true}, this);
    if (!Run_Chooser || !Run_Chooser(chooser)) return;
    const QList<Dbc_Message> chosen = chooser.Chosen();
    if (chosen.isEmpty()) return;
    const Dbc_Direction_Import import =
        Import_Dbc_Direction(grid, list_.Frames, dir_.Dir, chosen, chooser.Choice(), list_.Other_Direction_Count);
    const int rows = int(rows_.size());
    const int last_added = import.Frames.Added_Rows.isEmpty() ? rows : import.Frames.Added_Rows.last();
    for (int r = rows; r < last_added; ++r) {
        const Frame_Row &row = import.Frames.Grid[r];
        rows_.append(row);
        frame_labels_.append({!Is_11_Bit(row), row.Mnemonic});
    }
    frames_added_ = frames_added_ || last_added > rows;
    list_.Frames = import.Row_Frames.mid(0, rows_.size());
    new_notes_ = Merge_Signal_Notes(new_notes_, import.Notes);
    Show_Imported();
    Report(Dbc_Direction_Summary(state_.Lang_Table, import, database->Db.Skipped));
}
