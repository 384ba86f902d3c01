// The register mapping editors driven as a user drives them: pick a frame, compose registers,
// copy and paste, save, and the exact bytes of the mapping files; leaving without OK, the
// keyboard alone, and the texts of every shipped language. What every editor shares
// (opening from the main window, unreadable file, failed save, Cancel, language) is in
// tst_editor_contract.
#include "File_Bytes.h"
#include "Test_Support.h"
#include "Text_Fit.h"
#include "test_config.h"

#include "config/Project_Files.h"
#include "dialogs/Mapping_Editor.h"
#include "lang/Lang_Table.h"
#include "widgets/Mnemonics.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

// A configuration folder holding the fixture files (or only some of them).
struct Project {
    QTemporaryDir Dir;
    App_State State;

    explicit Project(const QStringList &files = {"CAN_Receive.xml", "Define_CAN_Receive.xml",
                                                 "CAN_Transmit.xml", "Define_CAN_Transmit.xml"})
    {
        Load_Default_Language(State.Lang_Table);
        State.SW_Code = SW_Code_Text;
        State.Project_Name = QStringLiteral("Test");
        State.Dir_Project = Dir.path();
        Set_Files(State);
        for (const QString &name : files)
            QFile::copy(QStringLiteral(QCX_TEST_DATA_DIR "/mapping/") + name, Dir.filePath(name));
    }
    void Write(const QString &name, const QByteArray &bytes) const { Write_All(Dir.filePath(name), bytes); }
    QByteArray Read(const QString &name) const
    {
        QFile f(Dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

QStringList Lines(QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines.append(list->item(i)->text());
    return lines;
}

QStringList Items(QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items.append(box->itemText(i));
    return items;
}

void Click_Line(QWidget *dialog, const char *list_name, int row)
{
    auto *list = Get<QListWidget>(dialog, list_name);
    QListWidgetItem *item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void Click(QWidget *dialog, const char *button) { QTest::mouseClick(Get<QPushButton>(dialog, button), Qt::LeftButton); }

void Type_Index(QWidget *dialog, const QString &text)
{
    auto *edit = Get<QLineEdit>(dialog, "E_Index_Modbus");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

QComboBox *High(QWidget *d) { return Get<QComboBox>(d, "CB_Byte_High_Part"); }
QComboBox *Low(QWidget *d) { return Get<QComboBox>(d, "CB_Byte_Low_Part"); }
QComboBox *Send(QWidget *d) { return Get<QComboBox>(d, "CB_SendJ1939_OnModWrite"); }
QListWidget *Regs(QWidget *d) { return Get<QListWidget>(d, "LB_Modbus_Regs"); }

// Shows the editor the way the main window does, but without a modal loop.
bool Open(Mapping_Editor &dialog)
{
    if (!dialog.FormShow()) return false;
    dialog.show();
    return QTest::qWaitForWindowExposed(&dialog);
}

const QStringList Eight_Bytes{"None", "Byte 1", "Byte 2", "Byte 3", "Byte 4",
                              "Byte 5", "Byte 6", "Byte 7", "Byte 8"};

std::unique_ptr<Mapping_Editor> Make(App_State &state, bool transmit)
{
    if (transmit) return std::make_unique<Transmit_Mapping_Editor>(state);
    return std::make_unique<Receive_Mapping_Editor>(state);
}

// Loads a shipped language over the English defaults.
void Use_Language(App_State &state, const QString &name)
{
    Load_Default_Language(state.Lang_Table);
    if (name != "English")
        Read_Language_File(state.Lang_Table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR "/") + name + ".lng");
}

// A key as the user presses it: to the control that has the focus.
void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *focus = QApplication::focusWidget();
    QVERIFY2(focus, "no control has the focus");
    QTest::keyClick(focus, Qt::Key(key), modifiers);
}


// Where every named control of the dialog stands.
QMap<QString, QRect> Geometries(QWidget *dialog)
{
    QMap<QString, QRect> where{{"window", QRect(QPoint(), dialog->size())}};
    for (const QWidget *w : dialog->findChildren<QWidget *>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith("qt_")) where[w->objectName()] = w->geometry();
    return where;
}

}  // namespace

class Tst_Define_CAN : public QObject {
    Q_OBJECT
private slots:
    void receive_road();
    void transmit_road();
    void index_range_data();
    void index_range();
    void modify_refuses_the_index_of_another_register_of_the_same_frame();
    void enter_in_the_index_field_neither_creates_nor_saves();
    void unreadable_files_keep_the_editor_closed_data();
    void unreadable_files_keep_the_editor_closed();
    void no_frames_writes_an_empty_file();
    void image_capacity_counts_the_other_direction();
    void leaving_asks_only_after_a_change_data();
    void leaving_asks_only_after_a_change();
    void send_column_needs_no_scrolling();
    void in_use_message_names_the_frame_as_listed_data();
    void in_use_message_names_the_frame_as_listed();
    void keyboard_road_data();
    void keyboard_road();
    void texts_fit_in_every_language_data();
    void texts_fit_in_every_language();
    void english_layout_stays_as_drawn();
    void frame_list_selects_when_it_takes_the_focus_data();
    void frame_list_selects_when_it_takes_the_focus();
    void lists_grow_with_the_window();
};

void Tst_Define_CAN::receive_road()
{
    Project p;
    Message_Recorder messages;
    Receive_Mapping_Editor d(p.State);
    QCOMPARE(d.size(), QSize(629, 496));
    QVERIFY(Open(d));

    // Opened: frames listed, the first one selected by the list taking the focus.
    QCOMPARE(Lines(Get<QListWidget>(&d, "LB_CAN_Frames")),
             (QStringList{"Cob-ID: 0x181 11-bit\nLength: 4 \u00B7 Mnemonic: Motor",
                          "Cob-ID: 0x18FF0001 29-bit ($18FF0001)\nLength: 8",
                          // Decimal 385 is 0x181 again: the device cannot tell it from row 1.
                          "Cob-ID: 0x181 11-bit (385)\nLength: 8"}));
    QCOMPARE(Lines(Regs(&d)), (QStringList{"40; Byte 1; None;", "41; Byte 7 (beyond 4); Byte 2;"}));
    QCOMPARE(Items(High(&d)), Eight_Bytes.mid(0, 5));
    QCOMPARE(Get<QLineEdit>(&d, "E_Index_Modbus")->text(), QString());

    // A frame with an empty Dimension counts as 8 bytes; a frame of 4 offers 4.
    Click_Line(&d, "LB_CAN_Frames", 1);
    QCOMPARE(Items(High(&d)), Eight_Bytes);
    QVERIFY(Lines(Regs(&d)).isEmpty());
    Click_Line(&d, "LB_CAN_Frames", 0);
    QCOMPARE(Items(High(&d)), Eight_Bytes.mid(0, 5));
    QCOMPARE(Items(Low(&d)), Eight_Bytes.mid(0, 5));
    // The row naming frame 3 of 3 frames is not shown anywhere; the opening said so, once.
    QCOMPARE(messages.Warnings, QStringList{"1 register mappings refer to frames that do not exist; they will be "
                                            "removed when you press OK"});
    QCOMPARE(Lines(Regs(&d)), (QStringList{"40; Byte 1; None;", "41; Byte 7 (beyond 4); Byte 2;"}));

    // Create; 7 is refused because frame 2 already has "$7", and the message names that frame.
    Type_Index(&d, "7");
    Click(&d, "Btn_Create");
    QCOMPARE(messages.Errors, QStringList{"Error!! Index of Modbus Register is already used\n"
                                          "Register 7 is already used by frame 385."});
    Type_Index(&d, "8");
    High(&d)->setCurrentIndex(2);
    Low(&d)->setCurrentIndex(3);
    Click(&d, "Btn_Create");
    QCOMPARE(messages.Errors.size(), 1);
    QCOMPARE(Lines(Regs(&d)).last(), QString("8; Byte 2; Byte 3;"));
    QCOMPARE(Get<QLineEdit>(&d, "E_Index_Modbus")->text(), QString("8"));  // fields keep their contents

    // Modify keeping its own index.
    Click_Line(&d, "LB_Modbus_Regs", 0);
    QCOMPARE(Get<QLineEdit>(&d, "E_Index_Modbus")->text(), QString("40"));
    QCOMPARE(High(&d)->currentIndex(), 1);
    QCOMPARE(Low(&d)->currentIndex(), 0);
    Low(&d)->setCurrentIndex(4);
    Click(&d, "Btn_Modify");
    QCOMPARE(Lines(Regs(&d))[0], QString("40; Byte 1; Byte 4;"));
    QVERIFY(Regs(&d)->selectedItems().isEmpty());

    // A stored byte beyond the frame's 4 bytes is shown as such, and Modify keeps it.
    Click_Line(&d, "LB_Modbus_Regs", 1);
    QCOMPARE(High(&d)->currentText(), QString("Byte 7 (beyond 4)"));
    QCOMPARE(Items(High(&d)), Eight_Bytes.mid(0, 5) << "Byte 7 (beyond 4)");
    QCOMPARE(Low(&d)->currentIndex(), 2);
    Low(&d)->setCurrentIndex(3);
    Click(&d, "Btn_Modify");
    QCOMPARE(Lines(Regs(&d))[1], QString("41; Byte 7 (beyond 4); Byte 3;"));

    // Delete the register just created.
    Click_Line(&d, "LB_Modbus_Regs", 2);
    Click(&d, "Btn_Delete");
    QCOMPARE(Lines(Regs(&d)), (QStringList{"40; Byte 1; Byte 4;", "41; Byte 7 (beyond 4); Byte 3;"}));
    QCOMPARE(Get<QLineEdit>(&d, "E_Index_Modbus")->text(), QString("8"));
    QCOMPARE(Low(&d)->currentIndex(), 3);

    // Copy "40" to frame 2 as 50.
    Click_Line(&d, "LB_Modbus_Regs", 0);
    Click(&d, "Btn_Copy");
    Click_Line(&d, "LB_CAN_Frames", 2);
    QCOMPARE(Lines(Regs(&d)), QStringList{"$7; Byte 6; Byte 3;"});
    Click(&d, "Btn_Paste");
    QCOMPARE(Get<QLineEdit>(&d, "E_Index_Modbus")->text(), QString("40"));
    QCOMPARE(High(&d)->currentIndex(), 1);
    QCOMPARE(Low(&d)->currentIndex(), 4);
    Click(&d, "Btn_Create");
    QCOMPARE(messages.Errors.size(), 2);  // 40 is used
    Type_Index(&d, "50");
    Click(&d, "Btn_Create");
    QCOMPARE(Lines(Regs(&d)), (QStringList{"$7; Byte 6; Byte 3;", "50; Byte 1; Byte 4;"}));

    // Copy "$7" (byte 6) onto the 4-byte frame: the byte is shown as beyond the frame and
    // Create keeps it (never a silent "None"); the check before an update reports it.
    Click_Line(&d, "LB_Modbus_Regs", 0);
    Click(&d, "Btn_Copy");
    Click_Line(&d, "LB_CAN_Frames", 0);
    Click(&d, "Btn_Paste");
    QCOMPARE(High(&d)->currentText(), QString("Byte 6 (beyond 4)"));
    Type_Index(&d, "9");
    Click(&d, "Btn_Create");
    QCOMPARE(Lines(Regs(&d)).last(), QString("9; Byte 6 (beyond 4); Byte 3;"));
    // Another register of the frame shows the frame's own bytes again.
    Click_Line(&d, "LB_Modbus_Regs", 0);
    QCOMPARE(Items(High(&d)), Eight_Bytes.mid(0, 5));
    QCOMPARE(messages.Errors.size(), 2);

    // OK saves frame by frame and closes; the dropped row is gone.
    Click(&d, "Btn_OK");
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    const QByteArray saved =
        "<DefineRecJ1939>"
        "<row Num_Frame=\"0\" Mod_Index=\"40\" Byte_HiPart=\"1\" Byte_LoPart=\"4\"/>"
        "<row Num_Frame=\"0\" Mod_Index=\"41\" Byte_HiPart=\"7\" Byte_LoPart=\"3\"/>"
        "<row Num_Frame=\"0\" Mod_Index=\"9\" Byte_HiPart=\"6\" Byte_LoPart=\"3\"/>"
        "<row Num_Frame=\"2\" Mod_Index=\"$7\" Byte_HiPart=\"6\" Byte_LoPart=\"3\"/>"
        "<row Num_Frame=\"2\" Mod_Index=\"50\" Byte_HiPart=\"1\" Byte_LoPart=\"4\"/>"
        "</DefineRecJ1939><!--SW_VERSION = 1.102-->";
    QCOMPARE(p.Read("Define_CAN_Receive.xml"), saved);
    QFile fixture(QStringLiteral(QCX_TEST_DATA_DIR "/mapping/CAN_Receive.xml"));
    QVERIFY(fixture.open(QIODevice::ReadOnly));
    QCOMPARE(p.Read("CAN_Receive.xml"), fixture.readAll());  // the frame list is never written here

    // The next showing reloads what was saved and starts at the first frame again.
    QVERIFY(Open(d));
    QCOMPARE(Get<QListWidget>(&d, "LB_CAN_Frames")->currentRow(), 0);
    QCOMPARE(Lines(Regs(&d)).size(), 3);
    Click_Line(&d, "LB_CAN_Frames", 2);
    QCOMPARE(Lines(Regs(&d)), (QStringList{"$7; Byte 6; Byte 3;", "50; Byte 1; Byte 4;"}));
    // The copy buffer outlived the showing.
    Click(&d, "Btn_Paste");
    QCOMPARE(Get<QLineEdit>(&d, "E_Index_Modbus")->text(), QString("$7"));
}

void Tst_Define_CAN::transmit_road()
{
    Project p;
    Message_Recorder messages;
    Transmit_Mapping_Editor d(p.State);
    QVERIFY(Open(d));
    QCOMPARE(d.windowTitle(), QString("Define Transmit CAN \u2013 Test"));
    QCOMPARE(Items(Send(&d)), (QStringList{"False", "True"}));

    Click_Line(&d, "LB_CAN_Frames", 0);
    QCOMPARE(Items(High(&d)), (QStringList{"None", "Byte 1", "Byte 2"}));
    QCOMPARE(Send(&d)->currentIndex(), 0);
    // The receive side's "$7" does not matter here; this direction's "7" does.
    Type_Index(&d, "$0007");
    Click(&d, "Btn_Create");
    QCOMPARE(messages.Errors, QStringList{"Error!! Index of Modbus Register is already used\n"
                                          "Register 7 is already used by frame 0x202."});
    Type_Index(&d, "8");
    High(&d)->setCurrentIndex(2);
    Low(&d)->setCurrentIndex(1);
    Send(&d)->setCurrentIndex(1);
    Click(&d, "Btn_Create");
    QCOMPARE(Lines(Regs(&d)), QStringList{"8; Byte 2; Byte 1;\tSend"});  // the send choice in its column

    // The send choice is copied and pasted with the bytes.
    Click_Line(&d, "LB_CAN_Frames", 1);
    QCOMPARE(Send(&d)->currentIndex(), 0);
    Click_Line(&d, "LB_Modbus_Regs", 0);
    QCOMPARE(Send(&d)->currentIndex(), 1);
    Click(&d, "Btn_Copy");
    Click_Line(&d, "LB_CAN_Frames", 0);
    Click(&d, "Btn_Paste");
    QCOMPARE(Send(&d)->currentIndex(), 1);
    Type_Index(&d, "12");
    Click(&d, "Btn_Create");

    // Modify the first register's send choice back to False: its line loses the mark.
    Click_Line(&d, "LB_Modbus_Regs", 0);
    QCOMPARE(Send(&d)->currentIndex(), 1);
    Send(&d)->setCurrentIndex(0);
    Click(&d, "Btn_Modify");
    QCOMPARE(Lines(Regs(&d)), (QStringList{"8; Byte 2; Byte 1;", "12; Byte 1; Byte 2;\tSend"}));

    Click(&d, "Btn_OK");
    QVERIFY(!d.isVisible());
    QCOMPARE(p.Read("Define_CAN_Transmit.xml"),
             QByteArray("<DefineTransJ1939>"
                        "<row Num_Frame=\"0\" Mod_Index=\"8\" Byte_HiPart=\"2\" Byte_LoPart=\"1\" Send_on_Write=\"0\"/>"
                        "<row Num_Frame=\"0\" Mod_Index=\"12\" Byte_HiPart=\"1\" Byte_LoPart=\"2\" Send_on_Write=\"1\"/>"
                        "<row Num_Frame=\"1\" Mod_Index=\"7\" Byte_HiPart=\"1\" Byte_LoPart=\"2\" Send_on_Write=\"1\"/>"
                        "</DefineTransJ1939><!--SW_VERSION = 1.102-->"));
    QCOMPARE(messages.Errors.size(), 1);
}

void Tst_Define_CAN::index_range_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("accepted");
    for (bool transmit : {false, true}) {
        for (const char *button : {"Btn_Create", "Btn_Modify"}) {
            const char *side = transmit ? "transmit" : "receive";
            auto row = [&](const char *index, bool accepted) {
                QTest::addRow("%s %s %s", side, button + 4, index) << transmit << button << index << accepted;
            };
            row("65535", true);
            row("0x10", true);
            row("65536", false);
            row("-1", false);
            row("", false);
            row("abc", false);
        }
    }
}

void Tst_Define_CAN::index_range()
{
    QFETCH(bool, transmit);
    QFETCH(QString, button);
    QFETCH(QString, index);
    QFETCH(bool, accepted);
    Project p;
    // Each editor reports with its own text.
    p.State.Lang_Table.Items[157] = "receive range";
    p.State.Lang_Table.Items[183] = "transmit range";
    Message_Recorder messages;
    std::unique_ptr<Mapping_Editor> d;
    if (transmit)
        d = std::make_unique<Transmit_Mapping_Editor>(p.State);
    else
        d = std::make_unique<Receive_Mapping_Editor>(p.State);
    QVERIFY(Open(*d));
    // A frame that has a register to modify in each fixture.
    Click_Line(d.get(), "LB_CAN_Frames", transmit ? 1 : 0);
    if (button == "Btn_Modify") Click_Line(d.get(), "LB_Modbus_Regs", 0);
    const QStringList before = Lines(Regs(d.get()));

    Type_Index(d.get(), index);
    Click(d.get(), button.toLatin1().constData());
    if (accepted) {
        QVERIFY(messages.Errors.isEmpty());
        QVERIFY(Lines(Regs(d.get())) != before);
        const QStringList lines = Lines(Regs(d.get()));
        const QString line = button == "Btn_Create" ? lines.last() : lines.first();
        QVERIFY2(line.startsWith(index + "; "), qPrintable(line));
    } else {
        QCOMPARE(messages.Errors, QStringList(transmit ? "transmit range" : "receive range"));
        QCOMPARE(Lines(Regs(d.get())), before);
        QCOMPARE(Get<QLineEdit>(d.get(), "E_Index_Modbus")->text(), index);
    }
}

void Tst_Define_CAN::modify_refuses_the_index_of_another_register_of_the_same_frame()
{
    Project p;
    Message_Recorder messages;
    Receive_Mapping_Editor d(p.State);
    QVERIFY(Open(d));
    // Frame 1 holds 40 and 41: the first cannot take the second's index, by any spelling.
    Click_Line(&d, "LB_CAN_Frames", 0);
    const QStringList before = Lines(Regs(&d));
    QCOMPARE(before, (QStringList{"40; Byte 1; None;", "41; Byte 7 (beyond 4); Byte 2;"}));
    for (const char *index : {"41", "0x29"}) {
        Click_Line(&d, "LB_Modbus_Regs", 0);
        Type_Index(&d, index);
        Click(&d, "Btn_Modify");
        QCOMPARE(messages.Errors.size(), 1);
        QCOMPARE(messages.Errors.takeFirst(), QString("Error!! Index of Modbus Register is already used\n"
                                                      "Register 41 is already used by frame 0x181."));
        QCOMPARE(Lines(Regs(&d)), before);
    }
    // Its own index, even spelt otherwise, is no conflict.
    Click_Line(&d, "LB_Modbus_Regs", 0);
    Type_Index(&d, "$28");
    Click(&d, "Btn_Modify");
    QVERIFY(messages.Errors.isEmpty());
    QCOMPARE(Lines(Regs(&d)), (QStringList{"$28; Byte 1; None;", "41; Byte 7 (beyond 4); Byte 2;"}));
}

void Tst_Define_CAN::enter_in_the_index_field_neither_creates_nor_saves()
{
    Project p;
    Message_Recorder messages;
    Receive_Mapping_Editor d(p.State);
    const QByteArray before = p.Read("Define_CAN_Receive.xml");
    QVERIFY(Open(d));
    Click_Line(&d, "LB_CAN_Frames", 0);
    Type_Index(&d, "1001");
    QTest::keyClick(Get<QLineEdit>(&d, "E_Index_Modbus"), Qt::Key_Return);
    QVERIFY(d.isVisible());
    QCOMPARE(Regs(&d)->count(), 2);
    QCOMPARE(p.Read("Define_CAN_Receive.xml"), before);
    QVERIFY(messages.Errors.isEmpty());
}

void Tst_Define_CAN::unreadable_files_keep_the_editor_closed_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::newRow("frame list not well-formed")
        << false << "CAN_Receive.xml" << QByteArray("<ReceiveCAN><row CobID=\"1\" Dimension=\"8\"") << "line 1";
    QTest::newRow("frame row without Dimension")
        << false << "CAN_Receive.xml" << QByteArray("<ReceiveCAN><row CobID=\"1\"/></ReceiveCAN>") << "Dimension";
    QTest::newRow("mapping row without Byte_LoPart")
        << false << "Define_CAN_Receive.xml"
        << QByteArray("<DefineRecJ1939><row Num_Frame=\"0\" Mod_Index=\"1\" Byte_HiPart=\"1\"/></DefineRecJ1939>")
        << "Byte_LoPart";
    QTest::newRow("transmit row without Send_on_Write")
        << true << "Define_CAN_Transmit.xml"
        << QByteArray("<DefineTransJ1939><row Num_Frame=\"0\" Mod_Index=\"1\" Byte_HiPart=\"1\" "
                      "Byte_LoPart=\"0\"/></DefineTransJ1939>")
        << "Send_on_Write";
}

