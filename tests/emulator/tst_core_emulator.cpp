// qgw3310-emulator run for real: images compiled by qcx3310-cli from a fixture configuration,
// frames sent and caught with qcx3310-cli can-send and can-dump, registers read and written
// with mbpoll, a Modbus master that no one here wrote. Every test starts its own emulator, which
// starts a virtual CAN bus of its own on a free port. Waits end on the awaited line or a
// deadline, never on a fixed sleep.
#include "Emulator_Fixture.h"
#include "Run_Program.h"
#include "Running_Program.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_File.h"
#include "exchange/Signal_Notes.h"
#include "exchange/Signal_Recipe.h"
#include "test_config.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include <cmath>
#include <csignal>

class Tst_Emulator : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void a_frame_sets_the_mapped_registers();
    void a_short_frame_is_logged_and_not_applied();
    void a_write_sends_its_frame();
    void a_send_timer_frame_comes_again_and_again();
    void unmapped_addresses_and_receive_registers_answer_exception_02();
    void unit_identifiers_data();
    void unit_identifiers();
    void a_silent_frame_becomes_stale_data();
    void a_silent_frame_becomes_stale();
    void a_new_pair_is_loaded_on_the_open_connection();
    void inconsistent_pairs_are_refused_data();
    void inconsistent_pairs_are_refused();
    void a_port_or_bus_it_cannot_open_is_a_clear_error();
    void it_comes_back_when_the_bus_hub_goes();
    void a_hostile_bus_hub_neither_spins_nor_downs_it_data();
    void a_hostile_bus_hub_neither_spins_nor_downs_it();
    void can_commands_report_their_failures();
    void frames_learned_from_a_log_fill_their_registers_when_it_is_replayed();
    void signals_imported_from_a_database_read_back_as_the_library_decodes_them();
};

namespace {

const QString Emulator_Program = QStringLiteral(QCX_WORKSPACE_DIR "/qgw3310-emulator");
const QString Cli_Program = QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli");

// An emulator on a free Modbus port and a virtual CAN bus of its own, ready for frames and
// requests.
struct Emulator_Run {
    std::unique_ptr<Running_Program> Process;
    QString Bus;
    quint16 Port = 0;
};

Emulator_Run Start_Emulator(const QString &config, const QStringList &options = {}, const QString &bus = {})
{
    Emulator_Run run;
    run.Bus = bus.isEmpty() ? QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port()) : bus;
    run.Process = std::make_unique<Running_Program>(
        Emulator_Program, QStringList{"--listen", "127.0.0.1:0", "--can", run.Bus} + options + QStringList{config});
    const QString listening = run.Process->Wait_Line("listening");
    const QRegularExpressionMatch m =
        QRegularExpression(R"((?:on 127\.0\.0\.1:|"port":)(\d+))").match(listening);
    if (m.hasMatch()) run.Port = quint16(m.captured(1).toUInt());
    if (run.Port == 0 || run.Process->Wait_Line("can-connected").isEmpty()) {
        qWarning("emulator did not come up:\n%s\n%s", qPrintable(run.Process->Out()), qPrintable(run.Process->Err()));
        run.Port = 0;
    }
    return run;
}

QString Mbpoll()
{
    static const QString path = QStandardPaths::findExecutable(QStringLiteral("mbpoll"));
    return path;
}

// mbpoll once against the emulator: "-t 3:hex" reads with 04, "-t 4:hex" with 03; values after
// the host write with 06 (one) or 16 (several).
Program_Run Poll(quint16 port, const QStringList &args)
{
    return Run_Program(Mbpoll(), QStringList{"-m", "tcp", "-0", "-1", "-o", "2", "-p", QString::number(port)} + args, 15000);
}

// The registers of an mbpoll read, "[10]: 0x0102" each.
QMap<int, QString> Registers(const QString &out)
{
    QMap<int, QString> regs;
    const QRegularExpression line(R"(^\[(\d+)\]:\s+(\S+))", QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        regs.insert(m.captured(1).toInt(), m.captured(2));
    }
    return regs;
}

QString Read_Hex(quint16 port, const char *table, int reg, int count = 1)
{
    const Program_Run r = Poll(port, {"-t", QString::fromLatin1(table) + ":hex", "-r", QString::number(reg), "-c",
                                      QString::number(count), "127.0.0.1"});
    if (r.Exit != 0) return QStringLiteral("error: ") + r.Out + r.Err;
    QStringList values;
    for (const QString &v : Registers(r.Out)) values << v;
    return values.join(' ');
}

Program_Run Cli(const QStringList &args, int limit_ms = 15000) { return Run_Program(Cli_Program, args, limit_ms); }

