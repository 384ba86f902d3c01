#include "dialogs/TFImport_Report.h"

#include "exchange/Csv_Lists.h"
#include "widgets/Mnemonics.h"
#include "workspace/App_State.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFImport_Report::TFImport_Report(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent)
    : QDialog(parent), state_(state), faults_(faults)
{
    setObjectName(QStringLiteral("TFImport_Report"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    L_Summary = new QLabel(this);
    L_Summary->setObjectName(QStringLiteral("L_Summary"));
    L_Summary->setWordWrap(true);
    layout->addWidget(L_Summary);
    // A long list scrolls; the lines can be selected and copied.
    M_Lines = new QPlainTextEdit(this);
    M_Lines->setObjectName(QStringLiteral("M_Lines"));
    M_Lines->setReadOnly(true);
    M_Lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(M_Lines, 1);
    auto *buttons = new QDialogButtonBox(this);
    Btn_Take_Good = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    Btn_Take_Good->setObjectName(QStringLiteral("Btn_Take_Good"));
    Btn_Take_None = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    Btn_Take_None->setObjectName(QStringLiteral("Btn_Take_None"));
    // Taking part of a sheet is a choice, never what Enter does by itself.
    Btn_Take_Good->setAutoDefault(false);
    Btn_Take_None->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, 320);
    Set_Lang();
}

void TFImport_Report::Set_Lang()
{
    setWindowTitle(state_.STR(STR_Csv_Report_Title));
    L_Summary->setText(state_.STR(STR_Csv_Bad_Lines).arg(faults_.size()));
    QStringList lines;
    for (const Csv_Fault &f : faults_) lines.append(state_.STR(STR_Csv_Line).arg(f.Line).arg(f.Reason));
    M_Lines->setPlainText(lines.join(u'\n'));
    Btn_Take_Good->setText(state_.STR(STR_Csv_Take_Good));
    Btn_Take_None->setText(state_.STR(STR_Csv_Take_None));
    Assign_Mnemonics(this);
}

bool TFImport_Report::Ask_Take_Good_Lines(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent)
{
    TFImport_Report report(state, faults, parent);
    return report.exec() == QDialog::Accepted;
}
