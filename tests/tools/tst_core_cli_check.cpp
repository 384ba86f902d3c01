// qcx3310-cli check run for real on one small configuration per finding (tests/data/check): the
// exact list of findings with their severity, file and row, the exit status, and the text form
// agreeing with the JSON form line for line.
#include "Run_Program.h"
#include "test_config.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Cli_Check : public QObject {
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
    void text_lists_what_json_lists();
    void folder_that_is_not_one_data();
    void folder_that_is_not_one();
};

namespace {

using Run = Program_Run;
Run Cli(const QStringList &args) { return Run_Cli(args); }

QString Fixture(const QString &name) { return QStringLiteral(QCX_TEST_DATA_DIR "/") + name; }

QJsonObject Json_Check(const QString &dir, int *exit)
{
    const Run r = Cli({"check", "--json", dir});
    *exit = r.Exit;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.Out.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) qWarning("%s\n%s", qPrintable(r.Out), qPrintable(r.Err));
    return doc.object();
}

}  // namespace

void Tst_Cli_Check::findings_data()
{
    QTest::addColumn<QString>("fixture");        // under tests/data
    QTest::addColumn<QStringList>("expected");  // "severity code file:row", in the order listed

    // A configuration as the editors write it: only a frame that nothing maps is mentioned.
    QTest::newRow("clean") << "check/clean" << QStringList{"info frame-without-mapping CAN_Receive.xml:2"};
    // Declarations, comments and processing instructions in front of the roots change nothing.
    QTest::newRow("declarations before the roots") << "images/declared" << QStringList{};

    // What stops the build.
    QTest::newRow("malformed-file") << "check/malformed-file" << QStringList{"error malformed-file CAN_Transmit.xml:0"};
    QTest::newRow("missing-attribute") << "check/missing-attribute"
                                       << QStringList{"error missing-attribute CAN_Receive.xml:2"};
    QTest::newRow("unreadable-file") << "check/unreadable-file" << QStringList{"error unreadable-file CAN_Receive.xml:0"};
    // A broken settings file stops the build, but the lists are still looked at.
    QTest::newRow("settings malformed") << "check/settings-malformed"
                                        << QStringList{"error malformed-file ParGen.xml:0",
                                                       "warning identifier-typed-decimal CAN_Receive.xml:3",
                                                       "warning duplicate-frame CAN_Receive.xml:3"};

    // What the build takes, though the device will not do what was meant.
    QTest::newRow("not-a-number") << "check/not-a-number" << QStringList{"warning not-a-number CAN_Receive.xml:1"};
    QTest::newRow("unknown-frame-type") << "check/unknown-frame-type"
                                        << QStringList{"warning unknown-frame-type CAN_Transmit.xml:2"};
    QTest::newRow("identifier-out-of-range") << "check/identifier-out-of-range"
                                             << QStringList{"warning identifier-out-of-range CAN_Receive.xml:2"};
    QTest::newRow("dimension-out-of-range") << "check/dimension-out-of-range"
                                            << QStringList{"warning dimension-out-of-range CAN_Receive.xml:1",
                                                           "info frame-without-mapping CAN_Receive.xml:1",
                                                           "warning dimension-out-of-range CAN_Receive.xml:3"};
    // 0x181 as an 11-bit and as a 29-bit frame are two frames; "385" is 0x181 again.
    QTest::newRow("duplicate-frame") << "check/duplicate-frame"
                                     << QStringList{"warning identifier-typed-decimal CAN_Receive.xml:3",
                                                    "warning duplicate-frame CAN_Receive.xml:3"};
    // "181" reaches the device as 0x0B5 and "18000001" as 0x0112A881, which CAN tools write
    // otherwise; "9" reads alike, "2000" has no 11-bit hexadecimal reading, "$182" and "x201"
    // say what they are.
    QTest::newRow("identifier-typed-decimal") << "check/identifier-typed-decimal"
                                              << QStringList{"warning identifier-typed-decimal CAN_Receive.xml:1",
                                                             "warning identifier-typed-decimal CAN_Transmit.xml:1"};
    QTest::newRow("receive-without-timeout") << "check/receive-without-timeout"
                                             << QStringList{"warning receive-without-timeout CAN_Receive.xml:2"};
    QTest::newRow("send-timer-zero") << "check/send-timer-zero" << QStringList{"warning send-timer-zero CAN_Transmit.xml:1"};
    // The build takes only "Y" as Data Change and only "1" as send on write: "Yes" and "01" send
    // nothing.
    QTest::newRow("transmit-never-sent") << "check/transmit-never-sent"
                                         << QStringList{"warning transmit-never-sent CAN_Transmit.xml:2",
                                                        "warning transmit-never-sent CAN_Transmit.xml:3"};
    // Beyond the list, negative, not a number; and a mapping file whose direction has no frames.
    QTest::newRow("unplaced-mapping") << "check/unplaced-mapping"
                                      << QStringList{"warning unplaced-mapping Define_CAN_Receive.xml:2",
                                                     "warning unplaced-mapping Define_CAN_Receive.xml:3",
                                                     "warning unplaced-mapping Define_CAN_Receive.xml:4",
                                                     "warning unplaced-mapping Define_CAN_Transmit.xml:1"};
    QTest::newRow("register-out-of-range") << "check/register-out-of-range"
                                           << QStringList{"warning register-out-of-range Define_CAN_Receive.xml:2"};
    // "0xA" is register 10 again, 65547 reaches the device as 11; the transmit direction's 10 is
    // another register.
    QTest::newRow("duplicate-register") << "check/duplicate-register"
                                        << QStringList{"warning duplicate-register Define_CAN_Receive.xml:3",
                                                       "warning register-out-of-range Define_CAN_Receive.xml:4",
                                                       "warning duplicate-register Define_CAN_Receive.xml:4"};
    QTest::newRow("mapping-without-bytes") << "check/mapping-without-bytes"
                                           << QStringList{"warning mapping-without-bytes Define_CAN_Receive.xml:3"};
    // Byte 5 of a 4-byte frame; byte 9 of a frame that claims 12 bytes but carries 8.
    QTest::newRow("byte-beyond-dimension") << "check/byte-beyond-dimension"
                                           << QStringList{"warning dimension-out-of-range CAN_Receive.xml:2",
                                                          "warning byte-beyond-dimension Define_CAN_Receive.xml:2",
                                                          "warning byte-beyond-dimension Define_CAN_Receive.xml:3"};

    QTest::newRow("missing-file") << "check/missing-file" << QStringList{"info missing-file CAN_Transmit.xml:0"};
    // No ParGen.xml: the device gets its own settings, a warning the check window shows.
    QTest::newRow("settings-not-stored") << "check/settings-not-stored"
                                         << QStringList{"warning settings-not-stored ParGen.xml:0",
                                                        "info frame-without-mapping CAN_Receive.xml:2"};
    QTest::newRow("frame-without-mapping") << "check/frame-without-mapping"
                                           << QStringList{"info frame-without-mapping CAN_Receive.xml:2"};
}