QString Compiled_Fixture(const QTemporaryDir &dir, const QString &timer = QStringLiteral("0"))
{
    const QString config = dir.filePath("conf");
    Write_Emulator_Fixture(config, timer);
    const Program_Run r = Cli({"compile", config});
    if (r.Exit != 0) qFatal("compile failed: %s", qPrintable(r.Err));
    return config;
}

}  // namespace

void Tst_Emulator::initTestCase()
{
    QVERIFY2(QFileInfo(Emulator_Program).isExecutable(), "qgw3310-emulator is not built");
    // Not a skip: a machine without mbpoll cannot vouch for the Modbus side.
    QVERIFY2(!Mbpoll().isEmpty(), "mbpoll is not installed (scripts/setup.sh installs it: apt-get install mbpoll)");
}

void Tst_Emulator::a_frame_sets_the_mapped_registers()
{
    QTemporaryDir dir;
    const QString config = Compiled_Fixture(dir);
    Emulator_Run e = Start_Emulator(config);
    QVERIFY(e.Port);

    Program_Run sent = Cli({"can-send", e.Bus, "181#0102030405060708"});
    QCOMPARE(sent.Exit, 0);
    QCOMPARE(sent.Err, QString());
    QVERIFY2(e.Process->Wait_Line("frame-in 181#0102030405060708 -> receive frame 0: 10=0x0102 11=0x0008 20=0x0304") != QString(),
             qPrintable(e.Process->Out()));
    // 04 reads receive registers; 03 reads them too where no transmit mapping has the number.
    QCOMPARE(Read_Hex(e.Port, "3", 10, 2), QString("0x0102 0x0008"));
    QCOMPARE(Read_Hex(e.Port, "4", 10, 2), QString("0x0102 0x0008"));
    // Register 20 is mapped both ways: 04 the received bytes 3 and 4, 03 the transmit buffer.
    QCOMPARE(Read_Hex(e.Port, "3", 20), QString("0x0304"));
    QCOMPARE(Read_Hex(e.Port, "4", 20), QString("0x0000"));

    // A 29-bit frame, and an 11-bit frame of the same number as a 29-bit record.
    QCOMPARE(Cli({"can-send", e.Bus, "18FF0010#11223344"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("frame-in 18FF0010#11223344 -> receive frame 1: 12=0x4433").isEmpty());
    QCOMPARE(Cli({"can-send", e.Bus, "00000181#A1B2"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("frame-in 00000181#A1B2 -> receive frame 2: 13=0xA1B2").isEmpty());
    QCOMPARE(Read_Hex(e.Port, "3", 10, 4), QString("0x0102 0x0008 0x4433 0xA1B2"));

    QCOMPARE(e.Process->Stop(SIGINT), 0);
    const QString summary = e.Process->Wait_Line("summary");
    QVERIFY2(summary.contains("3 frames in (3 applied, 0 too short, 0 ignored)"), qPrintable(summary));
    QVERIFY2(summary.contains("0 exceptions"), qPrintable(summary));
}

void Tst_Emulator::a_short_frame_is_logged_and_not_applied()
{
    QTemporaryDir dir;
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir));
    QVERIFY(e.Port);
    QCOMPARE(Cli({"can-send", e.Bus, "181#0102030405060708"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("frame-in 181#").isEmpty());
    QCOMPARE(Cli({"can-send", e.Bus, "181#FFFF"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("frame-short 181#FFFF: 2 of the 8 bytes of receive frame 0, not applied").isEmpty());
    QCOMPARE(Cli({"can-send", e.Bus, "555#01"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("frame-ignored 555#01").isEmpty());
    QCOMPARE(Read_Hex(e.Port, "3", 10), QString("0x0102"));
    QCOMPARE(e.Process->Stop(), 0);
    QVERIFY(e.Process->Wait_Line("summary").contains("3 frames in (1 applied, 1 too short, 1 ignored)"));
}

void Tst_Emulator::a_write_sends_its_frame()
{
    QTemporaryDir dir;
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir));
    QVERIFY(e.Port);
    Running_Program dump(Cli_Program, {"can-dump", e.Bus, "--count", "2", "--timeout", "10000"});
    QVERIFY(!dump.Wait_Line("listening on", 5000, Running_Program::Standard_Error).isEmpty());

    // One value: 06 to register 20, sent on write with bytes 1 and 2.
    Program_Run w = Poll(e.Port, {"-t", "4", "-r", "20", "127.0.0.1", "4660"});
    QVERIFY2(w.Exit == 0, qPrintable(w.Out + w.Err));
    QCOMPARE(dump.Wait_Line("#"), QString("201#12340000"));
    QVERIFY(!e.Process->Wait_Line("frame-out transmit frame 0 -> 201#12340000 (send-on-write)").isEmpty());
    // Two values (16) to 21 and 22: 21 has no send on write, 22's 29-bit frame sends on change.
    w = Poll(e.Port, {"-t", "4", "-r", "21", "127.0.0.1", "43520", "258"});
    QVERIFY2(w.Exit == 0, qPrintable(w.Out + w.Err));
    QCOMPARE(dump.Wait_Line("#"), QString("18FF0001#0201"));
    QCOMPARE(dump.Wait_Exit(), 0);
    // The bytes a write set stay in the buffer and read back through 03.
    QCOMPARE(Read_Hex(e.Port, "4", 20, 3), QString("0x1234 0xAA00 0x0102"));
    QCOMPARE(e.Process->Stop(), 0);
    QVERIFY(e.Process->Wait_Line("summary").contains("2 frames out (0 failed)"));
}

void Tst_Emulator::a_send_timer_frame_comes_again_and_again()
{
    QTemporaryDir dir;
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir, "50"));
    QVERIFY(e.Port);
    QVERIFY(Poll(e.Port, {"-t", "4", "-r", "23", "127.0.0.1", "171"}).Exit == 0);
    const Program_Run dump = Cli({"can-dump", e.Bus, "--count", "3", "--timeout", "5000"});
    QCOMPARE(dump.Exit, 0);
    QCOMPARE(dump.Out, QString("202#AB\n202#AB\n202#AB\n"));
    QVERIFY(!e.Process->Wait_Line("frame-out transmit frame 2 -> 202#AB (timer)").isEmpty());
}

void Tst_Emulator::unmapped_addresses_and_receive_registers_answer_exception_02()
{
    QTemporaryDir dir;
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir));
    QVERIFY(e.Port);
    const struct {
        QStringList Args;
        const char *Event;
    } cases[] = {
        {{"-t", "4", "-r", "14", "127.0.0.1"}, "function 03 at 14 count 1 answered exception 02"},
        {{"-t", "3", "-r", "21", "127.0.0.1"}, "function 04 at 21 count 1 answered exception 02"},
        {{"-t", "4", "-r", "9", "-c", "2", "127.0.0.1"}, "function 03 at 9 count 2 answered exception 02"},
        {{"-t", "4", "-r", "10", "127.0.0.1", "1"}, "answered exception 02"},
    };
    for (const auto &c : cases) {
        const Program_Run r = Poll(e.Port, c.Args);
        QVERIFY2(r.Exit != 0 && (r.Out + r.Err).contains("Illegal data address"), qPrintable(c.Args.join(' ') + ": " + r.Out + r.Err));
        QVERIFY2(!e.Process->Wait_Line(QString::fromLatin1(c.Event)).isEmpty(), qPrintable(e.Process->Out()));
    }
    // The refused write changed nothing.
    QCOMPARE(Read_Hex(e.Port, "3", 10), QString("0x0000"));
}

void Tst_Emulator::unit_identifiers_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<int>>("answered");
    QTest::addColumn<QList<int>>("ignored");
    QTest::newRow("every unit") << QStringList{} << QList<int>{0, 1, 7, 255} << QList<int>{};
    QTest::newRow("--unit 3") << QStringList{"--unit", "3"} << QList<int>{3} << QList<int>{1, 7};
}

void Tst_Emulator::unit_identifiers()
{
    QFETCH(QStringList, options);
    QFETCH(QList<int>, answered);
    QFETCH(QList<int>, ignored);
    QTemporaryDir dir;
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir), options);
    QVERIFY(e.Port);
    for (int unit : answered) {
        const Program_Run r = Poll(e.Port, {"-a", QString::number(unit), "-t", "4", "-r", "10", "127.0.0.1"});
        QVERIFY2(r.Exit == 0, qPrintable(QString::number(unit) + ": " + r.Out + r.Err));
    }
    for (int unit : ignored) {
        const Program_Run r =
            Run_Program(Mbpoll(), {"-m", "tcp", "-0", "-1", "-o", "0.1", "-p", QString::number(e.Port), "-a", QString::number(unit),
                                   "-t", "4", "-r", "10", "127.0.0.1"});
        QVERIFY2(r.Exit != 0 && (r.Out + r.Err).contains("timed out"), qPrintable(QString::number(unit) + ": " + r.Out + r.Err));
        QVERIFY(!e.Process->Wait_Line(QStringLiteral("a request for unit %1").arg(unit)).isEmpty());
    }
}

