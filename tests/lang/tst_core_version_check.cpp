// The version check against a stand-in version service on loopback, through the real HTTP
// client: the verdicts, the exact request, and the time limits. Then the check off the asking
// thread: the asker's loop runs on while a request waits, the verdict comes back on the
// asker's thread, one request at a time, and neither the checker nor the client holds up the
// end of the program.
#include "Gated_Http.h"
#include "Local_Http_Server.h"
#include "lang/Version_Check.h"
#include "lang/Version_Checker.h"
#include "platform/Curl_Http_Get.h"
#include "platform/Web_Host.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <memory>
#include <thread>

namespace {
const QString Own = QStringLiteral("1.102");
const QString Code = QStringLiteral("QCX3310");
}  // namespace

class Version_Check_Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Loopback only, and straight: a proxy from the environment must not step in.
        for (const char *name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) qunsetenv(name);
    }

    void conv_version_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("own version") << "1.102" << 1102;
        QTest::newRow("service form") << "VER. 1.103" << 1103;
        QTest::newRow("no version") << "VER. 0.000" << 0;
        QTest::newRow("word after the version") << "VER. 1.103 beta" << 1103;
        QTest::newRow("no blank: whole text") << "2.000" << 2000;
        QTest::newRow("blanks after the first") << "VER.   1.104  " << 1104;
        QTest::newRow("two digits before the point") << "VER. 10.000" << -1;
        QTest::newRow("short version") << "VER. 1.10" << -1;
        QTest::newRow("nothing after the blank") << "VER. " << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("letter among the digits") << "VER. 1.1a3" << -1;
        QTest::newRow("sign is no digit") << "VER. +.103" << -1;
        QTest::newRow("hexadecimal is no version") << "VER. $.1FF" << -1;
        QTest::newRow("word without version") << "Not found" << -1;
    }
    void conv_version()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(Conv_Version(text), number);
    }

    // Each row is one real request to a stand-in service.
    void check_version_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("newer");
        QTest::newRow("1.103 is newer") << 200 << QByteArray("VER. 1.103") << true;
        QTest::newRow("1.102 is the same") << 200 << QByteArray("VER. 1.102") << false;
        QTest::newRow("1.101 is older") << 200 << QByteArray("VER. 1.101") << false;
        QTest::newRow("no version, lower case") << 200 << QByteArray("ver. 0.000") << false;
        QTest::newRow("no version, blanks and line breaks") << 200 << QByteArray(" \r\nVER. 0.000 \r\n") << false;
        QTest::newRow("newer, line breaks around") << 200 << QByteArray("\r\nVER. 1.103\r\n") << true;
        QTest::newRow("word after the version") << 200 << QByteArray("VER. 1.103 beta") << true;
        QTest::newRow("bare 2.000") << 200 << QByteArray("2.000") << true;
        QTest::newRow("10.000 does not read") << 200 << QByteArray("VER. 10.000") << false;
        QTest::newRow("short version") << 200 << QByteArray("VER. 2.1") << false;
        QTest::newRow("empty answer") << 200 << QByteArray() << false;
        QTest::newRow("error status with a version") << 404 << QByteArray("VER. 9.999") << false;
        QTest::newRow("server error") << 500 << QByteArray("VER. 9.999") << false;
        QTest::newRow("redirect is not followed") << 302 << QByteArray("VER. 9.999") << false;
    }
    void check_version()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, newer);
        Local_Http_Server server({status, body, false});
        qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
        Curl_Http_Get http;
        QCOMPARE(Check_Version(&http, Code, Own), newer);
        QCOMPARE(server.Requests().size(), 1);
    }

    void request_is_one_plain_http10_get()
    {
        Local_Http_Server server({200, "VER. 1.103", false});
        qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
        Curl_Http_Get http;
        QVERIFY(Check_Version(&http, Code, Own));

        const QList<QByteArray> requests = server.Requests();
        QCOMPARE(requests.size(), 1);
        const QList<QByteArray> lines = requests.first().split('\n');
        QCOMPARE(lines.first(), QByteArray("GET /home/download/GetversionSW.asp?nomesw=QCX3310 HTTP/1.0\r"));
        QVERIFY(requests.first().contains("\r\nHost: " + server.Host().toUtf8() + "\r\n"));
        QVERIFY(!requests.first().toLower().contains("\ncookie:"));
    }

    void unreachable_service_is_no_update()
    {
        // A port that was just free: nothing listens there.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        qputenv("QCX3310_WEB_HOST", QByteArray("127.0.0.1:") + QByteArray::number(port));

        Curl_Http_Get http;
        QVERIFY_THROWS_EXCEPTION(Http_Error, http.Get(Version_Service_Url(Code)));
        QVERIFY(!Check_Version(&http, Code, Own));
        QVERIFY(!Check_Version(nullptr, Code, Own));
    }

    // libcurl is loaded at the first request; where it cannot be, each request fails with the
    // reason (and the check says "no update"), and the service is never asked.
    void missing_library_is_a_failed_request_data()
    {
        QTest::addColumn<QString>("library");
        QTest::newRow("no such file") << "libqcx-no-such-http.so.4";
        QTest::newRow("a library without curl") << "libm.so.6";
    }
    void missing_library_is_a_failed_request()
    {
        QFETCH(QString, library);
        Local_Http_Server server({200, "VER. 1.103", false});
        qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
        Curl_Http_Get http(library.toStdString());
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                http.Get(Version_Service_Url(Code));
                QFAIL("a request without libcurl succeeded");
            } catch (const Http_Error &e) {
                QVERIFY2(QString::fromUtf8(e.what()).startsWith(Http_No_Library_Text), e.what());
            }
        }
        QVERIFY(!Check_Version(&http, Code, Own));
        QCOMPARE(server.Requests().size(), 0);
        http.Shut_Down();
    }

    // A service that takes the request and never answers must not hold the program: the
    // request ends at the time limit and counts as no update.
    void stalled_service_hits_the_time_limit()
    {
        Local_Http_Server server({200, {}, true});
        qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
        Curl_Http_Get http;
        http.Set_Time_Limits(200, 400);

        try {
            http.Get(Version_Service_Url(Code));
            QFAIL("a stalled service gave an answer");
        } catch (const Http_Error &error) {
            QVERIFY2(QByteArray(error.what()).startsWith(Http_Time_Limit_Text), error.what());
        }
        QVERIFY(!Check_Version(&http, Code, Own));
        QCOMPARE(server.Requests().size(), 2);
    }

    // Shut_Down is what lets the program quit while a service stalls: the request in flight
    // ends at once instead of at the time limits, and no new one starts.
    void shut_down_ends_a_request_in_flight()
    {
        Local_Http_Server server({200, {}, true});
        qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
        Curl_Http_Get http;
        const QString url = Version_Service_Url(Code);

        QByteArray error;
        std::thread request([&] {
            try {
                http.Get(url);
            } catch (const Http_Error &e) {
                error = e.what();
            }
        });
        QTRY_COMPARE(server.Requests().size(), 1);

        QElapsedTimer elapsed;
        elapsed.start();
        http.Shut_Down();
        request.join();
        QVERIFY2(elapsed.elapsed() < http.Connect_Limit_Ms() / 2, QByteArray::number(elapsed.elapsed()));
        QVERIFY2(error.startsWith(Http_Shut_Down_Text), error.constData());

        QVERIFY_THROWS_EXCEPTION(Http_Error, http.Get(url));
        QCOMPARE(server.Requests().size(), 1);
    }

    // The end of the program in miniature: the checker goes first (leaving its request to
    // run), then the client, whose destructor ends that request and waits for it.
    void client_destroyed_while_a_check_waits_returns_promptly()
    {
        Local_Http_Server server({200, {}, true});
        qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
        auto http = std::make_unique<Curl_Http_Get>();
        auto checker = std::make_unique<Version_Checker>();
        QVERIFY(checker->Start(http.get(), Code, Own));
        QTRY_COMPARE(server.Requests().size(), 1);

        QElapsedTimer elapsed;
        elapsed.start();
        const long limit = http->Connect_Limit_Ms();
        checker.reset();
        http.reset();
        QVERIFY2(elapsed.elapsed() < limit / 2, QByteArray::number(elapsed.elapsed()));
    }

    // Each row: one check through the checker, held at the gate while the asking thread goes
    // on with its own work.
    void checker_answers_on_the_asking_thread_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("fail");
        QTest::addColumn<bool>("newer");
        QTest::newRow("newer version") << "VER. 1.103" << false << true;
        QTest::newRow("same version") << "VER. 1.102" << false << false;
        QTest::newRow("failed request") << "VER. 1.103" << true << false;
    }
    void checker_answers_on_the_asking_thread()
    {
        QFETCH(QString, answer);
        QFETCH(bool, fail);
        QFETCH(bool, newer);
        qputenv("QCX3310_WEB_HOST", "127.0.0.1:9");
        Gated_Http http(answer, fail);
        Version_Checker checker;
        QList<QThread *> answered_on;
        QList<bool> verdicts;
        QList<bool> busy_when_answered;
        // Direct, so that the thread recorded is the one that emits.
        connect(
            &checker, &Version_Checker::Finished, this,
            [&](bool verdict) {
                answered_on.append(QThread::currentThread());
                verdicts.append(verdict);
                busy_when_answered.append(checker.Busy());
            },
            Qt::DirectConnection);

        QVERIFY(checker.Start(&http, Code, Own));
        QVERIFY(checker.Busy());
        QTRY_COMPARE(http.Calls(), 1);

        // The asking thread's loop runs while the request is held; a second check is refused.
        bool ticked = false;
        QTimer::singleShot(1, this, [&] { ticked = true; });
        QTRY_VERIFY(ticked);
        QVERIFY(!checker.Start(&http, Code, Own));
        QVERIFY(verdicts.isEmpty());

        http.Open();
        QTRY_COMPARE(verdicts.size(), 1);
        QCOMPARE(verdicts.first(), newer);
        // Compared as addresses: the thread object of an ended thread is gone.
        QVERIFY(answered_on.first() == QThread::currentThread());
        // Whoever hears the verdict may start the next check at once.
        QCOMPARE(busy_when_answered.first(), false);
        QCOMPARE(http.Calls(), 1);
        QVERIFY(http.Threads().first() != QThread::currentThread());
        QCOMPARE(http.Urls(), QStringList({Web_Url("/home/download/GetversionSW.asp?nomesw=QCX3310")}));

        // Once answered, the next check may go out.
        QVERIFY(checker.Start(&http, Code, Own));
        QTRY_COMPARE(verdicts.size(), 2);
        QCOMPARE(verdicts.last(), newer);
        QCOMPARE(http.Calls(), 2);
    }

    // Without a client there is nothing to ask, yet the verdict comes the same way: later, on
    // the asking thread, and a second check waits for it.
    void checker_without_client_finds_no_update()
    {
        Version_Checker checker;
        QSignalSpy finished(&checker, &Version_Checker::Finished);
        QVERIFY(checker.Start(nullptr, Code, Own));
        QCOMPARE(finished.size(), 0);
        QVERIFY(!checker.Start(nullptr, Code, Own));
        QVERIFY(finished.wait());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toBool(), false);
        QVERIFY(!checker.Busy());
    }

    // A checker that goes while its request waits neither waits for it nor hears from it.
    void destroyed_checker_leaves_its_request_behind()
    {
        qputenv("QCX3310_WEB_HOST", "127.0.0.1:9");
        Gated_Http http(QStringLiteral("VER. 1.103"));
        auto checker = std::make_unique<Version_Checker>();
        QSignalSpy finished(checker.get(), &Version_Checker::Finished);
        QVERIFY(checker->Start(&http, Code, Own));
        QTRY_COMPARE(http.Calls(), 1);

        checker.reset();
        // Still held: the destructor did not sit out the request.
        QCOMPARE(http.Returned(), 0);

        http.Open();
        QTRY_COMPARE(http.Returned(), 1);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 0);
    }

    void link_text_is_escaped()
    {
        QCOMPARE(Link_Html(QStringLiteral("New <b>& more"), QStringLiteral("http://h/p?a=1&b=\"2\"#X")),
                 QStringLiteral("<a href=\"http://h/p?a=1&amp;b=&quot;2&quot;#X\">New &lt;b&gt;&amp; more</a>"));
    }
};

QTEST_GUILESS_MAIN(Version_Check_Test)
#include "tst_core_version_check.moc"
