#include "dialogs/Check_Window.h"

#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"
#include "widgets/Language_Change.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// The columns of Make_Findings_Table.
enum Column { Col_Finding, Col_File, Col_Row };
}

Check_Window::Check_Window(App_State &state, QWidget *parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TFCheck"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(760, 360);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    L_Findings = new QLabel(this);
    L_Findings->setObjectName(QStringLiteral("L_Findings"));
    L_Findings->setWordWrap(true);
    TB_Findings = Make_Findings_Table(this);
    L_Findings->setBuddy(TB_Findings);

    const Button_Panel buttons = Make_Button_Panel(this);
    P_Button = buttons.P_Button;
    Btn_Go_On = buttons.Btn_OK;
    Btn_Go_On->setObjectName(QStringLiteral("Btn_Go_On"));
    Btn_Go_Back = buttons.Btn_Cancel;
    Btn_Go_Back->setObjectName(QStringLiteral("Btn_Go_Back"));
    // Going back is the safe answer, so it is the one Enter and Escape give.
    Btn_Go_Back->setDefault(true);
    connect(Btn_Go_On, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_Go_Back, &QPushButton::clicked, this, &QDialog::reject);

    QVBoxLayout *body = Stack_Dialog(this, P_Title, P_Button, true);
    body->addWidget(L_Findings);
    body->addWidget(TB_Findings, 1);

    Center_On_Screen(this);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Check_Window::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(STR_Check_Caption));
    L_SW_Desc->setText(s.STR(STR_Check_Caption));
    L_Findings->setText(s.STR(STR_Check_Desc));
    TB_Findings->setHorizontalHeaderLabels(
        {s.STR(STR_Check_Col_Finding), s.STR(STR_Check_Col_File), s.STR(STR_Check_Col_Row)});
    TB_Findings->setAccessibleName(s.STR(STR_Check_Desc));
    Btn_Go_On->setText(s.STR(STR_Check_Go_On));
    Btn_Go_Back->setText(s.STR(STR_Check_Go_Back));
    Assign_Mnemonics(this);
    Fit_Title(this);
}

void Check_Window::Show_Findings(const QList<Check_Finding> &findings)
{
    TB_Findings->setRowCount(0);
    for (const Check_Finding &f : findings) {
        if (f.Severity != Check_Severity::Warning) continue;
        const int row = TB_Findings->rowCount();
        TB_Findings->insertRow(row);
        auto *file = new QTableWidgetItem(QFileInfo(f.File).fileName());
        file->setToolTip(f.File);
        TB_Findings->setItem(row, Col_Finding, new QTableWidgetItem(f.Message));
        TB_Findings->setItem(row, Col_File, file);
        TB_Findings->setItem(row, Col_Row, new QTableWidgetItem(f.Row > 0 ? QString::number(f.Row) : QString()));
    }
    Btn_Go_Back->setFocus();
}
