// CAN logs read in: can-utils' candump log and Vector ASC line by line, the format told by the
// content, bad lines listed with their line numbers; logs written by our own writer read alike
// after can-utils' log2asc (a writer no one here wrote) turned them into ASC; the statistics per
// identifier; and a log played back on a clock that a test moves by hand.
#include "Fakes.h"
#include "exchange/Bus_Traffic.h"
#include "exchange/Can_Log.h"
#include "exchange/Log_Replay.h"
#include "test_config.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

class Tst_Can_Log : public QObject {
    Q_OBJECT
private slots:
    void frame_lines_data();
    void frame_lines();
    void bad_lines_are_listed_with_their_numbers_data();
    void bad_lines_are_listed_with_their_numbers();
    void what_is_no_log_is_refused_data();
    void what_is_no_log_is_refused();
    void a_line_longer_than_any_frame_is_skipped_whole();
    void log2asc_output_reads_as_our_log_data();
    void log2asc_output_reads_as_our_log();
    void cycle_statistics();
    void the_median_stays_within_its_step();
    void identifiers_beyond_the_limit_are_only_counted();
    void a_replay_keeps_the_timing();
    void a_replay_loops_and_keeps_to_its_channel();
};

namespace {

struct Read_Back {
    Can_Log_Result Result;
    QList<Log_Frame> Frames;
    QList<QByteArray> Channels;
};

Read_Back Read(const QByteArray &text)
{
    Read_Back back;
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    back.Result = Read_Can_Log(buffer, [&back](const Log_Frame &f) {
        back.Frames << f;
        back.Channels << f.Channel.toByteArray();
        back.Frames.last().Channel = {};
    });
    return back;
}

QString Describe(const Log_Frame &f)
{
    QString data;
    for (int i = 0; i < (f.Remote ? 0 : f.Length); ++i) data += QStringLiteral("%1").arg(f.Data[size_t(i)], 2, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("%1 %2%3 %4%5")
        .arg(f.Time_Us)
        .arg(f.Id, 0, 16)
        .arg(f.Extended ? "x" : "")
        .arg(f.Remote ? QStringLiteral("R%1").arg(f.Length) : QStringLiteral("d%1").arg(f.Length))
        .arg(data.isEmpty() ? QString() : QLatin1Char(' ') + data);
}

Log_Frame Frame_At(int64_t us, uint32_t id, bool extended, QByteArray data)
{
    Log_Frame f;
    f.Time_Us = us;
    f.Id = id;
    f.Extended = extended;
    f.Length = uint8_t(data.size());
    std::copy(data.begin(), data.end(), f.Data.begin());
    return f;
}

QString Log2asc()
{
    static const QString path = QStandardPaths::findExecutable(QStringLiteral("log2asc"));
    return path;
}

// Everything Bus_Traffic says about an identifier, as one line (the cycle in microseconds).
QStringList Summary(const Bus_Traffic &traffic)
{
    QStringList out;
    for (const Ident_Traffic *t : traffic.Sorted()) {
        QStringList lengths;
        for (int l : t->Lengths()) lengths << QString::number(l);
        out << QStringLiteral("%1%2 n=%3 r=%4 len=%5 cycle=%6/%7/%8 last=%9")
                   .arg(t->Id, 0, 16)
                   .arg(t->Extended ? "x" : "")
                   .arg(t->Count)
                   .arg(t->Remote_Count)
                   .arg(lengths.join(','))
                   .arg(t->Median_Gap_Us().value_or(-1))
                   .arg(t->Min_Gap_Us)
                   .arg(t->Max_Gap_Us)
                   .arg(QString::fromLatin1(t->Last_Payload().toHex()));
    }
    return out;
}

}  // namespace

void Tst_Can_Log::frame_lines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("format");
    QTest::addColumn<qint64>("errors");
    QTest::addColumn<qint64>("fd");

