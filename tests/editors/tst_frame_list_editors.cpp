// The receive and transmit frame list dialogs, driven as a user drives them: typing into the
// grid, picking a type, ticking flags, inserting and deleting rows, saving and reopening. What
// every editor shares (unreadable file, failed save, Cancel, language) is in
// tst_editor_contract.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "config/Project_Files.h"
#include "widgets/Frame_Grid_Model.h"
#include "dialogs/Frame_List_Editor.h"
#include "exchange/Csv_Lists.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QLabel>
#include <QtTest>

class Tst_Frame_List_Editors : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void typing_picking_and_ticking_saves_the_exact_file();
    void saved_gaps_come_back_packed();
    void cob_id_shown_as_the_device_reads_it();
    void files_that_cannot_be_shown_whole_are_not_opened_data();
    void files_that_cannot_be_shown_whole_are_not_opened();
    void delete_asks_with_the_row_number_and_insert_keeps_every_frame();
    void main_window_opens_both_editors();
    void pasted_unstorable_character_is_refused_data();
    void pasted_unstorable_character_is_refused();
    void keyboard_alone_types_a_frame_and_saves();
    void tab_walks_the_row_then_leaves_data();
    void tab_walks_the_row_then_leaves();
    void every_showing_starts_in_the_first_field();
    void escape_closes_from_a_cell_being_typed_into_data();
    void escape_closes_from_a_cell_being_typed_into();
    void buttons_answer_their_letters();
    void csv_export_then_import_gives_the_same_grid();
    void csv_sheet_with_faults_or_another_header_data();
    void csv_sheet_with_faults_or_another_header();

private:
    std::unique_ptr<Test_Workspace> ws_;
    App_State *state_ = nullptr;
    std::unique_ptr<Message_Recorder> messages_;
};