void Tst_Emulator::a_silent_frame_becomes_stale_data()
{
    QTest::addColumn<QString>("policy");
    QTest::addColumn<QString>("after");
    QTest::newRow("keep") << "keep" << "0x0A0B";
    QTest::newRow("zero") << "zero" << "0x0000";
}

void Tst_Emulator::a_silent_frame_becomes_stale()
{
    QFETCH(QString, policy);
    QFETCH(QString, after);
    QTemporaryDir dir;
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir), {"--on-timeout", policy, "--json"});
    QVERIFY(e.Port);
    // Frame 3 has a 150 ms timeout, counted from the start and from each frame.
    QCOMPARE(Cli({"can-send", e.Bus, "300#0A0B"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("\"frame\":\"300#0A0B\"").isEmpty());
    const QString line = e.Process->Wait_Line("\"event\":\"timeout\"", 5000);
    QVERIFY2(!line.isEmpty(), qPrintable(e.Process->Out()));
    const QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
    QCOMPARE(event["record"].toInt(), 3);
    QCOMPARE(event["ident"].toString(), QString("300"));
    QCOMPARE(event["time_out"].toInt(), 150);
    QCOMPARE(event["cleared"].toBool(), policy == "zero");
    QCOMPARE(Read_Hex(e.Port, "3", 30), after);
    // Every line is one JSON object with its event.
    QCOMPARE(e.Process->Stop(), 0);
    QVERIFY(!e.Process->Wait_Line("\"event\":\"summary\"").isEmpty());
    for (const QString &l : e.Process->Out().split('\n'))
        QVERIFY2(QJsonDocument::fromJson(l.toUtf8()).object().contains("event"), qPrintable(l));
}

void Tst_Emulator::a_new_pair_is_loaded_on_the_open_connection()
{
    QTemporaryDir dir;
    const QString config = Compiled_Fixture(dir);
    Emulator_Run e = Start_Emulator(config, {"--watch"});
    QVERIFY(e.Port);

    // A master that stays connected: 04, register 10, one register.
    QTcpSocket master;
    master.connectToHost(QHostAddress::LocalHost, e.Port);
    QVERIFY(master.waitForConnected(5000));
    QVERIFY(!e.Process->Wait_Line("client-connected").isEmpty());
    quint16 transaction = 0;
    auto read_10 = [&]() -> QByteArray {
        QByteArray request = QByteArray::fromHex("000000000006010400" "0a0001");
        request[0] = char(++transaction >> 8);
        request[1] = char(transaction & 0xFF);
        master.write(request);
        QByteArray response;
        while (response.size() < 11 && master.waitForReadyRead(5000)) response += master.readAll();
        return response.mid(7).toHex();
    };
    QCOMPARE(Cli({"can-send", e.Bus, "181#0102030405060708"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("frame-in 181#").isEmpty());
    QCOMPARE(read_10(), QByteArray("04020102"));

    // An update: register 10 now takes bytes 2 and 1.
    const Project_Paths p = Project_Paths_In(config);
    QFile maps(p.Define_CAN_Receive);
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray text = maps.readAll().replace("Mod_Index=\"10\" Byte_HiPart=\"1\" Byte_LoPart=\"2\"",
                                                   "Mod_Index=\"10\" Byte_HiPart=\"2\" Byte_LoPart=\"1\"");
    maps.close();
    Write_All(p.Define_CAN_Receive, text);
    QCOMPARE(Cli({"compile", config}).Exit, 0);
    QVERIFY2(!e.Process->Wait_Line("reload new pair").isEmpty(), qPrintable(e.Process->Out()));
    // A fresh start of the new pair, on the same connection.
    QCOMPARE(read_10(), QByteArray("04020000"));
    QCOMPARE(Cli({"can-send", e.Bus, "181#0102030405060708"}).Exit, 0);
    QVERIFY(!e.Process->Wait_Line("frame-in 181#0102030405060708 -> receive frame 0: 10=0x0201").isEmpty());
    QCOMPARE(read_10(), QByteArray("04020201"));

    // A damaged pair is reported and the loaded one keeps running.
    QFile bank2(p.Bank2);
    QVERIFY(bank2.open(QIODevice::WriteOnly | QIODevice::Append));
    bank2.write(QByteArray(16, '\0'));
    bank2.close();
    QVERIFY(!e.Process->Wait_Line("reload-refused").isEmpty());
    QVERIFY(!e.Process->Wait_Line("new pair refused: bank2: 12 mapping record(s), the header counts 6 + 5", 5000, Running_Program::Standard_Error).isEmpty());
    QCOMPARE(read_10(), QByteArray("04020201"));
    QCOMPARE(master.state(), QAbstractSocket::ConnectedState);
    QCOMPARE(e.Process->Stop(), 0);
    QVERIFY(e.Process->Wait_Line("summary").contains("1 reloads (1 refused)"));
}

void Tst_Emulator::inconsistent_pairs_are_refused_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QStringList>("problems");
    QTest::newRow("checksum") << "checksum" << QStringList{"checksum: "};
    QTest::newRow("bank2 of another build") << "short bank2"
                                            << QStringList{"bank2: 10 mapping record(s), the header counts 6 + 5"};
    QTest::newRow("two problems") << "count"
                                  << QStringList{"checksum: ", "bank1: 7 frame record(s), the header counts 5 + 3",
                                                 "Addr_Tx_Frame: "};
    QTest::newRow("bank1 missing") << "no bank1" << QStringList{"bank1.bin: "};
    QTest::newRow("bank1 too short") << "tiny bank1" << QStringList{"too few for its 2048-byte header"};
}

void Tst_Emulator::inconsistent_pairs_are_refused()
{
    QFETCH(QString, damage);
    QFETCH(QStringList, problems);
    QTemporaryDir dir;
    const QString config = Compiled_Fixture(dir);
    const Project_Paths p = Project_Paths_In(config);
    QFile f1(p.Bank1), f2(p.Bank2);
    QVERIFY(f1.open(QIODevice::ReadOnly) && f2.open(QIODevice::ReadOnly));
    QByteArray bank1 = f1.readAll(), bank2 = f2.readAll();
    f1.close();
    f2.close();
    if (damage == "checksum") bank1[0x28] = char(bank1[0x28] + 1);
    if (damage == "short bank2") bank2.chop(16);
    if (damage == "count") bank1[0x1FC] = char(5);  // Num_Rx_Frame 4 -> 5
    if (damage == "tiny bank1") bank1.truncate(100);
    Write_All(p.Bank1, bank1);
    Write_All(p.Bank2, bank2);
    if (damage == "no bank1") QFile::remove(p.Bank1);

    const Program_Run r = Run_Program(Emulator_Program, {"--listen", "127.0.0.1:0", "--can",
                                                         QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port()), config});
    QCOMPARE(r.Exit, 1);
    QCOMPARE(r.Out, QString());
    for (const QString &problem : problems) QVERIFY2(r.Err.contains(problem), qPrintable(r.Err));
    QVERIFY2(r.Err.contains(QStringLiteral("(%1 problem(s)): not run").arg(r.Err.count('\n') - 1)), qPrintable(r.Err));
}

void Tst_Emulator::a_port_or_bus_it_cannot_open_is_a_clear_error()
{
    QTemporaryDir dir;
    const QString config = Compiled_Fixture(dir);
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    const Program_Run r = Run_Program(Emulator_Program, {"--listen", QStringLiteral("127.0.0.1:%1").arg(taken.serverPort()), "--can",
                                                         QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port()), config});
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.contains(QStringLiteral("cannot listen for Modbus TCP on 127.0.0.1:%1").arg(taken.serverPort())), qPrintable(r.Err));
    QVERIFY2(r.Err.contains("--listen 127.0.0.1:1502"), qPrintable(r.Err));

    // An interface the plugin refuses is not quietly taken for another (can0).
    const Program_Run bus = Run_Program(Emulator_Program, {"--listen", "127.0.0.1:0", "--can", "virtualcan:can7", config});
    QCOMPARE(bus.Exit, 1);
    QVERIFY2(bus.Err.contains("cannot open the CAN bus virtualcan:can7: Invalid interface"), qPrintable(bus.Err));
    QVERIFY2(!bus.Out.contains("can-lost") && !bus.Out.contains("can-connected"), qPrintable(bus.Out));

    const Program_Run usage = Run_Program(Emulator_Program, {"--listen", "127.0.0.1", config});
    QCOMPARE(usage.Exit, 2);
    QVERIFY(usage.Err.contains("--listen takes ADDRESS:PORT"));
}

