// Imports in the editors: frames from a CAN database into a frame list, registers from a sheet
// and from a database's signals into a mapping list. What each import puts into the editor, what
// it reports, what OK then writes, and that leaving without OK writes nothing at all.
#include "File_Bytes.h"
#include "Test_Support.h"
#include "test_config.h"

#include "config/Project_Files.h"
#include "dialogs/Dbc_Chooser.h"
#include "dialogs/Learn_Chooser.h"
#include "dialogs/Mapping_Editor.h"
#include "dialogs/Frame_List_Editor.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Signal_Notes.h"
#include "lang/Lang_Table.h"
#include "widgets/Frame_Grid_Model.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QAccessible>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QString Vehicle_Dbc = QStringLiteral(QCX_TEST_DATA_DIR "/dbc/vehicle.dbc");

// A configuration folder holding the mapping fixture: receive frames 0x181, $18FF0001 (29 bits)
// and 385; transmit frames 0x201 and 0x202.
struct Project {
    QTemporaryDir Dir;
    App_State State;

    Project()
    {
        Load_Default_Language(State.Lang_Table);
        State.SW_Code = SW_Code_Text;
        State.Project_Name = QStringLiteral("Test");
        State.Dir_Project = Dir.path();
        Set_Files(State);
        for (const char *name : {"CAN_Receive.xml", "Define_CAN_Receive.xml", "CAN_Transmit.xml", "Define_CAN_Transmit.xml"})
            QFile::copy(QStringLiteral(QCX_TEST_DATA_DIR "/mapping/") + name, Dir.filePath(name));
    }
    // Every file of the folder, by name.
    QMap<QString, QByteArray> Files() const
    {
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(Dir.path()).entryList(QDir::Files)) files[name] = Read_All(Dir.filePath(name));
        return files;
    }
};

// The reports an editor showed.
template <class Editor>
QList<Import_Summary> *Record_Reports(Editor &editor)
{
    auto *reports = new QList<Import_Summary>;
    QObject::connect(&editor, &QObject::destroyed, [reports] { delete reports; });
    editor.Show_Report = [reports](const Import_Summary &s) { reports->append(s); };
    return reports;
}

std::unique_ptr<Frame_List_Editor> Frame_Editor(App_State &state, Direction d)
{
    if (d == Direction::Receive) return std::make_unique<Receive_Frame_Editor>(state);
    return std::make_unique<Transmit_Frame_Editor>(state);
}

std::unique_ptr<Mapping_Editor> Make_Mapping_Editor(App_State &state, Direction d)
{
    if (d == Direction::Receive) return std::make_unique<Receive_Mapping_Editor>(state);
    return std::make_unique<Transmit_Mapping_Editor>(state);
}

void Click_Line(QWidget *dialog, const char *list_name, int row)
{
    auto *list = Get<QListWidget>(dialog, list_name);
    QListWidgetItem *item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// Loads a shipped language over the English defaults.
void Use_Language(App_State &state, const QString &name)
{
    Load_Default_Language(state.Lang_Table);
    if (name != "English")
        Read_Language_File(state.Lang_Table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR "/") + name + ".lng");
}

// The Alt letters of the window's push buttons, one per button ('\0' for a button without).
QList<QChar> Button_Letters(QWidget *window)
{
    QList<QChar> letters;
    for (const QPushButton *b : window->findChildren<QPushButton *>()) {
        const QString text = b->text();
        const qsizetype mark = text.indexOf(u'&');
        letters.append(mark >= 0 && mark + 1 < text.size() ? text[mark + 1].toLower() : QChar());
    }
    return letters;
}


QStringList Tab_Walk(int steps)
{
    QStringList walked;
    for (int i = 0; i < steps; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << Focus_Name();
    }
    return walked;
}

QStringList Lines(QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines.append(list->item(i)->text());
    return lines;
}

}  // namespace

class Tst_Editor_Imports : public QObject {
    Q_OBJECT
private slots:
    void frames_from_a_database_data();
    void frames_from_a_database();
    void database_that_does_not_parse_names_line_and_column();
    void mapping_sheet_export_then_import_gives_the_same_lists_data();
    void mapping_sheet_export_then_import_gives_the_same_lists();
    void mapping_sheet_with_faults_or_another_header_data();
    void mapping_sheet_with_faults_or_another_header();
    void signals_then_ok_write_the_mappings_and_their_notes();
    void cancel_after_an_import_writes_nothing_data();
    void cancel_after_an_import_writes_nothing();
    void new_buttons_have_letters_and_tab_stops();
    void chooser_tab_from_the_filter_lands_on_a_tick_box_data();
    void chooser_tab_from_the_filter_lands_on_a_tick_box();
    void one_import_takes_frames_and_signals_data();
    void one_import_takes_frames_and_signals();
};