void Tst_Cli_Check::findings()
{
    QFETCH(QString, fixture);
    QFETCH(QStringList, expected);
    const QString dir = Fixture(fixture);
    int exit = -1;
    const QJsonObject o = Json_Check(dir, &exit);

    QStringList got;
    int errors = 0, warnings = 0, infos = 0;
    for (const QJsonValue &v : o["findings"].toArray()) {
        const QJsonObject f = v.toObject();
        const QString severity = f["severity"].toString();
        const QFileInfo file(f["file"].toString());
        QCOMPARE(file.absolutePath(), QFileInfo(dir).absoluteFilePath());
        QVERIFY2(!f["message"].toString().isEmpty(), qPrintable(f["code"].toString()));
        got << QStringLiteral("%1 %2 %3:%4").arg(severity, f["code"].toString(), file.fileName()).arg(f["row"].toInt());
        errors += severity == "error";
        warnings += severity == "warning";
        infos += severity == "info";
    }
    QCOMPARE(got, expected);
    QCOMPARE(o["summary"]["errors"].toInt(), errors);
    QCOMPARE(o["summary"]["warnings"].toInt(), warnings);
    QCOMPARE(o["summary"]["infos"].toInt(), infos);
    QCOMPARE(exit, errors > 0 ? 1 : 0);
}

void Tst_Cli_Check::text_lists_what_json_lists()
{
    for (const char *name : {"check/duplicate-register", "check/malformed-file", "check/missing-file"}) {
        const QString dir = Fixture(name);
        int exit = -1;
        const QJsonObject o = Json_Check(dir, &exit);
        const Run text = Cli({"check", dir});
        QCOMPARE(text.Exit, exit);
        QCOMPARE(text.Err, QString());

        QStringList expected;
        for (const QJsonValue &v : o["findings"].toArray()) {
            const QJsonObject f = v.toObject();
            const int row = f["row"].toInt();
            expected << f["severity"].toString() + ": " + f["file"].toString() +
                            (row > 0 ? ':' + QString::number(row) : QString()) + ": " + f["message"].toString();
        }
        const QJsonObject s = o["summary"].toObject();
        expected << QStringLiteral("%1 error(s), %2 warning(s), %3 info")
                        .arg(s["errors"].toInt())
                        .arg(s["warnings"].toInt())
                        .arg(s["infos"].toInt());
        QCOMPARE(text.Out.split('\n', Qt::SkipEmptyParts), expected);
        QVERIFY(text.Out.endsWith('\n'));
    }

    // The rows of the text form, as a script would pick them out.
    const Run r = Cli({"check", Fixture("check/duplicate-register")});
    QVERIFY2(r.Out.startsWith("warning: " + Fixture("check/duplicate-register") +
                              "/Define_CAN_Receive.xml:3: register 10 is mapped already in row 1"),
             qPrintable(r.Out));
}

void Tst_Cli_Check::folder_that_is_not_one_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("missing") << "missing";
    QTest::newRow("a file") << "file";
}

void Tst_Cli_Check::folder_that_is_not_one()
{
    QFETCH(QString, what);
    QTemporaryDir dir;
    QString path = dir.filePath("Conf");
    if (what == "file") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // As compile does: a mistyped folder is an error, not an empty configuration.
    for (const QStringList &args : {QStringList{"check", path}, QStringList{"check", "--json", path}}) {
        const Run r = Cli(args);
        QCOMPARE(r.Exit, 1);
        QCOMPARE(r.Out, QString());
        QCOMPARE(r.Err, "qcx3310-cli: " + path + ": no such configuration folder\n");
    }
}

QTEST_APPLESS_MAIN(Tst_Cli_Check)
#include "tst_core_cli_check.moc"
