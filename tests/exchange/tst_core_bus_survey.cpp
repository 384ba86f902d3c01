// A configuration held against recorded traffic: one fixture folder per finding (its frame
// lists and the log that shows the mistake), a configuration that matches its bus finding
// nothing, and receive frames learned from a log filling the grid from its first empty row.
#include "Config_Text.h"
#include "exchange/Bus_Learn.h"
#include "exchange/Bus_Survey.h"
#include "platform/Xml_Document.h"
#include "test_config.h"

#include <QTemporaryDir>
#include <QtTest>

class Tst_Bus_Survey : public QObject {
    Q_OBJECT
private slots:
    void each_mistake_is_found_data();
    void each_mistake_is_found();
    void frames_are_read_as_the_device_gets_them();
    void learned_frames_fill_the_first_empty_rows();
    void learned_rows_pass_the_editor_and_take_every_frame_with_data();
};

namespace {

struct Surveyed {
    QList<Survey_Finding> Findings;
    QStringList Lines;  // "severity code row frame [timeout]"
};

Surveyed Survey_Fixture(const QString &name, const QByteArray &channel = {})
{
    const QString dir = QStringLiteral(QCX_TEST_DATA_DIR "/bus/survey/") + name;
    const Configured_Frame_Lists config = Configured_Frames(Project_Paths_In(dir));
    Bus_Traffic traffic(channel);
    Survey_Source source;
    source.Log_File = dir + QStringLiteral("/bus.log");
    source.Log = Read_Can_Log_File(source.Log_File, [&traffic](const Log_Frame &f) { traffic.Add(f); });
    source.Error_Frames = source.Log.Error_Frames;
    source.Fd_Frames = source.Log.Fd_Frames;
    Surveyed s;
    s.Findings = Survey_Bus(config, traffic, source);
    for (const Survey_Finding &f : s.Findings) {
        QString line = QStringLiteral("%1 %2 %3 %4").arg(Severity_Name(f.Severity), f.Code).arg(f.Row).arg(f.Frame).trimmed();
        if (f.Suggested_Timeout_Ms) line += QStringLiteral(" -> %1").arg(*f.Suggested_Timeout_Ms);
        s.Lines << line;
    }
    return s;
}

Seen_Frame Seen(uint32_t id, bool extended, QList<int> lengths, std::optional<int64_t> max_gap_us)
{
    Seen_Frame f;
    f.Id = id;
    f.Extended = extended;
    f.Count = 10;
    f.Lengths = lengths;
    f.Max_Gap_Us = max_gap_us;
    f.Cycle_Us = max_gap_us;
    return f;
}

}  // namespace

void Tst_Bus_Survey::each_mistake_is_found_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("findings");
    QTest::addColumn<QString>("message");  // a part of the first finding's message

    QTest::newRow("clean") << "clean" << QStringList{} << QString();
    QTest::newRow("other-format") << "other-format" << QStringList{"error other-format 1 0x00000123 29-bit"}
                                  << "configured as 29-bit, but the bus carries this identifier as 11-bit only";
    // "181" is decimal to the device (0x0B5); "0x100" is 256 where the bus carries 100 (0x064).
    QTest::newRow("typing-trap") << "typing-trap"
                                 << QStringList{"error typing-trap 1 0x0B5 11-bit", "error typing-trap 2 0x100 11-bit"}
                                 << "Cob-ID \"181\" is read as 0x0B5, which the bus never carries; it carries 0x181: was \"0x181\" meant?";
    QTest::newRow("shorter-than-dimension") << "shorter-than-dimension"
                                            << QStringList{"error shorter-than-dimension 1 0x181 11-bit"}
                                            << "5 of 20 frames are shorter than the Dimension 8 (lengths seen: 2, 8)";
    QTest::newRow("timeout-too-short") << "timeout-too-short" << QStringList{"error timeout-too-short 1 0x181 11-bit -> 300"}
                                       << "TimeOut 50 ms, but frames came up to 100 ms apart";
    QTest::newRow("timeout-zero") << "timeout-zero" << QStringList{"warning timeout-zero 1 0x181 11-bit -> 300"}
                                  << "largest gap 100 ms";
    QTest::newRow("transmit-already-sent") << "transmit-already-sent"
                                           << QStringList{"error transmit-already-sent 1 0x201 11-bit"}
                                           << "another node already sends this identifier (20 frames, cycle 100 ms)";
    QTest::newRow("receive-never-seen") << "receive-never-seen" << QStringList{"warning receive-never-seen 1 0x555 11-bit"}
                                        << "never seen on the bus";
    QTest::newRow("not-configured") << "not-configured"
                                    << QStringList{"info not-configured 0 0x181 11-bit", "info not-configured 0 0x7FF 11-bit",
                                                   "info not-configured 0 0x18FF0001 29-bit"}
                                    << "seen 3 times, 8 bytes, cycle 100 ms (100 ms to 100 ms)";
    QTest::newRow("no-traffic") << "no-traffic" << QStringList{"error no-traffic 0", "warning receive-never-seen 1 0x181 11-bit"}
                                << "no CAN data frame, but 5 error frames: is the bit rate right?";
    QTest::newRow("several-buses") << "several-buses" << QStringList{"error several-buses 0"} << "(can0, can1)";
    QTest::newRow("error-frames") << "error-frames" << QStringList{"warning error-frames 0"} << "1 error frames on the bus";
    QTest::newRow("bad-log-line") << "bad-log-line" << QStringList{"warning bad-log-line 6"} << "not a frame of a candump log";
    QTest::newRow("fd-frames") << "fd-frames" << QStringList{"info fd-frames 0"} << "1 CAN FD frames left out";
}

