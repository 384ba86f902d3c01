// The converter's behaviour without any bus: frames into registers, Modbus reads and writes,
// the frames a write or a timer sends, receive timeouts, the Modbus TCP framing, and the
// can-utils frame syntax, all on the images the builder makes of a small configuration.
#include "Emulator_Fixture.h"
#include "config/Image_Builder.h"
#include "device/Device_Model.h"
#include "device/Image_Pair.h"
#include "device/Modbus_Tcp.h"

#include <QTemporaryDir>
#include <QtTest>

using Values = QList<uint16_t>;
Q_DECLARE_METATYPE(Can_Frame)

class Tst_Device_Model : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void frame_text_data();
    void frame_text();
    void interface_text_data();
    void interface_text();
    void frames_fill_their_registers();
    void short_unknown_and_remote_frames_change_nothing();
    void register_model_data();
    void register_model();
    void writes_set_bytes_and_send_frames();
    void a_multiple_write_sends_each_frame_once();
    void send_timer_keeps_its_period();
    void stale_frames_keep_or_clear_their_registers_data();
    void stale_frames_keep_or_clear_their_registers();
    void modbus_requests_data();
    void modbus_requests();
    void mbap_stream_data();
    void mbap_stream();
    void image_pair_problems();

private:
    Device_Model Model(qint64 now = 0) const { return Device_Model(*pair_.Images, now); }
    QTemporaryDir dir_;
    Image_Pair pair_;
};

namespace {

Can_Frame Frame(const char *text)
{
    QString error;
    const std::optional<Can_Frame> f = Parse_Can_Frame(QString::fromLatin1(text), &error);
    if (!f) qFatal("bad test frame %s: %s", text, qPrintable(error));
    return *f;
}

Values Read(const Device_Model &m, Register_Table table, uint32_t start, uint32_t count)
{
    const Read_Result r = m.Read(table, start, count);
    return r.Exception ? Values{uint16_t(0xE000 | r.Exception)} : r.Values;
}

QStringList Sent_Text(const QList<Frame_Out> &frames)
{
    QStringList out;
    for (const Frame_Out &f : frames) {
        QString reasons;
        if (f.Reasons & Send_On_Write) reasons += 'w';
        if (f.Reasons & Send_On_Change) reasons += 'c';
        if (f.Reasons & Send_On_Timer) reasons += 't';
        out << QStringLiteral("%1 %2 %3").arg(f.Frame).arg(Format_Can_Frame(f.Can), reasons);
    }
    return out;
}

QByteArray Pdu(const char *hex) { return QByteArray::fromHex(hex); }

}  // namespace

void Tst_Device_Model::initTestCase()
{
    QVERIFY(dir_.isValid());
    Write_Emulator_Fixture(dir_.path());
    const Project_Paths paths = Project_Paths_In(dir_.path());
    Build_Device_Images(paths);
    pair_ = Read_Image_Pair(paths.Bank1, paths.Bank2);
    QVERIFY2(pair_.Usable(), qPrintable(pair_.Problems.join('\n')));
    const Device_Model m = Model();
    QCOMPARE(m.Rx_Frames().size(), 4);
    QCOMPARE(m.Tx_Frames().size(), 3);
}

void Tst_Device_Model::frame_text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("formatted");  // as Format_Can_Frame writes it back
    QTest::addColumn<Can_Frame>("frame");
    QTest::newRow("11-bit, 8 bytes") << "181#0102030405060708" << true << "181#0102030405060708"
                                     << Can_Frame{0x181, false, false, QByteArray::fromHex("0102030405060708")};
    QTest::newRow("29-bit, dots, lower case") << "18ff0001#aa.bb.0c" << true << "18FF0001#AABB0C"
                                              << Can_Frame{0x18FF0001, true, false, QByteArray::fromHex("aabb0c")};
    QTest::newRow("29-bit with a small number") << "00000181#01" << true << "00000181#01"
                                                << Can_Frame{0x181, true, false, QByteArray::fromHex("01")};
    QTest::newRow("no data") << "7FF#" << true << "7FF#" << Can_Frame{0x7FF, false, false, {}};
    QTest::newRow("remote request") << "123#R" << true << "123#R" << Can_Frame{0x123, false, true, {}};
    QTest::newRow("remote request with length") << "123#R4" << true << "123#R4" << Can_Frame{0x123, false, true, QByteArray(4, 0)};
    QTest::newRow("largest 29-bit") << "1FFFFFFF#00" << true << "1FFFFFFF#00" << Can_Frame{0x1FFFFFFF, true, false, QByteArray(1, 0)};
    for (const char *bad : {"181", "181#0102030405060708090A" /* nine bytes */, "18#01", "1810#01", "800#01" /* above 7FF */,
                            "20000000#01" /* above 29 bits */, "18G#01", "181#0", "181#012", "181#zz", "181#.01", "181#01.",
                            "181#01..02", "181##0", "181#R9", "181#Rx", "#01", ""})
        QTest::newRow(bad[0] ? bad : "empty") << QString::fromLatin1(bad) << false << QString() << Can_Frame{};
}

