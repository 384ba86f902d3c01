// The device address and the ping run: Valid_IP, the run's timing over a fake echo client and
// a fake clock, and the real echo client against loopback.
#include "Fakes.h"
#include "platform/Clock.h"
#include "platform/Real_Icmp_Echo.h"
#include "update/Device_Address.h"
#include "update/Ping_Run.h"

#include <QSet>
#include <QtTest>

class Tst_Ping_Run : public QObject {
    Q_OBJECT
private slots:
    void valid_ip_data();
    void valid_ip();
    void run_timing_data();
    void run_timing();
    void run_error_is_reported();
    void attempts_are_told_and_a_run_can_be_stopped_data();
    void attempts_are_told_and_a_run_can_be_stopped();
    void real_echo_of_loopback();
    void real_echo_rejects_what_is_no_address_data();
    void real_echo_rejects_what_is_no_address();
};

void Tst_Ping_Run::valid_ip_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QStringList>("parts");

    const QStringList none;
    QTest::newRow("plain") << "192.168.2.205" << true << QStringList{"192", "168", "2", "205"};
    QTest::newRow("blanks around parts")
        << "  10 . 0 .\t0. 7 " << true << QStringList{"10", "0", "0", "7"};
    QTest::newRow("bounds") << "0.0.255.255" << true << QStringList{"0", "0", "255", "255"};
    QTest::newRow("hexadecimal part converts")
        << "$7F.0x0.0.1" << true << QStringList{"$7F", "0x0", "0", "1"};
    QTest::newRow("only two dots") << "192.168.2" << false << none;
    QTest::newRow("no dot") << "192168" << false << none;
    QTest::newRow("part above 255") << "192.168.256.1" << false << none;
    QTest::newRow("negative part") << "192.-1.2.1" << false << none;
    QTest::newRow("empty part") << "192..2.1" << false << none;
    QTest::newRow("non-numeric part") << "192.abc.2.1" << false << none;
    QTest::newRow("further dot in fourth part") << "1.2.3.4.5" << false << none;
    QTest::newRow("empty text") << "" << false << none;
}

void Tst_Ping_Run::valid_ip()
{
    QFETCH(QString, ip);
    QFETCH(bool, valid);
    QFETCH(QStringList, parts);
    QString ip1, ip2, ip3, ip4;
    QCOMPARE(Valid_IP(ip, ip1, ip2, ip3, ip4), valid);
    if (valid) QCOMPARE((QStringList{ip1, ip2, ip3, ip4}), parts);
}

void Tst_Ping_Run::run_timing_data()
{
    QTest::addColumn<QList<int>>("answered");
    QTest::addColumn<int>("reply_ms");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<int>("replies");
    QTest::addColumn<qint64>("elapsed");

    using O = Ping_Run_Result::Outcome;
    // A silent attempt is 400 ms of waiting and 10 ms of pause; no attempt starts once more
    // than 10000 ms have passed. A silent device: 24 attempts take 9840 ms, the 25th ends the
    // run at 10250 ms.
    QTest::newRow("answers at once: two replies end it")
        << QList<int>{1, 2, 3} << 1 << int(O::Found) << 2 << 2 << qint64(2 * 11);
    QTest::newRow("second answer later still ends it")
        << QList<int>{1, 5} << 1 << int(O::Found) << 5 << 2 << qint64(2 * 11 + 3 * 410);
    QTest::newRow("silent device: ten seconds")
        << QList<int>{} << 1 << int(O::Not_Found) << 25 << 0 << qint64(25 * 410);
    // A slow answer to attempt 25 carries the run past the limit: the last attempt answered.
    QTest::newRow("answers only the last attempt")
        << QList<int>{25} << 300 << int(O::Found) << 25 << 1 << qint64(24 * 410 + 310);
    // A quick answer to attempt 25 leaves time for a 26th, which goes unanswered.
    QTest::newRow("answers attempt 25, not the last")
        << QList<int>{25} << 1 << int(O::Not_Found) << 26 << 1 << qint64(25 * 410 + 11);
    QTest::newRow("answered early, not the last")
        << QList<int>{3} << 1 << int(O::Not_Found) << 26 << 1 << qint64(25 * 410 + 11);
}

void Tst_Ping_Run::run_timing()
{
    QFETCH(QList<int>, answered);
    QFETCH(int, reply_ms);
    QFETCH(int, outcome);
    QFETCH(int, attempts);
    QFETCH(int, replies);
    QFETCH(qint64, elapsed);

    Fake_Clock clock;
    clock.Advance(123456);  // the run measures from its own start
    Fake_Echo echo(clock);
    echo.Answering.clear();
    echo.Answered_Attempts = answered;
    echo.Reply_Ms = reply_ms;
    int events = 0;
    const Ping_Run_Result result =
        Run_Ping(echo, clock, QStringLiteral("127.0.0.1"), [&events] { ++events; });

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.attempts, attempts);
    QCOMPARE(result.replies, replies);
    QCOMPARE(echo.Calls, attempts);
    QCOMPARE(clock.Now_Ms() - 123456, elapsed);
    // The window gets its events after every attempt.
    QCOMPARE(events, attempts);
    for (int t : echo.Timeouts) QCOMPARE(t, 400);
    for (const QByteArray &p : echo.Payloads) QCOMPARE(p, QByteArray("127.0.0.1"));
}

