// The register monitor against the emulator, offscreen, as a user drives it: the sixth step
// opens it beside the main window, values the bus brings appear, a value typed into a transmit
// register reaches the bus, a device that goes away shows as not connected, and one that comes
// back is found again. Each test runs its own emulator on a virtual CAN bus of its own; every
// wait ends on what it waits for or on a deadline.
#include "widgets/Mnemonics.h"
#include "Emulator_Fixture.h"
#include "Run_Program.h"
#include "File_Bytes.h"
#include "Running_Program.h"
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "app/Main_Window.h"
#include "config/Image_Builder.h"
#include "config/Project_Paths.h"
#include "dialogs/Monitor_Window.h"
#include "lang/Lang_Table.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

const QString Emulator_Program = QStringLiteral(QCX_WORKSPACE_DIR "/qgw3310-emulator");

// The emulator on 127.0.0.1:port (0: any free one) and the given bus; null when it did not
// come up.
std::unique_ptr<Running_Program> Start_Emulator(const QString &config, const QString &bus, quint16 &port)
{
    auto e = std::make_unique<Running_Program>(
        Emulator_Program, QStringList{"--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--can", bus, config});
    const QRegularExpressionMatch m = QRegularExpression(R"(on 127\.0\.0\.1:(\d+))").match(e->Wait_Line("listening"));
    if (!m.hasMatch() || e->Wait_Line("can-connected").isEmpty()) {
        qWarning("emulator did not come up:\n%s", qPrintable(e->Everything()));
        return nullptr;
    }
    port = quint16(m.captured(1).toUInt());
    return e;
}

// The row of a register of one direction.
int Row_Of(Monitor_Window *monitor, Direction dir, int reg)
{
    const QList<Monitor_Row> &rows = monitor->Rows();
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].Dir == dir && rows[i].Register == reg) return i;
    return -1;
}

QString Cell(Monitor_Window *monitor, Direction dir, int reg, int column)
{
    const int row = Row_Of(monitor, dir, reg);
    QTableWidgetItem *item = row < 0 ? nullptr : monitor->Table()->item(row, column);
    return item ? item->text() : QStringLiteral("<no row>");
}

// Replaces a spin box's value by typing, as a user does.
void Type_Number(QSpinBox *box, int value)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(box->value(), value);
}

// A configuration whose images run in an emulator of its own (on a bus of its own), and the
// monitor opened on it by the sixth step: what most tests here start from.
struct Live_Monitor {
    Test_Workspace f;
    QString config;
    QString bus = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port());
    quint16 port = 0;
    std::unique_ptr<Running_Program> emulator;
    Monitor_Window *monitor = nullptr;

    // False when the emulator did not come up.
    bool Open(const QString &name)
    {
        f.Start();
        // The Modbus client module as built, beside the program.
        f.state.Dir_Modules = QStringLiteral(QCX_WORKSPACE_DIR);
        config = f.Open_Configuration(name);
        Write_Emulator_Fixture(config, QStringLiteral("0"));  // no frame on a timer: the bus carries only what a write sends
        Build_Device_Images(f.state.Files);
        emulator = Start_Emulator(config, bus, port);
        if (!emulator) return false;
        f.state.Device_IP = QStringLiteral("127.0.0.1");
        f.Click("Btn_Monitor");
        monitor = f.window->Windows().Monitor;
        return true;
    }
    // The emulator's port typed in (and a reading period, when given), then Connect.
    void Connect(int period_ms = 0)
    {
        Type_Number(monitor->findChild<QSpinBox *>("SE_Port"), port);
        if (period_ms > 0) Type_Number(monitor->findChild<QSpinBox *>("SE_Period"), period_ms);
        QTest::mouseClick(monitor->findChild<QPushButton *>("Btn_Connect"), Qt::LeftButton);
    }
};

}  // namespace