void Tst_Device_Model::frame_text()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, formatted);
    QFETCH(Can_Frame, frame);
    QString error;
    const std::optional<Can_Frame> f = Parse_Can_Frame(text, &error);
    QCOMPARE(f.has_value(), valid);
    if (!valid) {
        QVERIFY2(error.contains(text.isEmpty() ? QStringLiteral("''") : text), qPrintable(error));
        return;
    }
    QCOMPARE(*f, frame);
    QCOMPARE(Format_Can_Frame(*f), formatted);
    QCOMPARE(Parse_Can_Frame(formatted, nullptr), f);
}

void Tst_Device_Model::interface_text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plugin");
    QTest::addColumn<QString>("name");
    QTest::newRow("virtual") << "virtualcan:can0" << "virtualcan" << "can0";
    QTest::newRow("hub of its own") << "virtualcan:tcp://127.0.0.1:40000/can1" << "virtualcan" << "tcp://127.0.0.1:40000/can1";
    QTest::newRow("socketcan") << "socketcan:vcan0" << "socketcan" << "vcan0";
    QTest::newRow("no plugin") << "can0" << "" << "";
    QTest::newRow("no interface") << "virtualcan:" << "" << "";
    QTest::newRow("empty plugin") << ":can0" << "" << "";
}

void Tst_Device_Model::interface_text()
{
    QFETCH(QString, text);
    QFETCH(QString, plugin);
    QFETCH(QString, name);
    QString error;
    const std::optional<Can_Interface> bus = Parse_Can_Interface(text, &error);
    QCOMPARE(bus.has_value(), !plugin.isEmpty());
    if (!bus) {
        QVERIFY(error.contains("PLUGIN:INTERFACE"));
        return;
    }
    QCOMPARE(bus->Plugin, plugin);
    QCOMPARE(bus->Name, name);
    QCOMPARE(bus->Text(), text);
}

void Tst_Device_Model::frames_fill_their_registers()
{
    Device_Model m = Model();
    QCOMPARE(Read(m, Register_Table::Input, 10, 4), (Values{0, 0, 0, 0}));

    Frame_In_Result r = m.Frame_In(Frame("181#0102030405060708"), 5);
    QCOMPARE(r.Applied.size(), 1);
    QCOMPARE(r.Applied[0].Frame, 0);
    QCOMPARE(r.Applied[0].Registers, (QList<Register_Value>{{10, 0x0102}, {11, 0x0008}, {20, 0x0304}}));
    QCOMPARE(Read(m, Register_Table::Input, 10, 2), (Values{0x0102, 0x0008}));
    QCOMPARE(Read(m, Register_Table::Input, 20, 1), (Values{0x0304}));
    // Frame 2 has the same number in 29 bits: untouched by the 11-bit frame, and the other way.
    QCOMPARE(Read(m, Register_Table::Input, 13, 1), (Values{0}));
    r = m.Frame_In(Frame("00000181#A1B2"), 6);
    QCOMPARE(r.Applied.size(), 1);
    QCOMPARE(r.Applied[0].Frame, 2);
    QCOMPARE(Read(m, Register_Table::Input, 13, 1), (Values{0xA1B2}));
    QCOMPARE(Read(m, Register_Table::Input, 10, 1), (Values{0x0102}));

    // More bytes than the Dimension: the first Dimension bytes count.
    r = m.Frame_In(Frame("18FF0010#1122334455667788"), 7);
    QCOMPARE(r.Applied.size(), 1);
    QCOMPARE(Read(m, Register_Table::Input, 12, 1), (Values{0x4433}));
    // A receive register reads the same through 03 where no transmit mapping shadows it.
    QCOMPARE(Read(m, Register_Table::Holding, 10, 4), (Values{0x0102, 0x0008, 0x4433, 0xA1B2}));
}

