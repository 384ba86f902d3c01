// qcx3310-cli's survey, learn and can-play run for real: exit statuses as check gives them, the
// JSON listing, a learned list that compiles, and a log put on a private virtual bus and caught
// by can-dump.
#include "Run_Program.h"
#include "Running_Program.h"
#include "test_config.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Bus_Cli : public QObject {
    Q_OBJECT
private slots:
    void survey_exit_status_data();
    void survey_exit_status();
    void survey_lists_traffic_and_findings_as_json();
    void learn_writes_frames_that_compile();
    void can_play_puts_the_log_on_the_bus();
    void survey_listens_to_a_live_bus();
    void can_record_says_what_it_needs();
};

namespace {

const QString Survey_Dir = QStringLiteral(QCX_TEST_DATA_DIR "/bus/survey/");

QString Fixture(const QString &name) { return Survey_Dir + name; }

void Copy(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to)) qFatal("cannot copy %s", qPrintable(from));
}

}  // namespace

void Tst_Bus_Cli::survey_exit_status_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("output");  // a part of standard output (0, 1) or error (2)
    const QString clean = Fixture("clean");
    const QString log = Fixture("clean") + "/bus.log";
    QTest::newRow("matches its bus") << QStringList{"survey", clean, "--log", log} << 0 << "0 error(s), 0 warning(s), 0 info";
    QTest::newRow("warnings only") << QStringList{"survey", Fixture("timeout-zero"), "--log", Fixture("timeout-zero") + "/bus.log"}
                                   << 0 << "TimeOut 0";
    QTest::newRow("errors") << QStringList{"survey", Fixture("typing-trap"), "--log", Fixture("typing-trap") + "/bus.log"} << 1
                            << "CAN_Receive.xml:1: 0x0B5 11-bit: Cob-ID \"181\" is read as 0x0B5";
    QTest::newRow("one of several interfaces")
        << QStringList{"survey", Fixture("several-buses"), "--log", Fixture("several-buses") + "/bus.log", "--channel", "can1"}
        << 0 << "info: " + QDir::toNativeSeparators(Fixture("several-buses") + "/bus.log") + ": 20 frames of other interfaces left out";
    QTest::newRow("an interface the log lacks")
        << QStringList{"survey", clean, "--log", log, "--channel", "can7"} << 1 << QString();
    QTest::newRow("no such log") << QStringList{"survey", clean, "--log", clean + "/none.log"} << 1 << QString();
    QTest::newRow("no such folder") << QStringList{"survey", clean + "/none", "--log", log} << 1 << QString();
    QTest::newRow("no traffic source") << QStringList{"survey", clean} << 2 << "either --log FILE or --can";
    QTest::newRow("both sources") << QStringList{"survey", clean, "--log", log, "--can", "virtualcan:can0", "--seconds", "1"} << 2
                                  << "either --log FILE or --can";
    QTest::newRow("a bus without seconds") << QStringList{"survey", clean, "--can", "virtualcan:can0"} << 2 << "--seconds N";
    QTest::newRow("seconds with a log") << QStringList{"survey", clean, "--log", log, "--seconds", "3"} << 2 << "--seconds goes with --can";
    QTest::newRow("no bus name") << QStringList{"survey", clean, "--can", "can0", "--seconds", "1"} << 2 << "names no bus";
}

void Tst_Bus_Cli::survey_exit_status()
{
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    const Program_Run r = Run_Cli(args);
    QTEST(r.Exit, "exit");
    const QString &text = r.Exit == 2 ? r.Err : r.Out;
    QVERIFY2(text.contains(output), qPrintable(r.Out + r.Err));
    if (r.Exit == 1 && output.isEmpty()) QVERIFY2(!r.Err.isEmpty(), "a failure says why");
}