void Tst_Emulator::it_comes_back_when_the_bus_hub_goes()
{
    // can-dump starts first and so holds the virtual bus's hub; when it ends, the bus ends for
    // everyone on it. The emulator opens it again (now holding the hub itself).
    QTemporaryDir dir;
    const QString bus = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port());
    auto hub = std::make_unique<Running_Program>(Cli_Program, QStringList{"can-dump", bus});
    QVERIFY(!hub->Wait_Line("listening on", 5000, Running_Program::Standard_Error).isEmpty());
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir), {}, bus);
    QVERIFY(e.Port);
    QCOMPARE(hub->Stop(), 0);
    QVERIFY(!e.Process->Wait_Line("can-lost").isEmpty());
    QVERIFY(!e.Process->Wait_Line("can-connected").isEmpty());
    const Program_Run sent = Cli({"can-send", bus, "181#0102030405060708"});
    QCOMPARE(sent.Exit, 0);
    QCOMPARE(sent.Err, QString());
    QVERIFY(!e.Process->Wait_Line("frame-in 181#").isEmpty());
    QCOMPARE(Read_Hex(e.Port, "4", 10), QString("0x0102"));
}

void Tst_Emulator::a_hostile_bus_hub_neither_spins_nor_downs_it_data()
{
    // What a hub (any local program on its port) sends the emulator, then a frame 181 for it.
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<bool>("drops");  // the hub ends the emulator's connection
    QTest::addColumn<int>("quit");    // the signal that ends it afterwards
    QTest::newRow("disconnect, then a frame") << QByteArray("disconnect:can0\n385##0102030405060708\n") << true << SIGTERM;
    QTest::newRow("an empty line") << QByteArray("\n") << false << SIGINT;
    QTest::newRow("a line without #") << QByteArray("can0\n") << false << SIGTERM;
    QTest::newRow("one # only") << QByteArray("385#0102\n") << false << SIGINT;
    QTest::newRow("no hex in the data") << QByteArray("385##01zz\n") << false << SIGTERM;
    QTest::newRow("an identifier beyond 29 bits") << QByteArray("99999999999#X#01\n") << false << SIGINT;
    QTest::newRow("a line without end in sight") << QByteArray(5000, 'x') + "\n" << false << SIGTERM;
    QTest::newRow("another bus's disconnect") << QByteArray("disconnect:can1\n") << false << SIGINT;
}

