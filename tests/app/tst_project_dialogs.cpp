// The new and open configuration dialogs, driven as a user drives them, alone and from the
// main window.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "workspace/App_State.h"
#include "workspace/Environment.h"
#include "dialogs/New_Configuration_Dialog.h"
#include "dialogs/Open_Configuration_Dialog.h"
#include "dialogs/Import_Report_Window.h"
#include "widgets/Language_Change.h"
#include "app/Main_Window.h"
#include "widgets/Mnemonics.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Err_Empty = QStringLiteral("Error! The name of the new configuration is empty: type a name.");
QString Err_Exists(const QString &existing)
{
    return "Error! A configuration named \"" + existing + "\" already exists (letter case does not count).";
}
QString Err_Character(const QString &c)
{
    return "Error! The name holds the character " + c +
           ", which Windows does not allow in folder names: < > : \" / \\ | ? *";
}

// The shared workspace after start-up, with helpers for the configuration folders.
struct Workspace : Test_Workspace {
    Workspace() { Start(); }

    QString Projects() const { return state.Dir_Projects; }
    void Add(const QStringList &folders)
    {
        for (const QString &f : folders) QVERIFY(QDir().mkpath(Projects() + '/' + f));
    }
    void Open(const QString &name)
    {
        state.Project_Name = name;
        state.Dir_Project = Projects() + '/' + name;
        Set_Files(state);
    }
    QStringList Listed() const
    {
        return QDir(Projects()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    // Everything in the workspace, below PROJECTS and beside it.
    QStringList Tree() const
    {
        QStringList entries;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) entries << it.next();
        entries.sort();
        return entries;
    }
};

QStringList Items(QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

}  // namespace

class Tst_Project_Dialogs : public QObject {
    Q_OBJECT
private slots:
    void new_refuses_name_data();
    void new_refuses_name();
    void new_enter_creates_and_opens();
    void new_starts_empty_and_cancel_creates_nothing();
    void open_preselects_data();
    void open_preselects();
    void open_selection_by_keyboard_and_mouse();
    void open_list_follows_window_size();
    void main_window_road();
    void main_window_cancel_changes_nothing();
    void main_window_open_with_empty_list();
    void open_keeps_folders_the_new_rules_refuse();
    void language_change_reaches_dialogs();
    void language_change_reaches_windows_no_list_names();
};

void Tst_Project_Dialogs::new_refuses_name_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    // Each message says what is wrong with the name.
    QTest::newRow("empty") << QStringList{"Alpha"} << "" << Err_Empty;
    QTest::newRow("exists") << QStringList{"Alpha"} << "Alpha" << Err_Exists("Alpha");
    QTest::newRow("exists in other case") << QStringList{"Alpha"} << "aLPHA" << Err_Exists("Alpha");
    QTest::newRow("below another configuration") << QStringList{"Alpha"} << "Alpha/bin" << Err_Character("/");
    QTest::newRow("climbs out") << QStringList{"Alpha"} << "../MASTER" << Err_Character("/");
    QTest::newRow("dot dot") << QStringList{"Alpha"} << ".."
                             << "Error! The name begins with a dot: such a folder is hidden and would not be listed.";
    QTest::newRow("backslash") << QStringList{"Alpha"} << "A\\B" << Err_Character("\\");
    QTest::newRow("colon") << QStringList{"Alpha"} << "Line:1" << Err_Character(":");
    QTest::newRow("blanks only") << QStringList{"Alpha"} << "   "
                                 << "Error! The name holds only blanks: type a name that can be read.";
    QTest::newRow("trailing blank") << QStringList{"Alpha"} << "Line1 "
                                    << "Error! The name ends with a blank, which Windows drops from folder names.";
    QTest::newRow("trailing dot") << QStringList{"Alpha"} << "Line1."
                                  << "Error! The name ends with a dot, which Windows drops from folder names.";
    QTest::newRow("device name") << QStringList{"Alpha"} << "com1.cfg"
                                 << "Error! \"com1\" is the name of a Windows device (CON, PRN, AUX, NUL, COM1 to "
                                    "COM9, LPT1 to LPT9), also with an extension.";
}

