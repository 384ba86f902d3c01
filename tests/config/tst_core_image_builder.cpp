// The device images: exact bytes for known configurations, the reading rules the build applies
// to every value, its errors, its capacity, and the writing of the bank files.
#include "File_Bytes.h"
#include "config/Image_Builder.h"
#include "config/Image_Decoder.h"
#include "config/Project_Files.h"
#include "Config_Text.h"
#include "test_config.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Image_Builder : public QObject {
    Q_OBJECT
private slots:
    void known_configurations_data();
    void known_configurations();
    void a_build_keeps_nothing_of_the_one_before();
    void reading_rules_data();
    void reading_rules();
    void errors_name_file_row_and_cause_data();
    void errors_name_file_row_and_cause();
    void capacity_limits_data();
    void capacity_limits();
    void save_creates_bin_and_writes_exact_files();
    void save_failure_leaves_earlier_pair();
    void layouts_read_back();
    void writers_read_back_what_they_wrote();
};

namespace {

using Files = QMap<QString, QByteArray>;

QByteArray Hex(const char *text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

void Put_Files(const QString &dir, const Files &files)
{
    for (auto it = files.begin(); it != files.end(); ++it) Write_All(dir + '/' + it.key(), it.value());
}

void Copy_Fixture(const QString &name, const QString &to)
{
    if (name.isEmpty()) return;
    const QDir from(QStringLiteral(QCX_TEST_DATA_DIR "/images/") + name);
    for (const QString &file : from.entryList(QDir::Files)) QFile::copy(from.filePath(file), to + '/' + file);
}

uint32_t U32(const QByteArray &b, int at) { return Get_U32(reinterpret_cast<const uint8_t *>(b.constData()) + at); }

// The header the device expects, written out from the layout table byte by byte.
QByteArray Expected_Header(uint32_t baud, const QList<int> &ip, const QList<int> &mask, const QList<int> &gw,
                           int port, const QList<uint32_t> &counts_and_addresses, uint32_t checksum)
{
    QByteArray h(2048, '\0');
    auto u32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) h[at + i] = char(v >> (8 * i));
    };
    auto u16 = [&](int at, int v) {
        h[at] = char(v);
        h[at + 1] = char(v >> 8);
    };
    u32(0x000, baud);
    u32(0x004, baud);
    u32(0x008, 9600);
    for (int i = 0; i < 4; ++i) {
        h[0x028 + i] = char(ip[i]);
        h[0x02C + i] = char(mask[i]);
        h[0x030 + i] = char(gw[i]);
    }
    u16(0x034, 10000);
    u16(0x036, port);
    u16(0x038, port);
    u32(0x03C, 9600);
    u32(0x040, 2);
    for (int i = 0; i < 8; ++i) u32(0x1FC + 4 * i, counts_and_addresses[i]);
    u32(0x7FC, checksum);
    return h;
}

QByteArray Par_Gen(const QString &elements) { return ("<Par_Gen>" + elements + "</Par_Gen>").toUtf8(); }
QString El(const QString &name, const QString &text) { return QStringLiteral("<%1>%2</%1>").arg(name, text); }

Configuration_Image Compile(const QString &dir)
{
    Configuration_Image image;
    image.Compile_Bin(Project_Paths_In(dir));
    return image;
}

}  // namespace

void Tst_Image_Builder::known_configurations_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QByteArray>("bank1");
    QTest::addColumn<QByteArray>("bank2");

    // No files at all: the device's own values.
    QTest::newRow("no files") << QString()
                              << Expected_Header(125000, {192, 168, 2, 205}, {255, 255, 255, 0}, {255, 255, 255, 255},
                                                 10001, {0, 0x68800, 0, 0x68800, 0, 0x58000, 0, 0x58000}, 4011)
                              << QByteArray();

    // The settings dialog's defaults and nothing else.
    const QByteArray defaults = Expected_Header(250000, {192, 168, 0, 10}, {255, 255, 255, 0}, {255, 255, 255, 255},
                                                502, {0, 0x68800, 0, 0x68800, 0, 0x58000, 0, 0x58000}, 4296);
    QCOMPARE(defaults.left(12), Hex("90 D0 03 00 90 D0 03 00 80 25 00 00"));
    QTest::newRow("defaults") << "defaults" << defaults << QByteArray();

    // One frame and one mapping in each direction.
    QTest::newRow("example")
        << "example"
        << Expected_Header(250000, {192, 168, 0, 10}, {255, 255, 255, 0}, {255, 255, 255, 255}, 502,
                           {1, 0x68800, 1, 0x68820, 1, 0x58000, 1, 0x58010}, 4348) +
               Hex("81 01 00 00 E8 03 00 00 00 00 00 00 08 00 00 00") + QByteArray(16, '\0') +
               Hex("01 00 FF 98 00 00 00 00 F4 01 00 00 04 03 00 00") + QByteArray(16, '\0')
        << Hex("0A 00 00 00 01 00 02 00 00 00 00 00 00 00 00 00"
               "14 00 00 00 02 00 01 00 03 00 00 00 00 00 00 00");
}

