// The receive and transmit frame list dialogs, driven as a user drives them: typing into the
// grid, picking a type, ticking flags, inserting and deleting rows, saving and reopening. What
// every editor shares (unreadable file, failed save, Cancel, language) is in
// tst_editor_contract.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "config/Project_Files.h"
#include "widgets/Frame_Grid_Model.h"
#include "dialogs/TFFrame_List.h"

#include <QApplication>
#include <QLineEdit>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

class Tst_Frame_List_Editors : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void typing_picking_and_ticking_saves_the_exact_file();
    void saved_gaps_come_back_packed();
    void files_that_cannot_be_shown_whole_are_not_opened_data();
    void files_that_cannot_be_shown_whole_are_not_opened();
    void delete_asks_with_the_row_number_and_insert_keeps_every_frame();
    void main_window_opens_both_editors();
    void pasted_unstorable_character_is_refused_data();
    void pasted_unstorable_character_is_refused();

private:
    std::unique_ptr<Test_Workspace> ws_;
    App_State *state_ = nullptr;
    std::unique_ptr<Message_Recorder> messages_;
};

namespace {

QModelIndex Cell(TFFrame_List &dialog, int row, int column)
{
    return dialog.Grid_Model()->index(row - 1, column);
}

void Click_Cell(TFFrame_List &dialog, int row, int column)
{
    Click_Cell(dialog.Grid_View(), Cell(dialog, row, column));
}

void Type_Into(TFFrame_List &dialog, int row, int column, const QString &text)
{
    Type_Into_Cell(dialog.Grid_View(), Cell(dialog, row, column), text);
}

void Pick_Type(TFFrame_List &dialog, int row, const QString &type)
{
    Pick_In_Cell(dialog.Grid_View(), Cell(dialog, row, Receive_Col::Type), type);
}

// Clicks the check box in the middle of a flag cell.
void Tick(TFFrame_List &dialog, int row, int column) { Click_Cell(dialog, row, column); }

QPushButton *Button(QWidget &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

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
    TFTransmitCAN dialog(*state_);
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

void Tst_Frame_List_Editors::saved_gaps_come_back_packed()
{
    TFReceiveCAN dialog(*state_);
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

    TFReceiveCAN dialog(*state_);
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
    TFReceiveCAN dialog(*state_);
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
    TFReceiveCAN dialog(*state_);
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

QTEST_MAIN(Tst_Frame_List_Editors)
#include "tst_frame_list_editors.moc"
