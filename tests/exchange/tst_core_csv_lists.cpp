// The frame lists and mappings as spreadsheets: what goes out comes back text for text, sheets
// saved by spreadsheet programs (semicolons, Windows-1252, quoted line breaks) are read, and every
// bad line is named by its line in the file.
#include "exchange/Csv_Lists.h"

#include <QRegularExpression>
#include <QtTest>

class Tst_Csv_Lists : public QObject {
    Q_OBJECT
private slots:
    void frames_round_trip_data();
    void frames_round_trip();
    void mappings_round_trip();
    void sheet_from_a_spreadsheet();
    void cells_a_spreadsheet_would_run_data();
    void cells_a_spreadsheet_would_run();
    void bad_frame_lines_data();
    void bad_frame_lines();
    void bad_mapping_lines_data();
    void bad_mapping_lines();
    void at_most_250_frames();
    void mappings_find_frames_by_value_and_type();
    void stored_frames_are_followed();
};

namespace {

Frame_Row Receive(const QString &cob_id, const QString &mnemonic, const QString &type = Frame_Type_11)
{
    Frame_Row r;
    r.CobID = cob_id;
    r.Dimension = QStringLiteral("8");
    r.Type = type;
    r.TimeOut = QStringLiteral("100");
    r.Mnemonic = mnemonic;
    return r;
}

QList<Frame_Row> Tricky_Rows(Direction dir)
{
    QList<Frame_Row> rows{Receive("0x181", "plain"), Receive("$182", "comma, semicolon; \"quotes\""),
                          Receive("387", "two\r\nlines"), Receive(" 0x10", " leading and trailing "),
                          Receive("0x18FF0001", QString::fromUtf8("Drehzahl für Öl €"), Frame_Type_29),
                          Receive("0x11", "")};
    if (dir == Direction::Transmit)
        for (Frame_Row &r : rows) {
            r.TimeOut.clear();
            r.DataChange = QStringLiteral("Y");
            r.OnTimer = r.Mnemonic.isEmpty() ? QString() : QStringLiteral("N");
            r.SendTimer = r.Mnemonic.isEmpty() ? QString() : QStringLiteral("0x20");
        }
    return rows;
}

QStringList Faults(const QList<Csv_Fault> &faults)
{
    QStringList out;
    for (const Csv_Fault &f : faults) out << QStringLiteral("%1: %2").arg(f.Line).arg(f.Reason);
    return out;
}

// Every expected piece must stand in the fault of its line, in order.
void Compare_Faults(const QList<Csv_Fault> &faults, const QStringList &expected)
{
    QCOMPARE(faults.size(), expected.size());
    for (int i = 0; i < faults.size(); ++i) {
        const QString line = expected[i].section(QLatin1Char(':'), 0, 0);
        const QString piece = expected[i].section(QLatin1Char(':'), 1).trimmed();
        QVERIFY2(faults[i].Line == line.toInt() && faults[i].Reason.contains(piece), qPrintable(Faults(faults).join('\n')));
    }
}

QByteArray Sheet(const QByteArray &text) { return QByteArray("\xEF\xBB\xBF") + text; }
QByteArray Sheet(const char *text) { return Sheet(QByteArray(text)); }

// The text of a cell as a spreadsheet gets it from the file (RFC 4180 quotes taken away).
QString Unquoted(const QString &cell)
{
    if (!cell.startsWith(u'"')) return cell;
    return cell.mid(1, cell.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

}  // namespace

void Tst_Csv_Lists::frames_round_trip_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::newRow("receive") << false;
    QTest::newRow("transmit") << true;
}

void Tst_Csv_Lists::frames_round_trip()
{
    QFETCH(bool, transmit);
    const Direction dir = transmit ? Direction::Transmit : Direction::Receive;
    const QList<Frame_Row> rows = Tricky_Rows(dir);
    const QByteArray sheet = Frame_List_Csv(dir, rows);
    QVERIFY(sheet.startsWith(transmit ? "\xEF\xBB\xBF" "CobID,Dimension,Type,DataChange,OnTimer,SendTimer,Mnemonic\r\n"
                                      : "\xEF\xBB\xBF" "CobID,Dimension,Type,TimeOut,Mnemonic\r\n"));
    const Frame_Csv_Read back = Read_Frame_Csv(dir, sheet);
    QCOMPARE(Faults(back.Faults), QStringList());
    QCOMPARE(back.Rows, rows);
    // An empty list is a header alone.
    QCOMPARE(Read_Frame_Csv(dir, Frame_List_Csv(dir, {})).Rows, QList<Frame_Row>());
    // The same sheet with its lines ended by CR alone, as older spreadsheets save them, reads
    // alike (a CR inside quotes stays a character of its cell).
    QByteArray cr_only;
    bool quoted = false;
    for (qsizetype i = 0; i < sheet.size(); ++i) {
        if (sheet[i] == '"') quoted = !quoted;
        if (!quoted && sheet[i] == '\r' && i + 1 < sheet.size() && sheet[i + 1] == '\n') {
            cr_only += '\r';
            ++i;
            continue;
        }
        cr_only += sheet[i];
    }
    const Frame_Csv_Read cr_back = Read_Frame_Csv(dir, cr_only);
    QCOMPARE(Faults(cr_back.Faults), QStringList());
    QCOMPARE(cr_back.Rows, rows);
}

void Tst_Csv_Lists::mappings_round_trip()
{
    for (const Direction dir : {Direction::Receive, Direction::Transmit}) {
        const QList<Frame_Row> rows = Tricky_Rows(dir);
        QList<Editor_Frame> frames;
        for (const Frame_Row &r : rows) frames.append(Editor_Frame{r.CobID, 8, {}});
        frames[0].Registers = {{"0x10", 1, 2, 1}, {"5", 0, 8, 0}};
        frames[2].Registers = {{" 7", 0, 0, 0}};
        frames[4].Registers = {{"$FFFF", 8, 0, 1}, {"6", 3, 0, 0}, {"4", 0, 3, 1}};
        if (dir == Direction::Receive)
            for (Editor_Frame &f : frames)
                for (Editor_Register &r : f.Registers) r.Write = 0;
        QList<Editor_Frame> empty = frames;
        for (Editor_Frame &f : empty) f.Registers = {{"99", 1, 1, 0}};  // replaced by the sheet
        const Mapping_Csv_Read back = Read_Mapping_Csv(dir, Mapping_List_Csv(dir, frames, rows), empty, rows, 0);
        QCOMPARE(Faults(back.Faults), QStringList());
        QCOMPARE(back.Frames, frames);
        QCOMPARE(back.Taken, 6);
    }
}

void Tst_Csv_Lists::sheet_from_a_spreadsheet()
{
    // Semicolons, no byte-order mark, Windows-1252, a line break inside quotes, a blank line at
    // the end, header names in other letter case.
    const QByteArray sheet = "cobid;Dimension;TYPE;TimeOut;Mnemonic\r\n"
                             "0x181;8;CAN 2.0A 11 bits;100;Drehzahl \xFC" "ber \x80\r\n"
                             "0x182;4;CAN 2.0B 29 bits;0;\"zwei\r\nZeilen; mit \"\"x\"\"\"\r\n"
                             "\r\n";
    const Frame_Csv_Read r = Read_Frame_Csv(Direction::Receive, sheet);
    QCOMPARE(Faults(r.Faults), QStringList());
    QCOMPARE(r.Rows.size(), 2);
    QCOMPARE(r.Rows[0].Mnemonic, QString::fromUtf8("Drehzahl über €"));
    QCOMPARE(r.Rows[1].Mnemonic, QStringLiteral("zwei\r\nZeilen; mit \"x\""));
    QCOMPARE(r.Rows[1].Type, Frame_Type_29);
}

void Tst_Csv_Lists::cells_a_spreadsheet_would_run_data()
{
    // A text of the lists and its cell in the sheet.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");
    QTest::newRow("=") << "=2*21" << "\"'=2*21\"";
    QTest::newRow("+") << "+SUM(A1:A9)" << "\"'+SUM(A1:A9)\"";
    QTest::newRow("-") << "-2+3+cmd|' /C calc'!A0" << "\"'-2+3+cmd|' /C calc'!A0\"";
    QTest::newRow("@") << "@SUM(1;2)" << "\"'@SUM(1;2)\"";
    QTest::newRow("tab") << "\t=1" << "\"'\t=1\"";
    QTest::newRow("carriage return") << "\r=1" << "\"'\r=1\"";
    QTest::newRow("an equals sign alone") << "=" << "\"'=\"";
    // Numbers a spreadsheet reads as numbers, and the map's "no byte", stay as they are.
    QTest::newRow("negative number") << "-5" << "-5";
    QTest::newRow("signed number") << "+12" << "+12";
    QTest::newRow("fraction") << "-0.25" << "-0.25";
    QTest::newRow("a lone minus") << "-" << "-";
    QTest::newRow("hexadecimal, negative") << "-0x10" << "\"'-0x10\"";
    // A text that begins with an apostrophe keeps it through the round trip.
    QTest::newRow("apostrophe before a formula") << "'=2*21" << "\"''=2*21\"";
    QTest::newRow("two apostrophes") << "''" << "\"'''\"";
    QTest::newRow("apostrophe before a number") << "'-5" << "\"''-5\"";
    QTest::newRow("apostrophe before a word") << "'quoted" << "'quoted";
    QTest::newRow("apostrophe alone") << "'" << "'";
    QTest::newRow("plain") << "Engine speed" << "Engine speed";
}

void Tst_Csv_Lists::cells_a_spreadsheet_would_run()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    for (const Direction dir : {Direction::Receive, Direction::Transmit}) {
        QList<Frame_Row> rows{Receive("0x181", text)};
        if (dir == Direction::Transmit) {
            rows[0].TimeOut.clear();
            rows[0].DataChange = QStringLiteral("Y");
        }
        const QString sheet = QString::fromUtf8(Frame_List_Csv(dir, rows));
        const QString line = sheet.mid(sheet.indexOf(QStringLiteral("\r\n")) + 2);
        QVERIFY2(line.endsWith(QLatin1Char(',') + cell + QStringLiteral("\r\n")), qPrintable(line));
        // What a spreadsheet reads from the file is no formula: it starts with none of = + - @
        // tab or carriage return, unless it is a plain number or a lone minus.
        const QString shown = Unquoted(cell);
        static const QRegularExpression number(QStringLiteral("^[+-]?[0-9.]+$"));
        QVERIFY2(shown.isEmpty() || !QStringLiteral("=+-@\t\r").contains(shown[0]) || number.match(shown).hasMatch() ||
                     shown == u"-",
                 qPrintable(shown));
        // Imported again, the very text comes back.
        const Frame_Csv_Read back = Read_Frame_Csv(dir, sheet.toUtf8());
        QCOMPARE(Faults(back.Faults), QStringList());
        QCOMPARE(back.Rows, rows);
    }
    QCOMPARE(Spreadsheet_Safe_Cell(text), Unquoted(cell));
    QCOMPARE(Sheet_Cell_Text(Spreadsheet_Safe_Cell(text)), text);
    // Mapping sheets alike: the register index is written as typed.
    const QList<Frame_Row> rows{Receive("0x181", "a")};
    const QList<Editor_Frame> frames{Editor_Frame{"0x181", 8, {{text, 1, 2, 0}}}};
    const QByteArray sheet = Mapping_List_Csv(Direction::Receive, frames, rows);
    QVERIFY2(sheet.contains("," + cell.toUtf8() + ",1,2\r\n"), sheet.constData());
}

