// The update dialog as the user drives it: the address fields, the ping with a fake echo
// client and clock (its progress, and stopping it), the refusal of "Next", the options, and
// "Execute update firmware" that writes the job, starts the updater (a fake shell, and once the
// real stand-in updater) and tells how it went. Every text fits in every shipped language.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "Job_Fixture.h"
#include "app/Main_Window.h"
#include "platform/Clock.h"
#include "widgets/Desktop_Shell.h"
#include "platform/Icmp_Echo.h"
#include "platform/Shell.h"
#include "test_config.h"
#include "dialogs/Update_Dialog.h"
#include "update/Update_Job.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QStyle>
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
    void next_says_why_it_refuses_data();
    void next_says_why_it_refuses();
    void edited_address_needs_a_new_ping();
    void no_second_run_while_one_is_running();
    void ping_shows_its_attempts_and_stops_data();
    void ping_shows_its_attempts_and_stops();
    void opens_in_the_first_field_and_enter_pings();
    void execute_needs_an_operation();
    void check_boxes_kept_between_showings();
    void language_change_reaches_the_dialog();
    void execute_writes_job_and_starts_updater();
    void unwritable_job_is_reported_and_updater_not_started();
    void update_result_data();
    void update_result();
    void close_ends_a_successful_update();
    void update_result_follows_the_language();
    void wait_for_the_updater_counts_seconds();
    void real_updater_checks_the_job();
    void texts_fit_data();
    void texts_fit();

private:
    void Show_Dialog();
    // A new workspace whose LANGUAGE folder holds the shipped files, in that language.
    void Restart_In(const QString &language)
    {
        cleanup();
        messages_ = std::make_unique<Message_Recorder>();
        ws_ = std::make_unique<Test_Workspace>();
        ws_->Copy_Shipped_Languages();
        ws_->Start();
        ws_->Switch_Language(language);
        dialog_ = ws_->window->Windows().Update;
    }
    void Put_Firmware_Image() { Write_All(Firmware_Image_Path(ws_->state.Dir_Master), QByteArray(256, '\x3C')); }
    QString Label_Text(const char *name) { return Get<QLabel>(name)->text(); }
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
    Update_Dialog *dialog_ = nullptr;
};

void Tst_Update_Dialog::init()
{
    messages_ = std::make_unique<Message_Recorder>();
    ws_ = std::make_unique<Test_Workspace>();
    ws_->Start();
    dialog_ = ws_->window->Windows().Update;
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

    // As drawn, widened only as far as the window manager needs to write the title whole.
    QCOMPARE(dialog_->height(), 233);
    QCOMPARE(dialog_->width(), std::max(350, Title_Width_Need(dialog_)));
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
    QCOMPARE(Get<QLineEdit>("E_IP3")->accessibleName(), QStringLiteral("IP ADDRESS 3"));

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

    // "Next" repeats why it cannot go on: nothing answered, or the address is none.
    const bool found_no = failing.isEmpty();
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
        QCOMPARE(Shown_Text(Get<QPushButton>("Btn_Update")->text()), QStringLiteral("Execute update firmware"));
    } else {
        QCOMPARE(messages_->Errors, QStringList{found_no ? QStringLiteral("Device not found in network") : status});
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

void Tst_Update_Dialog::next_says_why_it_refuses_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("before");  // "nothing", "silent ping", "silent ping, then an edit"
    QTest::addColumn<QString>("said");
    const QString none = QStringLiteral("No ping of this address has been completed yet. Press \"Ping\" to check that the device answers there.");
    QTest::newRow("no ping") << "English" << "nothing" << none;
    QTest::newRow("a ping that found nothing") << "English" << "silent ping" << "Device not found in network";
    // The ping found nothing at the address before the edit; of this one nothing is known.
    QTest::newRow("an edit after the ping") << "English" << "silent ping, then an edit" << none;
    QTest::newRow("no ping, Deutsch") << "Deutsch" << "nothing"
        << "Für diese Adresse wurde noch kein Ping abgeschlossen. Drücken Sie „Ping“, um zu prüfen, ob das Gerät dort antwortet.";
    QTest::newRow("no ping, Italiano") << "Italiano" << "nothing"
        << "Per questo indirizzo non è ancora stato completato alcun ping. Premere «Ping» per verificare che il dispositivo risponda.";
}

