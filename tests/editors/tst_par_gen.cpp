// The communication settings dialog, driven as a user drives it: load, typing, the "." key,
// OK with its checks and the exact file, and Cancel with its question. What every editor
// shares (opening from the main window, unreadable file, failed save, language) is in
// tst_editor_contract.
#include "File_Bytes.h"
#include "Test_Support.h"
#include "config/Image_Builder.h"
#include "config/Project_Files.h"
#include "dialogs/Settings_Dialog.h"
#include "widgets/Mnemonics.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Par_Gen : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controls_layout_and_texts();
    void load_data();
    void load();
    void ok_checks_then_saves_as_typed_data();
    void ok_checks_then_saves_as_typed();
    void saved_file_bytes();
    void code_outside_the_list_selects_nothing_and_saves_minus_one();
    void dot_moves_along_the_octets_data();
    void dot_moves_along_the_octets();
    void typing_a_whole_address_with_dots();
    void cancel_asks_only_after_a_change_data();
    void cancel_asks_only_after_a_change();
    void cancel_no_keeps_edits_and_reopening_shows_the_file();
    void close_box_asks_like_cancel();
    void opens_on_the_baud_rate_and_enter_is_ok();
    void headings_take_the_keyboard_to_their_fields();
    void saved_defaults_give_the_device_header();
    void unstored_settings_say_what_the_device_gets();
    void pasted_unstorable_character_is_undone();

private:
    Settings_Dialog *Dialog() { return dlg_.get(); }
    template <class T = QWidget>
    T *W(const char *name) { return dlg_->findChild<T *>(QLatin1String(name)); }
    QLineEdit *E(const QString &name) { return dlg_->findChild<QLineEdit *>(name); }
    bool Open();
    void Write_File(const QByteArray &bytes);
    QByteArray File_Bytes();
    // "baud|ip|mask|gateway flag|gateway|port", as the controls hold it.
    QString Shown();

    std::unique_ptr<QTemporaryDir> dir_;
    App_State state_;
    std::unique_ptr<Settings_Dialog> dlg_;
    std::unique_ptr<Message_Recorder> messages_;
};

void Tst_Par_Gen::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    state_ = App_State{};
    Load_Default_Language(state_.Lang_Table);
    state_.SW_Code = SW_Code_Text;
    state_.Files.ParGen = dir_->filePath("ParGen.xml");
    messages_ = std::make_unique<Message_Recorder>();
    dlg_ = std::make_unique<Settings_Dialog>(state_);
}

void Tst_Par_Gen::cleanup()
{
    dlg_.reset();
    messages_.reset();
    dir_.reset();
}

bool Tst_Par_Gen::Open()
{
    if (!dlg_->FormShow()) return false;
    dlg_->show();
    dlg_->activateWindow();
    return QTest::qWaitForWindowActive(dlg_.get());
}

void Tst_Par_Gen::Write_File(const QByteArray &bytes) { Write_All(state_.Files.ParGen, bytes); }

QByteArray Tst_Par_Gen::File_Bytes()
{
    QFile f(state_.Files.ParGen);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no file)");
}

QString Tst_Par_Gen::Shown()
{
    const Par_Gen_Texts t = dlg_->Texts();
    auto row = [](const QString *f) { return QStringList{f[0], f[1], f[2], f[3]}.join('.'); };
    return QStringList{t.CAN_BAUDRATE, row(t.IP), row(t.SM), t.EN_GAT, row(t.GAT), t.Port}.join('|');
}