void Tst_Csv_Lists::bad_frame_lines_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<int>("good");
    QTest::addColumn<QStringList>("faults");

    QTest::newRow("each rule") << false
                               << Sheet("CobID,Dimension,Type,TimeOut,Mnemonic\r\n"
                                        "0x800,8,CAN 2.0A 11 bits,0,too high for 11 bits\r\n"
                                        "0x800,8,CAN 2.0B 29 bits,0,fine\r\n"
                                        "0x1,9,CAN 2.0A 11 bits,0,nine bytes\r\n"
                                        "0x2,8,CAN 2.0A 11 bits,,no time-out\r\n"
                                        ",8,CAN 2.0A 11 bits,0,no Cob-ID\r\n"
                                        "0x3,8,CAN 2.0C,0,no such type\r\n"
                                        "0x4,8,,0,no type\r\n"
                                        "0x5,8,CAN 2.0A 11 bits,0\r\n"
                                        "0x6,8,CAN 2.0A 11 bits,0,a,b\r\n")
                               << 1
                               << QStringList{"2: 0x7FF", "4: Dimension", "5: TimeOut", "6: Cob-ID is empty",
                                              "7: Type must be", "8: Type is empty", "9: 4 columns", "10: 6 columns"};
    QTest::newRow("lines counted over quoted line breaks")
        << false
        << Sheet("CobID,Dimension,Type,TimeOut,Mnemonic\n"
                 "0x1,8,CAN 2.0A 11 bits,0,\"a\nb\nc\"\n"
                 "0x2,0,CAN 2.0A 11 bits,0,x\n")
        << 1 << QStringList{"5: Dimension"};
    QTest::newRow("transmit: send timer only on the timer, check boxes Y or N")
        << true
        << Sheet("CobID,Dimension,Type,DataChange,OnTimer,SendTimer,Mnemonic\r\n"
                 "0x1,8,CAN 2.0A 11 bits,N,N,,not on the timer\r\n"
                 "0x2,8,CAN 2.0A 11 bits,N,Y,,on the timer without period\r\n"
                 "0x3,8,CAN 2.0A 11 bits,yes,N,,\r\n")
        << 1 << QStringList{"3: SendTimer", "4: Y or N"};
    QTest::newRow("wrong header") << false << Sheet("CobID,Dimension,Type,Mnemonic\r\n0x1,8,CAN 2.0A 11 bits,x\r\n")
                                  << 0 << QStringList{"1: header row must be"};
    QTest::newRow("empty file") << false << QByteArray() << 0 << QStringList{"1: header row is missing"};
    QTest::newRow("quote not closed") << false
                                      << Sheet("CobID,Dimension,Type,TimeOut,Mnemonic\r\n0x1,8,CAN 2.0A 11 bits,0,ok\r\n"
                                               "0x2,8,CAN 2.0A 11 bits,0,\"open\r\n")
                                      << 1 << QStringList{"3: not closed"};
    // Characters no configuration file can hold: a NUL would cut the text short, the others
    // would make the file unwritable. Each is its line's fault; the lines around it are good.
    const QByteArray header = "CobID,Dimension,Type,TimeOut,Mnemonic\r\n";
    const QByteArray before = "0x1,8,CAN 2.0A 11 bits,0,before\r\n";
    const QByteArray after = "0x3,8,CAN 2.0A 11 bits,0,after\r\n";
    QTest::newRow("NUL in a mnemonic")
        << false << Sheet(header + before + QByteArrayLiteral("0x2,8,CAN 2.0A 11 bits,0,Engine\0Speed\r\n") + after) << 2
        << QStringList{"3: column Mnemonic holds the character U+0000"};
    QTest::newRow("U+0001 in a mnemonic")
        << false << Sheet(header + before + "0x2,8,CAN 2.0A 11 bits,0,Engine\x01Speed\r\n" + after) << 2
        << QStringList{"3: column Mnemonic holds the character U+0001"};
    QTest::newRow("U+FFFE in a mnemonic")
        << false << Sheet(header + before + "0x2,8,CAN 2.0A 11 bits,0,Engine\xEF\xBF\xBESpeed\r\n" + after) << 2
        << QStringList{"3: column Mnemonic holds the character U+FFFE"};
    QTest::newRow("U+0001 after a quoted cell over lines")
        << true
        << Sheet("CobID,Dimension,Type,DataChange,OnTimer,SendTimer,Mnemonic\r\n"
                 "0x1,8,CAN 2.0A 11 bits,N,N,,\"two\r\nlines\"\r\n"
                 "0x2,8,CAN 2.0A 11 bits,N\x01,N,,x\r\n")
        << 1 << QStringList{"4: column DataChange holds the character U+0001"};
    QTest::newRow("text after a closing quote") << false
                                                << Sheet("CobID,Dimension,Type,TimeOut,Mnemonic\r\n"
                                                         "0x2,8,CAN 2.0A 11 bits,0,\"a\"b\r\n")
                                                << 0 << QStringList{"2: closing quote"};
}

