// Every window in every shipped language, offscreen: each label, button, check box, group title
// and column title must be at least as wide as its text needs, the window as wide as the window
// manager needs to write its title, and each line of a report as high as its wrapped reason
// needs, at the size the window opens with and made narrower or wider, so no translation is
// cut off.
#include "Shipped_Language.h"
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "Text_Fit.h"
#include "app/Main_Window.h"
#include "dialogs/About_Dialog.h"
#include "dialogs/Update_Dialog.h"
#include "dialogs/Bus_Check_Window.h"
#include "dialogs/Check_Window.h"
#include "dialogs/Dbc_Chooser.h"
#include "dialogs/Mapping_Editor.h"
#include "dialogs/Frame_List_Editor.h"
#include "dialogs/Import_Report_Window.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_Direction_Import.h"
#include "dialogs/Monitor_Window.h"
#include "dialogs/New_Configuration_Dialog.h"
#include "dialogs/Open_Configuration_Dialog.h"
#include "dialogs/Settings_Dialog.h"
#include "dialogs/Options_Dialog.h"
#include "widgets/Mnemonics.h"
#include "test_config.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

// A reason as long as the check's longest, with a path in it that no word break can split.
const QString Long_Reason = QStringLiteral(
    "Cob-ID 181 in plain digits is decimal, so the device reads 0x0B5; the same digits read as "
    "hexadecimal name the frame in /home/engineer/configurations/Line_4_Conveyor_Drives/CAN_Receive.xml, "
    "row 12. Write 0x181 if that frame is meant.");

}  // namespace

class Tst_Every_Language_Fits : public QObject {
    Q_OBJECT

private slots:
    void every_window_fits_its_texts_data()
    {
        QTest::addColumn<QString>("language");
        for (const QString &name : Test_Workspace::Shipped_Languages()) QTest::newRow(qPrintable(name)) << name;
    }

