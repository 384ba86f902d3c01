// The road of a deleted frame: three receive frames with mappings, the middle one deleted in
// the grid, the question about its mappings answered (No first: nothing is saved), OK, then
// Update Device: bank2 holds exactly the mappings of the two kept frames, each under its new
// frame number.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "test_config.h"
#include "config/Image_Decoder.h"
#include "dialogs/Frame_List_Editor.h"
#include "widgets/Frame_Grid_Model.h"

#include <QPushButton>
#include <QTableView>
#include <QtTest>

class Tst_Mappings_Follow_Frames : public QObject {
    Q_OBJECT
private slots:
    void delete_the_middle_frame_then_update();
    void cancel_after_a_delete_writes_neither_file();
};

void Tst_Mappings_Follow_Frames::delete_the_middle_frame_then_update()
{
    Test_Workspace ws;
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"));
    Write_All(ws.state.Files.CAN_Receive,
              "<ReceiveCAN>"
              "<row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"\"/>"
              "<row CobID=\"0x18FF0102\" Dimension=\"8\" Type=\"CAN 2.0B 29 bits\" TimeOut=\"0\" Mnemonic=\"\"/>"
              "<row CobID=\"0x281\" Dimension=\"4\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"\"/>"
              "</ReceiveCAN><!--SW_VERSION = 1.102-->");
    Write_All(ws.state.Files.Define_CAN_Receive,
              "<DefineRecJ1939>"
              "<row Num_Frame=\"0\" Mod_Index=\"10\" Byte_HiPart=\"1\" Byte_LoPart=\"2\"/>"
              "<row Num_Frame=\"0\" Mod_Index=\"12\" Byte_HiPart=\"3\" Byte_LoPart=\"4\"/>"
              "<row Num_Frame=\"1\" Mod_Index=\"20\" Byte_HiPart=\"1\" Byte_LoPart=\"0\"/>"
              "<row Num_Frame=\"2\" Mod_Index=\"30\" Byte_HiPart=\"4\" Byte_LoPart=\"3\"/>"
              "</DefineRecJ1939><!--SW_VERSION = 1.102-->");
    // Settings confirmed, so that Update Device goes straight on to the images.
    Write_All(ws.state.Files.ParGen, Read_All(QStringLiteral(QCX_TEST_DATA_DIR "/check/clean/ParGen.xml")));
    const QByteArray frames_before = Read_All(ws.state.Files.CAN_Receive);
    const QByteArray mappings_before = Read_All(ws.state.Files.Define_CAN_Receive);

    Message_Recorder messages;
    // Yes to deleting the row, No to losing its mapping, then Yes to both.
    messages.Answers = {true, false, true};
    bool stayed_open = false;
    QByteArray frames_after_no, mappings_after_no;
    When_Modal([&] {
        auto *editor = qobject_cast<Receive_Frame_Editor *>(Active_Modal());
        if (!editor) {
            Active_Modal()->close();
            return;
        }
        QTableView *view = editor->Grid_View();
        Click_Cell(view, editor->Grid_Model()->index(1, Receive_Col::CobID));
        QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("Btn_DelRow")), Qt::LeftButton);
        auto *ok = editor->findChild<QPushButton *>(QStringLiteral("Btn_OK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        stayed_open = editor->isVisible();
        frames_after_no = Read_All(ws.state.Files.CAN_Receive);
        mappings_after_no = Read_All(ws.state.Files.Define_CAN_Receive);
        QTest::mouseClick(ok, Qt::LeftButton);
        if (editor->isVisible()) editor->reject();
    });
    ws.Click("Btn_Receive_COB");

    QCOMPARE(messages.Questions.size(), 3);
    QCOMPARE(messages.Questions[1],
             QStringLiteral("1 register mappings belong to frames that are no longer in the list and will be "
                            "deleted with them:\nFrame 0x18FF0102: registers 20\n\n"
                            "Save the frame list and delete these mappings?"));
    QVERIFY(stayed_open);
    QCOMPARE(frames_after_no, frames_before);
    QCOMPARE(mappings_after_no, mappings_before);
    QCOMPARE(messages.Errors, QStringList());

    When_Modal([] { Active_Modal()->close(); });  // the update dialog
    ws.Click("Btn_CreateBin");
    QCOMPARE(messages.Errors, QStringList());

    QString error;
    const std::optional<Decoded_Images> images =
        Decode_Images(Read_All(ws.state.Files.Bank1), Read_All(ws.state.Files.Bank2), &error);
    QVERIFY2(images, qPrintable(error));
    QVERIFY2(images->Problems.isEmpty(), qPrintable(images->Problems.join(u'\n')));
    QCOMPARE(images->Header.Num_Rx_Frame, 2u);
    QStringList maps;  // "frame:register:high:low"
    for (const Map_Entry &m : images->Maps)
        maps.append(QStringLiteral("%1:%2:%3:%4").arg(m.Num_Frame).arg(m.Mod_Index).arg(m.Byte_HiPart).arg(m.Byte_LoPart));
    QCOMPARE(maps, QStringList({"0:10:1:2", "0:12:3:4", "1:30:4:3"}));
}

void Tst_Mappings_Follow_Frames::cancel_after_a_delete_writes_neither_file()
{
    Test_Workspace ws;
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"), QStringLiteral("mapping"));
    const QByteArray frames = Read_All(ws.state.Files.CAN_Receive);
    const QByteArray mappings = Read_All(ws.state.Files.Define_CAN_Receive);
    QVERIFY(!mappings.isEmpty());

    Message_Recorder messages;
    When_Modal([] {
        auto *editor = qobject_cast<Receive_Frame_Editor *>(Active_Modal());
        if (!editor) {
            Active_Modal()->close();
            return;
        }
        Click_Cell(editor->Grid_View(), editor->Grid_Model()->index(0, Receive_Col::CobID));
        QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("Btn_DelRow")), Qt::LeftButton);
        QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);
    });
    ws.Click("Btn_Receive_COB");
    // The row's deletion, then whether to throw that away; nothing about mappings.
    QCOMPARE(messages.Questions, QStringList({"Are you sure to delete the Row number 1",
                                              "Do you want to exit without saving changes?"}));
    QCOMPARE(Read_All(ws.state.Files.CAN_Receive), frames);
    QCOMPARE(Read_All(ws.state.Files.Define_CAN_Receive), mappings);
}

QTEST_MAIN(Tst_Mappings_Follow_Frames)
#include "tst_mappings_follow_frames.moc"