void Tst_Par_Gen::controls_layout_and_texts()
{
    for (const char *name : {"L_SW_Code", "L_SW_Desc", "L_CAN_Baud", "L_ModTCPs_IP", "L_ModTCPs_SM",
                             "L_ModTCPs_Port"})
        QVERIFY2(W<QLabel>(name), name);
    for (const char *name : {"E_IP1", "E_IP2", "E_IP3", "E_IP4", "E_SM1", "E_SM2", "E_SM3", "E_SM4",
                             "E_GAT1", "E_GAT2", "E_GAT3", "E_GAT4", "E_PORT"}) {
        QLineEdit *e = W<QLineEdit>(name);
        QVERIFY2(e, name);
        QVERIFY(!e->accessibleName().isEmpty());
        QCOMPARE(e->maxLength(), 32767);  // no limit of our own, no mask
        QVERIFY(e->inputMask().isEmpty());
    }
    QCOMPARE(W<QLineEdit>("E_GAT1")->accessibleName(), QString("GATEWAY 1"));

    QComboBox *baud = W<QComboBox>("CB_Baud_CAN");
    QVERIFY(!baud->isEditable());
    QStringList items;
    for (int i = 0; i < baud->count(); ++i) items << baud->itemText(i);
    QCOMPARE(items, (QStringList{"10K", "20K", "50K", "100K", "125K", "250K", "500K", "800K", "1000K"}));

    int dots = 0;
    for (QLabel *l : dlg_->findChildren<QLabel *>())
        if (l->text() == ".") ++dots;
    QCOMPARE(dots, 9);

    QCOMPARE(dlg_->windowTitle(), QString("Set Communication"));
    QCOMPARE(W<QLabel>("L_SW_Code")->text(), QString("QCX3310"));
    QCOMPARE(W<QLabel>("L_SW_Desc")->text(), QString("Set Communication Setting"));
    QCOMPARE(W<QGroupBox>("GB_CAN")->title(), QString(" CAN "));
    QCOMPARE(W<QGroupBox>("GB_Modbus_TCP_Slave")->title(), QString(" Modbus TCP Slave "));
    QCOMPARE(Shown_Text(W<QCheckBox>("CB_ModTCPs_EN_GAT")->text()), QString("GATEWAY"));
    QCOMPARE(Shown_Text(W<QLabel>("L_ModTCPs_Port")->text()), QString("Port"));
    QCOMPARE(Shown_Text(W<QPushButton>("Btn_OK")->text()), QString("OK"));
    QCOMPARE(Shown_Text(W<QPushButton>("Btn_Cancel")->text()), QString("Cancel"));

    // Nothing is cut off or covered: the groups stand one above the other with the buttons
    // below them, all inside the dialog, which keeps its size.
    QVERIFY(Open());  // the button row lays out its buttons when shown
    const QRect inside(QPoint(), dlg_->size());
    const QRect can = W("GB_CAN")->geometry();
    const QRect modbus = W("GB_Modbus_TCP_Slave")->geometry();
    QVERIFY(inside.contains(can) && inside.contains(modbus));
    QVERIFY(can.bottom() < modbus.top());
    for (const char *name : {"Btn_OK", "Btn_Cancel"}) {
        const QRect button(W(name)->mapTo(dlg_.get(), QPoint()), W(name)->size());
        QVERIFY2(inside.contains(button), name);
        QVERIFY2(button.top() > modbus.bottom(), name);
    }
    QCOMPARE(dlg_->minimumSize(), dlg_->maximumSize());
    for (const char *group : {"GB_CAN", "GB_Modbus_TCP_Slave"}) {
        const QRect area(QPoint(), W(group)->size());
        for (QWidget *w : W(group)->findChildren<QWidget *>())
            QVERIFY2(area.contains(w->geometry()), qPrintable(w->objectName()));
    }
    const Qt::WindowFlags flags = dlg_->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
}

