// The communication settings, the two frame lists and the new configuration dialog in each
// shipped language: every label, button, group title and column title shows its whole text, and
// in English the dialogs keep the places and sizes they were drawn with.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "Text_Fit.h"
#include "dialogs/Frame_List_Editor.h"
#include "dialogs/New_Configuration_Dialog.h"
#include "dialogs/Settings_Dialog.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Frame_Grid_Model.h"
#include "widgets/Mnemonics.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QtTest>

namespace {

struct Dialog_Case {
    const char *name;
    std::function<QDialog *(App_Windows &)> dialog;
};

const QList<Dialog_Case> &Dialogs()
{
    static const QList<Dialog_Case> dialogs{
        {"TFParGen", [](App_Windows &w) -> QDialog * { return w.Settings; }},
        {"TFReceiveCAN", [](App_Windows &w) -> QDialog * { return w.Receive_Frames; }},
        {"TFTransmitCAN", [](App_Windows &w) -> QDialog * { return w.Transmit_Frames; }},
        {"TFNew_Project", [](App_Windows &w) -> QDialog * { return w.New_Configuration; }},
    };
    return dialogs;
}

// Shows the dialog as the main window does, without running it.
void Show(QDialog *dialog)
{
    if (auto *settings = qobject_cast<Settings_Dialog *>(dialog)) QVERIFY(settings->FormShow());
    if (auto *frames = qobject_cast<Frame_List_Editor *>(dialog)) QVERIFY(frames->FormShow());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
}

}  // namespace

class Tst_Editor_Texts_Fit : public QObject {
    Q_OBJECT
private slots:
    void every_text_shows_whole_data();
    void every_text_shows_whole();
    void english_layout_is_unchanged();
};

void Tst_Editor_Texts_Fit::every_text_shows_whole_data()
{
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QString>("language");
    for (int i = 0; i < Dialogs().size(); ++i)
        for (const QString &language : Test_Workspace::Shipped_Languages())
            QTest::addRow("%s, %s", Dialogs()[i].name, qPrintable(language)) << i << language;
}

void Tst_Editor_Texts_Fit::every_text_shows_whole()
{
    QFETCH(int, dialog);
    QFETCH(QString, language);
    Test_Workspace ws;
    ws.Copy_Shipped_Languages();
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"));
    // From another language first: what a language change leaves behind must fit too.
    ws.Switch_Language(language == QStringLiteral("Français") ? QStringLiteral("Deutsch") : QStringLiteral("Français"));
    ws.Switch_Language(language);
    QDialog *d = Dialogs()[dialog].dialog(ws.window->Windows());
    Show(d);
    if (auto *frames = qobject_cast<Frame_List_Editor *>(d)) {
        // The longest reading of a Cob-ID, in the last row.
        Frame_Grid_Model *model = frames->Grid_Model();
        model->setData(model->index(Max_Frame_Entries - 1, Receive_Col::CobID), QStringLiteral("$1FFFFFFF"));
        model->setData(model->index(Max_Frame_Entries - 1, Receive_Col::Type), Frame_Type_29);
        frames->Grid_View()->setCurrentIndex(model->index(Max_Frame_Entries - 1, Receive_Col::Mnemonic));
        QVERIFY(!frames->findChild<QLabel *>(QStringLiteral("L_Device_Reads"))->text().isEmpty());
    }
    if (qobject_cast<Settings_Dialog *>(d)) QVERIFY(d->findChild<QLabel *>(QStringLiteral("L_Not_Stored"))->isVisible());
    const QStringList cut = Cut_Texts(d);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
    d->hide();
}

void Tst_Editor_Texts_Fit::english_layout_is_unchanged()
{
    Test_Workspace ws;
    ws.Copy_Shipped_Languages();
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"));
    ws.Switch_Language(QStringLiteral("Français"));
    ws.Switch_Language(QStringLiteral("English"));
    App_Windows &w = ws.window->Windows();

    Show(w.Settings);
    // As drawn, widened only where the title (with the configuration's name) needs it.
    QCOMPARE(w.Settings->width(), std::max(312, Title_Width_Need(w.Settings)));
    QCOMPARE(Get(w.Settings, "L_CAN_Baud")->geometry(), QRect(16, 24, 76, 18));
    QCOMPARE(Get(w.Settings, "CB_Baud_CAN")->geometry(), QRect(96, 20, 100, 24));
    QCOMPARE(Get(w.Settings, "L_ModTCPs_Port")->geometry(), QRect(16, 166, 76, 18));
    QCOMPARE(Get(w.Settings, "E_PORT")->geometry(), QRect(96, 164, 80, 22));
    QCOMPARE(Get(w.Settings, "L_ModTCPs_IP")->width(), 200);
    QCOMPARE(Get(w.Settings, "CB_ModTCPs_EN_GAT")->width(), 200);
    w.Settings->hide();

    for (QDialog *d : {static_cast<QDialog *>(w.Receive_Frames), static_cast<QDialog *>(w.Transmit_Frames)}) {
        Show(d);
        // As drawn, unless the row of buttons (with the imports) needs more room.
        QCOMPARE(d->size(), QSize(std::max(750, Get<QWidget>(d, "P_Button")->sizeHint().width()), 337));
        const QTableView *grid = Get<QTableView>(d, "sga");
        // The columns as drawn, or as wide as their title when the font needs more (a column
        // never grows for any other reason); the last column takes the rest.
        const QList<int> drawn = d == w.Receive_Frames ? QList<int>{40, 90, 90, 140, 90}
                                                   : QList<int>{40, 90, 90, 140, 80, 80, 90};
        QList<int> widths, expected;
        for (int c = 0; c < drawn.size(); ++c) {
            widths << grid->columnWidth(c);
            expected << std::max(drawn[c], grid->horizontalHeader()->sectionSizeHint(c));
        }
        QCOMPARE(widths, expected);
        d->hide();
    }
}

QTEST_MAIN(Tst_Editor_Texts_Fit)
#include "tst_editor_texts_fit.moc"
