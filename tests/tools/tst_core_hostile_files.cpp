// Folders from others, through the real entry points: links where files are written, a FIFO,
// a device and over-long files where files are read. Every case must end promptly with a message
// naming the problem, and no file outside the folder may change or appear.
#include "File_Bytes.h"
#include "config/Image_Builder.h"
#include "editing/Frame_List.h"
#include "platform/Safe_File.h"
#include "platform/Xml_Document.h"
#include "Run_Program.h"
#include "test_config.h"
#include "update/Update_Job.h"
#include "workspace/App_State.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

enum Entry { Cli_Compile, Cli_Inspect, Settings_Read, Settings_Write, Frame_Grid_Read, Updater };
enum Hostile { Link_Outside, Dangling_Link, Folder_Link, Fifo, Dev_Zero, Long_File };

const QByteArray Outside_Bytes("bytes of a file outside the configuration\n");

using Run = Program_Run;
// A regressed reader that blocks on a FIFO must fail the test, not hang the suite.
Run Start(const QString &program, const QStringList &args) { return Run_Program(program, args, 10000); }

// For reads inside the test program: should a reader open the FIFO regardless, a writer comes
// and goes after a while so the open returns and the test can fail instead of hanging.
class Fifo_Watchdog {
public:
    explicit Fifo_Watchdog(const QString &fifo) : path_(QFile::encodeName(fifo))
    {
        thread_ = std::thread([this] {
            for (int i = 0; i < 100 && !done_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            while (!done_) {
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~Fifo_Watchdog()
    {
        done_ = true;
        thread_.join();
    }

private:
    QByteArray path_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace

class Tst_Hostile_Files : public QObject {
    Q_OBJECT
private slots:
    void hostile_file_data();
    void hostile_file();
    void write_failure_names_the_system_reason();
    void folder_name_that_is_not_utf8();
    void a_save_killed_at_any_step_leaves_all_old_or_all_new_data();
    void a_save_killed_at_any_step_leaves_all_old_or_all_new();
    void a_planted_journal_reaches_nothing_data();
    void a_planted_journal_reaches_nothing();
};

void Tst_Hostile_Files::hostile_file_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("file");  // relative to the workspace
    QTest::addColumn<int>("hostile");
    QTest::addColumn<qint64>("size");   // of a long file
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("message");

    const QString conf = QStringLiteral("PROJECTS/Line1/");
    const qint64 too_long_xml = Text_File_Limit + 1;
    const qint64 ten_mb = 10 * 1024 * 1024;

    // Writes replace the link itself; a folder that is a link is refused.
    QTest::newRow("compile: bank1.bin links outside")
        << int(Cli_Compile) << conf + "bin/bank1.bin" << int(Link_Outside) << qint64(0) << true << QString();
    QTest::newRow("compile: bank2.bin dangling link")
        << int(Cli_Compile) << conf + "bin/bank2.bin" << int(Dangling_Link) << qint64(0) << true << QString();
    QTest::newRow("compile: bin links outside")
        << int(Cli_Compile) << conf + "bin" << int(Folder_Link) << qint64(0) << false
        << QStringLiteral("bin is a symbolic link");
    QTest::newRow("settings write: link outside")
        << int(Settings_Write) << QStringLiteral("Variroduvi.xml") << int(Link_Outside) << qint64(0) << true << QString();
    QTest::newRow("settings write: dangling link")
        << int(Settings_Write) << QStringLiteral("Variroduvi.xml") << int(Dangling_Link) << qint64(0) << true << QString();
    QTest::newRow("updater log: link outside")
        << int(Updater) << QStringLiteral("Ethernet_Update.log") << int(Link_Outside) << qint64(0) << true << QString();

    // Reads take regular files of a bounded size only.
    QTest::newRow("compile: ParGen.xml FIFO")
        << int(Cli_Compile) << conf + "ParGen.xml" << int(Fifo) << qint64(0) << false
        << QStringLiteral("ParGen.xml: is a FIFO, not a regular file");
    QTest::newRow("compile: CAN_Receive.xml is /dev/zero")
        << int(Cli_Compile) << conf + "CAN_Receive.xml" << int(Dev_Zero) << qint64(0) << false
        << QStringLiteral("CAN_Receive.xml: is a device, not a regular file");
    QTest::newRow("compile: CAN_Transmit.xml too long")
        << int(Cli_Compile) << conf + "CAN_Transmit.xml" << int(Long_File) << too_long_xml << false
        << QStringLiteral("CAN_Transmit.xml: the file holds %1 bytes, more than the limit of %2 bytes")
               .arg(too_long_xml).arg(Text_File_Limit);
    QTest::newRow("inspect: bank1.bin FIFO")
        << int(Cli_Inspect) << conf + "bin/bank1.bin" << int(Fifo) << qint64(0) << false
        << QStringLiteral("bank1.bin: is a FIFO");
    QTest::newRow("inspect: bank2.bin is /dev/zero")
        << int(Cli_Inspect) << conf + "bin/bank2.bin" << int(Dev_Zero) << qint64(0) << false
        << QStringLiteral("bank2.bin: is a device");
    QTest::newRow("inspect: bank2.bin of 10 MB")
        << int(Cli_Inspect) << conf + "bin/bank2.bin" << int(Long_File) << ten_mb << false
        << QStringLiteral("more than the limit of %1 bytes").arg(Bank2_Max_Len + Bank_Read_Margin);
    QTest::newRow("settings read: FIFO")
        << int(Settings_Read) << QStringLiteral("Variroduvi.xml") << int(Fifo) << qint64(0) << false << QString();
    QTest::newRow("settings read: /dev/zero")
        << int(Settings_Read) << QStringLiteral("Variroduvi.xml") << int(Dev_Zero) << qint64(0) << false << QString();
    QTest::newRow("frame list: FIFO")
        << int(Frame_Grid_Read) << conf + "CAN_Receive.xml" << int(Fifo) << qint64(0) << false
        << QStringLiteral("is a FIFO, not a regular file");
    QTest::newRow("frame list: too long")
        << int(Frame_Grid_Read) << conf + "CAN_Receive.xml" << int(Long_File) << too_long_xml << false
        << QStringLiteral("more than the limit of %1 bytes").arg(Text_File_Limit);
    QTest::newRow("updater: job FIFO")
        << int(Updater) << QStringLiteral("Ethernet_Update.xml") << int(Fifo) << qint64(0) << false
        << QStringLiteral("is a FIFO, not a regular file");
    QTest::newRow("updater: bank1.bin is /dev/zero")
        << int(Updater) << conf + "bin/bank1.bin" << int(Dev_Zero) << qint64(0) << false
        << QStringLiteral("bank1.bin cannot be read: is a device");
    QTest::newRow("updater: firmware FIFO")
        << int(Updater) << QStringLiteral("MASTER/QFW3310.sim") << int(Fifo) << qint64(0) << false
        << QStringLiteral("QFW3310.sim cannot be read: is a FIFO");
    // Only its presence matters: half a gigabyte (sparse) is checked without reading it.
    QTest::newRow("updater: firmware of 512 MB")
        << int(Updater) << QStringLiteral("MASTER/QFW3310.sim") << int(Long_File) << qint64(512) * 1024 * 1024
        << true << QString();
}

void Tst_Hostile_Files::hostile_file()
{
    QFETCH(int, entry);
    QFETCH(QString, file);
    QFETCH(int, hostile);
    QFETCH(qint64, size);
    QFETCH(bool, succeeds);
    QFETCH(QString, message);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString root = QFileInfo(tmp.path()).canonicalFilePath();
    const QString outside = root + "/outside";
    const QString target = outside + "/target";
    const QString absent = outside + "/absent";
    QVERIFY(QDir().mkpath(outside));
    Write_All(target, Outside_Bytes);

    // A workspace: the updater and its job, the firmware, and a configuration with its images.
    const Update_Folders folders{root + "/MASTER", root + "/PROJECTS/Line1"};
    QVERIFY(QDir().mkpath(folders.Dir_Master));
    QVERIFY(QDir().mkpath(folders.Dir_Project));
    const QDir fixture(QStringLiteral(QCX_TEST_DATA_DIR "/images/example"));
    for (const QString &f : fixture.entryList(QDir::Files))
        QVERIFY(QFile::copy(fixture.filePath(f), folders.Dir_Project + '/' + f));
    Build_Device_Images(Project_Paths_In(folders.Dir_Project));
    Write_All(Firmware_Image_Path(folders.Dir_Master), QByteArray(4096, '\x11'));
    if (entry == Updater) {
        QVERIFY(QFile::copy(Updater_Path(QStringLiteral(QCX_WORKSPACE_DIR)), Updater_Path(root)));
        QFile::setPermissions(Updater_Path(root), QFile::permissions(Updater_Path(root)) | QFile::ExeOwner);
        Write_Update_Job(Update_Job_Path(root), QStringLiteral("127.0.0.1"), {true, true, true, false}, folders);
    }

    const QString path = root + '/' + file;
    const QByteArray native = QFile::encodeName(path);
    if (QFileInfo(path).isDir())
        QVERIFY(QDir(path).removeRecursively());
    else
        QFile::remove(path);
    switch (Hostile(hostile)) {
    case Link_Outside: QVERIFY(QFile::link(target, path)); break;
    case Dangling_Link: QVERIFY(QFile::link(absent, path)); break;
    case Folder_Link: QVERIFY(QFile::link(outside, path)); break;
    case Fifo: QCOMPARE(::mkfifo(native.constData(), 0644), 0); break;
    case Dev_Zero: QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path)); break;
    case Long_File: {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(size));
        break;
    }
    }

    QElapsedTimer clock;
    clock.start();
    QString error;
    bool ok = false;
    switch (Entry(entry)) {
    case Cli_Compile:
    case Cli_Inspect: {
        const Run r = Start(QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli"),
                            {entry == Cli_Compile ? "compile" : "inspect", folders.Dir_Project});
        ok = r.Exit == 0;
        error = r.Err;
        break;
    }
    case Updater: {
        const Run r = Start(Updater_Path(root), {});
        ok = r.Exit == 0;
        error = r.Err;
        break;
    }
    case Settings_Read: {
        App_State state;
        state.Dir_Exe = root;
        const Fifo_Watchdog watchdog(path);
        Read_Settings(state);
        // A settings file that cannot be read counts as missing: the defaults, at once.
        App_State defaults;
        defaults.Dir_Exe = outside;  // no settings file there
        Read_Settings(defaults);
        QCOMPARE(state.Device_IP, defaults.Device_IP);
        QCOMPARE(state.Project_Name, defaults.Project_Name);
        break;
    }
    case Settings_Write: {
        App_State state;
        state.Dir_Exe = root;
        ok = Write_Settings(state, &error);
        break;
    }
    case Frame_Grid_Read: {
        const Fifo_Watchdog watchdog(path);
        try {
            Read_Frame_Grid(path, Direction::Receive);
            ok = true;
        } catch (const Xml_Error &e) {
            error = e.Text();
        }
        break;
    }
    }
    QVERIFY2(clock.elapsed() < 5000, "the entry blocked or read far too much");
    QCOMPARE(ok, succeeds);
    QVERIFY2(error.contains(message), qPrintable(error));

    // Nothing outside has changed, nothing has appeared there.
    QCOMPARE(Read_All(target), Outside_Bytes);
    QVERIFY(!QFileInfo::exists(absent));
    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"target"});
    // A written file replaced the link that stood at its name.
    if (succeeds && (hostile == Link_Outside || hostile == Dangling_Link)) {
        const QFileInfo written(path);
        QVERIFY(!written.isSymLink());
        QVERIFY(written.isFile());
        QVERIFY(written.size() > 0);
    }
}

