// The stand-in updater, run for real from a copy in a temporary folder: a job as the
// configurator writes it passes and is reported line by line; every kind of fault in the job
// or its images is rejected with its reason.
#include "File_Bytes.h"
#include "test_config.h"
#include "update/Update_Job.h"
#include "update/Update_Run.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A bank1 image: a header whose checksum holds, then frame records that the checksum does not
// cover (their bytes are not zero, so a sum over them would differ).
QByteArray Bank1_Image(int records)
{
    QByteArray image(2048, '\0');
    for (int i = 0; i < 0x7FC; ++i) image[i] = char((i * 7 + 3) & 0xFF);
    quint32 sum = 0;
    for (int i = 0; i < 0x7FC; ++i) sum += quint8(image[i]);
    for (int i = 0; i < 4; ++i) image[0x7FC + i] = char((sum >> (8 * i)) & 0xFF);
    image.append(QByteArray(32 * records, '\x5A'));
    return image;
}

enum Damage { None, No_Job, Truncated_Job, Bank2_Missing, Firmware_Missing, Bad_Checksum,
              Bank1_Partial_Record, Bank2_Partial_Record };

// Replaces the nth occurrence (from 0; -1 the last; All every one).
constexpr int All = 1000;
QByteArray Replace_Nth(QByteArray bytes, const QByteArray &from, const QByteArray &to, int nth)
{
    if (nth == All) return bytes.contains(from) ? bytes.replace(from, to) : QByteArray();
    qsizetype at = -1;
    if (nth < 0) {
        at = bytes.lastIndexOf(from);
    } else {
        for (int i = 0; i <= nth; ++i) {
            at = bytes.indexOf(from, at + 1);
            if (at < 0) break;
        }
    }
    if (at < 0) return {};
    return bytes.replace(at, from.size(), to);
}

}  // namespace

class Tst_Ethernet_Update : public QObject {
    Q_OBJECT
private slots:
    void job_in_the_folder_given();
    void init();
    void valid_job_is_reported();
    void empty_job_is_valid();
    void faulty_job_is_rejected_data();
    void faulty_job_is_rejected();

private:
    int Run_Updater(QString *log);
    QString Canonical(const QString &relative) const;

    std::unique_ptr<QTemporaryDir> dir_;
    Update_Folders folders_;
};

void Tst_Ethernet_Update::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    const QString updater = Updater_Path(dir_->path());
    QVERIFY2(QFile::copy(Updater_Path(QStringLiteral(QCX_WORKSPACE_DIR)), updater),
             "build the Ethernet_Update target first");
    QFile::setPermissions(updater, QFile::permissions(updater) | QFile::ExeOwner);

    folders_ = {Canonical(QStringLiteral("MASTER")), Canonical(QStringLiteral("PROJECTS/Line1"))};
    QVERIFY(QDir().mkpath(folders_.Dir_Master));
    QVERIFY(QDir().mkpath(folders_.Dir_Project + QStringLiteral("/bin")));
    Write_All(Firmware_Image_Path(folders_.Dir_Master), QByteArray(4096, '\x11'));
    Write_All(Bank1_Image_Path(folders_.Dir_Project), Bank1_Image(3));
    Write_All(Bank2_Image_Path(folders_.Dir_Project), QByteArray(16 * 5, '\x22'));
}

QString Tst_Ethernet_Update::Canonical(const QString &relative) const
{
    // The updater names its folder as the system resolves it.
    return QFileInfo(dir_->path()).canonicalFilePath() + QLatin1Char('/') + relative;
}

