// The communication settings and the two frame lists ask "exit without saving?" exactly when the
// dialog holds something the configuration's files do not, the same way for Cancel, Escape and
// the close box. No keeps the dialog and the user's work; Yes closes and writes nothing.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "dialogs/Frame_List_Editor.h"
#include "dialogs/Settings_Dialog.h"
#include "widgets/Frame_Grid_Model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <functional>

namespace {

const QString Question = QStringLiteral("Do you want to exit without saving changes?");

void Retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QModelIndex Cell(QWidget *dialog, int column)
{
    return static_cast<Frame_List_Editor *>(dialog)->Grid_Model()->index(0, column);
}

QTableView *Grid(QWidget *dialog) { return static_cast<Frame_List_Editor *>(dialog)->Grid_View(); }

struct Editor {
    const char *button;  // the main window's step button
    const char *dialog;
    std::function<void(QWidget *)> change;       // something the file does not hold
    std::function<void(QWidget *)> change_back;  // a change, then the file's text again
    std::function<QString(QWidget *)> shown;
};

QString Frames_Shown(QWidget *dialog)
{
    const Frame_Grid_Model *model = static_cast<Frame_List_Editor *>(dialog)->Grid_Model();
    QStringList cells;
    for (int column = 1; column < model->columnCount(); ++column) cells << model->Cell(1, column);
    return cells.join('|');
}

void Frame_Change_Back(QWidget *d)
{
    const QString stored = static_cast<Frame_List_Editor *>(d)->Grid_Model()->Cell(1, Receive_Col::Dimension);
    Type_Into_Cell(Grid(d), Cell(d, Receive_Col::Dimension), QStringLiteral("7"));
    Type_Into_Cell(Grid(d), Cell(d, Receive_Col::Dimension), stored);
}

const QList<Editor> &Editors()
{
    static const QList<Editor> editors{
        {"Btn_Prm_Gen", "TFParGen",
         // The gateway box counts like every other control.
         [](QWidget *d) {
             auto *gateway = Get<QCheckBox>(d, "CB_ModTCPs_EN_GAT");
             QTest::mouseClick(gateway, Qt::LeftButton, {}, QPoint(8, gateway->height() / 2));
         },
         [](QWidget *d) {
             auto *ip4 = Get<QLineEdit>(d, "E_IP4");
             const QString stored = ip4->text();
             Retype(ip4, QStringLiteral("77"));
             Retype(ip4, stored);
         },
         [](QWidget *d) {
             const Par_Gen_Texts t = static_cast<Settings_Dialog *>(d)->Texts();
             return QStringList{t.IP[3], t.EN_GAT}.join('|');
         }},
        {"Btn_Receive_COB", "TFReceiveCAN",
         [](QWidget *d) { Type_Into_Cell(Grid(d), Cell(d, Receive_Col::Mnemonic), QStringLiteral("Edited")); },
         Frame_Change_Back, Frames_Shown},
        {"Btn_Transmit_COB", "TFTransmitCAN",
         [](QWidget *d) { Type_Into_Cell(Grid(d), Cell(d, Transmit_Col::Mnemonic), QStringLiteral("Edited")); },
         Frame_Change_Back, Frames_Shown},
    };
    return editors;
}

// Cancel, Escape (pressed where the focus is) or the close box.
void Leave(QWidget *dialog, const QString &way)
{
    if (way == "Cancel") QTest::mouseClick(Get<QAbstractButton>(dialog, "Btn_Cancel"), Qt::LeftButton);
    if (way == "close box") dialog->close();
    if (way == "Escape") {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == dialog ? focus : dialog, Qt::Key_Escape);
    }
}

// The five files of a configuration, by name.
QMap<QString, QByteArray> Files(const Project_Paths &paths)
{
    QMap<QString, QByteArray> files;
    for (const QString *path : {&paths.ParGen, &paths.CAN_Receive, &paths.CAN_Transmit, &paths.Define_CAN_Receive,
                                &paths.Define_CAN_Transmit})
        files[*path] = Read_All(*path);
    return files;
}

}  // namespace