void Tst_Update_Dialog::next_says_why_it_refuses()
{
    QFETCH(QString, language);
    QFETCH(QString, before);
    QFETCH(QString, said);
    if (language != QLatin1String("English")) Restart_In(language);
    Show_Dialog();
    Set_Fields({"127", "0", "0", "2"});  // silent
    if (before != QLatin1String("nothing")) QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    if (before.endsWith(QLatin1String("an edit"))) {
        QTest::keyClicks(Get<QLineEdit>("E_IP4"), "0");
        // The status said of the old address goes with it.
        QCOMPARE(Label_Text("LPing"), QString());
    }
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors, QStringList{said});
    QVERIFY(Get<QWidget>("Btn_Ping")->isVisible());
}

void Tst_Update_Dialog::edited_address_needs_a_new_ping()
{
    Show_Dialog();
    Set_Fields({"127", "0", "0", "1"});
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QCOMPARE(Get<QLabel>("LPing")->text(), QStringLiteral("Device Found!"));

    // The job must name the address that answered, not one typed after the ping; "Next" says
    // why it refuses (the device was found, so "not found" would be untrue).
    QTest::keyClicks(Get<QLineEdit>("E_IP4"), "0");
    QVERIFY(!dialog_->Ping_Succeeded());
    QCOMPARE(Get<QLabel>("LPing")->text(), QString());
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    const QString changed =
        QStringLiteral("The address has changed since the ping. Press \"Ping\" to check the new address.");
    QCOMPARE(messages_->Errors, QStringList{changed});

    // A ping of the new address that finds nothing: now the device is indeed not found.
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors, (QStringList{changed, QStringLiteral("Device not found in network")}));

    ws_->echo.Answering = QStringList{QStringLiteral("127.0.0.10")};
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.size(), 2);
    QCOMPARE(ws_->state.Device_IP, QStringLiteral("127.0.0.10"));

    // Opening the dialog again fills the fields from the stored address: no edit of the user's,
    // and no ping of this opening yet.
    Show_Dialog();
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.last(), QStringLiteral("No ping of this address has been completed yet. Press \"Ping\" to check that the device answers there."));
}

