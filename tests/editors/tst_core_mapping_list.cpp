// The mapping editors' rules without a window: index range, uniqueness by value, the register
// line, what Create, Modify, Delete, Copy and Paste do to the frames, and when the frames differ
// from what was loaded.
#include "editing/Mapping_List.h"
#include "lang/Lang_Table.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<int32_t>)
Q_DECLARE_METATYPE(Mapping_Result)

class Tst_Mapping_List : public QObject {
    Q_OBJECT
private slots:
    void index_range_data();
    void index_range();
    void in_use_is_by_value_across_frames();
    void modify_onto_a_register_of_the_same_frame_data();
    void modify_onto_a_register_of_the_same_frame();
    void lines();
    void frame_lines_data();
    void frame_lines();
    void create_modify_delete();
    void choices_without_selection();
    void copy_buffer_survives_a_reload();
    void image_capacity_counts_both_directions();
    void changes_are_against_what_was_loaded_data();
    void changes_are_against_what_was_loaded();
};

static Editor_Frame Frame(const QString &cob_id, int num_byte, QList<Editor_Register> regs = {})
{
    Editor_Frame frame;
    frame.CobID = cob_id;
    frame.Num_Byte = num_byte;
    frame.Registers = std::move(regs);
    return frame;
}

void Tst_Mapping_List::index_range_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int32_t>>("value");
    QTest::newRow("0") << "0" << std::optional<int32_t>(0);
    QTest::newRow("65535") << "65535" << std::optional<int32_t>(65535);
    QTest::newRow("$FF") << "$FF" << std::optional<int32_t>(255);
    QTest::newRow("0x10") << "0x10" << std::optional<int32_t>(16);
    QTest::newRow("leading blank") << " 7" << std::optional<int32_t>(7);
    QTest::newRow("65536") << "65536" << std::optional<int32_t>();
    QTest::newRow("-1") << "-1" << std::optional<int32_t>();
    QTest::newRow("empty") << "" << std::optional<int32_t>();
    QTest::newRow("text") << "abc" << std::optional<int32_t>();
    QTest::newRow("trailing blank") << "7 " << std::optional<int32_t>();
    QTest::newRow("$FFFFFFFF is -1") << "$FFFFFFFF" << std::optional<int32_t>();
}

void Tst_Mapping_List::index_range()
{
    QFETCH(QString, text);
    QFETCH(std::optional<int32_t>, value);
    QCOMPARE(Mod_Index_Value(text), value);

    // The same rule guards Create and Modify, and a refused index changes nothing.
    Mapping_List list;
    list.Load({Frame("1", 8, {{"500", 1, 2, 0}})}, 0);
    const QList<Editor_Frame> before = list.Frames;
    const Mapping_Result expected = value ? Mapping_Result::Done : Mapping_Result::Index_Out_Of_Range;
    QCOMPARE(list.Modify_Mod_Reg(0, 0, {text, 0, 0, 0}), expected);
    QCOMPARE(list.Add_Mod_Reg(0, {text, 0, 0, 0}), expected == Mapping_Result::Done ? Mapping_Result::Index_In_Use : expected);
    if (!value) QCOMPARE(list.Frames, before);
}

void Tst_Mapping_List::in_use_is_by_value_across_frames()
{
    Mapping_List list;
    list.Load({Frame("1", 8, {{"10", 0, 0, 0}, {"$7", 1, 0, 0}}), Frame("2", 8, {{"007", 0, 1, 0}}),
               Frame("3", 8, {{"not a number", 0, 0, 0}})},
              0);
    QVERIFY(list.Check_Mod_Reg_in_Use(7, -1, -1));
    QVERIFY(list.Check_Mod_Reg_in_Use(7, 0, 1));   // "007" on frame 1 still holds 7
    QVERIFY(list.Check_Mod_Reg_in_Use(7, 1, 0));   // "$7" on frame 0
    QVERIFY(list.Check_Mod_Reg_in_Use(16, -1, -1) == false);
    QVERIFY(list.Check_Mod_Reg_in_Use(10, 0, 0) == false);  // the register itself is left out
    QVERIFY(list.Check_Mod_Reg_in_Use(0xA, 1, 0));
    // A text that does not convert blocks no index (its value counts as -1, never typed).
    QVERIFY(!list.Check_Mod_Reg_in_Use(0, -1, -1));
    // Which register holds the index: the first in frame order, then register order.
    QCOMPARE(list.Mod_Reg_in_Use(7, -1, -1), std::optional(Mod_Reg_Place{0, 1}));
    QCOMPARE(list.Mod_Reg_in_Use(7, 0, 1), std::optional(Mod_Reg_Place{1, 0}));
    QCOMPARE(list.Mod_Reg_in_Use(10, 0, 0), std::nullopt);

    QCOMPARE(list.Add_Mod_Reg(2, {"7", 0, 0, 0}), Mapping_Result::Index_In_Use);
    QCOMPARE(list.Add_Mod_Reg(2, {"0x0007", 0, 0, 0}), Mapping_Result::Index_In_Use);
    QCOMPARE(list.Frames[2].Registers.size(), 1);
    // Modify onto another register's value is refused; keeping its own value is not.
    QCOMPARE(list.Modify_Mod_Reg(0, 0, {"7", 0, 0, 0}), Mapping_Result::Index_In_Use);
    QCOMPARE(list.Modify_Mod_Reg(0, 0, {"0xA", 2, 2, 0}), Mapping_Result::Done);
    QCOMPARE(list.Frames[0].Registers[0], (Editor_Register{"0xA", 2, 2, 0}));
}

