// How long the frame list editors take with a full grid: showing the dialog with 250 frames
// (load, fill, first paint) and saving it (validation and the file). Prints milliseconds.
#include "workspace/App_State.h"
#include "config/Project_Files.h"
#include "widgets/Frame_Grid_Model.h"
#include "dialogs/Frame_List_Editor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTableView>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Rounds = 7;

QList<Frame_Row> Full_List()
{
    QList<Frame_Row> rows;
    for (int i = 0; i < Max_Frame_Entries; ++i) {
        Frame_Row r;
        r.CobID = QStringLiteral("0x%1").arg(0x100 + i, 0, 16);
        r.Dimension = QStringLiteral("8");
        r.Type = i % 2 ? Frame_Type_29 : Frame_Type_11;
        r.TimeOut = QStringLiteral("1000");
        r.DataChange = QStringLiteral("Y");
        r.OnTimer = i % 3 ? QStringLiteral("Y") : QStringLiteral("N");
        r.SendTimer = QStringLiteral("250");
        r.Mnemonic = QStringLiteral("Frame number %1").arg(i + 1);
        rows.append(r);
    }
    return rows;
}

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Measure(App_State &state, Frame_List_Editor &dialog, const char *name)
{
    const QString path = state.Files.Frame_File(dialog.Kind().Dir);
    QList<double> show_ms, save_ms;
    for (int round = 0; round < Rounds; ++round) {
        Write_Frame_File(path, dialog.Kind().Dir, Full_List());

        QElapsedTimer timer;
        timer.start();
        if (!dialog.FormShow()) qFatal("the file was not loaded");
        dialog.show();
        dialog.Grid_View()->viewport()->repaint();
        QApplication::processEvents();
        show_ms.append(timer.nsecsElapsed() / 1e6);

        timer.restart();
        dialog.Btn_OKClick();
        save_ms.append(timer.nsecsElapsed() / 1e6);
        if (dialog.isVisible()) qFatal("the grid did not save");
    }
    std::printf("%-9s show with 250 frames: first %.2f ms, median %.2f ms\n", name, show_ms[0],
                Median(show_ms));
    std::printf("%-9s save of 250 frames:   first %.2f ms, median %.2f ms\n", name, save_ms[0],
                Median(save_ms));
}

}  // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    App_State state;
    Load_Default_Language(state.Lang_Table);
    state.SW_Code = SW_Code_Text;
    state.Project_Name = QStringLiteral("Bench");
    state.Dir_Project = dir.path();
    Set_Files(state);

    Receive_Frame_Editor receive(state);
    Transmit_Frame_Editor transmit(state);
    Measure(state, receive, "receive");
    Measure(state, transmit, "transmit");
    return 0;
}