void Tst_Par_Gen::load_data()
{
    QTest::addColumn<QByteArray>("file");  // empty: no file
    QTest::addColumn<QString>("shown");

    const QString defaults = "5|192.168.0.10|255.255.255.0|0|192.168.0.1|502";
    QTest::newRow("no file: defaults") << QByteArray() << defaults;
    QTest::newRow("empty root: defaults") << QByteArray("<Par_Gen/>") << defaults;
    QTest::newRow("each setting on its own, texts unchanged")
        << QByteArray("<Par_Gen><CAN_BAUDRATE>$3</CAN_BAUDRATE>"
                      "<MODBUS_TCP_SLAVE_IP1> 7</MODBUS_TCP_SLAVE_IP1><MODBUS_TCP_SLAVE_IP4>0x10</MODBUS_TCP_SLAVE_IP4>"
                      "<MODBUS_TCP_SLAVE_SM4>abc</MODBUS_TCP_SLAVE_SM4>"
                      "<MODBUS_TCP_SLAVE_EN_GAT>1</MODBUS_TCP_SLAVE_EN_GAT><MODBUS_TCP_SLAVE_GAT2/>"
                      "<MODBUS_TCP_SLAVE_Port>999999</MODBUS_TCP_SLAVE_Port></Par_Gen><!--SW_VERSION = 1.102-->")
        << " 3| 7.168.0.0x10|255.255.255.abc|1|192..0.1|999999";
    QTest::newRow("gateway \"true\" is off")
        << QByteArray("<Par_Gen><MODBUS_TCP_SLAVE_EN_GAT>true</MODBUS_TCP_SLAVE_EN_GAT></Par_Gen>") << defaults;
    QTest::newRow("gateway \" 1\" is off")
        << QByteArray("<Par_Gen><MODBUS_TCP_SLAVE_EN_GAT> 1</MODBUS_TCP_SLAVE_EN_GAT></Par_Gen>") << defaults;
    QTest::newRow("code that does not convert: 250K")
        << QByteArray("<Par_Gen><CAN_BAUDRATE>fast</CAN_BAUDRATE></Par_Gen>") << defaults;
    QTest::newRow("code 8") << QByteArray("<Par_Gen><CAN_BAUDRATE>8</CAN_BAUDRATE></Par_Gen>")
                            << "8|192.168.0.10|255.255.255.0|0|192.168.0.1|502";
    QTest::newRow("byte-order mark and line break")
        << QByteArray("\xEF\xBB\xBF<Par_Gen><CAN_BAUDRATE>0</CAN_BAUDRATE></Par_Gen>\r\n<!--SW_VERSION = 1.102-->")
        << "0|192.168.0.10|255.255.255.0|0|192.168.0.1|502";
}

void Tst_Par_Gen::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    shown.replace(" 3|", "3|");  // the baud rate comes back as a position
    if (!file.isEmpty()) Write_File(file);
    const QByteArray before = File_Bytes();

    // A first showing with other values, so that the load must overwrite every control.
    for (QLineEdit *e : dlg_->findChildren<QLineEdit *>()) e->setText("x");
    W<QCheckBox>("CB_ModTCPs_EN_GAT")->setChecked(!shown.contains("|1|"));
    QVERIFY(dlg_->FormShow());
    QCOMPARE(Shown(), shown);
    QVERIFY(!dlg_->Changed());
    QVERIFY(messages_->Errors.isEmpty());
    QCOMPARE(File_Bytes(), before);
}

void Tst_Par_Gen::ok_checks_then_saves_as_typed_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<int>("str");  // -1: saved

    QTest::newRow("IP1 256") << "E_IP1" << "256" << false << 84;
    QTest::newRow("IP2 -1") << "E_IP2" << "-1" << false << 85;
    QTest::newRow("IP3 abc") << "E_IP3" << "abc" << false << 86;
    QTest::newRow("IP4 empty") << "E_IP4" << "" << false << 87;
    QTest::newRow("SM1 256") << "E_SM1" << "256" << false << 88;
    QTest::newRow("SM4 empty") << "E_SM4" << "" << false << 91;
    QTest::newRow("IP1 leading blank") << "E_IP1" << " 7" << false << -1;
    QTest::newRow("SM2 hex") << "E_SM2" << "0x10" << false << -1;
    QTest::newRow("port 0") << "E_PORT" << "0" << false << -1;
    QTest::newRow("port 65535") << "E_PORT" << "65535" << false << -1;
    QTest::newRow("port 65536") << "E_PORT" << "65536" << false << 96;
    QTest::newRow("port with a dot") << "E_PORT" << "50.2" << false << 96;
    QTest::newRow("gateway off: 999 saved") << "E_GAT1" << "999" << false << -1;
    QTest::newRow("gateway on: GAT1 999") << "E_GAT1" << "999" << true << 92;
    QTest::newRow("gateway on: GAT4 abc") << "E_GAT4" << "abc" << true << 95;
}

void Tst_Par_Gen::ok_checks_then_saves_as_typed()
{
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(bool, gateway);
    QFETCH(int, str);
    QVERIFY(Open());
    QLineEdit *e = E(edit);
    e->clear();
    QTest::keyClicks(e, typed);
    QCOMPARE(e->text(), typed);
    if (gateway) W<QCheckBox>("CB_ModTCPs_EN_GAT")->click();
    QTest::mouseClick(W("Btn_OK"), Qt::LeftButton);

    if (str >= 0) {
        QCOMPARE(messages_->Errors, QStringList{state_.STR(str)});
        QVERIFY(dlg_->isVisible());
        QCOMPARE(e->text(), typed);
        QCOMPARE(File_Bytes(), QByteArray("(no file)"));
    } else {
        QVERIFY(messages_->Errors.isEmpty());
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(dlg_->result(), int(QDialog::Accepted));
        const QByteArray element = edit == "E_PORT" ? QByteArray("MODBUS_TCP_SLAVE_Port")
                                                    : "MODBUS_TCP_SLAVE_" + edit.mid(2).toLatin1();
        QVERIFY2(File_Bytes().contains("<" + element + ">" + typed.toUtf8() + "</" + element + ">"),
                 File_Bytes().constData());
    }
}