void Tst_Project_Dialogs::new_refuses_name()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(QString, error);

    Workspace ws;
    ws.Add(existing);
    const QStringList before = ws.Tree();
    Message_Recorder rec;
    New_Configuration_Dialog dlg(ws.state);
    dlg.show();
    auto *edit = Get<QLineEdit>(&dlg, "E_New_Proj");
    QTest::keyClicks(edit, name);
    QTest::mouseClick(Get<QPushButton>(&dlg, "Btn_OK"), Qt::LeftButton);

    QCOMPARE(rec.Errors, QStringList{error});
    QVERIFY(dlg.isVisible());
    QCOMPARE(edit->text(), name);  // left as typed for the user to mend
    QCOMPARE(ws.Tree(), before);
    QVERIFY(ws.state.Project_Name.isEmpty());
    QVERIFY(ws.state.Dir_Project.isEmpty());
}

void Tst_Project_Dialogs::new_enter_creates_and_opens()
{
    Workspace ws;
    ws.Add({"Alpha"});
    ws.Open("Alpha");
    Message_Recorder rec;
    New_Configuration_Dialog dlg(ws.state);
    dlg.show();
    auto *edit = Get<QLineEdit>(&dlg, "E_New_Proj");

    // First an error, then the mended name confirmed with Enter (both Enter keys work).
    QTest::keyClick(edit, Qt::Key_Enter);
    QCOMPARE(rec.Errors, QStringList{Err_Empty});
    QTest::keyClicks(edit, "Line 1 Ä");
    QTest::keyClick(edit, Qt::Key_Return);

    // One creation only: no "already exists" from a default button taking Enter again.
    QCOMPARE(rec.Errors, QStringList{Err_Empty});
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!dlg.isVisible());
    const QString folder = ws.Projects() + "/Line 1 Ä";
    QCOMPARE(ws.state.Project_Name, QString("Line 1 Ä"));
    QCOMPARE(ws.state.Dir_Project, folder);
    QCOMPARE(ws.state.Files.ParGen, folder + "/ParGen.xml");
    QCOMPARE(ws.state.Files.Define_CAN_Transmit, folder + "/Define_CAN_Transmit.xml");
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"bin"});
    QVERIFY(QDir(folder + "/bin").isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void Tst_Project_Dialogs::new_starts_empty_and_cancel_creates_nothing()
{
    Workspace ws;
    ws.Add({"Alpha"});
    ws.Open("Alpha");
    const App_State before = ws.state;
    Message_Recorder rec;
    New_Configuration_Dialog dlg(ws.state);
    auto *edit = Get<QLineEdit>(&dlg, "E_New_Proj");

    dlg.show();
    QTest::keyClicks(edit, "Line1");
    QTest::mouseClick(Get<QPushButton>(&dlg, "Btn_Cancel"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));

    dlg.show();
    QCOMPARE(edit->text(), QString());  // every showing starts with an empty name
    QTest::keyClicks(edit, "Line2");
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!dlg.isVisible());

    QVERIFY(rec.Errors.isEmpty());
    QCOMPARE(ws.Listed(), QStringList{"Alpha"});
    QCOMPARE(ws.state.Project_Name, before.Project_Name);
    QCOMPARE(ws.state.Dir_Project, before.Dir_Project);
    QCOMPARE(ws.state.Files.ParGen, before.Files.ParGen);
}

void Tst_Project_Dialogs::open_preselects_data()
{
    QTest::addColumn<QString>("open");  // the open configuration, empty for none
    QTest::addColumn<QString>("selected");

    // PROJECTS holds Alpha, Beta, Gamma, a file, a hidden folder and a dangling link.
    QTest::newRow("open one selected") << "Beta" << "Beta";
    QTest::newRow("none open, first") << "" << "Alpha";
    QTest::newRow("open one named in other case") << "GAMMA" << "Gamma";
    QTest::newRow("open one gone") << "Omega" << "Alpha";
}

void Tst_Project_Dialogs::open_preselects()
{
    QFETCH(QString, open);
    QFETCH(QString, selected);

    Workspace ws;
    ws.Add({"Gamma", "Beta", "Alpha", ".hidden"});
    QFile file(ws.Projects() + "/Delta");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::link(ws.Projects() + "/nowhere", ws.Projects() + "/Broken"));
    if (!open.isEmpty()) ws.Open(open);

    Open_Configuration_Dialog dlg(ws.state);
    dlg.show();
    auto *list = Get<QListWidget>(&dlg, "ListBox1");
    QCOMPARE(Items(list), QStringList({"Alpha", "Beta", "Gamma"}));
    QCOMPARE(dlg.SL(), Items(list));
    QCOMPARE(list->currentItem()->text(), selected);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(dlg.Name_Conf(), selected);  // as the folder spells it

    // Cancel keeps the preselection as the chosen name.
    QTest::mouseClick(Get<QPushButton>(&dlg, "Btn_Cancel"), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.Name_Conf(), selected);
}

