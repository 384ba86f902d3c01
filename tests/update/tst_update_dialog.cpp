// The update dialog as the user drives it: the address fields, the ping with a fake echo
// client and clock, the refusal of "Next", the options, and "Execute update firmware" that
// writes the job and starts the updater (a fake shell, and once the real stand-in updater).
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "Job_Fixture.h"
#include "app/TFVariroduvieFirmWare.h"
#include "platform/Clock.h"
#include "widgets/Desktop_Shell.h"
#include "platform/IcmpEcho.h"
#include "platform/Shell.h"
#include "test_config.h"
#include "dialogs/TFBootTCP.h"
#include "update/Update_Job.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class Tst_Update_Dialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void created_and_shown();
    void shown_with_stored_address_data();
    void shown_with_stored_address();
    void dot_moves_on_in_first_three_fields();
    void ping_outcome_data();
    void ping_outcome();
    void next_refused_without_a_successful_ping();
    void edited_address_needs_a_new_ping();
    void no_second_run_while_one_is_running();
    void check_boxes_kept_between_showings();
    void language_change_reaches_the_dialog();
    void execute_writes_job_and_starts_updater();
    void unwritable_job_is_reported_and_updater_not_started();
    void real_updater_checks_the_job();

private:
    void Show_Dialog();
    void Set_Fields(const QStringList &parts);
    void Reach_Options();
    // Clicks on the box itself (a click beside its text does not toggle it).
    void Click_Box(const char *name)
    {
        QCheckBox *box = Get<QCheckBox>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    template <class T> T *Get(const char *name) { return dialog_->findChild<T *>(QLatin1String(name)); }

    std::unique_ptr<Message_Recorder> messages_;
    std::unique_ptr<Test_Workspace> ws_;
    TFBootTCP *dialog_ = nullptr;
};

void Tst_Update_Dialog::init()
{
    messages_ = std::make_unique<Message_Recorder>();
    ws_ = std::make_unique<Test_Workspace>();
    ws_->Start();
    dialog_ = ws_->window->Windows().BootTCP;
    QVERIFY(dialog_);
}

void Tst_Update_Dialog::cleanup()
{
    dialog_ = nullptr;
    ws_.reset();
    messages_.reset();
}

void Tst_Update_Dialog::Show_Dialog()
{
    dialog_->hide();
    dialog_->show();
}

void Tst_Update_Dialog::Set_Fields(const QStringList &parts)
{
    for (int i = 0; i < 4; ++i)
        dialog_->findChild<QLineEdit *>(QStringLiteral("E_IP%1").arg(i + 1))->setText(parts[i]);
}

void Tst_Update_Dialog::Reach_Options()
{
    Show_Dialog();
    Set_Fields({"127", "0", "0", "1"});
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QVERIFY(dialog_->Ping_Succeeded());
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QVERIFY(Get<QPushButton>("Btn_Update")->isVisible());
}

void Tst_Update_Dialog::created_and_shown()
{
    // At creation every box is checked and every field holds "0".
    for (const char *name : {"CB_Firmware", "CB_Read_Firm", "CB_Conf", "CB_Read_Conf"})
        QVERIFY2(Get<QCheckBox>(name)->isChecked(), name);
    ws_->state.Device_IP.clear();
    Show_Dialog();
    for (const char *name : {"E_IP1", "E_IP2", "E_IP3", "E_IP4"})
        QCOMPARE(Get<QLineEdit>(name)->text(), QStringLiteral("0"));

    QCOMPARE(dialog_->size(), QSize(350, 233));
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Update Firmware from Etherner (UDP)"));
    QCOMPARE(Get<QLabel>("L_SW_Code")->text(), QStringLiteral("QCX3310"));
    QCOMPARE(Get<QLabel>("L_SW_Desc")->text(), QStringLiteral("Update Device from Ethernet (UDP)"));
    QCOMPARE(Get<QLabel>("L_IP_Address")->text(), QStringLiteral("Insert the IP Address of  QGW3310"));
    QCOMPARE(Get<QLabel>("L_Ping")->text(), QStringLiteral("Check the Connection the device"));
    QCOMPARE(Get<QLabel>("LPing")->text(), QString());

    for (const char *name : {"L_IP_Address", "E_IP1", "E_IP4", "L_Ping", "Btn_Ping", "LPing",
                             "Btn_Cancel", "Btn_Next"})
        QVERIFY2(Get<QWidget>(name)->isVisible(), name);
    for (const char *name : {"L_Options", "CB_Firmware", "CB_Read_Firm", "CB_Conf",
                             "CB_Read_Conf", "Btn_Update"})
        QVERIFY2(!Get<QWidget>(name)->isVisible(), name);
    // Edits without a visible text of their own are named for screen readers.
    QCOMPARE(Get<QLineEdit>("E_IP3")->accessibleName(), QStringLiteral("IP address, part 3"));

    QTest::mouseClick(Get<QPushButton>("Btn_Cancel"), Qt::LeftButton);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
}

