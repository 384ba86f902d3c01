// The Bus check window records a live bus (a private virtual bus here) through qcx3310-cli
// can-record and surveys the recording; Stop ends a recording early and writes what was heard; a
// bus that cannot be opened is said, and no log is left.
#include "Running_Program.h"
#include "Test_Support.h"
#include "test_config.h"

#include "config/Project_Files.h"
#include "dialogs/Bus_Check_Window.h"
#include "dialogs/Bus_Recorder.h"
#include "lang/Lang_Table.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <memory>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

class Tst_Bus_Recorder : public QObject {
    Q_OBJECT
private slots:
    void a_recording_is_surveyed();
    void stop_keeps_what_was_heard();
    void a_bus_that_cannot_be_opened_is_said();
    void enter_in_a_field_does_that_fields_job_only();
};

namespace {

const QString Cli = QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli");
const QString Survey_Dir = QStringLiteral(QCX_TEST_DATA_DIR "/bus/survey/");

// The typing trap's configuration, and a recording of its bus played on a private virtual bus
// over and over (can-play holds the bus, so the recorder joins it).
struct Bus_Fixture {
    QTemporaryDir Dir;
    App_State State;
    QString Bus = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port());
    std::unique_ptr<Running_Program> Player;

    Bus_Fixture()
    {
        Load_Default_Language(State.Lang_Table);
        State.Project_Name = QStringLiteral("Test");
        State.Dir_Project = Dir.filePath("conf");
        QDir().mkpath(State.Dir_Project);
        Set_Files(State);
        for (const char *name : {"CAN_Receive.xml", "CAN_Transmit.xml"})
            QFile::copy(Survey_Dir + "typing-trap/" + QLatin1String(name), State.Dir_Project + '/' + QLatin1String(name));
    }
    void Play()
    {
        Player = std::make_unique<Running_Program>(Cli, QStringList{"can-play", Survey_Dir + "typing-trap/bus.log", Bus, "--loop", "--speed", "5"});
        QVERIFY(!Player->Wait_Line("playing", Running_Program::Standard_Error).isEmpty());
    }
};

Bus_Recorder *Recorder_Of(Bus_Check_Window &check, const QString &bus, const QString &log)
{
    Bus_Recorder *r = check.Recorder();
    r->Cli_Path = Cli;
    r->Ask_Record_Path = [log](const QString &) { return log; };
    r->Interface_Edit()->setText(bus);
    return r;
}

}  // namespace

void Tst_Bus_Recorder::a_recording_is_surveyed()
{
    Bus_Fixture f;
    f.Play();
    Message_Recorder messages;
    Bus_Check_Window check(f.State);
    check.FormShow();
    const QString log = f.Dir.filePath("bus.log");
    Bus_Recorder *r = Recorder_Of(check, f.Bus, log);
    r->Seconds_Box()->setValue(1);
    QSignalSpy done(r, &Bus_Recorder::Recorded);
    QTest::mouseClick(check.findChild<QPushButton *>("Btn_Record"), Qt::LeftButton);
    // While it records, the log row waits and the button stops it.
    QVERIFY(r->Recording());
    QVERIFY(!check.findChild<QLineEdit *>("E_Log")->isEnabled());
    QCOMPARE(check.findChild<QPushButton *>("Btn_Record")->text().remove('&'), QString("Stop"));
    QVERIFY(done.wait(20000));
    QCOMPARE(messages.Errors, QStringList());
    QCOMPARE(check.findChild<QLineEdit *>("E_Log")->text(), QDir::toNativeSeparators(log));
    QVERIFY(check.findChild<QLineEdit *>("E_Log")->isEnabled());
    QCOMPARE(check.findChild<QPushButton *>("Btn_Record")->text().remove('&'), QString("Record"));
    // The recording is a candump log of the played frames, and the trap is found in it.
    QFile written(log);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY2(written.readAll().contains("/can0 181#"), qPrintable(log));
    QVERIFY(check.Table()->rowCount() > 0);
    QCOMPARE(check.Table()->item(0, 0)->data(Qt::UserRole).toString(), QString("typing-trap"));
}