void Tst_Image_Builder::known_configurations()
{
    QFETCH(QString, fixture);
    QFETCH(QByteArray, bank1);
    QFETCH(QByteArray, bank2);
    QTemporaryDir dir;
    Copy_Fixture(fixture, dir.path());

    const Configuration_Image image = Compile(dir.path());
    QCOMPARE(image.Bank1_Image().toHex(' '), bank1.toHex(' '));
    QCOMPARE(image.Bank1_Len(), bank1.size());
    QCOMPARE(image.Bank2_Image(), bank2);
    QCOMPARE(image.Bank2_Len(), bank2.size());

    // The same bytes on disk, an empty bank2.bin included; saving again changes nothing.
    image.Save_Bin_Files(Project_Paths_In(dir.path()));
    image.Save_Bin_Files(Project_Paths_In(dir.path()));
    QCOMPARE(Read_All(dir.filePath("bin/bank1.bin")), bank1);
    QCOMPARE(Read_All(dir.filePath("bin/bank2.bin")), bank2);
}

void Tst_Image_Builder::a_build_keeps_nothing_of_the_one_before()
{
    QTemporaryDir full;
    QTemporaryDir empty;
    Copy_Fixture("example", full.path());
    Configuration_Image image = Compile(full.path());
    image.Compile_Bin(Project_Paths_In(empty.path()));
    QCOMPARE(image.Bank1_Image(), Compile(empty.path()).Bank1_Image());
    QCOMPARE(image.Bank2_Len(), 0);

    // A failed build holds no images, so the earlier ones cannot be saved by mistake.
    Write_All(empty.filePath("CAN_Receive.xml"), "<ReceiveCAN><row");
    QVERIFY_THROWS_EXCEPTION(Xml_Error, image.Compile_Bin(Project_Paths_In(empty.path())));
    QVERIFY(!image.Built());
    QVERIFY_THROWS_EXCEPTION(File_Error, image.Save_Bin_Files(Project_Paths_In(empty.path())));
    QVERIFY(!QFile::exists(empty.filePath("bin/bank1.bin")));
}

