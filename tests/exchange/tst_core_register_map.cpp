// The register map for the Modbus side, from a configuration's files: the header names the
// converter as the settings hold it, every register appears once in register order per
// direction, and texts of the user reach CSV and HTML without breaking either.
#include "File_Bytes.h"
#include "config/Project_Files.h"
#include "exchange/Register_Map.h"
#include "exchange/Signal_Notes.h"
#include "platform/Xml_Document.h"

#include <QTemporaryDir>
#include <QtTest>

class Tst_Register_Map : public QObject {
    Q_OBJECT
private slots:
    void lines_and_header();
    void missing_settings_show_what_the_device_gets();
    void csv_and_html();
    void signals_stand_beside_their_registers_while_they_hold();
    void notes_that_cannot_be_read_are_not_rewritten_data();
    void notes_that_cannot_be_read_are_not_rewritten();
};

namespace {

Project_Paths Sample(const QTemporaryDir &dir)
{
    const Project_Paths p = Project_Paths_In(dir.path());
    Par_Gen_Texts par{"6", {"10", "1", "2", "3"}, {"255", "255", "255", "0"}, "0", {"10", "1", "2", "1"}, "1502"};
    Write_Par_Gen_File(p.ParGen, par);
    Frame_Row r1{"0x181", "8", Frame_Type_11, "100", "", "", "", "Motor, <links> & \"rechts\"", -1};
    Frame_Row r2{"0x18FF0001", "4", Frame_Type_29, "0", "", "", "", "Getriebe", -1};
    Write_Frame_File(p.CAN_Receive, Direction::Receive, {r1, r2});
    Frame_Row t1{"0x201", "2", Frame_Type_11, "", "N", "Y", "100", "Anzeige", -1};
    Write_Frame_File(p.CAN_Transmit, Direction::Transmit, {t1});
    Write_Map_File(p.Define_CAN_Receive, Direction::Receive,
                   {Editor_Frame{"0x181", 8, {{"0x20", 1, 2, 0}, {"3", 0, 3, 0}}}, Editor_Frame{"0x18FF0001", 4, {{"10", 4, 3, 0}}}});
    Write_Map_File(p.Define_CAN_Transmit, Direction::Transmit, {Editor_Frame{"0x201", 2, {{"7", 1, 2, 1}, {"3", 0, 1, 0}}}});
    return p;
}

}  // namespace

void Tst_Register_Map::lines_and_header()
{
    QTemporaryDir dir;
    const Register_Map map = Read_Register_Map(Sample(dir), "Prüfstand", QDate(2026, 12, 10), "1.102");
    QCOMPARE(map.Address, QStringLiteral("10.1.2.3"));
    QCOMPARE(map.Port, QStringLiteral("1502"));
    QCOMPARE(map.Bit_Rate, QStringLiteral("500K"));
    QStringList lines;
    for (const Register_Map_Line &l : map.Lines)
        lines << QStringLiteral("%1 %2 %3 %4/%5 %6").arg(Register_Access(l.Dir), l.Register, l.CobID).arg(l.HiPart).arg(l.LoPart).arg(l.Send_On_Write);
    QCOMPARE(lines, (QStringList{"read 3 0x181 0/3 0", "read 10 0x18FF0001 4/3 0", "read 0x20 0x181 1/2 0",
                                 "read/write 3 0x201 0/1 0", "read/write 7 0x201 1/2 1"}));
}

void Tst_Register_Map::missing_settings_show_what_the_device_gets()
{
    // Without a settings file the device keeps its own address; a setting that does not convert
    // is the build's fallback, not the text.
    QTemporaryDir dir;
    const Register_Map map = Read_Register_Map(Project_Paths_In(dir.path()), "leer", QDate(2026, 1, 2), "1.102");
    QCOMPARE(map.Address, QStringLiteral("192.168.2.205"));
    QCOMPARE(map.Port, QStringLiteral("10001"));
    QCOMPARE(map.Bit_Rate, QStringLiteral("125K"));
    Write_Par_Gen_File(Project_Paths_In(dir.path()).ParGen,
                       Par_Gen_Texts{"x", {"10", "0x14", "zwei", "3"}, {"255", "255", "255", "0"}, "0", {"1", "1", "1", "1"}, "$1F7"});
    const Register_Map set = Read_Register_Map(Project_Paths_In(dir.path()), "leer", QDate(2026, 1, 2), "1.102");
    QCOMPARE(set.Address, QStringLiteral("10.20.0.3"));
    QCOMPARE(set.Port, QStringLiteral("503"));
    QCOMPARE(set.Bit_Rate, QStringLiteral("250K"));
    QVERIFY(map.Lines.isEmpty());
}

