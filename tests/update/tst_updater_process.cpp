// The real shell starts the updater as a program of its own, not a child of ours, and still
// learns how it ended: its exit code, or that it was killed. Small shell scripts stand in for
// the updater.
#include "Fakes.h"
#include "platform/Clock.h"
#include "widgets/Desktop_Shell.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class Tst_Updater_Process : public QObject {
    Q_OBJECT
private slots:
    void exit_status_data();
    void exit_status();
    void not_a_child_of_ours();
    void what_cannot_start_data();
    void what_cannot_start();
};

void Tst_Updater_Process::exit_status_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("code");
    using K = Exit_Status::Kind;
    QTest::newRow("exit 0") << "exit 0" << int(K::Code) << 0;
    QTest::newRow("exit 1") << "exit 1" << int(K::Code) << 1;
    QTest::newRow("exit 255 after a while") << "sleep 0.2; exit 255" << int(K::Code) << 255;
    QTest::newRow("killed") << "kill -9 $$" << int(K::Abnormal) << 9;
}

void Tst_Updater_Process::exit_status()
{
    QFETCH(QString, script);
    QFETCH(int, kind);
    QFETCH(int, code);
    Real_Shell shell;
    Real_Clock clock;
    std::unique_ptr<Process_Handle> process =
        shell.Start(QStringLiteral("/bin/sh"), QStringLiteral("-c \"%1\"").arg(script), false);
    QVERIFY(process);
    QVERIFY(Wait_For_Program(*process, clock, 20000));
    QVERIFY(!process->Running());
    const Exit_Status exit = process->Exit();
    QCOMPARE(int(exit.kind), kind);
    QCOMPARE(exit.code, code);
}

void Tst_Updater_Process::not_a_child_of_ours()
{
    // The program's parent is not this process, so nothing of ours (a QProcess's end, our own
    // end) takes it down; and a wait that gave up leaves it running.
    QTemporaryDir dir;
    const QString parent_file = dir.filePath(QStringLiteral("parent"));
    const QString done_file = dir.filePath(QStringLiteral("done"));
    Real_Shell shell;
    Fake_Clock fake;
    std::unique_ptr<Process_Handle> process = shell.Start(
        QStringLiteral("/bin/sh"),
        QStringLiteral("-c \"echo $PPID > '%1'; sleep 0.5; echo done > '%2'\"").arg(parent_file, done_file), false);
    QVERIFY(process);
    QVERIFY(!Wait_For_Program(*process, fake, 1000));
    QVERIFY(process->Running());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(parent_file) && QFile(parent_file).size() > 0, 10000);
    QFile file(parent_file);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const qint64 parent = file.readAll().trimmed().toLongLong();
    QVERIFY(parent > 1);
    QVERIFY(parent != qint64(::getpid()));

    // Dropping the handle neither ends nor disturbs it.
    process.reset();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(done_file), 10000);
}

void Tst_Updater_Process::what_cannot_start_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("missing") << "no-such-program";
    QTest::newRow("a folder") << ".";
    QTest::newRow("not executable") << "plain.txt";
}

void Tst_Updater_Process::what_cannot_start()
{
    QFETCH(QString, program);
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain.txt")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("exit 0\n");
    plain.close();
    Real_Shell shell;
    QVERIFY(!shell.Start(dir.filePath(program), QString(), false));
}

QTEST_MAIN(Tst_Updater_Process)
#include "tst_updater_process.moc"