    QTest::newRow("candump 29-bit") << QByteArray("(1436509052.249713) can0 18FF0001#1122334455667788\n")
                                    << QStringList{"1436509052249713 18ff0001x d8 1122334455667788"} << "candump log"
                                    << qint64(0) << qint64(0);
    QTest::newRow("candump 11-bit, dots, no data, remote")
        << QByteArray("(0.000001) vcan0 181#01.02\n(0.5) vcan0 7FF#\n(1.000000) vcan0 123#R\n(2.000000) vcan0 123#R3\n")
        << QStringList{"1 181 d2 0102", "500000 7ff d0", "1000000 123 R0", "2000000 123 R3"} << "candump log" << qint64(0)
        << qint64(0);
    QTest::newRow("candump raw DLC, direction mark, CRLF, error and FD frames")
        << QByteArray("(1.000000) can0 181#0102030405060708_C\r\n(2.000000) can0 182#01 R\r\n"
                      "(3.000000) can0 20000004#0004000000000000\r\n(4.000000) can0 123##1112233\r\n")
        << QStringList{"1000000 181 d8 0102030405060708", "2000000 182 d1 01"} << "candump log" << qint64(1) << qint64(1);
    QTest::newRow("ASC classic, relative to its start")
        << QByteArray("date Fri Jul 10 06:17:32 2015\nbase hex  timestamps absolute\nno internal events logged\n"
                      "   0.000000 1  18FF0001x       Rx   d 8 11 22 33 44 55 66 77 88\n"
                      "   0.010000 2  123             Tx   d 2 11 22\n"
                      "   0.020000 1  123             Rx   r 0\n   0.0300 1  7FF  Rx   d 0\n"
                      "   0.040000 1  ErrorFrame\n")
        << QStringList{"0 18ff0001x d8 1122334455667788", "10000 123 d2 1122", "20000 123 R0", "30000 7ff d0"} << "ASC"
        << qint64(1) << qint64(0);
    QTest::newRow("ASC CAN FD lines: classic frames in FD form, a real FD frame, a remote request")
        << QByteArray("date Fri Jul 10 06:17:32 2015\nbase hex  timestamps absolute\n"
                      "   0.000000 CANFD   1 Rx   18FF0001x                                  0 0 8  8 11 22 33 44 55 66 77 88   130000  130        0 0 0 0 0 0\n"
                      "   0.020000 CANFD   1 Rx        123                                   0 0 3  0   130000  130       10 0 0 0 0 0\n"
                      "   0.050000 CANFD   1 Rx        123                                   1 0 3  3 11 22 33   130000  130     3000 0 0 0 0 0\n")
        << QStringList{"0 18ff0001x d8 1122334455667788", "20000 123 R3"} << "ASC" << qint64(0) << qint64(1);
    QTest::newRow("ASC decimal base, relative time stamps, Vector's extra fields, events")
        << QByteArray("date Mon Jan 1 00:00:00 2024\nbase dec  timestamps relative\ninternal events logged\n"
                      "// version 9.0.0\nBegin Triggerblock Mon Jan 1 00:00:00 2024\n   0.000000 Start of measurement\n"
                      "   0.100000 1  385             Rx   d 2 1 255  Length = 228000 BitCount = 118 ID = 385\n"
                      "   0.100000 1  Statistic: D 0 R 0 XD 0 XR 0 E 0 O 0 B 0.00%\n"
                      "   0.050000 1  385             Rx   d 2 2 254\nEnd TriggerBlock\n")
        << QStringList{"100000 181 d2 01FF", "250000 181 d2 02FE"} << "ASC" << qint64(0) << qint64(0);
}

void Tst_Can_Log::frame_lines()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, frames);
    const Read_Back back = Read(text);
    QCOMPARE(back.Result.Error, QString());
    QCOMPARE(back.Result.Bad_Lines, QList<Log_Bad_Line>());
    QStringList got;
    for (const Log_Frame &f : back.Frames) got << Describe(f);
    QCOMPARE(got, frames);
    QTEST(Can_Log_Format_Name(back.Result.Format), "format");
    QTEST(back.Result.Error_Frames, "errors");
    QTEST(back.Result.Fd_Frames, "fd");
}

void Tst_Can_Log::bad_lines_are_listed_with_their_numbers_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QList<qint64>>("lines");
    QTest::addColumn<qint64>("frames");
    // Each holds its faults on the lines named; the frames around them are read.
    QTest::newRow("candump") << "bad_lines.log" << QList<qint64>{3, 4, 5, 6, 7, 8, 9, 10} << qint64(3);
    QTest::newRow("ASC") << "bad_lines.asc" << QList<qint64>{5, 6, 7, 8} << qint64(2);
}

