// qcx3310-cli run for real: compile gives the images of "Update Device", inspect lists them,
// and every error leaves the bank files as they were, with a message and the right exit status.
#include "File_Bytes.h"
#include "config/Image_Builder.h"
#include "Run_Program.h"
#include "test_config.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Cli : public QObject {
    Q_OBJECT
private slots:
    void compile_then_inspect();
    void declarations_before_the_roots_compile_the_same();
    void inspect_json();
    void errors_change_no_bank_file_data();
    void errors_change_no_bank_file();
    void inspect_reports_damaged_images_data();
    void inspect_reports_damaged_images();
    void usage_errors_data();
    void usage_errors();
};

namespace {

using Run = Program_Run;
Run Cli(const QStringList &args) { return Run_Cli(args); }

QString Fixture_Copy(const QTemporaryDir &dir, const QString &name = QStringLiteral("example"))
{
    const QString to = dir.filePath(name);
    QDir().mkpath(to);
    const QDir from(QStringLiteral(QCX_TEST_DATA_DIR "/images/") + name);
    for (const QString &f : from.entryList(QDir::Files)) QFile::copy(from.filePath(f), to + '/' + f);
    return to;
}

}  // namespace

void Tst_Cli::compile_then_inspect()
{
    QTemporaryDir dir;
    const QString conf = Fixture_Copy(dir);
    const Run r = Cli({"compile", conf});
    QCOMPARE(r.Exit, 0);
    QCOMPARE(r.Err, QString());
    QVERIFY2(r.Out.contains("bank1.bin: 2112 bytes, 1 receive and 1 transmit frame records"), qPrintable(r.Out));

    // Byte for byte what the configurator builds from the same files.
    Configuration_Image image;
    image.Compile_Bin(Project_Paths_In(conf));
    QCOMPARE(Read_All(conf + "/bin/bank1.bin"), image.Bank1_Image());
    QCOMPARE(Read_All(conf + "/bin/bank2.bin"), image.Bank2_Image());
    QCOMPARE(Read_All(conf + "/bin/bank1.bin").mid(0x7FC, 4), QByteArray::fromHex("FC100000"));

    for (const QStringList &args : {QStringList{"inspect", conf},
                                    QStringList{"inspect", "--", conf + "/bin/bank1.bin", conf + "/bin/bank2.bin"}}) {
        const Run listing = Cli(args);
        QCOMPARE(listing.Exit, 0);
        for (const char *line : {"  TCP_IP         192.168.0.10\n", "  TCP_Port       502\n",
                                 "  Addr_Tx_Frame  0x00068820\n", "  Checksum       4348 (0x000010FC), holds\n",
                                 "  transmit   0  Ident 0x98FF0001 (29-bit 0x18FF0001)  Dimension 4  Time_Out 0  "
                                 "Send_Timer 500  Flags 0x03 (transmit,data-change)  Data_Offset 0\n",
                                 "  receive     0  Mod_Index 10  Num_Frame 0  Byte_HiPart 1  Byte_LoPart 2  Flags 0x00\n",
                                 "problems: none\n"})
            QVERIFY2(listing.Out.contains(QLatin1String(line)), qPrintable(listing.Out));
    }
}

void Tst_Cli::declarations_before_the_roots_compile_the_same()
{
    // The example's five files, each with a declaration, a comment, a processing instruction or
    // a byte-order mark and blank lines in front of its root.
    QTemporaryDir dir;
    const QString plain = Fixture_Copy(dir);
    const QString declared = Fixture_Copy(dir, "declared");
    QCOMPARE(QDir(declared).entryList(QDir::Files).size(), 5);
    const Run r = Cli({"compile", declared});
    QCOMPARE(r.Exit, 0);
    QVERIFY2(r.Out.contains("1 receive and 1 transmit frame records"), qPrintable(r.Out));
    QVERIFY2(r.Out.contains("1 receive and 1 transmit mapping records"), qPrintable(r.Out));
    QCOMPARE(Cli({"compile", plain}).Exit, 0);
    QCOMPARE(Read_All(declared + "/bin/bank1.bin"), Read_All(plain + "/bin/bank1.bin"));
    QCOMPARE(Read_All(declared + "/bin/bank2.bin"), Read_All(plain + "/bin/bank2.bin"));
}