void Tst_Bus_Survey::each_mistake_is_found()
{
    QFETCH(QString, fixture);
    QFETCH(QString, message);
    const Surveyed s = Survey_Fixture(fixture);
    QTEST(s.Lines, "findings");
    if (!message.isEmpty()) QVERIFY2(s.Findings[0].Message.contains(message), qPrintable(s.Findings[0].Message));
    // Findings about a row name their frame list; those about the recording, the log.
    for (const Survey_Finding &f : s.Findings) {
        if (f.Row > 0 && f.Code != QLatin1String("bad-log-line"))
            QVERIFY2(f.File.endsWith(QLatin1String(".xml")), qPrintable(f.File));
        else if (f.Code != QLatin1String("not-configured"))
            QVERIFY2(f.File.endsWith(QLatin1String("bus.log")), qPrintable(f.Code + ": " + f.File));
    }
}

void Tst_Bus_Survey::frames_are_read_as_the_device_gets_them()
{
    QTemporaryDir dir;
    const Project_Paths paths = Project_Paths_In(dir.path());
    QFile rx(paths.CAN_Receive);
    QVERIFY(rx.open(QIODevice::WriteOnly));
    // "$181" is hexadecimal; "ten" is no number (Cob-ID 0 on the device); a Type in lower case
    // is still 29-bit; a TimeOut that is no number is 0.
    rx.write(Rx(Rx_Row("$181", "8", "CAN 2.0A 11 bits", "250") + Rx_Row("ten", "4") +
                Rx_Row("0x18ff0001", "2", "can 2.0b 29 bits", "soon")));
    rx.close();
    const Configured_Frame_Lists lists = Configured_Frames(paths);
    QCOMPARE(lists.Receive.size(), 3);
    QCOMPARE(lists.Transmit.size(), 0);
    const Configured_Frame &a = lists.Receive[0];
    QCOMPARE(a.Id, 0x181u);
    QCOMPARE(a.Extended, false);
    QCOMPARE(a.Time_Out, 250u);
    QCOMPARE(a.Row, 1);
    QCOMPARE(lists.Receive[1].Id, 0u);
    QCOMPARE(lists.Receive[1].CobID_Is_Number, false);
    QCOMPARE(lists.Receive[1].CobID_Text, QString("ten"));
    const Configured_Frame &c = lists.Receive[2];
    QCOMPARE(c.Id, 0x18FF0001u);
    QCOMPARE(c.Extended, true);
    QCOMPARE(c.Dimension, 2);
    QCOMPARE(c.Time_Out, 0u);
    QCOMPARE(c.Row, 3);

    // A list the build refuses is refused here alike.
    QVERIFY(rx.open(QIODevice::WriteOnly));
    rx.write("<ReceiveCAN><row CobID=\"1\"/></ReceiveCAN>");
    rx.close();
    QVERIFY_THROWS_EXCEPTION(Xml_Error, Configured_Frames(paths));
}