namespace {

QModelIndex Cell(Frame_List_Editor &dialog, int row, int column)
{
    return dialog.Grid_Model()->index(row - 1, column);
}

void Click_Cell(Frame_List_Editor &dialog, int row, int column)
{
    Click_Cell(dialog.Grid_View(), Cell(dialog, row, column));
}

void Type_Into(Frame_List_Editor &dialog, int row, int column, const QString &text)
{
    Type_Into_Cell(dialog.Grid_View(), Cell(dialog, row, column), text);
}

void Pick_Type(Frame_List_Editor &dialog, int row, const QString &type)
{
    Pick_In_Cell(dialog.Grid_View(), Cell(dialog, row, Receive_Col::Type), type);
}

// Clicks the check box in the middle of a flag cell.
void Tick(Frame_List_Editor &dialog, int row, int column) { Click_Cell(dialog, row, column); }

QPushButton *Button(QWidget &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = Key_Target();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

QString Focus_Place(Frame_List_Editor &dialog) { return Focus_Place(dialog.Grid_View()); }

QByteArray Receive_File(int rows)
{
    QByteArray bytes = "<ReceiveCAN>";
    for (int i = 1; i <= rows; ++i)
        bytes += "<row CobID=\"" + QByteArray::number(i) +
                 "\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"\"/>";
    return bytes + "</ReceiveCAN><!--SW_VERSION = 1.102-->";
}

}  // namespace

void Tst_Frame_List_Editors::init()
{
    ws_ = std::make_unique<Test_Workspace>();
    ws_->Start();
    ws_->Open_Configuration(QStringLiteral("Line1"));
    state_ = &ws_->state;
    messages_ = std::make_unique<Message_Recorder>();
}

void Tst_Frame_List_Editors::cleanup()
{
    messages_.reset();
    state_ = nullptr;
    ws_.reset();
}

void Tst_Frame_List_Editors::typing_picking_and_ticking_saves_the_exact_file()
{
    Transmit_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    Type_Into(dialog, 1, Transmit_Col::CobID, " 0x181");
    Type_Into(dialog, 1, Transmit_Col::Dimension, "8");
    Pick_Type(dialog, 1, Frame_Type_29);
    Click_Cell(dialog, 1, Transmit_Col::DataChange);
    QTest::keyClick(dialog.Grid_View(), Qt::Key_Space);
    Tick(dialog, 1, Transmit_Col::OnTimer);
    Type_Into(dialog, 1, Transmit_Col::SendTimer, "100");
    Type_Into(dialog, 1, Transmit_Col::Mnemonic, "Motor <1>");
    // Row 2 stays empty; row 3 is saved all the same, right after row 1.
    Type_Into(dialog, 3, Transmit_Col::CobID, "$7FF");
    Type_Into(dialog, 3, Transmit_Col::Dimension, "4");
    Pick_Type(dialog, 3, Frame_Type_11);
    Tick(dialog, 3, Transmit_Col::DataChange);
    Tick(dialog, 3, Transmit_Col::DataChange);
    // Typed and not yet confirmed with Enter: OK takes it as well.
    Click_Cell(dialog, 3, Transmit_Col::SendTimer);
    QTest::keyClicks(dialog.Grid_View(), "x");

    QCOMPARE(dialog.Grid_Model()->data(Cell(dialog, 1, Transmit_Col::OnTimer), Qt::CheckStateRole).toInt(),
             int(Qt::Checked));
    QTest::mouseClick(Button(dialog, "Btn_OK"), Qt::LeftButton);
    QCOMPARE(messages_->Errors, QStringList());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(Read_All(state_->Files.CAN_Transmit),
             QByteArray("<TransmitCAN>"
                        "<row CobID=\" 0x181\" Dimension=\"8\" Type=\"CAN 2.0B 29 bits\" DataChange=\"Y\" "
                        "OnTimer=\"Y\" SendTimer=\"100\" Mnemonic=\"Motor &lt;1>\"/>"
                        "<row CobID=\"$7FF\" Dimension=\"4\" Type=\"CAN 2.0A 11 bits\" DataChange=\"N\" "
                        "OnTimer=\"\" SendTimer=\"x\" Mnemonic=\"\"/>"
                        "</TransmitCAN><!--SW_VERSION = 1.102-->"));

    // Reopened: the two frames stand in rows 1 and 2.
    QVERIFY(dialog.FormShow());
    const Frame_Grid_Model *model = dialog.Grid_Model();
    QCOMPARE(model->Cell(1, Transmit_Col::CobID), QStringLiteral(" 0x181"));
    QCOMPARE(model->Cell(2, Transmit_Col::CobID), QStringLiteral("$7FF"));
    QCOMPARE(model->Cell(2, Transmit_Col::DataChange), QStringLiteral("N"));
    QCOMPARE(model->Cell(3, Transmit_Col::CobID), QString());
    QCOMPARE(model->Cell(3, Transmit_Col::Num), QStringLiteral("3"));
}

void Tst_Frame_List_Editors::cob_id_shown_as_the_device_reads_it()
{
    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *reads = dialog.findChild<QLabel *>(QStringLiteral("L_Device_Reads"));
    QVERIFY(reads);

    // Plain digits are decimal to the device: the line under the grid and the cell's tooltip say
    // what it gets, and follow the row the user is in.
    Type_Into(dialog, 1, Receive_Col::CobID, "181");
    Pick_Type(dialog, 1, Frame_Type_11);
    Type_Into(dialog, 2, Receive_Col::CobID, "$18FF0001");
    Pick_Type(dialog, 2, Frame_Type_29);
    Click_Cell(dialog, 1, Receive_Col::Dimension);
    QCOMPARE(reads->text(), QString("Row 1: Cob-ID 181 reaches the device as 0x0B5 11-bit"));
    QVERIFY(reads->isVisible());
    QCOMPARE(dialog.Grid_Model()->data(Cell(dialog, 1, Receive_Col::CobID), Qt::ToolTipRole).toString(),
             QString("The device reads 0x0B5 11-bit"));
    Click_Cell(dialog, 2, Receive_Col::Mnemonic);
    QCOMPARE(reads->text(), QString("Row 2: Cob-ID $18FF0001 reaches the device as 0x18FF0001 29-bit"));

    // Digits copied from a CAN tool: what to write instead, before OK refuses them.
    Type_Into(dialog, 2, Receive_Col::CobID, "18FF0001");
    QCOMPARE(reads->text(), QString("For a hexadecimal identifier, write 0x18FF0001"));
    QVERIFY(!dialog.Grid_Model()->data(Cell(dialog, 2, Receive_Col::CobID), Qt::ToolTipRole).isValid());
    // An empty row: the rule itself.
    Click_Cell(dialog, 3, Receive_Col::CobID);
    QCOMPARE(reads->text(), QString("Cob-IDs in plain digits are decimal: 181 is 0x0B5. For hexadecimal write 0x181."));

    Type_Into(dialog, 1, Receive_Col::Dimension, "8");
    Type_Into(dialog, 1, Receive_Col::TimeOut, "0");
    Type_Into(dialog, 2, Receive_Col::Dimension, "8");
    Type_Into(dialog, 2, Receive_Col::TimeOut, "0");
    QTest::mouseClick(Button(dialog, "Btn_OK"), Qt::LeftButton);
    QCOMPARE(messages_->Errors,
             QStringList{"Error in row 2!! CobID must be between 0x00000000 and 0x1FFFFFFF\n"
                         "For a hexadecimal identifier, write 0x18FF0001"});
    dialog.reject();
}

void Tst_Frame_List_Editors::saved_gaps_come_back_packed()
{
    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.show();
    Frame_Grid_Model *model = dialog.Grid_Model();
    auto set = [&](int row, int column, const char *text) {
        QVERIFY(model->setData(Cell(dialog, row, column), QString::fromUtf8(text)));
    };
    set(1, Receive_Col::CobID, "0x181");
    set(1, Receive_Col::Dimension, "8");
    set(1, Receive_Col::Type, "CAN 2.0A 11 bits");
    set(1, Receive_Col::TimeOut, "1000");
    set(2, Receive_Col::Mnemonic, "no Cob-ID: not a frame");
    set(3, Receive_Col::CobID, "0x182");
    set(3, Receive_Col::Dimension, "20");
    set(3, Receive_Col::Type, "CAN 2.0A 11 bits");
    set(3, Receive_Col::TimeOut, "");

    // Every entry is checked, also below the empty row 2: a frame the save would keep must
    // never be saved with a fault that the next opening would report.
    dialog.Btn_OKClick();
    QCOMPARE(messages_->Errors, QStringList{"Error in row 3!! Dimension must be between 1 and 8"});
    QVERIFY(dialog.isVisible());
    QVERIFY(!QFile::exists(state_->Files.CAN_Receive));
    // The user is taken to the cell at fault, and every cell is kept.
    QCOMPARE(dialog.Grid_View()->currentIndex(), Cell(dialog, 3, Receive_Col::Dimension));
    QCOMPARE(model->Cell(3, Receive_Col::Dimension), QStringLiteral("20"));

    messages_->Errors.clear();
    set(3, Receive_Col::Dimension, "2");
    set(3, Receive_Col::TimeOut, "0");
    dialog.Btn_OKClick();
    QCOMPARE(messages_->Errors, QStringList());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QByteArray saved =
        "<ReceiveCAN><row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"1000\" Mnemonic=\"\"/>"
        "<row CobID=\"0x182\" Dimension=\"2\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"\"/>"
        "</ReceiveCAN><!--SW_VERSION = 1.102-->";
    QCOMPARE(Read_All(state_->Files.CAN_Receive), saved);

    // At the next opening the second frame stands in row 2: the gap was packed away.
    QVERIFY(dialog.FormShow());
    QCOMPARE(model->Cell(2, Receive_Col::CobID), QStringLiteral("0x182"));
    QCOMPARE(model->Cell(3, Receive_Col::Mnemonic), QString());
}

void Tst_Frame_List_Editors::files_that_cannot_be_shown_whole_are_not_opened_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("reason");
    QTest::newRow("attribute missing") << "frames/CAN_Receive_no_TimeOut.xml"
                                       << "row 2: the attribute \"TimeOut\" is missing";
    QTest::newRow("251 rows") << "" << "the file holds 251 frames; a list holds at most 250";
}