void Tst_Project_Dialogs::open_selection_by_keyboard_and_mouse()
{
    Workspace ws;
    ws.Add({"Alpha", "Beta", "Gamma"});
    Open_Configuration_Dialog dlg(ws.state);
    dlg.show();
    auto *list = Get<QListWidget>(&dlg, "ListBox1");
    QCOMPARE(dlg.Name_Conf(), QString("Alpha"));

    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(dlg.Name_Conf(), QString("Beta"));
    const QRect gamma = list->visualItemRect(list->item(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, gamma.center());
    QCOMPARE(dlg.Name_Conf(), QString("Gamma"));

    // Enter in the list confirms.
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(!dlg.isVisible());

    // The next showing lists afresh: a configuration made meanwhile appears.
    ws.Add({"Aardvark"});
    dlg.show();
    QCOMPARE(Items(list), QStringList({"Aardvark", "Alpha", "Beta", "Gamma"}));
    QCOMPARE(dlg.Name_Conf(), QString("Aardvark"));
}

void Tst_Project_Dialogs::open_list_follows_window_size()
{
    Workspace ws;
    Open_Configuration_Dialog dlg(ws.state);
    dlg.show();
    QCOMPARE(dlg.size(), QSize(377, 351));
    auto *list = Get<QListWidget>(&dlg, "ListBox1");
    const QSize small = list->size();
    dlg.resize(500, 451);
    QTRY_COMPARE(list->size(), small + QSize(123, 100));
}

void Tst_Project_Dialogs::main_window_road()
{
    Workspace ws;
    App_State &state = ws.state;
    Main_Window &main_window = *ws.window;
    Message_Recorder rec;
    QVERIFY(QDir().mkpath(state.Dir_Projects + "/Alpha"));
    auto *l1 = Get<QLabel>(&main_window, "L_Name_Conf");
    auto *l2 = Get<QLabel>(&main_window, "L_Name_Conf_L2");
    QCOMPARE(l1->text(), QString("None Configuration Opened "));

    // Step 1, New: type a name and press Enter.
    When_Modal([] {
        auto *edit = Get<QLineEdit>(Active_Modal(), "E_New_Proj");
        QTest::keyClicks(edit, "Line1");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_New"), Qt::LeftButton);
    QCOMPARE(l1->text(), QString("Opened Configuration of the Converter : "));
    QCOMPARE(l2->text(), QString("Line1"));
    QCOMPARE(state.Dir_Project, state.Dir_Projects + "/Line1");
    QVERIFY(QFileInfo(state.Dir_Project + "/bin").isDir());

    // Step 1, Open: the new one is preselected; pick Alpha instead.
    QString preselected;
    When_Modal([&preselected] {
        auto *list = Get<QListWidget>(Active_Modal(), "ListBox1");
        preselected = list->currentItem()->text();
        list->setCurrentRow(0);
        QTest::mouseClick(Get<QPushButton>(Active_Modal(), "Btn_OK"), Qt::LeftButton);
    });
    QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_Open"), Qt::LeftButton);
    QCOMPARE(preselected, QString("Line1"));
    QCOMPARE(l2->text(), QString("Alpha"));
    QCOMPARE(state.Project_Name, QString("Alpha"));
    QCOMPARE(state.Dir_Project, state.Dir_Projects + "/Alpha");
    QCOMPARE(state.Files.CAN_Receive, state.Dir_Projects + "/Alpha/CAN_Receive.xml");
    QVERIFY(rec.Errors.isEmpty());

    // The open configuration is what the next start reopens.
    main_window.Save_Setting();
    App_State again;
    Environment env;
    Main_Window second(again, env, ws.dir.path());
    QCOMPARE(again.Dir_Project, state.Dir_Project);
}

void Tst_Project_Dialogs::main_window_cancel_changes_nothing()
{
    Workspace ws;
    App_State &state = ws.state;
    Main_Window &main_window = *ws.window;
    Message_Recorder rec;
    QVERIFY(QDir().mkpath(state.Dir_Projects + "/Alpha"));
    QVERIFY(QDir().mkpath(state.Dir_Projects + "/Beta"));
    When_Modal([] {
        QTest::keyClick(Get<QListWidget>(Active_Modal(), "ListBox1"), Qt::Key_Down);
        QTest::keyClick(Active_Modal(), Qt::Key_Return);
    });
    QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_Open"), Qt::LeftButton);
    QCOMPARE(state.Project_Name, QString("Beta"));
    const App_State before = state;
    auto *l1 = Get<QLabel>(&main_window, "L_Name_Conf");
    auto *l2 = Get<QLabel>(&main_window, "L_Name_Conf_L2");

    // Open: another line selected, then Cancel. New: a name typed, then Cancel.
    When_Modal([] {
        Get<QListWidget>(Active_Modal(), "ListBox1")->setCurrentRow(0);
        QTest::mouseClick(Get<QPushButton>(Active_Modal(), "Btn_Cancel"), Qt::LeftButton);
    });
    QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_Open"), Qt::LeftButton);
    When_Modal([] {
        QTest::keyClicks(Get<QLineEdit>(Active_Modal(), "E_New_Proj"), "Line1");
        QTest::mouseClick(Get<QPushButton>(Active_Modal(), "Btn_Cancel"), Qt::LeftButton);
    });
    QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_New"), Qt::LeftButton);

    QCOMPARE(state.Project_Name, before.Project_Name);
    QCOMPARE(state.Dir_Project, before.Dir_Project);
    QCOMPARE(state.Files.ParGen, before.Files.ParGen);
    QCOMPARE(l1->text(), QString("Opened Configuration of the Converter : "));
    QCOMPARE(l2->text(), QString("Beta"));
    QCOMPARE(QDir(state.Dir_Projects).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({"Alpha", "Beta"}));
    QVERIFY(rec.Errors.isEmpty());
}

void Tst_Project_Dialogs::main_window_open_with_empty_list()
{
    Workspace ws;
    App_State &state = ws.state;
    Main_Window &main_window = *ws.window;
    Message_Recorder rec;
    QVERIFY(QDir().mkpath(state.Dir_Projects + "/Alpha"));
    auto confirm = [] { QTest::mouseClick(Get<QPushButton>(Active_Modal(), "Btn_OK"), Qt::LeftButton); };
    When_Modal(confirm);
    QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_Open"), Qt::LeftButton);
    QCOMPARE(state.Project_Name, QString("Alpha"));

    // Its folder vanishes behind the program's back: the list is empty, and OK leaves no
    // configuration open instead of the vanished one.
    QVERIFY(QDir(state.Dir_Project).removeRecursively());
    QStringList listed{"-"};
    When_Modal([&listed, confirm] {
        listed = Items(Get<QListWidget>(Active_Modal(), "ListBox1"));
        confirm();
    });
    QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_Open"), Qt::LeftButton);
    QVERIFY(listed.isEmpty());
    QVERIFY(rec.Errors.isEmpty());
    QVERIFY(state.Project_Name.isEmpty());
    QVERIFY(state.Dir_Project.isEmpty());
    QCOMPARE(state.Files.ParGen, QString("/ParGen.xml"));
    QCOMPARE(Get<QLabel>(&main_window, "L_Name_Conf")->text(), QString("None Configuration Opened "));
    QCOMPARE(Get<QLabel>(&main_window, "L_Name_Conf_L2")->text(),
             QString("Use Step1 to open or create new configuration"));
}

void Tst_Project_Dialogs::open_keeps_folders_the_new_rules_refuse()
{
    // Folders of earlier versions, or made by hand, keep opening: the rules are for new names.
    Workspace ws;
    ws.Add({"Line 1.", "con", " Old "});
    Main_Window &main_window = *ws.window;
    Message_Recorder rec;
    for (const QString name : {"Line 1.", "con", " Old "}) {
        When_Modal([name] {
            auto *list = Get<QListWidget>(Active_Modal(), "ListBox1");
            const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
            if (!found.isEmpty()) list->setCurrentItem(found[0]);
            QTest::mouseClick(Get<QPushButton>(Active_Modal(), "Btn_OK"), Qt::LeftButton);
        });
        QTest::mouseClick(Get<QPushButton>(&main_window, "Btn_Open"), Qt::LeftButton);
        QCOMPARE(ws.state.Project_Name, name);
        QCOMPARE(ws.state.Dir_Project, ws.Projects() + '/' + name);
        QCOMPARE(Get<QLabel>(&main_window, "L_Name_Conf_L2")->text(), name);
    }
    QVERIFY(rec.Errors.isEmpty());
}

void Tst_Project_Dialogs::language_change_reaches_dialogs()
{
    Workspace ws;
    App_State &state = ws.state;
    Main_Window &main_window = *ws.window;
    Message_Recorder rec;
    auto *new_dlg = main_window.findChild<New_Configuration_Dialog *>();
    auto *open_dlg = main_window.findChild<Open_Configuration_Dialog *>();
    QVERIFY(new_dlg && open_dlg);
    QCOMPARE(new_dlg->windowTitle(), QString("Create New Configuration"));
    QCOMPARE(Shown_Text(Get<QLabel>(new_dlg, "L_SW_Code")->text()), QString("QCX3310"));
    QCOMPARE(open_dlg->windowTitle(), QString("Open Configuration"));
    QCOMPARE(Shown_Text(Get<QLabel>(open_dlg, "Label1")->text()), QString("List of Avaliable Configurations"));

    for (int i = 25; i <= 37; ++i) state.Lang_Table.Items[i] = QStringLiteral("T%1").arg(i);
    state.Lang_Table.Items[STR_New_Name_Empty] = QStringLiteral("T-empty");
    main_window.Change_Language();
    QCOMPARE(new_dlg->windowTitle(), QString("T25"));
    QCOMPARE(Shown_Text(Get<QLabel>(new_dlg, "L_SW_Desc")->text()), QString("T26"));
    QCOMPARE(Shown_Text(Shown_Text(Get<QLabel>(new_dlg, "Label1")->text())), QString("T27"));
    QCOMPARE(Shown_Text(Shown_Text(Get<QPushButton>(new_dlg, "Btn_OK")->text())), QString("T28"));
    QCOMPARE(Shown_Text(Shown_Text(Get<QPushButton>(new_dlg, "Btn_Cancel")->text())), QString("T29"));
    QCOMPARE(open_dlg->windowTitle(), QString("T33"));
    QCOMPARE(Shown_Text(Get<QLabel>(open_dlg, "L_SW_Desc")->text()), QString("T34"));
    QCOMPARE(Shown_Text(Get<QLabel>(open_dlg, "Label1")->text()), QString("T35"));
    QCOMPARE(Shown_Text(Get<QPushButton>(open_dlg, "Btn_OK")->text()), QString("T36"));
    QCOMPARE(Shown_Text(Get<QPushButton>(open_dlg, "Btn_Cancel")->text()), QString("T37"));
    QCOMPARE(Shown_Text(Get<QLabel>(open_dlg, "L_SW_Code")->text()), QString("QCX3310"));

    // The errors come from the table as it is now.
    new_dlg->show();
    QTest::keyClick(Get<QLineEdit>(new_dlg, "E_New_Proj"), Qt::Key_Return);
    QCOMPARE(rec.Errors, QStringList{"T-empty"});
    new_dlg->reject();
}

void Tst_Project_Dialogs::language_change_reaches_windows_no_list_names()
{
    // Windows the main window does not know of: a report an editor would open (owned by the main
    // window here), a window of its own without any owner, and one built after the change.
    Workspace ws;
    ws.Copy_Shipped_Languages();
    App_State &state = ws.state;
    Main_Window &main_window = *ws.window;
    Import_Summary summary;
    summary.Summary = QStringLiteral("1 frame");
    auto *owned = new Import_Report_Window(state, summary, &main_window);
    Import_Report_Window alone(state, summary);
    QCOMPARE(owned->windowTitle(), state.STR(STR_Csv_Report_Title));
    const QString english = owned->windowTitle();

    // Each window applies a change once, at once, even where installing Qt's own translation
    // queues copies of the event for later.
    QWidget counted;
    int applied = 0;
    Follow_Language_Change(&counted, [&applied] { ++applied; });
    int main_applied = 0;
    Follow_Language_Change(&main_window, [&main_applied] { ++main_applied; });

    ws.Switch_Language(QStringLiteral("Deutsch"));
    const QString german = state.STR(STR_Csv_Report_Title);
    QVERIFY(german != english);
    QCOMPARE(owned->windowTitle(), german);
    QCOMPARE(alone.windowTitle(), german);
    QCOMPARE(Shown_Text(main_window.findChild<QPushButton *>(QStringLiteral("Btn_New"))->text()),
             state.STR(STR_New_Configuration));
    QCOMPARE(applied, 1);
    QCOMPARE(main_applied, 1);
    QCoreApplication::processEvents();
    QCOMPARE(applied, 1);
    QCOMPARE(main_applied, 1);

    Import_Report_Window later(state, summary);
    QCOMPARE(later.windowTitle(), german);

    ws.Switch_Language(QStringLiteral("English"));
    QCOMPARE(owned->windowTitle(), english);
    QCOMPARE(alone.windowTitle(), english);
    QCOMPARE(later.windowTitle(), english);
    QCoreApplication::processEvents();
    QCOMPARE(applied, 2);
    QCOMPARE(main_applied, 2);
    delete owned;
}

QTEST_MAIN(Tst_Project_Dialogs)
#include "tst_project_dialogs.moc"