void Tst_Image_Builder::reading_rules_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<int>("bank");    // 1 or 2
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");   // bytes: 1, 2 or 4
    QTest::addColumn<qint64>("value");

    const QString rx = "CAN_Receive.xml", tx = "CAN_Transmit.xml", pg = "ParGen.xml";
    const QString rxm = "Define_CAN_Receive.xml", txm = "Define_CAN_Transmit.xml";
    const int f0 = 0x800, f1 = 0x820;  // first and second frame record

    // Settings: each falls back on its own; a present file never gives the device's own values.
    QTest::newRow("baud code 9") << Files{{pg, Par_Gen(El("CAN_BAUDRATE", "9"))}} << 1 << 0 << 4 << 250000ll;
    QTest::newRow("baud code -1") << Files{{pg, Par_Gen(El("CAN_BAUDRATE", "-1"))}} << 1 << 4 << 4 << 250000ll;
    QTest::newRow("baud code $8") << Files{{pg, Par_Gen(El("CAN_BAUDRATE", "$8"))}} << 1 << 0 << 4 << 1000000ll;
    QTest::newRow("baud code 0x0") << Files{{pg, Par_Gen(El("CAN_BAUDRATE", "0x0"))}} << 1 << 0 << 4 << 10000ll;
    QTest::newRow("baud code empty") << Files{{pg, Par_Gen(El("CAN_BAUDRATE", ""))}} << 1 << 0 << 4 << 250000ll;
    QTest::newRow("settings file without elements") << Files{{pg, Par_Gen("")}} << 1 << 0x028 << 4 << 0x0A00A8C0ll;
    QTest::newRow("octet 300 keeps low bits") << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_IP1", "300"))}} << 1 << 0x028 << 1 << 44ll;
    QTest::newRow("octet with leading blank") << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_IP4", " 7"))}} << 1 << 0x02B << 1 << 7ll;
    QTest::newRow("octet with trailing blank") << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_IP4", "7 "))}} << 1 << 0x02B << 1 << 10ll;
    QTest::newRow("octet 181h") << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_IP2", "181h"))}} << 1 << 0x029 << 1 << 168ll;
    QTest::newRow("mask octet not a number") << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_SM3", "x"))}} << 1 << 0x02E << 1 << 255ll;
    QTest::newRow("gateway enabled")
        << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_EN_GAT", "1") + El("MODBUS_TCP_SLAVE_GAT1", "10") +
                              El("MODBUS_TCP_SLAVE_GAT2", "$0") + El("MODBUS_TCP_SLAVE_GAT3", "") +
                              El("MODBUS_TCP_SLAVE_GAT4", "1"))}}
        << 1 << 0x030 << 4 << 0x01FF000All;
    for (const char *enable : {"true", " 1", "01", "0"})
        QTest::addRow("gateway enable \"%s\" is off", enable)
            << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_EN_GAT", enable) + El("MODBUS_TCP_SLAVE_GAT1", "10"))}}
            << 1 << 0x030 << 4 << 0xFFFFFFFFll;
    QTest::newRow("port 70000 keeps low bits") << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_Port", "70000"))}} << 1 << 0x038 << 2 << 4464ll;
    QTest::newRow("port not a number") << Files{{pg, Par_Gen(El("MODBUS_TCP_SLAVE_Port", "50 2"))}} << 1 << 0x036 << 2 << 502ll;
    QTest::newRow("settings after a declaration")
        << Files{{pg, "<?xml version=\"1.0\"?>" + Par_Gen(El("CAN_BAUDRATE", "4"))}} << 1 << 0 << 4 << 125000ll;
    QTest::newRow("settings after a comment")
        << Files{{pg, "<!-- settings -->\n" + Par_Gen(El("MODBUS_TCP_SLAVE_Port", "503"))}} << 1 << 0x036 << 2 << 503ll;
    QTest::newRow("settings with BOM and line break")
        << Files{{pg, "\xEF\xBB\xBF" + Par_Gen(El("CAN_BAUDRATE", "4")) + "\r\n<!--SW_VERSION = 1.102-->\r\n"}}
        << 1 << 0 << 4 << 125000ll;

    // Frames.
    for (const char *cob : {"0x181", "$181", "385", "X181", " +0X181"})
        QTest::addRow("Cob-ID %s", cob) << Files{{rx, Rx(Rx_Row(cob))}} << 1 << f0 << 4 << 0x181ll;
    QTest::newRow("Cob-ID 181h") << Files{{rx, Rx(Rx_Row("181h"))}} << 1 << f0 << 4 << 0ll;
    QTest::newRow("Cob-ID empty") << Files{{rx, Rx(Rx_Row(""))}} << 1 << f0 << 4 << 0ll;
    QTest::newRow("type in lower case is 29-bit")
        << Files{{rx, Rx(Rx_Row("$1FFFFFFF", "8", "can 2.0b 29 bits"))}} << 1 << f0 << 4 << 0x9FFFFFFFll;
    QTest::newRow("type with a leading blank is 11-bit")
        << Files{{rx, Rx(Rx_Row("5", "8", " CAN 2.0B 29 bits"))}} << 1 << f0 << 4 << 5ll;
    QTest::newRow("type with a trailing blank is 11-bit")
        << Files{{tx, Tx(Tx_Row("5", "8", "CAN 2.0B 29 bits "))}} << 1 << f0 << 4 << 5ll;
    // Values as the XML reader gives them: tab, line feed and carriage return become a space
    // each, a CR LF pair one space, references their character.
    QTest::newRow("type with a tab is 29-bit")
        << Files{{rx, Rx(Rx_Row("5", "8", "CAN 2.0B\t29 bits"))}} << 1 << f0 << 4 << 0x80000005ll;
    QTest::newRow("type with CR LF is 29-bit")
        << Files{{rx, Rx(Rx_Row("5", "8", "CAN 2.0B\r\n29 bits"))}} << 1 << f0 << 4 << 0x80000005ll;
    QTest::newRow("type with CR LF CR LF is 11-bit")
        << Files{{rx, Rx(Rx_Row("5", "8", "CAN 2.0B\r\n\r\n29 bits"))}} << 1 << f0 << 4 << 5ll;
    QTest::newRow("type with a reference is 29-bit")
        << Files{{rx, Rx(Rx_Row("5", "8", "CAN 2.0B&#32;29 bits"))}} << 1 << f0 << 4 << 0x80000005ll;
    QTest::newRow("type with &amp; is 11-bit")
        << Files{{rx, Rx(Rx_Row("5", "8", "CAN 2.0B &amp; 29 bits"))}} << 1 << f0 << 4 << 5ll;
    QTest::newRow("Cob-ID after a tab") << Files{{rx, Rx(Rx_Row("\t5"))}} << 1 << f0 << 4 << 5ll;
    QTest::newRow("Cob-ID before a line break") << Files{{rx, Rx(Rx_Row("5\r\n"))}} << 1 << f0 << 4 << 0ll;
    QTest::newRow("Cob-ID as references") << Files{{rx, Rx(Rx_Row("&#x24;1&#70;"))}} << 1 << f0 << 4 << 0x1Fll;
    QTest::newRow("Cob-ID in single quotes")
        << Files{{rx, Rx("<row CobID='7' Dimension='8' Type='' TimeOut='0'/>")}} << 1 << f0 << 4 << 7ll;
    QTest::newRow("dimension empty") << Files{{rx, Rx(Rx_Row("1", ""))}} << 1 << f0 + 12 << 1 << 8ll;
    QTest::newRow("dimension 12 kept") << Files{{rx, Rx(Rx_Row("1", "12"))}} << 1 << f0 + 12 << 1 << 12ll;
    QTest::newRow("dimension 300 keeps low bits") << Files{{rx, Rx(Rx_Row("1", "300"))}} << 1 << f0 + 12 << 1 << 44ll;
    QTest::newRow("timeout empty") << Files{{rx, Rx(Rx_Row("1", "8", "", ""))}} << 1 << f0 + 4 << 4 << 0ll;
    QTest::newRow("timeout -1") << Files{{rx, Rx(Rx_Row("1", "8", "", "-1"))}} << 1 << f0 + 4 << 4 << 0xFFFFFFFFll;
    QTest::newRow("receive row without Mnemonic")
        << Files{{rx, Rx("<row CobID=\"1\" Dimension=\"2\" Type=\"\" TimeOut=\"3\"/>")}} << 1 << f0 + 4 << 4 << 3ll;
    QTest::newRow("second receive frame offset") << Files{{rx, Rx(Rx_Row("1") + Rx_Row("2"))}} << 1 << f1 + 14 << 2 << 8ll;
    QTest::newRow("frames after a declaration") << Files{{rx, "<?xml version=\"1.0\"?>" + Rx(Rx_Row("1"))}} << 1 << 0x1FC << 4 << 1ll;
    QTest::newRow("frames after a processing instruction")
        << Files{{tx, "<?xml-stylesheet href=\"f.xsl\"?>" + Tx(Tx_Row("$123"))}} << 1 << f0 << 4 << 0x123ll;
    QTest::newRow("mappings after a declaration")
        << Files{{rx, Rx(Rx_Row("1"))}, {rxm, "<?xml version=\"1.0\"?>\r\n" + Rx_Maps(Map_Row("0", "77"))}} << 2 << 0 << 2 << 77ll;
    QTest::newRow("frames with BOM and indentation")
        << Files{{rx, "\xEF\xBB\xBF<ReceiveCAN>\r\n  " + Rx_Row("1").toUtf8() + "\r\n  " + Rx_Row("2").toUtf8() + "\r\n</ReceiveCAN>\r\n"}}
        << 1 << 0x1FC << 4 << 2ll;
    QTest::newRow("row element names are not examined")
        << Files{{rx, "<x><a CobID=\"1\" Dimension=\"8\" Type=\"\" TimeOut=\"0\"/><b CobID=\"2\" Dimension=\"8\" Type=\"\" TimeOut=\"0\"/></x>"}}
        << 1 << f1 << 4 << 2ll;
    QTest::newRow("data change y") << Files{{tx, Tx(Tx_Row("1", "8", "", "y"))}} << 1 << f0 + 13 << 1 << 3ll;
    QTest::newRow("data change Yes") << Files{{tx, Tx(Tx_Row("1", "8", "", "Yes"))}} << 1 << f0 + 13 << 1 << 1ll;
    QTest::newRow("data change empty") << Files{{tx, Tx(Tx_Row("1", "8", "", ""))}} << 1 << f0 + 13 << 1 << 1ll;
    QTest::newRow("on timer N ignores send timer")
        << Files{{tx, Tx(Tx_Row("1", "8", "", "N", "N", "500"))}} << 1 << f0 + 8 << 4 << 0ll;
    QTest::newRow("on timer y") << Files{{tx, Tx(Tx_Row("1", "8", "", "N", "y", "$1F4"))}} << 1 << f0 + 8 << 4 << 500ll;
    QTest::newRow("on timer Y with empty send timer")
        << Files{{tx, Tx(Tx_Row("1", "8", "", "N", "Y", ""))}} << 1 << f0 + 8 << 4 << 0ll;
    QTest::newRow("send timer not read without on timer")
        << Files{{tx, Tx("<row CobID=\"1\" Dimension=\"8\" Type=\"\" DataChange=\"N\" OnTimer=\"N\"/>")}}
        << 1 << 0x204 << 4 << 1ll;
    QTest::newRow("transmit timeout stays 0") << Files{{tx, Tx(Tx_Row("1"))}} << 1 << f0 + 4 << 4 << 0ll;
    QTest::newRow("transmit frames follow receive frames")
        << Files{{rx, Rx(Rx_Row("1") + Rx_Row("2"))}, {tx, Tx(Tx_Row("3") + Tx_Row("4"))}} << 1 << 0x208 << 4 << 0x68840ll;
    QTest::newRow("transmit frame numbers count from 0")
        << Files{{rx, Rx(Rx_Row("1") + Rx_Row("2"))}, {tx, Tx(Tx_Row("3") + Tx_Row("4"))}} << 1 << 0x860 + 14 << 2 << 8ll;

    // Mappings.
    const Files one_rx{{rx, Rx(Rx_Row("1"))}};
    auto with = [](Files f, const QString &name, const QByteArray &bytes) {
        f[name] = bytes;
        return f;
    };
    QTest::newRow("Mod_Index not a number") << with(one_rx, rxm, Rx_Maps(Map_Row("0", "x"))) << 2 << 0 << 2 << 100ll;
    QTest::newRow("Mod_Index $FFFF") << with(one_rx, rxm, Rx_Maps(Map_Row("0", "$FFFF"))) << 2 << 0 << 2 << 65535ll;
    QTest::newRow("Mod_Index 65537 keeps low bits") << with(one_rx, rxm, Rx_Maps(Map_Row("0", "65537"))) << 2 << 0 << 2 << 1ll;
    QTest::newRow("byte part empty") << with(one_rx, rxm, Rx_Maps(Map_Row("0", "1", ""))) << 2 << 4 << 2 << 0ll;
    QTest::newRow("byte part hex") << with(one_rx, rxm, Rx_Maps(Map_Row("0", "1", "1", "0x8"))) << 2 << 6 << 2 << 8ll;
    for (const char *frame : {"1", "-1", "", "x"})
        QTest::addRow("Num_Frame \"%s\" skipped", frame)
            << with(one_rx, rxm, Rx_Maps(Map_Row(frame, "1") + Map_Row("$0", "7"))) << 2 << 0 << 2 << 7ll;
    QTest::newRow("skipped row needs no other attribute")
        << with(one_rx, rxm, Rx_Maps("<row Num_Frame=\"3\"/>")) << 1 << 0x20C << 4 << 0ll;
    QTest::newRow("mappings without receive frames are not read")
        << Files{{rxm, "not even XML"}, {tx, Tx(Tx_Row("1"))}} << 1 << 0x20C << 4 << 0ll;
    const Files one_tx{{tx, Tx(Tx_Row("1"))}};
    QTest::newRow("send on write 1") << with(one_tx, txm, Tx_Maps(Map_Row("0", "1", "1", "2", " Send_on_Write=\"1\""))) << 2 << 8 << 1 << 3ll;
    QTest::newRow("send on write 01") << with(one_tx, txm, Tx_Maps(Map_Row("0", "1", "1", "2", " Send_on_Write=\"01\""))) << 2 << 8 << 1 << 1ll;
    QTest::newRow("send on write 1 and a line feed")
        << with(one_tx, txm, Tx_Maps(Map_Row("0", "1", "1", "2", " Send_on_Write=\"1\n\""))) << 2 << 8 << 1 << 1ll;
    QTest::newRow("send on write &#49;")
        << with(one_tx, txm, Tx_Maps(Map_Row("0", "1", "1", "2", " Send_on_Write=\"&#49;\""))) << 2 << 8 << 1 << 3ll;
    QTest::newRow("send on write missing") << with(one_tx, txm, Tx_Maps(Map_Row("0", "1"))) << 2 << 8 << 1 << 1ll;
    QTest::newRow("receive mapping flags 0") << with(one_rx, rxm, Rx_Maps(Map_Row("0", "1"))) << 2 << 8 << 1 << 0ll;
    Files both = with(with(one_rx, rxm, Rx_Maps(Map_Row("0", "1") + Map_Row("0", "2"))), tx, Tx(Tx_Row("1")));
    both[txm] = Tx_Maps(Map_Row("0", "30") + Map_Row("1", "31") + Map_Row("0", "32"));
    QTest::newRow("transmit mappings address") << both << 1 << 0x218 << 4 << 0x58020ll;
    QTest::newRow("transmit mappings count") << both << 1 << 0x214 << 4 << 2ll;
    QTest::newRow("skipped row leaves no gap") << both << 2 << 48 << 2 << 32ll;
}