void Tst_Par_Gen::saved_file_bytes()
{
    // A new configuration confirmed unchanged, then once more with the gateway and 1000K.
    QVERIFY(Open());
    QTest::mouseClick(W("Btn_OK"), Qt::LeftButton);
    QCOMPARE(File_Bytes(),
             QByteArray("<Par_Gen><CAN_BAUDRATE>5</CAN_BAUDRATE>"
                        "<MODBUS_TCP_SLAVE_IP1>192</MODBUS_TCP_SLAVE_IP1><MODBUS_TCP_SLAVE_IP2>168</MODBUS_TCP_SLAVE_IP2>"
                        "<MODBUS_TCP_SLAVE_IP3>0</MODBUS_TCP_SLAVE_IP3><MODBUS_TCP_SLAVE_IP4>10</MODBUS_TCP_SLAVE_IP4>"
                        "<MODBUS_TCP_SLAVE_SM1>255</MODBUS_TCP_SLAVE_SM1><MODBUS_TCP_SLAVE_SM2>255</MODBUS_TCP_SLAVE_SM2>"
                        "<MODBUS_TCP_SLAVE_SM3>255</MODBUS_TCP_SLAVE_SM3><MODBUS_TCP_SLAVE_SM4>0</MODBUS_TCP_SLAVE_SM4>"
                        "<MODBUS_TCP_SLAVE_EN_GAT>0</MODBUS_TCP_SLAVE_EN_GAT>"
                        "<MODBUS_TCP_SLAVE_GAT1>192</MODBUS_TCP_SLAVE_GAT1><MODBUS_TCP_SLAVE_GAT2>168</MODBUS_TCP_SLAVE_GAT2>"
                        "<MODBUS_TCP_SLAVE_GAT3>0</MODBUS_TCP_SLAVE_GAT3><MODBUS_TCP_SLAVE_GAT4>1</MODBUS_TCP_SLAVE_GAT4>"
                        "<MODBUS_TCP_SLAVE_Port>502</MODBUS_TCP_SLAVE_Port></Par_Gen><!--SW_VERSION = 1.102-->"));

    QVERIFY(Open());
    QComboBox *baud = W<QComboBox>("CB_Baud_CAN");
    baud->setFocus();
    QTest::keyClick(baud, Qt::Key_End);
    QCOMPARE(baud->currentText(), QString("1000K"));
    W<QCheckBox>("CB_ModTCPs_EN_GAT")->click();
    E("E_PORT")->selectAll();
    QTest::keyClicks(E("E_PORT"), "$1F6");
    QTest::mouseClick(W("Btn_OK"), Qt::LeftButton);
    const QByteArray bytes = File_Bytes();
    QVERIFY(bytes.startsWith("<Par_Gen><CAN_BAUDRATE>8</CAN_BAUDRATE>"));
    QVERIFY(bytes.contains("<MODBUS_TCP_SLAVE_EN_GAT>1</MODBUS_TCP_SLAVE_EN_GAT>"));
    QVERIFY(bytes.endsWith("<MODBUS_TCP_SLAVE_Port>$1F6</MODBUS_TCP_SLAVE_Port></Par_Gen><!--SW_VERSION = 1.102-->"));
}

void Tst_Par_Gen::code_outside_the_list_selects_nothing_and_saves_minus_one()
{
    Write_File("<Par_Gen><CAN_BAUDRATE>12</CAN_BAUDRATE></Par_Gen>");
    QVERIFY(Open());
    QCOMPARE(W<QComboBox>("CB_Baud_CAN")->currentIndex(), -1);
    QCOMPARE(W<QComboBox>("CB_Baud_CAN")->currentText(), QString());
    QTest::mouseClick(W("Btn_OK"), Qt::LeftButton);
    QCOMPARE(Read_Par_Gen_File(state_.Files.ParGen).CAN_BAUDRATE, std::optional<QString>("-1"));
}