void Tst_Device_Model::short_unknown_and_remote_frames_change_nothing()
{
    Device_Model m = Model();
    m.Frame_In(Frame("181#0102030405060708"), 0);
    Frame_In_Result r = m.Frame_In(Frame("181#FFFF"), 1);
    QVERIFY(r.Applied.isEmpty());
    QCOMPARE(r.Too_Short.size(), 1);
    QCOMPARE(r.Too_Short[0].Frame, 0);
    QCOMPARE(r.Too_Short[0].Dimension, 8);
    QCOMPARE(r.Too_Short[0].Length, 2);
    QCOMPARE(Read(m, Register_Table::Input, 10, 1), (Values{0x0102}));

    r = m.Frame_In(Frame("182#0102030405060708"), 2);
    QVERIFY(!r.Matched());
    // Two bytes would do for frame 2 (00000181), but that one is a 29-bit frame.
    r = m.Frame_In(Frame("181#AABB"), 3);
    QVERIFY(r.Applied.isEmpty());
    QCOMPARE(r.Too_Short.size(), 1);
    QCOMPARE(r.Too_Short[0].Frame, 0);
    QCOMPARE(Read(m, Register_Table::Input, 13, 1), (Values{0}));
    r = m.Frame_In(Frame("181#R8"), 4);
    QVERIFY(r.Remote);
    QVERIFY(!r.Matched());
    QCOMPARE(Read(m, Register_Table::Input, 10, 2), (Values{0x0102, 0x0008}));
}

void Tst_Device_Model::register_model_data()
{
    // After frame 0 = 01..08 and a write of 0xBEEF to register 20: receive 20 = 0x0304,
    // transmit 20 = 0xBEEF.
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<Values>("expected");  // 0xE000 | exception code for an exception
    QTest::newRow("03 reads receive-only registers") << 3 << 10 << 2 << Values{0x0102, 0x0008};
    QTest::newRow("04 reads the receive side of 20") << 4 << 20 << 1 << Values{0x0304};
    QTest::newRow("03 reads the transmit side of 20") << 3 << 20 << 1 << Values{0xBEEF};
    QTest::newRow("03 reads transmit registers") << 3 << 20 << 5 << Values{0xBEEF, 0, 0, 0, 0};
    QTest::newRow("04 on a transmit-only register") << 4 << 21 << 1 << Values{0xE002};
    QTest::newRow("04 across a hole") << 4 << 10 << 5 << Values{0xE002};
    QTest::newRow("03 on a hole") << 3 << 14 << 1 << Values{0xE002};
    QTest::newRow("03 ending on a hole") << 3 << 20 << 6 << Values{0xE002};
    QTest::newRow("03 past the last register") << 3 << 65535 << 2 << Values{0xE002};
    QTest::newRow("06 to a receive-only register") << 6 << 10 << 1 << Values{0xE002};
    QTest::newRow("16 over a hole writes nothing") << 16 << 19 << 3 << Values{0xE002};
    QTest::newRow("16 past the last register") << 16 << 65535 << 2 << Values{0xE002};
    QTest::newRow("16 over transmit registers") << 16 << 20 << 2 << Values{};
}

void Tst_Device_Model::register_model()
{
    QFETCH(int, function);
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(Values, expected);
    Device_Model m = Model();
    m.Frame_In(Frame("181#0102030405060708"), 0);
    QCOMPARE(m.Write(20, {0xBEEF}).Exception, 0);
    const Values before = Read(m, Register_Table::Holding, 20, 5);
    if (function == 3 || function == 4) {
        QCOMPARE(Read(m, function == 3 ? Register_Table::Holding : Register_Table::Input, uint32_t(start), uint32_t(count)), expected);
        return;
    }
    const Write_Result w = m.Write(uint32_t(start), Values(count, 0x1111));
    QCOMPARE(w.Exception ? Values{uint16_t(0xE000 | w.Exception)} : Values{}, expected);
    if (w.Exception) {
        QVERIFY(w.Sent.isEmpty());
        QCOMPARE(Read(m, Register_Table::Holding, 20, 5), before);
    }
}

