// qcx3310-cli's import-dbc, export and import run for real on temporary configuration folders:
// what they write is what the editors read and the build takes, and a failure changes no file.
#include "File_Bytes.h"
#include "config/Config_Check.h"
#include "config/Project_Files.h"
#include "config/Project_Paths.h"
#include "editing/Frame_List.h"
#include "exchange/Register_Map.h"
#include "workspace/App_State.h"
#include "Run_Program.h"
#include "test_config.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Exchange_Cli : public QObject {
    Q_OBJECT
private slots:
    void import_dbc_fills_both_directions();
    void import_dbc_twice_adds_nothing();
    void import_dbc_refusals_change_nothing_data();
    void import_dbc_refusals_change_nothing();
    void sheets_round_trip_through_the_files();
    void bad_sheet_takes_nothing_unless_asked();
    void sheet_characters_no_file_holds_data();
    void sheet_characters_no_file_holds();
    void frames_sheet_keeps_mappings_with_their_frames();
    void export_map();
    void export_map_of_huge_texts();
    void missing_folder_is_an_error();
    void usage_errors_data();
    void usage_errors();
};

namespace {

const QString Vehicle = QStringLiteral(QCX_TEST_DATA_DIR "/dbc/vehicle.dbc");

QStringList Config_Files(const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    return {p.CAN_Receive, p.CAN_Transmit, p.Define_CAN_Receive, p.Define_CAN_Transmit};
}

QList<QByteArray> Snapshot(const QString &dir)
{
    QList<QByteArray> out;
    for (const QString &f : Config_Files(dir)) out << Read_All(f);
    return out;
}

QString Describe(const Program_Run &r) { return QStringLiteral("exit %1\n%2\n%3").arg(r.Exit).arg(r.Out, r.Err); }

}  // namespace

void Tst_Exchange_Cli::import_dbc_fills_both_directions()
{
    QTemporaryDir dir;
    const QString conf = dir.path();
    const Program_Run r = Run_Cli({"import-dbc", conf, Vehicle, "--receive", "Motor_Daten,0x18FF0001,Rohdaten_FD",
                                   "--transmit", "1024", "--first-register", "100"});
    QVERIFY2(r.Exit == 0, qPrintable(Describe(r)));
    QVERIFY2(r.Out.contains("receive: 2 frame(s) added, 8 register(s) added"), qPrintable(r.Out));
    QVERIFY2(r.Out.contains("transmit: 1 frame(s) added, 1 register(s) added"), qPrintable(r.Out));
    // A signal of 4 bits shares the register of its neighbour, with its own recipe.
    QVERIFY2(r.Out.contains("signal Motor_Daten.Status: register 101, shift 8, 4 bit(s)\n"), qPrintable(r.Out));
    QVERIFY2(r.Out.contains("vehicle.dbc:55: Diagnose.Spannung: multiplexed"), qPrintable(r.Out));
    QVERIFY2(r.Out.contains("Rohdaten_FD: 64 data bytes"), qPrintable(r.Out));

    const Project_Paths p = Project_Paths_In(conf);
    const QList<Frame_Row> receive = Read_Frame_File(p.CAN_Receive, Direction::Receive);
    QCOMPARE(receive.size(), 2);
    QCOMPARE(receive[0].CobID, QStringLiteral("0x100"));
    QCOMPARE(receive[0].TimeOut, QStringLiteral("30"));
    QCOMPARE(receive[1].CobID, QStringLiteral("0x18FF0001"));
    QCOMPARE(receive[1].Type, Frame_Type_29);
    QCOMPARE(receive[1].TimeOut, QStringLiteral("300"));
    const QList<Frame_Row> transmit = Read_Frame_File(p.CAN_Transmit, Direction::Transmit);
    QCOMPARE(transmit.size(), 1);
    QCOMPARE(transmit[0].Mnemonic, QStringLiteral("Diagnose"));
    QCOMPARE(transmit[0].OnTimer, QStringLiteral("N"));
    QCOMPARE(transmit[0].DataChange, QStringLiteral("Y"));

    const QList<Editor_Frame> maps = Read_Mapping_Files(p.CAN_Receive, p.Define_CAN_Receive, Direction::Receive);
    QCOMPARE(maps[0].Registers, (QList<Editor_Register>{{"100", 2, 1, 0}, {"101", 4, 3, 0}, {"102", 8, 7, 0}, {"103", 6, 5, 0}}));
    QCOMPARE(maps[1].Registers.size(), 4);
    // Both directions number from the same start: registers are unique per direction only.
    const QList<Editor_Frame> tmaps = Read_Mapping_Files(p.CAN_Transmit, p.Define_CAN_Transmit, Direction::Transmit);
    QCOMPARE(tmaps[0].Registers, (QList<Editor_Register>{{"100", 2, 1, 0}}));

    // The configuration checks without a finding worse than info but the settings, which an
    // import leaves alone and nobody confirmed yet; and it compiles.
    QStringList worse;
    for (const Check_Finding &f : Check_Configuration(p))
        if (f.Severity != Check_Severity::Info) worse << f.Code;
    QCOMPARE(worse, QStringList{"settings-not-stored"});
    const Program_Run compile = Run_Cli({"compile", conf});
    QVERIFY2(compile.Exit == 0, qPrintable(Describe(compile)));
    QVERIFY2(compile.Out.contains("8 receive and 1 transmit mapping records"), qPrintable(compile.Out));
}

