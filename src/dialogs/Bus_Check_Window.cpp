#include "dialogs/Bus_Check_Window.h"

#include "config/Project_Paths.h"
#include "dialogs/Bus_Recorder.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Message_Box.h"
#include "widgets/Mnemonics.h"
#include "widgets/Language_Change.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// The columns of Make_Findings_Table.
enum Column { Col_Finding, Col_Frame, Col_Detail };
}

Bus_Check_Window::Bus_Check_Window(App_State &state, QWidget *parent) : QDialog(parent), state_(state)
{
    setObjectName(QStringLiteral("TFBus_Check"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(860, 460);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    L_Log = new QLabel(this);
    L_Log->setObjectName(QStringLiteral("L_Log"));
    E_Log = new QLineEdit(this);
    E_Log->setObjectName(QStringLiteral("E_Log"));
    L_Log->setBuddy(E_Log);
    Btn_Browse = new QPushButton(this);
    Btn_Browse->setObjectName(QStringLiteral("Btn_Browse"));
    L_Interface = new QLabel(this);
    L_Interface->setObjectName(QStringLiteral("L_Interface"));
    CB_Interface = new QComboBox(this);
    CB_Interface->setObjectName(QStringLiteral("CB_Interface"));
    CB_Interface->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    L_Interface->setBuddy(CB_Interface);
    Btn_Run = new QPushButton(this);
    Btn_Run->setObjectName(QStringLiteral("Btn_Run"));
    auto *source = new QHBoxLayout;
    source->addWidget(L_Log);
    source->addWidget(E_Log, 1);
    source->addWidget(Btn_Browse);
    source->addWidget(L_Interface);
    source->addWidget(CB_Interface);
    source->addWidget(Btn_Run);
    L_Interface->hide();
    CB_Interface->hide();
    P_Record = new Bus_Recorder(state_, this);

    L_Summary = new QLabel(this);
    L_Summary->setObjectName(QStringLiteral("L_Summary"));
    L_Summary->setWordWrap(true);
    TB_Findings = Make_Findings_Table(this);

    const Button_Panel buttons = Make_Button_Panel(this);
    P_Button = buttons.P_Button;
    // One button closes the window: nothing is written here.
    buttons.Btn_OK->hide();
    Btn_Close = buttons.Btn_Cancel;
    Btn_Close->setObjectName(QStringLiteral("Btn_Close"));
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(Btn_Browse, &QPushButton::clicked, this, &Bus_Check_Window::Btn_BrowseClick);
    connect(Btn_Run, &QPushButton::clicked, this, &Bus_Check_Window::Btn_RunClick);
    connect(E_Log, &QLineEdit::returnPressed, this, &Bus_Check_Window::Btn_RunClick);
    connect(E_Log, &QLineEdit::textEdited, this, [this] {
        // Another log: its interfaces are not known yet.
        CB_Interface->clear();
        L_Interface->hide();
        CB_Interface->hide();
    });
    connect(CB_Interface, &QComboBox::activated, this, &Bus_Check_Window::Btn_RunClick);
    // A recording is surveyed as soon as it is written; while it runs, the log row waits.
    connect(P_Record, &Bus_Recorder::Running_Changed, this, [this](bool running, const QString &status) {
        for (QWidget *w : {static_cast<QWidget *>(E_Log), static_cast<QWidget *>(Btn_Browse), static_cast<QWidget *>(Btn_Run)})
            w->setEnabled(!running);
        if (running)
            L_Summary->setText(status);
        else
            Set_Lang();
    });
    connect(P_Record, &Bus_Recorder::Recorded, this, [this](const QString &path) {
        E_Log->setText(QDir::toNativeSeparators(path));
        CB_Interface->clear();
        L_Interface->hide();
        CB_Interface->hide();
        Btn_RunClick();
    });
    connect(P_Record, &Bus_Recorder::Failed, this,
            [this](const QString &why) { Message_Box::Error(this, state_.STR(STR_Bus_Record_Failed).arg(why)); });
    connect(E_Log, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!text.trimmed().isEmpty()) P_Record->Log_Folder = QFileInfo(QDir::fromNativeSeparators(text.trimmed())).path();
    });

    Ask_Log_Path = [this] {
        return QFileDialog::getOpenFileName(this, state_.STR(STR_Bus_Check), QFileInfo(E_Log->text()).path(),
                                            state_.STR(STR_Bus_Log_Filter) + QStringLiteral(";;*"));
    };

    QVBoxLayout *body = Stack_Dialog(this, P_Title, P_Button, true);
    body->addLayout(source);
    body->addWidget(P_Record);
    body->addWidget(L_Summary);
    body->addWidget(TB_Findings, 1);

    // Enter in the log or bus field does that field's job only: no button of the window is a
    // default one that Enter would press as well (it used to open the file chooser after a
    // survey).
    for (QPushButton *b : findChildren<QPushButton *>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    Center_On_Screen(this);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Bus_Check_Window::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(STR_Bus_Check));
    L_SW_Desc->setText(s.STR(STR_Bus_Check));
    L_Log->setText(s.STR(STR_Bus_Log));
    E_Log->setAccessibleName(s.STR(STR_Bus_Log));
    Btn_Browse->setText(s.STR(STR_Bus_Browse));
    L_Interface->setText(s.STR(STR_Bus_Interface));
    CB_Interface->setAccessibleName(s.STR(STR_Bus_Interface));
    Btn_Run->setText(s.STR(STR_Bus_Run));
    P_Record->Set_Lang();
    TB_Findings->setHorizontalHeaderLabels(
        {s.STR(STR_Check_Col_Finding), s.STR(STR_Bus_Col_Frame), s.STR(STR_Bus_Col_Detail)});
    TB_Findings->setAccessibleName(s.STR(STR_Bus_Check_Desc));
    Btn_Close->setText(s.STR(STR_Import_Close));
    if (!surveyed_) {
        L_Summary->setText(s.STR(STR_Bus_Check_Desc));
    } else {
        // The findings keep the words of the language they were made in; the count follows.
        const Check_Summary sum = Summarize(findings_);
        L_Summary->setText(s.STR(STR_Bus_Summary).arg(sum.Errors).arg(sum.Warnings).arg(sum.Infos));
    }
    Assign_Mnemonics(this);
    Fit_Title(this);
}

