// Messages of a CAN database becoming frame rows, and their signals registers: the rows pass the
// frame list editor's checks, nothing is added twice, and the register numbers and bytes are
// those a PLC programmer would read off the database.
#include "editing/Frame_List.h"
#include "exchange/Dbc_Import.h"
#include "test_config.h"

#include <QtTest>

using Regs = QList<std::pair<int32_t, int32_t>>;
Q_DECLARE_METATYPE(Regs)

class Tst_Dbc_Import : public QObject {
    Q_OBJECT
private slots:
    void frame_row_data();
    void frame_row();
    void frames_fill_empty_rows_once();
    void full_grid_takes_nothing();
    void signal_bytes_data();
    void signal_bytes();
    void signals_of_the_vehicle();
    void register_limits_data();
    void register_limits();
    void signal_beyond_a_shorter_frame();
    void a_second_import_maps_nothing_twice();
};

namespace {

Dbc_Message Message(uint32_t raw_id, int length, int cycle, const QString &name = QStringLiteral("M"))
{
    Dbc_Message m;
    m.Raw_Id = raw_id;
    m.Length = length;
    m.Cycle_Time = cycle;
    m.Name = name;
    return m;
}

Dbc_Signal Signal(int start, int length, bool little, const QString &name = QStringLiteral("S"))
{
    Dbc_Signal s;
    s.Name = name;
    s.Start_Bit = start;
    s.Length = length;
    s.Little_Endian = little;
    return s;
}

Frame_Row Row(const QString &cob_id, const QString &type, const QString &dimension = QStringLiteral("8"))
{
    Frame_Row r;
    r.CobID = cob_id;
    r.Type = type;
    r.Dimension = dimension;
    r.TimeOut = QStringLiteral("0");
    return r;
}

QStringList Lines(const Signal_Import &imp)
{
    QStringList out;
    for (const Editor_Frame &f : imp.Frames)
        for (const Editor_Register &r : f.Registers) out << QStringLiteral("%1 %2:%3/%4").arg(f.CobID, r.Ind_Mod).arg(r.HiPart).arg(r.LoPart);
    return out;
}

QStringList Skipped(const QList<Import_Note> &notes)
{
    QStringList out;
    for (const Import_Note &n : notes) out << n.Name;
    return out;
}

}  // namespace

void Tst_Dbc_Import::frame_row_data()
{
    QTest::addColumn<uint32_t>("raw_id");
    QTest::addColumn<int>("cycle");
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<int>("factor");
    QTest::addColumn<QStringList>("fields");  // CobID, Type, TimeOut, DataChange, OnTimer, SendTimer

    QTest::newRow("11-bit receive, three cycles") << 0x181u << 10 << false << 3
                                                  << QStringList{"0x181", Frame_Type_11, "30", "", "", ""};
    QTest::newRow("receive, factor 5") << 0x7FFu << 250 << false << 5 << QStringList{"0x7FF", Frame_Type_11, "1250", "", "", ""};
    QTest::newRow("receive without cycle") << 0x10u << 0 << false << 3 << QStringList{"0x10", Frame_Type_11, "0", "", "", ""};
    QTest::newRow("29-bit transmit on the timer") << 0x98FF0001u << 100 << true << 3
                                                  << QStringList{"0x18FF0001", Frame_Type_29, "", "N", "Y", "100"};
    QTest::newRow("29-bit small identifier") << 0x80000005u << 0 << true << 3
                                             << QStringList{"0x5", Frame_Type_29, "", "Y", "N", "0"};
}

void Tst_Dbc_Import::frame_row()
{
    QFETCH(uint32_t, raw_id);
    QFETCH(int, cycle);
    QFETCH(bool, transmit);
    QFETCH(int, factor);
    QFETCH(QStringList, fields);
    const Direction dir = transmit ? Direction::Transmit : Direction::Receive;
    const Frame_Row r = Dbc_Frame_Row(Message(raw_id, 6, cycle, "Motor_1"), dir, factor);
    QCOMPARE((QStringList{r.CobID, r.Type, r.TimeOut, r.DataChange, r.OnTimer, r.SendTimer}), fields);
    QCOMPARE(r.Dimension, QStringLiteral("6"));
    QCOMPARE(r.Mnemonic, QStringLiteral("Motor_1"));
    // The row is one the editor accepts as it stands.
    QCOMPARE(Check_Frames(dir, Frame_Grid{r}), std::nullopt);
}