void Tst_Define_CAN::unreadable_files_keep_the_editor_closed()
{
    QFETCH(bool, transmit);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    Project p;
    p.Write(file, bytes);
    const QString map_file = transmit ? "Define_CAN_Transmit.xml" : "Define_CAN_Receive.xml";
    const QByteArray map_before = p.Read(map_file);
    Message_Recorder messages;
    std::unique_ptr<Mapping_Editor> d;
    if (transmit)
        d = std::make_unique<Transmit_Mapping_Editor>(p.State);
    else
        d = std::make_unique<Receive_Mapping_Editor>(p.State);

    // Were the dialog shown, close it so that the test reports instead of hanging.
    bool shown = false;
    QTimer::singleShot(0, d.get(), [&] {
        if (d->isVisible()) {
            shown = true;
            d->accept();
        }
    });
    QCOMPARE(d->exec(), int(QDialog::Rejected));
    QVERIFY(!shown);
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors[0].contains(p.Dir.filePath(file)), qPrintable(messages.Errors[0]));
    QVERIFY2(messages.Errors[0].contains(problem), qPrintable(messages.Errors[0]));
    QCOMPARE(p.Read(map_file), map_before);
    QCOMPARE(Get<QListWidget>(d.get(), "LB_CAN_Frames")->count(), 0);
}