void Tst_Bus_Survey::learned_frames_fill_the_first_empty_rows()
{
    Frame_Grid grid = Empty_Frame_Grid();
    grid[0] = Frame_Row{"0x181", "8", Frame_Type_11, "300", {}, {}, {}, "speed"};
    grid[1] = Frame_Row{"$18FF0001", "8", Frame_Type_29, "0", {}, {}, {}, {}};
    grid[3] = Frame_Row{{}, {}, {}, {}, {}, {}, {}, "a note in an otherwise empty row"};
    const QList<Seen_Frame> seen{Seen(0x181, false, {8}, 100000),       // held already
                                 Seen(0x181, true, {8}, 100000),        // the same number as 29-bit
                                 Seen(0x18FF0001, true, {8}, 20000),    // held (typed with "$")
                                 Seen(0x200, false, {2, 8}, 33333),     // varying length
                                 Seen(0x300, false, {0}, 1000),         // no data at all
                                 Seen(0x301, false, {4}, std::nullopt)};  // seen once
    const Frame_Import learned = Learn_Frames(grid, seen, 2.5);
    QCOMPARE(learned.Added, (QStringList{"0x181", "0x200", "0x301"}));
    QCOMPARE(learned.Added_Rows, (QList<int>{3, 5, 6}));
    QCOMPARE(learned.Grid[2], (Frame_Row{"0x181", "8", Frame_Type_29, "250", {}, {}, {}, {}}));
    QCOMPARE(learned.Grid[3], grid[3]);
    QCOMPARE(learned.Grid[4], (Frame_Row{"0x200", "2", Frame_Type_11, "84", {}, {}, {}, {}}));
    QCOMPARE(learned.Grid[5], (Frame_Row{"0x301", "4", Frame_Type_11, "0", {}, {}, {}, {}}));
    QCOMPARE(learned.Grid[0], grid[0]);
    QCOMPARE(learned.Skipped.size(), 3);
    QCOMPARE(learned.Skipped[0].Name, QString("0x181"));
    QCOMPARE(learned.Skipped[0].Reason, QString("the list already holds this identifier and type"));
    QCOMPARE(learned.Skipped[2].Name, QString("0x300"));
    QCOMPARE(learned.Skipped[2].Reason, QString("frames without data bytes: nothing for a register"));

    // A full list takes nothing more, and says why.
    Frame_Grid full = Empty_Frame_Grid();
    for (int i = 0; i < Max_Frame_Entries; ++i) full[i].CobID = QString::number(0x400 + i);
    const Frame_Import none = Learn_Frames(full, {Seen(0x7FF, false, {8}, 1000)});
    QVERIFY(none.Added.isEmpty());
    QCOMPARE(none.Skipped.value(0).Reason, QString("the list is full (250 frames)"));
    // A gap so long that its time-out would pass what the editor takes.
    const Frame_Import too_long = Learn_Frames(Empty_Frame_Grid(), {Seen(0x7FF, false, {8}, int64_t(40000) * 1000000)});
    QCOMPARE(too_long.Skipped.value(0).Reason, QString("the time-out would exceed 100000000 ms"));
}

void Tst_Bus_Survey::learned_rows_pass_the_editor_and_take_every_frame_with_data()
{
    // What the survey reads back from a learned list finds nothing wrong against the same log.
    const QString log = QStringLiteral(QCX_TEST_DATA_DIR "/bus/survey/not-configured/bus.log");
    Bus_Traffic traffic;
    Survey_Source source;
    source.Log = Read_Can_Log_File(log, [&traffic](const Log_Frame &f) { traffic.Add(f); });
    const Frame_Import learned = Learn_Frames(Empty_Frame_Grid(), Seen_Frames(traffic));
    QCOMPARE(learned.Added, (QStringList{"0x181", "0x7FF", "0x18FF0001"}));
    QCOMPARE(Check_Frames(Direction::Receive, learned.Grid), std::nullopt);

    QTemporaryDir dir;
    const Project_Paths paths = Project_Paths_In(dir.path());
    Commit_Frame_List_Save(Plan_Frame_List_Save(learned.Grid, 0, paths.Define_CAN_Receive), Direction::Receive,
                           paths.CAN_Receive, paths.Define_CAN_Receive);
    const QList<Survey_Finding> findings = Survey_Bus(Configured_Frames(paths), traffic, source);
    QStringList codes;
    for (const Survey_Finding &f : findings) codes << f.Code;
    QCOMPARE(codes, QStringList{});
}

QTEST_GUILESS_MAIN(Tst_Bus_Survey)
#include "tst_core_bus_survey.moc"