void Tst_Exchange_Cli::import_dbc_twice_adds_nothing()
{
    QTemporaryDir other;
    QCOMPARE(Run_Cli({"import-dbc", other.path(), Vehicle, "--receive", "Motor_Daten", "--timeout-factor", "5"}).Exit, 0);
    QCOMPARE(Read_Frame_File(Project_Paths_In(other.path()).CAN_Receive, Direction::Receive)[0].TimeOut, QStringLiteral("50"));

    QTemporaryDir dir;
    const QStringList args{"import-dbc", dir.path(), Vehicle, "--receive", "Motor_Daten", "--transmit", "Getriebe_Status"};
    QCOMPARE(Run_Cli(args).Exit, 0);
    const QList<QByteArray> once = Snapshot(dir.path());
    const Program_Run again = Run_Cli(args);
    QCOMPARE(again.Exit, 0);
    QVERIFY2(again.Out.contains("already holds"), qPrintable(again.Out));
    QCOMPARE(Snapshot(dir.path()), once);
}

void Tst_Exchange_Cli::import_dbc_refusals_change_nothing_data()
{
    QTest::addColumn<QStringList>("args");  // after the folder
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown name") << QStringList{Vehicle, "--receive", "Motor_Daten,Bremse"} << "no message 'Bremse'";
    QTest::newRow("unknown identifier") << QStringList{Vehicle, "--transmit", "0x999"} << "no message '0x999'";
    QTest::newRow("missing database") << QStringList{"/nonexistent/x.dbc", "--receive", "A"} << "x.dbc";
    QTest::newRow("syntax error") << QStringList{"BAD", "--receive", "A"} << "line 3, column 14";
    // The rewrite of the signal notes would drop a line it cannot read.
    QTest::newRow("notes with a line of another kind") << QStringList{"NOTES", "--receive", "Motor_Daten"}
                                                       << "CAN_Signals.csv: line 3";
}

void Tst_Exchange_Cli::import_dbc_refusals_change_nothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString conf = dir.path();
    QCOMPARE(Run_Cli({"import-dbc", conf, Vehicle, "--receive", "Diagnose"}).Exit, 0);
    if (args[0] == u"NOTES") {
        args[0] = Vehicle;
        const QString notes = dir.filePath("CAN_Signals.csv");
        Write_All(notes, "Direction,CobID,Type,Mod_Index,Byte_HiPart,Byte_LoPart,Message,Signal,Unit,Factor,Offset\r\n"
                         "receive,0x7E0,CAN 2.0A 11 bits,500,0,1,Diagnose,Code,,1,0\r\nkept by hand\r\n");
    }
    const QList<QByteArray> before = Snapshot(conf);
    if (args[0] == u"BAD") {
        args[0] = dir.filePath("bad.dbc");
        // A file is refused only when no message can be read from it.
        Write_All(args[0], "VERSION \"\"\r\n\r\nBO_ 1 A 8 X\r\n SG_ S : 0|8@1+ (1,0) [0|1] \"\" X\r\n");
        message = "bad.dbc: line 3, column 9";
    }
    const Program_Run r = Run_Cli(QStringList{"import-dbc", conf} + args);
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.contains(message), qPrintable(r.Err));
    QCOMPARE(Snapshot(conf), before);
}

