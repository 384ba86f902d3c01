// What a screen reader learns of the windows, through Qt's accessibility interfaces (the same
// the desktop's AT-SPI bridge reads): labels by their texts, the main window as a frame, each
// step button with its step, check-box cells as ticked or not, and the web links as links that
// the keyboard reaches and follows.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "dialogs/About_Dialog.h"
#include "dialogs/Frame_List_Editor.h"
#include "dialogs/New_Configuration_Dialog.h"
#include "dialogs/Open_Configuration_Dialog.h"
#include "dialogs/Options_Dialog.h"
#include "dialogs/Settings_Dialog.h"
#include "editing/Frame_List.h"
#include "platform/Web_Host.h"
#include "widgets/Frame_Grid_Model.h"
#include "widgets/Mnemonics.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocument>
#include <QtTest>

namespace {

QAccessibleInterface *Spoken(QObject *object)
{
    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(object);
    if (!spoken) qWarning("no accessible interface for %s", qPrintable(object->objectName()));
    return spoken;
}

// The text a label shows, as a listener should hear it: without markup and mnemonic marks.
QString Shown(const QLabel *label)
{
    QString text = label->text();
    if (label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument document;
        document.setHtml(text);
        text = document.toPlainText();
    }
    return Shown_Text(text);
}

// Every label of window that shows a text, whose accessible name does not say that text.
QStringList Silent_Labels(QWidget *window)
{
    QStringList silent;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->window() != window || !label->isVisibleTo(window) || label->text().isEmpty()) continue;
        QAccessibleInterface *spoken = Spoken(label);
        const QString name = spoken ? spoken->text(QAccessible::Name) : QString();
        if (!name.contains(Shown(label).trimmed()))
            silent.append(QStringLiteral("%1 shows \"%2\", says \"%3\"").arg(label->objectName(), Shown(label), name));
    }
    return silent;
}

QByteArray Transmit_File()
{
    // Row 1: both flags set; row 2: both cleared; row 3: never ticked (empty), as a hand-made
    // file may hold it.
    return "<TransmitCAN>"
           "<row CobID=\"0x100\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" DataChange=\"Y\" OnTimer=\"Y\" SendTimer=\"100\" Mnemonic=\"A\"/>"
           "<row CobID=\"0x101\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" DataChange=\"N\" OnTimer=\"N\" SendTimer=\"100\" Mnemonic=\"B\"/>"
           "<row CobID=\"0x102\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" DataChange=\"\" OnTimer=\"\" SendTimer=\"100\" Mnemonic=\"C\"/>"
           "</TransmitCAN><!--SW_VERSION = 1.102-->";
}

}  // namespace

class Tst_Accessibility : public QObject {
    Q_OBJECT
private slots:
    void labels_say_their_texts_data();
    void labels_say_their_texts();
    void main_window_is_a_frame();
    void each_step_button_is_described_by_its_step_data();
    void each_step_button_is_described_by_its_step();
    void check_box_cells_say_checked_or_not_data();
    void check_box_cells_say_checked_or_not();
    void web_links_are_links_the_keyboard_follows_data();
    void web_links_are_links_the_keyboard_follows();
};

void Tst_Accessibility::labels_say_their_texts_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << QStringLiteral("English");
    QTest::newRow("Deutsch") << QStringLiteral("Deutsch");
}

void Tst_Accessibility::labels_say_their_texts()
{
    QFETCH(QString, language);
    Test_Workspace f;
    f.Copy_Shipped_Languages();
    f.Start();
    f.Open_Configuration(QStringLiteral("Said"), QStringLiteral("images/example"));
    f.Switch_Language(language);
    Message_Recorder messages;
    // The links that appear after a version check are labels like the others.
    f.window->show();

    QStringList silent;
    auto listen = [&](const QString &where, QWidget *window) {
        window->show();
        QCoreApplication::processEvents();
        for (const QString &s : Silent_Labels(window)) silent.append(where + QStringLiteral(": ") + s);
    };
    App_Windows &w = f.window->Windows();
    listen(QStringLiteral("main window"), f.window.get());
    listen(QStringLiteral("About"), w.About);
    listen(QStringLiteral("settings"), w.Settings);
    listen(QStringLiteral("new configuration"), w.New_Configuration);
    listen(QStringLiteral("open configuration"), w.Open_Configuration);
    auto *pages = w.Options->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        listen(QStringLiteral("options page %1").arg(page + 1), w.Options);
    }
    // The line that tells the result of a version check, once it shows.
    auto *result = w.Options->findChild<QLabel *>(QStringLiteral("LL_Check_Update"));
    result->setText(f.state.STR(STR_Options_No_Update));
    result->show();
    listen(QStringLiteral("options, checked"), w.Options);
    for (QDialog *d : std::initializer_list<QDialog *>{w.About, w.Settings, w.New_Configuration, w.Open_Configuration, w.Options})
        d->hide();
    QVERIFY2(silent.isEmpty(), qPrintable(silent.join(u'\n')));
}

