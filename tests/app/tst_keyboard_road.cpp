// The whole road with the keyboard alone, as a user without a mouse walks it: a new
// configuration, its settings, a receive frame and a register for it, the update with its check,
// address, ping and the updater's start.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "app/TFVariroduvieFirmWare.h"
#include "update/Update_Job.h"
#include "widgets/Mnemonics.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Where the keys go: an open drop-down's list, or the focused control.
QWidget *Key_Target()
{
    if (QWidget *popup = QApplication::activePopupWidget()) return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = Key_Target();
    if (!target) qWarning() << "no focus for key" << key << "active" << QApplication::activeWindow() << "modal" << QApplication::activeModalWidget();
    QVERIFY2(target, "no control has the focus");
    QTest::keyClick(target, key, modifiers);
}

void Type(const QString &text)
{
    for (const QChar c : text) {
        QWidget *target = Key_Target();
        QVERIFY2(target, "no control has the focus");
        QTest::keyClick(target, c.toLatin1());
    }
}

QString Focus_Name()
{
    const QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(none)");
}

// Presses the button of window through its Alt letter, from wherever the focus is.
void Alt(QWidget *window, const char *button)
{
    // A window manager hands activation back when a dialog closes; offscreen, nobody does.
    if (QApplication::activeWindow() != window && !QApplication::activeModalWidget()) window->activateWindow();
    QVERIFY2(QTest::qWaitForWindowActive(window), button);
    auto *b = window->findChild<QAbstractButton *>(QLatin1String(button));
    QVERIFY2(b, button);
    const QString text = b->text();
    const qsizetype mark = text.indexOf(u'&');
    QVERIFY2(mark >= 0 && mark + 1 < text.size(), qPrintable(QStringLiteral("%1 has no Alt letter: %2").arg(button, text)));
    QWidget *target = Key_Target();
    if (!target) target = window;
    // The button presses itself a moment later (animated), so a caller waits for what it does.
    QTest::keyClick(target, text[mark + 1].toLower().toLatin1(), Qt::AltModifier);
}

// Runs action once the modal window named name is up and active.
void When_Window(const QString &name, std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, name, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != name || QApplication::activeWindow() != modal) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

}  // namespace