void Tst_Bus_Cli::survey_lists_traffic_and_findings_as_json()
{
    const Program_Run r = Run_Cli({"survey", "--json", Fixture("timeout-too-short"), "--log", Fixture("timeout-too-short") + "/bus.log"});
    QCOMPARE(r.Exit, 1);
    const QJsonObject o = QJsonDocument::fromJson(r.Out.toUtf8()).object();
    const QJsonArray findings = o["findings"].toArray();
    QCOMPARE(findings.size(), 1);
    const QJsonObject f = findings[0].toObject();
    QCOMPARE(f["code"].toString(), QString("timeout-too-short"));
    QCOMPARE(f["severity"].toString(), QString("error"));
    QCOMPARE(f["row"].toInt(), 1);
    QCOMPARE(f["frame"].toString(), QString("0x181 11-bit"));
    QCOMPARE(f["suggested_timeout"].toInt(), 300);
    QCOMPARE(o["summary"].toObject()["errors"].toInt(), 1);
    const QJsonObject traffic = o["traffic"].toObject();
    QCOMPARE(traffic["format"].toString(), QString("candump log"));
    QCOMPARE(traffic["frames"].toInt(), 20);
    const QJsonObject id = traffic["identifiers"].toArray()[0].toObject();
    QCOMPARE(id["identifier"].toString(), QString("0x181"));
    QCOMPARE(id["count"].toInt(), 20);
    QCOMPARE(id["lengths"].toArray(), QJsonArray{8});
    QCOMPARE(id["cycle_ms"].toObject()["median"].toDouble(), 100.0);
    QCOMPARE(id["last_payload"].toString(), QString("0102030405060708"));
}