void Tst_Update_Dialog::shown_with_stored_address_data()
{
    QTest::addColumn<QString>("device_ip");
    QTest::addColumn<QStringList>("fields");
    const QStringList kept{"5", "6", "7", "8"};
    QTest::newRow("plain") << "192.168.2.205" << QStringList{"192", "168", "2", "205"};
    QTest::newRow("blanks around parts") << " 10 . 1 .2. 3 " << QStringList{"10", "1", "2", "3"};
    QTest::newRow("two dots") << "10.1.2" << kept;
    QTest::newRow("part above 255") << "10.1.256.3" << kept;
    QTest::newRow("fourth part with a dot") << "10.1.2.3.4" << kept;
    QTest::newRow("empty") << "" << kept;
}

void Tst_Update_Dialog::shown_with_stored_address()
{
    QFETCH(QString, device_ip);
    QFETCH(QStringList, fields);
    ws_->state.Device_IP.clear();
    Show_Dialog();
    Set_Fields({"5", "6", "7", "8"});
    ws_->state.Device_IP = device_ip;
    Show_Dialog();
    QCOMPARE((QStringList{Get<QLineEdit>("E_IP1")->text(), Get<QLineEdit>("E_IP2")->text(),
                          Get<QLineEdit>("E_IP3")->text(), Get<QLineEdit>("E_IP4")->text()}),
             fields);
}

void Tst_Update_Dialog::dot_moves_on_in_first_three_fields()
{
    Show_Dialog();
    QApplication::setActiveWindow(dialog_);
    QVERIFY(QTest::qWaitForWindowActive(dialog_));
    Get<QLineEdit>("E_IP1")->clear();
    Get<QLineEdit>("E_IP1")->setFocus();
    // Each later field still holds "0": moving on selects it, so typing replaces it.
    for (QChar c : QStringLiteral("192.168.2.205.7"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QCOMPARE(Get<QLineEdit>("E_IP1")->text(), QStringLiteral("192"));
    QCOMPARE(Get<QLineEdit>("E_IP2")->text(), QStringLiteral("168"));
    QCOMPARE(Get<QLineEdit>("E_IP3")->text(), QStringLiteral("2"));
    // The fourth field takes the dot.
    QCOMPARE(Get<QLineEdit>("E_IP4")->text(), QStringLiteral("205.7"));
    QCOMPARE(QApplication::focusWidget(), Get<QWidget>("E_IP4"));
}

void Tst_Update_Dialog::ping_outcome_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("failing");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("found");

    QTest::newRow("device answers") << QStringList{"127", "0", "0", "1"} << QStringList()
                                    << "Device Found!" << QColor(0, 128, 0) << true;
    // The raw texts go to the echo client: blanks make another host, which stays silent.
    QTest::newRow("blanks reach the client") << QStringList{" 127", "0", "0", "1"} << QStringList()
                                             << "Device Not Found!" << QColor(Qt::red) << false;
    QTest::newRow("no address") << QStringList{"127", "0", "0", "x"} << QStringList{"127.0.0.x"}
                                << "Error!!! Check the Ip Address" << QColor(Qt::red) << false;
}

void Tst_Update_Dialog::ping_outcome()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, failing);
    QFETCH(QString, status);
    QFETCH(QColor, colour);
    QFETCH(bool, found);

    ws_->echo.Failing = failing;
    Show_Dialog();
    Set_Fields(fields);
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);

    const QString host = fields.join(QLatin1Char('.'));
    QVERIFY(!ws_->echo.Hosts.isEmpty());
    QCOMPARE(ws_->echo.Hosts.first(), host);
    QCOMPARE(ws_->echo.Payloads.first(), host.toUtf8());
    QLabel *lping = Get<QLabel>("LPing");
    QCOMPARE(lping->text(), status);
    QCOMPARE(lping->palette().color(QPalette::WindowText), colour);
    QCOMPARE(dialog_->Ping_Succeeded(), found);

    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    if (found) {
        QVERIFY(messages_->Errors.isEmpty());
        QCOMPARE(ws_->state.Device_IP, host);
        for (const char *name : {"L_IP_Address", "E_IP1", "E_IP2", "E_IP3", "E_IP4", "L_Ping",
                                 "Btn_Ping", "LPing", "Btn_Cancel", "Btn_Next"})
            QVERIFY2(!Get<QWidget>(name)->isVisible(), name);
        for (const char *name : {"L_Options", "CB_Firmware", "CB_Read_Firm", "CB_Conf",
                                 "CB_Read_Conf", "Btn_Update"})
            QVERIFY2(Get<QWidget>(name)->isVisible(), name);
        QCOMPARE(Get<QPushButton>("Btn_Update")->text(), QStringLiteral("Execute update firmware"));
    } else {
        QCOMPARE(messages_->Errors, QStringList{QStringLiteral("Device not found in network")});
        QVERIFY(Get<QWidget>("Btn_Ping")->isVisible());
        QCOMPARE(ws_->state.Device_IP, QStringLiteral("192.168.2.205"));
    }
}