void Tst_Accessibility::main_window_is_a_frame()
{
    Test_Workspace f;
    f.Start();
    f.window->show();
    QAccessibleInterface *window = Spoken(f.window.get());
    QVERIFY(window);
    // AT-SPI tells a window of this role a frame.
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), f.window->windowTitle());
    // Its controls are its children as before: the step buttons, with their names.
    QStringList names;
    for (int i = 0; i < window->childCount(); ++i) names.append(window->child(i)->text(QAccessible::Name));
    QVERIFY2(names.contains(QStringLiteral("New Configuration")), qPrintable(names.join(u'|')));
    // The dialogs stay dialogs.
    QCOMPARE(Spoken(f.window->Windows().Settings)->role(), QAccessible::Dialog);
}

void Tst_Accessibility::each_step_button_is_described_by_its_step_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("step");
    QTest::newRow("new") << "Btn_New" << "L_Step_1";
    QTest::newRow("open") << "Btn_Open" << "L_Step_1";
    QTest::newRow("settings") << "Btn_Prm_Gen" << "L_Step_2";
    QTest::newRow("receive frames") << "Btn_Receive_COB" << "L_Step_3";
    QTest::newRow("receive mappings") << "Btn_Define_Receive_COB" << "L_Step_3";
    QTest::newRow("transmit frames") << "Btn_Transmit_COB" << "L_Step_4";
    QTest::newRow("transmit mappings") << "Btn_Define_Transmit_COB" << "L_Step_4";
    QTest::newRow("update") << "Btn_CreateBin" << "L_Step_5";
    QTest::newRow("register map") << "Btn_Register_Map" << "L_Step_5";
    QTest::newRow("monitor") << "Btn_Monitor" << "L_Step_6";
    QTest::newRow("bus check") << "Btn_Bus_Check" << "L_Step_6";
}

void Tst_Accessibility::each_step_button_is_described_by_its_step()
{
    QFETCH(QString, button);
    QFETCH(QString, step);
    Test_Workspace f;
    f.Copy_Shipped_Languages();
    f.Start();
    auto *b = f.window->findChild<QPushButton *>(button);
    auto *l = f.window->findChild<QLabel *>(step);
    QVERIFY(b && l);
    // The label and the button share a row: the step is the one beside the button.
    QVERIFY(l->geometry().center().y() > b->geometry().top() && l->geometry().center().y() < b->geometry().bottom());
    QCOMPARE(Spoken(b)->text(QAccessible::Description), l->text());
    // The name stays the button's own (the two "Define COB" add the list they map).
    QVERIFY(Spoken(b)->text(QAccessible::Name).startsWith(Shown_Text(b->text())));

    // And in the language chosen later.
    f.Switch_Language(QStringLiteral("Italiano"));
    QVERIFY(l->text() != QStringLiteral("Step 1"));
    QCOMPARE(Spoken(b)->text(QAccessible::Description), l->text());
}

void Tst_Accessibility::check_box_cells_say_checked_or_not_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QString>("not_checked");
    QTest::newRow("English") << "English" << "checked" << "not checked";
    QTest::newRow("Français") << "Français" << "coché" << "non coché";
}