void Tst_Device_Model::writes_set_bytes_and_send_frames()
{
    Device_Model m = Model();
    // Send on write: at once, with the bytes the mapping names.
    Write_Result w = m.Write(20, {0x1234});
    QCOMPARE(Sent_Text(w.Sent), QStringList{"0 201#12340000 w"});
    // No send on write, no Data Change: the byte waits in the buffer for the next send.
    w = m.Write(21, {0xAB00});
    QVERIFY(w.Sent.isEmpty());
    QCOMPARE(Read(m, Register_Table::Holding, 20, 2), (Values{0x1234, 0xAB00}));
    // Byte 5 lies beyond the 4-byte frame: only byte 4 (the low part) is written.
    w = m.Write(24, {0x7788});
    QVERIFY(w.Sent.isEmpty());
    QCOMPARE(Read(m, Register_Table::Holding, 24, 1), (Values{0x0088}));
    QCOMPARE(Sent_Text(m.Write(20, {0x1234}).Sent), QStringList{"0 201#1234AB88 w"});

    // Data Change: sent when the bytes change, not when the same value comes again.
    QCOMPARE(Sent_Text(m.Write(22, {0x0102}).Sent), QStringList{"1 18FF0001#0201 c"});
    QVERIFY(m.Write(22, {0x0102}).Sent.isEmpty());
    QCOMPARE(Sent_Text(m.Write(22, {0x0103}).Sent), QStringList{"1 18FF0001#0301 c"});
    // A timer frame's buffer changes without a send; the timer sends what it holds.
    QVERIFY(m.Write(23, {0x00FE}).Sent.isEmpty());
    QCOMPARE(Sent_Text(m.Timer_Frames(100)), QStringList{"2 202#FE t"});
}

void Tst_Device_Model::a_multiple_write_sends_each_frame_once()
{
    Device_Model m = Model();
    const Write_Result w = m.Write(20, {0x0A0B, 0x0C00, 0x0D0E});
    QCOMPARE(w.Exception, 0);
    QCOMPARE(Sent_Text(w.Sent), (QStringList{"0 201#0A0B0C00 w", "1 18FF0001#0E0D c"}));
}

void Tst_Device_Model::send_timer_keeps_its_period()
{
    Device_Model m = Model(1000);
    QCOMPARE(m.Next_Deadline(), std::optional<qint64>(1100));  // the timer, before the 150 ms timeout
    QVERIFY(m.Timer_Frames(1099).isEmpty());
    QCOMPARE(Sent_Text(m.Timer_Frames(1100)), QStringList{"2 202#00 t"});
    QVERIFY(m.Timer_Frames(1150).isEmpty());
    // A little late: the next one stays on the grid.
    QCOMPARE(m.Timer_Frames(1230).size(), 1);
    QCOMPARE(m.Tx_Frames()[2].Next_Send_Ms, 1300);
    // Very late (the program was stopped): one frame, not a burst, and the period from now.
    QCOMPARE(m.Timer_Frames(5000).size(), 1);
    QVERIFY(m.Timer_Frames(5099).isEmpty());
    QCOMPARE(m.Timer_Frames(5100).size(), 1);
}

void Tst_Device_Model::stale_frames_keep_or_clear_their_registers_data()
{
    QTest::addColumn<bool>("zero");
    QTest::newRow("keep") << false;
    QTest::newRow("zero") << true;
}