void Tst_Frame_List_Editors::files_that_cannot_be_shown_whole_are_not_opened()
{
    QFETCH(QString, fixture);
    QFETCH(QString, reason);
    const QByteArray bytes =
        fixture.isEmpty() ? Receive_File(251) : Read_All(Test_Data(fixture));
    QVERIFY(!bytes.isEmpty());
    Write_All(state_->Files.CAN_Receive, bytes);

    Receive_Frame_Editor dialog(*state_);
    bool shown = false;
    // Should the dialog open after all, this closes it so the test can report it.
    QTimer::singleShot(0, &dialog, [&] {
        shown = dialog.isVisible();
        dialog.reject();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(!shown);
    QCOMPARE(messages_->Errors.size(), 1);
    QVERIFY2(messages_->Errors[0].contains(state_->Files.CAN_Receive + ": "), qPrintable(messages_->Errors[0]));
    QVERIFY2(messages_->Errors[0].contains(reason), qPrintable(messages_->Errors[0]));
    QCOMPARE(Read_All(state_->Files.CAN_Receive), bytes);
}

void Tst_Frame_List_Editors::delete_asks_with_the_row_number_and_insert_keeps_every_frame()
{
    Write_All(state_->Files.CAN_Receive, Receive_File(Max_Frame_Entries));
    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.show();
    const Frame_Grid_Model *model = dialog.Grid_Model();
    QPushButton *insert = Button(dialog, "Btn_InsRow");
    QPushButton *remove = Button(dialog, "Btn_DelRow");

    // Row 250 holds a frame: an inserted row would push it out, so Insert Row is off.
    QVERIFY(!insert->isEnabled());
    dialog.Btn_InsRowClick();
    QCOMPARE(model->Cell(Max_Frame_Entries, Receive_Col::CobID), QStringLiteral("250"));

    dialog.Grid_View()->setCurrentIndex(Cell(dialog, 5, Receive_Col::TimeOut));
    messages_->Answers = {false};
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(messages_->Questions, QStringList{"Are you sure to delete the Row number 5"});
    QCOMPARE(model->Cell(5, Receive_Col::CobID), QStringLiteral("5"));

    messages_->Answers = {true};
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(model->Cell(5, Receive_Col::CobID), QStringLiteral("6"));
    QCOMPARE(model->Cell(249, Receive_Col::CobID), QStringLiteral("250"));
    QCOMPARE(model->Cell(250, Receive_Col::CobID), QString());
    QVERIFY(insert->isEnabled());

    QTest::mouseClick(insert, Qt::LeftButton);
    QCOMPARE(model->Cell(5, Receive_Col::CobID), QString());
    QCOMPARE(model->Cell(5, Receive_Col::Num), QStringLiteral("5"));
    QCOMPARE(model->Cell(6, Receive_Col::CobID), QStringLiteral("6"));
    QCOMPARE(model->Cell(250, Receive_Col::CobID), QStringLiteral("250"));
    QVERIFY(!insert->isEnabled());
    QCOMPARE(Pack_Entries(model->Grid()).size(), Max_Frame_Entries - 1);
}

void Tst_Frame_List_Editors::main_window_opens_both_editors()
{
    ws_->window->show();
    struct Step {
        const char *button;
        const char *dialog;
        const char *title;
        int columns;
    };
    // The title names the configuration being edited.
    for (const Step &step : {Step{"Btn_Receive_COB", "TFReceiveCAN", "Receive CAN \u2013 Line1", Receive_Col::Count},
                             Step{"Btn_Transmit_COB", "TFTransmitCAN", "Transmit CAN \u2013 Line1", Transmit_Col::Count}}) {
        QString seen;
        int columns = 0;
        When_Modal([&] {
            QWidget *modal = Active_Modal();
            seen = modal->objectName() + "|" + modal->windowTitle();
            columns = modal->findChild<QTableView *>("sga")->model()->columnCount();
            modal->findChild<QPushButton *>("Btn_OK")->click();
        });
        ws_->Click(step.button);
        QCOMPARE(seen, QString::fromLatin1(step.dialog) + "|" + QString::fromUtf8(step.title));
        QCOMPARE(columns, step.columns);
    }
    // OK on the empty lists wrote both files: the root and no rows.
    QCOMPARE(Read_All(state_->Files.CAN_Receive), QByteArray("<ReceiveCAN/><!--SW_VERSION = 1.102-->"));
    QCOMPARE(Read_All(state_->Files.CAN_Transmit), QByteArray("<TransmitCAN/><!--SW_VERSION = 1.102-->"));
}


void Tst_Frame_List_Editors::pasted_unstorable_character_is_refused_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("code");

    QTest::newRow("mnemonic") << Receive_Col::Mnemonic << QString("Motor\x01 1") << "U+0001";
    QTest::newRow("identifier") << Receive_Col::CobID << QString("0x18\x1B" "1") << "U+001B";
    QTest::newRow("time-out") << Receive_Col::TimeOut << QString(QChar(0xFFFF)) << "U+FFFF";
}

void Tst_Frame_List_Editors::pasted_unstorable_character_is_refused()
{
    QFETCH(int, column);
    QFETCH(QString, pasted);
    QFETCH(QString, code);
    const QByteArray stored = Receive_File(1);
    Write_All(state_->Files.CAN_Receive, stored);
    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const QString before = dialog.Grid_Model()->Cell(1, column);

    // Typing cannot bring such a character in; pasting can (insert is what a paste does).
    const QModelIndex cell = Cell(dialog, 1, column);
    Click_Cell(dialog.Grid_View(), cell);
    QTest::keyClick(dialog.Grid_View(), Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(dialog.Grid_View()->indexWidget(cell));
    QVERIFY(editor);
    editor->insert(pasted);
    QCOMPARE(editor->text(), pasted);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!dialog.Grid_View()->indexWidget(cell));
    QTRY_COMPARE(messages_->Errors,
                 QStringList("The text holds a character that a configuration file cannot store (code " + code + ")."));
    QCOMPARE(dialog.Grid_Model()->Cell(1, column), before);

    QTest::mouseClick(Button(dialog, "Btn_OK"), Qt::LeftButton);
    QCOMPARE(messages_->Errors.size(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(Read_All(state_->Files.CAN_Receive), stored);
}

void Tst_Frame_List_Editors::keyboard_alone_types_a_frame_and_saves()
{
    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(Focus_Place(dialog), QStringLiteral("sga 1,1"));

    // A frame typed field by field; Tab goes on to the next field with its editor open.
    Type_Keys("0x181");
    Press(Qt::Key_Tab);
    QCOMPARE(Focus_Place(dialog), QStringLiteral("sga 1,2 editing"));
    Type_Keys("8");
    Press(Qt::Key_Tab);
    // The type's list opens by itself; the arrow picks, Tab takes it and goes on.
    QTRY_VERIFY(QApplication::activePopupWidget());
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    Press(Qt::Key_Tab);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(Focus_Place(dialog), QStringLiteral("sga 1,4 editing"));
    Type_Keys("1000");
    Press(Qt::Key_Tab);
    Type_Keys("Motor");
    // Tab from the last field of the last frame goes on to the empty row below, for the next
    // frame; Tab again, with nothing typed there, leaves the grid for OK, and Enter presses it.
    Press(Qt::Key_Tab);
    QCOMPARE(Focus_Place(dialog), QStringLiteral("sga 2,1 editing"));
    Press(Qt::Key_Tab);
    QCOMPARE(Focus_Place(dialog), QStringLiteral("Btn_OK"));
    Press(Qt::Key_Return);

    QCOMPARE(messages_->Errors, QStringList());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(Read_All(state_->Files.CAN_Receive),
             QByteArray("<ReceiveCAN><row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0B 29 bits\" TimeOut=\"1000\" "
                        "Mnemonic=\"Motor\"/></ReceiveCAN><!--SW_VERSION = 1.102-->"));
}

void Tst_Frame_List_Editors::tab_walks_the_row_then_leaves_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("editing");  // the cell's editor is open when the key comes
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("lands");

    const int tab = Qt::Key_Tab, none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    using R = QString;
    QTest::newRow("Tab: next field") << false << 1 << 1 << false << tab << none << R("sga 1,2");
    QTest::newRow("Tab from an editor: next field, edited") << false << 3 << 2 << true << tab << none
                                                            << R("sga 3,3 editing");
    QTest::newRow("Tab from the last field: OK") << false << 1 << 5 << false << tab << none << R("Btn_OK");
    QTest::newRow("Tab from the last field of row 7: OK") << false << 7 << 5 << false << tab << none << R("Btn_OK");
    QTest::newRow("Tab from the last field's editor: OK") << false << 2 << 5 << true << tab << none << R("Btn_OK");
    QTest::newRow("Tab from the last row's last field: OK") << false << 250 << 5 << false << tab << none
                                                            << R("Btn_OK");
    QTest::newRow("Shift+Tab: field before") << false << 4 << 3 << false << tab << shift << R("sga 4,2");
    // The receive editor's last button is the one that learns frames from a recording.
    QTest::newRow("Shift+Tab from the first field: the last button") << false << 1 << 1 << false << tab << shift
                                                                     << R("Btn_Learn");
    QTest::newRow("Shift+Tab from the first field of row 9: the last button")
        << false << 9 << 1 << false << tab << shift << R("Btn_Learn");
    QTest::newRow("Shift+Tab from the first field's editor") << false << 1 << 1 << true << tab << shift
                                                             << R("Btn_Learn");
    QTest::newRow("Ctrl+Tab from the middle: OK") << false << 2 << 3 << false << tab << ctrl << R("Btn_OK");
    QTest::newRow("Ctrl+Tab from an editor: OK") << false << 2 << 2 << true << tab << ctrl << R("Btn_OK");
    QTest::newRow("Ctrl+Shift+Tab from the middle") << false << 2 << 3 << false << tab << (ctrl | shift)
                                                    << R("Btn_Learn");
    QTest::newRow("Home stops at the first field") << false << 2 << 4 << false << int(Qt::Key_Home) << none
                                                   << R("sga 2,1");
    QTest::newRow("Left from the first field stays") << false << 2 << 1 << false << int(Qt::Key_Left) << none
                                                     << R("sga 2,1");
    QTest::newRow("transmit: Tab across the flags") << true << 1 << 4 << false << tab << none << R("sga 1,5");
    QTest::newRow("transmit: Tab from the last field: OK") << true << 1 << 7 << false << tab << none
                                                           << R("Btn_OK");
}

void Tst_Frame_List_Editors::tab_walks_the_row_then_leaves()
{
    QFETCH(bool, transmit);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, editing);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, lands);
    std::unique_ptr<Frame_List_Editor> dialog;
    if (transmit)
        dialog = std::make_unique<Transmit_Frame_Editor>(*state_);
    else
        dialog = std::make_unique<Receive_Frame_Editor>(*state_);
    QVERIFY(dialog->FormShow());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QTableView *grid = dialog->Grid_View();
    const QModelIndex cell = Cell(*dialog, row, column);
    Focus_Cell(grid, cell, editing);
    if (QTest::currentTestFailed()) return;
    if (editing) QTest::keyClicks(grid->indexWidget(cell), "7");
    Press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Focus_Place(*dialog), lands);
    // Whatever was typed into the cell left behind is kept.
    if (editing) QVERIFY(dialog->Grid_Model()->Cell(row, column).endsWith(u'7'));
}