void Tst_Exchange_Cli::sheets_round_trip_through_the_files()
{
    QTemporaryDir dir;
    const QString conf = dir.filePath("a");
    const QString copy = dir.filePath("b");
    QDir().mkpath(conf);
    QDir().mkpath(copy);
    QCOMPARE(Run_Cli({"import-dbc", conf, Vehicle, "--receive", "Motor_Daten,Diagnose", "--transmit",
                      "Getriebe_Status,Anzeige_Leer"}).Exit, 0);
    // Texts a spreadsheet must keep: a mnemonic with a comma, quotes and a line break.
    const Project_Paths p = Project_Paths_In(conf);
    QList<Frame_Row> rows = Read_Frame_File(p.CAN_Receive, Direction::Receive);
    rows[1].Mnemonic = QString::fromUtf8("Diagnose, \"Seite\"\nzwei für €");
    // And texts a spreadsheet would run, or whose leading apostrophe it would take away.
    rows[0].Mnemonic = QStringLiteral("=2*21");
    rows[0].TimeOut = QStringLiteral("+100");
    Write_Frame_File(p.CAN_Receive, Direction::Receive, rows);
    QList<Frame_Row> sent = Read_Frame_File(p.CAN_Transmit, Direction::Transmit);
    sent[0].Mnemonic = QStringLiteral("'=HYPERLINK(\"x\")");
    sent[1].Mnemonic = QStringLiteral("-5");
    Write_Frame_File(p.CAN_Transmit, Direction::Transmit, sent);

    for (const char *d : {"receive", "transmit"})
        for (const char *what : {"frames", "mappings"}) {
            const QString csv = dir.filePath(QStringLiteral("%1_%2.csv").arg(d, what));
            const Program_Run out = Run_Cli({"export", what, conf, "--direction", d, "-o", csv});
            QVERIFY2(out.Exit == 0, qPrintable(Describe(out)));
            QVERIFY(Read_All(csv).startsWith("\xEF\xBB\xBF" "CobID,"));
            // Frames first: the mappings name them.
            const Program_Run in = Run_Cli({"import", what, copy, "--direction", d, csv});
            QVERIFY2(in.Exit == 0, qPrintable(Describe(in)));
        }
    QCOMPARE(Snapshot(copy), Snapshot(conf));
}

void Tst_Exchange_Cli::bad_sheet_takes_nothing_unless_asked()
{
    QTemporaryDir dir;
    const QString conf = dir.path();
    QCOMPARE(Run_Cli({"import-dbc", conf, Vehicle, "--transmit", "Motor_Daten"}).Exit, 0);
    const QList<QByteArray> before = Snapshot(conf);
    const QString csv = dir.filePath("t.csv");
    Write_All(csv, "CobID;Type;Mod_Index;Byte_HiPart;Byte_LoPart;Send_on_Write\r\n"
               "0x100;CAN 2.0A 11 bits;7;1;2;1\r\n"
               "0x101;CAN 2.0A 11 bits;8;1;2;0\r\n"
               "0x100;CAN 2.0A 11 bits;9;1;9;0\r\n");
    const Program_Run r = Run_Cli({"import", "mappings", conf, "--direction", "transmit", csv});
    QCOMPARE(r.Exit, 1);
    QVERIFY2(r.Err.contains("t.csv:3: ") && r.Err.contains("t.csv:4: ") && r.Err.contains("nothing taken"), qPrintable(r.Err));
    QCOMPARE(Snapshot(conf), before);

    // A sheet of another kind has no good lines: the list is not emptied.
    const QString frames_csv = dir.filePath("f.csv");
    QCOMPARE(Run_Cli({"export", "frames", conf, "--direction", "transmit", "-o", frames_csv}).Exit, 0);
    for (const char *what : {"mappings", "frames"}) {
        const Program_Run other = Run_Cli({"import", what, conf, "--direction", "receive", frames_csv, "--take-good-lines"});
        QCOMPARE(other.Exit, 1);
        QVERIFY2(other.Err.contains("not a sheet of receive"), qPrintable(other.Err));
    }
    const Program_Run wrong = Run_Cli({"import", "mappings", conf, "--direction", "transmit", frames_csv, "--take-good-lines"});
    QCOMPARE(wrong.Exit, 1);
    QCOMPARE(Snapshot(conf), before);

    const Program_Run good = Run_Cli({"import", "mappings", conf, "--direction", "transmit", csv, "--take-good-lines"});
    QVERIFY2(good.Exit == 0, qPrintable(Describe(good)));
    QVERIFY(good.Err.contains("t.csv:3: "));
    const Project_Paths p = Project_Paths_In(conf);
    QCOMPARE(Read_Mapping_Files(p.CAN_Transmit, p.Define_CAN_Transmit, Direction::Transmit)[0].Registers,
             (QList<Editor_Register>{{"7", 1, 2, 1}}));
}