void Tst_Ping_Run::run_error_is_reported()
{
    Fake_Clock clock;
    Fake_Echo echo(clock);
    echo.Answering.clear();
    echo.Answered_Attempts = {1};
    echo.Fail_At = 2;  // the first attempt was answered; the second cannot be sent
    const Ping_Run_Result result = Run_Ping(echo, clock, QStringLiteral("127.0.0.1"), {});
    QCOMPARE(result.outcome, Ping_Run_Result::Outcome::Error);
    QCOMPARE(result.error, QStringLiteral("no route to host"));
    QCOMPARE(echo.Calls, 2);
}

void Tst_Ping_Run::attempts_are_told_and_a_run_can_be_stopped_data()
{
    QTest::addColumn<QList<int>>("answered");
    QTest::addColumn<int>("stop_before");  // 0: never stopped
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("attempts");

    using O = Ping_Run_Result::Outcome;
    // The count a window shows a silent device is its true number of attempts.
    QTest::newRow("silent device runs its count")
        << QList<int>{} << 0 << int(O::Not_Found) << Ping_Silent_Attempts;
    QTest::newRow("stopped before the fourth") << QList<int>{} << 4 << int(O::Stopped) << 3;
    QTest::newRow("stopped before the first") << QList<int>{} << 1 << int(O::Stopped) << 0;
    // A stop counts even after an answer: the user asked for it.
    QTest::newRow("stopped after one answer") << QList<int>{1} << 2 << int(O::Stopped) << 1;
}

void Tst_Ping_Run::attempts_are_told_and_a_run_can_be_stopped()
{
    QFETCH(QList<int>, answered);
    QFETCH(int, stop_before);
    QFETCH(int, outcome);
    QFETCH(int, attempts);

    QCOMPARE(Ping_Silent_Attempts, 25);
    Fake_Clock clock;
    Fake_Echo echo(clock);
    echo.Answering.clear();
    echo.Answered_Attempts = answered;
    QList<int> told;
    const Ping_Run_Result result = Run_Ping(echo, clock, QStringLiteral("127.0.0.2"), {}, [&](int attempt) {
        // Told before the request goes out.
        told.append(attempt);
        return attempt != stop_before;
    });
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.attempts, attempts);
    QCOMPARE(echo.Calls, attempts);
    QList<int> expected;
    for (int i = 1; i <= (stop_before ? stop_before : attempts); ++i) expected.append(i);
    QCOMPARE(told, expected);
}

void Tst_Ping_Run::real_echo_of_loopback()
{
    Real_Icmp_Echo echo;
    try {
        const QByteArray payload("127.0.0.1");
        QCOMPARE(echo.Echo(QStringLiteral("127.0.0.1"), payload, 400), 8 + payload.size());
        // A second request of the same client is matched by its own sequence number.
        const QByteArray big(1400, 'x');
        QCOMPARE(echo.Echo(QStringLiteral("127.0.0.1"), big, 400), 8 + big.size());
    } catch (const Icmp_No_Socket &e) {
        QSKIP(qPrintable(QStringLiteral("this machine allows no ICMP socket: %1")
                             .arg(QString::fromStdString(e.what()))));
    }
}

void Tst_Ping_Run::real_echo_rejects_what_is_no_address_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("name") << "localhost";
    QTest::newRow("blank inside") << "127.0.0. 1";
    QTest::newRow("trailing blank") << "127.0.0.1 ";
    QTest::newRow("part above 255") << "127.0.0.256";
    QTest::newRow("three parts") << "127.0.1";
    QTest::newRow("hexadecimal") << "0x7F.0.0.1";
    QTest::newRow("empty") << "";
    QTest::newRow("nul inside") << QString::fromUtf16(u"127.0.0.1\0" "9", 11);
}

void Tst_Ping_Run::real_echo_rejects_what_is_no_address()
{
    QFETCH(QString, host);
    Real_Icmp_Echo echo;
    try {
        echo.Echo(host, host.toUtf8(), 400);
        QFAIL("no error raised");
    } catch (const Icmp_No_Socket &) {
        QFAIL("the text was taken for an address");
    } catch (const Icmp_Error &) {
    }
}

QTEST_GUILESS_MAIN(Tst_Ping_Run)
#include "tst_core_ping_run.moc"
