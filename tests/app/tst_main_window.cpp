// Start-up, settings, the main window's steps and its program launch, driven offscreen.
#include "app/Main_Window.h"
#include "Gated_Http.h"
#include "Local_Http_Server.h"
#include "lang/Version_Checker.h"
#include "platform/Clock.h"
#include "platform/Curl_Http_Get.h"
#include "widgets/Desktop_Shell.h"
#include "platform/Web_Host.h"
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "test_config.h"
#include "widgets/Mnemonics.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QMap>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

QByteArray Element(const char *name, const char *text)
{
    return *text ? "<" + QByteArray(name) + ">" + text + "</" + name + ">" : "<" + QByteArray(name) + "/>";
}

QByteArray Settings(const char *project, const char *ip, const char *lang, const char *inet, const char *upd)
{
    return "<Conf_Settings><lastproj>" + Element("projectname", project) + "</lastproj><lastipadd>" +
           Element("ipaddress", ip) + "</lastipadd><lastlang>" + Element("language", lang) +
           "</lastlang><lastinternet>" + Element("enable_internet", inet) + Element("enable_update", upd) +
           "</lastinternet></Conf_Settings>";
}

const QByteArray Default_Settings = "<Conf_Settings><lastproj><projectname/></lastproj><lastipadd><ipaddress>"
                                    "192.168.2.205</ipaddress></lastipadd><lastlang><language>English</language>"
                                    "</lastlang><lastinternet><enable_internet>0</enable_internet><enable_update>0"
                                    "</enable_update></lastinternet></Conf_Settings>";

// Every test here starts from the shared workspace: the main window on a temporary folder.
using Fixture = Test_Workspace;

}  // namespace

class Tst_Main_Window : public QObject {
    Q_OBJECT
private slots:
    void first_start_in_an_empty_folder();
    void settings_file_data();
    void settings_file();
    void settings_names_stay_inside_the_workspace_data();
    void settings_names_stay_inside_the_workspace();
    void step_buttons_need_an_open_configuration();
    void language_change_reapplies_texts();
    void update_timer_ticks();
    void update_check_keeps_the_window_responsive_data();
    void update_check_keeps_the_window_responsive();
    void quitting_while_a_check_waits_returns_promptly();
    void links_go_through_the_shell();
    void start_program_waits_at_most_150_s();
    void start_program_runs_a_real_program();
    void unwritable_settings_are_reported_and_close_goes_on();
    void unreadable_language_file_is_reported_once_after_showing();
    void long_configuration_name_ends_in_an_ellipsis();
    void look_alike_buttons_have_their_own_accessible_names();
    void dialogs_are_built_on_first_use_in_the_language_in_force();
};

void Tst_Main_Window::first_start_in_an_empty_folder()
{
    Fixture f;
    f.Start();
    for (const char *sub : {"MASTER", "PROJECTS", "LANGUAGE"}) QVERIFY(QFileInfo(f.Path(sub)).isDir());
    QCOMPARE(f.state.Dir_Projects, f.Path("PROJECTS"));
    QVERIFY(f.state.Project_Name.isEmpty() && f.state.Dir_Project.isEmpty());
    QCOMPARE(f.state.Language_Name, QString("English"));
    QCOMPARE(f.state.Lang_Table.size(), Lang_Default_Count);
    QVERIFY(!f.window->Update_Timer()->isActive());
    QCOMPARE(f.window->windowTitle(), QString("Norvale - Configurator QCX3310 - CAN / Modbus TCP Slave "));
    QCOMPARE(f.Label("L_SW_Code"), QString("QCX3310"));
    QCOMPARE(f.Label("L_SW_Desc"), QString("CAN / Modbus TCP Slave - Converter"));
    QCOMPARE(f.Label("L_Name_Conf"), QString("None Configuration Opened "));
    QCOMPARE(f.Label("L_Name_Conf_L2"), QString("Use Step1 to open or create new configuration"));
    QCOMPARE(f.state.Files.ParGen, QString("/ParGen.xml"));
    QCOMPARE(f.window->size(), QSize(694, 440));
    QCOMPARE(f.window->findChild<QPushButton *>("Btn_CreateBin")->geometry(), QRect(80, 288, 170, 36));
    QCOMPARE(f.window->findChild<QPushButton *>("Btn_Define_Transmit_COB")->geometry(), QRect(258, 244, 170, 36));
    QCOMPARE(f.window->findChild<QToolButton *>("Btn_Close")->geometry(), QRect(632, 8, 50, 50));
    // Step 6 (the register monitor) shows; Steps 7 and 8 stay hidden.
    QVERIFY(!f.window->findChild<QLabel *>("L_Step_6")->isHidden());
    QVERIFY(f.window->findChild<QLabel *>("L_Step_7")->isHidden());
    QVERIFY(f.window->findChild<QLabel *>("L_Step_8")->isHidden());

    f.window->close();
    QCOMPARE(f.Read("Variroduvi.xml"), Default_Settings);
}

