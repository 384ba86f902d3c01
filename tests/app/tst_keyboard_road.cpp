// The whole road with the keyboard alone, from the main window: a new configuration, its
// settings, a received frame, a register of it, and the update with a ping and the updater's run.
//
// The dialogs run modally, one inside the other, so the road is a script of steps that a timer
// plays from inside whichever modal loop is running. A step waits until its window is the one
// the user sees (the active modal dialog, or the main window when none is) and has the keyboard,
// and until its own condition holds; then it acts once. A step that waits too long fails the road
// and closes every dialog, so a fault ends the test with a reason instead of a hang.
#include "Test_Support.h"
#include "Test_Workspace.h"

#include "config/Project_Files.h"
#include "lang/Lang_Table.h"
#include "widgets/Mnemonics.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {



class Key_Script : public QObject {
public:
    struct Step {
        QString Label;
        QString Window;               // object name of the window; empty: the main window
        std::function<bool()> Ready;  // more to wait for, beside the window
        std::function<void()> Act;
    };

    explicit Key_Script(QWidget *main_window) : main_(main_window)
    {
        connect(&ticker_, &QTimer::timeout, this, &Key_Script::Tick);
        ticker_.setInterval(5);
    }

    void Add(const QString &label, const QString &window, std::function<void()> act,
             std::function<bool()> ready = {})
    {
        steps_.append({label, window, std::move(ready), std::move(act)});
    }

    void Start()
    {
        waited_.start();
        ticker_.start();
    }
    bool Done() const { return next_ == steps_.size() && !posted_; }
    QString Failure() const { return failure_; }

    // Inside a step: a key to wherever the keyboard is, text key by key, a button's Alt letter.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        if (!failure_.isEmpty()) return;
        QWidget *target = Key_Target();
        if (!target) return Fail(QStringLiteral("no control has the keyboard"));
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    void Type(const QString &text)
    {
        for (const QChar c : text) {
            if (!failure_.isEmpty()) return;
            QWidget *target = Key_Target();
            if (!target) return Fail(QStringLiteral("no control has the keyboard"));
            QTest::keyClick(target, c.toLatin1());
        }
    }
    void Alt(const char *button)
    {
        QWidget *window = Window_Of(current_window_);
        auto *b = window ? window->findChild<QAbstractButton *>(QLatin1String(button)) : nullptr;
        if (!b) return Fail(QStringLiteral("no button %1").arg(QLatin1String(button)));
        const QString text = b->text();
        const qsizetype mark = text.indexOf(u'&');
        if (mark < 0 || mark + 1 >= text.size())
            return Fail(QStringLiteral("%1 \"%2\" has no Alt letter").arg(QLatin1String(button), text));
        QWidget *target = Key_Target();
        if (!target) return Fail(QStringLiteral("no control has the keyboard"));
        QTest::keyClick(target, text[mark + 1].toLower().toLatin1(), Qt::AltModifier);
    }
    void Expect(bool holds, const QString &what)
    {
        if (!holds && failure_.isEmpty()) Fail(what);
    }
    void Expect_Focus(const QString &name)
    {
        Expect(Focus_Name() == name, QStringLiteral("focus on %1, not on %2").arg(Focus_Name(), name));
    }

private:
    static constexpr int Step_Patience_Ms = 20000;

    QWidget *Window_Of(const QString &name) const
    {
        if (name.isEmpty()) return main_;
        QWidget *modal = QApplication::activeModalWidget();
        return modal && modal->objectName() == name ? modal : nullptr;
    }

    void Fail(const QString &why)
    {
        if (!failure_.isEmpty()) return;
        failure_ = QStringLiteral("step %1 \"%2\": %3").arg(next_).arg(
            next_ > 0 && next_ <= steps_.size() ? steps_[next_ - 1].Label : QString(), why);
    }