void Tst_Mapping_List::modify_onto_a_register_of_the_same_frame_data()
{
    QTest::addColumn<int>("reg");  // the register modified, in frame 1
    QTest::addColumn<QString>("index");
    QTest::addColumn<Mapping_Result>("result");

    // Frame 1 holds "10", "$14" and "30"; frame 0 holds "99".
    QTest::newRow("first takes the second's index") << 0 << "20" << Mapping_Result::Index_In_Use;
    QTest::newRow("last takes the first's, spelt otherwise") << 2 << "0xA" << Mapping_Result::Index_In_Use;
    QTest::newRow("middle takes the last's") << 1 << "30" << Mapping_Result::Index_In_Use;
    QTest::newRow("another frame's index") << 1 << "99" << Mapping_Result::Index_In_Use;
    QTest::newRow("keeps its own index") << 1 << "$14" << Mapping_Result::Done;
    QTest::newRow("keeps its own value, spelt otherwise") << 1 << "20" << Mapping_Result::Done;
    QTest::newRow("a free index") << 0 << "11" << Mapping_Result::Done;
}

void Tst_Mapping_List::modify_onto_a_register_of_the_same_frame()
{
    QFETCH(int, reg);
    QFETCH(QString, index);
    QFETCH(Mapping_Result, result);

    Mapping_List list;
    list.Load({Frame("1", 8, {{"99", 1, 1, 0}}),
               Frame("2", 8, {{"10", 1, 0, 0}, {"$14", 2, 0, 0}, {"30", 3, 0, 0}})},
              0);
    const QList<Editor_Frame> before = list.Frames;
    QCOMPARE(list.Modify_Mod_Reg(1, reg, {index, 4, 5, 0}), result);
    if (result == Mapping_Result::Done) {
        QCOMPARE(list.Frames[1].Registers[reg], (Editor_Register{index, 4, 5, 0}));
    } else {
        QCOMPARE(list.Frames, before);
    }
}

void Tst_Mapping_List::frame_lines_data()
{
    QTest::addColumn<QString>("cob");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("mnemonic");
    QTest::addColumn<QString>("line");

    // The identifier as the device gets it, the text as typed beside it where it reads otherwise.
    QTest::newRow("0x as the device reads it") << "0x181" << false << "Speed"
                                               << "Cob-ID: 0x181 11-bit\nLength: 4 \u00B7 Mnemonic: Speed";
    QTest::newRow("plain digits are decimal") << "181" << false << "" << "Cob-ID: 0x0B5 11-bit (181)\nLength: 4";
    QTest::newRow("29-bit with a dollar") << "$18FF0001" << true << " Command "
                                          << "Cob-ID: 0x18FF0001 29-bit ($18FF0001)\nLength: 4 \u00B7 Mnemonic: Command";
    QTest::newRow("not a number stands as typed") << "181h" << false << "" << "Cob-ID: 181h\nLength: 4";
}

void Tst_Mapping_List::frame_lines()
{
    QFETCH(QString, cob);
    QFETCH(bool, extended);
    QFETCH(QString, mnemonic);
    QFETCH(QString, line);
    Lang_Table english;
    Load_Default_Language(english);
    QCOMPARE(Frame_Line(Frame(cob, 4), extended, mnemonic, english), line);
}