void Tst_Main_Window::settings_file_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("make_project_folder");
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("timer");
    QTest::addColumn<QByteArray>("saved");  // empty: the file as read

    QTest::newRow("round trip, both flags") << Settings("Line1", "10.0.0.9", "English", "1", "1") << true
                                            << "Line1" << "10.0.0.9" << "English" << true << QByteArray();
    QTest::newRow("update flag off") << Settings("Line1", "10.0.0.9", "English", "1", "0") << true
                                     << "Line1" << "10.0.0.9" << "English" << false << QByteArray();
    QTest::newRow("flags must be exactly 1") << Settings("", "1.2.3.4", "English", "true", " 1") << false
                                             << "" << "1.2.3.4" << "English" << false
                                             << Settings("", "1.2.3.4", "English", "0", "0");
    QTest::newRow("deleted configuration folder") << Settings("Gone", "1.2.3.4", "English", "0", "0") << false
                                                  << "" << "1.2.3.4" << "English" << false
                                                  << Settings("", "1.2.3.4", "English", "0", "0");
    QTest::newRow("language without a file") << Settings("", "1.2.3.4", "Klingon", "0", "0") << false << ""
                                             << "1.2.3.4" << "English" << false
                                             << Settings("", "1.2.3.4", "English", "0", "0");
    QTest::newRow("empty address stays empty") << Settings("", "", "English", "0", "0") << false << "" << ""
                                               << "English" << false << QByteArray();
    // The program writes no declaration; one written by another tool is read past and dropped.
    QTest::newRow("declaration first")
        << "<?xml version=\"1.0\"?>\r\n" + Settings("Line1", "10.0.0.9", "English", "1", "1") << true << "Line1"
        << "10.0.0.9" << "English" << true << Settings("Line1", "10.0.0.9", "English", "1", "1");
    QTest::newRow("malformed gives defaults") << QByteArray("<Conf_Settings><lastproj>") << false << ""
                                              << "192.168.2.205" << "English" << false << Default_Settings;
    QTest::newRow("missing groups and extra elements")
        << QByteArray("<Conf_Settings><extra>x</extra><lastipadd><ipaddress>9.9.9.9</ipaddress><more/></lastipadd>"
                      "</Conf_Settings>")
        << false << "" << "9.9.9.9" << "English" << false << Settings("", "9.9.9.9", "English", "0", "0");
}

void Tst_Main_Window::settings_file()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, make_project_folder);
    QFETCH(QString, project);
    QFETCH(QString, ip);
    QFETCH(QString, language);
    QFETCH(bool, timer);
    QFETCH(QByteArray, saved);

    Fixture f;
    f.Write("Variroduvi.xml", file);
    if (make_project_folder) QVERIFY(QDir().mkpath(f.Path("PROJECTS/Line1/bin")));
    f.Start();
    QCOMPARE(f.state.Project_Name, project);
    QCOMPARE(f.state.Dir_Project, project.isEmpty() ? QString() : f.Path("PROJECTS/" + project));
    QCOMPARE(f.state.Device_IP, ip);
    QCOMPARE(f.state.Language_Name, language);
    QCOMPARE(f.window->Update_Timer()->isActive(), timer);
    if (timer) QCOMPARE(f.window->Update_Timer()->interval(), 60000);
    QCOMPARE(f.Label("L_Name_Conf_L2"),
             project.isEmpty() ? QString("Use Step1 to open or create new configuration") : project);
    if (!project.isEmpty()) {
        QCOMPARE(f.Label("L_Name_Conf"), QString("Opened Configuration of the Converter : "));
        QCOMPARE(f.state.Files.Define_CAN_Transmit, f.Path("PROJECTS/Line1/Define_CAN_Transmit.xml"));
    }

    f.window->close();
    QCOMPARE(f.Read("Variroduvi.xml"), saved.isEmpty() ? file : saved);
}