    void Tick()
    {
        if (!failure_.isEmpty()) {
            // Unwind: close every dialog so that every modal loop returns.
            if (QWidget *modal = QApplication::activeModalWidget()) {
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
                else
                    modal->close();
            } else {
                ticker_.stop();
                next_ = int(steps_.size());
                posted_ = false;
            }
            return;
        }
        if (posted_ || next_ == steps_.size()) {
            if (next_ == steps_.size() && !posted_) ticker_.stop();
            return;
        }
        const Step &step = steps_[next_];
        QWidget *window = nullptr;
        if (step.Window.isEmpty()) {
            if (!QApplication::activeModalWidget()) window = main_;
        } else {
            window = Window_Of(step.Window);
        }
        const bool ready = window && window->isVisible() && (!step.Ready || step.Ready());
        if (ready && QApplication::activeWindow() != window) {
            // Offscreen nothing gives the keyboard back to a window when a dialog above it closes.
            window->activateWindow();
            return;
        }
        if (!ready) {
            if (waited_.elapsed() > Step_Patience_Ms) {
                const QWidget *modal = QApplication::activeModalWidget();
                const QWidget *active = QApplication::activeWindow();
                ++next_;
                Fail(QStringLiteral("still waiting for %1 after %2 ms (modal: %3, active: %4)")
                         .arg(step.Window.isEmpty() ? QStringLiteral("the main window") : step.Window)
                         .arg(Step_Patience_Ms)
                         .arg(modal ? modal->objectName() : QStringLiteral("none"),
                              active ? active->objectName() : QStringLiteral("none")));
            }
            return;
        }
        // The action runs from a timer of its own: when it opens a dialog, that dialog's loop runs
        // inside the action, and this ticker goes on playing the steps meant for it.
        current_window_ = step.Window;
        posted_ = true;
        ++next_;
        std::function<void()> act = step.Act;
        QTimer::singleShot(0, this, [this, act] {
            posted_ = false;
            waited_.start();
            act();
        });
    }

    QWidget *main_;
    QList<Step> steps_;
    int next_ = 0;
    bool posted_ = false;
    QString current_window_;
    QString failure_;
    QTimer ticker_;
    QElapsedTimer waited_;
};

}  // namespace

class Tst_Keyboard_Road : public QObject {
    Q_OBJECT
private slots:
    void new_configuration_to_update_with_keys_alone();
};

