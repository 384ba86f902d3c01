// What every one of the five configuration editors promises, opened from the main window's
// step buttons on a configuration: a file it cannot read keeps it closed with one error naming
// the file; a save that fails keeps it open with the user's edits and the file and reason in
// the error; Cancel, the close box and Escape write nothing; a language change reaches it.
// Each editor's own behaviour is tested beside its dialog.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "dialogs/Mapping_Editor.h"
#include "dialogs/Frame_List_Editor.h"
#include "dialogs/Settings_Dialog.h"
#include "widgets/Frame_Grid_Model.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QtTest>

#include <functional>

namespace {

void Click(QWidget *dialog, const char *button)
{
    QTest::mouseClick(Get<QAbstractButton>(dialog, button), Qt::LeftButton);
}

QStringList Lines(QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

void Click_Line(QWidget *dialog, const char *list_name, int row)
{
    auto *list = Get<QListWidget>(dialog, list_name);
    QListWidgetItem *item = list->item(row);
    QVERIFY2(item, list_name);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// Every text a dialog shows or names for screen readers, each after its control's name, in
// the order the controls were made. A text is left out when it is empty, except on one of our
// controls (they all have names) that shows nothing else: a label, a button, a group's frame.
QStringList Texts(QWidget *dialog)
{
    QStringList texts{"title: " + dialog->windowTitle()};
    auto add = [&texts](const QWidget *w, const QString &text) {
        if (!text.isEmpty()) texts << w->objectName() + ": " + text;
    };
    auto always = [&texts](const QWidget *w, const QString &text) {
        if (!w->objectName().isEmpty() || !text.isEmpty()) texts << w->objectName() + ": " + text;
    };
    for (QWidget *w : dialog->findChildren<QWidget *>()) {
        if (auto *l = qobject_cast<QLabel *>(w)) always(w, l->text());
        if (auto *b = qobject_cast<QAbstractButton *>(w)) always(w, b->text());
        if (auto *g = qobject_cast<QGroupBox *>(w)) always(w, g->title());
        if (auto *c = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < c->count(); ++i) add(w, c->itemText(i));
        if (auto *t = qobject_cast<QTableView *>(w))
            for (int i = 0; i < t->model()->columnCount(); ++i)
                add(w, t->model()->headerData(i, Qt::Horizontal).toString());
        add(w, w->toolTip());
        add(w, w->accessibleName());
    }
    return texts;
}

// A language in which every text is the English one between "<<" and ">>", so that a text
// that missed a language change stands out.
void Write_Marked_Language(const Test_Workspace &ws)
{
    Lang_Table english;
    Load_Default_Language(english);
    QByteArray bytes = "\xEF\xBB\xBF";
    for (int i = 0; i < english.size(); ++i)
        bytes += "STR" + QByteArray::number(i) + " = <<" + english[i].toUtf8() + ">>\n";
    ws.Write("LANGUAGE/Marked.lng", bytes);
}

// The frame lists: the first two rows, as the grid shows them.
QString Grid_Shown(QWidget *dialog)
{
    const Frame_Grid_Model *model = static_cast<Frame_List_Editor *>(dialog)->Grid_Model();
    QStringList cells;
    for (int row = 1; row <= 2; ++row)
        for (int column = 1; column < model->columnCount(); ++column) cells << model->Cell(row, column);
    return cells.join('|');
}

// The frame lists: the user types a mnemonic into the frame of row 1, then opens an empty row
// above it.
void Grid_Edit(QWidget *dialog, int mnemonic_column)
{
    auto *editor = static_cast<Frame_List_Editor *>(dialog);
    QTableView *view = editor->Grid_View();
    Type_Into_Cell(view, editor->Grid_Model()->index(0, mnemonic_column), QStringLiteral("Edited"));
    Click_Cell(view, editor->Grid_Model()->index(0, mnemonic_column));
    Click(dialog, "Btn_InsRow");
}

// The mapping editors: every frame with the indexes of its registers.
QString Mapping_Shown(QWidget *dialog)
{
    QStringList shown = Lines(Get<QListWidget>(dialog, "LB_CAN_Frames"));
    for (const Editor_Frame &frame : static_cast<Mapping_Editor *>(dialog)->Mappings().Frames)
        for (const Editor_Register &reg : frame.Registers) shown << reg.Ind_Mod;
    return shown.join('|');
}

// The mapping editors: a register created on the first frame, and the frame's earlier one
// deleted.
void Mapping_Edit(QWidget *dialog, const QString &index)
{
    Click_Line(dialog, "LB_CAN_Frames", 0);
    auto *edit = Get<QLineEdit>(dialog, "E_Index_Modbus");
    edit->selectAll();
    QTest::keyClicks(edit, index);
    Click(dialog, "Btn_Create");
    Click_Line(dialog, "LB_Modbus_Regs", 0);
    Click(dialog, "Btn_Delete");
}

struct Editor {
    const char *button;  // the main window's step button
    const char *dialog;  // the dialog's object name
    QString Project_Paths::*file;
    std::function<std::unique_ptr<QDialog>(App_State &)> create;
    std::function<QDialog *(App_Windows &)> in_window;
    std::function<void(QWidget *)> edit;      // what a user changes
    std::function<QString(QWidget *)> shown;  // what the editor shows of its file
    QString file_shown;                       // that, for the configuration's file
    QByteArray saved;                         // what the file holds once the edit is saved
};

const QList<Editor> &Editors()
{
    static const QList<Editor> editors{
        {"Btn_Prm_Gen", "TFParGen", &Project_Paths::ParGen,
         [](App_State &s) { return std::make_unique<Settings_Dialog>(s); },
         [](App_Windows &w) { return w.Settings; },
         [](QWidget *d) {
             auto *ip4 = Get<QLineEdit>(d, "E_IP4");
             ip4->selectAll();
             QTest::keyClicks(ip4, "77");
         },
         [](QWidget *d) {
             const Par_Gen_Texts t = static_cast<Settings_Dialog *>(d)->Texts();
             return QStringList{t.CAN_BAUDRATE, t.IP[0], t.IP[1], t.IP[2], t.IP[3], t.SM[3], t.EN_GAT, t.Port}
                 .join('|');
         },
         "5|192|168|0|10|0|0|502", "<MODBUS_TCP_SLAVE_IP4>77</MODBUS_TCP_SLAVE_IP4>"},
        {"Btn_Receive_COB", "TFReceiveCAN", &Project_Paths::CAN_Receive,
         [](App_State &s) { return std::make_unique<Receive_Frame_Editor>(s); },
         [](App_Windows &w) { return w.Receive_Frames; },
         [](QWidget *d) { Grid_Edit(d, Receive_Col::Mnemonic); }, Grid_Shown,
         "0x181|8|CAN 2.0A 11 bits|1000||||||",
         "<row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"1000\" Mnemonic=\"Edited\"/>"},
        {"Btn_Transmit_COB", "TFTransmitCAN", &Project_Paths::CAN_Transmit,
         [](App_State &s) { return std::make_unique<Transmit_Frame_Editor>(s); },
         [](App_Windows &w) { return w.Transmit_Frames; },
         [](QWidget *d) { Grid_Edit(d, Transmit_Col::Mnemonic); }, Grid_Shown,
         "0x18FF0001|4|CAN 2.0B 29 bits|Y|Y|500||||||||",
         "<row CobID=\"0x18FF0001\" Dimension=\"4\" Type=\"CAN 2.0B 29 bits\" DataChange=\"Y\" OnTimer=\"Y\" "
         "SendTimer=\"500\" Mnemonic=\"Edited\"/>"},
        {"Btn_Define_Receive_COB", "TFDefineRecCAN", &Project_Paths::Define_CAN_Receive,
         [](App_State &s) { return std::make_unique<Receive_Mapping_Editor>(s); },
         [](App_Windows &w) { return w.Receive_Mappings; },
         [](QWidget *d) { Mapping_Edit(d, "11"); }, Mapping_Shown, "Cob-ID: 0x181 11-bit\nLength: 8|10",
         "<DefineRecJ1939><row Num_Frame=\"0\" Mod_Index=\"11\" Byte_HiPart=\"0\" Byte_LoPart=\"0\"/>"
         "</DefineRecJ1939>"},
        {"Btn_Define_Transmit_COB", "TFDefineTransCAN", &Project_Paths::Define_CAN_Transmit,
         [](App_State &s) { return std::make_unique<Transmit_Mapping_Editor>(s); },
         [](App_Windows &w) { return w.Transmit_Mappings; },
         [](QWidget *d) { Mapping_Edit(d, "21"); }, Mapping_Shown, "Cob-ID: 0x18FF0001 29-bit\nLength: 4|20",
         "<DefineTransJ1939><row Num_Frame=\"0\" Mod_Index=\"21\" Byte_HiPart=\"0\" Byte_LoPart=\"0\" "
         "Send_on_Write=\"0\"/></DefineTransJ1939>"},
    };
    return editors;
}

void Add_Editor_Rows()
{
    QTest::addColumn<int>("editor");
    for (int i = 0; i < Editors().size(); ++i) QTest::newRow(Editors()[i].dialog) << i;
}

// The five files of a configuration, by name.
QMap<QString, QByteArray> Files(const Project_Paths &paths)
{
    QMap<QString, QByteArray> files;
    for (const QString *path : {&paths.ParGen, &paths.CAN_Receive, &paths.CAN_Transmit, &paths.Define_CAN_Receive,
                                &paths.Define_CAN_Transmit})
        files[*path] = QFileInfo::exists(*path) ? Read_All(*path) : QByteArray("(no file)");
    return files;
}

// A started workspace with a configuration whose five files are all valid.
struct Workspace : Test_Workspace {
    QString folder;
    Workspace()
    {
        Start();
        folder = Open_Configuration("Line 1", "images/example");
    }
};

}  // namespace

class Tst_Editor_Contract : public QObject {
    Q_OBJECT
private slots:
    void unreadable_file_keeps_the_editor_closed_data() { Add_Editor_Rows(); }
    void unreadable_file_keeps_the_editor_closed();
    void failed_save_keeps_the_editor_open_data() { Add_Editor_Rows(); }
    void failed_save_keeps_the_editor_open();
    void cancel_writes_nothing_data();
    void cancel_writes_nothing();
    void language_change_reaches_the_editor_data();
    void language_change_reaches_the_editor();
    void ok_and_cancel_have_one_letter_in_every_editor_data();
    void ok_and_cancel_have_one_letter_in_every_editor();
};

void Tst_Editor_Contract::unreadable_file_keeps_the_editor_closed()
{
    QFETCH(int, editor);
    const Editor &e = Editors()[editor];
    Workspace ws;
    const QString file = ws.state.Files.*e.file;
    QVERIFY(QFile::remove(file));
    QVERIFY(QFile::copy(Test_Data("editors/malformed/" + QFileInfo(file).fileName()), file));
    const QMap<QString, QByteArray> before = Files(ws.state.Files);
    Message_Recorder messages;

    // Were the editor shown after all, this closes it so that the test reports instead of
    // waiting; without a dialog it runs harmlessly once the click has returned.
    QString shown;
    QTimer::singleShot(0, ws.window.get(), [&shown] {
        if (QWidget *d = Active_Modal()) {
            shown = d->objectName();
            static_cast<QDialog *>(d)->reject();
        }
    });
    ws.Click(e.button);
    QCoreApplication::processEvents();

    QCOMPARE(shown, QString());
    QCOMPARE(messages.Errors.size(), 1);
    // The file, then the parser's position.
    const QRegularExpression where(QRegularExpression::escape(file) + QStringLiteral(": line \\d+, column \\d+"));
    QVERIFY2(where.match(messages.Errors[0]).hasMatch(), qPrintable(messages.Errors[0]));
    QVERIFY(!e.in_window(ws.window->Windows())->isVisible());
    QCOMPARE(Files(ws.state.Files), before);
}

void Tst_Editor_Contract::failed_save_keeps_the_editor_open()
{
    QFETCH(int, editor);
    const Editor &e = Editors()[editor];
    Workspace ws;
    const QString file = ws.state.Files.*e.file;
    Message_Recorder messages;

    QString opened, edited, shown_after_failure;
    bool open_after_failure = false, open_after_retry = true;
    QStringList errors_of_failure;
    When_Modal([&] {
        QWidget *d = Active_Modal();
        opened = d->objectName();
        e.edit(d);
        edited = e.shown(d);
        // The configuration folder turns into a plain file behind the program's back: nothing
        // can be written below it, whatever the user's rights.
        QDir(ws.folder).removeRecursively();
        Write_All(ws.folder, "not a folder");
        Click(d, "Btn_OK");
        errors_of_failure = messages.Errors;
        open_after_failure = d->isVisible();
        shown_after_failure = e.shown(d);

        // Once the folder is back, the same OK saves what is still on screen.
        QFile::remove(ws.folder);
        QDir().mkpath(ws.folder);
        Click(d, "Btn_OK");
        open_after_retry = d->isVisible();
        if (open_after_retry) static_cast<QDialog *>(d)->reject();
    });
    ws.Click(e.button);

    QCOMPARE(opened, QString(e.dialog));
    QCOMPARE(errors_of_failure.size(), 1);
    const QString &error = errors_of_failure[0];
    const qsizetype at = error.indexOf(file + ": ");
    QVERIFY2(at >= 0, qPrintable(error));
    QVERIFY2(error.size() > at + file.size() + 2, qPrintable(error));  // the system's reason follows
    QVERIFY(open_after_failure);
    QCOMPARE(shown_after_failure, edited);

    QVERIFY(!open_after_retry);
    QCOMPARE(messages.Errors.size(), 1);
    const QByteArray saved = Read_All(file);
    QVERIFY2(saved.contains(e.saved), saved.constData());
}

void Tst_Editor_Contract::cancel_writes_nothing_data()
{
    // Each editor with each way out but OK.
    QTest::addColumn<int>("editor");
    QTest::addColumn<QString>("way");
    for (int i = 0; i < Editors().size(); ++i)
        for (const char *way : {"Cancel", "close box", "Escape"})
            QTest::addRow("%s, %s", Editors()[i].dialog, way) << i << QString(way);
}

void Tst_Editor_Contract::cancel_writes_nothing()
{
    QFETCH(int, editor);
    QFETCH(QString, way);
    const Editor &e = Editors()[editor];
    Workspace ws;
    const QMap<QString, QByteArray> before = Files(ws.state.Files);
    Message_Recorder messages;  // answers Yes to "exit without saving?"

    QString opened, at_first, edited;
    bool open_after = true;
    int result = -1;
    When_Modal([&] {
        QWidget *d = Active_Modal();
        opened = d->objectName();
        at_first = e.shown(d);
        e.edit(d);
        edited = e.shown(d);
        if (way == "Cancel") Click(d, "Btn_Cancel");
        if (way == "close box") d->close();
        if (way == "Escape") QTest::keyClick(d, Qt::Key_Escape);
        open_after = d->isVisible();
        result = static_cast<QDialog *>(d)->result();
        if (open_after) static_cast<QDialog *>(d)->reject();
    });
    ws.Click(e.button);

    QCOMPARE(opened, QString(e.dialog));
    QCOMPARE(at_first, e.file_shown);
    QVERIFY(edited != at_first);
    QVERIFY(!open_after);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(Files(ws.state.Files), before);
    QCOMPARE(messages.Errors, QStringList());

    // The next showing has the file's contents again, not the edits.
    QString again;
    When_Modal([&] {
        QWidget *d = Active_Modal();
        again = e.shown(d);
        Click(d, "Btn_Cancel");
    });
    ws.Click(e.button);
    QCOMPARE(again, at_first);
}

void Tst_Editor_Contract::language_change_reaches_the_editor_data()
{
    QTest::addColumn<int>("editor");
    QTest::addColumn<QString>("title");  // in Italian
    const QStringList titles{"Imposta comunicazione", "Ricezione CAN", "Trasmissione CAN", "Definisci CAN ricevuti",
                             "Definisci CAN trasmessi"};
    for (int i = 0; i < Editors().size(); ++i) QTest::newRow(Editors()[i].dialog) << i << titles[i];
}

void Tst_Editor_Contract::language_change_reaches_the_editor()
{
    QFETCH(int, editor);
    QFETCH(QString, title);
    const Editor &e = Editors()[editor];
    Test_Workspace ws;
    ws.Copy_Shipped_Languages();
    Write_Marked_Language(ws);
    ws.Start();
    QDialog *dialog = e.in_window(ws.window->Windows());
    QVERIFY(dialog);

    ws.Switch_Language("Italiano");
    QCOMPARE(dialog->windowTitle(), title);

    // Every text follows, to the one the editor has when it is made in that language.
    ws.Switch_Language("Marked");
    const QStringList marked = Texts(dialog);
    const std::unique_ptr<QDialog> made_marked = e.create(ws.state);
    QCOMPARE(marked, Texts(made_marked.get()));
    // Not language texts: the product code, the baud rates and the dots between octets.
    static const QRegularExpression program_own(QStringLiteral(": (QCX3310|\\d+K|\\.)$"));
    QStringList left_over;
    for (const QString &text : marked)
        if (!text.contains("<<") && !program_own.match(text).hasMatch()) left_over << text;
    QCOMPARE(left_over, QStringList());
}

void Tst_Editor_Contract::ok_and_cancel_have_one_letter_in_every_editor_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : {"English", "Deutsch", "Español", "Français", "Italiano"}) QTest::newRow(language) << QString(language);
}

