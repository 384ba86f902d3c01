// Frames and their signals from a CAN database into one direction in one go: the frames land in
// the empty rows, every frame keeps its own registers wherever it stands in the grid, the new
// registers and recipes belong to the frames they were made for, and the result is what the two
// separate imports (frames, then signals) give.
#include "editing/Frame_List.h"
#include "exchange/Dbc_Direction_Import.h"
#include "lang/Lang_Table.h"
#include "test_config.h"

#include <QtTest>

namespace {

const QString Vehicle_Dbc = QStringLiteral(QCX_TEST_DATA_DIR "/dbc/vehicle.dbc");

const Dbc_Database &Vehicle()
{
    static const Dbc_Database db = Read_Dbc_File(Vehicle_Dbc);
    return db;
}

QList<Dbc_Message> Messages(const QStringList &names)
{
    QList<Dbc_Message> out;
    for (const QString &name : names) out.append(*Vehicle().Find(name));
    return out;
}

Frame_Row Row(const QString &cob_id, const QString &type, int stored)
{
    Frame_Row r;
    r.CobID = cob_id;
    r.Type = type;
    r.Dimension = QStringLiteral("8");
    r.TimeOut = QStringLiteral("0");
    r.Stored_Index = stored;
    return r;
}

// A receive list with a gap: row 1 empty, row 2 frame 0x300 with register 7 on bytes 1/2,
// row 3 the gearbox frame ($18FF0001, 29 bits) without registers.
struct Lists {
    Frame_Grid Grid = Empty_Frame_Grid();
    QList<Editor_Frame> Row_Frames;
    Lists()
    {
        Grid[1] = Row(QStringLiteral("0x300"), Frame_Type_11, 0);
        Grid[2] = Row(QStringLiteral("$18FF0001"), Frame_Type_29, 1);
        Row_Frames.resize(3);
        Row_Frames[1] = Editor_Frame{QStringLiteral("0x300"), 8, {Editor_Register{QStringLiteral("7"), 1, 2, 0}}};
        Row_Frames[2] = Editor_Frame{QStringLiteral("$18FF0001"), 8, {}};
    }
};

QStringList Registers(const Editor_Frame &frame)
{
    QStringList out;
    for (const Editor_Register &r : frame.Registers) out << QStringLiteral("%1:%2/%3").arg(r.Ind_Mod).arg(r.HiPart).arg(r.LoPart);
    return out;
}

}  // namespace

class Tst_Dbc_Direction_Import : public QObject {
    Q_OBJECT
private slots:
    void frames_and_signals_land_on_their_rows();
    void frames_only_map_nothing();
    void a_mapped_frame_is_not_mapped_again();
    void one_go_equals_the_two_separate_imports_data();
    void one_go_equals_the_two_separate_imports();
    void signals_to_map_per_message();
    void report_lists_everything_once();
    void waiting_registers_follow_their_frame_until_ok();
};

void Tst_Dbc_Direction_Import::frames_and_signals_land_on_their_rows()
{
    const Lists lists;
    const Dbc_Direction_Import imp = Import_Dbc_Direction(lists.Grid, lists.Row_Frames, Direction::Receive,
                                                          Messages({"Motor_Daten", "Getriebe_Status"}), {3, 100, true}, 0);
    // The new frame takes the empty first row; the gearbox message finds its frame in row 3.
    QCOMPARE(imp.Frames.Added, QStringList{"Motor_Daten"});
    QCOMPARE(imp.Frames.Added_Rows, QList<int>{1});
    QCOMPARE(imp.Frames.Grid[0].CobID, QString("0x100"));
    QCOMPARE(imp.Frames.Grid[0].TimeOut, QString("30"));
    // Row 2 keeps its own register, and no number is taken twice.
    QCOMPARE(Registers(imp.Row_Frames[1]), QStringList{"7:1/2"});
    QVERIFY(!imp.Row_Frames[0].Registers.isEmpty());
    // The gearbox frame's four byte pairs, numbered on from 100 after the motor frame's.
    QCOMPARE(Registers(imp.Row_Frames[2]).size(), 4);
    QSet<QString> numbers;
    for (int r : {0, 2})
        for (const Editor_Register &reg : imp.Row_Frames[r].Registers) {
            QVERIFY(reg.Ind_Mod.toInt() >= 100);
            QVERIFY2(!numbers.contains(reg.Ind_Mod), qPrintable(reg.Ind_Mod));
            numbers.insert(reg.Ind_Mod);
        }
    // The lists the files receive: frames in grid order, each with its registers.
    QCOMPARE(imp.Entries().size(), 3);
    QCOMPARE(imp.Entry_Frames(), (QList<Editor_Frame>{imp.Row_Frames[0], imp.Row_Frames[1], imp.Row_Frames[2]}));
    QCOMPARE(imp.Entry_Frames()[0].CobID, QString("0x100"));
    // One recipe per signal given registers, named by the frame it was made for.
    QCOMPARE(imp.Notes.size(), imp.Signals.Signals.size());
    for (const Signal_Note &n : imp.Notes) {
        QVERIFY2(n.Message == "Motor_Daten" ? n.CobID == "0x100" : n.CobID == "$18FF0001", qPrintable(n.CobID));
        const int row = n.CobID == "0x100" ? 0 : 2;
        for (const Note_Register &r : n.Registers)
            QVERIFY(Registers(imp.Row_Frames[row]).contains(QStringLiteral("%1:%2/%3").arg(r.Register).arg(r.HiPart).arg(r.LoPart)));
    }
}