void Tst_Cli::inspect_json()
{
    QTemporaryDir dir;
    const QString conf = Fixture_Copy(dir);
    QCOMPARE(Cli({"compile", conf}).Exit, 0);
    const Run r = Cli({"inspect", "--json", conf});
    QCOMPARE(r.Exit, 0);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.Out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    const QJsonObject bank1 = o["bank1"].toObject();
    QCOMPARE(bank1["size"].toInt(), 2112);
    QCOMPARE(bank1["header"]["TCP_Mask"].toString(), QString("255.255.255.0"));
    QCOMPARE(bank1["header"]["Addr_Tx_Map"].toInteger(), 0x58010);
    QCOMPARE(bank1["checksum"]["holds"].toBool(), true);
    const QJsonObject tx = bank1["frames"].toArray()[1].toObject();
    QCOMPARE(tx["direction"].toString(), QString("transmit"));
    QCOMPARE(tx["Ident"].toInteger(), 0x98FF0001ll);
    QCOMPARE(tx["Send_Timer"].toInt(), 500);
    const QJsonObject map = o["bank2"]["mappings"].toArray()[1].toObject();
    QCOMPARE(map["Mod_Index"].toInt(), 20);
    QCOMPARE(map["Send_on_Write"].toBool(), true);
    QCOMPARE(o["problems"].toArray().size(), 0);
}

void Tst_Cli::errors_change_no_bank_file_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");  // after "qcx3310-cli: <folder>/"

    QTest::newRow("malformed") << "CAN_Transmit.xml" << QByteArray("<TransmitCAN>\n<row CobID=\"1\"\n")
                               << "CAN_Transmit.xml: line 3, column 1: Premature end of document.";
    // Not well-formed: refused like a malformed file, never compiled into a wrong image.
    QTest::newRow("undeclared entity")
        << "CAN_Receive.xml"
        << QByteArray("<ReceiveCAN><row CobID=\"&id;\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" "
                      "Mnemonic=\"\"/></ReceiveCAN>")
        << "CAN_Receive.xml: line 1, column 28: Entity 'id' not declared.";
    QTest::newRow("attribute twice")
        << "CAN_Receive.xml"
        << QByteArray("<ReceiveCAN>\n<row CobID=\"0x181\" CobID=\"0x7FF\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" "
                      "TimeOut=\"0\" Mnemonic=\"\"/></ReceiveCAN>")
        << "CAN_Receive.xml: line 2, column 96: Attribute 'CobID' redefined.";
    QTest::newRow("second root") << "ParGen.xml" << QByteArray("<Par_Gen/>\r\n<Par_Gen/>")
                                 << "ParGen.xml: line 2, column 10: Extra content at end of document.";
    QTest::newRow("control character") << "CAN_Transmit.xml" << QByteArray("<TransmitCAN>\x07</TransmitCAN>")
                                       << "CAN_Transmit.xml: line 1, column 14: character U+0007 is not allowed in XML";
    QTest::newRow("missing attribute")
        << "Define_CAN_Receive.xml" << QByteArray("<DefineRecJ1939><row Num_Frame=\"0\" Byte_HiPart=\"1\"/></DefineRecJ1939>")
        << "Define_CAN_Receive.xml: row 1: the attribute \"Mod_Index\" is missing";
    QByteArray rows;
    for (int i = 0; i < 512; ++i) rows += "<row CobID=\"1\" Dimension=\"8\" Type=\"\" TimeOut=\"0\"/>";
    QTest::newRow("too many frames") << "CAN_Receive.xml" << "<ReceiveCAN>" + rows + "</ReceiveCAN>"
                                     << "CAN_Transmit.xml: row 1: more than 512 frame records";
    QTest::newRow("bank2 cannot be written") << "bin/bank2.bin" << QByteArray() << "bin/bank2.bin: ";
}