void Tst_Define_CAN::no_frames_writes_an_empty_file()
{
    // Without a frame list the mapping file is not read, and OK writes an empty one.
    Project p({"Define_CAN_Transmit.xml"});
    Message_Recorder messages;
    Transmit_Mapping_Editor d(p.State);
    QVERIFY(Open(d));
    QCOMPARE(Get<QListWidget>(&d, "LB_CAN_Frames")->count(), 0);
    Type_Index(&d, "5");
    for (const char *button : {"Btn_Create", "Btn_Modify", "Btn_Delete", "Btn_Copy"}) Click(&d, button);
    QVERIFY(messages.Errors.isEmpty());
    Click(&d, "Btn_OK");
    QCOMPARE(p.Read("Define_CAN_Transmit.xml"), QByteArray("<DefineTransJ1939/><!--SW_VERSION = 1.102-->"));
}

void Tst_Define_CAN::image_capacity_counts_the_other_direction()
{
    // The transmit side holds 4094 mappings; the receive side already has 3 rows (one of which
    // names no frame and does not count).
    Project p;
    QList<Editor_Frame> tx(2);
    for (int i = 0; i < Max_Map_Records - 2 - 2; ++i) tx[i % 2].Registers.append({QString::number(i), 1, 0, 0});
    Write_Map_File(p.State.Files.Define_CAN_Transmit, Direction::Transmit, tx);

    Message_Recorder messages;
    Receive_Mapping_Editor d(p.State);
    QVERIFY(Open(d));
    Click_Line(&d, "LB_CAN_Frames", 1);
    Type_Index(&d, "100");
    Click(&d, "Btn_Create");
    QVERIFY(messages.Errors.isEmpty());
    Type_Index(&d, "101");
    Click(&d, "Btn_Create");
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors[0].contains("4096"), qPrintable(messages.Errors[0]));
    QCOMPARE(Regs(&d)->count(), 1);
}

