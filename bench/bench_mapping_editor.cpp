// How long the register mapping editor takes to load and to save a full configuration: 4096
// registers (the device's limit) over 250 frames. Prints milliseconds; the aim is under 100 ms
// for each.
#include "config/Project_Files.h"
#include "dialogs/Mapping_Editor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    App_State state;
    Load_Default_Language(state.Lang_Table);
    state.Project_Name = QStringLiteral("Bench");
    state.Dir_Project = dir.path();
    Set_Files(state);

    constexpr int Frames = Max_Frame_Entries;
    constexpr int Registers = Max_Map_Records;
    QList<Frame_Row> rows;
    QList<Editor_Frame> frames(Frames);
    for (int f = 0; f < Frames; ++f)
        rows.append({QStringLiteral("0x%1").arg(0x100 + f, 0, 16), QStringLiteral("8"), Frame_Type_11,
                     QStringLiteral("1000"), {}, {}, {}, QStringLiteral("Frame %1").arg(f)});
    for (int r = 0; r < Registers; ++r)
        frames[r % Frames].Registers.append({QString::number(r), r % 9, (r + 3) % 9, 0});
    Write_Frame_File(state.Files.CAN_Receive, Direction::Receive, rows);
    Write_Map_File(state.Files.Define_CAN_Receive, Direction::Receive, frames);

    Receive_Mapping_Editor dialog(state);
    auto *frame_list = dialog.findChild<QListWidget *>(QStringLiteral("LB_CAN_Frames"));
    QList<double> load_ms, select_ms, save_ms;
    QElapsedTimer timer;
    for (int run = 0; run < 15; ++run) {
        timer.start();
        if (!dialog.FormShow()) return 1;
        load_ms.append(timer.nsecsElapsed() / 1e6);

        timer.start();
        frame_list->setCurrentRow(run % Frames);
        select_ms.append(timer.nsecsElapsed() / 1e6);

        timer.start();
        dialog.Btn_OKClick();
        save_ms.append(timer.nsecsElapsed() / 1e6);
    }
    if (dialog.Mappings().Register_Count() != Registers) return 1;

    std::printf("mapping editor, %d registers over %d frames (median of %lld runs)\n", Registers, Frames,
                static_cast<long long>(load_ms.size()));
    std::printf("  load (both files, lists filled): %8.2f ms\n", Median(load_ms));
    std::printf("  select a frame:                  %8.2f ms\n", Median(select_ms));
    std::printf("  save (OK):                       %8.2f ms\n", Median(save_ms));
    return 0;
}