void Tst_Par_Gen::dot_moves_along_the_octets_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("IP1") << "E_IP1" << "E_IP2";
    QTest::newRow("IP4") << "E_IP4" << "E_SM1";
    QTest::newRow("SM2") << "E_SM2" << "E_SM3";
    QTest::newRow("SM4, gateway off") << "E_SM4" << "E_GAT1";
    QTest::newRow("GAT3") << "E_GAT3" << "E_GAT4";
    QTest::newRow("GAT4 stays") << "E_GAT4" << "E_GAT4";
}

void Tst_Par_Gen::dot_moves_along_the_octets()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QVERIFY(Open());
    QVERIFY(!W<QCheckBox>("CB_ModTCPs_EN_GAT")->isChecked());
    QLineEdit *e = E(from);
    e->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), e);
    const QString before = e->text();
    QTest::keyClick(e, '.');
    QCOMPARE(QApplication::focusWidget(), E(to));
    QCOMPARE(e->text(), before);
    QVERIFY(!dlg_->Changed());
}

void Tst_Par_Gen::typing_a_whole_address_with_dots()
{
    QVERIFY(Open());
    for (QLineEdit *e : dlg_->findChildren<QLineEdit *>()) e->clear();
    E("E_IP1")->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), E("E_IP1"));
    for (const char c : QByteArray("10.1.2.3.255.255.0.0.10.1.2.254...")) QTest::keyClick(QApplication::focusWidget(), c);
    QCOMPARE(Shown(), "5|10.1.2.3|255.255.0.0|0|10.1.2.254|");
    QCOMPARE(QApplication::focusWidget(), E("E_GAT4"));

    // The port is not an octet: its "." is typed like any character and the check catches it.
    QTest::keyClicks(E("E_PORT"), "5.2");
    QCOMPARE(E("E_PORT")->text(), QString("5.2"));
}

void Tst_Par_Gen::cancel_asks_only_after_a_change_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("asks");
    QTest::newRow("nothing") << "none" << false;
    QTest::newRow("gateway box only") << "gateway" << true;
    QTest::newRow("gateway box ticked twice") << "gateway twice" << false;
    QTest::newRow("typing in an octet") << "octet" << true;
    QTest::newRow("typing in the port") << "port" << true;
    QTest::newRow("baud rate") << "baud" << true;
    QTest::newRow("baud rate and back") << "baud back" << false;
    QTest::newRow("typed and taken back") << "undo" << false;
    QTest::newRow("Escape after typing") << "escape" << true;
}

void Tst_Par_Gen::cancel_asks_only_after_a_change()
{
    QFETCH(QString, action);
    QFETCH(bool, asks);
    Write_File("<Par_Gen><MODBUS_TCP_SLAVE_IP1>11</MODBUS_TCP_SLAVE_IP1></Par_Gen>");
    const QByteArray before = File_Bytes();
    QVERIFY(Open());
    if (action.startsWith("gateway")) W<QCheckBox>("CB_ModTCPs_EN_GAT")->click();
    if (action == "gateway twice") W<QCheckBox>("CB_ModTCPs_EN_GAT")->click();
    if (action == "octet" || action == "escape") QTest::keyClicks(E("E_SM3"), "7");
    if (action == "port") QTest::keyClicks(E("E_PORT"), "0");
    if (action.startsWith("baud")) {
        W("CB_Baud_CAN")->setFocus();
        QTest::keyClick(W("CB_Baud_CAN"), Qt::Key_Down);
    }
    if (action == "baud back") QTest::keyClick(W("CB_Baud_CAN"), Qt::Key_Up);
    if (action == "undo") {
        QTest::keyClicks(E("E_IP1"), "1");
        QTest::keyClick(E("E_IP1"), Qt::Key_Backspace);
        QCOMPARE(E("E_IP1")->text(), QString("11"));
    }
    if (action == "escape")
        QTest::keyClick(dlg_.get(), Qt::Key_Escape);
    else
        QTest::mouseClick(W("Btn_Cancel"), Qt::LeftButton);

    QCOMPARE(messages_->Questions, asks ? QStringList{"Do you want to exit without saving changes?"} : QStringList{});
    QVERIFY(!dlg_->isVisible());
    QCOMPARE(dlg_->result(), int(QDialog::Rejected));
    QCOMPARE(File_Bytes(), before);

    // Whatever was toggled or typed is gone at the next showing, and nothing counts as changed.
    QVERIFY(Open());
    QCOMPARE(Shown(), "5|11.168.0.10|255.255.255.0|0|192.168.0.1|502");
    QVERIFY(!dlg_->Changed());
}