class Tst_Discard_Question : public QObject {
    Q_OBJECT
private slots:
    void asked_exactly_when_changed_data();
    void asked_exactly_when_changed();
    void typing_still_open_in_a_cell_counts_data();
    void typing_still_open_in_a_cell_counts();
};

void Tst_Discard_Question::asked_exactly_when_changed_data()
{
    QTest::addColumn<int>("editor");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("state");
    for (int i = 0; i < Editors().size(); ++i)
        for (const char *way : {"Cancel", "Escape", "close box"})
            for (const char *state : {"unchanged", "changed", "changed back"})
                QTest::addRow("%s, %s, %s", Editors()[i].dialog, way, state) << i << QString(way) << QString(state);
}

void Tst_Discard_Question::asked_exactly_when_changed()
{
    QFETCH(int, editor);
    QFETCH(QString, way);
    QFETCH(QString, state);
    const Editor &e = Editors()[editor];
    const bool asks = state == "changed";
    Test_Workspace ws;
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"), QStringLiteral("images/example"));
    const QMap<QString, QByteArray> before = Files(ws.state.Files);
    Message_Recorder messages;

    QString opened, shown, shown_after_no;
    QStringList asked_first;
    bool open_after_no = false, open_at_end = true;
    int result = -1;
    When_Modal([&] {
        QWidget *d = Active_Modal();
        opened = d->objectName();
        if (state == "changed") e.change(d);
        if (state == "changed back") e.change_back(d);
        shown = e.shown(d);
        messages.Answers = {false};
        Leave(d, way);
        asked_first = messages.Questions;
        open_after_no = d->isVisible();
        shown_after_no = e.shown(d);
        if (open_after_no) Leave(d, way);  // and Yes this time
        open_at_end = d->isVisible();
        result = static_cast<QDialog *>(d)->result();
        if (open_at_end) static_cast<QDialog *>(d)->done(QDialog::Rejected);
    });
    ws.Click(e.button);

    QCOMPARE(opened, QString(e.dialog));
    QCOMPARE(asked_first, asks ? QStringList{Question} : QStringList{});
    QCOMPARE(open_after_no, asks);
    QCOMPARE(shown_after_no, shown);  // No keeps every edit
    QCOMPARE(messages.Questions.size(), asks ? 2 : 0);
    QVERIFY(!open_at_end);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(messages.Errors, QStringList());
    QCOMPARE(Files(ws.state.Files), before);
}

void Tst_Discard_Question::typing_still_open_in_a_cell_counts_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("receive") << "Btn_Receive_COB";
    QTest::newRow("transmit") << "Btn_Transmit_COB";
}

void Tst_Discard_Question::typing_still_open_in_a_cell_counts()
{
    // Text typed into a cell and not yet confirmed is the user's work as much as any other.
    QFETCH(QString, dialog);
    Test_Workspace ws;
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"), QStringLiteral("images/example"));
    const QMap<QString, QByteArray> before = Files(ws.state.Files);
    Message_Recorder messages;
    QString kept;
    When_Modal([&] {
        QWidget *d = Active_Modal();
        const QModelIndex cell = Cell(d, Receive_Col::CobID);
        Click_Cell(Grid(d), cell);
        QTest::keyClick(Grid(d), Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(Grid(d)->indexWidget(cell));
        if (!editor) return static_cast<QDialog *>(d)->done(QDialog::Rejected);
        QTest::keyClicks(editor, QStringLiteral("9"));
        messages.Answers = {false};
        d->close();
        kept = static_cast<Frame_List_Editor *>(d)->Grid_Model()->Cell(1, Receive_Col::CobID);
        d->close();
        if (d->isVisible()) static_cast<QDialog *>(d)->done(QDialog::Rejected);
    });
    ws.Click(dialog.toLatin1().constData());
    QCOMPARE(messages.Questions, QStringList(2, Question));
    QVERIFY2(kept.endsWith(u'9'), qPrintable(kept));
    QCOMPARE(Files(ws.state.Files), before);
}

QTEST_MAIN(Tst_Discard_Question)
#include "tst_discard_question.moc"
