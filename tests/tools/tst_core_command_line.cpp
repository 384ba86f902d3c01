// How the command-line programs read their words and options (qcx3310-cli and the emulator share
// the reader).
#include "Command_Line.h"

#include <QtTest>

class Tst_Command_Line : public QObject {
    Q_OBJECT
private slots:
    void reads_words_and_options_data();
    void reads_words_and_options();
};

void Tst_Command_Line::reads_words_and_options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("values");  // "name=value" joined by ";", sorted
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QString>("error");
    using L = QStringList;
    QTest::newRow("value apart") << L{"dir", "--unit", "7"} << L{"dir"} << "--unit=7" << L{} << "";
    QTest::newRow("value joined") << L{"--unit=7", "dir"} << L{"dir"} << "--unit=7" << L{} << "";
    QTest::newRow("joined value holds '='") << L{"--can=a=b"} << L{} << "--can=a=b" << L{} << "";
    QTest::newRow("empty joined value") << L{"--can="} << L{} << "--can=" << L{} << "";
    QTest::newRow("value that looks like an option") << L{"--can", "--unit"} << L{} << "--can=--unit" << L{} << "";
    QTest::newRow("flag") << L{"--watch", "a", "b"} << L{"a", "b"} << "" << L{"--watch"} << "";
    QTest::newRow("after --, words only") << L{"--", "--unit", "-x"} << L{"--unit", "-x"} << "" << L{} << "";
    QTest::newRow("a lone - is a word") << L{"-"} << L{"-"} << "" << L{} << "";
    QTest::newRow("unknown") << L{"--bogus"} << L{} << "" << L{} << "unknown option '--bogus'";
    QTest::newRow("unknown joined") << L{"--bogus=1"} << L{} << "" << L{} << "unknown option '--bogus'";
    QTest::newRow("flag given a value") << L{"--watch=1"} << L{} << "" << L{} << "unknown option '--watch=1'";
    QTest::newRow("missing value") << L{"dir", "--unit"} << L{"dir"} << "" << L{} << "--unit needs a value";
    QTest::newRow("twice") << L{"--unit", "1", "--unit=2"} << L{} << "--unit=1" << L{} << "--unit is given twice";
}

void Tst_Command_Line::reads_words_and_options()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, words);
    QFETCH(QString, values);
    QFETCH(QStringList, flags);
    QFETCH(QString, error);
    const Command_Line line = Read_Command_Line(args, {"--unit", "--can"}, {"--watch"});
    QCOMPARE(line.Error, error);
    if (!error.isEmpty()) return;
    QCOMPARE(line.Words, words);
    QStringList got;
    for (auto it = line.Values.cbegin(); it != line.Values.cend(); ++it) got << it.key() + u'=' + it.value();
    got.sort();
    QCOMPARE(got.join(u';'), values);
    QStringList got_flags(line.Flags.cbegin(), line.Flags.cend());
    QCOMPARE(got_flags, flags);
}

QTEST_APPLESS_MAIN(Tst_Command_Line)
#include "tst_core_command_line.moc"