void Tst_Define_CAN::leaving_asks_only_after_a_change_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("asked");
    for (bool transmit : {false, true})
        for (const char *way : {"Cancel", "Escape", "close box"})
            for (const auto &[edit, asked] : {std::pair{"unchanged", false}, {"changed", true}, {"changed back", false}})
                QTest::addRow("%s, %s, %s", transmit ? "transmit" : "receive", way, edit)
                    << transmit << QString(way) << QString(edit) << asked;
}

void Tst_Define_CAN::leaving_asks_only_after_a_change()
{
    QFETCH(bool, transmit);
    QFETCH(QString, way);
    QFETCH(QString, edit);
    QFETCH(bool, asked);
    Project p;
    const QByteArray receive_before = p.Read("Define_CAN_Receive.xml");
    const QByteArray transmit_before = p.Read("Define_CAN_Transmit.xml");
    Message_Recorder messages;
    messages.Answers = {false, true};
    const std::unique_ptr<Mapping_Editor> d = Make(p.State, transmit);
    // The receive file has a row that names no frame: the opening warns, and that alone is no
    // change (leaving keeps the row in the file; only OK would drop it).
    QVERIFY(Open(*d));

    // Receive: a register created (and deleted again); transmit: the send choice of a loaded
    // register switched off (and on again).
    if (transmit) {
        Click_Line(d.get(), "LB_CAN_Frames", 1);
        for (int send : {0, 1}) {
            if (edit == "unchanged" || (send == 1 && edit == "changed")) break;
            Click_Line(d.get(), "LB_Modbus_Regs", 0);
            Send(d.get())->setCurrentIndex(send);
            Click(d.get(), "Btn_Modify");
        }
    } else {
        Click_Line(d.get(), "LB_CAN_Frames", 0);
        if (edit != "unchanged") {
            Type_Index(d.get(), "300");
            Click(d.get(), "Btn_Create");
        }
        if (edit == "changed back") {
            Click_Line(d.get(), "LB_Modbus_Regs", 2);
            Click(d.get(), "Btn_Delete");
        }
    }
    // Typed into the entry fields but never made a register: OK would not save it either.
    Type_Index(d.get(), "301");
    High(d.get())->setCurrentIndex(2);
    QVERIFY(messages.Errors.isEmpty());

    auto leave = [&] {
        if (way == "Cancel") Click(d.get(), "Btn_Cancel");
        else if (way == "Escape") QTest::keyClick(d->focusWidget() ? d->focusWidget() : d.get(), Qt::Key_Escape);
        else d->close();
    };
    const QStringList frames = Lines(Get<QListWidget>(d.get(), "LB_CAN_Frames"));
    const int frame = Get<QListWidget>(d.get(), "LB_CAN_Frames")->currentRow();
    const QStringList regs = Lines(Regs(d.get()));
    leave();
    if (asked) {
        // No: the dialog stays as it was.
        QCOMPARE(messages.Questions, QStringList{"Do you want to exit without saving changes?"});
        QVERIFY(d->isVisible());
        QCOMPARE(Lines(Get<QListWidget>(d.get(), "LB_CAN_Frames")), frames);
        QCOMPARE(Get<QListWidget>(d.get(), "LB_CAN_Frames")->currentRow(), frame);
        QCOMPARE(Lines(Regs(d.get())), regs);
        QCOMPARE(Get<QLineEdit>(d.get(), "E_Index_Modbus")->text(), QString("301"));
        QVERIFY(d->Has_Changes());
        // Yes: it closes.
        leave();
        QCOMPARE(messages.Questions.size(), 2);
    } else {
        QCOMPARE(messages.Questions, QStringList());
    }
    QVERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Rejected));
    QCOMPARE(p.Read("Define_CAN_Receive.xml"), receive_before);
    QCOMPARE(p.Read("Define_CAN_Transmit.xml"), transmit_before);

    // The next showing starts from the files again: nothing to ask.
    QVERIFY(Open(*d));
    QVERIFY(!d->Has_Changes());
    Click(d.get(), "Btn_Cancel");
    QVERIFY(!d->isVisible());
    QCOMPARE(messages.Questions.size(), asked ? 2 : 0);
}

