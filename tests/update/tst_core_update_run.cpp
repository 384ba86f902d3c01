// Running the updater and learning how it went, with a fake shell and clock: the verdict from
// the exit status, the last lines of the report only when this run wrote it, and the firmware
// image the job would need.
#include "File_Bytes.h"
#include "Fakes.h"
#include "update/Update_Run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

}  // namespace

class Tst_Update_Run : public QObject {
    Q_OBJECT
private slots:
    void init();
    void verdict_data();
    void verdict();
    void report_of_this_run_only_data();
    void report_of_this_run_only();
    void report_tail_of_a_long_report();
    void updater_apart_from_the_workspace();
    void unusable_firmware_image_data();
    void unusable_firmware_image();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString report_;
};

void Tst_Update_Run::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    report_ = Update_Report_Path(dir_->path());
    QCOMPARE(QFileInfo(report_).fileName(), QStringLiteral("Ethernet_Update.log"));
}

void Tst_Update_Run::verdict_data()
{
    QTest::addColumn<bool>("start_fails");
    QTest::addColumn<int>("running_polls");  // -1: never ends
    QTest::addColumn<int>("exit_kind");
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<qint64>("waited");

    using V = Update_Result::Verdict;
    using K = Exit_Status::Kind;
    QTest::newRow("exit 0") << false << 5 << int(K::Code) << 0 << int(V::Succeeded) << qint64(50);
    QTest::newRow("exit 1") << false << 0 << int(K::Code) << 1 << int(V::Failed) << qint64(0);
    QTest::newRow("exit 255") << false << 2 << int(K::Code) << 255 << int(V::Failed) << qint64(20);
    QTest::newRow("killed") << false << 1 << int(K::Abnormal) << 9 << int(V::Ended_Abnormally) << qint64(10);
    QTest::newRow("end unknown") << false << 1 << int(K::Unknown) << 0 << int(V::Ended_Unknown) << qint64(10);
    QTest::newRow("still running at the limit")
        << false << -1 << int(K::Code) << 0 << int(V::Still_Running) << Program_Wait_Limit_Ms;
    QTest::newRow("cannot start") << true << 0 << int(K::Code) << 0 << int(V::Not_Started) << qint64(0);
}

void Tst_Update_Run::verdict()
{
    QFETCH(bool, start_fails);
    QFETCH(int, running_polls);
    QFETCH(int, exit_kind);
    QFETCH(int, exit_code);
    QFETCH(int, verdict);
    QFETCH(qint64, waited);

    Fake_Clock clock;
    clock.Advance(7777);
    Fake_Shell shell;
    shell.Start_Fails = start_fails;
    shell.Keep_Running = running_polls < 0;
    shell.Running_Polls = running_polls;
    shell.Exit_As = {Exit_Status::Kind(exit_kind), exit_code};
    QList<qint64> told;
    const Update_Result result =
        Run_Updater(shell, clock, dir_->path(), [&told](qint64 ms) { told.append(ms); });

    QCOMPARE(shell.Started, QStringList{Updater_Path(dir_->path()) + QStringLiteral("||0")});
    QCOMPARE(int(result.verdict), verdict);
    if (verdict == int(Update_Result::Verdict::Failed)) QCOMPARE(result.exit_code, exit_code);
    QCOMPARE(result.updater, Updater_Path(dir_->path()));
    QCOMPARE(result.report_path, report_);
    QVERIFY(!result.report_tail);  // nothing was written
    QCOMPARE(clock.Now_Ms() - 7777, waited);
    // The watcher hears of every pause, with the time waited so far.
    QCOMPARE(told.size(), int(waited / Program_Poll_Ms));
    for (int i = 0; i < told.size(); ++i) QCOMPARE(told[i], qint64(i + 1) * Program_Poll_Ms);
}

void Tst_Update_Run::report_of_this_run_only_data()
{
    QTest::addColumn<QByteArray>("before");  // null: no report before the run
    QTest::addColumn<QByteArray>("written");  // null: the run writes none
    QTest::addColumn<bool>("folder");         // a folder stands at the report's name after the run
    QTest::addColumn<QStringList>("tail");    // {"-"}: no report of this run

    const QStringList none{"-"};
    QTest::newRow("no report at all") << QByteArray() << QByteArray() << false << none;
    QTest::newRow("old report left as it was")
        << QByteArray("Verdict: valid job with 3 operation(s)\n") << QByteArray() << false << none;
    QTest::newRow("new report")
        << QByteArray() << QByteArray("Device: 127.0.0.1\nVerdict: rejected: the image x is missing\n") << false
        << QStringList{"Device: 127.0.0.1", "Verdict: rejected: the image x is missing"};
    QTest::newRow("old report replaced")
        << QByteArray("Verdict: valid job with 3 operation(s)\n")
        << QByteArray("Verdict: rejected: bank 1 and bank 2 differ in Ope_Read_Back\n") << false
        << QStringList{"Verdict: rejected: bank 1 and bank 2 differ in Ope_Read_Back"};
    QTest::newRow("line ends of either kind, blank lines at the end left out")
        << QByteArray() << QByteArray("one\r\ntwo\r\n\r\n  \n") << false << QStringList{"one", "two"};
    QTest::newRow("last six lines")
        << QByteArray() << QByteArray("1\n2\n3\n4\n5\n6\n7\n8") << false
        << QStringList{"3", "4", "5", "6", "7", "8"};
    QTest::newRow("control characters shown as marks")
        << QByteArray() << QByteArray("a\x1b[31mb\tc\n") << false
        << QStringList{QStringLiteral("a\uFFFD[31mb\tc")};
    QTest::newRow("folder in the report's place")
        << QByteArray("old\n") << QByteArray() << true << none;
}