void Tst_Dbc_Import::frames_fill_empty_rows_once()
{
    Frame_Grid grid = Empty_Frame_Grid();
    grid[0] = Row("385", Frame_Type_11);          // 0x181 typed in decimal
    grid[2] = Row("0x200", Frame_Type_11);
    grid[3].Mnemonic = QStringLiteral("a note");  // text without a Cob-ID: no frame, but not to be overwritten
    const QList<Dbc_Message> messages{Message(0x181, 8, 10, "Same_As_Row_1"), Message(0x300, 8, 10, "A"),
                                      Message(0x80000300, 4, 0, "A_29"), Message(0x300, 2, 0, "A_Again"),
                                      Message(0x400, 12, 10, "Fd"), Message(0x800, 8, 0, "Too_High"),
                                      Message(0x500, 1, 50000000, "Too_Slow"), Message(0x500, 1, 20, "B")};
    const Frame_Import imp = Import_Dbc_Frames(grid, Direction::Receive, messages);
    QCOMPARE(imp.Added, (QStringList{"A", "A_29", "B"}));
    QCOMPARE(imp.Added_Rows, (QList<int>{2, 5, 6}));
    QCOMPARE(Skipped(imp.Skipped), (QStringList{"Same_As_Row_1", "A_Again", "Fd", "Too_High", "Too_Slow"}));
    QCOMPARE(imp.Grid[3].Mnemonic, QStringLiteral("a note"));
    QCOMPARE(imp.Grid[4].Type, Frame_Type_29);
    QCOMPARE(imp.Grid[5].TimeOut, QStringLiteral("60"));
    QCOMPARE(imp.Grid.size(), Max_Frame_Entries);
    QCOMPARE(Check_Frames(Direction::Receive, imp.Grid), std::nullopt);
}

void Tst_Dbc_Import::full_grid_takes_nothing()
{
    Frame_Grid grid = Empty_Frame_Grid();
    for (int i = 0; i < Max_Frame_Entries; ++i) grid[i] = Row(QString::number(i), Frame_Type_11);
    const Frame_Import imp = Import_Dbc_Frames(grid, Direction::Transmit, {Message(0x700, 8, 10, "Last")});
    QVERIFY(imp.Added.isEmpty());
    QCOMPARE(imp.Skipped.size(), 1);
    QVERIFY(imp.Skipped[0].Reason.contains("250"));
    QCOMPARE(imp.Grid, grid);
}

void Tst_Dbc_Import::signal_bytes_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("little");
    QTest::addColumn<Regs>("regs");  // {high, low} per register, data bytes from 1

    QTest::newRow("intel 8 bit, third byte") << 16 << 8 << true << Regs{{0, 3}};
    QTest::newRow("motorola 8 bit, first byte") << 7 << 8 << false << Regs{{0, 1}};
    QTest::newRow("intel 16 bit: low byte first") << 0 << 16 << true << Regs{{2, 1}};
    QTest::newRow("motorola 16 bit: high byte first") << 15 << 16 << false << Regs{{2, 3}};
    QTest::newRow("intel 32 bit: high word first") << 32 << 32 << true << Regs{{8, 7}, {6, 5}};
    QTest::newRow("motorola 32 bit: high word first") << 31 << 32 << false << Regs{{4, 5}, {6, 7}};
    // Signals that do not fill whole bytes take the bytes that hold them, the first register's
    // high part None for an odd number of bytes.
    QTest::newRow("intel 16 bit off the byte: three bytes") << 4 << 16 << true << Regs{{0, 3}, {2, 1}};
    QTest::newRow("motorola 16 bit starting at bit 0 of a byte") << 8 << 16 << false << Regs{{0, 2}, {3, 4}};
    QTest::newRow("12 bit") << 0 << 12 << true << Regs{{2, 1}};
    QTest::newRow("24 bit") << 0 << 24 << true << Regs{{0, 3}, {2, 1}};
    QTest::newRow("64 bit") << 0 << 64 << true << Regs{{8, 7}, {6, 5}, {4, 3}, {2, 1}};
    QTest::newRow("1 bit") << 63 << 1 << true << Regs{{0, 8}};
    QTest::newRow("65 bit") << 0 << 65 << true << Regs{};
    QTest::newRow("intel beyond 8 bytes") << 60 << 8 << true << Regs{};
}