void Tst_Csv_Lists::bad_frame_lines()
{
    QFETCH(bool, transmit);
    QFETCH(QByteArray, sheet);
    QFETCH(QStringList, faults);
    const Frame_Csv_Read r = Read_Frame_Csv(transmit ? Direction::Transmit : Direction::Receive, sheet);
    Compare_Faults(r.Faults, faults);
    QTEST(int(r.Rows.size()), "good");
}

void Tst_Csv_Lists::bad_mapping_lines_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<int>("other");
    QTest::addColumn<int>("good");
    QTest::addColumn<QStringList>("faults");

    const QByteArray header = "CobID,Type,Mod_Index,Byte_HiPart,Byte_LoPart,Send_on_Write\r\n";
    QTest::newRow("each rule") << Sheet(header +
                                        "0x181,CAN 2.0A 11 bits,1,1,2,0\r\n"
                                        "0x181,CAN 2.0B 29 bits,2,1,2,0\r\n"
                                        "0x999,CAN 2.0A 11 bits,3,1,2,0\r\n"
                                        "0x181,CAN 2.0A 11 bits,65536,1,2,0\r\n"
                                        "0x181,CAN 2.0A 11 bits,$1,1,2,0\r\n"
                                        "0x182,CAN 2.0A 11 bits,4,5,0,0\r\n"
                                        "0x182,CAN 2.0A 11 bits,5,0,-1,0\r\n"
                                        "0x182,CAN 2.0A 11 bits,6,0,4,2\r\n"
                                        "0x182,CAN 2.0A 11 bits,7,0,4\r\n"
                                        "0x182,CAN 2.0A 11 bits,8,0,4,1\r\n")
                               << 0 << 2
                               << QStringList{"3: no frame 0x181 (CAN 2.0B 29 bits)", "4: no frame 0x999",
                                              "5: outside 0..65535", "6: on line 2 already", "7: 0..4", "8: 0..4",
                                              "9: 0 or 1", "10: 5 columns"};
    QTest::newRow("NUL in a register index")
        << Sheet(header + QByteArrayLiteral("0x181,CAN 2.0A 11 bits,1\0,1,2,0\r\n") + "0x181,CAN 2.0A 11 bits,2,1,2,0\r\n")
        << 0 << 1 << QStringList{"2: column Mod_Index holds the character U+0000"};
    QTest::newRow("device full with the other direction")
        << Sheet(header + "0x181,CAN 2.0A 11 bits,1,1,2,0\r\n0x181,CAN 2.0A 11 bits,2,1,2,0\r\n")
        << Max_Map_Records - 1 << 1 << QStringList{"3: 4096"};
}