void Tst_Can_Log::bad_lines_are_listed_with_their_numbers()
{
    QFETCH(QString, file);
    const Can_Log_Result r = Read_Can_Log_File(QStringLiteral(QCX_TEST_DATA_DIR "/bus/") + file, [](const Log_Frame &) {});
    QCOMPARE(r.Error, QString());
    QList<qint64> lines;
    for (const Log_Bad_Line &bad : r.Bad_Lines) {
        lines << bad.Line;
        QVERIFY(!bad.Reason.isEmpty());
    }
    QTEST(lines, "lines");
    QCOMPARE(r.Bad_Line_Count, qint64(lines.size()));
    QTEST(r.Frames, "frames");
}

void Tst_Can_Log::what_is_no_log_is_refused_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << QByteArray() << "no frame: the log is empty";
    QTest::newRow("blank lines") << QByteArray("\n \n\r\n") << "no frame: the log is empty";
    QTest::newRow("a configuration file")
        << QByteArray("<ReceiveCAN><row CobID=\"0x181\"/></ReceiveCAN>\n")
        << "neither a candump log nor an ASC file: no line of its start is a frame";
    // A binary file: the first hundred lines decide, the rest is never read through.
    QByteArray junk;
    for (int i = 0; i < 5000; ++i) junk += QByteArray("\x01\x02 junk \xff\n");
    QTest::newRow("binary") << junk << "neither a candump log nor an ASC file: no line of its start is a frame";
}

void Tst_Can_Log::what_is_no_log_is_refused()
{
    QFETCH(QByteArray, text);
    const Read_Back back = Read(text);
    QTEST(back.Result.Error, "error");
    QVERIFY(back.Frames.isEmpty());
    QVERIFY(back.Result.Bad_Lines.size() <= Max_Listed_Bad_Lines);
    QVERIFY(back.Result.Lines <= 100);
}

void Tst_Can_Log::a_line_longer_than_any_frame_is_skipped_whole()
{
    // A long line across the reader's blocks, then a frame: the frame is read, the line is one
    // bad line, and the text of the long line is not taken for frames.
    const QByteArray text = "(1.000000) can0 181#01\n" + QByteArray(200000, 'B') +
                            "(3.000000) can0 183#03\n(4.000000) can0 184#04";
    const Read_Back back = Read(text);
    QCOMPARE(back.Result.Error, QString());
    QStringList got;
    for (const Log_Frame &f : back.Frames) got << Describe(f);
    QCOMPARE(got, (QStringList{"1000000 181 d1 01", "4000000 184 d1 04"}));
    QCOMPARE(back.Result.Bad_Line_Count, qint64(1));
    QCOMPARE(back.Result.Bad_Lines.value(0).Line, qint64(2));
    QCOMPARE(back.Result.Lines, qint64(3));
}

void Tst_Can_Log::log2asc_output_reads_as_our_log_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("default") << QStringList{};
    QTest::newRow("FD form for classic frames") << QStringList{"-f"};
    QTest::newRow("CR LF, remote without DLC") << QStringList{"-n", "-r"};
    QTest::newRow("4 decimals") << QStringList{"-4"};
}

void Tst_Can_Log::log2asc_output_reads_as_our_log()
{
    QFETCH(QStringList, options);
    // Not a skip: without log2asc the ASC reader has no independent writer to answer to.
    QVERIFY2(!Log2asc().isEmpty(), "log2asc is not installed (scripts/setup.sh installs it: apt-get install can-utils)");

    // Frames of both formats, every length, remote requests and some jitter, on one interface;
    // stamped in steps of 100 us, which four decimals still hold.
    QTemporaryDir dir;
    const QString log = dir.filePath("ours.log");
    const QString asc = dir.filePath("theirs.asc");
    {
        QFile out(log);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QRandomGenerator random(28);
        const int64_t start = int64_t(1700000000) * 1000000;
        for (int i = 0; i < 400; ++i) {
            const int64_t t = start + int64_t(i) * 2500 + random.bounded(4) * 100;
            QByteArray data;
            for (int k = 0; k < i % 9; ++k) data += char(random.bounded(256));
            Log_Frame f = Frame_At(t, i % 3 == 0 ? 0x18FF0000u + uint32_t(i % 5) : uint32_t(0x100 + i % 7), i % 3 == 0, data);
            if (i % 50 == 7) {
                f.Remote = true;
                f.Length = uint8_t(i % 9);
            }
            out.write(Candump_Log_Line(f, "can0"));
        }
    }
    QProcess p;
    p.start(Log2asc(), QStringList{"-I", log, "-O", asc} + options + QStringList{"can0"});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 0);

    Bus_Traffic ours, theirs;
    const Can_Log_Result a = Read_Can_Log_File(log, [&](const Log_Frame &f) { ours.Add(f); });
    const Can_Log_Result b = Read_Can_Log_File(asc, [&](const Log_Frame &f) { theirs.Add(f); });
    QCOMPARE(a.Format, Can_Log_Format::Candump);
    QCOMPARE(b.Format, Can_Log_Format::Asc);
    QCOMPARE(a.Bad_Line_Count, 0);
    QCOMPARE(b.Bad_Line_Count, 0);
    QCOMPARE(a.Frames, qint64(400));
    QCOMPARE(b.Frames, a.Frames);
    QCOMPARE(Summary(theirs), Summary(ours));
}