void Tst_Dbc_Import::signal_bytes()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(bool, little);
    QString why;
    const Regs regs = Signal_Registers(Signal(start, length, little), &why);
    QTEST(regs, "regs");
    QCOMPARE(why.isEmpty(), !regs.isEmpty());
}

void Tst_Dbc_Import::signals_of_the_vehicle()
{
    const Dbc_Database db = Read_Dbc_File(QStringLiteral(QCX_TEST_DATA_DIR "/dbc/vehicle.dbc"));
    // A list that already holds a frame with register 101 in use.
    Frame_Grid grid = Empty_Frame_Grid();
    grid[0] = Row("0x7F0", Frame_Type_11);
    QList<Dbc_Message> chosen{*db.Find("Motor_Daten"), *db.Find("Getriebe_Status"), *db.Find("Diagnose"),
                              *db.Find("Rohdaten_FD")};
    const Frame_Import frames = Import_Dbc_Frames(grid, Direction::Receive, chosen);
    const QList<Frame_Row> rows = Pack_Entries(frames.Grid);
    QList<Editor_Frame> mapping;
    for (const Frame_Row &r : rows) mapping.append(Editor_Frame{r.CobID, r.Dimension.toInt(), {}});
    mapping[0].Registers.append(Editor_Register{"0x65", 0, 1, 0});

    const Signal_Import imp = Import_Dbc_Signals(mapping, rows, chosen, 100, 0);
    // Intel frames pair their bytes 2/1, 4/3, 6/5, 8/7 and Motorola ones 1/2, 3/4, 5/6, 7/8, so that
    // signals sharing a pair share its register: Status (4 bits) shares Temperatur's, Bit_Feld
    // Gang's; Moment and Zeit each reuse the register before them.
    QCOMPARE(Lines(imp), (QStringList{"0x7F0 0x65:0/1",
                                      "0x100 100:2/1", "0x100 102:4/3", "0x100 103:8/7", "0x100 104:6/5",
                                      "0x18FF0001 105:1/2", "0x18FF0001 106:3/4", "0x18FF0001 107:5/6", "0x18FF0001 108:7/8",
                                      "0x400 109:2/1"}));
    QCOMPARE(Skipped(imp.Skipped), (QStringList{"Diagnose.Spannung", "Diagnose.Strom", "Rohdaten_FD"}));
    // Each skipped signal names its line in the database.
    QCOMPARE(imp.Skipped[0].Line, 55);
    QCOMPARE(imp.Signals.size(), 9);
    QCOMPARE(imp.Taken.size(), 9);
    QCOMPARE(imp.Taken[3].Part, 1);
}

void Tst_Dbc_Import::register_limits_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("other");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QStringList>("skipped");

    // An 8-bit, a 32-bit and a 16-bit signal.
    QTest::newRow("room for all") << 10 << 0 << QStringList{"10", "11", "12", "13"} << QStringList{};
    QTest::newRow("one record left") << 10 << Max_Map_Records - 1 << QStringList{"10"} << QStringList{"M.Long", "M.Word"};
    QTest::newRow("two records left: the 32-bit signal takes them")
        << 10 << Max_Map_Records - 3 << QStringList{"10", "11", "12"} << QStringList{"M.Word"};
    QTest::newRow("numbers run out at 65535: both words or none")
        << 65535 << 0 << QStringList{"65535"} << QStringList{"M.Long", "M.Word"};
    QTest::newRow("a negative start counts from 0") << -5 << 0 << QStringList{"0", "1", "2", "3"} << QStringList{};
}