void Tst_Csv_Lists::bad_mapping_lines()
{
    QFETCH(QByteArray, sheet);
    QFETCH(int, other);
    QFETCH(QStringList, faults);
    const QList<Frame_Row> rows{Receive("0x181", "a"), Receive("0x182", "b")};
    const QList<Editor_Frame> frames{Editor_Frame{"0x181", 8, {}}, Editor_Frame{"0x182", 4, {}}};
    const Mapping_Csv_Read r = Read_Mapping_Csv(Direction::Transmit, sheet, frames, rows, other);
    Compare_Faults(r.Faults, faults);
    QTEST(r.Taken, "good");
}

void Tst_Csv_Lists::at_most_250_frames()
{
    QByteArray sheet = "CobID,Dimension,Type,TimeOut,Mnemonic\n";
    for (int i = 0; i <= Max_Frame_Entries; ++i) sheet += QByteArray::number(i) + ",8,CAN 2.0A 11 bits,0,\n";
    const Frame_Csv_Read r = Read_Frame_Csv(Direction::Receive, sheet);
    QCOMPARE(r.Rows.size(), Max_Frame_Entries);
    Compare_Faults(r.Faults, {"252: at most 250"});
}

void Tst_Csv_Lists::mappings_find_frames_by_value_and_type()
{
    // The list holds 385 (11-bit) and 0x181 (29-bit); the sheet writes them otherwise.
    const QList<Frame_Row> rows{Receive("385", "a"), Receive("0x181", "b", Frame_Type_29)};
    const QList<Editor_Frame> frames{Editor_Frame{"385", 8, {}}, Editor_Frame{"0x181", 8, {}}};
    const Mapping_Csv_Read r = Read_Mapping_Csv(Direction::Receive,
                                                Sheet("CobID,Type,Mod_Index,Byte_HiPart,Byte_LoPart\r\n"
                                                      "0x181,can 2.0a 11 bits,1,0,1\r\n"
                                                      "$181,CAN 2.0B 29 bits,2,0,1\r\n"),
                                                frames, rows, 0);
    QCOMPARE(Faults(r.Faults), QStringList());
    QCOMPARE(r.Frames[0].Registers, (QList<Editor_Register>{{"1", 0, 1, 0}}));
    QCOMPARE(r.Frames[1].Registers, (QList<Editor_Register>{{"2", 0, 1, 0}}));
}

void Tst_Csv_Lists::stored_frames_are_followed()
{
    const QList<Frame_Row> stored{Receive("0x100", "a"), Receive("0x200", "b"), Receive("0x100", "c", Frame_Type_29),
                                  Receive("0x300", "d")};
    QList<Frame_Row> rows{Receive("0x300", "d"), Receive("512", "b"), Receive("0x100", "c", Frame_Type_29),
                          Receive("0x400", "new"), Receive("0x100", "a")};
    Follow_Stored_Frames(rows, stored);
    QList<int> index;
    for (const Frame_Row &r : rows) index << r.Stored_Index;
    QCOMPARE(index, (QList<int>{3, 1, 2, -1, 0}));
}

QTEST_APPLESS_MAIN(Tst_Csv_Lists)
#include "tst_core_csv_lists.moc"