void Tst_Define_CAN::send_column_needs_no_scrolling()
{
    Project p;
    Message_Recorder messages;
    Transmit_Mapping_Editor d(p.State);
    QVERIFY(Open(d));
    Click_Line(&d, "LB_CAN_Frames", 1);
    QCOMPARE(Lines(Regs(&d)), QStringList{"7; Byte 1; Byte 2;\tSend"});
    // The list measures the line with the column it is drawn with, not a wider default.
    Regs(&d)->doItemsLayout();
    QCoreApplication::processEvents();
    QCOMPARE(Regs(&d)->horizontalScrollBar()->maximum(), 0);
}

void Tst_Define_CAN::in_use_message_names_the_frame_as_listed_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<int>("frame");  // where the user creates, or modifies the first register
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("detail");
    QTest::newRow("another frame, spelt otherwise") << false << 0 << "Btn_Create" << "0x07"
                                                    << "Register 7 is already used by frame 385.";
    QTest::newRow("the same frame's other register") << false << 0 << "Btn_Modify" << "$29"
                                                     << "Register 41 is already used by frame 0x181.";
    QTest::newRow("identifier kept as the file spells it") << false << 2 << "Btn_Create" << "1000"
                                                           << "Register 1000 is already used by frame $18FF0001.";
    QTest::newRow("transmit") << true << 0 << "Btn_Create" << "7" << "Register 7 is already used by frame 0x202.";
}