void Tst_Dbc_Import::register_limits()
{
    QFETCH(int, first);
    QFETCH(int, other);
    Dbc_Message m = Message(0x10, 8, 0, "M");
    m.Signals = {Signal(0, 8, true, "Byte"), Signal(8, 32, true, "Long"), Signal(40, 16, true, "Word")};
    const Signal_Import imp = Import_Dbc_Signals({Editor_Frame{"0x10", 8, {}}}, {Row("0x10", Frame_Type_11)}, {m}, first, other);
    QStringList taken;
    for (const Editor_Register &r : imp.Frames[0].Registers) taken << r.Ind_Mod;
    QTEST(taken, "taken");
    QTEST(Skipped(imp.Skipped), "skipped");
}

void Tst_Dbc_Import::signal_beyond_a_shorter_frame()
{
    // The list was edited down to 2 bytes after the database said 8.
    Dbc_Message m = Message(0x80000010, 8, 0, "M");
    m.Signals = {Signal(0, 16, true, "In"), Signal(16, 8, true, "Out")};
    const Signal_Import imp =
        Import_Dbc_Signals({Editor_Frame{"0x10", 2, {}}}, {Row("0x10", Frame_Type_29, "2")}, {m}, 0, 0);
    QCOMPARE(imp.Frames[0].Registers, (QList<Editor_Register>{{"0", 2, 1, 0}}));
    QCOMPARE(Skipped(imp.Skipped), QStringList{"M.Out"});
    // The same number as an 11-bit frame is another frame.
    const Signal_Import other = Import_Dbc_Signals({Editor_Frame{"0x10", 8, {}}}, {Row("0x10", Frame_Type_11)}, {m}, 0, 0);
    QCOMPARE(Skipped(other.Skipped), QStringList{"M"});
}

void Tst_Dbc_Import::a_second_import_maps_nothing_twice()
{
    // Frame 0x10 (11 bits) has a register already; 0x10 with 29 bits has none.
    const QList<Frame_Row> rows{Row("0x10", Frame_Type_11), Row("$10", Frame_Type_29)};
    const QList<Editor_Frame> frames{Editor_Frame{"0x10", 8, {Editor_Register{"$1", 1, 2, 0}, Editor_Register{"0", 3, 4, 0}}},
                                   Editor_Frame{"$10", 8, {}}};
    // The lowest number no register uses, by value.
    QCOMPARE(Lowest_Unused_Register(frames), 2);
    QCOMPARE(Lowest_Unused_Register({}), 0);

    Dbc_Message standard = Message(0x10, 8, 0, "Standard");
    standard.Signals = {Signal(0, 16, true, "A")};
    Dbc_Message extended = Message(0x80000010, 8, 0, "Extended");
    extended.Signals = {Signal(0, 32, true, "Energy")};
    extended.Signals[0].Unit = "kWh";
    extended.Signals[0].Factor = 0.125;

    const Signal_Import first = Import_Dbc_Signals_To_Unmapped(frames, rows, {standard, extended}, 2, 0);
    QCOMPARE(Lines(first), (QStringList{"0x10 $1:1/2", "0x10 0:3/4", "$10 2:4/3", "$10 3:2/1"}));
    QCOMPARE(Skipped(first.Skipped), QStringList{"Standard"});
    const Signal_Import again = Import_Dbc_Signals_To_Unmapped(first.Frames, rows, {standard, extended}, 2, 0);
    QCOMPARE(again.Frames, first.Frames);
    QCOMPARE(Skipped(again.Skipped), (QStringList{"Standard", "Extended"}));

    // The note names the frame as the list writes it, and both registers of the 32-bit signal.
    const QList<Signal_Note> notes = Imported_Signal_Notes(Direction::Receive, first, rows);
    QCOMPARE(notes.size(), 1);
    const Signal_Note &n = notes[0];
    QCOMPARE(QStringList({n.CobID, n.Type, n.Message, n.Signal, n.Unit, n.Factor, n.Offset}),
             QStringList({"$10", Frame_Type_29, "Extended", "Energy", "kWh", "0.125", "0"}));
    QCOMPARE(n.Registers, (QList<Note_Register>{{2, 4, 3}, {3, 2, 1}}));
    QCOMPARE(n.Register, 2);
    QCOMPARE(n.Shift, 0);
    QCOMPARE(n.Length, 32);
}

QTEST_APPLESS_MAIN(Tst_Dbc_Import)
#include "tst_core_dbc_import.moc"