void Tst_Image_Builder::reading_rules()
{
    QFETCH(Files, files);
    QFETCH(int, bank);
    QFETCH(int, offset);
    QFETCH(int, width);
    QFETCH(qint64, value);
    QTemporaryDir dir;
    Put_Files(dir.path(), files);
    const Configuration_Image image = Compile(dir.path());
    const QByteArray bytes = bank == 1 ? image.Bank1_Image() : image.Bank2_Image();
    QVERIFY2(offset + width <= bytes.size(), qPrintable(QString::number(bytes.size())));
    qint64 got = 0;
    for (int i = width - 1; i >= 0; --i) got = (got << 8) | uint8_t(bytes[offset + i]);
    QCOMPARE(got, value);
    // Whatever the files hold, the checksum covers the header.
    QCOMPARE(U32(image.Bank1_Image(), 0x7FC),
             Bank1_Checksum(reinterpret_cast<const uint8_t *>(image.Bank1_Image().constData())));
}

void Tst_Image_Builder::errors_name_file_row_and_cause_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("mentions");

    QTest::newRow("malformed settings")
        << Files{{"ParGen.xml", "<Par_Gen>\n<CAN_BAUDRATE>5</CAN_BAUDRATE>\n<MODBUS_TCP_SLAVE_Port>"}}
        << "ParGen.xml" << QStringList{"line 3"};
    QTest::newRow("receive row without TimeOut")
        << Files{{"CAN_Receive.xml", Rx(Rx_Row("1") + "<row CobID=\"2\" Dimension=\"8\" Type=\"\"/>")}}
        << "CAN_Receive.xml" << QStringList{"row 2", "\"TimeOut\""};
    QTest::newRow("transmit row without OnTimer")
        << Files{{"CAN_Transmit.xml", Tx("<row CobID=\"2\" Dimension=\"8\" Type=\"\" DataChange=\"N\"/>")}}
        << "CAN_Transmit.xml" << QStringList{"row 1", "\"OnTimer\""};
    QTest::newRow("transmit on timer without SendTimer")
        << Files{{"CAN_Transmit.xml", Tx("<row CobID=\"2\" Dimension=\"8\" Type=\"\" DataChange=\"N\" OnTimer=\"Y\"/>")}}
        << "CAN_Transmit.xml" << QStringList{"row 1", "\"SendTimer\""};
    QTest::newRow("a comment among the rows")
        << Files{{"CAN_Receive.xml", Rx(Rx_Row("1") + "<!-- spare -->")}} << "CAN_Receive.xml"
        << QStringList{"row 2", "\"CobID\""};
    QTest::newRow("mapping row without Byte_LoPart")
        << Files{{"CAN_Receive.xml", Rx(Rx_Row("1"))},
                 {"Define_CAN_Receive.xml", Rx_Maps("<row Num_Frame=\"0\" Mod_Index=\"1\" Byte_HiPart=\"1\"/>")}}
        << "Define_CAN_Receive.xml" << QStringList{"row 1", "\"Byte_LoPart\""};
    QTest::newRow("mapping row without Num_Frame")
        << Files{{"CAN_Transmit.xml", Tx(Tx_Row("1"))},
                 {"Define_CAN_Transmit.xml", Tx_Maps(Map_Row("0", "1") + "<row Mod_Index=\"1\"/>")}}
        << "Define_CAN_Transmit.xml" << QStringList{"row 2", "\"Num_Frame\""};
}