void Tst_Bus_Recorder::stop_keeps_what_was_heard()
{
    Bus_Fixture f;
    f.Play();
    Message_Recorder messages;
    Bus_Check_Window check(f.State);
    const QString log = f.Dir.filePath("stopped.log");
    Bus_Recorder *r = Recorder_Of(check, f.Bus, log);
    r->Seconds_Box()->setValue(3600);
    QSignalSpy listening(r, &Bus_Recorder::Listening);
    QSignalSpy done(r, &Bus_Recorder::Recorded);
    r->Btn_RecordClick();
    QVERIFY(listening.wait(15000));
    QTest::mouseClick(check.findChild<QPushButton *>("Btn_Record"), Qt::LeftButton);
    QVERIFY(done.wait(15000));
    // The log is written (however few frames came before Stop) and surveyed: findings, or the
    // word that it holds no frame.
    QVERIFY(QFile::exists(log));
    QVERIFY(!r->Recording());
    QVERIFY(check.Table()->rowCount() > 0 || messages.Errors.size() == 1);
}

void Tst_Bus_Recorder::a_bus_that_cannot_be_opened_is_said()
{
    Bus_Fixture f;
    Message_Recorder messages;
    Bus_Check_Window check(f.State);
    const QString log = f.Dir.filePath("none.log");
    Bus_Recorder *r = Recorder_Of(check, QStringLiteral("nosuchplugin:can0"), log);
    QSignalSpy failed(r, &Bus_Recorder::Failed);
    r->Btn_RecordClick();
    QVERIFY(failed.wait(15000));
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors[0].startsWith("The bus could not be recorded: ") && messages.Errors[0].contains("nosuchplugin"),
             qPrintable(messages.Errors[0]));
    QVERIFY(!QFile::exists(log));
    QVERIFY(!r->Recording());
    QVERIFY(check.findChild<QPushButton *>("Btn_Run")->isEnabled());

    // A recording program that is not there is said too.
    r->Cli_Path = f.Dir.filePath("no-such-program");
    r->Btn_RecordClick();
    QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 2, 15000);
    QVERIFY2(messages.Errors.value(1).contains("no-such-program"), qPrintable(messages.Errors.value(1)));
    QVERIFY(!r->Recording());
}

void Tst_Bus_Recorder::enter_in_a_field_does_that_fields_job_only()
{
    // Enter in the log field surveys the log; it must not also press a button of the window
    // (the file chooser, or Close).
    Bus_Fixture f;
    Message_Recorder messages;
    Bus_Check_Window check(f.State);
    check.show();
    QVERIFY(QTest::qWaitForWindowExposed(&check));
    int asked = 0;
    check.Ask_Log_Path = [&] {
        ++asked;
        return QString();
    };
    auto *log = check.findChild<QLineEdit *>("E_Log");
    log->setText(Survey_Dir + "typing-trap/bus.log");
    log->setFocus();
    QTest::keyClick(log, Qt::Key_Return);
    QCOMPARE(asked, 0);
    QVERIFY(check.isVisible());
    QVERIFY(check.Table()->rowCount() > 0);
    // Enter in the bus field starts a recording only (a bus that does not exist: it says so).
    Bus_Recorder *r = Recorder_Of(check, QStringLiteral("nosuchplugin:can0"), f.Dir.filePath("x.log"));
    QSignalSpy failed(r, &Bus_Recorder::Failed);
    QTest::keyClick(r->Interface_Edit(), Qt::Key_Return);
    QVERIFY(failed.wait(15000));
    QCOMPARE(asked, 0);
    QVERIFY(check.isVisible());
}

QTEST_MAIN(Tst_Bus_Recorder)
#include "tst_bus_recorder.moc"