void Tst_Main_Window::settings_names_stay_inside_the_workspace_data()
{
    // The names are made into folders below PROJECTS and files below LANGUAGE. Where a name
    // points inside the test's folder, the folder or language file is made first, so that
    // following the name would find something to open.
    QTest::addColumn<QString>("project");  // "<absolute>": a folder of the test, as an absolute path
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("opens");

    QTest::newRow("beside the workspace") << "../../outside" << "English" << false;
    QTest::newRow("in the workspace") << "../outside" << "English" << false;
    QTest::newRow("PROJECTS itself") << ".." << "English" << false;
    QTest::newRow("one folder down") << "a/b" << "English" << false;
    QTest::newRow("Windows separator") << "a\\b" << "English" << false;
    QTest::newRow("absolute path") << "<absolute>" << "English" << false;
    QTest::newRow("control character") << "Line\tA" << "English" << false;
    QTest::newRow("hidden folder") << ".Line1" << "English" << false;
    QTest::newRow("language beside the workspace") << "Line1" << "../../langx" << true;
    QTest::newRow("language in the workspace") << "Line1" << "../langx" << true;
    QTest::newRow("language by absolute path") << "Line1" << "<absolute>" << true;
    QTest::newRow("plain names") << QString::fromUtf8("Linie \xC3\x9C 2") << "English" << true;
}

void Tst_Main_Window::settings_names_stay_inside_the_workspace()
{
    QFETCH(QString, project);
    QFETCH(QString, language);
    QFETCH(bool, opens);
    Fixture f;
    if (project == "<absolute>") project = f.Path("outside");
    if (language == "<absolute>") language = f.Path("langx");
    const auto inside = [&](const QString &path) { return QDir::cleanPath(path).startsWith(f.dir.path() + '/'); };
    const QString folder = project.startsWith('/') ? project : f.Path("PROJECTS/" + project);
    if (inside(folder)) QVERIFY(QDir().mkpath(folder));
    const QString lang_file = language.startsWith('/') ? language + ".lng" : f.Path("LANGUAGE/" + language + ".lng");
    QVERIFY(QDir().mkpath(f.Path("LANGUAGE")));
    if (language != "English" && inside(lang_file)) f.Write(QDir(f.dir.path()).relativeFilePath(QDir::cleanPath(lang_file)), "STR1 = Taken\r\n");
    Message_Recorder messages;

    const QByteArray written = "<Conf_Settings><lastproj><projectname>" + project.toUtf8() +
                               "</projectname></lastproj><lastipadd><ipaddress>1.2.3.4</ipaddress></lastipadd>"
                               "<lastlang><language>" + language.toUtf8() +
                               "</language></lastlang><lastinternet><enable_internet>0</enable_internet>"
                               "<enable_update>0</enable_update></lastinternet></Conf_Settings>";
    f.Write("Variroduvi.xml", written);
    f.Start();
    QCOMPARE(f.state.Language_Name, QString("English"));
    QCOMPARE(f.state.Lang_Table[1], QString::fromUtf16(Lang_Default_Texts[1]));
    QCOMPARE(f.state.Project_Name, opens ? project : QString());
    QCOMPARE(f.state.Dir_Project, opens ? f.Path("PROJECTS/" + project) : QString());
    if (!opens) {
        QCOMPARE(f.Label("L_Name_Conf_L2"), QString("Use Step1 to open or create new configuration"));
        QVERIFY(!QFileInfo::exists(folder + "/bin"));
    }
    f.window->close();
    QCOMPARE(messages.Errors, QStringList());
    const QByteArray project_utf8 = opens ? project.toUtf8() : QByteArray();
    QCOMPARE(f.Read("Variroduvi.xml"), Settings(project_utf8.constData(), "1.2.3.4", "English", "0", "0"));
    QVERIFY(!QFileInfo::exists(f.Path("PROJECTS/../../outside")));
}