int Tst_Ethernet_Update::Run_Updater(QString *log)
{
    QProcess process;
    process.start(Updater_Path(dir_->path()), {});
    if (!process.waitForFinished(30000)) return -1;
    *log = QString::fromUtf8(Read_All(dir_->filePath(QStringLiteral("Ethernet_Update.log"))));
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void Tst_Ethernet_Update::job_in_the_folder_given()
{
    // An installed updater lives apart from the workspace: it takes the job from the folder it
    // is given and writes its report there, not beside itself.
    const QString workspace = Canonical(QStringLiteral("my workspace"));
    QVERIFY(QDir().mkpath(workspace));
    Write_Update_Job(Update_Job_Path(workspace), QStringLiteral("127.0.0.1"), {true, true, true, false},
                     folders_);
    QProcess process;
    process.start(Updater_Path(dir_->path()), {workspace});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QString log = QString::fromUtf8(Read_All(Update_Report_Path(workspace)));
    QVERIFY2(log.contains(QStringLiteral("Job: ") + Update_Job_Path(workspace)), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Verdict: valid job with 3 operation(s)")), qPrintable(log));
    QVERIFY(!QFileInfo::exists(dir_->filePath(QStringLiteral("Ethernet_Update.log"))));
}

void Tst_Ethernet_Update::valid_job_is_reported()
{
    Write_Update_Job(Update_Job_Path(dir_->path()), QStringLiteral("127.0.0.1"),
                     {true, true, true, false}, folders_);
    QString log;
    QCOMPARE(Run_Updater(&log), 0);
    const QString expected =
        QStringLiteral("Ethernet_Update (stand-in): nothing is sent to the device.\n"
                       "Job: %1\n"
                       "Device: 127.0.0.1\n"
                       "Operation 1: file %2, start address 0x8000, bank 1, read-back yes, "
                       "go-to-application no\n"
                       "Operation 2: file %3, start address 0x68000, bank 2, read-back no, "
                       "go-to-application no\n"
                       "Operation 3: file %4, start address 0x58000, bank 2, read-back no, "
                       "go-to-application yes\n"
                       "Verdict: valid job with 3 operation(s)\n")
            .arg(Canonical(QStringLiteral("Ethernet_Update.xml")),
                 Firmware_Image_Path(folders_.Dir_Master), Bank1_Image_Path(folders_.Dir_Project),
                 Bank2_Image_Path(folders_.Dir_Project));
    QCOMPARE(log, expected);
}

void Tst_Ethernet_Update::empty_job_is_valid()
{
    // Nothing to write is a job all the same; no image is looked at.
    QVERIFY(QFile::remove(Firmware_Image_Path(folders_.Dir_Master)));
    Write_Update_Job(Update_Job_Path(dir_->path()), QStringLiteral("127.0.0.1"),
                     {false, true, false, true}, folders_);
    QString log;
    QCOMPARE(Run_Updater(&log), 0);
    QVERIFY(log.endsWith(QStringLiteral("Device: 127.0.0.1\nVerdict: valid job with 0 operation(s)\n")));
}

void Tst_Ethernet_Update::faulty_job_is_rejected_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<int>("nth");
    QTest::addColumn<int>("damage");
    QTest::addColumn<QString>("reason");

    const QString ip = QStringLiteral("127.0.0.1");
    QTest::newRow("no job") << ip << QByteArray() << QByteArray() << 0 << int(No_Job)
                            << "Ethernet_Update.xml is missing";
    QTest::newRow("malformed") << ip << QByteArray() << QByteArray() << 0 << int(Truncated_Job)
                               << "line 1";
    QTest::newRow("comment before the root")
        << ip << QByteArray("<Ethernet_Update>") << QByteArray("<!--x--><Ethernet_Update>") << 0
        << int(None) << "must begin with its root element";
    QTest::newRow("wrong root") << ip << QByteArray("Ethernet_Update>")
                                << QByteArray("Ethernet_Updater>") << All << int(None)
                                << "root element";
    QTest::newRow("swapped elements")
        << ip << QByteArray("<Boot_Port>2008</Boot_Port><Boot_Port_Sec>2007</Boot_Port_Sec>")
        << QByteArray("<Boot_Port_Sec>2007</Boot_Port_Sec><Boot_Port>2008</Boot_Port>") << 0
        << int(None) << "expected element Boot_Port at position 5, found Boot_Port_Sec";
    QTest::newRow("extra element") << ip << QByteArray("</Operations>")
                                   << QByteArray("</Operations><Extra/>") << 0 << int(None)
                                   << "unexpected element Extra after Operations";
    QTest::newRow("wrong version") << ip << QByteArray("<Version>1000<")
                                   << QByteArray("<Version>1001<") << 0 << int(None)
                                   << "Version is \"1001\", expected \"1000\"";
    QTest::newRow("wrong protection") << ip << QByteArray("0xA2") << QByteArray("0xA3") << 0
                                      << int(None) << "Protection is \"0xA3\"";
    QTest::newRow("two protections")
        << ip << QByteArray("</Protection>") << QByteArray("</Protection><Protection>0xA2</Protection>")
        << 0 << int(None) << "unexpected element Protection";
    QTest::newRow("not an address") << QStringLiteral("127.0.0. 1") << QByteArray() << QByteArray()
                                    << 0 << int(None) << "\"127.0.0. 1\" is not an IPv4 address";
    QTest::newRow("four operations")
        << ip << QByteArray("</Operations>")
        << QByteArray("<Operation/></Operations>") << 0 << int(None) << "at most 3";
    QTest::newRow("child missing")
        << ip << QByteArray("<Ope_Memory_Type>0</Ope_Memory_Type>") << QByteArray() << 1 << int(None)
        << "Operation 2: expected element Ope_Memory_Type at position 10, found Ope_Bank_Type";
    QTest::newRow("wrong fixed value in an operation")
        << ip << QByteArray("<Ope_Port>2008<") << QByteArray("<Ope_Port>2009<") << 2 << int(None)
        << "Operation 3: Ope_Port is \"2009\", expected \"2008\"";
    QTest::newRow("unknown start address")
        << ip << QByteArray("0x58000") << QByteArray("0x58001") << 0 << int(None)
        << "Ope_Start_Address \"0x58001\"";
    QTest::newRow("banks in the wrong order")
        << ip << QByteArray("bank1.bin</Ope_FileName><Ope_Start_Address>0x68000")
        << QByteArray("bank2.bin</Ope_FileName><Ope_Start_Address>0x58000") << 0 << int(None)
        << "not firmware, then bank 1 and bank 2";
    QTest::newRow("image at the wrong place")
        << ip << QByteArray("bank2.bin<") << QByteArray("bank1.bin<") << 0 << int(None)
        << "must be bank2.bin";
    QTest::newRow("device left in its boot loader")
        << ip << QByteArray("<Ope_GoToApp_After>1<") << QByteArray("<Ope_GoToApp_After>0<") << 0
        << int(None) << "Operation 3: Ope_GoToApp_After must be 1";
    QTest::newRow("banks differ in read-back")
        << ip << QByteArray("<Ope_Read_Back>1<") << QByteArray("<Ope_Read_Back>0<") << -1
        << int(None) << "differ in Ope_Read_Back";
    QTest::newRow("flag not 0 or 1")
        << ip << QByteArray("<Ope_Read_Back>1<") << QByteArray("<Ope_Read_Back>yes<") << 0
        << int(None) << "Ope_Read_Back is \"yes\"";
    QTest::newRow("bank2 missing") << ip << QByteArray() << QByteArray() << 0 << int(Bank2_Missing)
                                   << "bank2.bin is missing";
    QTest::newRow("firmware missing") << ip << QByteArray() << QByteArray() << 0
                                      << int(Firmware_Missing) << "QFW3310.sim is missing";
    QTest::newRow("bank1 checksum") << ip << QByteArray() << QByteArray() << 0 << int(Bad_Checksum)
                                    << "header checksum is";
    QTest::newRow("bank1 partial record") << ip << QByteArray() << QByteArray() << 0
                                          << int(Bank1_Partial_Record) << "not a header with whole frame records";
    QTest::newRow("bank2 partial record") << ip << QByteArray() << QByteArray() << 0
                                          << int(Bank2_Partial_Record) << "not whole mapping records";
}

void Tst_Ethernet_Update::faulty_job_is_rejected()
{
    QFETCH(QString, ip);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(int, nth);
    QFETCH(int, damage);
    QFETCH(QString, reason);

    const QString job_path = Update_Job_Path(dir_->path());
    QByteArray job = Build_Update_Job(ip, {true, true, true, true}, folders_).To_Bytes();
    if (!from.isEmpty()) {
        job = Replace_Nth(job, from, to, nth);
        QVERIFY2(!job.isEmpty(), "the fault could not be placed");
    }
    const QString bank1 = Bank1_Image_Path(folders_.Dir_Project);
    const QString bank2 = Bank2_Image_Path(folders_.Dir_Project);
    switch (Damage(damage)) {
    case None: break;
    case No_Job: break;
    case Truncated_Job: job.chop(20); break;
    case Bank2_Missing: QVERIFY(QFile::remove(bank2)); break;
    case Firmware_Missing: QVERIFY(QFile::remove(Firmware_Image_Path(folders_.Dir_Master))); break;
    case Bad_Checksum: {
        QByteArray image = Bank1_Image(3);
        image[0x100] = char(image[0x100] + 1);
        Write_All(bank1, image);
        break;
    }
    case Bank1_Partial_Record: Write_All(bank1, Bank1_Image(3) + QByteArray(5, '\0')); break;
    case Bank2_Partial_Record: Write_All(bank2, QByteArray(17, '\0')); break;
    }
    if (damage != No_Job) Write_All(job_path, job);

    QString log;
    QCOMPARE(Run_Updater(&log), 1);
    const QString verdict = log.section(QLatin1Char('\n'), -2, -2);
    QVERIFY2(verdict.startsWith(QStringLiteral("Verdict: rejected: ")), qPrintable(log));
    QVERIFY2(verdict.contains(reason), qPrintable(verdict));
}

QTEST_GUILESS_MAIN(Tst_Ethernet_Update)
#include "tst_core_ethernet_update.moc"