void Tst_Par_Gen::cancel_no_keeps_edits_and_reopening_shows_the_file()
{
    QVERIFY(Open());
    E("E_IP2")->clear();
    QTest::keyClicks(E("E_IP2"), "99");
    messages_->Answers = {false};
    QTest::mouseClick(W("Btn_Cancel"), Qt::LeftButton);
    QVERIFY(dlg_->isVisible());
    QCOMPARE(E("E_IP2")->text(), QString("99"));

    // Yes this time: closed, nothing written, and the next showing has the file's values again.
    QTest::mouseClick(W("Btn_Cancel"), Qt::LeftButton);
    QCOMPARE(messages_->Questions.size(), 2);
    QVERIFY(!dlg_->isVisible());
    QCOMPARE(File_Bytes(), QByteArray("(no file)"));
    QVERIFY(Open());
    QCOMPARE(E("E_IP2")->text(), QString("168"));
    QVERIFY(!dlg_->Changed());
}

void Tst_Par_Gen::close_box_asks_like_cancel()
{
    QVERIFY(Open());
    QTest::keyClicks(E("E_IP3"), "5");
    const QString typed = E("E_IP3")->text();
    QVERIFY(dlg_->Changed());
    messages_->Answers = {false};
    QVERIFY(!dlg_->close());
    QVERIFY(dlg_->isVisible());
    QCOMPARE(E("E_IP3")->text(), typed);
    QVERIFY(dlg_->close());
    QCOMPARE(messages_->Questions,
             QStringList(2, QStringLiteral("Do you want to exit without saving changes?")));
    QCOMPARE(dlg_->result(), int(QDialog::Rejected));
    QCOMPARE(File_Bytes(), QByteArray("(no file)"));
}

void Tst_Par_Gen::opens_on_the_baud_rate_and_enter_is_ok()
{
    // Every showing starts on the first setting, wherever the last one was left.
    QVERIFY(Open());
    QTRY_COMPARE(QApplication::focusWidget(), W("CB_Baud_CAN"));
    E("E_PORT")->setFocus();
    QTest::keyClick(E("E_PORT"), Qt::Key_Escape);
    QVERIFY(!dlg_->isVisible());
    QVERIFY(Open());
    QTRY_COMPARE(QApplication::focusWidget(), W("CB_Baud_CAN"));

    // Tab reaches every field in order, then the buttons; Enter anywhere is OK.
    QStringList road;
    for (int i = 0; i < 17; ++i) {
        road << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(road, QStringList({"CB_Baud_CAN", "E_IP1", "E_IP2", "E_IP3", "E_IP4", "E_SM1", "E_SM2", "E_SM3",
                                "E_SM4", "CB_ModTCPs_EN_GAT", "E_GAT1", "E_GAT2", "E_GAT3", "E_GAT4", "E_PORT",
                                "Btn_OK", "Btn_Cancel"}));
    E("E_PORT")->setFocus();
    QTest::keyClick(E("E_PORT"), Qt::Key_Return);
    QVERIFY(!dlg_->isVisible());
    QCOMPARE(dlg_->result(), int(QDialog::Accepted));
    QVERIFY(File_Bytes().startsWith("<Par_Gen>"));
}

void Tst_Par_Gen::headings_take_the_keyboard_to_their_fields()
{
    QVERIFY(Open());
    struct Jump {
        const char *heading;
        const char *field;
    };
    for (const Jump &jump : {Jump{"L_CAN_Baud", "CB_Baud_CAN"}, Jump{"L_ModTCPs_IP", "E_IP1"},
                             Jump{"L_ModTCPs_SM", "E_SM1"}, Jump{"L_ModTCPs_Port", "E_PORT"}}) {
        const QString text = W<QLabel>(jump.heading)->text();
        const qsizetype mark = text.indexOf(u'&');
        QVERIFY2(mark >= 0 && mark + 1 < text.size(), jump.heading);
        QTest::keyClick(dlg_.get(), text[mark + 1].toLower().toLatin1(), Qt::AltModifier);
        QTRY_COMPARE(QApplication::focusWidget(), W(jump.field));
    }
}

void Tst_Par_Gen::unstored_settings_say_what_the_device_gets()
{
    // No ParGen.xml yet: the dialog shows its proposals, the device would get its own settings.
    QVERIFY(Open());
    auto *note = W<QLabel>("L_Not_Stored");
    QVERIFY(note);
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), QString("Not stored yet: until you confirm with OK, the device gets its own settings "
                                   "(125000 bit/s, 192.168.2.205, port 10001)."));
    // Whole, inside the window, between the settings and the buttons.
    QVERIFY(note->height() >= note->heightForWidth(note->width()));
    QVERIFY(QRect(QPoint(), dlg_->size()).contains(note->geometry()));
    QVERIFY(note->geometry().top() > W("GB_Modbus_TCP_Slave")->geometry().bottom());
    QVERIFY(note->geometry().bottom() < W("Btn_OK")->mapTo(dlg_.get(), QPoint()).y());
    const int unstored_height = dlg_->height();

    QTest::mouseClick(W("Btn_OK"), Qt::LeftButton);
    QVERIFY(!dlg_->isVisible());
    QVERIFY(QFile::exists(state_.Files.ParGen));
    // Stored: the note goes and the window takes its drawn size again.
    QVERIFY(Open());
    QVERIFY(!note->isVisible());
    QCOMPARE(dlg_->size(), QSize(312, 378));
    QVERIFY(unstored_height > 378);
}

