// The software options dialog driven as a user drives it, offscreen: language pages and
// flags, a language choice with its question, OK and Cancel, the internet options, and the
// announcement of a newer version in the dialog and by the main window's timer.
#include "Gated_Http.h"
#include "Local_Http_Server.h"
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "workspace/App_State.h"
#include "workspace/Environment.h"
#include "app/Main_Window.h"
#include "dialogs/Options_Dialog.h"
#include "lang/Version_Checker.h"
#include "platform/Curl_Http_Get.h"
#include "platform/Http_Get.h"
#include "platform/Shell.h"
#include "platform/Web_Host.h"
#include "test_config.h"
#include "widgets/Mnemonics.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace {

const QStringList Shipped = Test_Workspace::Shipped_Languages();

// The shared workspace with the options dialog at hand. Language files named in languages are
// written empty before the start.
struct Workspace : Test_Workspace {
    Main_Window *main = nullptr;
    Options_Dialog *options = nullptr;

    explicit Workspace(const QStringList &languages = {}, bool with_shipped = false)
    {
        QDir(dir.path()).mkdir(QStringLiteral("LANGUAGE"));
        if (with_shipped) Copy_Shipped_Languages();
        for (const QString &name : languages) Write(QStringLiteral("LANGUAGE/") + name, QByteArray());
        Start();
        main = window.get();
        options = main->Windows().Options;
    }

    QString Language_Path(const QString &file) const { return Path(QStringLiteral("LANGUAGE/") + file); }

    template <typename T> T *Get(const char *name) const
    {
        T *control = options->findChild<T *>(QLatin1String(name));
        if (!control) control = main->findChild<T *>(QLatin1String(name));
        return control;
    }
    QLabel *Name_Label(int k) const { return Get<QLabel>(QStringLiteral("L_L%1").arg(k).toLatin1().constData()); }
    QLabel *Flag(int k) const { return Get<QLabel>(QStringLiteral("I_L%1").arg(k).toLatin1().constData()); }

    QStringList Shown_Names() const
    {
        QStringList names;
        for (int k = 1; k <= 6; ++k) {
            if (Name_Label(k)->isVisible()) names.append(Name_Label(k)->text());
        }
        return names;
    }

    // Runs action inside the dialog shown by the main window's Options button.
    int Through_Options_Button(const std::function<void()> &action)
    {
        int result = -1;
        When_Modal([&] {
            action();
            if (options->isVisible()) options->reject();
        });
        QObject::connect(options, &QDialog::finished, main, [&](int r) { result = r; },
                         Qt::SingleShotConnection);
        main->findChild<QToolButton *>(QStringLiteral("Btn_Opz"))->click();
        return result;
    }
};

void Click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// A check box toggles from the keyboard wherever its text ends.
void Toggle(QCheckBox *box) { QTest::keyClick(box, Qt::Key_Space); }

}  // namespace