void Tst_Frame_List_Editors::every_showing_starts_in_the_first_field()
{
    Write_All(state_->Files.CAN_Receive, Receive_File(3));
    Receive_Frame_Editor dialog(*state_);
    for (int showing = 0; showing < 2; ++showing) {
        QVERIFY(dialog.FormShow());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTRY_COMPARE(Focus_Place(dialog), QStringLiteral("sga 1,1"));
        // Left somewhere else: a cell further down, then the Cancel button.
        Click_Cell(dialog, 3, Receive_Col::TimeOut);
        Button(dialog, "Btn_Cancel")->setFocus();
        QTest::keyClick(Button(dialog, "Btn_Cancel"), Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }
    QVERIFY(messages_->Questions.isEmpty());
}

void Tst_Frame_List_Editors::escape_closes_from_a_cell_being_typed_into_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<QString>("typed");  // into the Cob-ID cell of the empty first row
    QTest::addColumn<bool>("asked");
    QTest::newRow("receive, typed") << false << "0x181" << true;
    QTest::newRow("receive, editor opened, nothing typed") << false << "" << false;
    QTest::newRow("transmit, typed") << true << "0x201" << true;
}

void Tst_Frame_List_Editors::escape_closes_from_a_cell_being_typed_into()
{
    // Typing opens the cell's editor: Escape pressed there, as a user presses it, leaves the
    // dialog as from anywhere else in it. After a change it asks first; No keeps every letter.
    QFETCH(bool, transmit);
    QFETCH(QString, typed);
    QFETCH(bool, asked);
    const QByteArray before = Read_All(transmit ? state_->Files.CAN_Transmit : state_->Files.CAN_Receive);
    std::unique_ptr<Frame_List_Editor> dialog;
    if (transmit) dialog = std::make_unique<Transmit_Frame_Editor>(*state_);
    else dialog = std::make_unique<Receive_Frame_Editor>(*state_);
    QVERIFY(dialog->FormShow());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QCOMPARE(Focus_Place(*dialog), QStringLiteral("sga 1,1"));
    if (typed.isEmpty()) Press(Qt::Key_F2);
    else Type_Keys(typed);
    QCOMPARE(Focus_Place(*dialog), QStringLiteral("sga 1,1 editing"));

    messages_->Answers = {false};
    Press(Qt::Key_Escape);
    QCOMPARE(messages_->Questions.size(), asked ? 1 : 0);
    QCOMPARE(dialog->isVisible(), asked);
    if (asked) {
        // Still there, the typed text in its cell.
        QCOMPARE(dialog->Grid_Model()->Cell(1, Receive_Col::CobID), typed);
        messages_->Answers = {true};
        Press(Qt::Key_Escape);
        QCOMPARE(messages_->Questions.size(), 2);
        QVERIFY(!dialog->isVisible());
    }
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(messages_->Errors, QStringList());
    QCOMPARE(Read_All(transmit ? state_->Files.CAN_Transmit : state_->Files.CAN_Receive), before);
}

