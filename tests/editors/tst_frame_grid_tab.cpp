// Tab in the frame grids: from the last frame of a run it goes on to the empty row below, where
// the next frame is typed, before it leaves for OK; everywhere else a row's ends leave the grid.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "dialogs/Frame_List_Editor.h"
#include "widgets/Frame_Grid_Model.h"

#include <QApplication>
#include <QTableView>
#include <QtTest>

namespace {

// Three frames; the test opens a gap at row 3 (Insert Row), so that frames stand in rows 1, 2
// and 4 and rows 5 on are empty.
QByteArray Receive_File()
{
    return "<ReceiveCAN>"
           "<row CobID=\"0x100\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"A\"/>"
           "<row CobID=\"0x101\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"B\"/>"
           "<row CobID=\"0x103\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"D\"/>"
           "</ReceiveCAN><!--SW_VERSION = 1.102-->";
}

// Shows the editor with its file, the receive grid with its gap at row 3.
void Show(Frame_List_Editor &dialog)
{
    QVERIFY(dialog.FormShow());
    if (dialog.Kind().Dir == Direction::Receive) QVERIFY(dialog.Grid_Model()->Insert_Row(3));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

QByteArray Transmit_File()
{
    return "<TransmitCAN>"
           "<row CobID=\"0x200\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" DataChange=\"Y\" OnTimer=\"N\" SendTimer=\"100\" Mnemonic=\"T\"/>"
           "</TransmitCAN><!--SW_VERSION = 1.102-->";
}

QString Focus_Place(Frame_List_Editor &dialog) { return Focus_Place(dialog.Grid_View()); }

}  // namespace

class Tst_Frame_Grid_Tab : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void tab_beyond_a_row_data();
    void tab_beyond_a_row();
    void next_frame_typed_after_the_last();

private:
    std::unique_ptr<Test_Workspace> ws_;
    std::unique_ptr<Message_Recorder> messages_;
};

void Tst_Frame_Grid_Tab::init()
{
    ws_ = std::make_unique<Test_Workspace>();
    ws_->Start();
    ws_->Open_Configuration(QStringLiteral("Tabs"));
    Write_All(ws_->state.Files.CAN_Receive, Receive_File());
    Write_All(ws_->state.Files.CAN_Transmit, Transmit_File());
    messages_ = std::make_unique<Message_Recorder>();
}

void Tst_Frame_Grid_Tab::cleanup()
{
    messages_.reset();
    ws_.reset();
}

void Tst_Frame_Grid_Tab::tab_beyond_a_row_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("editing");  // the cell's editor is open when the key comes
    QTest::addColumn<bool>("back");     // Shift+Tab
    QTest::addColumn<QString>("lands");

    const int last = Receive_Col::Mnemonic, first = Receive_Col::CobID;
    QTest::newRow("last frame of a run: the empty row below") << false << 2 << last << false << false << "sga 3,1";
    QTest::newRow("last frame, from its editor: the row below, editing") << false << 2 << last << true << false
                                                                         << "sga 3,1 editing";
    QTest::newRow("a frame above a frame: OK") << false << 1 << last << false << false << "Btn_OK";
    QTest::newRow("the last frame of all: the row below") << false << 4 << last << false << false << "sga 5,1";
    QTest::newRow("the empty row below a frame, nothing typed: OK") << false << 3 << first << false << false << "Btn_OK";
    QTest::newRow("the same from its open editor: OK") << false << 5 << first << true << false << "Btn_OK";
    QTest::newRow("an empty row below an empty row: its next field") << false << 6 << first << false << false
                                                                     << "sga 6,2";
    QTest::newRow("an empty row's last field: OK") << false << 6 << last << false << false << "Btn_OK";
    QTest::newRow("back from the empty row: the frame's last field") << false << 3 << first << false << true
                                                                     << "sga 2,5";
    QTest::newRow("back from a frame's first field: the buttons") << false << 2 << first << false << true << "Btn_Learn";
    QTest::newRow("transmit: last frame, the row below") << true << 1 << int(Transmit_Col::Mnemonic) << false << false
                                                        << "sga 2,1";
    QTest::newRow("transmit: back to the frame's last field") << true << 2 << int(Transmit_Col::CobID) << false << true
                                                             << "sga 1,7";
}

void Tst_Frame_Grid_Tab::tab_beyond_a_row()
{
    QFETCH(bool, transmit);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, editing);
    QFETCH(bool, back);
    QFETCH(QString, lands);
    Frame_List_Editor &dialog = transmit ? static_cast<Frame_List_Editor &>(*ws_->window->Windows().Transmit_Frames)
                                         : *ws_->window->Windows().Receive_Frames;
    Show(dialog);
    if (QTest::currentTestFailed()) return;
    const bool changed = dialog.Has_Changes();
    Focus_Cell(dialog.Grid_View(), dialog.Grid_Model()->index(row - 1, column), editing);
    if (QTest::currentTestFailed()) return;
    QTest::keyClick(Key_Target(), Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(Focus_Place(dialog), lands);
    // Nothing typed, nothing changed.
    QCOMPARE(dialog.Has_Changes(), changed);
    dialog.hide();
}

void Tst_Frame_Grid_Tab::next_frame_typed_after_the_last()
{
    Receive_Frame_Editor &dialog = *ws_->window->Windows().Receive_Frames;
    Show(dialog);
    if (QTest::currentTestFailed()) return;
    QTableView *grid = dialog.Grid_View();
    grid->setCurrentIndex(dialog.Grid_Model()->index(3, Receive_Col::Mnemonic));
    grid->setFocus();

    // From the last frame into row 5, where typing fills the row field by field.
    QTest::keyClick(grid, Qt::Key_Tab);
    QCOMPARE(Focus_Place(dialog), QStringLiteral("sga 5,1"));
    Type_Keys(QStringLiteral("0x104"));
    QTest::keyClick(Key_Target(), Qt::Key_Tab);
    QCOMPARE(Focus_Place(dialog), QStringLiteral("sga 5,2 editing"));
    Type_Keys(QStringLiteral("2"));
    QTest::keyClick(Key_Target(), Qt::Key_Tab);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(Key_Target(), Qt::Key_Tab);  // the highlighted type
    QTRY_VERIFY(!QApplication::activePopupWidget());
    Type_Keys(QStringLiteral("0"));
    QTest::keyClick(Key_Target(), Qt::Key_Tab);
    Type_Keys(QStringLiteral("E"));
    // The new frame is the last now: Tab offers row 6, and from there OK.
    QTest::keyClick(Key_Target(), Qt::Key_Tab);
    QCOMPARE(Focus_Place(dialog), QStringLiteral("sga 6,1 editing"));
    QTest::keyClick(Key_Target(), Qt::Key_Tab);
    QCOMPARE(Focus_Place(dialog), QStringLiteral("Btn_OK"));
    QCOMPARE(dialog.Grid_Model()->Cell(5, Receive_Col::CobID), QStringLiteral("0x104"));
    QCOMPARE(dialog.Grid_Model()->Cell(5, Receive_Col::Mnemonic), QStringLiteral("E"));
    QVERIFY(!Is_Entry(dialog.Grid_Model()->Grid()[5]));
    dialog.hide();
}

QTEST_MAIN(Tst_Frame_Grid_Tab)
#include "tst_frame_grid_tab.moc"
