// The windows over recorded bus traffic: the Bus check window reached from the main window,
// listing what the survey finds against a log in the user's language, and the receive frame
// editor learning frames from a log (nothing written before OK).
#include "File_Bytes.h"
#include "Shipped_Language.h"
#include "Test_Workspace.h"
#include "Test_Support.h"
#include "test_config.h"

#include "app/Main_Window.h"
#include "config/Project_Files.h"
#include "dialogs/Bus_Check_Window.h"
#include "dialogs/Frame_List_Editor.h"
#include "dialogs/Learn_Chooser.h"
#include "lang/Lang_Table.h"
#include "widgets/Frame_Grid_Model.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class Tst_Bus_Windows : public QObject {
    Q_OBJECT
private slots:
    void bus_check_lists_the_findings_data();
    void bus_check_lists_the_findings();
    void bus_check_follows_the_language();
    void bus_check_asks_for_the_interface_of_a_log_of_several();
    void bus_check_is_a_step_of_the_main_window();
    void learned_frames_wait_for_ok();
    void an_unreadable_log_is_said_and_changes_nothing();
};

namespace {

const QString Survey_Dir = QStringLiteral(QCX_TEST_DATA_DIR "/bus/survey/");

// A configuration folder holding one survey fixture's frame lists.
struct Project {
    QTemporaryDir Dir;
    App_State State;

    explicit Project(const QString &fixture)
    {
        Load_Default_Language(State.Lang_Table);
        State.SW_Code = SW_Code_Text;
        State.Project_Name = QStringLiteral("Test");
        State.Dir_Project = Dir.path();
        Set_Files(State);
        for (const char *name : {"CAN_Receive.xml", "CAN_Transmit.xml"})
            QFile::copy(Survey_Dir + fixture + QLatin1Char('/') + QLatin1String(name), Dir.filePath(name));
    }
};

QString Not_Valid_Text(const App_State &state) { return state.STR(STR_Project_Not_Valid); }

QStringList Codes(const Bus_Check_Window &check)
{
    QStringList out;
    for (int r = 0; r < check.Table()->rowCount(); ++r) out << check.Table()->item(r, 0)->data(Qt::UserRole).toString();
    return out;
}

}  // namespace

void Tst_Bus_Windows::bus_check_lists_the_findings_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("frame");   // of the first row
    QTest::addColumn<QString>("detail");  // of the first row
    QTest::addColumn<QString>("summary");
    QTest::newRow("clean") << "clean" << QStringList{} << QString() << QString() << "0 error(s), 0 warning(s), 0 note(s).";
    QTest::newRow("typing trap") << "typing-trap" << QStringList{"typing-trap", "typing-trap"} << "0x0B5 11-bit"
                                 << "CAN_Receive.xml:1" << "2 error(s), 0 warning(s), 0 note(s).";
    QTest::newRow("bad line") << "bad-log-line" << QStringList{"bad-log-line"} << QString() << "bus.log:6"
                              << "0 error(s), 1 warning(s), 0 note(s).";
}

void Tst_Bus_Windows::bus_check_lists_the_findings()
{
    QFETCH(QString, fixture);
    Project p(fixture);
    Message_Recorder messages;
    Bus_Check_Window check(p.State);
    check.FormShow();
    // The file chooser's answer is surveyed at once.
    check.Ask_Log_Path = [&] { return Survey_Dir + fixture + QStringLiteral("/bus.log"); };
    QTest::mouseClick(Get<QPushButton>(&check, "Btn_Browse"), Qt::LeftButton);
    QCOMPARE(messages.Errors, QStringList());
    QTEST(Codes(check), "codes");
    if (check.Table()->rowCount() > 0) {
        QTEST(check.Table()->item(0, 1)->text(), "frame");
        QTEST(check.Table()->item(0, 2)->text(), "detail");
        QVERIFY(!check.Table()->item(0, 0)->text().isEmpty());
    }
    QTEST(Get<QLabel>(&check, "L_Summary")->text(), "summary");
    // A new showing starts without the last findings; the log stays chosen.
    check.FormShow();
    QCOMPARE(check.Table()->rowCount(), 0);
    QVERIFY(!Get<QLineEdit>(&check, "E_Log")->text().isEmpty());
}

void Tst_Bus_Windows::bus_check_follows_the_language()
{
    Project p("timeout-too-short");
    Message_Recorder messages;
    Read_Language_File(p.State.Lang_Table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR "/Deutsch.lng"));
    const Installed_Translator installed(p.State.Lang_Table);
    Bus_Check_Window check(p.State);
    Get<QLineEdit>(&check, "E_Log")->setText(Survey_Dir + "timeout-too-short/bus.log");
    QTest::mouseClick(Get<QPushButton>(&check, "Btn_Run"), Qt::LeftButton);
    QCOMPARE(messages.Errors, QStringList());
    QCOMPARE(check.windowTitle(), QString("Buscheck"));
    QCOMPARE(check.Table()->horizontalHeaderItem(1)->text(), QString("Frame"));
    QCOMPARE(check.Table()->horizontalHeaderItem(2)->text(), QString("Detail"));
    QCOMPARE(Get<QLabel>(&check, "L_Summary")->text(), QString("1 Fehler, 0 Warnung(en), 0 Hinweis(e)."));
    QVERIFY2(check.Table()->item(0, 0)->text().startsWith("TimeOut 50 ms, aber die Frames kamen bis zu 100 ms auseinander"),
             qPrintable(check.Table()->item(0, 0)->text()));
}