void Tst_Main_Window::step_buttons_need_an_open_configuration()
{
    Fixture f;
    f.Start();
    Message_Recorder messages;
    for (const char *name : {"Btn_Prm_Gen", "Btn_Receive_COB", "Btn_Define_Receive_COB", "Btn_Transmit_COB",
                             "Btn_Define_Transmit_COB", "Btn_CreateBin"}) {
        QTest::mouseClick(f.window->findChild<QPushButton *>(name), Qt::LeftButton);
        QCOMPARE(messages.Errors.size(), 1);
        QCOMPARE(messages.Errors.takeFirst(), QString("Error! Project not Valid"));
    }
    QVERIFY(!QFileInfo::exists(f.Path("Variroduvi.xml")));
}

void Tst_Main_Window::language_change_reapplies_texts()
{
    Fixture f;
    f.Start();
    f.Write("LANGUAGE/Italiano.lng",
            "\xEF\xBB\xBFSTR1 = Passo 1\nSTR9 = \xC2\xB6Nessuna Configurazione Aperta \xC2\xB6\n"
            "STR14 = Chiudi\nSTR15 = Nuova Configurazione\n");
    f.Switch_Language("Italiano");
    QCOMPARE(f.Label("L_Step_1"), QString("Passo 1"));
    QCOMPARE(f.Label("L_Name_Conf"), QString("Nessuna Configurazione Aperta "));
    QCOMPARE(Shown_Text(f.window->findChild<QPushButton *>("Btn_New")->text()), QString("Nuova Configurazione"));
    QCOMPARE(f.window->findChild<QToolButton *>("Btn_Close")->toolTip(), QString("Chiudi"));
    QCOMPARE(f.window->windowTitle(), QString("Norvale - Configurator QCX3310 - CAN / Modbus TCP Slave "));
    QCOMPARE(f.Label("L_SW_Code"), QString("QCX3310"));
}

void Tst_Main_Window::update_timer_ticks()
{
    Fixture f;
    f.Start();
    f.state.Enable_Internet = f.state.Enable_Update = true;
    f.window->Arm_Update_Timer();
    QCOMPARE(f.window->Update_Timer()->interval(), 60000);
    QVERIFY(f.window->Update_Timer()->isActive());
    QSignalSpy checked(f.window->Update_Checker(), &Version_Checker::Finished);
    f.window->Timer_UpdateTimer();
    // No countdown while the service is asked; its answer starts the next one.
    QVERIFY(!f.window->Update_Timer()->isActive());
    QVERIFY(checked.wait());
    QVERIFY(f.window->Update_Timer()->isActive());
    QCOMPARE(f.window->Update_Timer()->interval(), 7200000);
    f.state.Enable_Update = false;
    f.window->Arm_Update_Timer();
    QVERIFY(!f.window->Update_Timer()->isActive());
    // Switched on again, the stopped timer starts with the interval it has.
    f.state.Enable_Update = true;
    f.window->Arm_Update_Timer();
    QVERIFY(f.window->Update_Timer()->isActive());
    QCOMPARE(f.window->Update_Timer()->interval(), 7200000);
}

void Tst_Main_Window::update_check_keeps_the_window_responsive_data()
{
    QTest::addColumn<bool>("switched_off");
    QTest::newRow("options kept") << false;
    QTest::newRow("options switched off while asking") << true;
}