void Tst_Editor_Imports::frames_from_a_database_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QList<int>>("rows");  // the grid rows (1..) of the frames added
    QTest::addColumn<QList<Frame_Row>>("added");
    QTest::addColumn<QStringList>("report");
    const QString a = Frame_Type_11, b = Frame_Type_29;
    // Receive: time-out = cycle time x the factor given (5); the 29-bit frame is in the list.
    QTest::newRow("receive") << int(Direction::Receive) << QList<int>{4, 5}
                             << QList<Frame_Row>{{.CobID = "0x100", .Dimension = "8", .Type = a, .TimeOut = "50", .Mnemonic = "Motor_Daten"},
                                                 {.CobID = "0x601", .Dimension = "2", .Type = a, .TimeOut = "0", .Mnemonic = "Anzeige_Leer"}}
                             << QStringList{"Frame row 4: Motor_Daten", "Frame row 5: Anzeige_Leer",
                                            "Left out, line 47: Getriebe_Status: the list already holds this identifier and type"};
    // Transmit: on the timer every cycle time, or on a change of data without one.
    QTest::newRow("transmit") << int(Direction::Transmit) << QList<int>{3, 4, 5}
                              << QList<Frame_Row>{{.CobID = "0x100", .Dimension = "8", .Type = a, .DataChange = "N", .OnTimer = "Y", .SendTimer = "10", .Mnemonic = "Motor_Daten"},
                                                  {.CobID = "0x18FF0001", .Dimension = "8", .Type = b, .DataChange = "N", .OnTimer = "Y", .SendTimer = "100", .Mnemonic = "Getriebe_Status"},
                                                  {.CobID = "0x601", .Dimension = "2", .Type = a, .DataChange = "Y", .OnTimer = "N", .SendTimer = "0", .Mnemonic = "Anzeige_Leer"}}
                              << QStringList{"Frame row 3: Motor_Daten", "Frame row 4: Getriebe_Status", "Frame row 5: Anzeige_Leer"};
}

void Tst_Editor_Imports::frames_from_a_database()
{
    QFETCH(int, direction);
    QFETCH(QList<int>, rows);
    QFETCH(QList<Frame_Row>, added);
    QFETCH(QStringList, report);
    const Direction d = Direction(direction);
    Project p;
    Message_Recorder messages;
    const std::unique_ptr<Frame_List_Editor> editor = Frame_Editor(p.State, d);
    QVERIFY(editor->FormShow());
    const Frame_Grid before = editor->Grid_Model()->Grid();
    QList<Import_Summary> *reports = Record_Reports(*editor);
    editor->Ask_Dbc_Path = [] { return Vehicle_Dbc; };
    bool chooser_ran = false;
    editor->Run_Chooser = [&](Dbc_Chooser &c) {
        chooser_ran = true;
        // Every message is listed; those the converter cannot carry say why and cannot be ticked.
        [&] {
            QCOMPARE(c.Listed_Names(), (QStringList{"Motor_Daten", "Getriebe_Status", "Diagnose", "Rohdaten_FD",
                                                    "Anzeige_Leer", "VECTOR__INDEPENDENT_SIG_MSG"}));
            QVERIFY(!c.Can_Choose("Rohdaten_FD"));
            QVERIFY2(c.Note("Rohdaten_FD").contains("64 data bytes"), qPrintable(c.Note("Rohdaten_FD")));
            QVERIFY(!c.Can_Choose("VECTOR__INDEPENDENT_SIG_MSG"));
            QVERIFY(c.Can_Choose("Motor_Daten"));
            QCOMPARE(c.Note("Motor_Daten"), QString());
            QCOMPARE(c.Choice().Timeout_Factor, Default_Timeout_Factor);
            QCOMPARE(c.findChild<QWidget *>("SE_Timeout_Factor") != nullptr, d == Direction::Receive);
            // Each message with its signals and how many of them the import maps.
            QCOMPARE(c.Signal_Counts("Motor_Daten"), QString("4/4"));
            QCOMPARE(c.Signal_Counts("Rohdaten_FD"), QString("1/0"));
            // The filter matches names and identifiers; Select all takes only the rows shown.
            c.Set_Filter("0X4");
            QCOMPARE(c.Shown_Names(), (QStringList{"Diagnose", "VECTOR__INDEPENDENT_SIG_MSG"}));
            c.Set_Filter("daten");
            QCOMPARE(c.Shown_Names(), (QStringList{"Motor_Daten", "Rohdaten_FD"}));
            c.Select_All();
            c.Set_Filter("");
            QCOMPARE(c.Chosen_Names(), QStringList{"Motor_Daten"});
            c.Select_All();
            QCOMPARE(c.Chosen_Names(), (QStringList{"Motor_Daten", "Getriebe_Status", "Diagnose", "Anzeige_Leer"}));
            c.Select_None();
            QCOMPARE(c.Chosen_Names(), QStringList{});
        }();
        c.Check_Names({"Motor_Daten", "Getriebe_Status", "Anzeige_Leer", "Rohdaten_FD"});
        // The frames alone: their signals stay unmapped.
        c.Set_Choice({5, 0, false});
        return true;
    };
    editor->Btn_Import_DbcClick();
    QVERIFY(chooser_ran);
    QCOMPARE(messages.Errors.join(u'|'), QString());
    const Frame_Grid grid = editor->Grid_Model()->Grid();
    for (int i = 0; i < rows.size(); ++i) QCOMPARE(grid[rows[i] - 1], added[i]);
    // The rows that were there stay as they were; nothing else is added.
    for (int r = 0; r < grid.size(); ++r)
        if (!rows.contains(r + 1)) QCOMPARE(grid[r], before[r]);
    QCOMPARE(reports->size(), 1);
    QCOMPARE(reports->first().Lines, report);
    QVERIFY(editor->Has_Changes());

    // OK writes the list with the new frames (once the fixture's frames have a dimension and a time-out).
    if (d == Direction::Receive) {
        QVERIFY(editor->Grid_Model()->setData(editor->Grid_Model()->index(1, Receive_Col::Dimension), "8"));
        QVERIFY(editor->Grid_Model()->setData(editor->Grid_Model()->index(2, Receive_Col::TimeOut), "0"));
    }
    editor->Btn_OKClick();
    QCOMPARE(messages.Errors.join(u'|'), QString());
    const QList<Frame_Row> saved = Read_Frame_File(p.State.Files.Frame_File(d), d);
    QCOMPARE(saved.size(), rows.last());
    QCOMPARE(saved.last(), added.last());
}