void Tst_Hostile_Files::write_failure_names_the_system_reason()
{
    // A file size limit makes writes fail as a full disk does, at the write itself; the message
    // must carry the system's words, and the old file must stay whole with no temporary left.
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("ParGen.xml"));
    Write_All(path, "<old/>");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit small = old_limit;
    small.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    try {
        Save_File_Atomic(path, QByteArray(4096, 'x'));
    } catch (const Xml_Error &e) {
        error = e.Text();
    }
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    QCOMPARE(error, path + QStringLiteral(": ") + System_Error_Text(EFBIG));
    QCOMPARE(Read_All(path), QByteArray("<old/>"));
    QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ParGen.xml"});
    // The same words for a full disk, not "Unknown error".
    QCOMPARE(System_Error_Text(ENOSPC), QStringLiteral("No space left on device"));
}

void Tst_Hostile_Files::folder_name_that_is_not_utf8()
{
    // A folder named with a byte that is no UTF-8: compile and inspect reach it as named.
    QTemporaryDir tmp;
    const QByteArray folder = QFile::encodeName(tmp.path()) + "/conf\xff";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    const QDir fixture(QStringLiteral(QCX_TEST_DATA_DIR "/images/example"));
    for (const QString &f : fixture.entryList(QDir::Files)) {
        const QByteArray bytes = Read_All(fixture.filePath(f));
        const QByteArray to = folder + '/' + QFile::encodeName(f);
        const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
    }
    // QProcess passes arguments through QFile::encodeName, which cannot make the byte; the
    // shell's printf can.
    for (const char *command : {"compile", "inspect"}) {
        QProcess p;
        p.setWorkingDirectory(tmp.path());
        p.start(QStringLiteral("/bin/sh"),
                {"-c", QStringLiteral("exec \"$0\" %1 \"$(printf 'conf\\377')\"").arg(command),
                 QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli")});
        QVERIFY(p.waitForFinished(10000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    }
    struct stat st {};
    QCOMPARE(::stat((folder + "/bin/bank1.bin").constData(), &st), 0);
    QCOMPARE(qint64(st.st_size), qint64(2112));
    // QTemporaryDir cannot name the folder to remove it.
    std::filesystem::remove_all(std::filesystem::path(folder.toStdString()));
}

void Tst_Hostile_Files::a_save_killed_at_any_step_leaves_all_old_or_all_new_data()
{
    // Files one save writes together; the first `existing` of them are there before it.
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("existing");
    QTest::newRow("the two images") << QStringList{"bank1.bin", "bank2.bin"} << 2;
    QTest::newRow("the first images") << QStringList{"bank1.bin", "bank2.bin"} << 0;
    QTest::newRow("frame list, mappings and the first signal notes")
        << QStringList{"CAN_Receive.xml", "Define_CAN_Receive.xml", "CAN_Signals.csv"} << 2;
    QTest::newRow("one file") << QStringList{"ParGen.xml"} << 1;
}

void Tst_Hostile_Files::a_save_killed_at_any_step_leaves_all_old_or_all_new()
{
    QFETCH(QStringList, names);
    QFETCH(int, existing);
    const QString saver = QStringLiteral(QCX_TEST_HELPERS_DIR "/qcx_test_replace_until");
    bool rolled_forward = false;
    bool left_behind = false;
    for (int stop = 1;; ++stop) {
        QVERIFY2(stop < 20, "the save never ends");
        QTemporaryDir tmp;
        const QString folder = tmp.filePath(QStringLiteral("conf"));
        QVERIFY(QDir().mkpath(folder));
        QStringList args{QString::number(stop)};
        for (int i = 0; i < names.size(); ++i) {
            const QString path = folder + QLatin1Char('/') + names[i];
            if (i < existing) Write_All(path, "old " + names[i].toUtf8());
            args << path << QStringLiteral("new ") + names[i];
        }
        // The save is killed right after step `stop`, as a crash would end it.
        QProcess p;
        p.start(saver, args);
        QVERIFY(p.waitForFinished(10000));
        const bool finished = p.exitStatus() == QProcess::NormalExit;
        if (finished) QCOMPARE(p.exitCode(), 0);
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (!finished) {
            rolled_forward = rolled_forward || left.contains(Replace_Journal_Name);
            left_behind = left_behind || std::any_of(left.begin(), left.end(), Is_Replace_Temporary);
        }

        // The next reader, starting with the file written last (it may not have been there).
        bool all_old = true, all_new = true;
        for (qsizetype i = names.size() - 1; i >= 0; --i) {
            const QString path = folder + QLatin1Char('/') + names[i];
            const QByteArray now = Settled_File_Exists(path) ? Read_Regular_File(path, 1000) : QByteArray("(missing)");
            all_old = all_old && now == (i < existing ? "old " + names[i].toUtf8() : QByteArray("(missing)"));
            all_new = all_new && now == "new " + names[i].toUtf8();
        }
        QVERIFY2(all_old || all_new, qPrintable(QStringLiteral("killed after step %1: a mix").arg(stop)));
        QVERIFY2(!finished || all_new, qPrintable(QStringLiteral("finished at step %1 but not new").arg(stop)));

        // The next save clears away what the killed one left; only the files remain.
        QList<std::pair<QString, QByteArray>> third;
        for (const QString &name : names) third.append({folder + QLatin1Char('/') + name, "third " + name.toUtf8()});
        Replace_Files(third);
        QStringList expected = names;
        expected.sort();
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        for (const auto &[path, bytes] : third) QCOMPARE(Read_All(path), bytes);
        if (finished) break;
    }
    // Both ends were met: kills that left only temporaries, and kills after the journal.
    QVERIFY(left_behind);
    if (names.size() > 1) QVERIFY(rolled_forward);
}

void Tst_Hostile_Files::a_planted_journal_reaches_nothing_data()
{
    // What a folder from others may hold under the journal's name.
    QTest::addColumn<QByteArray>("journal");  // empty: a FIFO
    QTest::newRow("a name outside the folder") << QByteArray("qcx3310 replace journal 1\n.victim.abc.tmp ..%2Fvictim\nend\n");
    QTest::newRow("a name that is no temporary of ours") << QByteArray("qcx3310 replace journal 1\nvictim ParGen.xml\nend\n");
    QTest::newRow("a journal cut short") << QByteArray("qcx3310 replace journal 1\n.ParGen.xml.abc.tmp ParGen.xml\n");
    QTest::newRow("no journal at all") << QByteArray("\x00\xff junk", 7);
    QTest::newRow("a FIFO") << QByteArray();
}

void Tst_Hostile_Files::a_planted_journal_reaches_nothing()
{
    QFETCH(QByteArray, journal);
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("conf"));
    QVERIFY(QDir().mkpath(folder));
    const QString victim = tmp.filePath(QStringLiteral("victim"));
    Write_All(victim, "outside");
    Write_All(folder + "/victim", "inside");
    Write_All(folder + "/ParGen.xml", "<old/>");
    Write_All(folder + "/.victim.abc.tmp", "planted");
    Write_All(folder + "/.ParGen.xml.abc.tmp", "<planted/>");
    const QString journal_path = folder + QLatin1Char('/') + QLatin1String(Replace_Journal_Name);
    if (journal.isEmpty())
        QCOMPARE(::mkfifo(QFile::encodeName(journal_path).constData(), 0600), 0);
    else
        Write_All(journal_path, journal);
    // Reading goes on as if it were not there (a FIFO is never opened), and nothing moves.
    const Fifo_Watchdog watchdog(journal_path);
    QCOMPARE(Read_Regular_File(folder + "/ParGen.xml", 1000), QByteArray("<old/>"));
    QCOMPARE(Read_All(victim), QByteArray("outside"));
    QCOMPARE(Read_All(folder + "/victim"), QByteArray("inside"));
    // A save clears away what is no journal of ours and the temporaries beside it.
    Save_File_Atomic(folder + "/ParGen.xml", "<new/>");
    QCOMPARE(Read_All(folder + "/ParGen.xml"), QByteArray("<new/>"));
    QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (journal.isEmpty()) left.removeOne(QLatin1String(Replace_Journal_Name));  // a FIFO is not ours to remove
    QCOMPARE(left, (QStringList{"ParGen.xml", "victim"}));
    QCOMPARE(Read_All(victim), QByteArray("outside"));
}

QTEST_GUILESS_MAIN(Tst_Hostile_Files)
#include "tst_core_hostile_files.moc"