void Tst_Accessibility::check_box_cells_say_checked_or_not()
{
    QFETCH(QString, language);
    QFETCH(QString, checked);
    QFETCH(QString, not_checked);
    Test_Workspace f;
    f.Copy_Shipped_Languages();
    f.Start();
    f.Open_Configuration(QStringLiteral("Flags"));
    f.Switch_Language(language);
    Write_All(f.state.Files.CAN_Transmit, Transmit_File());
    Transmit_Frame_Editor &dialog = *f.window->Windows().Transmit_Frames;
    QVERIFY(dialog.FormShow());
    dialog.show();

    QAccessibleInterface *grid = Spoken(dialog.Grid_View());
    QVERIFY(grid && grid->tableInterface());
    struct Expected { int row; QString name; bool on; };
    const QList<Expected> cells = {{0, checked, true}, {1, not_checked, false}, {2, not_checked, false}, {3, not_checked, false}};
    for (const int column : {Transmit_Col::DataChange, Transmit_Col::OnTimer}) {
        for (const Expected &e : cells) {
            QAccessibleInterface *cell = grid->tableInterface()->cellAt(e.row, column);
            QVERIFY(cell);
            const QString where = QStringLiteral("row %1 column %2").arg(e.row + 1).arg(column);
            QVERIFY2(cell->text(QAccessible::Name) == e.name, qPrintable(where + ": " + cell->text(QAccessible::Name)));
            QVERIFY2(cell->state().checkable, qPrintable(where));
            QVERIFY2(bool(cell->state().checked) == e.on, qPrintable(where));
        }
    }
    // A tick by the keyboard is heard at once.
    const QModelIndex flag = dialog.Grid_Model()->index(1, Transmit_Col::DataChange);
    dialog.Grid_View()->setFocus();
    dialog.Grid_View()->setCurrentIndex(flag);
    QTest::keyClick(dialog.Grid_View(), Qt::Key_Space);
    QCOMPARE(dialog.Grid_Model()->Cell(2, Transmit_Col::DataChange), QStringLiteral("Y"));
    QCOMPARE(grid->tableInterface()->cellAt(1, Transmit_Col::DataChange)->text(QAccessible::Name), checked);
    // The file still gets its letters.
    QCOMPARE(flag.data(Qt::EditRole).toString(), QStringLiteral("Y"));
    dialog.hide();
}

void Tst_Accessibility::web_links_are_links_the_keyboard_follows_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("before");  // the control from which one Tab reaches the link
    QTest::addColumn<int>("key");
    QTest::newRow("About, Enter") << "About" << "Label4" << "LbButton1" << int(Qt::Key_Return);
    QTest::newRow("About, Space") << "About" << "Label4" << "LbButton1" << int(Qt::Key_Space);
    QTest::newRow("main window, Enter") << "main" << "L_Norvale" << "Btn_Bus_Check" << int(Qt::Key_Enter);
    QTest::newRow("main window, Space") << "main" << "L_Norvale" << "Btn_Bus_Check" << int(Qt::Key_Space);
}

void Tst_Accessibility::web_links_are_links_the_keyboard_follows()
{
    QFETCH(QString, window);
    QFETCH(QString, link);
    QFETCH(QString, before);
    QFETCH(int, key);
    Test_Workspace f;
    f.Start();
    QWidget *shown = window == u"About" ? static_cast<QWidget *>(f.window->Windows().About) : f.window.get();
    shown->show();
    QVERIFY(QTest::qWaitForWindowActive(shown));

    auto *address = shown->findChild<QLabel *>(link);
    QVERIFY(address);
    QAccessibleInterface *spoken = Spoken(address);
    QCOMPARE(spoken->role(), QAccessible::Link);
    QCOMPARE(spoken->text(QAccessible::Name), Web_Host());
    QVERIFY(!spoken->text(QAccessible::Description).isEmpty());
    QVERIFY(spoken->state().focusable);

    // The box opens on OK, so that Enter closes it rather than following the link.
    if (window == u"About") QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("LbButton1"));
    // Tab reaches it, and the key follows it (once: through the shell, never a real browser).
    shown->findChild<QWidget *>(before)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), address);
    QVERIFY(spoken->state().focused);
    QTest::keyClick(address, Qt::Key(key));
    QCOMPARE(f.shell.Opened, QStringList{Maker_Home_Url()});

    // A screen reader's "press" does the same.
    QVERIFY(spoken->actionInterface());
    QVERIFY(spoken->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    spoken->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(f.shell.Opened.size(), 2);
    // Other keys do nothing.
    QTest::keyClick(address, Qt::Key_A);
    QCOMPARE(f.shell.Opened.size(), 2);
    shown->hide();
}

QTEST_MAIN(Tst_Accessibility)
#include "tst_accessibility.moc"