class Tst_Monitor_Window : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void the_step_needs_an_open_configuration();
    void registers_live_written_and_reconnected();
    void signal_rows_show_values_with_their_units();
    void a_value_that_is_no_register_value_is_not_written();
    void a_register_the_device_lacks_is_reported();
    void closing_stops_the_polling();
    void a_missing_client_module_is_named();
    void writable_cells_are_editable_for_screen_readers();
    void a_refused_connection_is_said_in_the_language_data();
    void a_refused_connection_is_said_in_the_language();
};

void Tst_Monitor_Window::initTestCase()
{
    QVERIFY2(QFileInfo(Emulator_Program).isExecutable(), "qgw3310-emulator is not built");
}

void Tst_Monitor_Window::the_step_needs_an_open_configuration()
{
    Test_Workspace f;
    f.Copy_Shipped_Languages();
    f.Start();
    Message_Recorder messages;
    auto *button = f.window->findChild<QPushButton *>("Btn_Monitor");
    QVERIFY(button);
    QCOMPARE(Shown_Text(button->text()), QString("Monitor Device"));
    // Under Update Device, below the separator that closes Steps 1 to 5.
    QCOMPARE(button->geometry(), QRect(80, 354, 170, 36));
    QVERIFY(f.window->findChild<QLabel *>("L_Step_6")->isVisibleTo(f.window.get()));
    f.Click("Btn_Monitor");
    QCOMPARE(messages.Errors, QStringList{"Error! Project not Valid"});
    QVERIFY(!f.window->Windows().Monitor->isVisible());

    // The language change reaches the window and the button.
    const QString config = f.Open_Configuration("Empty");
    f.Click("Btn_Monitor");
    Monitor_Window *monitor = f.window->Windows().Monitor;
    QVERIFY(monitor->isVisible());
    QVERIFY(!monitor->isModal());
    QCOMPARE(monitor->Status_Text(), QString("The configuration maps no Modbus registers"));
    f.Switch_Language("Deutsch");
    QCOMPARE(monitor->windowTitle(), QString("Gerät beobachten"));
    QCOMPARE(Shown_Text(button->text()), QString("Gerät beobachten"));
    QCOMPARE(monitor->findChild<QPushButton *>("Btn_Connect")->text().remove(u'&'), QString("Verbinden"));
    QCOMPARE(monitor->Table()->horizontalHeaderItem(Monitor_Window::Col_Register)->text(), QString("Register"));

    // Mappings made while the window stays open show at the next press of the step; what the
    // user typed into the open window stays.
    auto *ip = monitor->findChild<QLineEdit *>("E_IP");
    ip->clear();
    QTest::keyClicks(ip, "127.0.0.2");
    Write_Emulator_Fixture(config, QStringLiteral("0"));
    f.Click("Btn_Monitor");
    QCOMPARE(monitor->Table()->rowCount(), 11);
    QCOMPARE(Cell(monitor, Direction::Transmit, 24, Monitor_Window::Col_Direction), QString("Senden"));
    QCOMPARE(ip->text(), QString("127.0.0.2"));
    QCOMPARE(monitor->Status_Text(), QString("Nicht verbunden"));
    monitor->close();
}