void Tst_Bus_Cli::learn_writes_frames_that_compile()
{
    QTemporaryDir dir;
    const QString config = dir.filePath("conf");
    QVERIFY(QDir().mkpath(config));
    const QString log = Fixture("not-configured") + "/bus.log";
    // The receive list holds one frame: the learned ones come after it.
    QFile rx(config + "/CAN_Receive.xml");
    QVERIFY(rx.open(QIODevice::WriteOnly));
    rx.write("<ReceiveCAN><row CobID=\"0x100\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"\"/>"
             "</ReceiveCAN><!--SW_VERSION = 1.102-->");
    rx.close();

    Program_Run r = Run_Cli({"learn", config, "--log", log, "--ids", "0x181,419364865", "--timeout-factor", "2"});
    QCOMPARE(r.Exit, 0);
    QVERIFY2(r.Out.contains("receive: 2 frame(s) added"), qPrintable(r.Out));
    QVERIFY2(r.Out.contains("frame row 2: 0x181 CAN 2.0A 11 bits, Dimension 8, TimeOut 200 ms"), qPrintable(r.Out));
    QVERIFY2(r.Out.contains("frame row 3: 0x18FF0001 CAN 2.0B 29 bits, Dimension 1, TimeOut 200 ms"), qPrintable(r.Out));
    // Learning again adds nothing twice.
    r = Run_Cli({"learn", config, "--log", log});
    QCOMPARE(r.Exit, 0);
    QVERIFY2(r.Out.contains("receive: 1 frame(s) added") && r.Out.contains("skipped 0x181: the list already holds"), qPrintable(r.Out));
    r = Run_Cli({"compile", config});
    QVERIFY2(r.Exit == 0, qPrintable(r.Err));
    QVERIFY2(r.Out.contains("4 receive and 0 transmit frame records"), qPrintable(r.Out));
    // An identifier the log does not hold, and a factor that is no number, change nothing.
    const QByteArray before = [&] {
        QFile f(config + "/CAN_Receive.xml");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QCOMPARE(Run_Cli({"learn", config, "--log", log, "--ids", "0x555"}).Exit, 1);
    QCOMPARE(Run_Cli({"learn", config, "--log", log, "--timeout-factor", "three"}).Exit, 2);
    QFile after(config + "/CAN_Receive.xml");
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
}

void Tst_Bus_Cli::can_play_puts_the_log_on_the_bus()
{
    // can-dump starts the private bus and waits for the frames; can-play plays the log ten times
    // as fast. A line that is no frame is told and passed over.
    QTemporaryDir dir;
    const QString log = dir.filePath("play.log");
    Copy(Fixture("bad-log-line") + "/bus.log", log);
    const QString bus = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port());
    Running_Program dump(QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli"), {"can-dump", bus, "--count", "20", "--timeout", "20000"});
    QVERIFY2(!dump.Wait_Line("listening on", Running_Program::Standard_Error).isEmpty(), qPrintable(dump.Err()));

    const Program_Run play = Run_Cli({"can-play", log, bus, "--speed", "10"});
    QCOMPARE(play.Exit, 0);
    QVERIFY2(play.Err.contains("20 frame(s) played"), qPrintable(play.Err));
    QVERIFY2(play.Err.contains("play.log:6: not a frame of a candump log"), qPrintable(play.Err));
    QCOMPARE(dump.Wait_Exit(20000), 0);
    const QStringList frames = dump.Out().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(frames.size(), 20);
    QCOMPARE(frames, QStringList(20, "181#0102030405060708"));

    QCOMPARE(Run_Cli({"can-play", log}).Exit, 2);
    QCOMPARE(Run_Cli({"can-play", log, bus, "--speed", "0"}).Exit, 2);
    const Program_Run missing = Run_Cli({"can-play", dir.filePath("none.log"), bus});
    QCOMPARE(missing.Exit, 1);
    QVERIFY2(missing.Err.contains("none.log"), qPrintable(missing.Err));
}

void Tst_Bus_Cli::survey_listens_to_a_live_bus()
{
    // The survey holds the private bus for two seconds; can-play puts the typing trap's
    // recording on it, ten times as fast.
    const QString bus = QStringLiteral("virtualcan:tcp://127.0.0.1:%1/can0").arg(Free_Port());
    Running_Program survey(QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli"), {"survey", Fixture("typing-trap"), "--can", bus, "--seconds", "2"});
    const QString listening = survey.Wait_Line("listening on", Running_Program::Standard_Error);
    QVERIFY2(listening.contains("listening on " + bus + " for 2 s"), qPrintable(survey.Err()));
    const Program_Run play = Run_Cli({"can-play", Fixture("typing-trap") + "/bus.log", bus, "--speed", "10"});
    QVERIFY2(play.Exit == 0, qPrintable(play.Err));
    QCOMPARE(survey.Wait_Exit(15000), 1);
    const QString out = survey.Out();
    QVERIFY2(out.contains("traffic: " + bus + " (live bus), 40 frame(s), 2 identifier(s)"), qPrintable(out));
    QVERIFY2(out.contains("error: " + QDir::toNativeSeparators(Fixture("typing-trap") + "/CAN_Receive.xml") + ":1: 0x0B5 11-bit: "),
             qPrintable(out));
    QVERIFY2(out.contains("2 error(s), 0 warning(s), 0 info"), qPrintable(out));
}

void Tst_Bus_Cli::can_record_says_what_it_needs()
{
    // The recording itself is made in the Bus check window's test; here its command line.
    QTemporaryDir dir;
    const QString log = dir.filePath("rec.log");
    Program_Run r = Run_Cli({"can-record", "virtualcan:can0", "-o", log});
    QCOMPARE(r.Exit, 2);
    QVERIFY2(r.Err.contains("needs --seconds N"), qPrintable(r.Err));
    r = Run_Cli({"can-record", "virtualcan:can0", "--seconds", "1"});
    QCOMPARE(r.Exit, 2);
    QVERIFY2(r.Err.contains("needs -o LOG"), qPrintable(r.Err));
    QCOMPARE(Run_Cli({"can-record", "virtualcan:can0", "--seconds", "0", "-o", log}).Exit, 2);
    r = Run_Cli({"can-record", "nosuchplugin:can0", "--seconds", "1", "-o", log});
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.contains("nosuchplugin"), qPrintable(r.Err));
    QVERIFY(!QFile::exists(log));
}

QTEST_GUILESS_MAIN(Tst_Bus_Cli)
#include "tst_core_bus_cli.moc"
