// The update job file: its exact bytes for every choice of options, a fresh file at each
// write, and a write that cannot happen.
#include "File_Bytes.h"
#include "Job_Fixture.h"
#include "update/Update_Job.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Workspace = QStringLiteral("/ws");
const Update_Folders Folders{Workspace + "/MASTER", Workspace + "/PROJECTS/Line 1"};

QByteArray Fixture(const QString &name) { return Job_Fixture(name, Workspace); }

}  // namespace

class Tst_Update_Job : public QObject {
    Q_OBJECT
private slots:
    void exact_bytes_data();
    void exact_bytes();
    void address_is_kept_as_typed();
    void a_second_write_is_fresh();
    void unwritable_job_raises_with_file_and_reason();
};

void Tst_Update_Job::exact_bytes_data()
{
    QTest::addColumn<bool>("firmware");
    QTest::addColumn<bool>("read_firm");
    QTest::addColumn<bool>("conf");
    QTest::addColumn<bool>("read_conf");
    QTest::addColumn<QString>("fixture");

    QTest::newRow("firmware only") << true << false << false << false << "job_firmware.xml";
    // Read-back of the configuration has no effect without its operations.
    QTest::newRow("firmware only, read back")
        << true << true << false << true << "job_firmware_readback.xml";
    // ...nor read-back of the firmware without its operation.
    QTest::newRow("configuration only")
        << false << true << true << false << "job_configuration.xml";
    QTest::newRow("configuration only, read back")
        << false << false << true << true << "job_configuration_readback.xml";
    QTest::newRow("both, no read-back") << true << false << true << false << "job_all.xml";
    QTest::newRow("both, both read back") << true << true << true << true << "job_all_readback.xml";
    QTest::newRow("both, configuration read back")
        << true << false << true << true << "job_all_configuration_readback.xml";
    QTest::newRow("nothing to write") << false << true << false << true << "job_none.xml";
}

void Tst_Update_Job::exact_bytes()
{
    QFETCH(bool, firmware);
    QFETCH(bool, read_firm);
    QFETCH(bool, conf);
    QFETCH(bool, read_conf);
    QFETCH(QString, fixture);

    QTemporaryDir dir;
    const QString path = Update_Job_Path(dir.path());
    Write_Update_Job(path, QStringLiteral("127.0.0.1"), {firmware, read_firm, conf, read_conf},
                     Folders);
    const QByteArray expected = Fixture(fixture);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(Read_All(path), expected);
}

void Tst_Update_Job::address_is_kept_as_typed()
{
    const QByteArray bytes =
        Build_Update_Job(QStringLiteral(" 127. 0.0.1 "), {}, Folders).To_Bytes();
    QVERIFY(bytes.contains("<IP_Address_Dev> 127. 0.0.1 </IP_Address_Dev>"));
}

void Tst_Update_Job::a_second_write_is_fresh()
{
    QTemporaryDir dir;
    const QString path = Update_Job_Path(dir.path());
    Write_Update_Job(path, QStringLiteral("127.0.0.1"), {true, true, true, true}, Folders);
    Write_Update_Job(path, QStringLiteral("127.0.0.1"), {true, false, false, false}, Folders);
    QCOMPARE(Read_All(path), Fixture(QStringLiteral("job_firmware.xml")));
    // Nothing else is left behind in the folder (the save goes through a temporary file).
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Ethernet_Update.xml")});
}

void Tst_Update_Job::unwritable_job_raises_with_file_and_reason()
{
    QTemporaryDir dir;
    // A folder where the file should be: no rights can make that writable.
    const QString path = Update_Job_Path(dir.path());
    QVERIFY(QDir().mkdir(path));
    try {
        Write_Update_Job(path, QStringLiteral("127.0.0.1"), {}, Folders);
        QFAIL("no error raised");
    } catch (const Xml_Error &e) {
        QCOMPARE(e.File, path);
        QVERIFY(!e.Reason.isEmpty());
        QVERIFY(e.Text().contains(path));
    }
}

QTEST_GUILESS_MAIN(Tst_Update_Job)
#include "tst_core_update_job.moc"