void Tst_Monitor_Window::registers_live_written_and_reconnected()
{
    Live_Monitor live;
    Message_Recorder messages;
    QVERIFY(live.Open("Live"));
    const QString &config = live.config;
    const QString &bus = live.bus;
    quint16 &port = live.port;
    std::unique_ptr<Running_Program> &emulator = live.emulator;
    Test_Workspace &f = live.f;
    Monitor_Window *monitor = live.monitor;
    QVERIFY(monitor->isVisible());
    QCOMPARE(monitor->findChild<QLineEdit *>("E_IP")->text(), QString("127.0.0.1"));
    // The configuration has no settings file, so the port is the image's default.
    auto *port_box = monitor->findChild<QSpinBox *>("SE_Port");
    QCOMPARE(port_box->value(), 10001);
    QCOMPARE(monitor->findChild<QSpinBox *>("SE_Period")->value(), 500);
    QCOMPARE(monitor->Table()->rowCount(), 11);
    QCOMPARE(Cell(monitor, Direction::Receive, 13, Monitor_Window::Col_Cob_ID), QString("0x00000181"));
    QCOMPARE(Cell(monitor, Direction::Receive, 11, Monitor_Window::Col_Bytes), QString("-/8"));
    QCOMPARE(Cell(monitor, Direction::Transmit, 20, Monitor_Window::Col_Direction), QString("Transmit"));

    Type_Number(port_box, port);
    Type_Number(monitor->findChild<QSpinBox *>("SE_Period"), 100);
    monitor->Set_Retry_Ms(100);
    QTest::mouseClick(monitor->findChild<QPushButton *>("Btn_Connect"), Qt::LeftButton);
    QTRY_VERIFY(monitor->Connected());
    QTRY_COMPARE(monitor->Status_Text(), QStringLiteral("Connected to 127.0.0.1 port %1").arg(port));
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 10, Monitor_Window::Col_Hex), QString("0x0000"));

    // A frame from the bus: its registers show it, and their time starts anew.
    f.clock.Advance(5000);
    QCOMPARE(Run_Cli({"can-send", bus, "181#0102030405060708"}).Exit, 0);
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 10, Monitor_Window::Col_Hex), QString("0x0102"));
    QCOMPARE(Cell(monitor, Direction::Receive, 10, Monitor_Window::Col_Decimal), QString("258"));
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 20, Monitor_Window::Col_Hex), QString("0x0304"));
    QCOMPARE(Cell(monitor, Direction::Receive, 10, Monitor_Window::Col_Unchanged), QString("0.0"));
    // Register 13, whose frame did not come, has been the same since the first read.
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 13, Monitor_Window::Col_Unchanged), QString("5.0"));
    f.clock.Advance(2500);
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 10, Monitor_Window::Col_Unchanged), QString("2.5"));
    // Register 20 of the transmit side is the buffer, not the received bytes.
    QCOMPARE(Cell(monitor, Direction::Transmit, 20, Monitor_Window::Col_Hex), QString("0x0000"));

    // A value typed into a transmit register: one 06 request, and its frame goes out.
    Running_Program dump(QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli"), {"can-dump", bus, "--count", "1", "--timeout", "10000"});
    QVERIFY(!dump.Wait_Line("listening on", Running_Program::Standard_Error).isEmpty());
    const int row = Row_Of(monitor, Direction::Transmit, 20);
    QTableWidget *table = monitor->Table();
    Type_Into_Cell(table, table->model()->index(row, Monitor_Window::Col_Decimal), "4660");
    QCOMPARE(dump.Wait_Line("#"), QString("201#12340000"));
    QVERIFY(!emulator->Wait_Line("function 06 register 20 = 0x1234").isEmpty());
    QTRY_COMPARE(monitor->Status_Text(), QString("Register 20 set to 4660"));
    QTRY_COMPARE(Cell(monitor, Direction::Transmit, 20, Monitor_Window::Col_Hex), QString("0x1234"));
    // In hexadecimal, in the hexadecimal column.
    Type_Into_Cell(table, table->model()->index(Row_Of(monitor, Direction::Transmit, 22), Monitor_Window::Col_Hex), "0xBEEF");
    QVERIFY(!emulator->Wait_Line("function 06 register 22 = 0xBEEF").isEmpty());
    QTRY_COMPARE(Cell(monitor, Direction::Transmit, 22, Monitor_Window::Col_Decimal), QString("48879"));
    // Bare digits in the hexadecimal column are hexadecimal, as the column shows them.
    Type_Into_Cell(table, table->model()->index(Row_Of(monitor, Direction::Transmit, 22), Monitor_Window::Col_Hex), "1234");
    QVERIFY(!emulator->Wait_Line("function 06 register 22 = 0x1234").isEmpty());
    // The value the register holds already, typed again, is written again: that is how a frame
    // sent on write goes out once more.
    Type_Into_Cell(table, table->model()->index(Row_Of(monitor, Direction::Transmit, 22), Monitor_Window::Col_Hex), "1234");
    QVERIFY(!emulator->Wait_Line("function 06 register 22 = 0x1234").isEmpty());

    // The device goes away: the window says so and keeps trying, without blocking anything.
    emulator.reset();
    QTRY_VERIFY(!monitor->Connected());
    QTRY_VERIFY2(monitor->Status_Text().startsWith("Not connected"), qPrintable(monitor->Status_Text()));
    QVERIFY(monitor->isVisible());
    // A register typed into meanwhile is not written, and the line says why.
    Type_Into_Cell(table, table->model()->index(row, Monitor_Window::Col_Decimal), "1");
    QCOMPARE(monitor->Status_Text(), QString("Writing 1 to register 20 failed: Disconnected"));

    // It comes back (empty, as a restarted device is) on the same port: found again, read again.
    emulator = Start_Emulator(config, bus, port);
    QVERIFY(emulator);
    QTRY_VERIFY_WITH_TIMEOUT(monitor->Connected(), 10000);
    QTRY_COMPARE(Cell(monitor, Direction::Transmit, 20, Monitor_Window::Col_Hex), QString("0x0000"));
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 10, Monitor_Window::Col_Hex), QString("0x0000"));
    QTRY_COMPARE(monitor->Status_Text(), QStringLiteral("Connected to 127.0.0.1 port %1").arg(port));
    QVERIFY(messages.Errors.isEmpty());
    monitor->close();
}