void Tst_Update_Dialog::no_second_run_while_one_is_running()
{
    Show_Dialog();
    Set_Fields({"127", "0", "0", "2"});  // silent: the run lasts its ten (fake) seconds
    int checks = 0;
    ws_->echo.During = [&] {
        if (checks++ != 3) return;
        // Window events are handled between attempts; what a user can do then must not start
        // a second run or leave the address phase (Cancel stops the run: tested below).
        for (const char *name : {"Btn_Ping", "Btn_Next"})
            QVERIFY2(!Get<QWidget>(name)->isEnabled(), name);
        QVERIFY(Get<QWidget>("Btn_Cancel")->isEnabled());
        QVERIFY(Get<QLineEdit>("E_IP2")->isReadOnly());
        QVERIFY(dialog_->Ping_Running());
        dialog_->Ping_Click();
        dialog_->Next_Click();
        QTest::keyClick(Get<QLineEdit>("E_IP4"), Qt::Key_Return);
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
    QCOMPARE(Shown_Text(Get<QPushButton>("Btn_Ping")->text()), QStringLiteral("Verifica"));
    QCOMPARE(Shown_Text(Get<QPushButton>("Btn_Update")->text()), QStringLiteral("Esegui"));
    // The prompt follows at the next showing.
    QCOMPARE(Get<QLabel>("L_IP_Address")->text(), QStringLiteral("Insert the IP Address of  QGW3310"));
    Show_Dialog();
    QCOMPARE(Get<QLabel>("L_IP_Address")->text(), QStringLiteral("Indirizzo del QGW3310"));
}

void Tst_Update_Dialog::execute_writes_job_and_starts_updater()
{
    ws_->state.Dir_Project = ws_->state.Dir_Projects + QStringLiteral("/Line 1");
    Put_Firmware_Image();
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
    Put_Firmware_Image();
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

void Tst_Update_Dialog::ping_shows_its_attempts_and_stops_data()
{
    QTest::addColumn<bool>("by_escape");  // else by Cancel
    QTest::newRow("Escape") << true;
    QTest::newRow("Cancel") << false;
}

void Tst_Update_Dialog::ping_shows_its_attempts_and_stops()
{
    QFETCH(bool, by_escape);
    Show_Dialog();
    Set_Fields({"127", "0", "0", "2"});  // silent
    QString status, spoken;
    bool busy = false;
    ws_->echo.During = [&] {
        if (ws_->echo.Calls != 3) return;
        // A silent address takes ten seconds: the user sees the run go on and can stop it.
        status = Label_Text("LPing");
        spoken = QAccessible::queryAccessibleInterface(Get<QLabel>("LPing"))->text(QAccessible::Name);
        busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        if (by_escape)
            QTest::keyClick(dialog_, Qt::Key_Escape);
        else
            QTest::mouseClick(Get<QPushButton>("Btn_Cancel"), Qt::LeftButton);
    };
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);

    QCOMPARE(status, QStringLiteral("Pinging… attempt 3 of 25"));
    QCOMPARE(spoken, status);
    QVERIFY(busy);
    // The attempt under way ends; no further one starts.
    QCOMPARE(ws_->echo.Calls, 3);
    QVERIFY(!dialog_->Ping_Running());
    QVERIFY(!dialog_->Ping_Succeeded());
    QCOMPARE(Label_Text("LPing"), QStringLiteral("Ping stopped"));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(dialog_->isVisible());
    // A stopped run found nothing either way: "not found" would be untrue.
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QCOMPARE(messages_->Errors, QStringList{QStringLiteral("No ping of this address has been completed yet. Press \"Ping\" to check that the device answers there.")});

    // With no run going on, Escape closes the dialog as before.
    QTest::keyClick(dialog_, Qt::Key_Escape);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(dialog_->result(), int(QDialog::Rejected));
}

void Tst_Update_Dialog::opens_in_the_first_field_and_enter_pings()
{
    ws_->state.Device_IP = QStringLiteral("127.0.0.1");
    Show_Dialog();
    QApplication::setActiveWindow(dialog_);
    QVERIFY(QTest::qWaitForWindowActive(dialog_));
    QCOMPARE(QApplication::focusWidget(), Get<QWidget>("E_IP1"));
    // The stored address is selected: typing replaces it.
    QCOMPARE(Get<QLineEdit>("E_IP1")->selectedText(), QStringLiteral("127"));

    QTest::keyClick(Get<QLineEdit>("E_IP3"), Qt::Key_Return);
    QCOMPARE(ws_->echo.Hosts.value(0), QStringLiteral("127.0.0.1"));
    QVERIFY(dialog_->Ping_Succeeded());
    QVERIFY(dialog_->isVisible());
    // The status is read out as it is shown, and the row's caption describes it.
    QLabel *lping = Get<QLabel>("LPing");
    QCOMPARE(lping->text(), QStringLiteral("Device Found!"));
    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(lping);
    QVERIFY(spoken);
    QCOMPARE(spoken->text(QAccessible::Name), QStringLiteral("Device Found!"));
    QCOMPARE(spoken->text(QAccessible::Description), QStringLiteral("Check the Connection the device"));
}

void Tst_Update_Dialog::execute_needs_an_operation()
{
    Put_Firmware_Image();
    Reach_Options();
    QPushButton *execute = Get<QPushButton>("Btn_Update");
    QVERIFY(execute->isEnabled());
    QVERIFY(Get<QCheckBox>("CB_Read_Firm")->isEnabled());

    // Without its write a read-back box has nothing to read: it waits, keeping its mark.
    Click_Box("CB_Firmware");
    QVERIFY(!Get<QCheckBox>("CB_Read_Firm")->isEnabled());
    QVERIFY(Get<QCheckBox>("CB_Read_Firm")->isChecked());
    QVERIFY(execute->isEnabled());
    Click_Box("CB_Conf");
    QVERIFY(!Get<QCheckBox>("CB_Read_Conf")->isEnabled());
    QVERIFY(!execute->isEnabled());
    QTest::mouseClick(execute, Qt::LeftButton);
    dialog_->Update_Click();
    QVERIFY(ws_->shell.Started.isEmpty());
    QVERIFY(!QFileInfo::exists(Update_Job_Path(ws_->state.Dir_Exe)));

    Click_Box("CB_Firmware");
    QVERIFY(execute->isEnabled());
    QVERIFY(Get<QCheckBox>("CB_Read_Firm")->isEnabled());
    // Firmware with its read-back, the configuration's read-back box off with its write.
    const Update_Options options = dialog_->Options();
    QVERIFY(options.Firmware && options.Read_Firm && !options.Conf && !options.Read_Conf);
    QTest::mouseClick(execute, Qt::LeftButton);
    QCOMPARE(ws_->shell.Started.size(), 1);
}

void Tst_Update_Dialog::update_result_data()
{
    QTest::addColumn<QString>("firmware");     // "present", "missing" or "empty"
    QTest::addColumn<bool>("start_fails");
    QTest::addColumn<int>("running_polls");    // -1: still running at the limit
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QByteArray>("old_report");  // null: none before the run
    QTest::addColumn<QByteArray>("report");      // null: the run writes none
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("not_shown");
    QTest::addColumn<bool>("error_box");
    QTest::addColumn<bool>("started");

    const QByteArray valid("Ethernet_Update (stand-in): nothing is sent to the device.\n"
                           "Device: 127.0.0.1\nVerdict: valid job with 3 operation(s)\n");
    const QByteArray rejected("Ethernet_Update (stand-in): nothing is sent to the device.\n"
                              "Device: 127.0.0.1\nVerdict: rejected: bank2.bin has 5 bytes\n");
    const QString report_heading = QStringLiteral("Last lines of its report ");
    const QString no_report = QStringLiteral("It left no new report in ");

    QTest::newRow("exit 0 with a report")
        << "present" << false << 120 << 0 << QByteArray() << valid
        << "The updater reports success (exit code 0)."
        << QStringList{report_heading, "Device: 127.0.0.1", "Verdict: valid job with 3 operation(s)"}
        << QStringList{no_report} << false << true;
    QTest::newRow("exit 1 with the reason in the report")
        << "present" << false << 3 << 1 << valid << rejected
        << "The update failed: the updater ended with exit code 1."
        << QStringList{report_heading, "Verdict: rejected: bank2.bin has 5 bytes"}
        << QStringList{"valid job"} << true << true;
    // A report from an earlier run says nothing about this one.
    QTest::newRow("exit 1, only an old report")
        << "present" << false << 3 << 1 << valid << QByteArray()
        << "The update failed: the updater ended with exit code 1."
        << QStringList{no_report} << QStringList{"Verdict:"} << true << true;
    QTest::newRow("still running after the limit")
        << "present" << false << -1 << 0 << QByteArray() << QByteArray()
        << "The updater is still running after 150 s. It goes on by itself; this dialog no longer waits for it."
        << QStringList{no_report} << QStringList() << false << true;
    QTest::newRow("cannot start")
        << "present" << true << 0 << 0 << QByteArray() << QByteArray()
        << "The updater could not be started:" << QStringList{"%1"} << QStringList{no_report, "report"} << true
        << true;
    QTest::newRow("firmware image missing") << "missing" << false << 0 << 0 << QByteArray() << QByteArray()
        << QString() << QStringList() << QStringList() << true << false;
    QTest::newRow("firmware image empty") << "empty" << false << 0 << 0 << QByteArray() << QByteArray()
        << QString() << QStringList() << QStringList() << true << false;
}

void Tst_Update_Dialog::update_result()
{
    QFETCH(QString, firmware);
    QFETCH(bool, start_fails);
    QFETCH(int, running_polls);
    QFETCH(int, exit_code);
    QFETCH(QByteArray, old_report);
    QFETCH(QByteArray, report);
    QFETCH(QString, verdict);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, not_shown);
    QFETCH(bool, error_box);
    QFETCH(bool, started);

    const QString image = Firmware_Image_Path(ws_->state.Dir_Master);
    if (firmware == QLatin1String("present")) Put_Firmware_Image();
    if (firmware == QLatin1String("empty")) Write_All(image, QByteArray());
    const QString report_path = Update_Report_Path(ws_->state.Dir_Exe);
    if (!old_report.isNull()) Write_All(report_path, old_report);
    ws_->shell.Start_Fails = start_fails;
    ws_->shell.Keep_Running = running_polls < 0;
    ws_->shell.Running_Polls = running_polls;
    ws_->shell.Exit_As = Exit_Status::Exited(exit_code);
    ws_->shell.On_Start = [&] {
        if (!report.isNull()) Write_All(report_path, report);
    };
    Reach_Options();
    const qint64 clicked = ws_->clock.Now_Ms();
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);

    const QString job = Update_Job_Path(ws_->state.Dir_Exe);
    auto *result = Get<QLabel>("L_Update_Result");
    if (!started) {
        // Said before anything is written or started, naming the file and the way out.
        QCOMPARE(messages_->Errors,
                 QStringList{QStringLiteral("The firmware image %1 is missing or empty, so the updater "
                                            "would reject this update. Put the image there, or uncheck "
                                            "\"Firmware\" to write only the configuration.")
                                 .arg(image)});
        QVERIFY(ws_->shell.Started.isEmpty());
        QVERIFY(!QFileInfo::exists(job));
        QVERIFY(!result->isVisible());
        QCOMPARE(dialog_->focusWidget(), Get<QWidget>("CB_Firmware"));
        // Unchecked, the configuration alone goes.
        Click_Box("CB_Firmware");
        QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
        QCOMPARE(ws_->shell.Started.size(), 1);
        QCOMPARE(messages_->Errors.size(), 1);
        QVERIFY(QFileInfo::exists(job));
        QVERIFY(dialog_->Update_Report_Text().startsWith(QLatin1String("The updater reports success")));
        return;
    }

    QVERIFY(QFileInfo::exists(job));
    QCOMPARE(ws_->shell.Started.size(), 1);
    QVERIFY(result->isVisible());
    QVERIFY(dialog_->isVisible());
    QVERIFY(!dialog_->Updater_Running());
    QVERIFY(Get<QPushButton>("Btn_Update")->isEnabled());
    if (running_polls < 0) QCOMPARE(ws_->clock.Now_Ms() - clicked, Program_Wait_Limit_Ms);

    const QString text = dialog_->Update_Report_Text();
    QCOMPARE(Get<QWidget>("E_Update_Report")->isVisible(), text.contains(u'\n'));
    QCOMPARE(text.section(u'\n', 0, 0), verdict);
    QCOMPARE(Get<QLabel>("L_Update_Result")->text(), verdict);
    for (QString line : shown) {
        if (line == QLatin1String("%1")) line = u'\n' + Updater_Path(ws_->state.Dir_Exe);
        QVERIFY2(text.contains(line), qPrintable(text));
    }
    for (const QString &line : not_shown) QVERIFY2(!text.contains(line), qPrintable(text));
    if (text.contains(QLatin1String("report")))
        QVERIFY2(text.contains(report_path), qPrintable(text));
    if (error_box)
        QCOMPARE(messages_->Errors, QStringList{text});
    else
        QCOMPARE(messages_->Errors, QStringList());
    // After a success the user is done: Close is offered, in reach of Enter; otherwise the
    // options stay for another try.
    auto *close = Get<QPushButton>("Btn_Close");
    QVERIFY(close);
    const bool succeeded = verdict.startsWith(QLatin1String("The updater reports success"));
    QCOMPARE(close->isVisible(), succeeded);
    if (succeeded) {
        QCOMPARE(Shown_Text(close->text()), QStringLiteral("Close"));
        QCOMPARE(dialog_->focusWidget(), close);
        QVERIFY(close->isDefault());
        QVERIFY(close->geometry().right() < Get<QWidget>("Btn_Update")->x());
    }
    // The result belongs to this opening of the dialog.
    Show_Dialog();
    Reach_Options();
    QVERIFY(!result->isVisible());
    QCOMPARE(dialog_->Update_Report_Text(), QString());
}