void Tst_Update_Run::report_of_this_run_only()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, written);
    QFETCH(bool, folder);
    QFETCH(QStringList, tail);

    if (!before.isNull()) Write_All(report_, before);
    Fake_Clock clock;
    Fake_Shell shell;
    shell.Running_Polls = 3;
    shell.On_Start = [&] {
        if (!written.isNull()) Write_All(report_, written);
        if (folder) {
            QFile::remove(report_);
            QVERIFY(QDir().mkdir(report_));
        }
    };
    const Update_Result result = Run_Updater(shell, clock, dir_->path());
    QCOMPARE(result.verdict, Update_Result::Verdict::Succeeded);
    if (tail == QStringList{"-"}) {
        QVERIFY2(!result.report_tail, qPrintable(result.report_tail.value_or(QStringList()).join(u'|')));
    } else {
        QVERIFY(result.report_tail);
        QCOMPARE(*result.report_tail, tail);
    }
}

void Tst_Update_Run::updater_apart_from_the_workspace()
{
    // An installed updater: started from its own folder, told the workspace (blanks and all),
    // and its report read from the workspace.
    const QString updater_dir = dir_->path() + QStringLiteral("/libexec/qcx3310");
    const QString workspace = dir_->path() + QStringLiteral("/my data");
    QVERIFY(QDir().mkpath(workspace));
    Fake_Clock clock;
    Fake_Shell shell;
    shell.On_Start = [&] { Write_All(Update_Report_Path(workspace), "Verdict: valid job\n"); };
    const Update_Result result = Run_Updater(shell, clock, updater_dir, workspace);
    QCOMPARE(shell.Started, QStringList{Updater_Path(updater_dir) + QStringLiteral("|\"") +
                                        QDir::toNativeSeparators(workspace) + QStringLiteral("\"|0")});
    QCOMPARE(result.report_path, Update_Report_Path(workspace));
    QVERIFY(result.report_tail);
    QCOMPARE(*result.report_tail, QStringList{"Verdict: valid job"});

    // Both in one folder: no argument, as a portable program always did.
    shell.Started.clear();
    Run_Updater(shell, clock, workspace, workspace);
    QCOMPARE(shell.Started, QStringList{Updater_Path(workspace) + QStringLiteral("||0")});
}

void Tst_Update_Run::report_tail_of_a_long_report()
{
    // Only the end of a long report is read; the line it was cut in is not shown in part.
    QByteArray text;
    for (int i = 0; i < 5000; ++i) text += "line " + QByteArray::number(i) + " of a long report\n";
    QVERIFY(text.size() > 4 * Report_Tail_Bytes);
    const Report_Mark before = Mark_Report(report_);
    QVERIFY(!before.exists);
    Write_All(report_, text);
    const std::optional<QStringList> tail = Fresh_Report_Tail(report_, before, 3);
    QVERIFY(tail);
    QCOMPARE(*tail, (QStringList{"line 4997 of a long report", "line 4998 of a long report",
                                 "line 4999 of a long report"}));
    const std::optional<QStringList> all = Fresh_Report_Tail(report_, before, 100000);
    QVERIFY(all);
    QVERIFY(all->size() < 5000);
    QVERIFY2(all->first().startsWith(QLatin1String("line ")), qPrintable(all->first()));

    // The same report, marked again, is not new.
    QVERIFY(!Fresh_Report_Tail(report_, Mark_Report(report_)));
}

void Tst_Update_Run::unusable_firmware_image_data()
{
    QTest::addColumn<bool>("firmware");
    QTest::addColumn<QString>("image");  // "missing", "empty", "folder" or "present"
    QTest::addColumn<bool>("unusable");
    QTest::newRow("present") << true << "present" << false;
    QTest::newRow("missing") << true << "missing" << true;
    QTest::newRow("empty") << true << "empty" << true;
    QTest::newRow("a folder") << true << "folder" << true;
    QTest::newRow("missing, but no firmware to write") << false << "missing" << false;
}

void Tst_Update_Run::unusable_firmware_image()
{
    QFETCH(bool, firmware);
    QFETCH(QString, image);
    QFETCH(bool, unusable);
    const QString master = dir_->filePath(QStringLiteral("MASTER"));
    QVERIFY(QDir().mkpath(master));
    const QString path = Firmware_Image_Path(master);
    if (image == QLatin1String("present")) Write_All(path, QByteArray(64, '\x3C'));
    if (image == QLatin1String("empty")) Write_All(path, QByteArray());
    if (image == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));

    Update_Options options;
    options.Firmware = firmware;
    QCOMPARE(Unusable_Firmware_Image(options, master), unusable ? path : QString());
}

QTEST_GUILESS_MAIN(Tst_Update_Run)
#include "tst_core_update_run.moc"