void Tst_Monitor_Window::signal_rows_show_values_with_their_units()
{
    // Signals of a CAN database on the emulator's registers: a receive speed scaled to rpm over
    // register 10 (bytes 1 and 2 of frame 0x181), a signed temperature in the low byte of
    // register 11 with a value table, and a transmit mode in register 20 that the user writes
    // in its own words, keeping the rest of the register. A value table holds one entry a line.
    Live_Monitor live;
    Message_Recorder messages;
    QVERIFY(live.Open("Signals"));
    Monitor_Window *monitor = live.monitor;
    Write_All(Project_Paths_In(live.config).Signal_Notes,
              "Direction,CobID,Type,Mod_Index,Byte_HiPart,Byte_LoPart,Message,Signal,Unit,Factor,Offset,Registers,"
              "Bytes,Shift,Length,Signed,Float,Minimum,Maximum,Values\r\n"
              "receive,0x181,CAN 2.0A 11 bits,10,1,2,Engine,Speed,rpm,0.125,0,10,1/2,0,16,no,no,0,8000,\r\n"
              "receive,0x181,CAN 2.0A 11 bits,11,0,8,Engine,Coolant,\xC2\xB0" "C,1,-40,11,0/8,0,8,no,no,-40,215,0=Sensor fault\r\n"
              "transmit,0x201,CAN 2.0A 11 bits,20,1,2,Heater,Mode,,1,0,20,1/2,8,8,no,no,0,2,\"0=Off\n1=On\n2=Boost\"\r\n");
    live.f.Click("Btn_Monitor");
    QCOMPARE(monitor->Signal_Rows().size(), 3);
    const int first = int(monitor->Rows().size());
    QCOMPARE(monitor->Table()->item(first, Monitor_Window::Col_Signal)->text(), QString("Speed"));
    live.Connect(100);
    QTRY_VERIFY(monitor->Connected());

    QCOMPARE(Run_Cli({"can-send", live.bus, "181#0320000000000028"}).Exit, 0);
    QTRY_COMPARE(monitor->Table()->item(first, Monitor_Window::Col_Value)->text(), QString("100 rpm"));
    QTRY_COMPARE(monitor->Table()->item(first + 1, Monitor_Window::Col_Value)->text(), QString::fromUtf8("0 \xC2\xB0" "C"));
    QCOMPARE(Run_Cli({"can-send", live.bus, "181#0320000000000000"}).Exit, 0);
    QTRY_COMPARE(monitor->Table()->item(first + 1, Monitor_Window::Col_Value)->text(), QString("Sensor fault"));

    // The transmit mode is written as "Boost": the high byte takes 2, the low byte stays.
    QTableWidget *table = monitor->Table();
    QTableWidgetItem *mode = table->item(first + 2, Monitor_Window::Col_Value);
    QVERIFY(mode->flags() & Qt::ItemIsEditable);
    QTRY_COMPARE(mode->text(), QString("Off"));
    Type_Into_Cell(table, table->model()->index(first + 2, Monitor_Window::Col_Value), "Boost");
    QTRY_COMPARE(Cell(monitor, Direction::Transmit, 20, Monitor_Window::Col_Hex), QString("0x0200"));
    QTRY_COMPARE(mode->text(), QString("Boost"));
    QCOMPARE(messages.Errors, QStringList());
    monitor->close();
}

