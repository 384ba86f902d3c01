// The version check against a stand-in version service on loopback, through the real HTTP
// client: the verdicts, the exact request, and the time limits.
#include "Local_Http_Server.h"
#include "lang/Version_Check.h"
#include "platform/Curl_Http_Get.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

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

    void default_time_limits_are_set()
    {
        // Without limits an unreachable service could freeze the window for good.
        Curl_Http_Get http;
        QCOMPARE(http.Connect_Limit_Ms(), 5000L);
        QCOMPARE(http.Total_Limit_Ms(), 10000L);
    }

    void link_text_is_escaped()
    {
        QCOMPARE(Link_Html(QStringLiteral("New <b>& more"), QStringLiteral("http://h/p?a=1&b=\"2\"#X")),
                 QStringLiteral("<a href=\"http://h/p?a=1&amp;b=&quot;2&quot;#X\">New &lt;b&gt;&amp; more</a>"));
    }
};

QTEST_GUILESS_MAIN(Version_Check_Test)
#include "tst_core_version_check.moc"