void Tst_Editor_Imports::database_that_does_not_parse_names_line_and_column()
{
    Project p;
    const QString broken = p.Dir.filePath("broken.dbc");
    // No message can be read from it: a faulty statement costs only itself, a file without a
    // message is no database.
    Write_All(broken, "VERSION \"\"\n\nBO_ 256 Motor 8 Motor\n SG_ Speed : 0|16@1+ (1,0) [0|1] \"\" Vector__XXX\n"
                      " SG_ Bad : x|8@1+ (1,0) [0|1] \"\" Vector__XXX\n");
    const QMap<QString, QByteArray> files = p.Files();
    Message_Recorder messages;
    bool chooser_ran = false;
    auto run = [&](Dbc_Chooser &) { return chooser_ran = true; };
    const std::unique_ptr<Frame_List_Editor> frames = Frame_Editor(p.State, Direction::Receive);
    QVERIFY(frames->FormShow());
    frames->Ask_Dbc_Path = [&] { return broken; };
    frames->Run_Chooser = run;
    frames->Btn_Import_DbcClick();
    const std::unique_ptr<Mapping_Editor> mappings = Make_Mapping_Editor(p.State, Direction::Transmit);
    QVERIFY(mappings->FormShow());
    mappings->Ask_Dbc_Path = [&] { return broken; };
    mappings->Run_Chooser = run;
    mappings->Btn_Import_SignalsClick();
    QVERIFY(!chooser_ran);
    QCOMPARE(messages.Errors.size(), 2);
    for (const QString &error : messages.Errors) {
        QVERIFY2(error.contains(QDir::toNativeSeparators(broken)), qPrintable(error));
        QVERIFY2(error.contains("line 3, column 15"), qPrintable(error));
    }
    QVERIFY(!frames->Has_Changes());
    QVERIFY(!mappings->Has_Changes());
    QCOMPARE(p.Files(), files);
}

void Tst_Editor_Imports::mapping_sheet_export_then_import_gives_the_same_lists_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("report");
    QTest::newRow("receive") << int(Direction::Receive)
                             << QStringList{"Register 40: 0x181 (high byte 1, low byte 0)",
                                            "Register 41: 0x181 (high byte 7, low byte 2)",
                                            "Register $7: 0x182 (high byte 6, low byte 3)"};
    QTest::newRow("transmit") << int(Direction::Transmit)
                              << QStringList{"Register 7: 0x202 (high byte 1, low byte 2)"};
}