void Tst_Can_Log::cycle_statistics()
{
    Bus_Traffic traffic;
    // 0x181 every 100 ms exactly; 0x182 every 10 ms with one gap of 55 ms; 0x183 once; 0x184 with
    // a frame stamped before the one ahead of it (merged logs): that step is no gap.
    for (int i = 0; i < 50; ++i) traffic.Add(Frame_At(int64_t(i) * 100000, 0x181, false, "\x01\x02"));
    int64_t t = 0;
    for (int i = 0; i < 21; ++i) {
        traffic.Add(Frame_At(t, 0x182, false, QByteArray(i % 2 ? 8 : 6, char(i))));
        t += i == 10 ? 55000 : 10000;
    }
    traffic.Add(Frame_At(7, 0x183, true, "\x09"));
    for (int64_t at : {0, 20000, 15000, 35000}) traffic.Add(Frame_At(at, 0x184, false, "\x01"));

    const Ident_Traffic *a = traffic.Find(0x181, false);
    QVERIFY(a);
    QCOMPARE(a->Count, qint64(50));
    QCOMPARE(a->Median_Gap_Us(), std::optional<int64_t>(100000));
    QCOMPARE(a->Min_Gap_Us, int64_t(100000));
    QCOMPARE(a->Max_Gap_Us, int64_t(100000));

    const Ident_Traffic *b = traffic.Find(0x182, false);
    QVERIFY(b);
    QCOMPARE(b->Lengths(), (QList<int>{6, 8}));
    QCOMPARE(b->By_Length[6], qint64(11));
    QCOMPARE(b->Median_Gap_Us(), std::optional<int64_t>(10000));
    QCOMPARE(b->Max_Gap_Us, int64_t(55000));
    QCOMPARE(b->Last_Payload(), QByteArray(6, char(20)));

    const Ident_Traffic *c = traffic.Find(0x183, true);
    QVERIFY(c);
    QVERIFY(!traffic.Find(0x183, false));
    QCOMPARE(c->Median_Gap_Us(), std::nullopt);

    const Ident_Traffic *d = traffic.Find(0x184, false);
    QCOMPARE(d->Backward, qint64(1));
    QCOMPARE(d->Gaps, qint64(2));
    QCOMPARE(d->Max_Gap_Us, int64_t(20000));
}

void Tst_Can_Log::the_median_stays_within_its_step()
{
    // Gaps spread over six octaves: the histogram's median is within 1/32 of the exact one.
    QRandomGenerator random(3310);
    for (int round = 0; round < 20; ++round) {
        Bus_Traffic traffic;
        std::vector<int64_t> gaps;
        int64_t t = 0;
        traffic.Add(Frame_At(t, 0x100, false, "\x01"));
        const int n = 1 + int(random.bounded(500));
        for (int i = 0; i < n; ++i) {
            const int64_t gap = 1000 + int64_t(random.bounded(63000));
            gaps.push_back(gap);
            t += gap;
            traffic.Add(Frame_At(t, 0x100, false, "\x01"));
        }
        std::sort(gaps.begin(), gaps.end());
        const int64_t exact = gaps[size_t((n - 1) / 2)];
        const int64_t median = *traffic.Find(0x100, false)->Median_Gap_Us();
        QVERIFY2(std::abs(median - exact) * 32 <= exact, qPrintable(QStringLiteral("%1 against %2").arg(median).arg(exact)));
    }
}