void Tst_Image_Builder::errors_name_file_row_and_cause()
{
    QFETCH(Files, files);
    QFETCH(QString, file);
    QFETCH(QStringList, mentions);
    QTemporaryDir dir;
    Put_Files(dir.path(), files);
    try {
        Compile(dir.path());
        QFAIL("the build went through");
    } catch (const Xml_Error &e) {
        QCOMPARE(e.File, dir.filePath(file));
        for (const QString &m : mentions) QVERIFY2(e.Text().contains(m), qPrintable(e.Text()));
    }
}

void Tst_Image_Builder::capacity_limits_data()
{
    QTest::addColumn<int>("rx_frames");
    QTest::addColumn<int>("tx_frames");
    QTest::addColumn<int>("rx_maps");
    QTest::addColumn<int>("tx_maps");
    QTest::addColumn<QString>("error");  // empty: the build goes through

    QTest::newRow("full tables") << 300 << 212 << 4000 << 96 << QString();
    QTest::newRow("one frame too many") << 300 << 213 << 0 << 0 << "CAN_Transmit.xml: row 213: more than 512 frame records";
    QTest::newRow("too many receive frames") << 513 << 0 << 0 << 0 << "CAN_Receive.xml: row 513: more than 512 frame records";
    QTest::newRow("one mapping too many") << 1 << 1 << 4000 << 97 << "Define_CAN_Transmit.xml: row 97: more than 4096 mapping records";
    QTest::newRow("too many receive mappings") << 1 << 0 << 5000 << 0 << "Define_CAN_Receive.xml: row 4097: more than 4096 mapping records";
}