void Tst_Emulator::a_hostile_bus_hub_neither_spins_nor_downs_it()
{
    QFETCH(QByteArray, lines);
    QFETCH(bool, drops);
    QFETCH(int, quit);
    QTemporaryDir dir;
    // The test is the hub: the emulator's bus plugin finds the port taken and connects to it.
    QTcpServer hub;
    QVERIFY(hub.listen(QHostAddress::LocalHost, 0));
    Emulator_Run e = Start_Emulator(Compiled_Fixture(dir), {}, QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(hub.serverPort()));
    QVERIFY(e.Port);
    // Waiting for the emulator's lines runs the event loop, which may have taken the connection in.
    QVERIFY(hub.hasPendingConnections() || hub.waitForNewConnection(5000));
    QTcpSocket *peer = hub.nextPendingConnection();
    peer->write(lines);
    QVERIFY(peer->waitForBytesWritten(5000));
    if (drops) {
        // Dropped, it opens the bus again, here; the frame sent after the goodbye is not taken.
        QVERIFY2(!e.Process->Wait_Line("can-lost").isEmpty(), qPrintable(e.Process->Err()));
        QVERIFY(hub.hasPendingConnections() || hub.waitForNewConnection(5000));
        peer = hub.nextPendingConnection();
        QVERIFY(!e.Process->Wait_Line("can-connected").isEmpty());
    } else {
        QVERIFY2(!e.Process->Wait_Line("no frame, dropped").isEmpty(), qPrintable(e.Process->Out()));
    }
    // Still on the bus and taking frames.
    peer->write("385##0102030405060708\n");
    QVERIFY(peer->waitForBytesWritten(5000));
    QVERIFY2(!e.Process->Wait_Line("frame-in 181#0102030405060708").isEmpty(), qPrintable(e.Process->Out() + e.Process->Err()));
    QCOMPARE(Read_Hex(e.Port, "4", 10), QString("0x0102"));
    // And it ends when told to, in order.
    QCOMPARE(e.Process->Stop(quit), 0);
    QVERIFY(!e.Process->Wait_Line("summary", 0).isEmpty());
    QVERIFY2(!e.Process->Err().contains("Cannot read frame"), qPrintable(e.Process->Err().left(500)));
    QCOMPARE(e.Process->Out().count("frame-in"), 1);
    // One report for each line that is no frame, however long.
    QCOMPARE(e.Process->Out().count("no frame, dropped"), drops ? 0 : 1);
}

