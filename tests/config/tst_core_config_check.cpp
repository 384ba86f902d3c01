// The check of a configuration against the build itself: it never calls good what the build
// refuses (nor refuses what the build takes), its errors name the file and row the build names,
// it stops where the build stops, and it judges every value as the device will get it.
#include "File_Bytes.h"
#include "config/Config_Check.h"
#include "config/Image_Builder.h"
#include "Config_Text.h"
#include "test_config.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using Files = QMap<QString, QByteArray>;

class Tst_Config_Check : public QObject {
    Q_OBJECT
private slots:
    void never_good_when_the_build_refuses_data();
    void never_good_when_the_build_refuses();
    void an_error_stops_where_the_build_stops();
    void values_are_judged_as_the_device_gets_them_data();
    void values_are_judged_as_the_device_gets_them();
};

namespace {

const QString rx = "CAN_Receive.xml", tx = "CAN_Transmit.xml", pg = "ParGen.xml";
const QString rxm = "Define_CAN_Receive.xml", txm = "Define_CAN_Transmit.xml";

void Copy_Folder(const QString &from, const QString &to)
{
    const QDir dir(from);
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + '/' + entry.fileName();
        if (entry.isDir()) {
            QDir().mkpath(target);
            Copy_Folder(entry.filePath(), target);
        } else {
            QFile::copy(entry.filePath(), target);
        }
    }
}

// A transmit frame sent on a change of its data, so that it is no finding of its own.
QString Sent_Tx_Row(const QString &cob, const QString &dim = "8", const QString &type = "CAN 2.0A 11 bits")
{
    return Tx_Row(cob, dim, type, "Y");
}

// A configuration with this many frames and mappings in each direction, each frame and register
// its own.
Files Sized(int rx_frames, int tx_frames, int rx_maps, int tx_maps)
{
    return {{rx, Rx(Repeat(rx_frames, [](int i) { return Rx_Row(QString::number(i)); }))},
            {tx, Tx(Repeat(tx_frames, [](int i) { return Sent_Tx_Row(QString::number(i)); }))},
            {rxm, Rx_Maps(Repeat(rx_maps, [](int i) { return Map_Row("0", QString::number(i)); }))},
            {txm, Tx_Maps(Repeat(tx_maps, [](int i) { return Map_Row("0", QString::number(i)); }))}};
}

// "severity code file:row" of each finding.
QStringList Brief(const QList<Check_Finding> &findings, bool with_info)
{
    QStringList list;
    for (const Check_Finding &f : findings)
        if (with_info || f.Severity != Check_Severity::Info)
            list << QStringLiteral("%1 %2 %3:%4").arg(Severity_Name(f.Severity), f.Code, QFileInfo(f.File).fileName()).arg(f.Row);
    return list;
}

}  // namespace