void Bus_Check_Window::FormShow()
{
    findings_.clear();
    surveyed_ = false;
    TB_Findings->setRowCount(0);
    Set_Lang();
}

void Bus_Check_Window::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    E_Log->setFocus();
}

void Bus_Check_Window::Btn_BrowseClick()
{
    const QString path = Ask_Log_Path ? Ask_Log_Path() : QString();
    if (path.isEmpty()) return;
    E_Log->setText(QDir::toNativeSeparators(path));
    CB_Interface->clear();
    L_Interface->hide();
    CB_Interface->hide();
    Btn_RunClick();
}

void Bus_Check_Window::Btn_RunClick()
{
    const QString log = QDir::fromNativeSeparators(E_Log->text().trimmed());
    if (log.isEmpty()) {
        Btn_BrowseClick();
        return;
    }
    const QByteArray channel = CB_Interface->isVisible() ? CB_Interface->currentText().toUtf8() : QByteArray();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::unique_ptr<Log_Survey> survey = Survey_Log(Project_Paths_In(state_.Dir_Project), log, channel);
    QApplication::restoreOverrideCursor();
    if (!survey->Config_Error.isEmpty()) return Message_Box::Error(this, state_.STR(STR_Bus_Config_Not_Read).arg(survey->Config_Error));
    if (!survey->Log_Error.isEmpty()) return Message_Box::Error(this, state_.STR(STR_Bus_Not_Read).arg(survey->Log_Error));
    // A log of several interfaces: the engineer says which bus is the converter's.
    const QList<QByteArray> &channels = survey->Traffic.Channels();
    if (channels.size() > 1 && CB_Interface->count() == 0) {
        for (const QByteArray &c : channels) CB_Interface->addItem(QString::fromUtf8(c));
        L_Interface->show();
        CB_Interface->show();
    }
    findings_ = survey->Findings;
    surveyed_ = true;
    Show_Findings();
    Set_Lang();
}

void Bus_Check_Window::Show_Findings()
{
    TB_Findings->setRowCount(0);
    const QStyle::StandardPixmap icons[] = {QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxWarning,
                                            QStyle::SP_MessageBoxInformation};
    for (const Survey_Finding &f : findings_) {
        const int row = TB_Findings->rowCount();
        TB_Findings->insertRow(row);
        auto *finding = new QTableWidgetItem(style()->standardIcon(icons[int(f.Severity)]), f.Message);
        finding->setToolTip(f.Code);
        finding->setData(Qt::UserRole, f.Code);
        QString where = QFileInfo(f.File).fileName();
        if (f.Row > 0) where += QLatin1Char(':') + QString::number(f.Row);
        auto *detail = new QTableWidgetItem(where);
        detail->setToolTip(QDir::toNativeSeparators(f.File));
        TB_Findings->setItem(row, Col_Finding, finding);
        TB_Findings->setItem(row, Col_Frame, new QTableWidgetItem(f.Frame));
        TB_Findings->setItem(row, Col_Detail, detail);
    }
}