void Tst_Editor_Imports::mapping_sheet_export_then_import_gives_the_same_lists()
{
    QFETCH(int, direction);
    QFETCH(QStringList, report);
    const Direction d = Direction(direction);
    Project p;
    // A sheet names a frame by identifier and type, and holds only bytes the frame has: the
    // fixture's third receive frame (385, 0x181 again) gets an identifier of its own, and the
    // first frame the 8 bytes its registers use.
    const QString receive = p.Dir.filePath("CAN_Receive.xml");
    Write_All(receive,
              Read_All(receive).replace("CobID=\"385\"", "CobID=\"0x182\"").replace("Dimension=\"4\"", "Dimension=\"8\""));
    Message_Recorder messages;
    const std::unique_ptr<Mapping_Editor> editor = Make_Mapping_Editor(p.State, d);
    QVERIFY(editor->FormShow());
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
    const QList<Editor_Frame> loaded = editor->Mappings().Frames;
    const QString sheet = p.Dir.filePath("mappings.csv");
    editor->Ask_Path = [&](bool) { return sheet; };
    QStringList faults;
    editor->Ask_Take_Good_Lines = [&](const QList<Csv_Fault> &f) {
        for (const Csv_Fault &x : f) faults << QString::number(x.Line) + ": " + x.Reason;
        return false;
    };
    QList<Import_Summary> *reports = Record_Reports(*editor);
    editor->Btn_Export_CsvClick();
    QVERIFY(QFile::exists(sheet));

    // The registers change in the editor; the sheet brings back what it held when written.
    const int frame = d == Direction::Receive ? 0 : 1;
    Click_Line(editor.get(), "LB_CAN_Frames", frame);
    Click_Line(editor.get(), "LB_Modbus_Regs", 0);
    QTest::mouseClick(Get<QPushButton>(editor.get(), "Btn_Delete"), Qt::LeftButton);
    QVERIFY(editor->Has_Changes());
    editor->Btn_Import_CsvClick();
    QCOMPARE(messages.Errors.join(u'|'), QString());
    QCOMPARE(faults.join(u'|'), QString());
    QCOMPARE(editor->Mappings().Frames, loaded);
    QVERIFY(!editor->Has_Changes());
    // The list on screen shows the registers back, under the frame still selected.
    QCOMPARE(Get<QListWidget>(editor.get(), "LB_Modbus_Regs")->count(), loaded[frame].Registers.size());
    QCOMPARE(reports->size(), 1);
    QCOMPARE(reports->first().Lines, report);
    QCOMPARE(reports->first().Summary, QStringLiteral("%1 register(s) taken, 0 left out.").arg(report.size()));
}

void Tst_Editor_Imports::mapping_sheet_with_faults_or_another_header_data()
{
    QTest::addColumn<int>("direction");  // of the sheet's header
    QTest::addColumn<bool>("take_good");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("taken");
    QTest::newRow("bad line: nothing taken") << int(Direction::Receive) << false << true << false;
    QTest::newRow("bad line: good lines taken") << int(Direction::Receive) << true << true << true;
    QTest::newRow("transmit sheet refused") << int(Direction::Transmit) << true << false << false;
}

void Tst_Editor_Imports::mapping_sheet_with_faults_or_another_header()
{
    QFETCH(int, direction);
    QFETCH(bool, take_good);
    QFETCH(bool, asked);
    QFETCH(bool, taken);
    const Direction d = Direction(direction);
    Project p;
    const QString sheet = p.Dir.filePath("mappings.csv");
    // Line 1 is the header; line 3 names a frame the list does not hold.
    const QList<QStringList> lines =
        d == Direction::Receive
            ? QList<QStringList>{{"0x181", Frame_Type_11, "50", "1", "2"}, {"0x999", Frame_Type_11, "51", "1", "2"}}
            : QList<QStringList>{{"0x181", Frame_Type_11, "50", "1", "2", "0"}};
    Write_All(sheet, Write_Csv(Mapping_Csv_Columns(d), lines));

    Message_Recorder messages;
    Receive_Mapping_Editor editor(p.State);
    QVERIFY(editor.FormShow());
    const QList<Editor_Frame> loaded = editor.Mappings().Frames;
    editor.Ask_Path = [&](bool) { return sheet; };
    QList<int> fault_lines;
    bool was_asked = false;
    editor.Ask_Take_Good_Lines = [&](const QList<Csv_Fault> &faults) {
        was_asked = true;
        for (const Csv_Fault &f : faults) fault_lines.append(f.Line);
        return take_good;
    };
    QList<Import_Summary> *reports = Record_Reports(editor);
    editor.Btn_Import_CsvClick();
    QCOMPARE(was_asked, asked);
    if (asked) QCOMPARE(fault_lines, QList<int>{3});
    QCOMPARE(messages.Errors.size(), d == Direction::Receive ? 0 : 1);
    if (d != Direction::Receive) QVERIFY(messages.Errors[0].contains("is not a sheet of this list"));
    QCOMPARE(editor.Has_Changes(), taken);
    if (!taken) {
        QCOMPARE(editor.Mappings().Frames, loaded);
        QCOMPARE(reports->size(), 0);
        return;
    }
    // The sheet's registers replace the list's: one register, on the first frame.
    QList<Editor_Frame> expected = loaded;
    for (Editor_Frame &f : expected) f.Registers.clear();
    expected[0].Registers = {Editor_Register{"50", 1, 2, 0}};
    QCOMPARE(editor.Mappings().Frames, expected);
    QCOMPARE(reports->size(), 1);
    QCOMPARE(reports->first().Summary, QString("1 register(s) taken, 1 left out."));
    QCOMPARE(reports->first().Lines.size(), 2);
    QCOMPARE(reports->first().Lines[0], QString("Register 50: 0x181 (high byte 1, low byte 2)"));
    QVERIFY2(reports->first().Lines[1].startsWith("Left out, line 3: "), qPrintable(reports->first().Lines[1]));
}