// The service holds the request; the window goes on serving timers and clicks, starts no
// second request, and shows the answer once it comes, on its own thread.
void Tst_Main_Window::update_check_keeps_the_window_responsive()
{
    QFETCH(bool, switched_off);
    Fixture f;
    Gated_Http http(QStringLiteral("VER. 1.103"));
    f.env.http = &http;
    f.Start();
    f.state.Enable_Internet = f.state.Enable_Update = true;
    f.window->Arm_Update_Timer();
    f.window->show();
    QLabel *link = f.window->findChild<QLabel *>("LL_Update");
    QList<QThread *> answered_on;
    // Direct, so that the thread recorded is the one that emits.
    connect(
        f.window->Update_Checker(), &Version_Checker::Finished, this,
        [&] { answered_on.append(QThread::currentThread()); }, Qt::DirectConnection);

    f.window->Timer_UpdateTimer();
    QTRY_COMPARE(http.Calls(), 1);
    QVERIFY(http.Threads().first() != QThread::currentThread());

    bool ticked = false;
    QTimer::singleShot(1, f.window.get(), [&] { ticked = true; });
    QTRY_VERIFY(ticked);
    QTest::mouseClick(f.window->findChild<QLabel *>("L_Norvale"), Qt::LeftButton);
    QCOMPARE(f.shell.Opened, QStringList{Maker_Home_Url()});

    // A tick or a confirmation of the options while the answer is awaited starts nothing.
    f.window->Timer_UpdateTimer();
    f.window->Arm_Update_Timer();
    QVERIFY(!f.window->Update_Timer()->isActive());
    if (switched_off) {
        f.state.Enable_Internet = false;
        f.window->Arm_Update_Timer();
    }
    QVERIFY(!link->isVisible());
    QCOMPARE(answered_on.size(), 0);

    http.Open();
    QTRY_COMPARE(answered_on.size(), 1);
    // Compared as addresses: the thread object of an ended thread is gone.
    QVERIFY(answered_on.first() == QThread::currentThread());
    QCOMPARE(http.Calls(), 1);
    QVERIFY(link->isVisible());
    QVERIFY2(link->text().contains(Maker_Download_Url().toHtmlEscaped()), qPrintable(link->text()));
    // The answer restarts the countdown only while the options still ask for it.
    QCOMPARE(f.window->Update_Timer()->isActive(), !switched_off);
    QCOMPARE(f.window->Update_Timer()->interval(), 7200000);
}

// The end of main(): the window goes, then the real client, while the service stalls. Neither
// sits out the client's time limits.
void Tst_Main_Window::quitting_while_a_check_waits_returns_promptly()
{
    Local_Http_Server server({200, {}, true});
    qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
    auto http = std::make_unique<Curl_Http_Get>();
    const long limit = http->Connect_Limit_Ms();
    QElapsedTimer elapsed;
    {
        Fixture f;
        f.env.http = http.get();
        f.Start();
        f.state.Enable_Internet = f.state.Enable_Update = true;
        f.window->Arm_Update_Timer();
        f.window->show();
        f.window->Timer_UpdateTimer();
        QTRY_COMPARE(server.Requests().size(), 1);

        elapsed.start();
        QVERIFY(f.window->close());
        f.window.reset();
    }
    http.reset();
    QVERIFY2(elapsed.elapsed() < limit / 2, QByteArray::number(elapsed.elapsed()));
    qputenv("QCX3310_WEB_HOST", "127.0.0.1:9");
}

void Tst_Main_Window::links_go_through_the_shell()
{
    Fixture f;
    f.Start();
    QLabel *norvale = f.window->findChild<QLabel *>("L_Norvale");
    QTest::mouseClick(norvale, Qt::LeftButton);
    QCOMPARE(f.shell.Opened, QStringList{Maker_Home_Url()});
    QVERIFY(Maker_Home_Url().endsWith("/HOME/default.asp?frompg=QCX3310"));
    QVERIFY(Maker_Home_Url().contains(Web_Host()));
}

void Tst_Main_Window::start_program_waits_at_most_150_s()
{
    Fixture f;
    f.Start();
    f.shell.Keep_Running = true;
    f.window->Start_Program("/opt/updater", "", false);
    QCOMPARE(f.shell.Started, QStringList{"/opt/updater||0"});
    QCOMPARE(f.clock.Now_Ms(), qint64(150000));  // polled every 10 ms until the limit
    QCOMPARE(f.clock.Sleeps(), qint64(15000));

    f.shell.Keep_Running = false;
    f.window->Start_Program("/opt/updater", "-x", true);
    QCOMPARE(f.clock.Now_Ms(), qint64(150000));  // ended at once: no wait

    f.shell.Start_Fails = true;
    const int polls = f.shell.Polls;
    f.window->Start_Program("/opt/missing", "", false);
    QCOMPARE(f.shell.Polls, polls);
}

void Tst_Main_Window::start_program_runs_a_real_program()
{
    QTemporaryDir dir;
    const QString sleeper = QStringLiteral(QCX_TEST_HELPERS_DIR "/qcx_test_sleeper");
    Real_Shell shell;

    // Waits until the program has ended.
    Real_Clock real;
    const QString done = dir.filePath("done");
    auto quick = shell.Start(sleeper, "200 " + done, false);
    QVERIFY(quick);
    QVERIFY(Wait_For_Program(*quick, real));
    QVERIFY(QFileInfo::exists(done));

    // Past the limit the program is left running.
    Fake_Clock fake;
    const QString late = dir.filePath("late");
    auto slow = shell.Start(sleeper, "3000 " + late, false);
    QVERIFY(slow);
    QVERIFY(!Wait_For_Program(*slow, fake));
    QCOMPARE(fake.Now_Ms(), qint64(150000));
    QVERIFY(slow->Running());
    QVERIFY(!QFileInfo::exists(late));

    QVERIFY(!shell.Start(dir.filePath("no-such-program"), "", false));
}

