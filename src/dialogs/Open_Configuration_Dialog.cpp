#include "dialogs/Open_Configuration_Dialog.h"

#include "widgets/Dialog_Panels.h"
#include "widgets/Font_Scale.h"
#include "widgets/Mnemonics.h"
#include "workspace/Project_Folders.h"
#include "widgets/Language_Change.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Open_Configuration_Dialog::Open_Configuration_Dialog(App_State &state, QWidget *parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TFOpenConf"));
    FormCreate();
}

void Open_Configuration_Dialog::FormCreate()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    L_List = new QLabel(this);
    L_List->setObjectName(QStringLiteral("Label1"));
    LB_Configurations = new QListWidget(this);
    LB_Configurations->setObjectName(QStringLiteral("ListBox1"));
    LB_Configurations->setSelectionMode(QAbstractItemView::SingleSelection);
    LB_Configurations->setSortingEnabled(false);
    L_List->setBuddy(LB_Configurations);

    const Button_Panel buttons = Make_Button_Panel(this);
    P_Button = buttons.P_Button;
    Btn_OK = buttons.Btn_OK;
    Btn_Cancel = buttons.Btn_Cancel;
    // Enter anywhere in the dialog, the list included, means OK.
    Btn_OK->setDefault(true);

    // The list takes every pixel the window gains or loses.
    QVBoxLayout *body = Stack_Dialog(this, P_Title, P_Button, true);
    body->addWidget(L_List);
    body->addWidget(LB_Configurations, 1);

    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    // A selection by mouse or keyboard; a cleared list reports -1 and changes nothing.
    connect(LB_Configurations, &QListWidget::currentRowChanged, this, &Open_Configuration_Dialog::Configuration_Chosen);
    // A double click on a configuration opens it at once.
    connect(LB_Configurations, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    L_SW_Code->setText(state_.SW_Code);
    const double k = Font_Scale(this);
    design_minimum_ = Scaled(QSize(260, 220), k);
    setMinimumSize(design_minimum_);
    resize(Scaled(QSize(377, 351), k));
    Center_On_Screen(this);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Open_Configuration_Dialog::Set_Lang()
{
    setWindowTitle(state_.STR(STR_Open_Caption));
    L_SW_Desc->setText(state_.STR(STR_Open_Desc));
    L_List->setText(state_.STR(STR_Open_List_Label));
    LB_Configurations->setAccessibleName(state_.STR(STR_Open_List_Label));
    Btn_OK->setText(state_.STR(STR_Open_OK));
    Btn_Cancel->setText(state_.STR(STR_Open_Cancel));
    Assign_Mnemonics(this);
    Fit_Size();
}

void Open_Configuration_Dialog::Fit_Size()
{
    setMinimumSize(design_minimum_.expandedTo(layout()->totalMinimumSize()));
    resize(size().expandedTo(minimumSize()));
}

void Open_Configuration_Dialog::Load_Existing_Configuration() { SL_ = List_Configurations(state_.Dir_Projects); }

int Open_Configuration_Dialog::Search_Open_Conf(const QString &snc) const { return Search_Configuration(SL_, snc); }

void Open_Configuration_Dialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Open_Configuration_Dialog::FormShow()
{
    Load_Existing_Configuration();
    LB_Configurations->clear();
    LB_Configurations->addItems(SL_);

    const QString open_name = Open_Configuration_Name(state_.Dir_Projects, state_.Dir_Project);
    const int line = Preselected_Line(SL_, open_name);
    if (line != -1) {
        LB_Configurations->setCurrentRow(line);
        Name_Conf_ = SL_.at(line);
    } else {
        // Nothing to choose: OK then opens nothing rather than a name from an earlier showing
        // whose folder is gone.
        Name_Conf_.clear();
    }
    LB_Configurations->setFocus();
}

void Open_Configuration_Dialog::Configuration_Chosen(int row)
{
    if (row >= 0) Name_Conf_ = LB_Configurations->item(row)->text();
}