void Tst_Editor_Imports::signals_then_ok_write_the_mappings_and_their_notes()
{
    Project p;
    // A note of the other direction is kept when the file is written again.
    const Signal_Note other{Direction::Transmit, "0x202", Frame_Type_11, 7, 1, 2, "Valve", "Position", "%", "0.5", "0"};
    const QString notes_path = p.State.Files.Signal_Notes;
    Write_All(notes_path, Signal_Notes_Bytes({other}));
    Message_Recorder messages;
    Receive_Mapping_Editor editor(p.State);
    QVERIFY(editor.FormShow());
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QList<Import_Summary> *reports = Record_Reports(editor);
    editor.Ask_Dbc_Path = [] { return Vehicle_Dbc; };
    editor.Run_Chooser = [&](Dbc_Chooser &c) {
        // Every message of the database; the first register is the lowest one not in use (the
        // list uses 7, 40 and 41). The gearbox frame is in the list without registers.
        [&] {
            QCOMPARE(c.Chooser_Direction(), Direction::Receive);
            QCOMPARE(c.Listed_Names().size(), 6);
            QCOMPARE(c.Choice(), (Dbc_Import_Choice{Default_Timeout_Factor, 0, true}));
            QCOMPARE(c.Signal_Counts("Getriebe_Status"), QString("4/4"));
        }();
        c.Check_Names({"Getriebe_Status"});
        return true;
    };
    editor.Btn_Import_SignalsClick();
    QCOMPARE(messages.Errors.join(u'|'), QString());
    QCOMPARE(reports->size(), 1);
    // The big-endian frame's byte pairs 1/2, 3/4, 5/6, 7/8 carry all four signals, each with
    // the registers that cover its bytes.
    QCOMPARE(reports->first().Summary, QString("0 frame(s) and 4 register(s) taken, 0 left out."));
    QCOMPARE(reports->first().Lines,
             (QStringList{"Register 0: Getriebe_Status.Gang (high byte 1, low byte 2)",
                          "Register 1: Getriebe_Status.Moment (low word) (high byte 3, low byte 4)",
                          "Register 2: Getriebe_Status.Zeit (word 2 of 3) (high byte 5, low byte 6)",
                          "Register 3: Getriebe_Status.Zeit (low word) (high byte 7, low byte 8)",
                          "Signal Getriebe_Status.Gang: registers 0, shift 8, 8 bit(s), unsigned",
                          "Signal Getriebe_Status.Moment: registers 0 1, shift 8, 16 bit(s), signed",
                          "Signal Getriebe_Status.Zeit: registers 1 2 3, shift 8, 32 bit(s), unsigned",
                          "Signal Getriebe_Status.Bit_Feld: registers 0, shift 2, 3 bit(s), unsigned"}));
    // The frame's registers are on screen.
    Click_Line(&editor, "LB_CAN_Frames", 1);
    QCOMPARE(Lines(Get<QListWidget>(&editor, "LB_Modbus_Regs")),
             (QStringList{"0; Byte 1; Byte 2;", "1; Byte 3; Byte 4;", "2; Byte 5; Byte 6;", "3; Byte 7; Byte 8;"}));
    // Nothing is written before OK.
    QCOMPARE(Read_All(notes_path), Signal_Notes_Bytes({other}));

    // The user moves register 1 to other bytes: what the database said no longer describes it.
    Click_Line(&editor, "LB_Modbus_Regs", 1);
    Get<QComboBox>(&editor, "CB_Byte_High_Part")->setCurrentIndex(4);
    QTest::mouseClick(Get<QPushButton>(&editor, "Btn_Modify"), Qt::LeftButton);
    QCOMPARE(Get<QListWidget>(&editor, "LB_Modbus_Regs")->item(1)->text(), QString("1; Byte 4; Byte 4;"));

    // A notes file with a line that is no note would lose that line in the rewrite: OK says
    // where, and neither file changes; once mended, OK saves.
    const QByteArray good_notes = Read_All(notes_path);
    const QByteArray map_before = Read_All(p.State.Files.Define_CAN_Receive);
    Write_All(notes_path, good_notes + "receive,0x181,typed by hand\r\n");
    editor.Btn_OKClick();
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors.first().contains("CAN_Signals.csv") && messages.Errors.first().contains("3"),
             qPrintable(messages.Errors.first()));
    QVERIFY(editor.isVisible());
    QCOMPARE(Read_All(p.State.Files.Define_CAN_Receive), map_before);
    messages.Errors.clear();
    Write_All(notes_path, good_notes);

    editor.Btn_OKClick();
    QCOMPARE(messages.Errors.join(u'|'), QString());
    QVERIFY(!editor.isVisible());
    QCOMPARE(Read_Mapping_Files(p.State.Files.CAN_Receive, p.State.Files.Define_CAN_Receive, Direction::Receive),
             editor.Mappings().Frames);
    const QList<Signal_Note> notes = Read_Signal_Notes(notes_path);
    QCOMPARE(notes.size(), 5);
    Signal_Note other_read = other;
    other_read.Registers = {{other.Register, other.HiPart, other.LoPart}};
    QVERIFY(notes.contains(other_read));
    const Signal_Note *gang = Find_Signal_Note(notes, Direction::Receive, "0", "$18FF0001", Frame_Type_29, 1, 2);
    QVERIFY(gang);
    QCOMPARE(gang->Signal, QString("Gang"));
    const Signal_Note *zeit = Find_Signal_Note(notes, Direction::Receive, "1", "$18FF0001", Frame_Type_29, 3, 4);
    QVERIFY(zeit);
    QCOMPARE(zeit->Signal, QString("Zeit"));
    QCOMPARE(zeit->Unit, QString("ms"));
    QCOMPARE(zeit->Registers, (QList<Note_Register>{{1, 3, 4}, {2, 5, 6}, {3, 7, 8}}));
}