void Tst_Par_Gen::saved_defaults_give_the_device_header()
{
    // What a new configuration confirmed unchanged tells the device: 250 kbit/s twice, then
    // the fixed 9600, and the header's byte sum.
    QVERIFY(Open());
    QTest::mouseClick(W("Btn_OK"), Qt::LeftButton);
    QVERIFY(!dlg_->isVisible());

    Configuration_Image image;
    image.Compile_Bin(Project_Paths_In(dir_->path()));
    const QByteArray bank1 = image.Bank1_Image();
    QCOMPARE(bank1.left(12).toHex(' ').toUpper(), QByteArray("90 D0 03 00 90 D0 03 00 80 25 00 00"));
    QCOMPARE(Get_U32(reinterpret_cast<const uint8_t *>(bank1.constData()) + Bank1_Checksum_Offset), 4296u);
    const Bank1_Header &h = image.Param();
    QCOMPARE((QList<int>{h.TCP_IP[0], h.TCP_IP[1], h.TCP_IP[2], h.TCP_IP[3]}), (QList<int>{192, 168, 0, 10}));
    QCOMPARE((QList<int>{h.TCP_Mask[0], h.TCP_Mask[1], h.TCP_Mask[2], h.TCP_Mask[3]}), (QList<int>{255, 255, 255, 0}));
    QCOMPARE((QList<int>{h.TCP_Gateway[0], h.TCP_Gateway[1], h.TCP_Gateway[2], h.TCP_Gateway[3]}),
             (QList<int>{255, 255, 255, 255}));  // the gateway is off
    QCOMPARE(int(h.TCP_Port), 502);
}

// A paste can bring in a character that no configuration file can hold; the edit undoes it and
// says why, so OK never meets a text the file would refuse.
void Tst_Par_Gen::pasted_unstorable_character_is_undone()
{
    QVERIFY(Open());
    for (const char *name : {"E_PORT", "E_IP2"}) {
        QLineEdit *edit = E(QLatin1String(name));
        const QString before = edit->text();
        edit->setFocus();
        edit->selectAll();
        edit->insert(QStringLiteral("50\x01" "2"));  // what a paste does
        QCOMPARE(edit->text(), before);
        QCOMPARE(messages_->Errors.size(), 1);
        QVERIFY2(messages_->Errors.takeFirst().contains(QLatin1String("U+0001")), name);
        edit->selectAll();
        edit->insert(QStringLiteral("7"));  // ordinary typing still works
        QCOMPARE(edit->text(), QStringLiteral("7"));
    }
}

QTEST_MAIN(Tst_Par_Gen)
#include "tst_par_gen.moc"
