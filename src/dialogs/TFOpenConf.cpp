#include "dialogs/TFOpenConf.h"

#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"
#include "workspace/Project_Folders.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFOpenConf::TFOpenConf(App_State &state, QWidget *parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TFOpenConf"));
    FormCreate();
}

void TFOpenConf::FormCreate()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setSortingEnabled(false);
    Label1->setBuddy(ListBox1);

    const Button_Panel buttons = Make_Button_Panel(this);
    P_Button = buttons.P_Button;
    Btn_OK = buttons.Btn_OK;
    Btn_Cancel = buttons.Btn_Cancel;
    // Enter anywhere in the dialog, the list included, means OK.
    Btn_OK->setDefault(true);

    // The list takes every pixel the window gains or loses.
    QVBoxLayout *body = Stack_Dialog(this, P_Title, P_Button, true);
    body->addWidget(Label1);
    body->addWidget(ListBox1, 1);

    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    // A selection by mouse or keyboard; a cleared list reports -1 and changes nothing.
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TFOpenConf::ListBox1Click);
    // A double click on a configuration opens it at once.
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    L_SW_Code->setText(state_.SW_Code);
    setMinimumSize(260, 220);
    resize(377, 351);
    Center_On_Screen(this);
    Set_Lang();
}

void TFOpenConf::Set_Lang()
{
    setWindowTitle(state_.STR(33));
    L_SW_Desc->setText(state_.STR(34));
    Label1->setText(state_.STR(35));
    ListBox1->setAccessibleName(state_.STR(35));
    Btn_OK->setText(state_.STR(36));
    Btn_Cancel->setText(state_.STR(37));
    Assign_Mnemonics(this);
}

void TFOpenConf::Load_Existing_Configuration() { SL_ = List_Configurations(state_.Dir_Projects); }

int TFOpenConf::Search_Open_Conf(const QString &snc) const { return Search_Configuration(SL_, snc); }

void TFOpenConf::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TFOpenConf::FormShow()
{
    Load_Existing_Configuration();
    ListBox1->clear();
    ListBox1->addItems(SL_);

    const QString open_name = Open_Configuration_Name(state_.Dir_Projects, state_.Dir_Project);
    const int line = Preselected_Line(SL_, open_name);
    if (line != -1) {
        ListBox1->setCurrentRow(line);
        Name_Conf_ = SL_.at(line);
    } else {
        // Nothing to choose: OK then opens nothing rather than a name from an earlier showing
        // whose folder is gone.
        Name_Conf_.clear();
    }
    ListBox1->setFocus();
}

void TFOpenConf::ListBox1Click(int row)
{
    if (row >= 0) Name_Conf_ = ListBox1->item(row)->text();
}