void Tst_Exchange_Cli::sheet_characters_no_file_holds_data()
{
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QString>("reason");
    QTest::newRow("NUL") << QByteArrayLiteral("Engine\0Speed") << "U+0000";
    QTest::newRow("U+0001") << QByteArray("Engine\x01Speed") << "U+0001";
    QTest::newRow("U+FFFE") << QByteArray("Engine\xEF\xBF\xBESpeed") << "U+FFFE";
}

void Tst_Exchange_Cli::sheet_characters_no_file_holds()
{
    // The bad line is named by its number and nothing is taken, or, when asked, the others are.
    QFETCH(QByteArray, bad);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString conf = dir.path();
    const QString csv = dir.filePath("f.csv");
    Write_All(csv, "CobID,Dimension,Type,TimeOut,Mnemonic\r\n0x100,8,CAN 2.0A 11 bits,0,before\r\n"
                   "0x101,8,CAN 2.0A 11 bits,0," + bad + "\r\n0x102,8,CAN 2.0A 11 bits,0,after\r\n");
    const Program_Run refused = Run_Cli({"import", "frames", conf, "--direction", "receive", csv});
    QCOMPARE(refused.Exit, 1);
    QVERIFY2(refused.Err.contains("f.csv:3: the column Mnemonic holds the character " + reason), qPrintable(refused.Err));
    QVERIFY(!QFileInfo::exists(Project_Paths_In(conf).CAN_Receive));
    const Program_Run taken = Run_Cli({"import", "frames", conf, "--direction", "receive", csv, "--take-good-lines"});
    QVERIFY2(taken.Exit == 0, qPrintable(Describe(taken)));
    QVERIFY(taken.Err.contains("f.csv:3: "));
    QList<QString> mnemonics;
    for (const Frame_Row &r : Read_Frame_File(Project_Paths_In(conf).CAN_Receive, Direction::Receive))
        if (Is_Entry(r)) mnemonics << r.Mnemonic;
    QCOMPARE(mnemonics, (QList<QString>{"before", "after"}));
}

void Tst_Exchange_Cli::frames_sheet_keeps_mappings_with_their_frames()
{
    QTemporaryDir dir;
    const QString conf = dir.path();
    QCOMPARE(Run_Cli({"import-dbc", conf, Vehicle, "--receive", "Motor_Daten,Getriebe_Status,Diagnose"}).Exit, 0);
    const Project_Paths p = Project_Paths_In(conf);
    const QList<Editor_Frame> before = Read_Mapping_Files(p.CAN_Receive, p.Define_CAN_Receive, Direction::Receive);
    // The sheet turns the list around and leaves Motor_Daten out.
    const QString csv = dir.filePath("r.csv");
    Write_All(csv, "CobID,Dimension,Type,TimeOut,Mnemonic\n"
               "1024,8,CAN 2.0A 11 bits,0,Diagnose\n"
               "0x18ff0001,8,CAN 2.0B 29 bits,300,Getriebe_Status\n");
    const Program_Run r = Run_Cli({"import", "frames", conf, "--direction", "receive", csv});
    QVERIFY2(r.Exit == 0, qPrintable(Describe(r)));
    QVERIFY2(r.Out.contains("4 register(s) of frames no longer in the list removed"), qPrintable(r.Out));
    const QList<Editor_Frame> after = Read_Mapping_Files(p.CAN_Receive, p.Define_CAN_Receive, Direction::Receive);
    QCOMPARE(after.size(), 2);
    QCOMPARE(after[0].Registers, before[2].Registers);
    QCOMPARE(after[1].Registers, before[1].Registers);
}