void Tst_Update_Dialog::close_ends_a_successful_update()
{
    Put_Firmware_Image();
    Reach_Options();
    QVERIFY(!Get<QWidget>("Btn_Close")->isVisible());
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QVERIFY(dialog_->Update_Report_Text().startsWith(QLatin1String("The updater reports success")));
    // Enter takes the button offered.
    QTest::keyClick(dialog_->focusWidget(), Qt::Key_Return);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    QCOMPARE(ws_->shell.Started.size(), 1);
    // A new opening starts without it.
    Reach_Options();
    QVERIFY(!Get<QWidget>("Btn_Close")->isVisible());
}

void Tst_Update_Dialog::update_result_follows_the_language()
{
    // What the dialog says around the updater's report is in the user's language; the report's
    // lines are the updater's own and stay as it wrote them.
    Restart_In(QStringLiteral("Deutsch"));
    Put_Firmware_Image();
    const QString report_path = Update_Report_Path(ws_->state.Dir_Exe);
    ws_->shell.Exit_As = Exit_Status::Exited(1);
    ws_->shell.On_Start = [&] { Write_All(report_path, "Verdict: rejected: bank2.bin has 5 bytes\n"); };
    Reach_Options();
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QCOMPARE(dialog_->Update_Report_Text(),
             QStringLiteral("Das Update ist fehlgeschlagen: Das Update-Programm endete mit Exit-Code 1.\n"
                            "Letzte Zeilen seines Berichts %1:\n"
                            "Verdict: rejected: bank2.bin has 5 bytes").arg(report_path));
    QCOMPARE(messages_->Errors, QStringList{dialog_->Update_Report_Text()});
    QVERIFY(!Get<QWidget>("Btn_Close")->isVisible());
}

