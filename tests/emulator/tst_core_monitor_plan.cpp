// What the register monitor takes from a configuration and how it asks the device: the rows as
// a build hands them to the device, the fewest reads the device answers without an exception,
// and the values with the time each last changed.
#include "Emulator_Fixture.h"
#include "config/Image_Layout.h"
#include "monitor/Monitor_Plan.h"
#include "platform/Xml_Document.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Monitor_Read)

namespace {

QByteArray Read_All_Text(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

QString Describe(const QList<Monitor_Read> &reads)
{
    QStringList parts;
    for (const Monitor_Read &r : reads) parts << QStringLiteral("%1:%2+%3").arg(r.Function).arg(r.Start).arg(r.Count);
    return parts.join(u' ');
}

QList<Monitor_Row> Rows_Of(Direction dir, const QList<int> &registers)
{
    QList<Monitor_Row> rows;
    for (int reg : registers) {
        Monitor_Row r;
        r.Dir = dir;
        r.Register = uint16_t(reg);
        rows.append(r);
    }
    return rows;
}

QList<int> Range(int first, int count)
{
    QList<int> regs;
    for (int i = 0; i < count; ++i) regs << first + i;
    return regs;
}

}  // namespace

class Tst_Monitor_Plan : public QObject {
    Q_OBJECT
private slots:
    void rows_are_what_the_device_holds();
    void the_port_is_the_one_the_image_gets_data();
    void the_port_is_the_one_the_image_gets();
    void a_broken_file_is_an_error_naming_it();
    void reads_cover_each_direction_in_runs_data();
    void reads_cover_each_direction_in_runs();
    void the_fixture_is_read_in_four_requests();
    void values_remember_when_they_last_changed();
    void typed_values_data();
    void typed_values();
    void row_texts();
};

void Tst_Monitor_Plan::rows_are_what_the_device_holds()
{
    QTemporaryDir dir;
    Write_Emulator_Fixture(dir.path());
    const Project_Paths paths = Project_Paths_In(dir.path());
    // A mapping row of a frame that is not in the list never reaches the device.
    QByteArray maps = Read_All_Text(paths.Define_CAN_Transmit);
    maps.replace("</DefineTransJ1939>", Map_Row("7", "99").toUtf8() + "</DefineTransJ1939>");
    Write_All(paths.Define_CAN_Transmit, maps);
    // A mnemonic the user gave a frame shows with its rows.
    QByteArray frames = Read_All_Text(paths.CAN_Receive);
    frames.replace("Mnemonic=\"\"", "Mnemonic=\"Engine\"");
    Write_All(paths.CAN_Receive, frames);

    const Monitor_Configuration config = Read_Monitor_Configuration(paths);
    QCOMPARE(config.Rows.size(), 11);
    QList<int> rx, tx;
    for (const Monitor_Row &r : config.Rows) (r.Dir == Direction::Receive ? rx : tx) << r.Register;
    QCOMPARE(rx, (QList<int>{10, 11, 20, 12, 13, 30}));
    QCOMPARE(tx, (QList<int>{20, 21, 24, 22, 23}));
    // Receive first, in file order.
    QCOMPARE(config.Rows[0].Dir, Direction::Receive);
    QCOMPARE(config.Rows[10].Dir, Direction::Transmit);

    const Monitor_Row &r11 = config.Rows[1];
    QCOMPARE(r11.Frame, 0);
    QCOMPARE(r11.Ident, 0x181u);
    QCOMPARE(r11.Hi, uint16_t(0));
    QCOMPARE(r11.Lo, uint16_t(8));
    QCOMPARE(r11.Mnemonic, QString("Engine"));
    // The 29-bit frame of the same number as frame 0 keeps its format bit.
    const Monitor_Row &r13 = config.Rows[4];
    QCOMPARE(r13.Frame, 2);
    QCOMPARE(r13.Ident, 0x181u | Ident_Extended);
    QCOMPARE(r13.Dimension, 2);
    const Monitor_Row &t20 = config.Rows[6];
    QCOMPARE(t20.Register, uint16_t(20));
    QVERIFY(t20.Send_On_Write);
    QVERIFY(!config.Rows[7].Send_On_Write);
    QCOMPARE(config.Rows[8].Hi, uint16_t(5));  // beyond the frame: the device reads it as 0
}

void Tst_Monitor_Plan::the_port_is_the_one_the_image_gets_data()
{
    QTest::addColumn<QByteArray>("par_gen");
    QTest::addColumn<int>("port");
    QTest::newRow("no settings file: the image's default") << QByteArray() << 10001;
    QTest::newRow("a port") << QByteArray("<ParGen><MODBUS_TCP_SLAVE_Port>1502</MODBUS_TCP_SLAVE_Port></ParGen>") << 1502;
    QTest::newRow("hexadecimal") << QByteArray("<ParGen><MODBUS_TCP_SLAVE_Port>0x5DE</MODBUS_TCP_SLAVE_Port></ParGen>") << 1502;
    QTest::newRow("no port in the file") << QByteArray("<ParGen><CAN_BAUDRATE>5</CAN_BAUDRATE></ParGen>") << 502;
    QTest::newRow("not a number") << QByteArray("<ParGen><MODBUS_TCP_SLAVE_Port>abc</MODBUS_TCP_SLAVE_Port></ParGen>") << 502;
    QTest::newRow("wider than a port: low 16 bits") << QByteArray("<ParGen><MODBUS_TCP_SLAVE_Port>65538</MODBUS_TCP_SLAVE_Port></ParGen>") << 2;
}

void Tst_Monitor_Plan::the_port_is_the_one_the_image_gets()
{
    QFETCH(QByteArray, par_gen);
    QFETCH(int, port);
    QTemporaryDir dir;
    const Project_Paths paths = Project_Paths_In(dir.path());
    if (!par_gen.isEmpty()) Write_All(paths.ParGen, par_gen);
    QCOMPARE(int(Read_Monitor_Configuration(paths).Port), port);
}

void Tst_Monitor_Plan::a_broken_file_is_an_error_naming_it()
{
    QTemporaryDir dir;
    Write_Emulator_Fixture(dir.path());
    const Project_Paths paths = Project_Paths_In(dir.path());
    Write_All(paths.Define_CAN_Receive, "<DefineRecJ1939><row Num_Frame=\"0\"");
    try {
        Read_Monitor_Configuration(paths);
        QFAIL("a broken mapping file was read");
    } catch (const Xml_Error &e) {
        QVERIFY2(QString::fromStdString(e.what()).contains("Define_CAN_Receive.xml"), e.what());
    }
}

void Tst_Monitor_Plan::reads_cover_each_direction_in_runs_data()
{
    QTest::addColumn<QList<int>>("receive");
    QTest::addColumn<QList<int>>("transmit");
    QTest::addColumn<QString>("reads");
    QTest::newRow("nothing mapped") << QList<int>{} << QList<int>{} << "";
    QTest::newRow("one register each way, same number") << QList<int>{7} << QList<int>{7} << "4:7+1 3:7+1";
    QTest::newRow("holes split a run") << QList<int>{1, 2, 3, 5, 6, 9} << QList<int>{} << "4:1+3 4:5+2 4:9+1";
    QTest::newRow("out of order and twice") << QList<int>{12, 10, 11, 10} << QList<int>{} << "4:10+3";
    QTest::newRow("exactly 125") << Range(100, 125) << QList<int>{} << "4:100+125";
    QTest::newRow("126 is two reads") << QList<int>{} << Range(0, 126) << "3:0+125 3:125+1";
    QTest::newRow("300 in a row") << Range(1000, 300) << QList<int>{} << "4:1000+125 4:1125+125 4:1250+50";
    QTest::newRow("the top of the address space") << QList<int>{65533, 65534, 65535, 0} << QList<int>{} << "4:0+1 4:65533+3";
    // A register only received sits between transmit ones: 03 would read it, but the device
    // model reads receive registers with 04, so the transmit runs stay apart.
    QTest::newRow("directions never share a read") << QList<int>{21} << QList<int>{20, 22} << "4:21+1 3:20+1 3:22+1";
}

void Tst_Monitor_Plan::reads_cover_each_direction_in_runs()
{
    QFETCH(QList<int>, receive);
    QFETCH(QList<int>, transmit);
    QFETCH(QString, reads);
    const QList<Monitor_Read> plan = Plan_Monitor_Reads(Rows_Of(Direction::Receive, receive) + Rows_Of(Direction::Transmit, transmit));
    QCOMPARE(Describe(plan), reads);
    for (const Monitor_Read &r : plan) QVERIFY(r.Count >= 1 && r.Count <= Modbus_Max_Registers);
}

void Tst_Monitor_Plan::the_fixture_is_read_in_four_requests()
{
    QTemporaryDir dir;
    Write_Emulator_Fixture(dir.path());
    const QList<Monitor_Read> plan = Plan_Monitor_Reads(Read_Monitor_Configuration(Project_Paths_In(dir.path())).Rows);
    QCOMPARE(Describe(plan), QString("4:10+4 4:20+1 4:30+1 3:20+5"));
}

void Tst_Monitor_Plan::values_remember_when_they_last_changed()
{
    Monitor_Values values;
    const Monitor_Read rx{Monitor_Read_Input, 10, 2};
    QVERIFY(!values.Value(Direction::Receive, 10));
    QVERIFY(!values.Unchanged_Ms(Direction::Receive, 10, 0));

    QVERIFY(values.Apply(rx, {1, 2}, 1000));
    QCOMPARE(values.Value(Direction::Receive, 11), std::optional<uint16_t>(2));
    QCOMPARE(values.Unchanged_Ms(Direction::Receive, 10, 1500), std::optional<qint64>(500));
    // The same value again is no change.
    QVERIFY(values.Apply(rx, {1, 3}, 2000));
    QCOMPARE(values.Unchanged_Ms(Direction::Receive, 10, 2500), std::optional<qint64>(1500));
    QCOMPARE(values.Unchanged_Ms(Direction::Receive, 11, 2500), std::optional<qint64>(500));
    // An answer of the wrong length is refused whole.
    QVERIFY(!values.Apply(rx, {9}, 3000));
    QCOMPARE(values.Value(Direction::Receive, 10), std::optional<uint16_t>(1));
    // The same register number of the other direction is another register.
    QVERIFY(!values.Value(Direction::Transmit, 10));
    values.Set(Direction::Transmit, 10, 77, 3000);
    QCOMPARE(values.Value(Direction::Transmit, 10), std::optional<uint16_t>(77));
    QCOMPARE(values.Value(Direction::Receive, 10), std::optional<uint16_t>(1));
    values.Clear();
    QVERIFY(!values.Value(Direction::Transmit, 10));
}

void Tst_Monitor_Plan::typed_values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hex");   // typed into the hexadecimal column
    QTest::addColumn<int>("value");  // -1: refused
    QTest::newRow("decimal") << "4660" << false << 4660;
    QTest::newRow("blanks around") << "  12 " << false << 12;
    QTest::newRow("zero") << "0" << false << 0;
    QTest::newRow("largest") << "65535" << false << 65535;
    QTest::newRow("too large") << "65536" << false << -1;
    QTest::newRow("hex") << "0x1234" << false << 0x1234;
    QTest::newRow("hex upper prefix and digits") << "0XABcd" << false << 0xABCD;
    QTest::newRow("hex too large") << "0x10000" << false << -1;
    QTest::newRow("bare prefix") << "0x" << false << -1;
    QTest::newRow("hex digits in the decimal column") << "BEEF" << false << -1;
    QTest::newRow("bare digits in the hex column") << "1234" << true << 0x1234;
    QTest::newRow("hex digits in the hex column") << "beef" << true << 0xBEEF;
    QTest::newRow("prefixed in the hex column") << "0x00FF" << true << 0xFF;
    QTest::newRow("leading zeros in the hex column") << "0000FFFF" << true << 0xFFFF;
    QTest::newRow("too large in the hex column") << "10000" << true << -1;
    QTest::newRow("not hex in the hex column") << "12G" << true << -1;
    QTest::newRow("negative") << "-1" << false << -1;
    QTest::newRow("plus sign") << "+5" << false << -1;
    QTest::newRow("hex sign") << "0x+5" << false << -1;
    QTest::newRow("blank inside") << "1 2" << false << -1;
    QTest::newRow("empty") << "" << false << -1;
    QTest::newRow("empty in the hex column") << " " << true << -1;
    QTest::newRow("letters") << "xyz" << false << -1;
    QTest::newRow("other digits") << QString::fromUtf8("\u0661\u0662") << false << -1;
}