void Tst_Emulator::can_commands_report_their_failures()
{
    const QString bus = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port());
    // Alone on the bus: written, but no one got it, and the user is told so.
    Program_Run r = Cli({"can-send", bus, "181#01"});
    QCOMPARE(r.Exit, 0);
    QVERIFY2(r.Err.contains("no other program was on the virtual bus"), qPrintable(r.Err));
    // Words it does not take.
    for (const QStringList &args : {QStringList{"can-send", bus, "181#012"}, QStringList{"can-send", "can0", "181#01"},
                                    QStringList{"can-send", bus}, QStringList{"can-dump", bus, "--count", "0"},
                                    QStringList{"can-dump", bus, "--count"}, QStringList{"can-dump", bus, "--every", "1"}}) {
        r = Cli(args);
        QVERIFY2(r.Exit == 2 && !r.Err.isEmpty(), qPrintable(args.join(' ') + ": " + r.Err));
    }
    r = Cli({"can-send", "nosuchplugin:can0", "181#01"});
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.contains("cannot open nosuchplugin:can0: no CAN plugin 'nosuchplugin'"), qPrintable(r.Err));
    r = Cli({"can-dump", "virtualcan:can7", "--timeout", "100"});
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.contains("cannot open virtualcan:can7: Invalid interface"), qPrintable(r.Err));
    // Fewer frames than asked for within the time.
    r = Cli({"can-dump", bus, "--count", "1", "--timeout", "200"});
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.contains("0 of 1 frames within 200 ms"), qPrintable(r.Err));
    r = Cli({"can-dump", bus, "--timeout", "100"});
    QCOMPARE(r.Exit, 0);
}

