// The whole road of an update as a user walks it: a new configuration, its communication
// settings, "Update Device" (the images are built), the device address and a ping (a fake echo
// client that answers loopback), the options, and "Execute update firmware", which writes the
// job and runs the real stand-in updater. The updater's log must confirm the job and name the
// images that were just built.
#include "Test_Support.h"
#include "app/TFVariroduvieFirmWare.h"
#include "platform/Clock.h"
#include "widgets/Desktop_Shell.h"
#include "platform/IcmpEcho.h"
#include "test_config.h"
#include "dialogs/TFBootTCP.h"
#include "update/Update_Job.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

class Loopback_Echo : public Icmp_Echo {
public:
    int Echo(const QString &host, const QByteArray &payload, int) override
    {
        hosts.append(host);
        return host == QLatin1String("127.0.0.1") ? 8 + int(payload.size()) : 0;
    }
    QStringList hosts;
};

QByteArray Read_All(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class Tst_Update_Road : public QObject {
    Q_OBJECT
private slots:
    void new_configuration_to_updater_log();
};

void Tst_Update_Road::new_configuration_to_updater_log()
{
    QTemporaryDir workspace;
    Message_Recorder messages;
    Real_Shell shell;
    Real_Clock clock;
    Loopback_Echo echo;
    Environment env;
    env.shell = &shell;
    env.clock = &clock;
    env.icmp = &echo;
    App_State state;
    TFVariroduvieFirmWare main_window(state, env, workspace.path());
    main_window.Create_Dialogs();

    QVERIFY2(QFile::copy(Updater_Path(QStringLiteral(QCX_WORKSPACE_DIR)), Updater_Path(state.Dir_Exe)),
             "build the Ethernet_Update target first");
    {
        QFile firmware(state.Dir_Master + QStringLiteral("/QFW3310.sim"));
        QVERIFY(firmware.open(QIODevice::WriteOnly));
        firmware.write(QByteArray(1024, '\x3C'));
    }
    auto click = [&main_window](const char *name) {
        QTest::mouseClick(main_window.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    };

    // Step 1: a new configuration.
    When_Modal([] {
        QWidget *d = Active_Modal();
        QTest::keyClicks(d->findChild<QLineEdit *>(QStringLiteral("E_New_Proj")), "Line1");
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    });
    click("Btn_New");
    QCOMPARE(state.Project_Name, QStringLiteral("Line1"));

    // Step 2: its communication settings, with another Modbus TCP port.
    When_Modal([] {
        QWidget *d = Active_Modal();
        QLineEdit *port = d->findChild<QLineEdit *>(QStringLiteral("E_PORT"));
        port->selectAll();
        QTest::keyClicks(port, "502");
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    });
    click("Btn_Prm_Gen");
    QVERIFY2(Read_All(state.Files.ParGen).contains("502"), Read_All(state.Files.ParGen).constData());

    // Step 5: Update Device. Inside the update dialog: the address, Ping, Next, Execute.
    TFBootTCP *boot = main_window.Windows().BootTCP;
    QByteArray bank1_at_update;
    bool found = false;
    When_Modal([&] {
        if (Active_Modal() != boot) return;
        bank1_at_update = Read_All(Bank1_Image_Path(state.Dir_Project));
        const char *parts[] = {"127", "0", "0", "1"};
        for (int i = 0; i < 4; ++i) {
            QLineEdit *e = boot->findChild<QLineEdit *>(QStringLiteral("E_IP%1").arg(i + 1));
            e->selectAll();
            QTest::keyClicks(e, parts[i]);
        }
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Ping")), Qt::LeftButton);
        found = boot->Ping_Succeeded();
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Next")), Qt::LeftButton);
        // Returns when the updater has ended.
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        boot->close();
    });
    click("Btn_CreateBin");
    QVERIFY(!boot->isVisible());
    QVERIFY(messages.Errors.isEmpty());
    QVERIFY(found);
    QCOMPARE(echo.hosts.size(), 2);  // two answers end the ping
    QCOMPARE(state.Device_IP, QStringLiteral("127.0.0.1"));

    // The images were there when the dialog opened.
    QCOMPARE(bank1_at_update.size(), 2048);
    QVERIFY(QFileInfo::exists(Bank2_Image_Path(state.Dir_Project)));

    // The job names them, with every option the dialog offered checked.
    QCOMPARE(Read_All(Update_Job_Path(state.Dir_Exe)),
             Build_Update_Job(QStringLiteral("127.0.0.1"), {true, true, true, true},
                              {state.Dir_Master, state.Dir_Project})
                 .To_Bytes());

    const QString log = QString::fromUtf8(Read_All(state.Dir_Exe + QStringLiteral("/Ethernet_Update.log")));
    QVERIFY2(log.contains(QStringLiteral("Device: 127.0.0.1\n")), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Operation 2: file %1, start address 0x68000, bank 2, "
                                         "read-back yes, go-to-application no\n")
                              .arg(Bank1_Image_Path(state.Dir_Project))),
             qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Operation 3: file %1, start address 0x58000, bank 2, "
                                         "read-back yes, go-to-application yes\n")
                              .arg(Bank2_Image_Path(state.Dir_Project))),
             qPrintable(log));
    QVERIFY2(log.endsWith(QStringLiteral("Verdict: valid job with 3 operation(s)\n")), qPrintable(log));
}

QTEST_MAIN(Tst_Update_Road)
#include "tst_update_road.moc"