void Tst_Config_Check::never_good_when_the_build_refuses_data()
{
    QTest::addColumn<QString>("fixture");  // a folder under tests/data to start from, or none
    QTest::addColumn<Files>("files");      // written over it
    QTest::addColumn<QString>("error");    // "code file:row" of the check's first error; empty: none

    // Every fixture folder there is, whatever it was made for.
    for (const char *group : {"images", "check"}) {
        const QDir dir(QStringLiteral(QCX_TEST_DATA_DIR "/") + group);
        for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QTest::addRow("%s/%s", group, qPrintable(name)) << dir.filePath(name) << Files{} << QString();
    }

    QTest::newRow("no files") << QString() << Files{} << QString();
    QTest::newRow("full tables") << QString() << Sized(300, 212, 4000, 96) << QString();
    QTest::newRow("one frame too many") << QString() << Sized(300, 213, 0, 0) << "too-many-frames CAN_Transmit.xml:213";
    QTest::newRow("too many receive frames") << QString() << Sized(513, 0, 0, 0) << "too-many-frames CAN_Receive.xml:513";
    QTest::newRow("one mapping too many") << QString() << Sized(1, 1, 4000, 97)
                                          << "too-many-mappings Define_CAN_Transmit.xml:97";
    QTest::newRow("too many receive mappings") << QString() << Sized(1, 0, 5000, 0)
                                               << "too-many-mappings Define_CAN_Receive.xml:4097";
    QTest::newRow("empty file") << QString() << Files{{rx, ""}} << "malformed-file CAN_Receive.xml:0";
    QTest::newRow("only a declaration") << QString() << Files{{tx, "<?xml version=\"1.0\"?>\n<!-- none -->"}}
                                        << "malformed-file CAN_Transmit.xml:0";
    QTest::newRow("a comment among the rows") << QString() << Files{{rx, Rx(Rx_Row("1") + "<!-- spare -->")}}
                                              << "missing-attribute CAN_Receive.xml:2";
    QTest::newRow("a row without Type") << QString()
                                        << Files{{rx, Rx("<row CobID=\"1\" Dimension=\"8\" TimeOut=\"0\"/>")}}
                                        << "missing-attribute CAN_Receive.xml:1";
    QTest::newRow("receive row without Mnemonic") << QString()
                                                  << Files{{rx, Rx("<row CobID=\"1\" Dimension=\"8\" Type=\"\" TimeOut=\"0\"/>")}}
                                                  << QString();
    QTest::newRow("on timer without SendTimer")
        << QString() << Files{{tx, Tx("<row CobID=\"2\" Dimension=\"8\" Type=\"\" DataChange=\"N\" OnTimer=\"y\"/>")}}
        << "missing-attribute CAN_Transmit.xml:1";
    QTest::newRow("SendTimer not read without on timer")
        << QString() << Files{{tx, Tx("<row CobID=\"2\" Dimension=\"8\" Type=\"\" DataChange=\"Y\" OnTimer=\"N\"/>")}}
        << QString();
    QTest::newRow("mapping row without Byte_LoPart")
        << QString() << Files{{rx, Rx(Rx_Row("1"))}, {rxm, Rx_Maps(Map_Row("0", "1") + "<row Num_Frame=\"0\" Mod_Index=\"2\" Byte_HiPart=\"1\"/>")}}
        << "missing-attribute Define_CAN_Receive.xml:2";
    QTest::newRow("mapping row without Num_Frame")
        << QString() << Files{{tx, Tx(Sent_Tx_Row("1"))}, {txm, Tx_Maps("<row Mod_Index=\"1\"/>")}}
        << "missing-attribute Define_CAN_Transmit.xml:1";
    QTest::newRow("skipped mapping row needs no other attribute")
        << QString() << Files{{rx, Rx(Rx_Row("1"))}, {rxm, Rx_Maps("<row Num_Frame=\"3\"/>")}} << QString();
    QTest::newRow("mappings without frames are not read")
        << QString() << Files{{rxm, "not even XML"}, {txm, Tx_Maps("<row/>")}} << QString();
    QTest::newRow("broken settings and a broken list")
        << QString() << Files{{pg, "<Par_Gen>"}, {rx, Rx(Rx_Row("1"))}, {rxm, Rx_Maps("<row Num_Frame=\"0\"/>")}}
        << "malformed-file ParGen.xml:0";
}

void Tst_Config_Check::never_good_when_the_build_refuses()
{
    QFETCH(QString, fixture);
    QFETCH(Files, files);
    QFETCH(QString, error);
    QTemporaryDir dir;
    if (!fixture.isEmpty()) Copy_Folder(fixture, dir.path());
    for (auto it = files.begin(); it != files.end(); ++it) Write_All(dir.filePath(it.key()), it.value());
    const Project_Paths paths = Project_Paths_In(dir.path());

    const QList<Check_Finding> findings = Check_Configuration(paths);
    QList<Check_Finding> errors;
    for (const Check_Finding &f : findings)
        if (f.Severity == Check_Severity::Error) errors << f;

    Configuration_Image image;
    try {
        image.Compile_Bin(paths);
        QVERIFY2(errors.isEmpty(), qPrintable(Brief(errors, false).join('\n')));
    } catch (const Xml_Error &e) {
        QVERIFY2(!errors.isEmpty(), qPrintable(e.Text()));
        // The build's own error is among the check's, at the same place.
        const auto *row_error = dynamic_cast<const Row_Error *>(&e);
        const bool found = std::any_of(errors.begin(), errors.end(), [&](const Check_Finding &f) {
            return f.File == e.File && f.Row == (row_error ? row_error->Row : 0) && e.Text().endsWith(f.Message);
        });
        QVERIFY2(found, qPrintable(e.Text() + "\n" + Brief(errors, false).join('\n')));
    }
    if (!error.isEmpty()) {
        QVERIFY(!errors.isEmpty());
        QCOMPARE(QStringLiteral("%1 %2:%3").arg(errors[0].Code, QFileInfo(errors[0].File).fileName()).arg(errors[0].Row), error);
    }
}