void Tst_Update_Dialog::wait_for_the_updater_counts_seconds()
{
    Put_Firmware_Image();
    Reach_Options();
    ws_->shell.Running_Polls = 1300;  // thirteen seconds
    const qint64 clicked = ws_->clock.Now_Ms();
    int checks = 0;
    bool event_handled = false;
    ws_->shell.On_Poll = [&] {
        if (ws_->shell.Polls == 2) QTimer::singleShot(0, [&event_handled] { event_handled = true; });
        if (ws_->shell.Polls % 250 != 0) return;
        ++checks;
        // The window handles its events and counts the seconds; nothing can start a second
        // update or close the dialog meanwhile.
        const qint64 seconds = (ws_->clock.Now_Ms() - clicked) / 1000;
        QCOMPARE(dialog_->Update_Report_Text(), QStringLiteral("Updating… %1 s").arg(seconds));
        QVERIFY(dialog_->Updater_Running());
        for (const char *name : {"Btn_Update", "CB_Firmware", "CB_Read_Firm", "CB_Conf", "CB_Read_Conf"})
            QVERIFY2(!Get<QWidget>(name)->isEnabled(), name);
        dialog_->Update_Click();
        QTest::keyClick(dialog_, Qt::Key_Escape);
        QVERIFY(dialog_->isVisible());
    };
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QCOMPARE(checks, 5);
    QVERIFY(event_handled);
    QCOMPARE(ws_->shell.Started.size(), 1);
    QCOMPARE(ws_->clock.Now_Ms() - clicked, qint64(13000));
    QVERIFY(dialog_->Update_Report_Text().startsWith(QLatin1String("The updater reports success")));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(Get<QWidget>("CB_Read_Conf")->isEnabled());
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
    const QString log_path = Update_Report_Path(ws_->state.Dir_Exe);

    // Firmware is checked, but MASTER holds no firmware image: the updater would refuse the
    // job, so it is not started.
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.size(), 1);
    QVERIFY2(messages_->Errors[0].contains(QStringLiteral("QFW3310.sim is missing")), qPrintable(messages_->Errors[0]));
    QVERIFY(!QFileInfo::exists(log_path));

    Click_Box("CB_Firmware");
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    const QString log = QString::fromUtf8(Read_All(log_path));
    QVERIFY2(log.contains(QStringLiteral("Device: 127.0.0.1\n")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Operation 1: file %1, start address 0x68000")
                              .arg(Bank1_Image_Path(ws_->state.Dir_Project))),
             qPrintable(log));
    QVERIFY2(log.endsWith(QStringLiteral("Verdict: valid job with 2 operation(s)\n")), qPrintable(log));
    QCOMPARE(messages_->Errors.size(), 1);
    QString text = dialog_->Update_Report_Text();
    QVERIFY2(text.startsWith(QLatin1String("The updater reports success (exit code 0).\n")), qPrintable(text));
    QVERIFY2(text.endsWith(QLatin1String("\nVerdict: valid job with 2 operation(s)")), qPrintable(text));

    // A bank2 of a partial record: the updater rejects the job, and the dialog says why.
    Write_All(Bank2_Image_Path(ws_->state.Dir_Project), QByteArray(5, '\x01'));
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    text = dialog_->Update_Report_Text();
    QVERIFY2(text.startsWith(QLatin1String("The update failed: the updater ended with exit code 1.\n")), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("Verdict: rejected: %1 has 5 bytes: not whole mapping records")
                               .arg(Bank2_Image_Path(ws_->state.Dir_Project))),
             qPrintable(text));
    QCOMPARE(messages_->Errors.size(), 2);
    QCOMPARE(messages_->Errors.last(), text);
}