void Tst_Image_Builder::capacity_limits()
{
    QFETCH(int, rx_frames);
    QFETCH(int, tx_frames);
    QFETCH(int, rx_maps);
    QFETCH(int, tx_maps);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QString rows;
    for (int i = 0; i < rx_frames; ++i) rows += Rx_Row(QString::number(i));
    Write_All(dir.filePath("CAN_Receive.xml"), Rx(rows));
    rows.clear();
    for (int i = 0; i < tx_frames; ++i) rows += Tx_Row(QString::number(i));
    Write_All(dir.filePath("CAN_Transmit.xml"), Tx(rows));
    rows.clear();
    for (int i = 0; i < rx_maps; ++i) rows += Map_Row("0", QString::number(i));
    Write_All(dir.filePath("Define_CAN_Receive.xml"), Rx_Maps(rows));
    rows.clear();
    for (int i = 0; i < tx_maps; ++i) rows += Map_Row("0", QString::number(i));
    Write_All(dir.filePath("Define_CAN_Transmit.xml"), Tx_Maps(rows));

    Configuration_Image image;
    try {
        image.Compile_Bin(Project_Paths_In(dir.path()));
        QVERIFY2(error.isEmpty(), "the build went through");
    } catch (const Xml_Error &e) {
        QVERIFY2(!error.isEmpty() && e.Text().startsWith(dir.filePath(error)), qPrintable(e.Text()));
        return;
    }
    QCOMPARE(image.Bank1_Len(), Bank1_Max_Len);
    QCOMPARE(image.Bank2_Len(), Bank2_Max_Len);
    const QByteArray bank1 = image.Bank1_Image();
    QCOMPARE(U32(bank1, 0x208), 0x68800u + 32 * 300);
    QCOMPARE(Get_Frame_Entry(reinterpret_cast<const uint8_t *>(bank1.constData()) + Bank1_Max_Len - 32),
             (Frame_Entry{211, 0, 0, 8, Frame_Flag_Transmit, 211 * 8}));
    QCOMPARE(Get_Map_Entry(reinterpret_cast<const uint8_t *>(image.Bank2_Image().constData()) + Bank2_Max_Len - 16),
             (Map_Entry{95, 0, 1, 2, Map_Flag_Transmit}));

    // Read back, the full pair holds together and gives the same records.
    QString why;
    const std::optional<Decoded_Images> d = Decode_Images(bank1, image.Bank2_Image(), &why);
    QVERIFY2(d, qPrintable(why));
    QCOMPARE(d->Problems, QStringList());
    QCOMPARE(d->Header, image.Param());
    QCOMPARE(d->Frames.size(), Max_Frame_Records);
    QCOMPARE(d->Rx_Frames(), 300);
    QCOMPARE(d->Frames[299], image.Frame(299));
    QCOMPARE(d->Maps.size(), Max_Map_Records);
    QCOMPARE(d->Maps[4000], image.Map(4000));
}

