// The roads of an update as a user walks them. The whole road: a new configuration, its
// communication settings, "Update Device" (the images are built), the device address and a
// ping (the fake echo client answers loopback), the options, and "Execute update firmware",
// which writes the job and runs the real stand-in updater; the updater's log must confirm the
// job and name the images that were just built. And the way of a Cob-ID from the receive grid
// into bank1.
#include "Job_Fixture.h"
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "config/Image_Decoder.h"
#include "dialogs/Update_Dialog.h"
#include "dialogs/Check_Window.h"
#include "dialogs/Frame_List_Editor.h"
#include "widgets/Frame_Grid_Model.h"
#include "platform/Clock.h"
#include "update/Update_Job.h"
#include "widgets/Desktop_Shell.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

class Tst_Update_Road : public QObject {
    Q_OBJECT
private slots:
    void new_configuration_to_updater_log();
    void cob_id_typed_in_the_receive_grid_reaches_bank1();
};

void Tst_Update_Road::new_configuration_to_updater_log()
{
    Test_Workspace ws;
    Message_Recorder messages;
    // The stand-in updater runs for real and is waited for on the real clock; the ping keeps
    // the fake one, so its attempts cost no time.
    Real_Shell shell;
    Real_Clock real_clock;
    ws.env.shell = &shell;
    ws.Start();
    App_State &state = ws.state;

    QVERIFY2(QFile::copy(Updater_Path(QStringLiteral(QCX_WORKSPACE_DIR)), Updater_Path(state.Dir_Exe)),
             "build the Ethernet_Update target first");
    Write_All(state.Dir_Master + QStringLiteral("/QFW3310.sim"), QByteArray(1024, '\x3C'));

    // Step 1: a new configuration.
    When_Modal([] {
        QWidget *d = Active_Modal();
        QTest::keyClicks(d->findChild<QLineEdit *>(QStringLiteral("E_New_Proj")), "Line 1");
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    });
    ws.Click("Btn_New");
    QCOMPARE(state.Project_Name, QStringLiteral("Line 1"));

    // Step 2: its communication settings, with another Modbus TCP port than the default 502.
    When_Modal([] {
        QWidget *d = Active_Modal();
        QLineEdit *port = d->findChild<QLineEdit *>(QStringLiteral("E_PORT"));
        port->selectAll();
        QTest::keyClicks(port, "1502");
        QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    });
    ws.Click("Btn_Prm_Gen");
    const QByteArray par_gen = Read_All(state.Files.ParGen);
    QVERIFY2(par_gen.contains("<MODBUS_TCP_SLAVE_Port>1502</MODBUS_TCP_SLAVE_Port>"), par_gen.constData());

    // Step 5: Update Device. Inside the update dialog: the address, Ping, Next, Execute.
    Update_Dialog *boot = ws.window->Windows().Update;
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
        ws.env.clock = &real_clock;
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        boot->close();
    });
    ws.Click("Btn_CreateBin");
    QVERIFY(!boot->isVisible());
    QVERIFY(messages.Errors.isEmpty());
    QVERIFY(found);
    QCOMPARE(ws.echo.Hosts, QStringList({"127.0.0.1", "127.0.0.1"}));  // two answers end the ping
    QCOMPARE(state.Device_IP, QStringLiteral("127.0.0.1"));

    // The images were there when the dialog opened, and bank1 tells the device the port typed.
    QCOMPARE(bank1_at_update.size(), 2048);
    QCOMPARE(Read_All(Bank1_Image_Path(state.Dir_Project)), bank1_at_update);
    const QByteArray bank2 = Read_All(Bank2_Image_Path(state.Dir_Project));
    QVERIFY(QFileInfo::exists(Bank2_Image_Path(state.Dir_Project)));
    QString why;
    const std::optional<Decoded_Images> images = Decode_Images(bank1_at_update, bank2, &why);
    QVERIFY2(images, qPrintable(why));
    QCOMPARE(images->Problems, QStringList());
    QCOMPARE(images->Header.TCP_Port, uint16_t(1502));
    QCOMPARE(images->Header.TCP_Port_2, uint16_t(1502));
    // The device reads the port, little-endian, at 0x036 and again at 0x038.
    QCOMPARE(bank1_at_update.mid(0x036, 4), QByteArray::fromHex("DE05DE05"));

    // The job names them, with every option the dialog offered checked.
    QCOMPARE(Read_All(Update_Job_Path(state.Dir_Exe)),
             Job_Fixture(QStringLiteral("job_all_readback.xml"), ws.dir.path()));

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