void Tst_Monitor_Window::a_value_that_is_no_register_value_is_not_written()
{
    Live_Monitor live;
    QVERIFY(live.Open("Typed"));
    Monitor_Window *monitor = live.monitor;
    const std::unique_ptr<Running_Program> &emulator = live.emulator;
    live.Connect();
    QTRY_COMPARE(Cell(monitor, Direction::Transmit, 21, Monitor_Window::Col_Hex), QString("0x0000"));

    QTableWidget *table = monitor->Table();
    const int row = Row_Of(monitor, Direction::Transmit, 21);
    for (const QString &text : {QString("70000"), QString("-3"), QString("x12")}) {
        Type_Into_Cell(table, table->model()->index(row, Monitor_Window::Col_Decimal), text);
        QCOMPARE(monitor->Status_Text(), text + QString(" is no register value: type 0 to 65535, or 0x0000 to 0xFFFF"));
        // The cell shows what the device holds again, not the refused text.
        QTRY_COMPARE(Cell(monitor, Direction::Transmit, 21, Monitor_Window::Col_Decimal), QString("0"));
    }
    // A receive register takes no value at all.
    const int rx_row = Row_Of(monitor, Direction::Receive, 10);
    QVERIFY(!(table->item(rx_row, Monitor_Window::Col_Decimal)->flags() & Qt::ItemIsEditable));
    // The first write the device sees is the next valid one.
    Type_Into_Cell(table, table->model()->index(row, Monitor_Window::Col_Decimal), "7");
    QCOMPARE(emulator->Wait_Line("function 06").section(": ", 1), QString("function 06 register 21 = 0x0007"));
    // An address that is none: nothing is tried.
    QTest::mouseClick(monitor->findChild<QPushButton *>("Btn_Connect"), Qt::LeftButton);  // disconnects
    QTRY_VERIFY(!monitor->Connected());
    auto *ip = monitor->findChild<QLineEdit *>("E_IP");
    ip->clear();
    QTest::keyClicks(ip, "127.0.0.300");
    QTest::mouseClick(monitor->findChild<QPushButton *>("Btn_Connect"), Qt::LeftButton);
    QCOMPARE(monitor->Status_Text(), QString("127.0.0.300 is not an IP address"));
    QVERIFY(!monitor->Connected());
    monitor->close();
}

void Tst_Monitor_Window::a_register_the_device_lacks_is_reported()
{
    Live_Monitor live;
    QVERIFY(live.Open("Changed"));
    Test_Workspace &f = live.f;
    Monitor_Window *monitor = live.monitor;
    const std::unique_ptr<Running_Program> &emulator = live.emulator;
    const QString &bus = live.bus;
    live.Connect(100);
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 30, Monitor_Window::Col_Hex), QString("0x0000"));

    // A mapping added since the last update: the device answers its read with an exception,
    // which the status line names, while the other registers go on being read.
    QFile maps(f.state.Files.Define_CAN_Receive);
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QByteArray rows = maps.readAll();
    maps.close();
    rows.replace("</DefineRecJ1939>", Map_Row("3", "40").toUtf8() + "</DefineRecJ1939>");
    Write_All(f.state.Files.Define_CAN_Receive, rows);
    f.Click("Btn_Monitor");
    QVERIFY(monitor->Connected());
    QTRY_COMPARE(monitor->Status_Text(),
                 QString("Reading registers 40 to 40 failed: the device refused the request (Modbus exception code 0x02)"));
    QVERIFY(!emulator->Wait_Line("function 04 at 40 count 1 answered exception 02").isEmpty());
    QCOMPARE(Run_Cli({"can-send", bus, "300#BEEF"}).Exit, 0);
    QTRY_COMPARE(Cell(monitor, Direction::Receive, 30, Monitor_Window::Col_Hex), QString("0xBEEF"));
    QCOMPARE(Cell(monitor, Direction::Receive, 40, Monitor_Window::Col_Hex), QString());
    monitor->close();
}