void Tst_Update_Dialog::next_refused_without_a_successful_ping()
{
    Show_Dialog();
    Set_Fields({"127", "0", "0", "1"});
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.size(), 1);

    // A success, then the dialog is closed and opened again: a new ping is needed.
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QVERIFY(dialog_->Ping_Succeeded());
    Show_Dialog();
    QVERIFY(!dialog_->Ping_Succeeded());
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.size(), 2);
    QVERIFY(Get<QWidget>("Btn_Ping")->isVisible());
}

void Tst_Update_Dialog::edited_address_needs_a_new_ping()
{
    Show_Dialog();
    Set_Fields({"127", "0", "0", "1"});
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QCOMPARE(Get<QLabel>("LPing")->text(), QStringLiteral("Device Found!"));

    // The job must name the address that answered, not one typed after the ping.
    QTest::keyClicks(Get<QLineEdit>("E_IP4"), "0");
    QVERIFY(!dialog_->Ping_Succeeded());
    QCOMPARE(Get<QLabel>("LPing")->text(), QString());
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors, QStringList{QStringLiteral("Device not found in network")});

    ws_->echo.Answering = QStringList{QStringLiteral("127.0.0.10")};
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.size(), 1);
    QCOMPARE(ws_->state.Device_IP, QStringLiteral("127.0.0.10"));
}

void Tst_Update_Dialog::no_second_run_while_one_is_running()
{
    Show_Dialog();
    Set_Fields({"127", "0", "0", "2"});  // silent: the run lasts its ten (fake) seconds
    int checks = 0;
    ws_->echo.During = [&] {
        if (checks++ != 3) return;
        // Window events are handled between attempts; what a user can do then must not start
        // a second run, leave the address phase or close the dialog.
        for (const char *name : {"Btn_Ping", "Btn_Next", "Btn_Cancel"})
            QVERIFY2(!Get<QWidget>(name)->isEnabled(), name);
        QVERIFY(Get<QLineEdit>("E_IP2")->isReadOnly());
        QVERIFY(dialog_->Ping_Running());
        dialog_->LbButton1Click();
        dialog_->LbButton2Click();
        dialog_->reject();
        QVERIFY(dialog_->isVisible());
    };
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QVERIFY(checks > 3);
    QCOMPARE(ws_->echo.Hosts.size(), 25);  // one run, not two
    QVERIFY(messages_->Errors.isEmpty());
    QVERIFY(!dialog_->Ping_Running());
    for (const char *name : {"Btn_Ping", "Btn_Next", "Btn_Cancel"})
        QVERIFY2(Get<QWidget>(name)->isEnabled(), name);
    QVERIFY(!Get<QLineEdit>("E_IP2")->isReadOnly());
    QCOMPARE(Get<QLabel>("LPing")->text(), QStringLiteral("Device Not Found!"));
}

void Tst_Update_Dialog::check_boxes_kept_between_showings()
{
    Reach_Options();
    Click_Box("CB_Firmware");
    Click_Box("CB_Read_Conf");
    dialog_->reject();
    Reach_Options();
    QVERIFY(!Get<QCheckBox>("CB_Firmware")->isChecked());
    QVERIFY(Get<QCheckBox>("CB_Read_Firm")->isChecked());
    QVERIFY(Get<QCheckBox>("CB_Conf")->isChecked());
    QVERIFY(!Get<QCheckBox>("CB_Read_Conf")->isChecked());
}