void Tst_Main_Window::unwritable_settings_are_reported_and_close_goes_on()
{
    Fixture f;
    f.Start();
    // A folder where the file should be: the save cannot replace it.
    QVERIFY(QDir().mkpath(f.Path("Variroduvi.xml")));
    Message_Recorder messages;
    QVERIFY(f.window->close());
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors[0].contains("Variroduvi.xml"), qPrintable(messages.Errors[0]));
}

QTEST_MAIN(Tst_Main_Window)
#include "tst_main_window.moc"

void Tst_Main_Window::unreadable_language_file_is_reported_once_after_showing()
{
    Fixture f;
    f.Write("Variroduvi.xml", Settings("", "127.0.0.1", "Deutsch", "0", "0"));
    // Beyond the limit of a text file: it exists but is not read.
    QFile big(f.Path("LANGUAGE/Deutsch.lng"));
    QVERIFY(QDir(f.dir.path()).mkpath("LANGUAGE"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(17 * 1024 * 1024));
    big.close();

    Message_Recorder messages;
    f.Start();
    QVERIFY(!f.window->Start_Language_Error().isEmpty());
    QCOMPARE(f.Label("L_Begin"), QString("Begin"));
    QCoreApplication::processEvents();
    QVERIFY(messages.Errors.isEmpty());  // not before the window is there

    f.window->show();
    QTRY_COMPARE(messages.Errors.size(), 1);
    QVERIFY(messages.Errors.first().startsWith("The language file could not be read.\n"));
    QVERIFY(messages.Errors.first().contains("Deutsch.lng"));
    f.window->hide();
    f.window->show();
    QCoreApplication::processEvents();
    QCOMPARE(messages.Errors.size(), 1);
}

void Tst_Main_Window::long_configuration_name_ends_in_an_ellipsis()
{
    Fixture f;
    f.Start();
    const QString name = QString("Line_4_Conveyor_").repeated(6) + "End";
    f.Open_Configuration(name);
    f.Switch_Language("English");  // the texts, name included, are shown anew
    auto *label = f.window->findChild<QLabel *>("L_Name_Conf_L2");
    QVERIFY(label->text().endsWith(QChar(0x2026)));
    QVERIFY(name.startsWith(label->text().chopped(1)));
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    QCOMPARE(label->toolTip(), name);

    f.Open_Configuration("Short");
    f.Switch_Language("English");
    QCOMPARE(label->text(), QString("Short"));
}

void Tst_Main_Window::look_alike_buttons_have_their_own_accessible_names()
{
    Fixture f;
    f.Start();
    auto *receive = f.window->findChild<QPushButton *>("Btn_Define_Receive_COB");
    auto *transmit = f.window->findChild<QPushButton *>("Btn_Define_Transmit_COB");
    QCOMPARE(Shown_Text(receive->text()), Shown_Text(transmit->text()));
    QCOMPARE(receive->accessibleName(), QString("Define COB (Receive COB)"));
    QCOMPARE(transmit->accessibleName(), QString("Define COB (Transmit COB)"));
}

namespace {

// What a window shows: its title, whether it stands in the middle of the screen, and the texts
// of its labels, buttons, groups, tabs and column titles.
QStringList Shown_Texts(QWidget *window)
{
    const QPoint off = window->frameGeometry().center() - window->screen()->availableGeometry().center();
    const bool centred = std::abs(off.x()) <= 4 && std::abs(off.y()) <= 4;  // the frame's width
    QStringList texts{window->windowTitle(), centred ? QStringLiteral("centred") : QStringLiteral("not centred")};
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (auto *label = qobject_cast<QLabel *>(w)) {
            texts << label->text();
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            texts << button->text() << button->toolTip();
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            texts << group->title();
        } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
        } else if (auto *table = qobject_cast<QTableWidget *>(w)) {
            for (int i = 0; i < table->columnCount(); ++i)
                if (QTableWidgetItem *title = table->horizontalHeaderItem(i)) texts << title->text();
        }
    }
    return texts;
}