void Tst_Emulator::frames_learned_from_a_log_fill_their_registers_when_it_is_replayed()
{
    // A recording of the machine: an 11-bit and a 29-bit frame every 20 ms, the first byte
    // counting up. Its frames are learned into an empty configuration, mapped, compiled, and
    // the recording played on the emulator's bus: the registers hold the last frames' bytes.
    QTemporaryDir dir;
    const QString log = dir.filePath("machine.log");
    {
        QFile out(log);
        QVERIFY(out.open(QIODevice::WriteOnly));
        for (int i = 0; i < 10; ++i)
            out.write(QString::asprintf("(1700000000.%06d) can0 181#%02X020304\n(1700000000.%06d) can0 18FF0010#1122%02X%02X\n",
                                        i * 20000, i, i * 20000 + 5000, 0x30 + i, 0x40 + i).toUtf8());
    }
    const QString config = dir.filePath("conf");
    QVERIFY(QDir().mkpath(config));
    Program_Run r = Cli({"learn", config, "--log", log});
    QVERIFY2(r.Exit == 0, qPrintable(r.Out + r.Err));
    QVERIFY2(r.Out.contains("frame row 1: 0x181 CAN 2.0A 11 bits, Dimension 4, TimeOut 60 ms"), qPrintable(r.Out));
    QVERIFY2(r.Out.contains("frame row 2: 0x18FF0010 CAN 2.0B 29 bits, Dimension 4, TimeOut 60 ms"), qPrintable(r.Out));
    Write_All(Project_Paths_In(config).Define_CAN_Receive, Rx_Maps(Map_Row("0", "10", "1", "2") + Map_Row("1", "12", "4", "3")));
    r = Cli({"compile", config});
    QVERIFY2(r.Exit == 0, qPrintable(r.Err));

    Emulator_Run e = Start_Emulator(config);
    QVERIFY(e.Port);
    r = Cli({"can-play", log, e.Bus});
    QVERIFY2(r.Exit == 0 && r.Err.contains("20 frame(s) played"), qPrintable(r.Err));
    QVERIFY2(!e.Process->Wait_Line("frame-in 18FF0010#11223949 -> receive frame 1: 12=0x4939").isEmpty(), qPrintable(e.Process->Out()));
    QCOMPARE(Read_Hex(e.Port, "4", 10), QString("0x0902"));
    QCOMPARE(Read_Hex(e.Port, "4", 12), QString("0x4939"));
    QCOMPARE(e.Process->Stop(), 0);
    QVERIFY2(e.Process->Wait_Line("summary").contains("20 frames in (20 applied, 0 too short, 0 ignored)"), qPrintable(e.Process->Out()));
}