void Tst_Dbc_Direction_Import::frames_only_map_nothing()
{
    const Lists lists;
    const Dbc_Direction_Import imp = Import_Dbc_Direction(lists.Grid, lists.Row_Frames, Direction::Transmit,
                                                          Messages({"Motor_Daten", "Getriebe_Status"}), {3, 0, false}, 0);
    QCOMPARE(imp.Frames.Added, QStringList{"Motor_Daten"});
    QVERIFY(imp.Signals.Taken.isEmpty());
    QVERIFY(imp.Notes.isEmpty());
    QVERIFY(imp.Frame_Mapped.isEmpty());
    QCOMPARE(Registers(imp.Row_Frames[1]), QStringList{"7:1/2"});
    QVERIFY(imp.Row_Frames[0].Registers.isEmpty());
    QVERIFY(imp.Row_Frames[2].Registers.isEmpty());
}

void Tst_Dbc_Direction_Import::a_mapped_frame_is_not_mapped_again()
{
    const Lists lists;
    const Dbc_Direction_Import first = Import_Dbc_Direction(lists.Grid, lists.Row_Frames, Direction::Receive,
                                                            Messages({"Getriebe_Status"}), {}, 0);
    QCOMPARE(first.Signals.Signals.size(), 4);
    // The same message again, on the lists the first import left.
    const Dbc_Direction_Import again = Import_Dbc_Direction(first.Frames.Grid, first.Row_Frames, Direction::Receive,
                                                            Messages({"Getriebe_Status"}), {}, 0);
    QVERIFY(again.Frames.Added.isEmpty());
    QVERIFY(again.Signals.Taken.isEmpty());
    QCOMPARE(again.Frame_Mapped.size(), 1);
    QCOMPARE(again.Frame_Mapped[0].Name, QString("Getriebe_Status"));
    QCOMPARE(again.Row_Frames.mid(0, 3), first.Row_Frames.mid(0, 3));
    QCOMPARE(Signals_To_Map(Messages({"Getriebe_Status"}), first.Frames.Grid, first.Row_Frames, Direction::Receive),
             QList<int>{0});
}

void Tst_Dbc_Direction_Import::one_go_equals_the_two_separate_imports_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("first_register");
    QTest::addColumn<int>("other_count");
    QTest::newRow("receive") << int(Direction::Receive) << 0 << 0;
    QTest::newRow("transmit from 40") << int(Direction::Transmit) << 40 << 0;
    // The device's limit cuts the signals short: both roads cut the same ones.
    QTest::newRow("receive near the limit") << int(Direction::Receive) << 0 << Max_Map_Records - 3;
}

void Tst_Dbc_Direction_Import::one_go_equals_the_two_separate_imports()
{
    QFETCH(int, direction);
    QFETCH(int, first_register);
    QFETCH(int, other_count);
    const Direction d = Direction(direction);
    const Lists lists;
    const QList<Dbc_Message> chosen = Messages({"Motor_Daten", "Getriebe_Status", "Diagnose", "Anzeige_Leer"});
    const Dbc_Direction_Import one = Import_Dbc_Direction(lists.Grid, lists.Row_Frames, d, chosen, {3, first_register, true}, other_count);

    // The frames first, as the frame list editor imported them; then the signals over the list
    // saved, as the mapping editor did.
    const Frame_Import frames = Import_Dbc_Frames(lists.Grid, d, chosen, 3);
    const QList<Frame_Row> entries = Pack_Entries(frames.Grid);
    QList<Editor_Frame> mapped;
    for (const Frame_Row &row : entries)
        mapped.append(row.Stored_Index == 0 ? lists.Row_Frames[1]
                      : row.Stored_Index == 1 ? lists.Row_Frames[2]
                                              : Editor_Frame{row.CobID, row.Dimension.toInt(), {}});
    const Signal_Import signal_import =
        Import_Dbc_Signals_To_Unmapped(mapped, entries, chosen, first_register, other_count, d);

    QCOMPARE(one.Frames.Grid, frames.Grid);
    QCOMPARE(one.Entries(), entries);
    QCOMPARE(one.Entry_Frames(), signal_import.Frames);
    QCOMPARE(one.Signals.Taken.size(), signal_import.Taken.size());
    QCOMPARE(one.Notes, Imported_Signal_Notes(d, signal_import, entries));
    if (other_count > 0) QVERIFY(!one.Signals.Skipped.isEmpty());
}