void Tst_Update_Dialog::texts_fit_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &name : Test_Workspace::Shipped_Languages()) QTest::newRow(qPrintable(name)) << name;
}

namespace {
// Texts the control cannot show in full, as "name: text".
QStringList Cut_Texts(QWidget *dialog)
{
    QStringList cut;
    auto check = [&](QWidget *w, const QString &raw, int margins) {
        const QString text = QString(raw).remove(u'&');
        if (text.isEmpty() || w->isHidden()) return;
        const QRect inside = dialog->rect();
        const QRect at(w->mapTo(dialog, QPoint(0, 0)), w->size());
        bool fits = inside.contains(at);
        auto *label = qobject_cast<QLabel *>(w);
        if (label && label->wordWrap())
            fits = fits && label->heightForWidth(w->width()) <= w->height();
        else
            fits = fits && w->fontMetrics().horizontalAdvance(text) + margins <= w->width();
        if (!fits) cut << w->objectName() + QStringLiteral(": ") + text;
    };
    const QStyle *style = dialog->style();
    for (QLabel *l : dialog->findChildren<QLabel *>())
        check(l, l->text(), 2 * l->margin() + 2 * l->frameWidth() + std::max(0, l->indent()));
    for (QAbstractButton *b : dialog->findChildren<QAbstractButton *>()) {
        int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                           style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
        if (qobject_cast<QCheckBox *>(b))
            margins = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, b) +
                      style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, b);
        check(b, b->text(), margins);
    }
    return cut;
}
}  // namespace