void Tst_Exchange_Cli::export_map()
{
    QTemporaryDir dir;
    const QString conf = dir.filePath("Bench");
    QDir().mkpath(conf);
    QCOMPARE(Run_Cli({"import-dbc", conf, Vehicle, "--receive", "Motor_Daten", "--transmit", "Diagnose"}).Exit, 0);
    for (const char *format : {"csv", "html"}) {
        const QString out = dir.filePath(QStringLiteral("map.%1").arg(format));
        const Program_Run r = Run_Cli({"export-map", conf, "--format", format, "-o", out});
        QVERIFY2(r.Exit == 0, qPrintable(Describe(r)));
        QVERIFY2(r.Out.contains("5 line(s)"), qPrintable(r.Out));
        // The date is the day of the run; compared with the same day's document.
        const Register_Map map = Read_Register_Map(Project_Paths_In(conf), "Bench", QDate::currentDate(), SW_Version_Text);
        QCOMPARE(Read_All(out), QByteArray(format == QByteArray("csv") ? Register_Map_Csv(map) : Register_Map_Html(map)));
    }
    // One line a signal, with the recipe that gives its value from its registers; signals
    // sharing a register (Temperatur and Status) each have their own.
    const QString csv = QString::fromUtf8(Read_All(dir.filePath("map.csv")));
    for (const char *line : {"receive,0,0,Drehzahl,Motor_Daten,0x100,0,16,no,no,0.125,0,U/min,0,8031.875,\r\n",
                             "receive,1,1,Temperatur,Motor_Daten,0x100,0,8,yes,no,1,-40,\u00B0C,-40,215,\r\n",
                             "receive,1,1,Status,Motor_Daten,0x100,8,4,no,no,1,0,,0,15,\r\n",
                             "receive,2,2 3,Leistung,Motor_Daten,0x100,0,32,no,no,0.001,0,kW,0,4294967.295,\r\n",
                             "transmit,0,0,Seite,Diagnose,0x400,0,8,no,no,1,0,,0,255,1=Strom 0=Spannung\r\n"})
        QVERIFY2(csv.contains(QString::fromUtf8(line)), qPrintable(QString::fromUtf8(line) + "\nnot in\n" + csv));

    // PDF, the format told by the file's name, on a machine without a display: a document that
    // another program reads the registers from.
    const QString pdf = dir.filePath("map.pdf");
    const Program_Run r = Run_Program(QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli"), {"export-map", conf, "-o", pdf}, 60000,
                                      {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    QVERIFY2(r.Exit == 0, qPrintable(Describe(r)));
    QVERIFY(Read_All(pdf).startsWith("%PDF-"));
    const QString text = Pdf_Text(pdf);
    if (text.isNull()) QSKIP("pdftotext (poppler-utils) is not installed");
    const Register_Map map = Read_Register_Map(Project_Paths_In(conf), "Bench", QDate::currentDate(), SW_Version_Text);
    QVERIFY(!map.Lines.isEmpty());
    for (const Register_Map_Line &line : map.Lines)
        QVERIFY2(QRegularExpression(QStringLiteral("\\b%1\\b").arg(line.Register)).match(text).hasMatch(),
                 qPrintable(line.Register + " is not in:\n" + text));
    QVERIFY2(text.contains("Drehzahl") && text.contains("Motor_Daten"), qPrintable(text));
    // Long texts wrap; none is cut short.
    QVERIFY2(!text.contains(QChar(0x2026)), qPrintable(text));
    QVERIFY2(text.contains("Bench") && text.contains("1.102"), qPrintable(text));
}

void Tst_Exchange_Cli::usage_errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("import-dbc without names") << QStringList{"import-dbc", ".", Vehicle};
    QTest::newRow("import-dbc without database") << QStringList{"import-dbc", ".", "--receive", "A"};
    QTest::newRow("first register too high") << QStringList{"import-dbc", ".", Vehicle, "--receive", "A", "--first-register", "65536"};
    QTest::newRow("first register without value") << QStringList{"import-dbc", ".", Vehicle, "--receive", "A", "--first-register"};
    QTest::newRow("export without direction") << QStringList{"export", "frames", ".", "-o", "x.csv"};
    QTest::newRow("export of something else") << QStringList{"export", "registers", ".", "--direction", "receive", "-o", "x.csv"};
    QTest::newRow("export without -o") << QStringList{"export", "frames", ".", "--direction", "receive"};
    QTest::newRow("import, direction misspelt") << QStringList{"import", "frames", ".", "--direction", "rx", "x.csv"};
    QTest::newRow("export-map as docx") << QStringList{"export-map", ".", "--format", "docx", "-o", "x.docx"};
    QTest::newRow("export-map, format unknown by name") << QStringList{"export-map", ".", "-o", "x.txt"};
    QTest::newRow("export-map without -o") << QStringList{"export-map", ".", "--format", "csv"};
    QTest::newRow("import, unknown option") << QStringList{"import", "frames", ".", "--direction", "receive", "x.csv", "--all"};
}

void Tst_Exchange_Cli::export_map_of_huge_texts()
{
    // A legal configuration with a signal name of 60,000 characters: the PDF shows the start of
    // it in its cell, wrapped and cut with an ellipsis, and no more than a cell holds.
    QTemporaryDir dir;
    const QString conf = dir.filePath("Huge");
    QDir().mkpath(conf);
    QCOMPARE(Run_Cli({"import-dbc", conf, Vehicle, "--receive", "Motor_Daten"}).Exit, 0);
    const QString notes = conf + QStringLiteral("/CAN_Signals.csv");
    QByteArray csv_notes = Read_All(notes);
    QVERIFY(csv_notes.contains(",Drehzahl,"));
    Write_All(notes, csv_notes.replace(",Drehzahl,", ",Start " + QByteArray(60000, 'x') + ","));
    const QString pdf = dir.filePath("map.pdf");
    const Program_Run r = Run_Program(QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli"), {"export-map", conf, "-o", pdf}, 60000,
                                      {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    QVERIFY2(r.Exit == 0, qPrintable(Describe(r)));
    const QString text = Pdf_Text(pdf);
    if (text.isNull()) QSKIP("pdftotext (poppler-utils) is not installed");
    QVERIFY2(text.contains(QStringLiteral("Start xxx")) && text.contains(QChar(0x2026)), qPrintable(text.left(2000)));
    QVERIFY(!text.contains(QString(513, QLatin1Char('x'))));
    // The CSV keeps the whole text.
    const QString csv = dir.filePath("map.csv");
    QCOMPARE(Run_Cli({"export-map", conf, "--format", "csv", "-o", csv}).Exit, 0);
    QVERIFY(Read_All(csv).contains("Start " + QByteArray(60000, 'x') + ","));
}

void Tst_Exchange_Cli::missing_folder_is_an_error()
{
    // Not a usage error: a folder that is not there.
    for (const QStringList &args : {QStringList{"export", "frames", "/nonexistent/conf", "--direction", "receive", "-o", "x.csv"},
                                    QStringList{"import-dbc", "/nonexistent/conf", Vehicle, "--receive", "Diagnose"},
                                    QStringList{"export-map", "/nonexistent/conf", "--format", "csv", "-o", "x.csv"}}) {
        const Program_Run r = Run_Cli(args);
        QCOMPARE(r.Exit, 1);
        QVERIFY2(r.Err.contains("no such configuration folder"), qPrintable(r.Err));
    }
}

void Tst_Exchange_Cli::usage_errors()
{
    QFETCH(QStringList, args);
    const Program_Run r = Run_Cli(args);
    QCOMPARE(r.Exit, 2);
    QVERIFY(!r.Err.isEmpty());
}

QTEST_GUILESS_MAIN(Tst_Exchange_Cli)
#include "tst_core_exchange_cli.moc"