// Opens every dialog through its button on the main window, as the user does, and returns what
// each showed, by its name. The modal ones are closed again at once; the findings before an
// update are confirmed, so that the update dialog follows.
QMap<QString, QStringList> Open_Every_Dialog(Test_Workspace &f)
{
    QMap<QString, QStringList> shown;
    std::function<void()> take = [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown[dialog->objectName()] = Shown_Texts(dialog);
        if (dialog->objectName() == QLatin1String("TFCheck")) {
            QTimer::singleShot(0, take);
            dialog->accept();
        } else {
            dialog->reject();
        }
    };
    Message_Recorder messages;
    for (const char *button : {"Btn_New", "Btn_Open", "Btn_Info", "Btn_Opz", "Btn_Prm_Gen", "Btn_Receive_COB",
                               "Btn_Transmit_COB", "Btn_Define_Receive_COB", "Btn_Define_Transmit_COB",
                               "Btn_CreateBin"}) {
        QTimer::singleShot(0, take);
        f.Click(button);
    }
    f.Click("Btn_Monitor");  // not modal: it stays open beside the main window
    for (QDialog *dialog : f.window->findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (dialog->isVisible() && !shown.contains(dialog->objectName())) {
            shown[dialog->objectName()] = Shown_Texts(dialog);
            dialog->hide();
        }
    }
    return shown;
}

}  // namespace

void Tst_Main_Window::dialogs_are_built_on_first_use_in_the_language_in_force()
{
    // As before: every dialog built at start, then told of the change of language. The
    // configuration builds with a warning, so that the update shows the findings first.
    Fixture eager;
    eager.Copy_Shipped_Languages();
    eager.Start(Fixture::Dialogs::All);
    eager.Open_Configuration(QStringLiteral("First"), QStringLiteral("check/transmit-never-sent"));
    eager.Switch_Language(QStringLiteral("Deutsch"));

    // As the program does: nothing built at start, each dialog at its first opening, after
    // the change.
    Fixture lazy;
    lazy.Copy_Shipped_Languages();
    lazy.Start(Fixture::Dialogs::On_First_Use);
    auto dialogs = [&lazy] { return lazy.window->findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly); };
    QVERIFY(dialogs().isEmpty());
    lazy.Open_Configuration(QStringLiteral("First"), QStringLiteral("check/transmit-never-sent"));
    lazy.Switch_Language(QStringLiteral("Deutsch"));
    QVERIFY(dialogs().isEmpty());

    // The About box names each workspace's own folder: compared as one placeholder.
    auto same_folder = [](QMap<QString, QStringList> texts, const QString &folder) {
        for (QStringList &list : texts) list.replaceInStrings(folder, QStringLiteral("<workspace>"));
        return texts;
    };
    const QMap<QString, QStringList> expected = same_folder(Open_Every_Dialog(eager), eager.dir.path());
    const QMap<QString, QStringList> got = same_folder(Open_Every_Dialog(lazy), lazy.dir.path());
    QCOMPARE(got.keys(), QStringList({"TFAbout", "TFBootTCP", "TFCheck", "TFDefineRecCAN", "TFDefineTransCAN",
                                      "TFMonitor", "TFNew_Project", "TFOpenConf", "TFParGen", "TFReceiveCAN",
                                      "TFSoftOptions", "TFTransmitCAN"}));
    for (const QString &name : got.keys()) {
        const QStringList &want = expected.value(name);
        const QStringList &have = got.value(name);
        for (int i = 0; i < std::max(want.size(), have.size()); ++i)
            QVERIFY2(want.value(i) == have.value(i), qPrintable(name + ": " + have.value(i) + " instead of " + want.value(i)));
    }
    // German indeed, not the English the dialogs' texts start from.
    QCOMPARE(got["TFSoftOptions"].first(), QString("Software-Optionen"));

    // Each is built once: a second round opens the same windows.
    const QList<QDialog *> built = dialogs();
    QCOMPARE(built.size(), got.size());
    QCOMPARE(same_folder(Open_Every_Dialog(lazy), lazy.dir.path()), got);
    QCOMPARE(dialogs(), built);
}