void Tst_Image_Builder::save_creates_bin_and_writes_exact_files()
{
    QTemporaryDir dir;
    Copy_Fixture("example", dir.path());
    const QString project = dir.filePath("nested/Conf");  // no bin folder, not even the project's
    QDir().mkpath(project);
    Copy_Fixture("example", project);
    const Configuration_Image image = Compile(project);
    image.Save_Bin_Files(Project_Paths_In(project));
    QCOMPARE(Read_All(Project_Paths_In(project).Bank1), image.Bank1_Image());
    QCOMPARE(Read_All(Project_Paths_In(project).Bank2), image.Bank2_Image());
    QCOMPARE(QDir(project + "/bin").entryList(QDir::Files | QDir::Hidden),
             (QStringList{"bank1.bin", "bank2.bin"}));
}

void Tst_Image_Builder::save_failure_leaves_earlier_pair()
{
    QTemporaryDir dir;
    Copy_Fixture("example", dir.path());
    const Configuration_Image image = Compile(dir.path());

    // bank2.bin cannot be replaced (a folder stands in its place): bank1.bin keeps its old bytes.
    QDir().mkpath(dir.filePath("bin/bank2.bin"));
    Write_All(dir.filePath("bin/bank1.bin"), "old");
    try {
        image.Save_Bin_Files(Project_Paths_In(dir.path()));
        QFAIL("saved");
    } catch (const File_Error &e) {
        // The images are no XML: their errors are a file's, with no place in a text.
        QVERIFY(!dynamic_cast<const Xml_Error *>(&e));
        QCOMPARE(e.File, Project_Paths_In(dir.path()).Bank2);
        QVERIFY2(!e.Reason.isEmpty(), qPrintable(e.Text()));
    }
    QCOMPARE(Read_All(dir.filePath("bin/bank1.bin")), QByteArray("old"));
    QCOMPARE(QDir(dir.filePath("bin")).entryList(QDir::Files | QDir::Hidden), QStringList{"bank1.bin"});

    // A file where the bin folder belongs.
    QTemporaryDir other;
    Write_All(other.filePath("bin"), "");
    QVERIFY_THROWS_EXCEPTION(File_Error, image.Save_Bin_Files(Project_Paths_In(other.path())));
}