void Tst_Monitor_Plan::typed_values()
{
    QFETCH(QString, text);
    QFETCH(bool, hex);
    QFETCH(int, value);
    const std::optional<uint16_t> parsed = Parse_Register_Value(text, hex);
    QCOMPARE(parsed ? int(*parsed) : -1, value);
}

void Tst_Monitor_Plan::row_texts()
{
    QCOMPARE(Monitor_Ident_Text(0x181), QString("0x181"));
    QCOMPARE(Monitor_Ident_Text(0x7), QString("0x007"));
    QCOMPARE(Monitor_Ident_Text(0x18FF0010u | Ident_Extended), QString("0x18FF0010"));
    QCOMPARE(Monitor_Ident_Text(0x181u | Ident_Extended), QString("0x00000181"));
    QCOMPARE(Monitor_Bytes_Text(1, 2), QString("1/2"));
    QCOMPARE(Monitor_Bytes_Text(0, 8), QString("-/8"));
    QCOMPARE(Monitor_Hex_Text(0xAB), QString("0x00AB"));
    QCOMPARE(Monitor_Seconds_Text(0), QString("0.0"));
    QCOMPARE(Monitor_Seconds_Text(2599), QString("2.5"));
    QCOMPARE(Monitor_Seconds_Text(61000), QString("61.0"));
}

QTEST_GUILESS_MAIN(Tst_Monitor_Plan)
#include "tst_core_monitor_plan.moc"
