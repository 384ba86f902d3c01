// The configuration as loaded once and read by each part: for every fixture folder and for
// configurations made at random, the device images (or the error), the check's findings and the
// editors' views are exactly those recorded in the oracle file. The oracle was recorded from the
// readers that each went to the files on their own before the configuration had one reading,
// so this holds the one reading to what every part used to see.
#include "File_Bytes.h"
#include "Generated_Configurations.h"
#include "config/Config_Check.h"
#include "config/Configuration.h"
#include "config/Device_Records.h"
#include "config/Image_Builder.h"
#include "config/Project_Files.h"
#include "test_config.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Configuration : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void every_part_reads_as_before_data();
    void every_part_reads_as_before();
    void a_faulty_file_costs_only_the_parts_that_need_it();
    void frames_own_their_mappings();

private:
    QTemporaryDir tmp_;
};

namespace {

constexpr int Generated = 300;
const QString Oracle = QStringLiteral(QCX_TEST_DATA_DIR "/configuration/oracle.txt");
const QStringList Five{"ParGen.xml", "CAN_Receive.xml", "CAN_Transmit.xml", "Define_CAN_Receive.xml",
                       "Define_CAN_Transmit.xml"};

QString Digest(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16));
}

// Paths in errors and findings name the folder, which differs from run to run: they are kept
// relative to it.
QString Local(QString text, const QString &dir) { return text.replace(dir, QStringLiteral("<dir>")); }

QString Build_Outcome(const Project_Paths &p, const QString &dir)
{
    try {
        Configuration_Image image;
        image.Encode(Read_Device_Configuration(Load_Configuration(p)));
        return QStringLiteral("images %1 %2").arg(Digest(image.Bank1_Image()), Digest(image.Bank2_Image()));
    } catch (const Xml_Error &e) {
        return QStringLiteral("error ") + Local(e.Text(), dir);
    }
}

QString Check_Outcome(const Project_Paths &p, const QString &dir)
{
    QString text;
    for (const Check_Finding &f : Check_Configuration(p))
        text += QStringLiteral("%1|%2|%3|%4|%5\n").arg(Severity_Name(f.Severity), Local(f.File, dir)).arg(f.Row).arg(f.Code, Local(f.Message, dir));
    return QStringLiteral("findings ") + Digest(text.toUtf8());
}

QString Editor_Outcome(const Project_Paths &p, const QString &dir, Direction d)
{
    const Configuration config = Load_Configuration(p);
    QString frames;
    try {
        for (const Frame_Row &r : Editor_Frame_Rows(config, d))
            frames += QStringList{r.CobID, r.Dimension, r.Type, r.TimeOut, r.DataChange, r.OnTimer, r.SendTimer,
                                  r.Mnemonic, QString::number(r.Stored_Index)}.join('|') + '\n';
        frames = Digest(frames.toUtf8());
    } catch (const Xml_Error &e) {
        frames = QStringLiteral("error ") + Local(e.Text(), dir);
    }
    QString maps;
    try {
        int unplaced = 0;
        for (const Editor_Frame &f : Editor_Mapping_Frames(config, d, &unplaced)) {
            maps += f.CobID + '|' + QString::number(f.Num_Byte);
            for (const Editor_Register &r : f.Registers)
                maps += QStringLiteral("|%1,%2,%3,%4").arg(r.Ind_Mod).arg(r.HiPart).arg(r.LoPart).arg(r.Write);
            maps += '\n';
        }
        maps = Digest(maps.toUtf8()) + QStringLiteral(" unplaced %1").arg(unplaced);
    } catch (const Xml_Error &e) {
        maps = QStringLiteral("error ") + Local(e.Text(), dir);
    }
    return frames + QStringLiteral(" / ") + maps;
}

QStringList Outcomes(const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    return {Build_Outcome(p, dir), Check_Outcome(p, dir), Editor_Outcome(p, dir, Direction::Receive),
            Editor_Outcome(p, dir, Direction::Transmit)};
}

QMap<QString, QStringList> Read_Oracle()
{
    QMap<QString, QStringList> oracle;
    const QList<QByteArray> lines = Read_All(Oracle).split('\n');
    for (const QByteArray &line : lines) {
        const QStringList fields = QString::fromUtf8(line).split('\t');
        if (fields.size() == 5) oracle.insert(fields[0], fields.mid(1));
    }
    return oracle;
}

}  // namespace

void Tst_Configuration::initTestCase()
{
    QVERIFY(tmp_.isValid());
    for (int seed = 1; seed <= Generated; ++seed)
        Configuration_Generator(uint32_t(seed)).Write(tmp_.filePath(QStringLiteral("generated/%1").arg(seed)));
}

void Tst_Configuration::every_part_reads_as_before_data()
{
    QTest::addColumn<QString>("dir");
    // Every fixture folder that holds a file of a configuration.
    QDirIterator it(QStringLiteral(QCX_TEST_DATA_DIR), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList dirs;
    while (it.hasNext()) {
        const QString dir = it.next();
        for (const QString &name : Five)
            if (QFileInfo::exists(dir + '/' + name)) {
                dirs << dir;
                break;
            }
    }
    dirs.sort();
    for (const QString &dir : dirs)
        QTest::newRow(qPrintable(QDir(QStringLiteral(QCX_TEST_DATA_DIR)).relativeFilePath(dir))) << dir;
    for (int seed = 1; seed <= Generated; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("generated/%1").arg(seed))) << tmp_.filePath(QStringLiteral("generated/%1").arg(seed));
}