void Tst_Cli::errors_change_no_bank_file()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString conf = Fixture_Copy(dir);
    QDir().mkpath(conf + "/bin");
    Write_All(conf + "/bin/bank1.bin", "earlier bank1");
    if (file == "bin/bank2.bin") {
        QDir().mkpath(conf + '/' + file);  // a folder where the image belongs
    } else {
        Write_All(conf + "/bin/bank2.bin", "earlier bank2");
        Write_All(conf + '/' + file, content);
    }
    const Run r = Cli({"compile", conf});
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.startsWith("qcx3310-cli: " + conf + '/' + message), qPrintable(r.Err));
    QCOMPARE(r.Out, QString());
    QCOMPARE(Read_All(conf + "/bin/bank1.bin"), QByteArray("earlier bank1"));
    if (file != "bin/bank2.bin") QCOMPARE(Read_All(conf + "/bin/bank2.bin"), QByteArray("earlier bank2"));
    QCOMPARE(QDir(conf + "/bin").entryList(QDir::Files | QDir::Hidden).size(), file == "bin/bank2.bin" ? 1 : 2);
}

void Tst_Cli::inspect_reports_damaged_images_data()
{
    QTest::addColumn<int>("bank");
    QTest::addColumn<int>("offset");  // the byte to change; -1: cut the file to 'value' bytes
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("problem");

    QTest::newRow("header byte") << 1 << 0x028 << 10 << "checksum: 4348 is stored, the header's bytes sum to 4166";
    QTest::newRow("reserved byte") << 1 << 0x100 << 1 << "header: 1 reserved byte(s) are not zero, the first at 0x100";
    QTest::newRow("frame record cut") << 1 << -1 << 2100 << "bank1: the 52 bytes after the header are not a whole number";
    QTest::newRow("mapping flags") << 2 << 8 << 1 << "receive mapping 0: Flags 0x01 are not those of its direction";
    QTest::newRow("mapping frame") << 2 << 16 + 2 << 1 << "transmit mapping 0: Num_Frame 1 names no frame of its direction";
    QTest::newRow("header cut") << 1 << -1 << 2047 << "";
}

void Tst_Cli::inspect_reports_damaged_images()
{
    QFETCH(int, bank);
    QFETCH(int, offset);
    QFETCH(int, value);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    const QString conf = Fixture_Copy(dir);
    QCOMPARE(Cli({"compile", conf}).Exit, 0);
    const QString path = conf + QString("/bin/bank%1.bin").arg(bank);
    QByteArray bytes = Read_All(path);
    if (offset < 0) bytes.truncate(value);
    else bytes[offset] = char(value);
    Write_All(path, bytes);

    const Run r = Cli({"inspect", conf});
    QCOMPARE(r.Exit, 1);
    if (problem.isEmpty()) {
        QVERIFY2(r.Err.contains("bank1.bin: bank1 holds 2047 bytes, too few for its 2048-byte header"), qPrintable(r.Err));
    } else {
        QVERIFY2(r.Out.contains("  " + problem), qPrintable(r.Out));
        QVERIFY2(r.Err.contains("do not hold together"), qPrintable(r.Err));
    }
}

void Tst_Cli::usage_errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"build", "x"};
    QTest::newRow("compile without folder") << QStringList{"compile"};
    QTest::newRow("compile two folders") << QStringList{"compile", "a", "b"};
    QTest::newRow("compile --json") << QStringList{"compile", "--json", "a"};
    QTest::newRow("inspect three files") << QStringList{"inspect", "a", "b", "c"};
    QTest::newRow("check without folder") << QStringList{"check"};
    QTest::newRow("check --json without folder") << QStringList{"check", "--json"};
    QTest::newRow("check two folders") << QStringList{"check", "a", "b"};
    QTest::newRow("unknown option") << QStringList{"inspect", "--xml", "a"};
}

void Tst_Cli::usage_errors()
{
    QFETCH(QStringList, args);
    const Run r = Cli(args);
    QCOMPARE(r.Exit, 2);
    QVERIFY2(r.Err.contains("Usage:\n  qcx3310-cli compile CONFIG_DIR"), qPrintable(r.Err));
    QCOMPARE(r.Out, QString());

    const Run help = Cli(args + QStringList{"--help"});
    QCOMPARE(help.Exit, 0);
    QVERIFY(help.Out.contains("Exit status:"));
}

QTEST_APPLESS_MAIN(Tst_Cli)
#include "tst_core_cli.moc"