void Tst_Define_CAN::in_use_message_names_the_frame_as_listed()
{
    QFETCH(bool, transmit);
    QFETCH(int, frame);
    QFETCH(QString, button);
    QFETCH(QString, index);
    QFETCH(QString, detail);
    Project p;
    Message_Recorder messages;
    const std::unique_ptr<Mapping_Editor> d = Make(p.State, transmit);
    QVERIFY(Open(*d));
    // The frame "$18FF0001" gets register 1000 first.
    Click_Line(d.get(), "LB_CAN_Frames", 1);
    Type_Index(d.get(), "1000");
    Click(d.get(), "Btn_Create");

    Click_Line(d.get(), "LB_CAN_Frames", frame);
    if (button == "Btn_Modify") Click_Line(d.get(), "LB_Modbus_Regs", 0);
    const QStringList before = Lines(Regs(d.get()));
    Type_Index(d.get(), index);
    Click(d.get(), button.toLatin1().constData());
    QCOMPARE(messages.Errors, QStringList("Error!! Index of Modbus Register is already used\n" + detail));
    QCOMPARE(Lines(Regs(d.get())), before);
    // The frame is named as its line in the frame list shows it typed.
    const QString named = detail.section("by frame ", 1).chopped(1);
    const QStringList lines = Lines(Get<QListWidget>(d.get(), "LB_CAN_Frames"));
    QVERIFY(std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
        const QString cob = line.section(u'\n', 0, 0);
        return cob.startsWith("Cob-ID: " + named + u' ') || cob.endsWith(" (" + named + u')');
    }));
}