void Tst_Configuration::every_part_reads_as_before()
{
    QFETCH(QString, dir);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QStringList got = Outcomes(dir);
    // QCX_RECORD_ORACLE=1 records what every part reads now, for a change that means to read
    // something else: the new oracle then shows in review exactly which outcomes moved.
    if (qEnvironmentVariableIsSet("QCX_RECORD_ORACLE")) {
        QFile out(Oracle);
        QVERIFY(out.open(QIODevice::Append));
        out.write((name + '\t' + got.join('\t') + '\n').toUtf8());
        return;
    }
    static const QMap<QString, QStringList> oracle = Read_Oracle();
    QVERIFY2(oracle.contains(name), qPrintable(name));
    const QStringList &want = oracle[name];
    QCOMPARE(got[0], want[0]);  // images or error
    QCOMPARE(got[1], want[1]);  // findings
    QCOMPARE(got[2], want[2]);  // editors, receive
    QCOMPARE(got[3], want[3]);  // editors, transmit

    // Update Device's road: the records the check read, when whole, are the very images; when
    // they are not, the check has an error and the build refuses too.
    const Checked_Configuration checked = Check_And_Read(Load_Configuration(Project_Paths_In(dir)));
    if (checked.Complete) {
        Configuration_Image image;
        image.Encode(checked.Device);
        QCOMPARE(QStringLiteral("images %1 %2").arg(Digest(image.Bank1_Image()), Digest(image.Bank2_Image())), got[0]);
    } else {
        QVERIFY2(got[0].startsWith(QStringLiteral("error ")), qPrintable(got[0]));
        QVERIFY(Summarize(checked.Findings).Errors > 0);
    }
}

void Tst_Configuration::a_faulty_file_costs_only_the_parts_that_need_it()
{
    const QString dir = tmp_.filePath(QStringLiteral("faulty"));
    QDir().mkpath(dir);
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.ParGen, "<Par_Gen><CAN_BAUDRATE>6</CAN_BAUDRATE>");  // not closed
    Write_All(p.CAN_Receive, "<ReceiveCAN><row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" "
                             "TimeOut=\"0\" Mnemonic=\"\"/></ReceiveCAN>");
    Write_All(p.Define_CAN_Receive, "<DefineRecJ1939><row Num_Frame=\"0\"");
    const Configuration config = Load_Configuration(p);
    QVERIFY(config.Settings_File.Failed());
    QVERIFY(config.Receive.Map_File.Failed());
    QVERIFY(config.Transmit.Frame_File.Missing());
    // The transmit mapping file is not looked for: its direction has no frames.
    QCOMPARE(config.Transmit.Map_File.Status, Stored_File::State::Not_Read);

    // The frame list editor still gets its rows; the device's view stops at the settings, the
    // mapping editor at its file.
    QCOMPARE(Editor_Frame_Rows(config, Direction::Receive).size(), 1);
    QVERIFY_THROWS_EXCEPTION(Xml_Error, Read_Device_Configuration(config));
    Device_Configuration device;
    QVERIFY_THROWS_EXCEPTION(Xml_Error, Read_Device_Lists(config, device));
    QCOMPARE(device.Reached, Device_Step::Receive_Mappings);
    QCOMPARE(device.Frames[0].size(), size_t(1));
    try {
        Editor_Mapping_Frames(config, Direction::Receive);
        QFAIL("the mapping file is not well-formed");
    } catch (const Xml_Error &e) {
        QCOMPARE(e.File, p.Define_CAN_Receive);
    }
}

void Tst_Configuration::frames_own_their_mappings()
{
    const QString dir = tmp_.filePath(QStringLiteral("owned"));
    QDir().mkpath(dir);
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Transmit, "<TransmitCAN><row CobID=\"1\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" DataChange=\"N\" "
                              "OnTimer=\"N\" SendTimer=\"\" Mnemonic=\"a\"/><row CobID=\"2\" Dimension=\"2\" "
                              "Type=\"CAN 2.0A 11 bits\" DataChange=\"N\" OnTimer=\"N\" SendTimer=\"\" Mnemonic=\"b\"/></TransmitCAN>");
    Write_All(p.Define_CAN_Transmit,
              "<DefineTransJ1939><row Num_Frame=\"1\" Mod_Index=\"20\" Byte_HiPart=\"1\" Byte_LoPart=\"2\" Send_on_Write=\"1\"/>"
              "<row Num_Frame=\"7\" Mod_Index=\"21\" Byte_HiPart=\"1\" Byte_LoPart=\"0\" Send_on_Write=\"0\"/>"
              "<row Num_Frame=\"0\" Mod_Index=\"22\" Byte_HiPart=\"3\" Byte_LoPart=\"4\"/></DefineTransJ1939>");
    const Configuration config = Load_Configuration(p);
    QCOMPARE(config.Transmit.Frames[0].Registers.size(), 1);
    QCOMPARE(config.Transmit.Frames[1].Registers.size(), 1);
    QCOMPARE(config.Transmit.Frames[1].Registers[0].Mod_Index, QStringLiteral("20"));
    QCOMPARE(config.Transmit.Unplaced.size(), 1);
    QCOMPARE(config.Transmit.Unplaced[0].Num_Frame, QStringLiteral("7"));
    // The device keeps the mapping file's order, not the frames'.
    const Device_Configuration device = Read_Device_Configuration(config);
    const auto &maps = device.Mappings_Of(Direction::Transmit);
    QCOMPARE(maps.size(), size_t(3));
    QCOMPARE(maps[0].Entry.Mod_Index, 20);
    QVERIFY(!maps[1].Placed);
    QCOMPARE(maps[2].Entry.Mod_Index, 22);
    QCOMPARE(maps[2].Entry.Flags, Map_Flag_Transmit);  // no Send_on_Write: not sent on a write
    QCOMPARE(device.Param.Num_Tx_Map, 2u);
}

QTEST_GUILESS_MAIN(Tst_Configuration)
#include "tst_core_configuration.moc"