void Tst_Device_Model::stale_frames_keep_or_clear_their_registers()
{
    QFETCH(bool, zero);
    const On_Timeout policy = zero ? On_Timeout::Zero : On_Timeout::Keep;
    Device_Model m = Model(0);
    m.Frame_In(Frame("300#0A0B"), 100);
    QCOMPARE(Read(m, Register_Table::Input, 30, 1), (Values{0x0A0B}));
    QCOMPARE(m.Next_Deadline(), std::optional<qint64>(100));  // the timer first
    m.Timer_Frames(100);
    QCOMPARE(m.Next_Deadline(), std::optional<qint64>(200));
    m.Timer_Frames(200);
    QCOMPARE(m.Next_Deadline(), std::optional<qint64>(250));  // the frame's 150 ms from 100
    QVERIFY(m.Check_Timeouts(249, policy).isEmpty());
    const QList<Timeout_Event> t = m.Check_Timeouts(250, policy);
    QCOMPARE(t.size(), 1);
    QCOMPARE(t[0].Frame, 3);
    QCOMPARE(t[0].Time_Out, 150u);
    QCOMPARE(t[0].Cleared, (zero ? QList<Register_Value>{{30, 0}} : QList<Register_Value>{}));
    QCOMPARE(Read(m, Register_Table::Input, 30, 1), (Values{uint16_t(zero ? 0 : 0x0A0B)}));
    // Once stale, it is told once; the other frames have no timeout.
    QVERIFY(m.Check_Timeouts(10000, policy).isEmpty());
    // A frame makes it fresh, and its timeout counts again.
    const Frame_In_Result r = m.Frame_In(Frame("300#0C0D"), 10000);
    QVERIFY(r.Applied[0].Was_Stale);
    QCOMPARE(Read(m, Register_Table::Input, 30, 1), (Values{0x0C0D}));
    QCOMPARE(m.Check_Timeouts(10150, policy).size(), 1);
}

void Tst_Device_Model::modbus_requests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("response");
    // Frame 0 holds 01..08 before each request.
    QTest::newRow("03 two registers") << Pdu("03000a0002") << Pdu("03040102" "0008");
    QTest::newRow("04 one register") << Pdu("0400140001") << Pdu("04020304");
    QTest::newRow("06 echoes") << Pdu("060014beef") << Pdu("060014beef");
    QTest::newRow("16 answers start and count") << Pdu("10001400020400010200") << Pdu("1000140002");
    QTest::newRow("unknown function") << Pdu("01000a0001") << Pdu("8101");
    QTest::newRow("read coils is not ours") << Pdu("0200000001") << Pdu("8201");
    QTest::newRow("03 count 0") << Pdu("03000a0000") << Pdu("8303");
    QTest::newRow("03 count 126") << Pdu("03000a007e") << Pdu("8303");
    QTest::newRow("03 too short") << Pdu("03000a00") << Pdu("8303");
    QTest::newRow("03 too long") << Pdu("03000a000100") << Pdu("8303");
    QTest::newRow("03 unmapped") << Pdu("03000e0001") << Pdu("8302");
    QTest::newRow("06 too short") << Pdu("060014be") << Pdu("8603");
    QTest::newRow("06 receive-only") << Pdu("06000a0001") << Pdu("8602");
    QTest::newRow("16 byte count disagrees") << Pdu("10001400020300010200") << Pdu("9003");
    QTest::newRow("16 fewer bytes than counted") << Pdu("100014000204000102") << Pdu("9003");
    QTest::newRow("16 count 124") << Pdu("100014007cf8") << Pdu("9003");
    QTest::newRow("16 over a hole") << Pdu("10001300020400010200") << Pdu("9002");
}

void Tst_Device_Model::modbus_requests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, response);
    Device_Model m = Model();
    m.Frame_In(Frame("181#0102030405060708"), 0);
    const Modbus_Answer a = Answer_Modbus_Request(m, request);
    QCOMPARE(a.Pdu.toHex(), response.toHex());
    QCOMPARE(a.Exception, response.size() == 2 ? uint8_t(response[1]) : 0);
    if (request[0] == 0x10 && !a.Exception) {
        QCOMPARE(a.Written, (Values{0x0001, 0x0200}));
        QCOMPARE(Sent_Text(a.Sent), QStringList{"0 201#00010200 w"});
    }
}