void Tst_Update_Dialog::texts_fit()
{
    QFETCH(QString, language);
    // A workspace whose LANGUAGE folder holds the shipped files.
    cleanup();
    messages_ = std::make_unique<Message_Recorder>();
    ws_ = std::make_unique<Test_Workspace>();
    ws_->Copy_Shipped_Languages();
    ws_->Start();
    dialog_ = ws_->window->Windows().Update;
    ws_->Switch_Language(language);
    Put_Firmware_Image();

    Show_Dialog();
    if (language == QLatin1String("English")) QCOMPARE(dialog_->height(), 233);
    QVERIFY2(dialog_->width() >= Title_Width_Need(dialog_), qPrintable(dialog_->windowTitle()));
    QVERIFY2(Cut_Texts(dialog_).isEmpty(), qPrintable(Cut_Texts(dialog_).join(QStringLiteral(" / "))));
    // Every status the ping row shows.
    Set_Fields({"127", "0", "0", "9"});
    QStringList statuses;
    ws_->echo.During = [&] {
        if (ws_->echo.Calls == 25) statuses << Label_Text("LPing") + u'|' + Cut_Texts(dialog_).join(u'|');
    };
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    statuses << Label_Text("LPing") + u'|' + Cut_Texts(dialog_).join(u'|');
    Set_Fields({"127", "0", "0", "x"});
    ws_->echo.Failing = QStringList{QStringLiteral("127.0.0.x")};
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    statuses << Label_Text("LPing") + u'|' + Cut_Texts(dialog_).join(u'|');
    ws_->echo.During = [&] { QTest::keyClick(dialog_, Qt::Key_Escape); };
    Set_Fields({"127", "0", "0", "9"});
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    statuses << Label_Text("LPing") + u'|' + Cut_Texts(dialog_).join(u'|');
    ws_->echo.During = {};
    Set_Fields({"127", "0", "0", "1"});
    QTest::mouseClick(Get<QPushButton>("Btn_Ping"), Qt::LeftButton);
    statuses << Label_Text("LPing") + u'|' + Cut_Texts(dialog_).join(u'|');
    QCOMPARE(statuses.size(), 5);
    for (const QString &status : statuses) QVERIFY2(status.endsWith(u'|'), qPrintable(status));
    QCOMPARE(QSet<QString>(statuses.begin(), statuses.end()).size(), 5);

    // The options, and the result of an update.
    QTest::mouseClick(Get<QPushButton>("Btn_Next"), Qt::LeftButton);
    QVERIFY(Get<QWidget>("Btn_Update")->isVisible());
    if (language == QLatin1String("English")) QCOMPARE(dialog_->height(), 233);
    QVERIFY2(dialog_->width() >= Title_Width_Need(dialog_), qPrintable(dialog_->windowTitle()));
    QVERIFY2(Cut_Texts(dialog_).isEmpty(), qPrintable(Cut_Texts(dialog_).join(QStringLiteral(" / "))));
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QVERIFY(Get<QWidget>("L_Update_Result")->isVisible());
    QVERIFY(Get<QWidget>("E_Update_Report")->isVisible());
    QVERIFY2(Cut_Texts(dialog_).isEmpty(), qPrintable(Cut_Texts(dialog_).join(QStringLiteral(" / "))));
    QWidget *report = Get<QWidget>("E_Update_Report");
    QVERIFY(dialog_->rect().contains(QRect(report->pos(), report->size())));
    // The longest verdict, too.
    ws_->shell.Keep_Running = true;
    QTest::mouseClick(Get<QPushButton>("Btn_Update"), Qt::LeftButton);
    QVERIFY2(Cut_Texts(dialog_).isEmpty(), qPrintable(Cut_Texts(dialog_).join(QStringLiteral(" / "))));
    QVERIFY(dialog_->rect().contains(QRect(report->pos(), report->size())));
}

QTEST_MAIN(Tst_Update_Dialog)
#include "tst_update_dialog.moc"