void Tst_Update_Road::cob_id_typed_in_the_receive_grid_reaches_bank1()
{
    Test_Workspace ws;
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"));
    Message_Recorder messages;

    // The receive grid: a 29-bit frame typed into row 1, an 11-bit one into row 2.
    When_Modal([] {
        auto *grid = qobject_cast<Receive_Frame_Editor *>(Active_Modal());
        if (!grid) {
            Active_Modal()->close();
            return;
        }
        QTableView *view = grid->Grid_View();
        const QAbstractItemModel *model = grid->Grid_Model();
        const struct {
            const char *cob_id;
            const QString &type;
        } frames[] = {{"0x18FEF1A5", Frame_Type_29}, {"0x181", Frame_Type_11}};
        for (int row = 0; row < 2; ++row) {
            Type_Into_Cell(view, model->index(row, Receive_Col::CobID), frames[row].cob_id);
            Type_Into_Cell(view, model->index(row, Receive_Col::Dimension), "8");
            Pick_In_Cell(view, model->index(row, Receive_Col::Type), frames[row].type);
            Type_Into_Cell(view, model->index(row, Receive_Col::TimeOut), "100");
        }
        QTest::mouseClick(grid->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
        if (grid->isVisible()) grid->reject();
    });
    ws.Click("Btn_Receive_COB");
    const QByteArray receive = Read_All(ws.state.Files.CAN_Receive);
    QVERIFY2(receive.contains("<row CobID=\"0x18FEF1A5\" Dimension=\"8\" Type=\"CAN 2.0B 29 bits\""),
             receive.constData());

    // Update Device: the settings were never confirmed, so the check lists what the device gets
    // instead before anything is built; going on builds the images, and the update dialog that
    // follows is closed.
    QStringList opened;
    QStringList listed;
    When_Modal([&] {
        opened << Active_Modal()->objectName();
        auto *check = qobject_cast<Check_Window *>(Active_Modal());
        if (!check) {
            Active_Modal()->close();
            return;
        }
        for (int r = 0; r < check->Table()->rowCount(); ++r) listed << check->Table()->item(r, 1)->text();
        When_Modal([&opened] {
            opened << Active_Modal()->objectName();
            Active_Modal()->close();
        });
        QTest::mouseClick(check->findChild<QPushButton *>(QStringLiteral("Btn_Go_On")), Qt::LeftButton);
    });
    ws.Click("Btn_CreateBin");
    QCOMPARE(opened, (QStringList{"TFCheck", "TFBootTCP"}));
    QCOMPARE(listed.size(), 1);
    QVERIFY2(listed[0].endsWith(QLatin1String("ParGen.xml")), qPrintable(listed[0]));
    QVERIFY(messages.Errors.isEmpty());

    // The frame records follow bank1's 2048-byte header, receive frames first. A record starts
    // with the Cob-ID, little-endian, whose top bit marks a 29-bit frame.
    const QByteArray bank1 = Read_All(ws.state.Files.Bank1);
    QCOMPARE(bank1.size(), 0x800 + 2 * 32);
    QCOMPARE(bank1.mid(0x800, 4), QByteArray::fromHex("A5F1FE98"));  // 0x18FEF1A5 | 0x80000000
    QCOMPARE(bank1.mid(0x820, 4), QByteArray::fromHex("81010000"));  // 0x181, no mark
    QCOMPARE(Get_U32(reinterpret_cast<const uint8_t *>(bank1.constData()) + 0x800) & 0x1FFFFFFFu, 0x18FEF1A5u);
}

QTEST_MAIN(Tst_Update_Road)
#include "tst_update_road.moc"