void Tst_Register_Map::csv_and_html()
{
    QTemporaryDir dir;
    const Register_Map map = Read_Register_Map(Sample(dir), "Prüfstand", QDate(2026, 12, 10), "1.102");
    const QByteArray bytes = Register_Map_Csv(map);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF" "Configuration,Pr\xC3\xBC" "fstand\r\nConverter address,10.1.2.3\r\n"));
    const QString csv = QString::fromUtf8(bytes);
    QVERIFY(csv.contains("Date,2026-12-10\r\nProgram version,1.102\r\n\r\n"
                         "Direction,Register,Registers,Signal,Message,Cob-ID,Shift,Length,Signed,Float,Factor,Offset,Unit,"
                         "Minimum,Maximum,Values\r\n"));
    // A register without a signal reads as itself.
    QVERIFY2(csv.contains("receive,3,3,,\"Motor, <links> & \"\"rechts\"\"\",0x181,0,16,no,no,1,0,,,,\r\n"), qPrintable(csv));
    QVERIFY(csv.endsWith("transmit,7,7,,Anzeige,0x201,0,16,no,no,1,0,,,,\r\n"));

    // A folder named like a formula reaches the header as text.
    const QByteArray formula = Register_Map_Csv(Read_Register_Map(Sample(dir), "=1+1", QDate(2026, 12, 10), "1.102"));
    QVERIFY2(formula.startsWith("\xEF\xBB\xBF" "Configuration,\"'=1+1\"\r\n"), formula.left(60).constData());

    const QString html = QString::fromUtf8(Register_Map_Html(map));
    QVERIFY(html.contains("<td>Motor, &lt;links&gt; &amp; &quot;rechts&quot;</td>"));
    QVERIFY(html.contains("<title>Register map: Prüfstand</title>"));
    QCOMPARE(html.count("<tr><td>"), 5);
}

void Tst_Register_Map::signals_stand_beside_their_registers_while_they_hold()
{
    QTemporaryDir dir;
    const Project_Paths p = Sample(dir);
    const QList<Signal_Note> notes{
        {Direction::Receive, "385", "CAN 2.0A 11 BITS", 3, 0, 3, "Motor", "Temperatur", QString::fromUtf8("°C, roh"), "1", "-40"},
        {Direction::Transmit, "0x201", Frame_Type_11, 7, 1, 2, "Anzeige", "Wert", "", "0.5", "0"},
        // The same register number on another frame: not this register's signal.
        {Direction::Transmit, "0x201", Frame_Type_29, 3, 0, 1, "Andere", "X", "", "1", "0"}};
    Save_File_Atomic(p.Signal_Notes, Signal_Notes_Bytes(notes));
    QList<Signal_Note> read_back = notes;
    for (Signal_Note &n : read_back) n.Registers = {{n.Register, n.HiPart, n.LoPart}};
    QCOMPARE(Read_Signal_Notes(p.Signal_Notes), read_back);

    Register_Map map = Read_Register_Map(p, "x", QDate(2026, 12, 10), "1.102");
    QVERIFY(map.Has_Signals);
    QStringList signal_names;
    for (const Register_Map_Line &l : map.Lines) signal_names << l.Signal + QLatin1Char('|') + l.Unit;
    QCOMPARE(signal_names, (QStringList{QString::fromUtf8("Temperatur|°C, roh"), "|", "|", "|", "Wert|"}));
    // A note of an older file has no recipe: its line gives what it knows.
    QVERIFY2(QString::fromUtf8(Register_Map_Csv(map)).contains(QString::fromUtf8("receive,3,3,Temperatur,Motor,0x181,,,,,1,-40,\"°C, roh\",,,\r\n")),
             qPrintable(QString::fromUtf8(Register_Map_Csv(map))));

    // The frames change places in the list, their registers with them: the signal follows.
    Write_Frame_File(p.CAN_Receive, Direction::Receive,
                     {Frame_Row{"0x18FF0001", "4", Frame_Type_29, "0", "", "", "", "Getriebe", -1},
                      Frame_Row{"0x181", "8", Frame_Type_11, "100", "", "", "", "Motor", -1}});
    Write_Map_File(p.Define_CAN_Receive, Direction::Receive,
                   {Editor_Frame{"0x18FF0001", 4, {{"10", 4, 3, 0}}}, Editor_Frame{"0x181", 8, {{"0x20", 1, 2, 0}, {"3", 0, 3, 0}}}});
    map = Read_Register_Map(p, "x", QDate(2026, 12, 10), "1.102");
    QCOMPARE(map.Lines[0].Signal, QStringLiteral("Temperatur"));
    QCOMPARE(map.Lines[0].CobID, QStringLiteral("0x181"));

    // Remapped in the editor to other bytes: the database no longer describes the register.
    Write_Map_File(p.Define_CAN_Receive, Direction::Receive,
                   {Editor_Frame{"0x181", 8, {{"0x20", 1, 2, 0}, {"3", 0, 4, 0}}}, Editor_Frame{"0x18FF0001", 4, {}}});
    map = Read_Register_Map(p, "x", QDate(2026, 12, 10), "1.102");
    QCOMPARE(map.Lines[0].Signal, QString());
    QCOMPARE(map.Lines.last().Signal, QStringLiteral("Wert"));
}