void Tst_Editor_Imports::cancel_after_an_import_writes_nothing_data()
{
    QTest::addColumn<QString>("import");
    QTest::newRow("receive frames from a database") << "receive frames";
    QTest::newRow("transmit frames from a database") << "transmit frames";
    QTest::newRow("transmit mappings from a sheet") << "sheet";
    QTest::newRow("receive signals from a database") << "signals";
}

void Tst_Editor_Imports::cancel_after_an_import_writes_nothing()
{
    QFETCH(QString, import);
    Project p;
    const QString sheet = p.Dir.filePath("mappings.csv");
    Write_All(sheet, Write_Csv(Mapping_Csv_Columns(Direction::Transmit), {{"0x201", Frame_Type_11, "300", "1", "2", "1"}}));
    const QMap<QString, QByteArray> files = p.Files();
    Message_Recorder messages;
    messages.Answers = {true};  // yes, throw the import away
    std::unique_ptr<Editor_Dialog> editor;
    auto run = [](Dbc_Chooser &c) {
        c.Select_All();
        return true;
    };
    if (import.endsWith("frames")) {
        auto frames = Frame_Editor(p.State, import.startsWith("receive") ? Direction::Receive : Direction::Transmit);
        QVERIFY(frames->FormShow());
        frames->Ask_Dbc_Path = [] { return Vehicle_Dbc; };
        frames->Run_Chooser = run;
        Record_Reports(*frames);
        frames->Btn_Import_DbcClick();
        editor = std::move(frames);
    } else {
        auto mappings = Make_Mapping_Editor(p.State, import == "sheet" ? Direction::Transmit : Direction::Receive);
        QVERIFY(mappings->FormShow());
        mappings->Ask_Path = [&](bool) { return sheet; };
        mappings->Ask_Dbc_Path = [] { return Vehicle_Dbc; };
        mappings->Run_Chooser = run;
        Record_Reports(*mappings);
        if (import == "sheet")
            mappings->Btn_Import_CsvClick();
        else
            mappings->Btn_Import_SignalsClick();
        editor = std::move(mappings);
    }
    QCOMPARE(messages.Errors.join(u'|'), QString());
    QVERIFY(editor->Has_Changes());
    editor->reject();
    QCOMPARE(messages.Questions.size(), 1);
    QCOMPARE(editor->result(), int(QDialog::Rejected));
    QCOMPARE(p.Files(), files);
}

void Tst_Editor_Imports::new_buttons_have_letters_and_tab_stops()
{
    Project p;
    Message_Recorder messages;
    const QList<Dbc_Message> database = Read_Dbc_File(Vehicle_Dbc).Messages;
    // Every button has a letter of its own, in every language.
    for (const char *language : {"English", "Deutsch", "Español", "Français", "Italiano"}) {
        Use_Language(p.State, language);
        Transmit_Mapping_Editor mappings(p.State);
        Dbc_Chooser chooser(p.State, Direction::Receive, database, {}, {});
        for (QWidget *window : std::initializer_list<QWidget *>{&mappings, &chooser}) {
            const QList<QChar> letters = Button_Letters(window);
            QStringList texts;
            for (const QPushButton *b : window->findChildren<QPushButton *>()) texts << b->text();
            QVERIFY2(!letters.contains(QChar()), qPrintable(QString(language) + ": " + window->objectName() + ": " + texts.join(" | ")));
            QCOMPARE(QSet<QChar>(letters.begin(), letters.end()).size(), letters.size());
        }
    }
    Use_Language(p.State, "English");

    // The mapping editor's new buttons follow OK and Cancel.
    Receive_Mapping_Editor mappings(p.State);
    QVERIFY(mappings.FormShow());
    mappings.show();
    QVERIFY(QTest::qWaitForWindowActive(&mappings));
    Get<QPushButton>(&mappings, "Btn_Cancel")->setFocus();
    QCOMPARE(Tab_Walk(3), (QStringList{"Btn_Export_Csv", "Btn_Import_Csv", "Btn_Import_Signals"}));
    mappings.hide();

    // The chooser: filter, list, selection buttons, numbers, then its own buttons.
    Dbc_Chooser chooser(p.State, Direction::Receive, database, {}, {});
    chooser.show();
    QVERIFY(QTest::qWaitForWindowActive(&chooser));
    // Import waits for a choice (it would close the window and take nothing); Space in the list
    // ticks the message of the current row.
    auto *take = Get<QPushButton>(&chooser, "Btn_Take");
    QVERIFY(!take->isEnabled());
    auto *list = Get<QTableWidget>(&chooser, "TW_Messages");
    list->setFocus();
    list->setCurrentCell(0, 0);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(chooser.Chosen_Names(), QStringList{"Motor_Daten"});
    QVERIFY(take->isEnabled());
    Get<QWidget>(&chooser, "E_Filter")->setFocus();
    QCOMPARE(Tab_Walk(8), (QStringList{"TW_Messages", "Btn_Select_All", "Btn_Select_None", "SE_Timeout_Factor",
                                       "CB_With_Signals", "SE_First_Register", "Btn_Take", "Btn_Cancel"}));
    // Alt+letter of "Select all" ticks every message that can be chosen.
    const QString all = Get<QPushButton>(&chooser, "Btn_Select_All")->text();
    QTest::keyClick(QApplication::focusWidget(), all[all.indexOf(u'&') + 1].toLower().toLatin1(), Qt::AltModifier);
    QTRY_COMPARE(chooser.Chosen_Names().size(), 4);
}