    void every_window_fits_its_texts()
    {
        QFETCH(QString, language);
        Test_Workspace f;
        f.Copy_Shipped_Languages();
        f.Start();
        // The core's messages (check and survey findings, import reasons) in the language too,
        // as the program has them: they are often the longest texts of a window.
        const Installed_Translator core_texts(f.state.Lang_Table);
        f.Open_Configuration(QStringLiteral("Fit"), QStringLiteral("images/example"));
        f.Switch_Language(language);
        Message_Recorder messages;  // warnings on opening an editor are answered, not shown

        QStringList cut;
        auto check = [&](const QString &where, QWidget *window) {
            QCoreApplication::processEvents();
            for (const QString &c : Cut_Texts(window) + Cut_Title(window) + Cut_Cells(window))
                cut.append(where + QStringLiteral(": ") + c);
        };
        // QCX_TEST_SHOTS=FOLDER keeps a picture of each window looked at, for a person to see.
        const QString shots = qEnvironmentVariable("QCX_TEST_SHOTS");
        auto look = [&](const QString &where, QWidget *window) {
            window->show();
            check(where, window);
            if (!shots.isEmpty())
                window->grab().save(QStringLiteral("%1/%2 - %3.png").arg(shots, language, QString(where).replace(u'/', u'-')));
        };
        // A window the user can resize shows its reports whole at any width: narrowed to what
        // its layout allows, and widened.
        auto resized = [&](const QString &where, QWidget *window) {
            const QSize opened = window->size();
            for (const int width : {window->minimumSizeHint().width(), opened.width() + 300}) {
                window->resize(std::max(width, window->minimumWidth()), opened.height());
                check(QStringLiteral("%1 at %2 px").arg(where).arg(window->width()), window);
            }
            window->resize(opened);
        };

        look(QStringLiteral("main window"), f.window.get());
        App_Windows &w = f.window->Windows();
        const QList<QPair<QString, QDialog *>> dialogs = {
            {"new configuration", (w.New_Configuration)},
            {"open configuration", (w.Open_Configuration)},
            {"About", (w.About)},
            {"settings", (w.Settings)},
            {"receive frames", (w.Receive_Frames)},
            {"transmit frames", (w.Transmit_Frames)},
            {"receive mappings", (w.Receive_Mappings)},
            {"transmit mappings", (w.Transmit_Mappings)},
        };
        for (const auto &[where, dialog] : dialogs) {
            look(where, dialog);
            dialog->hide();
        }

        // The report of a sheet import with faults.
        Import_Report_Window report(f.state, {{3, QStringLiteral("a fault")}, {7, Long_Reason}}, f.window.get());
        look(QStringLiteral("import report"), &report);
        resized(QStringLiteral("import report"), &report);
        {
            // The long line wraps inside the report instead of running past its right edge.
            auto *lines = report.findChild<QPlainTextEdit *>(QStringLiteral("M_Lines"));
            QVERIFY(lines);
            QVERIFY2(!lines->horizontalScrollBar()->isVisible(), qPrintable(language));
        }
        report.hide();
        // The report of a completed import, which only closes.
        Import_Report_Window done(f.state, Import_Summary{QStringLiteral("2 frame(s) taken, 0 left out."), {QStringLiteral("Frame row 1: A")}},
                             f.window.get());
        look(QStringLiteral("import report, done"), &done);
        done.hide();

        // The chooser of a CAN database's messages, with the time-out factor and the first
        // register, and with the first register alone.
        const QList<Dbc_Message> database = Read_Dbc_File(QStringLiteral(QCX_TEST_DATA_DIR "/dbc/vehicle.dbc")).Messages;
        for (const Direction d : {Direction::Receive, Direction::Transmit}) {
            // With the counts of reachable signals the editors give it for an empty list.
            Dbc_Chooser chooser(f.state, d, database, Signals_To_Map(database, Empty_Frame_Grid(), {}, d), {},
                                f.window.get());
            look(d == Direction::Transmit ? QStringLiteral("database messages, transmit")
                                          : QStringLiteral("database messages, receive"),
                 &chooser);
            chooser.hide();
        }

        // Both pages of the options.
        QDialog *options = w.Options;
        auto *pages = options->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
        for (int page = 0; page < pages->count(); ++page) {
            options->show();
            pages->setCurrentIndex(page);
            look(QStringLiteral("options page %1").arg(page + 1), options);
        }
        options->hide();

        // The check window with a finding in it.
        w.Check->Show_Findings({{Check_Severity::Warning, QStringLiteral("CAN_Receive.xml"), 1,
                                 QStringLiteral("code"), QStringLiteral("A finding")},
                                {Check_Severity::Warning, QStringLiteral("CAN_Receive.xml"), 12,
                                 QStringLiteral("code"), Long_Reason}});
        look(QStringLiteral("check"), w.Check);
        resized(QStringLiteral("check"), w.Check);
        w.Check->hide();

        // The update dialog's two phases: the address, then (after a ping) the options.
        f.state.Device_IP = QStringLiteral("127.0.0.1");
        w.Update->show();
        look(QStringLiteral("update, address"), w.Update);
        w.Update->Ping_Click();
        w.Update->Next_Click();
        look(QStringLiteral("update, options"), w.Update);
        w.Update->hide();

        // The monitor with the configuration's registers, not connected and asked to connect (the
        // button then reads "Disconnect"); the address is this machine's, never a device's.
        f.state.Device_IP = QStringLiteral("127.0.0.1");
        w.Monitor->Show_Monitor();
        look(QStringLiteral("monitor"), w.Monitor);
        auto *monitor_port = w.Monitor->findChild<QSpinBox *>(QStringLiteral("SE_Port"));
        monitor_port->setValue(9);  // the discard port: nothing listens, so it stays unconnected
        w.Monitor->Btn_ConnectClick();
        look(QStringLiteral("monitor, connecting"), w.Monitor);
        resized(QStringLiteral("monitor"), w.Monitor);
        w.Monitor->close();

        // The bus check's findings, from a recording whose frames come slower than the
        // configuration expects (its frame lists replace the example's, so it comes last).
        const QString survey = QStringLiteral(QCX_TEST_DATA_DIR "/bus/survey/timeout-too-short/");
        const QString frames = QDir(f.state.Dir_Project).filePath(QStringLiteral("CAN_Receive.xml"));
        QFile::remove(frames);
        QVERIFY(QFile::copy(survey + QStringLiteral("CAN_Receive.xml"), frames));
        Bus_Check_Window bus(f.state, f.window.get());
        bus.show();
        bus.findChild<QLineEdit *>(QStringLiteral("E_Log"))->setText(survey + QStringLiteral("bus.log"));
        bus.Btn_RunClick();
        QVERIFY(bus.Table()->rowCount() > 0);
        look(QStringLiteral("bus check"), &bus);
        resized(QStringLiteral("bus check"), &bus);
        bus.hide();

        for (const QString &c : cut) qWarning("%s", qPrintable(c));
        QVERIFY2(cut.isEmpty(), qPrintable(QStringLiteral("%1 texts are cut off (listed above)").arg(cut.size())));
    }
};

QTEST_MAIN(Tst_Every_Language_Fits)
#include "tst_every_language_fits.moc"