void Tst_Mapping_List::lines()
{
    QCOMPARE(Mod_Reg_Line({"40", 1, 0, 0}, "None", "Byte "), QString("40; Byte 1; None;"));
    QCOMPARE(Mod_Reg_Line({"$FF", 0, 8, 1}, "Nessuno", "Byte "), QString("$FF; Nessuno; Byte 8;"));
    // The transmit line: the send choice after a tab, only where a write sends the frame.
    QCOMPARE(Mod_Reg_Line({"40", 1, 0, 1}, "None", "Byte ", 8, "%1 (beyond %2)", "Send"),
             QString("40; Byte 1; None;\tSend"));
    QCOMPARE(Mod_Reg_Line({"40", 1, 0, 0}, "None", "Byte ", 8, "%1 (beyond %2)", "Send"), QString("40; Byte 1; None;"));
    QCOMPARE(Mod_Reg_Line({"41", 7, 0, 1}, "Nessuno", "Byte ", 4, "%1 (oltre %2)", "Invia"),
             QString("41; Byte 7 (oltre 4); Nessuno;\tInvia"));
    // Only a 1 makes the device send.
    QCOMPARE(Mod_Reg_Line({"42", 0, 0, 2}, "None", "Byte ", 8, "%1 (beyond %2)", "Send"), QString("42; None; None;"));
    QCOMPARE(Offered_Bytes(Frame("1", 4)), 4);
    QCOMPARE(Offered_Bytes(Frame("1", 20)), 8);
    QCOMPARE(Offered_Bytes(Frame("1", -3)), 0);
}

void Tst_Mapping_List::create_modify_delete()
{
    Mapping_List list;
    list.Load({Frame("1", 8), Frame("2", 4)}, 0);
    QCOMPARE(list.Add_Mod_Reg(-1, {"1", 0, 0, 0}), Mapping_Result::No_Selection);
    QCOMPARE(list.Add_Mod_Reg(2, {"1", 0, 0, 0}), Mapping_Result::No_Selection);
    QCOMPARE(list.Add_Mod_Reg(1, {" 0x10", 3, 4, 1}), Mapping_Result::Done);
    QCOMPARE(list.Add_Mod_Reg(1, {"17", 0, 1, 0}), Mapping_Result::Done);
    QCOMPARE(list.Add_Mod_Reg(1, {"18", 1, 1, 0}), Mapping_Result::Done);
    // The index text is kept as typed, registers in creation order.
    QCOMPARE(list.Frames[1].Registers,
             (QList<Editor_Register>{{" 0x10", 3, 4, 1}, {"17", 0, 1, 0}, {"18", 1, 1, 0}}));

    QCOMPARE(list.Modify_Mod_Reg(1, 3, {"19", 0, 0, 0}), Mapping_Result::No_Selection);
    QCOMPARE(list.Modify_Mod_Reg(0, 0, {"19", 0, 0, 0}), Mapping_Result::No_Selection);
    QCOMPARE(list.Modify_Mod_Reg(1, 1, {"$11", 2, 0, 1}), Mapping_Result::Done);
    QCOMPARE(list.Frames[1].Registers[1], (Editor_Register{"$11", 2, 0, 1}));

    QCOMPARE(list.Delete_Mod_Reg(1, 3), Mapping_Result::No_Selection);
    QCOMPARE(list.Delete_Mod_Reg(1, 0), Mapping_Result::Done);
    QCOMPARE(list.Frames[1].Registers, (QList<Editor_Register>{{"$11", 2, 0, 1}, {"18", 1, 1, 0}}));
    QCOMPARE(list.Register_Count(), 2);
    // The index of a deleted register is free again.
    QCOMPARE(list.Add_Mod_Reg(0, {"16", 0, 0, 0}), Mapping_Result::Done);
}

void Tst_Mapping_List::choices_without_selection()
{
    // A byte list that shows no selection never turns into -1: Create stores "None", Modify keeps
    // what the register holds for that part.
    Mapping_List list;
    list.Load({Frame("1", 4, {{"1", 7, 2, 1}})}, 0);
    QCOMPARE(list.Add_Mod_Reg(0, {"2", std::nullopt, 3, std::nullopt}), Mapping_Result::Done);
    QCOMPARE(list.Frames[0].Registers[1], (Editor_Register{"2", 0, 3, 0}));
    QCOMPARE(list.Modify_Mod_Reg(0, 0, {"1", std::nullopt, 4, std::nullopt}), Mapping_Result::Done);
    QCOMPARE(list.Frames[0].Registers[0], (Editor_Register{"1", 7, 4, 1}));
    QCOMPARE(list.Modify_Mod_Reg(0, 0, {"1", 1, std::nullopt, 0}), Mapping_Result::Done);
    QCOMPARE(list.Frames[0].Registers[0], (Editor_Register{"1", 1, 4, 0}));
}