void Tst_Config_Check::an_error_stops_where_the_build_stops()
{
    // Row 1 is looked at; row 2 stops the build, so neither the transmit list (with its duplicate
    // frame), nor the missing mapping files the build never looked for, nor anything that needs
    // the whole configuration (frames without mappings) is judged.
    QTemporaryDir dir;
    Write_All(dir.filePath(rx), Rx(Rx_Row("1", "x") + "<row CobID=\"2\" Dimension=\"8\" Type=\"\"/>" + Rx_Row("3")));
    Write_All(dir.filePath(tx), Tx(Sent_Tx_Row("1") + Sent_Tx_Row("1")));
    const QList<Check_Finding> findings = Check_Configuration(Project_Paths_In(dir.path()));
    QCOMPARE(Brief(findings, true), (QStringList{"warning settings-not-stored ParGen.xml:0", "warning not-a-number CAN_Receive.xml:1",
                                                 "error missing-attribute CAN_Receive.xml:2"}));
    QCOMPARE(findings[2].Message, QString("the attribute \"TimeOut\" is missing"));
    QCOMPARE(findings[2].File, dir.filePath(rx));
}

void Tst_Config_Check::values_are_judged_as_the_device_gets_them_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("expected");  // errors and warnings, "severity code file:row"
    QTest::addColumn<QString>("message");       // a part of the first one's message

    // Frame types: the build compares the whole text, a to z as A to Z; anything else is 11-bit,
    // even where the editor would read 29-bit.
    QTest::newRow("type with a leading blank is 11-bit")
        << Files{{rx, Rx(Rx_Row("0x10", "8", "CAN 2.0A 11 bits", "5") + Rx_Row("16", "8", " CAN 2.0B 29 bits", "5"))}}
        << QStringList{"warning unknown-frame-type CAN_Receive.xml:2", "warning identifier-typed-decimal CAN_Receive.xml:2",
                       "warning duplicate-frame CAN_Receive.xml:2"}
        << "Type \" CAN 2.0B 29 bits\"";
    QTest::newRow("type in lower case") << Files{{tx, Tx(Sent_Tx_Row("0x1FFFFFFF", "8", "can 2.0b 29 bits"))}} << QStringList{}
                                        << QString();
    QTest::newRow("29-bit identifier in an 11-bit frame")
        << Files{{tx, Tx(Sent_Tx_Row("0x18FF0001", "8", "CAN 2.0A 11 bits"))}}
        << QStringList{"warning identifier-out-of-range CAN_Transmit.xml:1"} << "outside the range of an 11-bit frame";
    QTest::newRow("negative identifier") << Files{{tx, Tx(Sent_Tx_Row("-1", "8", "CAN 2.0B 29 bits"))}}
                                         << QStringList{"warning identifier-out-of-range CAN_Transmit.xml:1"} << "Cob-ID -1";
    QTest::newRow("identifier 181h is not a number")
        << Files{{rx, Rx(Rx_Row("181h"))}} << QStringList{"warning not-a-number CAN_Receive.xml:1"}
        << "CobID \"181h\" is not a number; the device gets identifier 0";
    QTest::newRow("dimension 300 reaches the device as 44")
        << Files{{rx, Rx(Rx_Row("1", "300"))}} << QStringList{"warning dimension-out-of-range CAN_Receive.xml:1"}
        << "the device gets 44";

    // Cob-IDs in plain digits are decimal to the device; CAN tools and can-send write the same
    // digits in hexadecimal. Only where the two readings name two identifiers of the format.
    QTest::newRow("181 is 0x0B5, not 0x181")
        << Files{{rx, Rx(Rx_Row("181"))}} << QStringList{"warning identifier-typed-decimal CAN_Receive.xml:1"}
        << "Cob-ID 181 is a decimal number to the device, which gets 0x0B5 11-bit; CAN tools read the same digits as "
           "0x181 11-bit. Write 0x0B5 11-bit or 0x181 11-bit";
    QTest::newRow("29-bit in plain digits")
        << Files{{tx, Tx(Sent_Tx_Row(" 18000001", "8", "CAN 2.0B 29 bits"))}}
        << QStringList{"warning identifier-typed-decimal CAN_Transmit.xml:1"} << "gets 0x0112A881 29-bit";
    QTest::newRow("010 is ten, 0x10 to a CAN tool")
        << Files{{rx, Rx(Rx_Row("010"))}} << QStringList{"warning identifier-typed-decimal CAN_Receive.xml:1"}
        << "0x010 11-bit";
    QTest::newRow("one digit reads alike") << Files{{rx, Rx(Rx_Row("9") + Rx_Row("0009"))}}
                                           << QStringList{"warning duplicate-frame CAN_Receive.xml:2"} << QString();
    QTest::newRow("2000 is no 11-bit identifier in hexadecimal") << Files{{rx, Rx(Rx_Row("2000"))}} << QStringList{}
                                                                 << QString();
    QTest::newRow("prefixed and hexadecimal digits")
        << Files{{rx, Rx(Rx_Row("0x181") + Rx_Row("$182") + Rx_Row("x183") + Rx_Row("0X184"))}} << QStringList{}
        << QString();
    QTest::newRow("a sign is no plain digit") << Files{{rx, Rx(Rx_Row("+181"))}} << QStringList{} << QString();

    // Without ParGen.xml the device gets its own settings, not those the dialog shows.
    QTest::newRow("settings not stored")
        << Files{{pg, QByteArray()}, {rx, Rx(Rx_Row("0x181"))}} << QStringList{"warning settings-not-stored ParGen.xml:0"}
        << "the device gets its own: CAN 125000 bit/s, IP address 192.168.2.205, subnet mask 255.255.255.0, Modbus TCP "
           "port 10001. To choose others, open Set Communication and confirm with OK";

    // Timers.
    QTest::newRow("no receive frame has a timeout") << Files{{rx, Rx(Rx_Row("1") + Rx_Row("2"))}} << QStringList{}
                                                    << QString();
    QTest::newRow("timeout not a number, another one set")
        << Files{{rx, Rx(Rx_Row("1", "8", "CAN 2.0A 11 bits", "abc") + Rx_Row("2", "8", "CAN 2.0A 11 bits", "$10"))}}
        << QStringList{"warning not-a-number CAN_Receive.xml:1", "warning receive-without-timeout CAN_Receive.xml:1"}
        << "TimeOut \"abc\"";
    QTest::newRow("send timer not read without on timer")
        << Files{{tx, Tx(Tx_Row("1", "8", "CAN 2.0A 11 bits", "y", "n", "abc"))}} << QStringList{} << QString();
    QTest::newRow("send timer empty") << Files{{tx, Tx(Tx_Row("1", "8", "CAN 2.0A 11 bits", "N", "Y", ""))}}
                                      << QStringList{"warning not-a-number CAN_Transmit.xml:1",
                                                     "warning send-timer-zero CAN_Transmit.xml:1"}
                                      << "SendTimer \"\"";
    QTest::newRow("on timer with a blank is not on timer")
        << Files{{tx, Tx(Tx_Row("1", "8", "CAN 2.0A 11 bits", "N", "Y ", "0"))}}
        << QStringList{"warning transmit-never-sent CAN_Transmit.xml:1"} << "never sent";

    // Mappings.
    const Files one_rx{{rx, Rx(Rx_Row("1", "4"))}};
    auto with = [](Files f, const QString &name, const QByteArray &bytes) {
        f[name] = bytes;
        return f;
    };
    QTest::newRow("register not a number is register 100")
        << with(one_rx, rxm, Rx_Maps(Map_Row("0", "x") + Map_Row("0", "100", "3", "4")))
        << QStringList{"warning not-a-number Define_CAN_Receive.xml:1", "warning duplicate-register Define_CAN_Receive.xml:2"}
        << "Mod_Index \"x\" is not a number; the device gets 100";
    QTest::newRow("byte -1 reaches the device as 65535")
        << with(one_rx, rxm, Rx_Maps(Map_Row("0", "1", "-1", "0")))
        << QStringList{"warning byte-beyond-dimension Define_CAN_Receive.xml:1"} << "Byte_HiPart 65535";
    QTest::newRow("empty byte parts are None")
        << with(one_rx, rxm, Rx_Maps(Map_Row("0", "1", "", "")))
        << QStringList{"warning not-a-number Define_CAN_Receive.xml:1", "warning not-a-number Define_CAN_Receive.xml:1",
                       "warning mapping-without-bytes Define_CAN_Receive.xml:1"}
        << "Byte_HiPart \"\"";
    QTest::newRow("frame number in hexadecimal") << with(one_rx, rxm, Rx_Maps(Map_Row("0x0", "1", "4", "3"))) << QStringList{}
                                                 << QString();
    QTest::newRow("frame number with a trailing blank")
        << with(one_rx, rxm, Rx_Maps(Map_Row("0 ", "1")))
        << QStringList{"warning unplaced-mapping Define_CAN_Receive.xml:1"} << "Num_Frame \"0 \" is not a number";
    QTest::newRow("registers of the two directions are apart")
        << Files{{rx, Rx(Rx_Row("1"))}, {rxm, Rx_Maps(Map_Row("0", "7"))}, {tx, Tx(Sent_Tx_Row("1"))}, {txm, Tx_Maps(Map_Row("0", "7"))}}
        << QStringList{} << QString();
    QTest::newRow("send on write makes a frame sent")
        << Files{{tx, Tx(Tx_Row("1", "8", "CAN 2.0A 11 bits", "N"))}, {txm, Tx_Maps(Map_Row("$0", "7", "1", "2", " Send_on_Write=\"1\""))}}
        << QStringList{} << QString();
    QTest::newRow("an unplaced send on write sends nothing")
        << Files{{tx, Tx(Tx_Row("1", "8", "CAN 2.0A 11 bits", "N"))}, {txm, Tx_Maps(Map_Row("1", "7", "1", "2", " Send_on_Write=\"1\""))}}
        << QStringList{"warning transmit-never-sent CAN_Transmit.xml:1", "warning unplaced-mapping Define_CAN_Transmit.xml:1"}
        << "never sent";
    // Transmit registers sharing a byte: a write of one changes the other's signal.
    const Files two_tx{{tx, Tx(Sent_Tx_Row("1") + Sent_Tx_Row("2"))}};
    QTest::newRow("two transmit registers write one byte")
        << with(two_tx, txm, Tx_Maps(Map_Row("0", "10", "2", "1") + Map_Row("0", "11", "0", "3") + Map_Row("0", "12", "3", "2")))
        << QStringList{"warning transmit-byte-overlap Define_CAN_Transmit.xml:3", "warning transmit-byte-overlap Define_CAN_Transmit.xml:3"}
        << "register 12 writes byte 3 of frame 0, as register 11 of row 2 does";
    QTest::newRow("the same bytes in two frames do not overlap")
        << with(two_tx, txm, Tx_Maps(Map_Row("0", "10", "2", "1") + Map_Row("1", "11", "2", "1"))) << QStringList{} << QString();
    QTest::newRow("receive registers may read a byte twice")
        << with(one_rx, rxm, Rx_Maps(Map_Row("0", "10", "2", "1") + Map_Row("0", "11", "1", "2"))) << QStringList{} << QString();
    QTest::newRow("one register naming a byte twice writes it once")
        << with(two_tx, txm, Tx_Maps(Map_Row("0", "10", "4", "4"))) << QStringList{} << QString();
    QTest::newRow("mapping file not XML without frames")
        << Files{{rxm, "not even XML"}} << QStringList{"warning unplaced-mapping Define_CAN_Receive.xml:0"}
        << "there are no receive frames";
}

void Tst_Config_Check::values_are_judged_as_the_device_gets_them()
{
    QFETCH(Files, files);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);
    QTemporaryDir dir;
    // Stored settings unless the row says otherwise (a null ParGen.xml: none at all).
    if (!files.contains(pg)) QFile::copy(QStringLiteral(QCX_TEST_DATA_DIR "/check/clean/ParGen.xml"), dir.filePath(pg));
    for (auto it = files.begin(); it != files.end(); ++it)
        if (!it.value().isNull()) Write_All(dir.filePath(it.key()), it.value());
    const QList<Check_Finding> findings = Check_Configuration(Project_Paths_In(dir.path()));
    QCOMPARE(Brief(findings, false), expected);
    if (!message.isEmpty()) {
        const auto first = std::find_if(findings.begin(), findings.end(),
                                        [](const Check_Finding &f) { return f.Severity != Check_Severity::Info; });
        QVERIFY2(first->Message.contains(message), qPrintable(first->Message));
    }
}

QTEST_APPLESS_MAIN(Tst_Config_Check)
#include "tst_core_config_check.moc"