class Tst_Keyboard_Road : public QObject {
    Q_OBJECT

private slots:
    void the_whole_road_with_keys_alone()
    {
        Test_Workspace f;
        f.Start();
        f.Write(QStringLiteral("MASTER/QFW3310.sim"), QByteArray(64, '\x5A'));
        Message_Recorder messages;
        QWidget *main = f.window.get();
        main->show();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QStringList seen;
        int done = 0;  // the steps whose window has closed

        // A new configuration: the name field has the focus, Enter is OK.
        When_Window(QStringLiteral("TFNew_Project"), [&](QWidget *) {
            seen << Focus_Name();
            Type(QStringLiteral("Road"));
            Press(Qt::Key_Return);
            ++done;
        });
        Alt(main, "Btn_New");
        QTRY_COMPARE(done, 1);
        QCOMPARE(f.state.Project_Name, QStringLiteral("Road"));

        // The settings as they come, confirmed with Enter.
        When_Window(QStringLiteral("TFParGen"), [&](QWidget *) {
            seen << Focus_Name();
            Press(Qt::Key_Return);
            ++done;
        });
        Alt(main, "Btn_Prm_Gen");
        QTRY_COMPARE(done, 2);

        // A receive frame typed field by field; Tab from the last field reaches OK.
        When_Window(QStringLiteral("TFReceiveCAN"), [&](QWidget *) {
            seen << Focus_Name();
            Type(QStringLiteral("0x181"));
            Press(Qt::Key_Tab);
            Type(QStringLiteral("8"));
            Press(Qt::Key_Tab);
            QTRY_VERIFY(QApplication::activePopupWidget());
            Press(Qt::Key_Tab);  // the type as offered
            QTRY_VERIFY(!QApplication::activePopupWidget());
            Type(QStringLiteral("1000"));
            Press(Qt::Key_Tab);
            Type(QStringLiteral("Motor"));
            Press(Qt::Key_Tab);
            seen << Focus_Name();
            Press(Qt::Key_Return);
            ++done;
        });
        Alt(main, "Btn_Receive_COB");
        QTRY_COMPARE(done, 3);
        QVERIFY2(f.Read(QStringLiteral("PROJECTS/Road/CAN_Receive.xml")).contains("CobID=\"0x181\" Dimension=\"8\""),
                 f.Read(QStringLiteral("PROJECTS/Road/CAN_Receive.xml")).constData());

        // A register for the frame: frame, index, high and low byte, Create, then OK by its letter.
        When_Window(QStringLiteral("TFDefineRecCAN"), [&](QWidget *dialog) {
            seen << Focus_Name();
            Press(Qt::Key_Space);  // the first frame, on which the list opens
            Press(Qt::Key_Tab);
            Press(Qt::Key_Tab);
            Type(QStringLiteral("7"));
            Press(Qt::Key_Tab);
            Press(Qt::Key_Down);
            Press(Qt::Key_Tab);
            Press(Qt::Key_Down);
            Press(Qt::Key_Down);
            Press(Qt::Key_Tab);
            seen << Focus_Name();
            Press(Qt::Key_Space);
            QTRY_VERIFY2(dialog->findChild<QListWidget *>(QStringLiteral("LB_Modbus_Regs"))->count() == 1,
                         qPrintable(seen.join(u',') + u'|' + messages.Errors.join(u',') + u'|' + messages.Warnings.join(u',')));
            Alt(dialog, "Btn_OK");
            QTRY_VERIFY(!dialog->isVisible());
            ++done;
        });
        Alt(main, "Btn_Define_Receive_COB");
        QTRY_COMPARE(done, 4);

        // Update Device: the check may list findings (go on by its letter); then the address,
        // Enter pings, Next by its letter, and Enter on the focused Execute starts the updater.
        std::function<void(QWidget *)> update = [&](QWidget *dialog) {
            seen << Focus_Name();
            Type(QStringLiteral("127.0.0.1"));
            Press(Qt::Key_Return);
            QTRY_COMPARE(dialog->findChild<QLabel *>(QStringLiteral("LPing"))->text(), QStringLiteral("Device Found!"));
            Alt(dialog, "Btn_Next");
            QTRY_VERIFY(dialog->findChild<QPushButton *>(QStringLiteral("Btn_Update"))->isVisible());
            seen << Focus_Name();
            Press(Qt::Key_Return);
            QTRY_COMPARE(f.shell.Started.size(), 1);
            Press(Qt::Key_Escape);
            ++done;
        };
        auto *check_timer = new QTimer(this);
        check_timer->setInterval(0);
        connect(check_timer, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || QApplication::activeWindow() != modal) return;
            if (modal->objectName() == QLatin1String("TFCheck")) {
                Alt(modal, "Btn_Go_On");
            } else if (modal->objectName() == QLatin1String("TFBootTCP")) {
                check_timer->stop();
                update(modal);
            }
        });
        check_timer->start();
        Alt(main, "Btn_CreateBin");
        QTRY_COMPARE(done, 5);
        check_timer->stop();

        QCOMPARE(messages.Errors, QStringList());
        QCOMPARE(seen, (QStringList{"E_New_Proj", "CB_Baud_CAN", "sga", "Btn_OK", "LB_CAN_Frames", "Btn_Create",
                                    "E_IP1", "Btn_Update"}));
        QCOMPARE(messages.Errors, QStringList());
        const QString project = QStringLiteral("PROJECTS/Road/");
        QVERIFY(f.Read(project + "CAN_Receive.xml").contains("CobID=\"0x181\" Dimension=\"8\""));
        QVERIFY(f.Read(project + "Define_CAN_Receive.xml").contains("Mod_Index=\"7\" Byte_HiPart=\"1\" Byte_LoPart=\"2\""));
        QVERIFY(!f.Read(project + "bin/bank1.bin").isEmpty());
        QVERIFY(f.Read(QStringLiteral("Ethernet_Update.xml")).contains("<IP_Address_Dev>127.0.0.1</IP_Address_Dev>"));
        QVERIFY(f.shell.Started.first().contains(QStringLiteral("Ethernet_Update")));
    }
};

QTEST_MAIN(Tst_Keyboard_Road)
#include "tst_keyboard_road.moc"
