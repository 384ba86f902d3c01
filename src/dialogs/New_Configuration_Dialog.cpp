#include "dialogs/New_Configuration_Dialog.h"

#include "widgets/Dialog_Panels.h"
#include "widgets/Font_Scale.h"
#include "workspace/Project_Folders.h"
#include "widgets/Message_Box.h"
#include "widgets/Mnemonics.h"
#include "widgets/Language_Change.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

New_Configuration_Dialog::New_Configuration_Dialog(App_State &state, QWidget *parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TFNew_Project"));
    FormCreate();
}

void New_Configuration_Dialog::FormCreate()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    L_Name = new QLabel(this);
    L_Name->setObjectName(QStringLiteral("Label1"));
    E_New_Proj = new QLineEdit(this);
    E_New_Proj->setObjectName(QStringLiteral("E_New_Proj"));
    L_Name->setBuddy(E_New_Proj);

    const Button_Panel buttons = Make_Button_Panel(this);
    P_Button = buttons.P_Button;
    Btn_OK = buttons.Btn_OK;
    Btn_Cancel = buttons.Btn_Cancel;
    // Enter in the name field is handled by the field itself; a default button would take the
    // same key a second time and try to create the configuration twice.
    Btn_OK->setAutoDefault(false);
    Btn_Cancel->setAutoDefault(false);

    QVBoxLayout *body = Stack_Dialog(this, P_Title, P_Button, false, 4);
    body->addWidget(L_Name);
    body->addWidget(E_New_Proj);

    connect(Btn_OK, &QPushButton::clicked, this, &New_Configuration_Dialog::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(E_New_Proj, &QLineEdit::returnPressed, this, &New_Configuration_Dialog::E_New_ProjKeyPress);

    L_SW_Code->setText(state_.SW_Code);
    design_size_ = Scaled(QSize(331, 162), Font_Scale(this));
    setFixedSize(design_size_);
    Center_On_Screen(this);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void New_Configuration_Dialog::Set_Lang()
{
    setWindowTitle(state_.STR(STR_New_Caption));
    L_SW_Desc->setText(state_.STR(STR_New_Desc));
    L_Name->setText(state_.STR(STR_New_Name_Label));
    E_New_Proj->setAccessibleName(state_.STR(STR_New_Name_Label));
    Btn_OK->setText(state_.STR(STR_New_OK));
    Btn_Cancel->setText(state_.STR(STR_New_Cancel));
    Assign_Mnemonics(this);
    Fit_Size();
}

void New_Configuration_Dialog::Fit_Size()
{
    // As large as drawn, as its texts need, and wide enough for the window manager to write the
    // whole title.
    QSize size = design_size_.expandedTo(minimumSizeHint());
    size.setWidth(std::max(size.width(), Title_Width_Need(this)));
    setFixedSize(size);
}

void New_Configuration_Dialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void New_Configuration_Dialog::FormShow()
{
    E_New_Proj->clear();
    E_New_Proj->setFocus();
}

void New_Configuration_Dialog::E_New_ProjKeyPress() { Btn_OKClick(); }

void New_Configuration_Dialog::Btn_OKClick()
{
    // The name is taken exactly as typed: blanks are part of a folder name, so one at either end
    // is refused rather than quietly removed.
    const QString name = E_New_Proj->text();
    const New_Project_Outcome outcome = Create_Project_Folder(state_.Dir_Projects, name);
    if (outcome.Result != New_Project_Result::Created) {
        Message_Box::Error(this, New_Project_Message(state_.Lang_Table, outcome));
        return;
    }
    state_.Project_Name = name;
    state_.Dir_Project = Configuration_Folder(state_.Dir_Projects, name);
    Set_Files(state_);
    accept();
}