void Tst_Define_CAN::keyboard_road_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::newRow("receive") << false;
    QTest::newRow("transmit") << true;
}

void Tst_Define_CAN::keyboard_road()
{
    QFETCH(bool, transmit);
    Project p;
    Message_Recorder messages;
    const std::unique_ptr<Mapping_Editor> d = Make(p.State, transmit);
    QVERIFY(Open(*d));
    QVERIFY(QTest::qWaitForWindowActive(d.get()));
    auto *frames = Get<QListWidget>(d.get(), "LB_CAN_Frames");
    QCOMPARE(Focus_Name(), QString("LB_CAN_Frames"));

    // Choose a frame, compose a register, create it: keys only.
    Key(Qt::Key_Down);
    const int frame = frames->currentRow();
    QVERIFY(frame >= 0);
    QCOMPARE(frames->selectedItems().size(), 1);
    const int regs_before = Regs(d.get())->count();
    Key(Qt::Key_Tab);
    QCOMPARE(Focus_Name(), QString("LB_Modbus_Regs"));
    Key(Qt::Key_Tab);
    QCOMPARE(Focus_Name(), QString("E_Index_Modbus"));
    QTest::keyClicks(QApplication::focusWidget(), "300");
    Key(Qt::Key_Tab);
    QCOMPARE(Focus_Name(), QString("CB_Byte_High_Part"));
    Key(Qt::Key_Down);
    Key(Qt::Key_Tab);
    QCOMPARE(Focus_Name(), QString("CB_Byte_Low_Part"));
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    if (transmit) {
        Key(Qt::Key_Tab);
        QCOMPARE(Focus_Name(), QString("CB_SendJ1939_OnModWrite"));
        Key(Qt::Key_Down);
    }
    Key(Qt::Key_Tab);
    QCOMPARE(Focus_Name(), QString("Btn_Create"));
    Key(Qt::Key_Return);
    QCOMPARE(Regs(d.get())->count(), regs_before + 1);
    QCOMPARE(Lines(Regs(d.get())).last(),
             transmit ? QString("300; Byte 1; Byte 2;\tSend") : QString("300; Byte 1; Byte 2;"));

    // Tab reaches OK and Cancel after the list buttons.
    QStringList walked;
    for (int i = 0; i < 6; ++i) {
        Key(Qt::Key_Tab);
        walked << Focus_Name();
    }
    QCOMPARE(walked, (QStringList{"Btn_Modify", "Btn_Delete", "Btn_Copy", "Btn_Paste", "Btn_OK", "Btn_Cancel"}));

    // OK by its Alt letter, from wherever the focus is.
    const QString ok = Get<QPushButton>(d.get(), "Btn_OK")->text();
    const qsizetype mark = ok.indexOf(u'&');
    QVERIFY2(mark >= 0 && mark + 1 < ok.size(), qPrintable(ok));
    Key(Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), ok[mark + 1].toLower().toLatin1(), Qt::AltModifier);
    QTRY_VERIFY(!d->isVisible());
    QCOMPARE(d->result(), int(QDialog::Accepted));
    const QByteArray saved = p.Read(transmit ? "Define_CAN_Transmit.xml" : "Define_CAN_Receive.xml");
    const QByteArray row = "<row Num_Frame=\"" + QByteArray::number(frame) +
                           "\" Mod_Index=\"300\" Byte_HiPart=\"1\" Byte_LoPart=\"2\"" +
                           (transmit ? " Send_on_Write=\"1\"/>" : "/>");
    QVERIFY2(saved.contains(row), saved.constData());
    QVERIFY(messages.Errors.isEmpty());

    // The next showing starts at the frame list again, not at the control used last.
    QVERIFY(Open(*d));
    QVERIFY(QTest::qWaitForWindowActive(d.get()));
    QCOMPARE(Focus_Name(), QString("LB_CAN_Frames"));
    Key(Qt::Key_Escape);
    QVERIFY(!d->isVisible());
}

void Tst_Define_CAN::texts_fit_in_every_language_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::addColumn<QString>("language");
    for (bool transmit : {false, true})
        for (const char *language : {"English", "Deutsch", "Español", "Français", "Italiano"})
            QTest::addRow("%s, %s", transmit ? "transmit" : "receive", language) << transmit << QString(language);
}

void Tst_Define_CAN::texts_fit_in_every_language()
{
    QFETCH(bool, transmit);
    QFETCH(QString, language);
    Project p;
    Use_Language(p.State, language);
    Message_Recorder messages;
    // Made in the language, and switched to it from another one.
    const std::unique_ptr<Mapping_Editor> made = Make(p.State, transmit);
    Use_Language(p.State, language == "Italiano" ? "Français" : "Italiano");
    const std::unique_ptr<Mapping_Editor> switched = Make(p.State, transmit);
    Use_Language(p.State, language);
    switched->Set_Lang();
    for (Mapping_Editor *d : {made.get(), switched.get()}) {
        QVERIFY(Open(*d));
        QCOMPARE(Cut_Texts(d), QStringList());
        // Every control stays inside the window.
        for (const QWidget *w : d->findChildren<QWidget *>())
            if (w->parentWidget() == d && w->isVisibleTo(d))
                QVERIFY2(d->rect().contains(w->geometry()), qPrintable(w->objectName()));
        QCOMPARE(d->height(), 496);
    }
    QCOMPARE(Geometries(switched.get()), Geometries(made.get()));
}