void Tst_Image_Builder::layouts_read_back()
{
    Bank1_Header h;
    h.CAN_Baud = 0x01020304;
    h.CAN_Baud_2 = 0xA0B0C0D0;
    h.Fixed_008 = 7;
    for (int i = 0; i < 4; ++i) {
        h.TCP_IP[i] = uint8_t(1 + i);
        h.TCP_Mask[i] = uint8_t(11 + i);
        h.TCP_Gateway[i] = uint8_t(21 + i);
    }
    h.Fixed_034 = 0xFFFE;
    h.TCP_Port = 0x1234;
    h.TCP_Port_2 = 0x5678;
    h.Fixed_03C = 9;
    h.Fixed_040 = 10;
    h.Num_Rx_Frame = 0x11111111;
    h.Addr_Rx_Frame = 0x22222222;
    h.Num_Tx_Frame = 0x33333333;
    h.Addr_Tx_Frame = 0x44444444;
    h.Num_Rx_Map = 0x55555555;
    h.Addr_Rx_Map = 0x66666666;
    h.Num_Tx_Map = 0x77777777;
    h.Addr_Tx_Map = 0x88888888;
    uint8_t bytes[Bank1_Header_Size];
    std::memset(bytes, 0xEE, sizeof bytes);
    Put_Bank1_Header(h, bytes);
    QCOMPARE(Get_Bank1_Header(bytes), h);
    QCOMPARE(bytes[0x7FB], uint8_t(0));  // every byte before the checksum is written
    QCOMPARE(Get_U32(bytes + 0x036), 0x56781234u);

    const Frame_Entry f{0x89ABCDEF, 0x01020304, 0x05060708, 0xF0, 0x0F, 0xBEEF};
    uint8_t record[32];
    std::memset(record, 0xEE, sizeof record);
    Put_Frame_Entry(f, record);
    QCOMPARE(Get_Frame_Entry(record), f);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(record + 16), 16), QByteArray(16, '\0'));
    const Map_Entry m{0xFFFF, 0x1FF, 0x102, 0x304, 0xFF};
    Put_Map_Entry(m, record);
    QCOMPARE(Get_Map_Entry(record), m);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(record + 9), 7), QByteArray(7, '\0'));
}

void Tst_Image_Builder::writers_read_back_what_they_wrote()
{
    // Texts as a user may type them: blanks around, markup characters, tabs, line breaks,
    // letters beyond ASCII. Whatever the writers store, the readers give back unchanged.
    const QStringList texts = {" 0x181 ", "a<b>&\"c'", "tab\there", "two\nlines\r\n", "\xC3\xBC\xE2\x82\xAC \xF0\x9F\x9A\x97", ""};
    QTemporaryDir dir;
    QList<Frame_Row> rows;
    for (const QString &t : texts) rows.append(Frame_Row{t, t, t, t, t, t, t, t});
    for (Direction d : {Direction::Receive, Direction::Transmit}) {
        const QString path = dir.filePath(d == Direction::Receive ? "rx.xml" : "tx.xml");
        Write_Frame_File(path, d, rows);
        QList<Frame_Row> expected = rows;
        for (Frame_Row &r : expected) {
            if (d == Direction::Receive) r.DataChange = r.OnTimer = r.SendTimer = QString();
            else r.TimeOut = QString();
        }
        QCOMPARE(Read_Frame_File(path, d), expected);
    }

    // The settings come from single-line edits: no line breaks there.
    Par_Gen_Texts settings;
    int n = 0;
    For_Each_Par_Gen(settings, [&](const QString &, QString &field) {
        do field = texts[n++ % texts.size()];
        while (field.contains('\n'));
    });
    Write_Par_Gen_File(dir.filePath("ParGen.xml"), settings);
    const auto read = Read_Par_Gen_File(dir.filePath("ParGen.xml"));
    QCOMPARE(read.CAN_BAUDRATE, std::optional(settings.CAN_BAUDRATE));
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(read.IP[i], std::optional(settings.IP[i]));
        QCOMPARE(read.SM[i], std::optional(settings.SM[i]));
        QCOMPARE(read.GAT[i], std::optional(settings.GAT[i]));
    }
    QCOMPARE(read.EN_GAT, std::optional(settings.EN_GAT));
    QCOMPARE(read.Port, std::optional(settings.Port));

    // Mappings: frames come from the frame file, registers from the mapping file.
    QList<Editor_Frame> frames(3);
    for (int i = 0; i < 3; ++i) {
        frames[i].CobID = texts[i];
        frames[i].Num_Byte = i == 1 ? 8 : 4;
    }
    frames[0].Registers = {{" $10", 1, 0, 1}, {"a<b", 0, 4, 0}};
    frames[2].Registers = {{"65535", 8, 8, 1}};
    QList<Frame_Row> frame_rows;
    for (const Editor_Frame &f : frames)
        frame_rows.append(Frame_Row{f.CobID, f.Num_Byte == 4 ? "4" : "", "", "", "", "", "", ""});
    Write_Frame_File(dir.filePath("CAN_Transmit.xml"), Direction::Transmit, frame_rows);
    Write_Map_File(dir.filePath("Define_CAN_Transmit.xml"), Direction::Transmit, frames);
    QCOMPARE(Read_Mapping_Files(dir.filePath("CAN_Transmit.xml"), dir.filePath("Define_CAN_Transmit.xml"),
                                Direction::Transmit),
             frames);
}

QTEST_APPLESS_MAIN(Tst_Image_Builder)
#include "tst_core_image_builder.moc"