void Tst_Editor_Imports::chooser_tab_from_the_filter_lands_on_a_tick_box_data()
{
    QTest::addColumn<QString>("chooser");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("first_shown");  // the first row the filter shows
    QTest::newRow("database") << "database" << "" << "Motor_Daten";
    QTest::newRow("database, filtered") << "database" << "anzeige" << "Anzeige_Leer";
    QTest::newRow("bus log") << "bus log" << "" << "0x181 11-bit";
    QTest::newRow("bus log, filtered") << "bus log" << "29" << "0x18FF0001 29-bit";
}

void Tst_Editor_Imports::chooser_tab_from_the_filter_lands_on_a_tick_box()
{
    // Both choosers are one list: the filter's clear button has a name, Tab from the filter
    // lands on the tick box of the first row shown, and Space ticks it.
    QFETCH(QString, chooser);
    QFETCH(QString, filter);
    QFETCH(QString, first_shown);
    Project p;
    std::unique_ptr<QDialog> dialog;
    std::function<QStringList()> chosen;
    if (chooser == "database") {
        auto c = std::make_unique<Dbc_Chooser>(p.State, Direction::Receive, Read_Dbc_File(Vehicle_Dbc).Messages,
                                               QList<int>{}, Dbc_Import_Choice{});
        chosen = [d = c.get()] { return d->Chosen_Names(); };
        dialog = std::move(c);
    } else {
        Seen_Frame a{0x181, false, 10, {8}, 10000, 12000}, b{0x18FF0001, true, 5, {8}, 100000, 100000};
        auto c = std::make_unique<Learn_Chooser>(p.State, QList<Seen_Frame>{a, b}, 3.0);
        chosen = [d = c.get()] {
            QStringList out;
            for (const Seen_Frame &f : d->Chosen()) out << Identifier_Hex(f.Id, f.Extended) + (f.Extended ? " 29-bit" : " 11-bit");
            return out;
        };
        dialog = std::move(c);
    }
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    auto *edit = Get<QLineEdit>(dialog.get(), "E_Filter");
    const QList<QToolButton *> clear = edit->findChildren<QToolButton *>();
    QVERIFY(!clear.isEmpty());
    for (QToolButton *button : clear) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), QString("Clear the filter"));
    }
    edit->setFocus();
    QTest::keyClicks(edit, filter);
    QTest::keyClick(edit, Qt::Key_Tab);
    auto *list = qobject_cast<QTableWidget *>(QApplication::focusWidget());
    QVERIFY2(list, qPrintable(Focus_Name()));
    QCOMPARE(list->currentColumn(), 0);
    QVERIFY(list->currentItem()->flags() & Qt::ItemIsUserCheckable);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(chosen(), QStringList{first_shown});
    // Tab goes on to the selection buttons, and Shift+Tab back to the same box.
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(Focus_Name(), QString("Btn_Select_All"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), list);
    QCOMPARE(list->currentColumn(), 0);
}

void Tst_Editor_Imports::one_import_takes_frames_and_signals_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<int>("direction");
    QTest::newRow("receive frame editor") << "frames" << int(Direction::Receive);
    QTest::newRow("transmit frame editor") << "frames" << int(Direction::Transmit);
    QTest::newRow("receive mapping editor") << "mappings" << int(Direction::Receive);
    QTest::newRow("transmit mapping editor") << "mappings" << int(Direction::Transmit);
}