void Tst_Can_Log::identifiers_beyond_the_limit_are_only_counted()
{
    Bus_Traffic traffic;
    for (uint32_t id = 0; id < uint32_t(Max_Tracked_Identifiers) + 10; ++id) traffic.Add(Frame_At(id, id, true, "\x01"));
    traffic.Add(Frame_At(99999, 5, true, "\x02"));
    QCOMPARE(int(traffic.Identifiers().size()), Max_Tracked_Identifiers);
    QCOMPARE(traffic.Untracked_Frames(), qint64(10));
    QCOMPARE(traffic.Frames(), qint64(Max_Tracked_Identifiers + 11));
    QCOMPARE(traffic.Find(5, true)->Count, qint64(2));
}

void Tst_Can_Log::a_replay_keeps_the_timing()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("play.log");
    {
        QFile out(log);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("(100.000000) can0 181#01\n(100.010000) can0 182#02\nnot a frame\n(100.010500) can0 183#03\n"
                  "(100.250000) can0 184#04\n");
    }
    Fake_Clock clock;
    clock.Advance(5000);
    Log_Replay replay(log, 2.0, false);  // twice as fast: 0, 5, 5.25, 125 ms
    QString error;
    QVERIFY2(replay.Start(clock.Now_Ms(), &error), qPrintable(error));
    auto ids = [](const QList<Can_Frame> &frames) {
        QStringList out;
        for (const Can_Frame &f : frames) out << QString::number(f.Id, 16);
        return out;
    };
    QCOMPARE(ids(replay.Due(clock.Now_Ms(), 100)), QStringList{"181"});
    QCOMPARE(replay.Wait_Ms(clock.Now_Ms()), std::optional<qint64>(5));
    clock.Advance(4);
    QCOMPARE(replay.Due(clock.Now_Ms(), 100), QList<Can_Frame>());
    clock.Advance(1);
    QCOMPARE(ids(replay.Due(clock.Now_Ms(), 100)), (QStringList{"182", "183"}));
    QCOMPARE(replay.Wait_Ms(clock.Now_Ms()), std::optional<qint64>(120));
    clock.Advance(500);
    // A late caller gets what is due, at most as many as it asks for.
    const QList<Can_Frame> last = replay.Due(clock.Now_Ms(), 1);
    QCOMPARE(last.size(), 1);
    QCOMPARE(last[0].Data, QByteArray("\x04"));
    QVERIFY(replay.Finished());
    QCOMPARE(replay.Wait_Ms(clock.Now_Ms()), std::nullopt);
    QCOMPARE(replay.Played(), qint64(4));
    QCOMPARE(replay.Result().Bad_Line_Count, qint64(1));
    QCOMPARE(replay.Result().Bad_Lines.value(0).Line, qint64(3));
}

void Tst_Can_Log::a_replay_loops_and_keeps_to_its_channel()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("loop.log");
    {
        QFile out(log);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("(1.000) can0 181#01\n(1.005) can1 999#\n(1.010) can0 182#02\n(1.020) can0 183#03\n");
    }
    Fake_Clock clock;
    Log_Replay replay(log, 1.0, true, "can0");
    QString error;
    QVERIFY(replay.Start(clock.Now_Ms(), &error));
    // One pass is 20 ms; the next begins one mean gap (10 ms) after its last frame.
    QList<int64_t> times;
    QStringList ids;
    for (int ms = 0; ms <= 100; ++ms) {
        for (const Can_Frame &f : replay.Due(ms, 100)) {
            times << ms;
            ids << QString::number(f.Id, 16);
        }
    }
    QCOMPARE(ids.mid(0, 7), (QStringList{"181", "182", "183", "181", "182", "183", "181"}));
    QCOMPARE(times.mid(0, 7), (QList<int64_t>{0, 10, 20, 30, 40, 50, 60}));
    QVERIFY(replay.Rounds() >= 3);
    QVERIFY(!replay.Finished());

    // A log that does not hold a frame cannot be played.
    QFile empty(dir.filePath("empty.log"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    Log_Replay none(empty.fileName(), 1.0, true);
    QVERIFY(!none.Start(0, &error));
    QVERIFY2(error.contains("the log is empty"), qPrintable(error));
    Log_Replay missing(dir.filePath("missing.log"), 1.0, false);
    QVERIFY(!missing.Start(0, &error));
    QVERIFY2(error.contains("missing.log"), qPrintable(error));
}

QTEST_GUILESS_MAIN(Tst_Can_Log)
#include "tst_core_can_log.moc"