void Tst_Frame_List_Editors::buttons_answer_their_letters()
{
    // Every button has a letter of its own, in every language, and Alt+letter presses it even
    // while a cell is being typed into.
    ws_->Copy_Shipped_Languages();
    for (const QString &language : Test_Workspace::Shipped_Languages()) {
        ws_->Switch_Language(language);
        Transmit_Frame_Editor dialog(*state_);
        QSet<QChar> letters;
        for (const char *name :
             {"Btn_OK", "Btn_Cancel", "Btn_DelRow", "Btn_InsRow", "Btn_Export_Csv", "Btn_Import_Csv", "Btn_Import_Dbc"}) {
            const QString text = Button(dialog, name)->text();
            const qsizetype mark = text.indexOf(u'&');
            QVERIFY2(mark >= 0 && mark + 1 < text.size(), qPrintable(language + ": " + text));
            letters.insert(text[mark + 1].toLower());
        }
        QCOMPARE(letters.size(), 7);
        Receive_Frame_Editor receive(*state_);
        letters.clear();
        for (const char *name : {"Btn_OK", "Btn_Cancel", "Btn_DelRow", "Btn_InsRow", "Btn_Export_Csv", "Btn_Import_Csv",
                                 "Btn_Import_Dbc", "Btn_Learn"}) {
            const QString text = Button(receive, name)->text();
            const qsizetype mark = text.indexOf(u'&');
            QVERIFY2(mark >= 0 && mark + 1 < text.size(), qPrintable(language + ": " + text));
            letters.insert(text[mark + 1].toLower());
        }
        QCOMPARE(letters.size(), 8);
    }
    ws_->Switch_Language(QStringLiteral("English"));
    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(Button(dialog, "Btn_InsRow")->text(), QStringLiteral("&Insert Row"));
    // OK takes the cell still being typed, and its check finds the type missing.
    Type_Keys("0x1");
    QTest::keyClick(Key_Target(), Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(messages_->Errors, QStringList{"Error in row 1!! Type of CAN message must be selected"});
    QCOMPARE(dialog.Grid_Model()->Cell(1, Receive_Col::CobID), QStringLiteral("0x1"));
    QVERIFY(dialog.isVisible());
    QVERIFY(!QFile::exists(state_->Files.CAN_Receive));
}

void Tst_Frame_List_Editors::csv_export_then_import_gives_the_same_grid()
{
    const QString sheet = ws_->Path(QStringLiteral("frames.csv"));
    {
        Receive_Frame_Editor dialog(*state_);
        QVERIFY(dialog.FormShow());
        Frame_Grid_Model *model = dialog.Grid_Model();
        const QStringList rows[] = {{"0x181", "8", Frame_Type_11, "1000", "Motor; \"left\""},
                                    {"0x1FFFF", "4", Frame_Type_29, "0", "a,b"},
                                    {"386", "2", Frame_Type_11, "50", ""}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < rows[r].size(); ++c)
                QVERIFY(model->setData(Cell(dialog, r + 1, Receive_Col::CobID + c), rows[r][c]));
        dialog.Btn_OKClick();
        QCOMPARE(messages_->Errors.join(u'|'), QString());
    }
    const QByteArray file = Read_All(state_->Files.CAN_Receive);

    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    const Frame_Grid loaded = dialog.Grid_Model()->Grid();
    dialog.Ask_Path = [&](bool) { return sheet; };
    dialog.Btn_Export_CsvClick();
    QVERIFY(QFile::exists(sheet));

    // The grid changed since; the sheet brings back what it showed, each frame under its old
    // number, so that OK keeps the mappings with their frames.
    dialog.Grid_Model()->Delete_Row(1);
    QVERIFY(dialog.Has_Changes());
    dialog.Btn_Import_CsvClick();
    QCOMPARE(messages_->Errors, QStringList{});
    const Frame_Grid grid = dialog.Grid_Model()->Grid();
    QCOMPARE(grid, loaded);
    for (int i = 0; i < 3; ++i) QCOMPARE(grid[i].Stored_Index, loaded[i].Stored_Index);
    QVERIFY(!dialog.Has_Changes());
    // Nothing is written before OK.
    dialog.reject();
    QCOMPARE(Read_All(state_->Files.CAN_Receive), file);
}

void Tst_Frame_List_Editors::csv_sheet_with_faults_or_another_header_data()
{
    QTest::addColumn<int>("direction");  // of the sheet's header
    QTest::addColumn<bool>("take_good");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("row1");  // the grid's first Cob-ID afterwards
    QTest::newRow("bad line: nothing taken") << int(Direction::Receive) << false << true << "";
    QTest::newRow("bad line: good lines taken") << int(Direction::Receive) << true << true << "0x181";
    QTest::newRow("transmit sheet refused") << int(Direction::Transmit) << true << false << "";
}

void Tst_Frame_List_Editors::csv_sheet_with_faults_or_another_header()
{
    QFETCH(int, direction);
    QFETCH(bool, take_good);
    QFETCH(bool, asked);
    QFETCH(QString, row1);
    const Direction d = Direction(direction);
    const QString sheet = ws_->Path(QStringLiteral("frames.csv"));
    // Line 1 is the header; line 3 has a length no frame can have.
    const QList<QStringList> lines =
        d == Direction::Receive
            ? QList<QStringList>{{"0x181", "8", Frame_Type_11, "1000", "good"}, {"0x182", "20", Frame_Type_11, "", "bad"}}
            : QList<QStringList>{{"0x181", "8", Frame_Type_11, "0", "1", "100", "other list"}};
    Write_All(sheet, Write_Csv(Frame_Csv_Columns(d), lines));

    Receive_Frame_Editor dialog(*state_);
    QVERIFY(dialog.FormShow());
    dialog.Ask_Path = [&](bool) { return sheet; };
    QList<int> fault_lines;
    bool was_asked = false;
    dialog.Ask_Take_Good_Lines = [&](const QList<Csv_Fault> &faults) {
        was_asked = true;
        for (const Csv_Fault &f : faults) fault_lines.append(f.Line);
        return take_good;
    };
    QList<Import_Summary> reports;
    dialog.Show_Report = [&](const Import_Summary &summary) { reports.append(summary); };
    dialog.Btn_Import_CsvClick();
    QCOMPARE(was_asked, asked);
    if (asked) QCOMPARE(fault_lines, QList<int>{3});
    // What was taken and what was left out is reported once the grid holds the sheet.
    if (row1.isEmpty()) {
        QCOMPARE(reports.size(), 0);
    } else {
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].Summary, QStringLiteral("1 frame(s) taken, 1 left out."));
        QCOMPARE(reports[0].Lines.value(0), QStringLiteral("Frame row 1: 0x181 good"));
        QVERIFY2(reports[0].Lines.value(1).startsWith(QStringLiteral("Left out, line 3: ")), qPrintable(reports[0].Lines.value(1)));
    }
    QCOMPARE(messages_->Errors.size(), d == Direction::Receive ? 0 : 1);
    if (d != Direction::Receive) QVERIFY(messages_->Errors[0].contains(QStringLiteral("is not a sheet of this list")));
    QCOMPARE(dialog.Grid_Model()->Cell(1, Receive_Col::CobID), row1);
    QCOMPARE(dialog.Grid_Model()->Cell(2, Receive_Col::CobID), QString());
}

QTEST_MAIN(Tst_Frame_List_Editors)
#include "tst_frame_list_editors.moc"