void Tst_Editor_Imports::one_import_takes_frames_and_signals()
{
    // One database, picked once, in either editor of a direction: the new frame and its
    // signals' registers and recipes, written by OK together, as the one import function makes
    // them from the lists the files held.
    QFETCH(QString, editor);
    QFETCH(int, direction);
    const Direction d = Direction(direction);
    Project p;
    // The receive fixture's frames lack a dimension and a time-out the frame editor's OK wants.
    const QString receive = p.Dir.filePath("CAN_Receive.xml");
    Write_All(receive, Read_All(receive).replace("Dimension=\"\"", "Dimension=\"8\"").replace("TimeOut=\"\"", "TimeOut=\"0\""));
    const QString frame_path = p.State.Files.Frame_File(d), map_path = p.State.Files.Map_File(d);
    const QMap<QString, QByteArray> files = p.Files();
    const QList<Dbc_Message> chosen{*Read_Dbc_File(Vehicle_Dbc).Find("Motor_Daten"), *Read_Dbc_File(Vehicle_Dbc).Find("Getriebe_Status")};

    // What the one import makes of the files' lists.
    const Frame_Grid grid = Read_Frame_Grid(frame_path, d);
    const QList<Editor_Frame> stored = Read_Mapping_Files(frame_path, map_path, d);
    const int other = Count_Map_File_Rows(p.State.Files.Map_File(d == Direction::Receive ? Direction::Transmit : Direction::Receive));
    const Dbc_Direction_Import expected = Import_Dbc_Direction(grid, stored, d, chosen, {Default_Timeout_Factor, 200, true}, other);
    QVERIFY(!expected.Signals.Taken.isEmpty());
    QVERIFY(expected.Frames.Added.contains("Motor_Daten"));

    Message_Recorder messages;
    std::unique_ptr<Editor_Dialog> dialog;
    int picked = 0;
    auto pick = [&] { ++picked; return Vehicle_Dbc; };
    auto run = [&](Dbc_Chooser &c) {
        [&] {
            QCOMPARE(c.Chooser_Direction(), d);
            QCOMPARE(c.Signal_Counts("Motor_Daten"), QString("4/4"));
            QVERIFY(c.Choice().With_Signals);
        }();
        c.Check_Names({"Motor_Daten", "Getriebe_Status"});
        c.Set_Choice({Default_Timeout_Factor, 200, true});
        return true;
    };
    QList<Import_Summary> *reports = nullptr;
    if (editor == "frames") {
        auto e = Frame_Editor(p.State, d);
        QVERIFY(e->FormShow());
        e->Ask_Dbc_Path = pick;
        e->Run_Chooser = run;
        reports = Record_Reports(*e);
        e->Btn_Import_DbcClick();
        dialog = std::move(e);
    } else {
        auto e = Make_Mapping_Editor(p.State, d);
        QVERIFY(e->FormShow());
        e->Ask_Dbc_Path = pick;
        e->Run_Chooser = run;
        reports = Record_Reports(*e);
        e->Btn_Import_SignalsClick();
        // The new frame is listed at the end, with its registers.
        QCOMPARE(e->Mappings().Frames, expected.Entry_Frames());
        dialog = std::move(e);
    }
    QCOMPARE(picked, 1);
    QCOMPARE(messages.Errors.join(u'|'), QString());
    // The receive mapping file has a row that names no frame: both editors say before OK that
    // it goes.
    QCOMPARE(messages.Warnings.size(), d == Direction::Receive ? 1 : 0);
    if (d == Direction::Receive) QVERIFY2(messages.Warnings[0].contains("refer to frames that do not exist"), qPrintable(messages.Warnings[0]));
    // One report of it all.
    QCOMPARE(reports->size(), 1);
    QCOMPARE(reports->first().Summary, QStringLiteral("%1 frame(s) and %2 register(s) taken, 0 left out.")
                                           .arg(expected.Frames.Added.size())
                                           .arg(expected.Signals.Taken.size()));
    QVERIFY(dialog->Has_Changes());
    // Nothing is written before OK.
    QCOMPARE(p.Files(), files);

    if (editor == "frames") static_cast<Frame_List_Editor *>(dialog.get())->Btn_OKClick();
    else static_cast<Mapping_Editor *>(dialog.get())->Btn_OKClick();
    QCOMPARE(messages.Errors.join(u'|'), QString());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(Read_Frame_File(frame_path, d), expected.Entries());
    QCOMPARE(Read_Mapping_Files(frame_path, map_path, d), expected.Entry_Frames());
    const QList<Signal_Note> notes = Read_Signal_Notes(p.State.Files.Signal_Notes);
    QCOMPARE(notes.size(), expected.Notes.size());
    // Each signal's recipe, on the registers of its frame.
    for (const Signal_Note &n : expected.Notes)
        QVERIFY2(std::any_of(notes.begin(), notes.end(),
                             [&](const Signal_Note &read) {
                                 return read.Signal == n.Signal && read.Message == n.Message && read.CobID == n.CobID &&
                                        read.Registers == n.Registers && read.Shift == n.Shift;
                             }),
                 qPrintable(n.Message + '.' + n.Signal));
}

QTEST_MAIN(Tst_Editor_Imports)
#include "tst_editor_imports.moc"