class Soft_Options_Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) qunsetenv(name);
    }

    void pages_of_languages_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("pages");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("six") << 6 << 1;
        QTest::newRow("seven") << 7 << 2;
        QTest::newRow("thirteen") << 13 << 3;
    }
    void pages_of_languages()
    {
        QFETCH(int, files);
        QFETCH(int, pages);
        QStringList names;
        for (int i = 1; i <= files; ++i) names.append(QStringLiteral("Lang%1.lng").arg(i, 2, 10, QLatin1Char('0')));
        Workspace w(names);
        w.options->show();

        auto *prev = w.Get<QPushButton>("Btn_Prev");
        auto *next = w.Get<QPushButton>("Btn_Next");
        auto *label = w.Get<QLabel>("L_Page_Lang");
        QCOMPARE(w.Get<QLabel>("L_Sel_Lang")->text(), QStringLiteral("Selected Language : English"));

        // Forward to the last page and one click beyond it, then all the way back.
        for (int page = 1; page <= qMax(pages, 1); ++page) {
            QCOMPARE(label->text(), QStringLiteral("Page %1 / %2").arg(page).arg(pages));
            QCOMPARE(prev->isVisible(), page != 1);
            QCOMPARE(next->isVisible(), page != pages);
            QStringList expected;
            for (int i = (page - 1) * 6 + 1; i <= qMin(files, page * 6); ++i)
                expected.append(QStringLiteral("Lang%1").arg(i, 2, 10, QLatin1Char('0')));
            QCOMPARE(w.Shown_Names(), expected);
            if (page < pages) Click(next);
        }
        if (next->isVisible()) Click(next);
        QCOMPARE(w.options->Page(), qMax(pages, 1));
        while (prev->isVisible()) Click(prev);
        QCOMPARE(w.options->Page(), 1);
        QCOMPARE(label->text(), QStringLiteral("Page 1 / %1").arg(pages));
    }

    void names_in_case_insensitive_order_with_flags()
    {
        Workspace w({"german.lng", "English.lng", "Zulu.lng"});
        QFile::copy(QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR "/Deutsch.bmp"), w.Language_Path("german.bmp"));
        w.Write(QStringLiteral("LANGUAGE/Zulu.bmp"), "not a bitmap");
        w.options->show();
        QCOMPARE(w.Shown_Names(), QStringList({"English", "german", "Zulu"}));

        // Own flag; no flag and no default: picture hidden, name still there.
        QVERIFY(w.Flag(2)->isVisible());
        QCOMPARE(w.Flag(2)->pixmap().size(), QSize(48, 48));
        // The magenta around the flag is see-through, the flag itself is not.
        const QImage german = w.Flag(2)->pixmap().toImage();
        QCOMPARE(qAlpha(german.pixel(0, 47)), 0);
        QCOMPARE(qAlpha(german.pixel(24, 24)), 255);
        QVERIFY(!w.Flag(1)->isVisible());
        QVERIFY(w.Name_Label(1)->isVisible());
        QVERIFY(!w.Flag(3)->isVisible());

        // With a default flag, English and the unreadable Zulu flag both show it.
        QFile::copy(QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR "/DefaultFlag.bmp"), w.Language_Path("DefaultFlag.bmp"));
        w.options->hide();
        w.options->show();
        QVERIFY(w.Flag(1)->isVisible());
        QVERIFY(w.Flag(3)->isVisible());
        QCOMPARE(w.Flag(3)->pixmap().toImage(), w.Flag(1)->pixmap().toImage());
    }

    void every_shipped_language_switches_the_whole_interface_data()
    {
        QTest::addColumn<QString>("language");
        for (const QString &name : Shipped) QTest::newRow(qPrintable(name)) << name;
    }
    void every_shipped_language_switches_the_whole_interface()
    {
        QFETCH(QString, language);
        Workspace w({}, true);
        Message_Recorder recorder;
        w.options->show();
        QCOMPARE(w.Shown_Names(), Shipped);
        for (int k = 1; k <= 5; ++k) QVERIFY(w.Flag(k)->isVisible());

        Click(w.Name_Label(int(Shipped.indexOf(language)) + 1));
        QCOMPARE(recorder.Questions,
                 QStringList({QStringLiteral("Do you want to change the Language from English to ") + language + "?"}));

        Lang_Table expected;
        QString name = language;
        Load_Language(expected, w.dir.path() + QStringLiteral("/LANGUAGE"), name);
        QCOMPARE(w.state.Lang_Table.Items, expected.Items);
        // The main window and this dialog speak it at once.
        QCOMPARE(Shown_Text(w.main->findChild<QPushButton *>(QStringLiteral("Btn_New"))->text()), expected[15]);
        QCOMPARE(w.main->findChild<QLabel *>(QStringLiteral("L_Name_Conf"))->text(), expected[9]);
        QCOMPARE(w.options->windowTitle(), expected[38]);
        QCOMPARE(Shown_Text(w.Get<QPushButton>("Btn_OK")->text()), expected[50]);
        QCOMPARE(Shown_Text(w.Get<QCheckBox>("CB_Update")->text()), expected[48]);
        QCOMPARE(w.Get<QTabWidget>("PC_Options")->tabText(1), expected[41]);
        QCOMPARE(w.Get<QLabel>("L_Sel_Lang")->text(), expected[42] + language);
        QCOMPARE(w.Get<QLabel>("L_Page_Lang")->text(), expected[43] + "1" + expected[44] + "1");
        // The setting waits for OK.
        QCOMPARE(w.state.Language_Name, QStringLiteral("English"));
        QCOMPARE(w.options->In_Use(), language);
        // Qt's own texts (the Yes and No of every question) follow where Qt ships them.
        if (language != QLatin1String("English"))
            QVERIFY2(QCoreApplication::translate("QPlatformTheme", "&Yes") != QLatin1String("&Yes"),
                     "no Qt translation was loaded");
    }

    void no_changes_nothing_and_the_question_comes_for_the_same_language()
    {
        Workspace w({}, true);
        Message_Recorder recorder;
        recorder.Answers = {false, false, false};
        w.options->show();
        const QStringList before = w.state.Lang_Table.Items;

        Click(w.Flag(5));  // Italiano, by its flag
        Click(w.Name_Label(2));  // English, the language in use
        QTest::keyClick(w.Name_Label(1), Qt::Key_Return);  // Deutsch, from the keyboard
        QCOMPARE(recorder.Questions,
                 QStringList({"Do you want to change the Language from English to Italiano?",
                              "Do you want to change the Language from English to English?",
                              "Do you want to change the Language from English to Deutsch?"}));
        QCOMPARE(w.state.Lang_Table.Items, before);
        QCOMPARE(w.options->In_Use(), QStringLiteral("English"));
        QCOMPARE(w.Get<QLabel>("L_Sel_Lang")->text(), QStringLiteral("Selected Language : English"));
    }

    void a_language_changed_on_a_later_page_keeps_the_page_label()
    {
        QStringList names;
        for (int i = 1; i <= 13; ++i) names.append(QStringLiteral("Lang%1.lng").arg(i, 2, 10, QLatin1Char('0')));
        Workspace w(names);
        w.Write(QStringLiteral("LANGUAGE/Lang13.lng"), "\xEF\xBB\xBFSTR43 = \xC2\xB6Seite \xC2\xB6\r\nSTR42 = Sprache: \r\n");
        Message_Recorder recorder;
        w.options->show();
        Click(w.Get<QPushButton>("Btn_Next"));
        Click(w.Get<QPushButton>("Btn_Next"));
        Click(w.Name_Label(1));
        QCOMPARE(w.Get<QLabel>("L_Page_Lang")->text(), QStringLiteral("Seite 3 / 3"));
        QCOMPARE(w.Get<QLabel>("L_Sel_Lang")->text(), QStringLiteral("Sprache:Lang13"));
        QCOMPARE(w.Shown_Names(), QStringList({"Lang13"}));
    }

    void cancel_restores_the_language_in_use_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << QStringLiteral("Cancel");
        QTest::newRow("Escape") << QStringLiteral("Escape");
        QTest::newRow("close box") << QStringLiteral("close box");
    }
    void cancel_restores_the_language_in_use()
    {
        QFETCH(QString, way);
        Workspace w({}, true);
        Message_Recorder recorder;
        const QStringList english = w.state.Lang_Table.Items;
        const QString yes = QCoreApplication::translate("QPlatformTheme", "&Yes");
        const int result = w.Through_Options_Button([&] {
            Click(w.Name_Label(5));  // Italiano, tried out
            QCOMPARE(Shown_Text(w.main->findChild<QPushButton *>(QStringLiteral("Btn_New"))->text()),
                     QStringLiteral("Nuova configurazione"));
            QVERIFY(QCoreApplication::translate("QPlatformTheme", "&Yes") != yes);
            if (way == QLatin1String("Cancel"))
                Click(w.Get<QPushButton>("Btn_Cancel"));
            else if (way == QLatin1String("Escape"))
                QTest::keyClick(w.options, Qt::Key_Escape);
            else
                w.options->close();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        // The windows speak the language of the setting again, Qt's own buttons too, and
        // nothing was written.
        QCOMPARE(w.state.Lang_Table.Items, english);
        QCOMPARE(Shown_Text(w.main->findChild<QPushButton *>(QStringLiteral("Btn_New"))->text()), QStringLiteral("New Configuration"));
        QCOMPARE(Shown_Text(w.Get<QPushButton>("Btn_OK")->text()), english[50]);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), yes);
        QCOMPARE(w.state.Language_Name, QStringLiteral("English"));
        QVERIFY(!QFile::exists(Settings_Path(w.state)));

        w.Through_Options_Button([&] {
            QCOMPARE(w.options->In_Use(), QStringLiteral("English"));
            QCOMPARE(w.Get<QLabel>("L_Sel_Lang")->text(), QStringLiteral("Selected Language : English"));
        });
    }

    void ok_stores_language_and_flags_and_writes_the_settings()
    {
        Workspace w({}, true);
        Message_Recorder recorder;
        const int result = w.Through_Options_Button([&] {
            QCOMPARE(w.Get<QTabWidget>("PC_Options")->currentIndex(), 0);
            Click(w.Name_Label(1));  // Deutsch
            Toggle(w.Get<QCheckBox>("CB_En_Con"));
            Toggle(w.Get<QCheckBox>("CB_Update"));
            Click(w.Get<QPushButton>("Btn_OK"));
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(w.state.Language_Name, QStringLiteral("Deutsch"));
        QVERIFY(w.state.Enable_Internet);
        QVERIFY(w.state.Enable_Update);
        QVERIFY(w.main->Update_Timer()->isActive());
        QCOMPARE(w.main->Update_Timer()->interval(), 60000);

        QFile settings(Settings_Path(w.state));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray bytes = settings.readAll();
        QVERIFY(bytes.contains("<lastlang><language>Deutsch</language></lastlang>"));
        QVERIFY(bytes.contains("<lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update></lastinternet>"));

        // The next start speaks German.
        App_State next_state;
        Environment next_env;
        Main_Window next(next_state, next_env, w.dir.path());
        QCOMPARE(next_state.Language_Name, QStringLiteral("Deutsch"));
        QCOMPARE(Shown_Text(next.findChild<QPushButton *>(QStringLiteral("Btn_New"))->text()), QStringLiteral("Neue Konfiguration"));
        QVERIFY(next.Update_Timer()->isActive());
    }

    void enabled_states_data()
    {
        QTest::addColumn<bool>("internet");
        QTest::addColumn<bool>("update");
        QTest::newRow("both off") << false << false;
        QTest::newRow("internet only") << true << false;
        QTest::newRow("update only") << false << true;
        QTest::newRow("both on") << true << true;
    }
    void enabled_states()
    {
        QFETCH(bool, internet);
        QFETCH(bool, update);
        Workspace w;
        w.state.Enable_Internet = internet;
        w.state.Enable_Update = update;
        w.options->show();
        auto *en_con = w.Get<QCheckBox>("CB_En_Con");
        auto *cb_update = w.Get<QCheckBox>("CB_Update");
        auto *check = w.Get<QPushButton>("Btn_Check_Update");
        QCOMPARE(en_con->isChecked(), internet);
        QCOMPARE(cb_update->isChecked(), update);
        QCOMPARE(cb_update->isEnabled(), internet);
        QCOMPARE(check->isEnabled(), internet && update);

        // Switching the internet off greys the update box but keeps its mark.
        w.Get<QTabWidget>("PC_Options")->setCurrentIndex(1);
        Toggle(en_con);
        QCOMPARE(cb_update->isEnabled(), !internet);
        QCOMPARE(cb_update->isChecked(), update);
        QCOMPARE(check->isEnabled(), !internet && update);
    }

    void greyed_update_box_is_stored_but_the_timer_stays_off()
    {
        Workspace w;
        w.state.Enable_Update = true;
        w.Through_Options_Button([&] {
            QVERIFY(!w.Get<QCheckBox>("CB_Update")->isEnabled());
            Click(w.Get<QPushButton>("Btn_OK"));
        });
        QVERIFY(!w.state.Enable_Internet);
        QVERIFY(w.state.Enable_Update);
        QVERIFY(!w.main->Update_Timer()->isActive());
    }

    void check_button_shows_link_or_plain_text()
    {
        Workspace w;
        w.state.Enable_Internet = w.state.Enable_Update = true;
        w.options->show();
        w.Get<QTabWidget>("PC_Options")->setCurrentIndex(1);
        auto *result = w.Get<QLabel>("LL_Check_Update");
        auto *check = w.Get<QPushButton>("Btn_Check_Update");
        QSignalSpy answered(w.options->findChild<Version_Checker *>(), &Version_Checker::Finished);
        QVERIFY(!result->isVisible());

        w.http.Answer = QStringLiteral("VER. 1.103");
        Click(check);
        QVERIFY(answered.wait());
        QCOMPARE(w.http.Urls, QStringList({Web_Url("/home/download/GetversionSW.asp?nomesw=QCX3310")}));
        QVERIFY(result->isVisible());
        QCOMPARE(result->textFormat(), Qt::RichText);
        QCOMPARE(result->text(), QStringLiteral("<a href=\"%1\">New Version Available. Click Here for more Details</a>")
                                     .arg(Maker_Download_Url()));
        emit result->linkActivated(Maker_Download_Url());
        QCOMPARE(w.shell.Opened, QStringList({Maker_Download_Url()}));

        w.http.Answer = QStringLiteral("VER. 1.102");
        QVERIFY(check->isEnabled());
        Click(check);
        QVERIFY(answered.wait());
        QCOMPARE(result->textFormat(), Qt::PlainText);
        QCOMPARE(result->text(), QStringLiteral("No Update Available"));

        // A service that cannot be asked has not said there is no update.
        w.http.Fail = true;
        Click(check);
        QVERIFY(answered.wait());
        QCOMPARE(result->textFormat(), Qt::PlainText);
        QCOMPARE(result->text(), QStringLiteral("The version service could not be reached."));

        // Each showing starts without a result, on the language page.
        w.options->hide();
        w.options->show();
        QVERIFY(!result->isVisible());
        QCOMPARE(w.Get<QTabWidget>("PC_Options")->currentIndex(), 0);
    }

    // While the service is asked the dialog stays usable, the button rests and no second
    // question goes out; the answer then shows as usual.
    void check_button_rests_while_asking()
    {
        Workspace w;
        Gated_Http http(QStringLiteral("VER. 1.103"));
        w.env.http = &http;
        w.state.Enable_Internet = w.state.Enable_Update = true;
        w.options->show();
        auto *tabs = w.Get<QTabWidget>("PC_Options");
        tabs->setCurrentIndex(1);
        auto *check = w.Get<QPushButton>("Btn_Check_Update");
        auto *result = w.Get<QLabel>("LL_Check_Update");

        Click(check);
        QTRY_COMPARE(http.Calls(), 1);
        QVERIFY(!check->isEnabled());
        w.options->Btn_Check_UpdateClick();
        QVERIFY(!w.options->Check_Version());
        // Toggling the boxes does not wake the button either.
        Toggle(w.Get<QCheckBox>("CB_Update"));
        Toggle(w.Get<QCheckBox>("CB_Update"));
        QVERIFY(!check->isEnabled());
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(!result->isVisible());

        http.Open();
        tabs->setCurrentIndex(1);
        QTRY_VERIFY(result->isVisible());
        QVERIFY(result->text().contains(Maker_Download_Url().toHtmlEscaped()));
        QVERIFY(check->isEnabled());
        QCOMPARE(http.Calls(), 1);
    }

    // Confirming the options while the countdown runs neither restarts nor lengthens it: a
    // user who presses OK often is still checked on time.
    void ok_repeatedly_does_not_postpone_the_next_check_data()
    {
        QTest::addColumn<bool>("after_a_check");
        QTest::newRow("before the first check") << false;
        QTest::newRow("after a check") << true;
    }
    void ok_repeatedly_does_not_postpone_the_next_check()
    {
        QFETCH(bool, after_a_check);
        Workspace w;
        w.state.Enable_Internet = w.state.Enable_Update = true;
        QTimer *timer = w.main->Update_Timer();
        w.main->Arm_Update_Timer();
        if (after_a_check) {
            QSignalSpy checked(w.main->Update_Checker(), &Version_Checker::Finished);
            w.main->Timer_UpdateTimer();
            QVERIFY(checked.wait());
        }
        QVERIFY(timer->isActive());
        const int interval = timer->interval();

        // A restarted countdown comes back to within a second of the interval (long timers
        // are kept to whole seconds), so let this one run further down first.
        QTRY_VERIFY_WITH_TIMEOUT(timer->remainingTime() < interval - 1000, 5000);
        const int before = timer->remainingTime();
        for (int i = 0; i < 3; ++i) {
            const int result = w.Through_Options_Button([&] { Click(w.Get<QPushButton>("Btn_OK")); });
            QCOMPARE(result, int(QDialog::Accepted));
        }
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), interval);
        QVERIFY2(timer->remainingTime() <= before,
                 qPrintable(QStringLiteral("%1 ms left, %2 before").arg(timer->remainingTime()).arg(before)));
    }

    // The real client against a stand-in service on loopback: the dialog's button and the main
    // window's timer both announce a newer version, and drop the announcement when none is.
    void newer_version_announced_from_a_local_service()
    {
        Workspace w;
        Curl_Http_Get http;
        w.env.http = &http;
        w.state.Enable_Internet = w.state.Enable_Update = true;
        w.main->Arm_Update_Timer();
        auto *link = w.main->findChild<QLabel *>(QStringLiteral("LL_Update"));
        QSignalSpy checked(w.main->Update_Checker(), &Version_Checker::Finished);
        w.main->show();
        QVERIFY(!link->isVisible());

        {
            Local_Http_Server server({200, "VER. 1.103", false});
            qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
            w.options->show();
            QSignalSpy answered(w.options->findChild<Version_Checker *>(), &Version_Checker::Finished);
            Click(w.Get<QPushButton>("Btn_Check_Update"));
            QVERIFY(answered.wait());
            QVERIFY(w.Get<QLabel>("LL_Check_Update")->text().contains(server.Host() + "/Home/download/download.asp#QGW3310"));
            w.options->hide();

            w.main->Timer_UpdateTimer();
            QVERIFY(checked.wait());
            QVERIFY(link->isVisible());
            QCOMPARE(link->text(), QStringLiteral("<a href=\"http://%1/Home/download/download.asp#QGW3310\">"
                                                  "New Version Available. Click Here for more Details</a>")
                                       .arg(server.Host()));
            QCOMPARE(server.Requests().size(), 2);
            emit link->linkActivated(Maker_Download_Url());
            QCOMPARE(w.shell.Opened, QStringList({Maker_Download_Url()}));
        }
        QVERIFY(w.main->Update_Timer()->isActive());
        QCOMPARE(w.main->Update_Timer()->interval(), 7200000);

        {
            Local_Http_Server server({200, "VER. 1.102", false});
            qputenv("QCX3310_WEB_HOST", server.Host().toUtf8());
            w.main->Timer_UpdateTimer();
            QVERIFY(checked.wait());
            QVERIFY(!link->isVisible());
        }
        qputenv("QCX3310_WEB_HOST", "127.0.0.1:9");
        link->show();
        w.main->Timer_UpdateTimer();
        QVERIFY(checked.wait());
        QVERIFY(!link->isVisible());
        QVERIFY(w.main->Update_Timer()->isActive());
    }
};

QTEST_MAIN(Soft_Options_Test)
#include "tst_soft_options.moc"