void Tst_Mapping_List::copy_buffer_survives_a_reload()
{
    Mapping_List list;
    // Before any copy, Paste gives an empty index and "None"/"False".
    QCOMPARE(list.Paste_Mod_Reg().Ind_Mod, QString());
    QCOMPARE(list.Paste_Mod_Reg().HiPart, std::optional<int32_t>(0));
    QCOMPARE(list.Paste_Mod_Reg().Write, std::optional<int32_t>(0));

    list.Load({Frame("1", 8, {{"$20", 5, 6, 1}}), Frame("2", 2)}, 0);
    QCOMPARE(list.Copy_Mod_Reg(1, 0), Mapping_Result::No_Selection);
    QCOMPARE(list.Paste_Mod_Reg().Ind_Mod, QString());
    QCOMPARE(list.Copy_Mod_Reg(0, 0), Mapping_Result::Done);
    list.Load({Frame("9", 8)}, 0);
    const Mod_Reg_Entry pasted = list.Paste_Mod_Reg();
    QCOMPARE(pasted.Ind_Mod, QString("$20"));
    QCOMPARE(pasted.HiPart, std::optional<int32_t>(5));
    QCOMPARE(pasted.LoPart, std::optional<int32_t>(6));
    QCOMPARE(pasted.Write, std::optional<int32_t>(1));
}

void Tst_Mapping_List::image_capacity_counts_both_directions()
{
    Mapping_List list;
    list.Load({Frame("1", 8, {{"0", 0, 0, 0}, {"1", 0, 0, 0}}), Frame("2", 8)}, Max_Map_Records - 3);
    QCOMPARE(list.Add_Mod_Reg(1, {"2", 0, 0, 0}), Mapping_Result::Done);
    QCOMPARE(list.Add_Mod_Reg(1, {"3", 0, 0, 0}), Mapping_Result::Image_Full);
    // The index errors come first; Modify and Delete still work on a full image.
    QCOMPARE(list.Add_Mod_Reg(1, {"1", 0, 0, 0}), Mapping_Result::Index_In_Use);
    QCOMPARE(list.Modify_Mod_Reg(1, 0, {"3", 1, 1, 0}), Mapping_Result::Done);
    QCOMPARE(list.Delete_Mod_Reg(0, 0), Mapping_Result::Done);
    QCOMPARE(list.Add_Mod_Reg(0, {"4", 0, 0, 0}), Mapping_Result::Done);
    QCOMPARE(list.Register_Count() + list.Other_Direction_Count, Max_Map_Records);
}

void Tst_Mapping_List::changes_are_against_what_was_loaded_data()
{
    // Steps, separated by "|": "add F INDEX HI LO WRITE", "mod F R INDEX HI LO WRITE", "del F R",
    // "copy F R", "load" (the next showing reads the file again).
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("changed");
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("refused create") << "add 0 10 1 1 0" << false;
    QTest::newRow("copy") << "copy 0 0" << false;
    QTest::newRow("create") << "add 1 30 1 2 0" << true;
    QTest::newRow("create, delete") << "add 1 30 1 2 0|del 1 0" << false;
    QTest::newRow("bytes") << "mod 0 1 $14 1 2 0" << true;
    QTest::newRow("bytes and back") << "mod 0 1 $14 1 2 0|mod 0 1 $14 2 0 1" << false;
    QTest::newRow("send choice") << "mod 0 1 $14 2 0 0" << true;
    QTest::newRow("same value, spelt otherwise") << "mod 0 0 0xA 0 1 0" << true;
    QTest::newRow("delete") << "del 0 0" << true;
    QTest::newRow("delete, create the same") << "del 0 1|add 0 $14 2 0 1" << false;
    // The file would hold the rows in another order.
    QTest::newRow("delete, create the same at the end") << "del 0 0|add 0 10 0 1 0" << true;
    QTest::newRow("reload after a change") << "add 1 30 1 2 0|load" << false;
}

void Tst_Mapping_List::changes_are_against_what_was_loaded()
{
    QFETCH(QString, steps);
    QFETCH(bool, changed);
    const QList<Editor_Frame> file{Frame("1", 8, {{"10", 0, 1, 0}, {"$14", 2, 0, 1}}), Frame("2", 4)};
    Mapping_List list;
    list.Load(file, 0);
    QVERIFY(!list.Has_Changes());
    for (const QString &step : steps.split(u'|', Qt::SkipEmptyParts)) {
        const QStringList w = step.split(u' ');
        auto n = [&w](int i) { return w[i].toInt(); };
        if (w[0] == "add") list.Add_Mod_Reg(n(1), {w[2], n(3), n(4), n(5)});
        if (w[0] == "mod") QCOMPARE(list.Modify_Mod_Reg(n(1), n(2), {w[3], n(4), n(5), n(6)}), Mapping_Result::Done);
        if (w[0] == "del") QCOMPARE(list.Delete_Mod_Reg(n(1), n(2)), Mapping_Result::Done);
        if (w[0] == "copy") list.Copy_Mod_Reg(n(1), n(2));
        if (w[0] == "load") list.Load(file, 0);
    }
    QCOMPARE(list.Has_Changes(), changed);
}

QTEST_APPLESS_MAIN(Tst_Mapping_List)
#include "tst_core_mapping_list.moc"