void Tst_Device_Model::mbap_stream_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("requests");  // "transaction unit pdu-hex"
    QTest::addColumn<bool>("broken");
    const QByteArray read = QByteArray::fromHex("0001000000061103000a0002");
    const QByteArray write = QByteArray::fromHex("00020000000600060014beef");
    QTest::newRow("one request") << QList<QByteArray>{read} << QStringList{"1 17 03000a0002"} << false;
    QTest::newRow("byte by byte") << [&] {
        QList<QByteArray> bytes;
        for (char c : read) bytes << QByteArray(1, c);
        return bytes;
    }() << QStringList{"1 17 03000a0002"} << false;
    QTest::newRow("two in one chunk, a third begun")
        << QList<QByteArray>{read + write + read.left(3)} << QStringList{"1 17 03000a0002", "2 0 060014beef"} << false;
    QTest::newRow("split inside the header") << QList<QByteArray>{read.left(5), read.mid(5) + write}
                                             << QStringList{"1 17 03000a0002", "2 0 060014beef"} << false;
    QTest::newRow("protocol 1") << QList<QByteArray>{QByteArray::fromHex("0001000100061103000a0002")} << QStringList{} << true;
    QTest::newRow("length 1: no PDU") << QList<QByteArray>{QByteArray::fromHex("00010000000111")} << QStringList{} << true;
    QTest::newRow("length 0") << QList<QByteArray>{QByteArray::fromHex("00010000000011")} << QStringList{} << true;
    QTest::newRow("length 255") << QList<QByteArray>{QByteArray::fromHex("000100000" "0ff11")} << QStringList{} << true;
    QTest::newRow("good, then garbage") << QList<QByteArray>{read + QByteArray("GET / HTTP/1.0\r\n")} << QStringList{"1 17 03000a0002"}
                                        << true;
}

void Tst_Device_Model::mbap_stream()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, requests);
    QFETCH(bool, broken);
    Mbap_Reader reader;
    QStringList got;
    for (const QByteArray &chunk : chunks) {
        reader.Append(chunk);
        while (const std::optional<Mbap_Request> r = reader.Next())
            got << QStringLiteral("%1 %2 %3").arg(r->Transaction).arg(r->Unit).arg(QString::fromLatin1(r->Pdu.toHex()));
    }
    QCOMPARE(got, requests);
    QCOMPARE(reader.Broken(), broken);
    if (broken) QVERIFY(!reader.Why_Broken().isEmpty());
    // The answer carries the request's transaction and unit, and its own length.
    Mbap_Request r{0x0102, 0x11, Pdu("03000a0002")};
    QCOMPARE(Mbap_Response(r, Pdu("03040102")).toHex(), QByteArray("010200000005" "11" "03040102"));
}

void Tst_Device_Model::image_pair_problems()
{
    const Project_Paths paths = Project_Paths_In(dir_.path());
    QTemporaryDir other;
    const QString bank1 = other.filePath("bank1.bin");
    const QString bank2 = other.filePath("bank2.bin");

    Image_Pair p = Read_Image_Pair(other.filePath("missing.bin"), paths.Bank2);
    QVERIFY(!p.Usable());
    QVERIFY2(p.Problems.join('\n').contains("missing.bin"), qPrintable(p.Problems.join('\n')));

    // bank2 of another build: the header's mapping count no longer fits.
    QFile::copy(paths.Bank1, bank1);
    Write_All(bank2, pair_.Bank2.left(pair_.Bank2.size() - 16));
    p = Read_Image_Pair(bank1, bank2);
    QVERIFY(!p.Usable());
    QVERIFY2(p.Problems.join('\n').contains("bank2: 10 mapping record(s), the header counts 6 + 5"), qPrintable(p.Problems.join('\n')));

    // A damaged checksum and a too-short bank1 are each named.
    QByteArray damaged = pair_.Bank1;
    damaged[0x28] = char(10);
    Write_All(bank1, damaged);
    Write_All(bank2, pair_.Bank2);
    p = Read_Image_Pair(bank1, bank2);
    QCOMPARE(p.Problems.size(), 1);
    QVERIFY(p.Problems[0].startsWith("checksum:"));
    Write_All(bank1, damaged.left(100));
    p = Read_Image_Pair(bank1, bank2);
    QVERIFY(!p.Images);
    QVERIFY2(p.Problems.join('\n').contains("too few for its 2048-byte header"), qPrintable(p.Problems.join('\n')));
}

QTEST_GUILESS_MAIN(Tst_Device_Model)
#include "tst_core_device_model.moc"