void Tst_Keyboard_Road::new_configuration_to_update_with_keys_alone()
{
    Test_Workspace f;
    Message_Recorder messages;
    f.Start();
    // The firmware image the update sends along (Firmware is checked by default).
    QVERIFY(QDir(f.dir.path()).mkpath("MASTER"));
    f.Write("MASTER/QFW3310.sim", QByteArray(64, '\x5a'));
    Main_Window &main_window = *f.window;
    main_window.show();
    QVERIFY(QTest::qWaitForWindowActive(&main_window));

    Key_Script s(&main_window);
    auto hidden = [&main_window](const char *dialog) {
        return [&main_window, dialog] {
            auto *d = main_window.findChild<QDialog *>(QLatin1String(dialog));
            return d && !d->isVisible();
        };
    };

    // Step 1: a new configuration.
    s.Add("New", {}, [&] {
        s.Expect_Focus("Btn_New");
        s.Alt("Btn_New");
    });
    s.Add("name the configuration", "TFNew_Project", [&] {
        s.Expect_Focus("E_New_Proj");
        s.Type("Road");
        s.Key(Qt::Key_Return);
    });

    // Step 2: the communication settings, the next bit rate down the list.
    s.Add("open the settings", {}, [&] { s.Alt("Btn_Prm_Gen"); },
          [&] { return f.state.Project_Name == "Road"; });
    int bit_rate = -1;
    s.Add("bit rate, OK", "TFParGen", [&] {
        s.Expect_Focus("CB_Baud_CAN");
        auto *rates = main_window.findChild<QComboBox *>("CB_Baud_CAN");
        const int before = rates->currentIndex();
        s.Key(Qt::Key_Down);
        bit_rate = rates->currentIndex();
        s.Expect(bit_rate == before + 1, QStringLiteral("bit rate %1 after %2").arg(bit_rate).arg(before));
        s.Alt("Btn_OK");
    });

    // Step 3: one received frame, typed field by field.
    s.Add("open the receive frames", {}, [&] { s.Alt("Btn_Receive_COB"); }, hidden("TFParGen"));
    s.Add("Cob-ID and dimension", "TFReceiveCAN", [&] {
        s.Type("0x181");
        s.Key(Qt::Key_Tab);
        s.Type("8");
        s.Key(Qt::Key_Tab);
    });
    s.Add("type from its list", "TFReceiveCAN", [&] {
        s.Key(Qt::Key_Down);
        s.Key(Qt::Key_Down);
        s.Key(Qt::Key_Tab);
    }, [] { return QApplication::activePopupWidget() != nullptr; });
    s.Add("time-out and mnemonic, OK", "TFReceiveCAN", [&] {
        s.Type("1000");
        s.Key(Qt::Key_Tab);
        s.Type("Motor");
        // On to the empty row for a next frame; nothing typed there, Tab goes on to OK.
        s.Key(Qt::Key_Tab);
        s.Key(Qt::Key_Tab);
        s.Expect_Focus("Btn_OK");
        s.Key(Qt::Key_Return);
    }, [] { return QApplication::activePopupWidget() == nullptr; });

    // Step 4: a register from two bytes of that frame.
    s.Add("open the receive mappings", {}, [&] { s.Alt("Btn_Define_Receive_COB"); }, hidden("TFReceiveCAN"));
    s.Add("compose a register", "TFDefineRecCAN", [&] {
        s.Expect_Focus("LB_CAN_Frames");
        s.Key(Qt::Key_Space);  // the only frame is current; Space selects it
        s.Key(Qt::Key_Tab);
        s.Key(Qt::Key_Tab);
        s.Expect_Focus("E_Index_Modbus");
        s.Type("300");
        s.Key(Qt::Key_Tab);
        s.Key(Qt::Key_Down);
        s.Key(Qt::Key_Tab);
        s.Key(Qt::Key_Down);
        s.Key(Qt::Key_Down);
        s.Key(Qt::Key_Tab);
        s.Expect_Focus("Btn_Create");
        s.Key(Qt::Key_Return);
    });
    s.Add("OK", "TFDefineRecCAN", [&] { s.Alt("Btn_OK"); }, [&main_window] {
        auto *regs = main_window.findChild<QListWidget *>("LB_Modbus_Regs");
        return regs && regs->count() == 1;
    });

    // Step 5: Update Device, the address, the ping, and the update.
    s.Add("Update Device", {}, [&] { s.Alt("Btn_CreateBin"); }, hidden("TFDefineRecCAN"));
    s.Add("address, ping by Enter", "TFBootTCP", [&] {
        s.Expect_Focus("E_IP1");
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.Type("127.0.0.1");
        s.Key(Qt::Key_Return);
    });
    s.Add("Next", "TFBootTCP", [&] { s.Alt("Btn_Next"); }, [&main_window] {
        auto *status = main_window.findChild<QLabel *>("LPing");
        return status && status->text() == QLatin1String("Device Found!");
    });
    s.Add("Execute update firmware", "TFBootTCP", [&] { s.Alt("Btn_Update"); }, [&main_window] {
        auto *update = main_window.findChild<QAbstractButton *>("Btn_Update");
        return update && update->isVisible() && update->isEnabled();
    });
    s.Add("read the result, leave", "TFBootTCP", [&] {
        auto *result = main_window.findChild<QLabel *>("L_Update_Result");
        s.Expect(result->text().contains(QString::fromUtf16(Lang_Default_Texts[STR_Update_Succeeded])),
                 "result: " + result->text());
        s.Key(Qt::Key_Escape);
    }, [&main_window] {
        auto *result = main_window.findChild<QLabel *>("L_Update_Result");
        return result && result->isVisible();
    });
    s.Add("back in the main window", {}, [] {}, hidden("TFBootTCP"));

    s.Start();
    QTRY_VERIFY_WITH_TIMEOUT(s.Done(), 120000);
    QVERIFY2(s.Failure().isEmpty(), qPrintable(s.Failure()));
    QCOMPARE(messages.Errors, QStringList());

    // What the keys made: the files, the images, and the updater started on them.
    const QString road = "PROJECTS/Road/";
    QVERIFY2(f.Read(road + "CAN_Receive.xml")
                 .contains("<row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0B 29 bits\" TimeOut=\"1000\" "
                           "Mnemonic=\"Motor\"/>"),
             f.Read(road + "CAN_Receive.xml").constData());
    QVERIFY2(f.Read(road + "Define_CAN_Receive.xml")
                 .contains("<row Num_Frame=\"0\" Mod_Index=\"300\" Byte_HiPart=\"1\" Byte_LoPart=\"2\"/>"),
             f.Read(road + "Define_CAN_Receive.xml").constData());
    QCOMPARE(Read_Par_Gen_File(f.Path(road + "ParGen.xml")).CAN_BAUDRATE.value_or("<missing>"),
             QString::number(bit_rate));
    for (const char *image : {"bin/bank1.bin", "bin/bank2.bin"})
        QVERIFY2(QFileInfo(f.Path(road + image)).size() > 0, image);
    QCOMPARE(f.shell.Started.size(), 1);
    QVERIFY2(f.Read("Ethernet_Update.xml").contains("127.0.0.1"), f.Read("Ethernet_Update.xml").constData());
}

QTEST_MAIN(Tst_Keyboard_Road)
#include "tst_keyboard_road.moc"
