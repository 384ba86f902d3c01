#include "dialogs/Import_Report_Window.h"

#include "exchange/Csv_Lists.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"
#include "workspace/App_State.h"
#include "widgets/Language_Change.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

Import_Report_Window::Import_Report_Window(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent)
    : QDialog(parent), state_(state), faults_(faults), choice_(true)
{
    Layout_Controls(true);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

Import_Report_Window::Import_Report_Window(App_State &state, const Import_Summary &summary, QWidget *parent)
    : QDialog(parent), state_(state), summary_(summary)
{
    Layout_Controls(false);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Import_Report_Window::Layout_Controls(bool choice)
{
    setObjectName(QStringLiteral("TFImport_Report"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    L_Summary = new QLabel(this);
    L_Summary->setObjectName(QStringLiteral("L_Summary"));
    L_Summary->setWordWrap(true);
    layout->addWidget(L_Summary);
    // A long list scrolls; the lines can be selected and copied. A long reason wraps at the
    // window's edge rather than running off it.
    M_Lines = new QPlainTextEdit(this);
    M_Lines->setObjectName(QStringLiteral("M_Lines"));
    M_Lines->setReadOnly(true);
    M_Lines->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // A path or a long name breaks where it must, rather than leaving the window sideways.
    M_Lines->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->addWidget(M_Lines, 1);
    auto *buttons = new QDialogButtonBox(this);
    if (choice) {
        Btn_Take_Good = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
        Btn_Take_Good->setObjectName(QStringLiteral("Btn_Take_Good"));
        Btn_Take_None = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
        Btn_Take_None->setObjectName(QStringLiteral("Btn_Take_None"));
        // Taking part of a sheet is a choice, never what Enter does by itself.
        Btn_Take_Good->setAutoDefault(false);
        Btn_Take_None->setDefault(true);
    } else {
        Btn_Close = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
        Btn_Close->setObjectName(QStringLiteral("Btn_Close"));
        Btn_Close->setDefault(true);
    }
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, 320);
}

void Import_Report_Window::Set_Lang()
{
    setWindowTitle(state_.STR(STR_Csv_Report_Title));
    const Import_Summary shown = choice_ ? Csv_Fault_Summary(state_.Lang_Table, faults_) : summary_;
    L_Summary->setText(shown.Summary);
    M_Lines->setPlainText(shown.Lines.join(u'\n'));
    if (choice_) {
        Btn_Take_Good->setText(state_.STR(STR_Csv_Take_Good));
        Btn_Take_None->setText(state_.STR(STR_Csv_Take_None));
    } else {
        Btn_Close->setText(state_.STR(STR_Import_Close));
    }
    Assign_Mnemonics(this);
    Fit_Title(this);
}

bool Import_Report_Window::Ask_Take_Good_Lines(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent)
{
    Import_Report_Window report(state, faults, parent);
    return report.exec() == QDialog::Accepted;
}

Import_Report_Window *Import_Report_Window::Show_Done(App_State &state, const Import_Summary &summary, QWidget *parent)
{
    auto *report = new Import_Report_Window(state, summary, parent);
    report->setAttribute(Qt::WA_DeleteOnClose);
    report->open();
    return report;
}