void Tst_Dbc_Direction_Import::signals_to_map_per_message()
{
    const Lists lists;
    const QStringList names{"Motor_Daten", "Getriebe_Status", "Diagnose", "Rohdaten_FD", "Anzeige_Leer"};
    const QList<int> counts = Signals_To_Map(Messages(names), lists.Grid, lists.Row_Frames, Direction::Receive);
    // Each count is what importing that message alone maps.
    for (int i = 0; i < names.size(); ++i) {
        const Dbc_Direction_Import alone =
            Import_Dbc_Direction(lists.Grid, lists.Row_Frames, Direction::Receive, Messages({names[i]}), {}, 0);
        QCOMPARE(counts[i], int(alone.Signals.Signals.size()));
    }
    QCOMPARE(counts[1], 4);
    // Multiplexed signals get no recipe; a CAN FD message and one without signals none at all.
    QVERIFY(counts[2] < Vehicle().Find("Diagnose")->Signals.size());
    QCOMPARE(counts[3], 0);
    QCOMPARE(counts[4], 0);
}

void Tst_Dbc_Direction_Import::report_lists_everything_once()
{
    Lang_Table lang;
    Load_Default_Language(lang);
    const Lists lists;
    const Dbc_Direction_Import imp =
        Import_Dbc_Direction(lists.Grid, lists.Row_Frames, Direction::Receive, Messages({"Getriebe_Status", "Diagnose"}), {}, 0);
    const Import_Summary report = Dbc_Direction_Summary(lang, imp, {{"BO_ 9", 12, 1, "odd line"}});
    // The gearbox frame was in the list already: its signals were mapped there, so the message
    // is not reported as left out; the database's unreadable line is.
    QCOMPARE(imp.Frame_Held, QStringList{"Getriebe_Status"});
    QCOMPARE(report.Summary, QStringLiteral("%1 frame(s) and %2 register(s) taken, %3 left out.")
                                 .arg(imp.Frames.Added.size())
                                 .arg(imp.Signals.Taken.size())
                                 .arg(imp.Skipped().size() - 1 + 1));
    QCOMPARE(report.Lines.first(), QString("Frame row 1: Diagnose"));
    QVERIFY(report.Lines.contains("Left out, line 12: BO_ 9: odd line"));
    QCOMPARE(report.Lines.size(), imp.Frames.Added.size() + imp.Signals.Taken.size() + imp.Signals.Signals.size() +
                                      imp.Skipped().size() - 1 + 1);
    for (const QString &line : report.Lines) QVERIFY2(!line.contains("Getriebe_Status: the list"), qPrintable(line));
}

void Tst_Dbc_Direction_Import::waiting_registers_follow_their_frame_until_ok()
{
    // In the frame list editor the registers of an import wait for OK: only frames that had none
    // get them, they follow their frame when rows move, and a recipe is written only while its
    // registers stand as the import made them.
    const Lists lists;
    const Dbc_Direction_Import imp = Import_Dbc_Direction(lists.Grid, lists.Row_Frames, Direction::Receive,
                                                          Messages({"Motor_Daten", "Getriebe_Status"}), {3, 100, true}, 0);
    const QList<Pending_Mapping> pending = Pending_Mappings(imp, lists.Row_Frames);
    QCOMPARE(pending.size(), 2);  // the new motor frame and the gearbox frame; 0x300 had its own
    QCOMPARE(pending[0].Key, (Frame_Key{0x100, false}));
    QCOMPARE(pending[1].Key, (Frame_Key{0x18FF0001, true}));
    QCOMPARE(pending[1].Registers, imp.Row_Frames[2].Registers);
    QVERIFY(!pending[1].Notes.isEmpty());

    // The gearbox row moves to the top and the motor frame's Cob-ID is written as "256": each
    // waiting set still finds its frame; the stored 0x300 keeps its register by its place in the file.
    Frame_Grid grid = imp.Frames.Grid;
    std::swap(grid[0], grid[2]);
    grid[2].CobID = QStringLiteral("256");
    const QList<Editor_Frame> stored{lists.Row_Frames[1], lists.Row_Frames[2]};
    const QList<Editor_Frame> rows = Grid_Mappings(grid, stored, pending);
    QCOMPARE(rows[0].Registers, pending[1].Registers);
    QCOMPARE(Registers(rows[1]), QStringList{"7:1/2"});
    QCOMPARE(rows[2].Registers, pending[0].Registers);

    const Pending_Save save = Save_With_Pending(grid, rows, pending);
    QCOMPARE(save.Frames.size(), 3);
    QCOMPARE(save.Frames[2].CobID, QString("256"));
    QCOMPARE(save.Notes.size(), imp.Notes.size());
    for (const Signal_Note &n : save.Notes) QVERIFY2(n.CobID == "256" || n.CobID == "$18FF0001", qPrintable(n.CobID));

    // A register the user changed afterwards no longer carries the import's recipe.
    QList<Editor_Frame> changed = rows;
    changed[0].Registers[0].HiPart = 0;
    const Pending_Save after = Save_With_Pending(grid, changed, pending);
    QCOMPARE(after.Notes.size(), imp.Notes.size() - pending[1].Notes.size());
}

QTEST_MAIN(Tst_Dbc_Direction_Import)
#include "tst_core_dbc_direction_import.moc"