void Tst_Monitor_Window::closing_stops_the_polling()
{
    Live_Monitor live;
    QVERIFY(live.Open("Closed"));
    Test_Workspace &f = live.f;
    Monitor_Window *monitor = live.monitor;
    const std::unique_ptr<Running_Program> &emulator = live.emulator;
    live.Connect();
    QTRY_VERIFY(monitor->Connected());
    QVERIFY(!emulator->Wait_Line("client-connected").isEmpty());

    QTest::mouseClick(monitor->findChild<QPushButton *>("Btn_Close"), Qt::LeftButton);
    QVERIFY(!monitor->isVisible());
    QTRY_VERIFY(!monitor->Connected());
    QVERIFY(!monitor->findChild<QTimer *>("Timer_Poll")->isActive());
    QVERIFY(!monitor->findChild<QTimer *>("Timer_Retry")->isActive());
    // The device sees the connection end.
    QVERIFY(!emulator->Wait_Line("client-disconnected").isEmpty());
    // Shown again, it waits for the user to connect.
    f.Click("Btn_Monitor");
    QCOMPARE(monitor->Status_Text(), QString("Disconnected"));
    QCOMPARE(monitor->findChild<QPushButton *>("Btn_Connect")->text().remove(u'&'), QString("Connect"));
    monitor->close();
}

void Tst_Monitor_Window::a_missing_client_module_is_named()
{
    // A workspace without the module (as a program copied without it): Connect says what is
    // missing and where it was looked for, and does not keep retrying.
    Test_Workspace f;
    f.Start();
    f.Open_Configuration(QStringLiteral("NoClient"));
    f.state.Device_IP = QStringLiteral("127.0.0.1");
    f.Click("Btn_Monitor");
    Monitor_Window *monitor = f.window->Windows().Monitor;
    QVERIFY(monitor);
    auto *connect = monitor->findChild<QPushButton *>("Btn_Connect");
    const QString connect_text = connect->text();
    QTest::mouseClick(connect, Qt::LeftButton);
    QVERIFY2(monitor->Status_Text().contains(QLatin1String("qcx3310_modbus")) &&
                 monitor->Status_Text().contains(QDir::toNativeSeparators(f.state.Dir_Exe)),
             qPrintable(monitor->Status_Text()));
    QCOMPARE(connect->text(), connect_text);
    QVERIFY(!monitor->findChild<QTimer *>("Timer_Retry")->isActive());
    QVERIFY(!monitor->Connected());
    monitor->close();
}