void Tst_Define_CAN::english_layout_stays_as_drawn()
{
    Project p;
    Message_Recorder messages;
    for (bool transmit : {false, true}) {
        Use_Language(p.State, "English");
        const std::unique_ptr<Mapping_Editor> d = Make(p.State, transmit);
        const QMap<QString, QRect> english = Geometries(d.get());
        QCOMPARE(english["window"], QRect(0, 0, 629, 496));
        QCOMPARE(english["LB_CAN_Frames"], QRect(16, 110, 172, 292));
        QCOMPARE(english["LB_Modbus_Regs"], QRect(198, 110, 194, 292));
        QCOMPARE(english["E_Index_Modbus"], QRect(404, 110, 209, 24));
        QCOMPARE(english["CB_Byte_Low_Part"], QRect(404, 250, 209, 24));
        QCOMPARE(english["Btn_Create"], QRect(16, 412, 113, 28));
        QCOMPARE(english["Btn_Paste"], QRect(500, 412, 113, 28));

        // A longer language widens the window; back in English all is where it was.
        Use_Language(p.State, "Français");
        d->Set_Lang();
        QVERIFY(d->width() > 629);
        Use_Language(p.State, "English");
        d->Set_Lang();
        QCOMPARE(Geometries(d.get()), english);
    }
}

void Tst_Define_CAN::frame_list_selects_when_it_takes_the_focus_data()
{
    QTest::addColumn<bool>("transmit");
    QTest::newRow("receive") << false;
    QTest::newRow("transmit") << true;
}

void Tst_Define_CAN::frame_list_selects_when_it_takes_the_focus()
{
    // The frame under the cursor is the frame the registers are shown for: from the opening on,
    // by the arrows, and when Tab comes back to the list.
    QFETCH(bool, transmit);
    Project p;
    Message_Recorder messages;
    const std::unique_ptr<Mapping_Editor> d = Make(p.State, transmit);
    QVERIFY(Open(*d));
    QVERIFY(QTest::qWaitForWindowActive(d.get()));
    auto *frames = Get<QListWidget>(d.get(), "LB_CAN_Frames");
    QCOMPARE(Focus_Name(), QString("LB_CAN_Frames"));
    auto registers_of = [&](int frame) {
        QStringList indexes;
        for (const Editor_Register &r : d->Mappings().Frames[frame].Registers) indexes << r.Ind_Mod;
        return indexes;
    };
    auto shown = [&] {
        QStringList indexes;
        for (const QString &line : Lines(Regs(d.get()))) indexes << line.section(u';', 0, 0);
        return indexes;
    };
    QCOMPARE(frames->currentRow(), 0);
    QCOMPARE(frames->selectedItems(), QList<QListWidgetItem *>{frames->item(0)});
    QCOMPARE(shown(), registers_of(0));
    Key(Qt::Key_Down);
    QCOMPARE(frames->selectedItems(), QList<QListWidgetItem *>{frames->item(1)});
    QCOMPARE(shown(), registers_of(1));
    Key(Qt::Key_Up);
    QCOMPARE(frames->selectedItems(), QList<QListWidgetItem *>{frames->item(0)});
    QCOMPARE(shown(), registers_of(0));

    // Cleared by Ctrl+Space, the frame is selected again when Tab brings the focus back.
    Key(Qt::Key_Down);
    Key(Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(frames->selectedItems().isEmpty());
    Key(Qt::Key_Tab);
    QCOMPARE(Focus_Name(), QString("LB_Modbus_Regs"));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(Focus_Name(), QString("LB_CAN_Frames"));
    QCOMPARE(frames->selectedItems(), QList<QListWidgetItem *>{frames->item(1)});
    QCOMPARE(shown(), registers_of(1));
    QVERIFY(messages.Errors.isEmpty());
}

void Tst_Define_CAN::lists_grow_with_the_window()
{
    Project p;
    Message_Recorder messages;
    for (bool transmit : {false, true}) {
        const std::unique_ptr<Mapping_Editor> d = Make(p.State, transmit);
        QVERIFY(Open(*d));
        const QMap<QString, QRect> drawn = Geometries(d.get());
        // Not smaller than drawn, and larger at will.
        QCOMPARE(d->minimumSize(), QSize(629, 496));
        QVERIFY(d->maximumSize().width() > 2000);
        d->resize(829, 696);
        const QMap<QString, QRect> grown = Geometries(d.get());
        // The lists take the room: each half of the width, both all of the height.
        QCOMPARE(grown["LB_CAN_Frames"], QRect(16, 110, 272, 492));
        QCOMPARE(grown["LB_Modbus_Regs"], QRect(298, 110, 294, 492));
        // The entry column keeps its width at the right edge; the buttons stay under the lists.
        QCOMPARE(grown["E_Index_Modbus"], drawn["E_Index_Modbus"].translated(200, 0));
        QCOMPARE(grown["Btn_Create"].top(), drawn["Btn_Create"].top() + 200);
        QCOMPARE(grown["Btn_Paste"].right(), 829 - 16 - 1);
        QCOMPARE(grown["P_Button"], QRect(0, 650, 829, 46));
        for (const QWidget *w : d->findChildren<QWidget *>())
            if (w->parentWidget() == d.get() && w->isVisibleTo(d.get()))
                QVERIFY2(d->rect().contains(w->geometry()), qPrintable(w->objectName()));
        // Back to its size, all is where it was drawn.
        d->resize(629, 496);
        QCOMPARE(Geometries(d.get()), drawn);
        d->hide();
    }
}

QTEST_MAIN(Tst_Define_CAN)
#include "tst_define_can.moc"