void Tst_Update_Dialog::language_change_reaches_the_dialog()
{
    Show_Dialog();
    ws_->state.Lang_Table.Items[57] = QStringLiteral("Aggiornamento");
    ws_->state.Lang_Table.Items[58] = QStringLiteral("Indirizzo del");
    ws_->state.Lang_Table.Items[60] = QStringLiteral("Verifica");
    ws_->state.Lang_Table.Items[68] = QStringLiteral("Esegui");
    ws_->window->Change_Language();
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("Aggiornamento"));
    QCOMPARE(Get<QPushButton>("Btn_Ping")->text(), QStringLiteral("Verifica"));
    QCOMPARE(Get<QPushButton>("Btn_Update")->text(), QStringLiteral("Esegui"));
    // The prompt follows at the next showing.
    QCOMPARE(Get<QLabel>("L_IP_Address")->text(), QStringLiteral("Insert the IP Address of  QGW3310"));
    Show_Dialog();
    QCOMPARE(Get<QLabel>("L_IP_Address")->text(), QStringLiteral("Indirizzo del QGW3310"));
}

void Tst_Update_Dialog::execute_writes_job_and_starts_updater()
{
    ws_->state.Dir_Project = ws_->state.Dir_Projects + QStringLiteral("/Line 1");
    Reach_Options();
    Click_Box("CB_Read_Firm");
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);

    const QString job = Update_Job_Path(ws_->state.Dir_Exe);
    QCOMPARE(Read_All(job), Job_Fixture(QStringLiteral("job_all_configuration_readback.xml"), ws_->dir.path()));
    // No parameter, shown normally.
    QCOMPARE(ws_->shell.Started, QStringList{Updater_Path(ws_->state.Dir_Exe) + QStringLiteral("||0")});
    QVERIFY(messages_->Errors.isEmpty());

    // A second click writes the job afresh from the boxes as they are now: without the
    // configuration, its read-back no longer matters.
    Click_Box("CB_Conf");
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QCOMPARE(Read_All(job), Job_Fixture(QStringLiteral("job_firmware.xml"), ws_->dir.path()));
    QCOMPARE(ws_->shell.Started.size(), 2);
    QVERIFY(dialog_->isVisible());
}

void Tst_Update_Dialog::unwritable_job_is_reported_and_updater_not_started()
{
    Reach_Options();
    const QString job = Update_Job_Path(ws_->state.Dir_Exe);
    QVERIFY(QDir().mkdir(job));  // a folder in the file's place
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.size(), 1);
    QVERIFY2(messages_->Errors[0].contains(job), qPrintable(messages_->Errors[0]));
    QVERIFY(messages_->Errors[0].contains(QStringLiteral("not started")));
    QVERIFY(ws_->shell.Started.isEmpty());
    QVERIFY(dialog_->isVisible());
}

void Tst_Update_Dialog::real_updater_checks_the_job()
{
    Real_Shell real_shell;
    Real_Clock real_clock;
    ws_->env.shell = &real_shell;
    // The echo stays fake: the fake clock runs the ping, the real one waits for the updater.

    const QString updater = Updater_Path(ws_->state.Dir_Exe);
    QVERIFY2(QFile::copy(Updater_Path(QStringLiteral(QCX_WORKSPACE_DIR)), updater),
             "build the Ethernet_Update target first");
    ws_->state.Dir_Project = ws_->state.Dir_Projects + QStringLiteral("/Line1");
    QVERIFY(QDir().mkpath(ws_->state.Dir_Project + QStringLiteral("/bin")));
    QByteArray bank1(2048, '\0');
    bank1[0] = '\x10';
    bank1[0x7FC] = '\x10';
    Write_All(Bank1_Image_Path(ws_->state.Dir_Project), bank1);
    Write_All(Bank2_Image_Path(ws_->state.Dir_Project), QByteArray());

    Reach_Options();
    ws_->env.clock = &real_clock;
    const QString log_path = ws_->state.Dir_Exe + QStringLiteral("/Ethernet_Update.log");

    // Firmware is checked, but MASTER holds no firmware image: the updater refuses the job.
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QString log = QString::fromUtf8(Read_All(log_path));
    QVERIFY2(log.contains(QStringLiteral("Verdict: rejected: the image ")) &&
                 log.contains(QStringLiteral("QFW3310.sim is missing")),
             qPrintable(log));

    Click_Box("CB_Firmware");
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    log = QString::fromUtf8(Read_All(log_path));
    QVERIFY2(log.contains(QStringLiteral("Device: 127.0.0.1\n")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Operation 1: file %1, start address 0x68000")
                              .arg(Bank1_Image_Path(ws_->state.Dir_Project))),
             qPrintable(log));
    QVERIFY2(log.endsWith(QStringLiteral("Verdict: valid job with 2 operation(s)\n")), qPrintable(log));
    QVERIFY(messages_->Errors.isEmpty());
}

QTEST_MAIN(Tst_Update_Dialog)
#include "tst_update_dialog.moc"