void Tst_Emulator::signals_imported_from_a_database_read_back_as_the_library_decodes_them()
{
    // The whole road of a signal: messages of a CAN database imported with their recipes,
    // compiled, the frames the database library decoded put on the bus, the registers read with
    // mbpoll, and each signal's value computed from them by the recipe in CAN_Signals.csv. The
    // messages are those holding the signals below: both byte orders, 1 to 64 bits, signed and
    // IEEE floats; every signal of each such message is checked.
    const QString data = QStringLiteral(QCX_TEST_DATA_DIR "/dbc/recipes/");
    const QStringList wanted{"I1u0", "M1s0", "I7s1", "M12u0", "I16s0", "M16s1", "I23u1", "M31s0", "I32f0", "M32f1",
                             "I33s0", "M47u1", "I53s0", "M60u0", "I64u1", "M64s0", "I64f0", "M64f1"};
    QFile decoded_file(data + "recipes_decoded.csv");
    QVERIFY(decoded_file.open(QIODevice::ReadOnly));
    QList<Csv_Fault> faults;
    QList<Csv_Record> decoded = Read_Csv_Records(decoded_file.readAll(), faults);
    QVERIFY(faults.isEmpty());
    decoded.removeFirst();
    // The message (identifier) of each wanted signal, from the database itself.
    const Dbc_Database db = Read_Dbc_File(data + "recipes.dbc");
    QStringList names;
    QSet<uint32_t> ids;
    for (const Dbc_Message &m : db.Messages)
        for (const Dbc_Signal &s : m.Signals)
            if (wanted.contains(s.Name) && !ids.contains(m.Raw_Id)) {
                ids.insert(m.Raw_Id);
                names << m.Name;
            }
    QCOMPARE(names.size() > 8, true);

    QTemporaryDir dir;
    const QString config = dir.filePath("conf");
    QVERIFY(QDir().mkpath(config));
    Program_Run r = Cli({"import-dbc", config, data + "recipes.dbc", "--receive", names.join(',')});
    QVERIFY2(r.Exit == 0, qPrintable(r.Out + r.Err));
    r = Cli({"compile", config});
    QVERIFY2(r.Exit == 0, qPrintable(r.Err));
    const QList<Signal_Note> notes = Read_Signal_Notes(config + "/CAN_Signals.csv");
    QHash<QString, Signal_Note> by_name;
    for (const Signal_Note &n : notes) by_name.insert(n.Signal, n);

    Emulator_Run e = Start_Emulator(config);
    QVERIFY(e.Port);
    // One frame a payload, then every register of the chosen signals in one read: the
    // registers of the imported frames lie from 0 up, without holes.
    int highest = 0;
    for (const Signal_Note &n : notes)
        for (const Note_Register &reg : n.Registers) highest = std::max(highest, int(reg.Register));
    QVERIFY(highest < 125);
    QString last_frame;
    QStringList registers;
    int checked = 0;
    QSet<QString> signals_seen;
    // Per message the library decoded six payloads: all zeros, all ones, then random ones; the
    // first three of them go on the bus.
    QHash<uint32_t, QStringList> payloads_sent;
    for (const Csv_Record &row : decoded) {
        const uint32_t id = row.Fields[0].mid(2).toUInt(nullptr, 16);
        if (!ids.contains(id)) continue;
        QStringList &sent = payloads_sent[id];
        if (!sent.contains(row.Fields[1])) {
            if (sent.size() == 3) continue;
            sent << row.Fields[1];
        }
        const QString frame = QStringLiteral("%1#%2").arg(id, 3, 16, QLatin1Char('0')).toUpper().arg(row.Fields[1]);
        if (frame != last_frame) {
            QCOMPARE(Cli({"can-send", e.Bus, frame}).Exit, 0);
            QVERIFY2(!e.Process->Wait_Line("frame-in " + frame).isEmpty(), qPrintable(e.Process->Out()));
            const QString read = Read_Hex(e.Port, "4", 0, highest + 1);
            registers = read.split(' ');
            QVERIFY2(registers.size() == highest + 1, qPrintable(read));
            last_frame = frame;
        }
        const QString &name = row.Fields[2];
        QVERIFY2(by_name.contains(name), qPrintable(name));
        const Signal_Note &note = by_name[name];
        QList<uint16_t> values;
        for (const Note_Register &reg : note.Registers) values << uint16_t(registers[reg.Register].toUInt(nullptr, 16));
        const double got = Recipe_Physical(Join_Registers(values), Recipe_Of(note));
        const double expected = row.Fields[3].toDouble();
        const bool close = got == expected ||
                           std::fabs(got - expected) <= 1e-9 * std::max(1.0, std::max(std::fabs(got), std::fabs(expected)));
        QVERIFY2(close, qPrintable(QStringLiteral("%1 in %2: %3 instead of %4").arg(name, frame, Recipe_Number(got), row.Fields[3])));
        ++checked;
        signals_seen.insert(name);
    }
    for (const QString &name : wanted) QVERIFY2(signals_seen.contains(name), qPrintable(name));
    QVERIFY(checked > 50);
    QCOMPARE(e.Process->Stop(), 0);
}

QTEST_GUILESS_MAIN(Tst_Emulator)
#include "tst_core_emulator.moc"