void Tst_Editor_Contract::ok_and_cancel_have_one_letter_in_every_editor()
{
    // A user who confirms with Alt+letter in one editor finds the same letter in the next,
    // whatever the other controls of each are called.
    QFETCH(QString, language);
    Test_Workspace ws;
    ws.Copy_Shipped_Languages();
    ws.Start();
    ws.Switch_Language(language);
    QStringList ok, cancel;
    for (const Editor &e : Editors()) {
        QDialog *dialog = e.in_window(ws.window->Windows());
        QVERIFY(dialog);
        ok << Get<QAbstractButton>(dialog, "Btn_OK")->text();
        cancel << Get<QAbstractButton>(dialog, "Btn_Cancel")->text();
        // Made afresh in the language, too.
        const std::unique_ptr<QDialog> made = e.create(ws.state);
        ok << Get<QAbstractButton>(made.get(), "Btn_OK")->text();
        cancel << Get<QAbstractButton>(made.get(), "Btn_Cancel")->text();
    }
    QVERIFY2(ok.first().contains(u'&') && cancel.first().contains(u'&'), qPrintable(ok.first() + " " + cancel.first()));
    QCOMPARE(ok, QStringList(ok.size(), ok.first()));
    QCOMPARE(cancel, QStringList(cancel.size(), cancel.first()));
}

QTEST_MAIN(Tst_Editor_Contract)
#include "tst_editor_contract.moc"