void Tst_Monitor_Window::writable_cells_are_editable_for_screen_readers()
{
    Test_Workspace f;
    f.Start();
    const QString config = f.Open_Configuration(QStringLiteral("Spoken"));
    Write_Emulator_Fixture(config, QStringLiteral("0"));
    f.Click("Btn_Monitor");
    Monitor_Window *monitor = f.window->Windows().Monitor;
    QTableWidget *table = monitor->Table();
    QVERIFY(table->rowCount() > 0);
    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(table);
    QVERIFY(spoken && spoken->tableInterface());
    QCOMPARE(spoken->tableInterface()->rowCount(), table->rowCount());
    int writable = 0;
    for (int row = 0; row < monitor->Rows().size(); ++row) {
        const bool transmit = monitor->Rows()[row].Dir == Direction::Transmit;
        for (int column = 0; column < Monitor_Window::Col_Count; ++column) {
            QAccessibleInterface *cell = spoken->tableInterface()->cellAt(row, column);
            QVERIFY(cell);
            QCOMPARE(cell->role(), QAccessible::Cell);
            // The cells a value can be typed into, and only those, are said to take one.
            const bool takes = transmit && (column == Monitor_Window::Col_Decimal || column == Monitor_Window::Col_Hex);
            QVERIFY2(cell->state().editable == takes && cell->state().readOnly == !takes,
                     qPrintable(QStringLiteral("row %1 column %2").arg(row).arg(column)));
            QCOMPARE(cell->text(QAccessible::Name), table->item(row, column)->text());
            writable += takes;
        }
    }
    QVERIFY(writable > 0);
    // The cell a focus event names is the cell with the focus.
    table->setCurrentCell(1, Monitor_Window::Col_Register);
    QAccessibleInterface *focused = spoken->focusChild();
    QVERIFY(focused && focused->tableCellInterface());
    QCOMPARE(focused->tableCellInterface()->rowIndex(), 1);
    QCOMPARE(spoken->indexOfChild(focused),
             (1 + 1) * Monitor_Window::Col_Count + Monitor_Window::Col_Register);  // after the column headers
    QCOMPARE(spoken->child(Monitor_Window::Col_Register)->text(QAccessible::Name),
             table->horizontalHeaderItem(Monitor_Window::Col_Register)->text());
    monitor->close();
}

void Tst_Monitor_Window::a_refused_connection_is_said_in_the_language_data()
{
    // The client words a refused connection "TCP socket error (Connection refused)." in English
    // whatever the language; the status line says it in the user's.
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("status");  // %1: the seconds until the next try
    QTest::newRow("English") << "English"
                             << "Not connected (connection refused: nothing answers on this port at this address); next try in %1 s";
    QTest::newRow("Deutsch") << "Deutsch"
                             << "Nicht verbunden (Verbindung abgelehnt: unter dieser Adresse antwortet nichts auf diesem Port); neuer Versuch in %1 s";
    QTest::newRow("Español") << "Español" << QString();
    QTest::newRow("Français") << "Français" << QString();
    QTest::newRow("Italiano") << "Italiano" << QString();
}

void Tst_Monitor_Window::a_refused_connection_is_said_in_the_language()
{
    QFETCH(QString, language);
    QFETCH(QString, status);
    Test_Workspace f;
    f.Copy_Shipped_Languages();
    f.Start();
    f.state.Dir_Modules = QStringLiteral(QCX_WORKSPACE_DIR);
    const QString config = f.Open_Configuration(QStringLiteral("Refused"));
    Write_Emulator_Fixture(config, QStringLiteral("0"));
    f.Switch_Language(language);
    f.state.Device_IP = QStringLiteral("127.0.0.1");
    f.Click("Btn_Monitor");
    Monitor_Window *monitor = f.window->Windows().Monitor;
    // A port on this machine that nobody listens on: the connection is refused at once.
    Type_Number(monitor->findChild<QSpinBox *>("SE_Port"), Free_Port());
    QTest::mouseClick(monitor->findChild<QPushButton *>("Btn_Connect"), Qt::LeftButton);
    const QString refused = f.state.STR(STR_Monitor_Fault_Refused);
    QTRY_VERIFY2(monitor->Status_Text().contains(refused), qPrintable(monitor->Status_Text()));
    const QString shown = monitor->Status_Text();
    QVERIFY2(!shown.contains(QLatin1String("socket")) && !shown.contains(QLatin1String("Connection refused")), qPrintable(shown));
    if (status.isEmpty())
        // Every language has its own words for it.
        QVERIFY2(refused != QString::fromUtf16(Lang_Default_Texts[STR_Monitor_Fault_Refused]), qPrintable(refused));
    else
        QCOMPARE(shown, status.arg(QStringLiteral("1.0")));
    // The next try fails the same way, and is said the same way.
    QVERIFY(monitor->findChild<QTimer *>("Timer_Retry")->isActive());
    monitor->close();
}

QTEST_MAIN(Tst_Monitor_Window)
#include "tst_monitor_window.moc"