void Tst_Register_Map::notes_that_cannot_be_read_are_not_rewritten_data()
{
    QTest::addColumn<QByteArray>("bytes");   // null: a folder stands where the file would be
    QTest::addColumn<int>("fault_line");     // -1: read as it stands
    const QByteArray header = "Direction,CobID,Type,Mod_Index,Byte_HiPart,Byte_LoPart,Message,Signal,Unit,Factor,Offset\r\n";
    const QByteArray good = "receive,0x181,CAN 2.0A 11 bits,3,0,3,Motor,Temp,C,1,-40\r\n";
    QTest::newRow("good") << header + good + good << -1;
    QTest::newRow("empty file") << QByteArray("") << -1;
    QTest::newRow("a line short of a field") << header + good + "receive,0x181,CAN 2.0A 11 bits,3,0,3,Motor,Temp,C,1\r\n" << 3;
    QTest::newRow("a direction of neither") << header + "both,0x181,x,3,0,3,M,S,U,1,0\r\n" + good << 2;
    QTest::newRow("a register that is no number") << header + good + "receive,0x181,x,three,0,3,M,S,U,1,0\r\n" << 3;
    QTest::newRow("another sheet's header") << QByteArray("CobID,Dimension\r\n") + good << 1;
    QTest::newRow("a folder in its place") << QByteArray() << 0;
}

void Tst_Register_Map::notes_that_cannot_be_read_are_not_rewritten()
{
    // An import rewrites the notes with its own added: a note it cannot read would be lost, so
    // the rewrite is refused with the file and line; the register map still shows what it can.
    QFETCH(QByteArray, bytes);
    QFETCH(int, fault_line);
    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Signals.csv");
    if (bytes.isNull()) {
        QVERIFY(QDir().mkdir(path));
    } else {
        Write_All(path, bytes);
    }
    const qsizetype lenient = Read_Signal_Notes(path).size();
    try {
        const QList<Signal_Note> notes = Read_Signal_Notes_To_Rewrite(path);
        QVERIFY2(fault_line < 0, "read although it cannot be rewritten whole");
        QCOMPARE(notes.size(), lenient);
    } catch (const Xml_Error &e) {
        QVERIFY2(fault_line >= 0, qPrintable(e.Text()));
        QCOMPARE(e.File, path);
        QCOMPARE(e.Line, fault_line);
    }
    QVERIFY(Read_Signal_Notes_To_Rewrite(dir.filePath("none.csv")).isEmpty());
}

QTEST_APPLESS_MAIN(Tst_Register_Map)
#include "tst_core_register_map.moc"