void Tst_Bus_Windows::bus_check_asks_for_the_interface_of_a_log_of_several()
{
    Project p("several-buses");
    Message_Recorder messages;
    Bus_Check_Window check(p.State);
    check.show();
    Get<QLineEdit>(&check, "E_Log")->setText(Survey_Dir + "several-buses/bus.log");
    check.Btn_RunClick();
    QCOMPARE(Codes(check), QStringList{"several-buses"});
    auto *interfaces = Get<QComboBox>(&check, "CB_Interface");
    QVERIFY(interfaces->isVisible());
    QCOMPARE(interfaces->count(), 2);
    interfaces->setCurrentIndex(1);
    check.Btn_RunClick();
    QCOMPARE(Codes(check), QStringList{"other-bus-frames"});
    QCOMPARE(messages.Errors, QStringList());

    // A log that is no log is said in a box, and the list stays as it was.
    Get<QLineEdit>(&check, "E_Log")->setText(p.Dir.filePath("CAN_Receive.xml"));
    check.Btn_RunClick();
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors[0].startsWith("The recording was not read: "), qPrintable(messages.Errors[0]));
    QCOMPARE(Codes(check), QStringList{"other-bus-frames"});
}

void Tst_Bus_Windows::bus_check_is_a_step_of_the_main_window()
{
    Test_Workspace w;
    w.Start(Test_Workspace::Dialogs::On_First_Use);
    Main_Window &main = *w.window;
    auto *button = Get<QPushButton>(&main, "Btn_Bus_Check");
    QCOMPARE(button->text().remove(u'&'), QString("Bus check"));
    // Without an open configuration it says so, as every step does.
    Message_Recorder messages;
    main.Btn_Click(button);
    QCOMPARE(messages.Errors, QStringList{Not_Valid_Text(w.state)});
    QVERIFY(!main.Windows().Bus_Check);
    // With one, the window opens; its Close ends it.
    w.Open_Configuration(QStringLiteral("Machine"));
    QTimer::singleShot(0, [&] {
        QVERIFY(main.Windows().Bus_Check && main.Windows().Bus_Check->isVisible());
        main.Windows().Bus_Check->reject();
    });
    main.Btn_Click(button);
    QVERIFY(main.Windows().Bus_Check);
}

void Tst_Bus_Windows::learned_frames_wait_for_ok()
{
    Project p("clean");
    Message_Recorder messages;
    Receive_Frame_Editor editor(p.State);
    QVERIFY(editor.FormShow());
    const QByteArray file_before = Read_All(p.State.Files.CAN_Receive);
    QList<Import_Summary> reports;
    editor.Show_Report = [&reports](const Import_Summary &s) { reports << s; };
    editor.Ask_Log_Path = [] { return Survey_Dir + QStringLiteral("not-configured/bus.log"); };
    bool ran = false;
    editor.Run_Learn_Chooser = [&](Learn_Chooser &c) {
        ran = true;
        [&] {
            QCOMPARE(c.Listed(), (QStringList{"0x181 11-bit", "0x7FF 11-bit", "0x18FF0001 29-bit"}));
            QCOMPARE(c.Factor(), 3.0);
            c.Set_Filter("29");
            QCOMPARE(c.Shown(), QStringList{"0x18FF0001 29-bit"});
            c.Select_All();
            c.Set_Filter("7ff");
            c.Select_All();
            c.Set_Filter("");
            QCOMPARE(c.Chosen().size(), 2);
        }();
        c.Set_Factor(2);
        return true;
    };
    editor.Btn_LearnClick();
    QVERIFY(ran);
    QCOMPARE(messages.Errors, QStringList());
    const Frame_Grid grid = editor.Grid_Model()->Grid();
    // The fixture's list holds two frames: the learned ones follow them.
    QCOMPARE(grid[2], (Frame_Row{"0x7FF", "1", Frame_Type_11, "0", {}, {}, {}, {}}));
    QCOMPARE(grid[3], (Frame_Row{"0x18FF0001", "1", Frame_Type_29, "200", {}, {}, {}, {}}));
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports[0].Lines, (QStringList{"Frame row 3: 0x7FF", "Frame row 4: 0x18FF0001"}));
    QCOMPARE(Read_All(p.State.Files.CAN_Receive), file_before);
    editor.Btn_OKClick();
    QCOMPARE(messages.Errors, QStringList());
    const QList<Frame_Row> saved = Read_Frame_File(p.State.Files.CAN_Receive, Direction::Receive);
    QCOMPARE(saved.size(), 4);
    QCOMPARE(saved[3].CobID, QString("0x18FF0001"));

    // The transmit editor has no such button.
    Transmit_Frame_Editor transmit(p.State);
    QVERIFY(!transmit.findChild<QPushButton *>("Btn_Learn"));
}

void Tst_Bus_Windows::an_unreadable_log_is_said_and_changes_nothing()
{
    Project p("clean");
    Message_Recorder messages;
    Receive_Frame_Editor editor(p.State);
    QVERIFY(editor.FormShow());
    const Frame_Grid before = editor.Grid_Model()->Grid();
    editor.Ask_Log_Path = [&] { return p.Dir.filePath("none.log"); };
    editor.Run_Learn_Chooser = [](Learn_Chooser &) {
        qFatal("no chooser for a log that was not read");
        return false;
    };
    editor.Btn_LearnClick();
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors[0].contains("none.log"), qPrintable(messages.Errors[0]));
    QCOMPARE(editor.Grid_Model()->Grid(), before);
    // Cancel in the chooser: nothing changes either.
    editor.Ask_Log_Path = [] { return Survey_Dir + QStringLiteral("not-configured/bus.log"); };
    editor.Run_Learn_Chooser = [](Learn_Chooser &c) {
        c.Select_All();
        return false;
    };
    editor.Btn_LearnClick();
    QCOMPARE(editor.Grid_Model()->Grid(), before);
}

QTEST_MAIN(Tst_Bus_Windows)
#include "tst_bus_windows.moc"
