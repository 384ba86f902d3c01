#include "dialogs/TFBootTCP.h"

#include "platform/Shell.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Message_Box.h"
#include "widgets/Octet_Row.h"
#include "update/Device_Address.h"
#include "update/Ping_Run.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {
const QString Device_Model = QStringLiteral(" QGW3310");
const QString Dialog_Desc = QStringLiteral("Update Device from Ethernet (UDP)");

// Rows of the two phases; the options take the place of the address controls.
constexpr int Margin = 8;
constexpr int Prompt_Y = 60;
constexpr int Fields_Y = 80;
constexpr int Field_W = 44;
constexpr int Dot_W = 10;
constexpr int Ping_Label_Y = 114;
constexpr int Ping_Row_Y = 134;
constexpr int Buttons_Y = 196;
}  // namespace

TFBootTCP::TFBootTCP(App_State &state, Environment &env, QWidget *parent)
    : QDialog(parent), state_(state), env_(env)
{
    setObjectName(QStringLiteral("TFBootTCP"));
    Layout_Controls();
    // FormCreate: the software code, everything to be written, the texts.
    L_SW_Code->setText(state_.SW_Code);
    for (QCheckBox *box : {CB_Firmware, CB_Read_Firm, CB_Conf, CB_Read_Conf}) box->setChecked(true);
    Set_Lang();
}

void TFBootTCP::Layout_Controls()
{
    setFixedSize(350, 233);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto label = [this](const char *name, int x, int y, int w, int h) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(x, y, w, h);
        return l;
    };
    auto button = [this](const char *name, int x, int y, int w) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(x, y, w, 28);
        b->setAutoDefault(false);
        return b;
    };

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    title.P_Title->setGeometry(0, 0, width(), Prompt_Y - 6);
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;
    L_SW_Desc->setText(Dialog_Desc);

    // Address phase.
    L_IP_Address = label("L_IP_Address", Margin, Prompt_Y, 334, 16);
    Row_IP = new Octet_Row(QStringLiteral("E_IP"), Field_W, Dot_W, this);
    Row_IP->move(Margin, Fields_Y);
    Row_IP->Set_Texts({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    Row_IP->Set_Accessible_Names(QStringLiteral("IP address, part"));
    for (QLineEdit *e : Row_IP->Parts()) e->setAlignment(Qt::AlignCenter);
    E_IP1 = Row_IP->Part(0);
    E_IP2 = Row_IP->Part(1);
    E_IP3 = Row_IP->Part(2);
    E_IP4 = Row_IP->Part(3);
    connect(Row_IP, &Octet_Row::Edited, this, &TFBootTCP::Address_Edited);

    L_Ping = label("L_Ping", Margin, Ping_Label_Y, 334, 16);
    Btn_Ping = button("Btn_Ping", Margin, Ping_Row_Y, 90);
    LPing = label("LPing", Margin + 100, Ping_Row_Y, 234, 28);
    LPing->setAccessibleName(QStringLiteral("Ping result"));
    QFont bold = LPing->font();
    bold.setBold(true);
    LPing->setFont(bold);
    Btn_Cancel = button("Btn_Cancel", 170, Buttons_Y, 80);
    Btn_Next = button("Btn_Next", 262, Buttons_Y, 80);

    // Options phase, in the same area.
    L_Options = label("L_Options", Margin, Prompt_Y, 334, 16);
    QFont heading = L_Options->font();
    heading.setBold(true);
    L_Options->setFont(heading);
    auto check = [this](const char *name, int x, int y) {
        auto *c = new QCheckBox(this);
        c->setObjectName(QLatin1String(name));
        c->setGeometry(x, y, 342 - x, 20);
        return c;
    };
    CB_Firmware = check("CB_Firmware", Margin, 82);
    CB_Read_Firm = check("CB_Read_Firm", Margin + 20, 102);
    CB_Conf = check("CB_Conf", Margin, 128);
    CB_Read_Conf = check("CB_Read_Conf", Margin + 20, 148);
    Btn_Update = button("Btn_Update", 142, Buttons_Y, 200);

    connect(Btn_Ping, &QPushButton::clicked, this, &TFBootTCP::LbButton1Click);
    connect(Btn_Next, &QPushButton::clicked, this, &TFBootTCP::LbButton2Click);
    connect(Btn_Update, &QPushButton::clicked, this, &TFBootTCP::LbButton4Click);
    connect(Btn_Cancel, &QPushButton::clicked, this, &TFBootTCP::reject);

    Show_Address_Phase();
}

void TFBootTCP::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(57));
    L_Ping->setText(s.STR(59));
    Btn_Ping->setText(s.STR(60));
    Btn_Cancel->setText(s.STR(61));
    Btn_Next->setText(s.STR(62));
    L_Options->setText(s.STR(63));
    CB_Firmware->setText(s.STR(64));
    CB_Read_Firm->setText(s.STR(65));
    CB_Conf->setText(s.STR(66));
    CB_Read_Conf->setText(s.STR(67));
    Btn_Update->setText(s.STR(68));
}

void TFBootTCP::showEvent(QShowEvent *event)
{
    // Only our own showing; a window system's restore is no new opening.
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TFBootTCP::FormShow()
{
    Show_Address_Phase();
    QString ip1, ip2, ip3, ip4;
    if (!state_.Device_IP.isEmpty() && Valid_IP(state_.Device_IP, ip1, ip2, ip3, ip4))
        Row_IP->Set_Texts({ip1, ip2, ip3, ip4});
    L_IP_Address->setText(state_.STR(58) + Device_Model);
    Esegui_Ping = false;
    E_IP1->setFocus();
}

QList<QWidget *> TFBootTCP::Address_Controls() const
{
    return {L_IP_Address, Row_IP, L_Ping, Btn_Ping, LPing, Btn_Cancel, Btn_Next};
}

QList<QWidget *> TFBootTCP::Option_Controls() const
{
    return {L_Options, CB_Firmware, CB_Read_Firm, CB_Conf, CB_Read_Conf, Btn_Update};
}

void TFBootTCP::Show_Address_Phase()
{
    LPing->clear();
    for (QWidget *w : Option_Controls()) w->setVisible(false);
    for (QWidget *w : Address_Controls()) w->setVisible(true);
}

void TFBootTCP::Show_Options_Phase()
{
    for (QWidget *w : Address_Controls()) w->setVisible(false);
    for (QWidget *w : Option_Controls()) w->setVisible(true);
    Btn_Update->setFocus();
}

QString TFBootTCP::Address_Text() const
{
    const QStringList parts = Row_IP->Texts();
    return Join_IP(parts[0], parts[1], parts[2], parts[3]);
}

void TFBootTCP::Address_Edited()
{
    // The address that goes into the job must be the one that answered: a changed field
    // needs a new ping.
    if (Esegui_Ping) {
        Esegui_Ping = false;
        LPing->clear();
    }
}

void TFBootTCP::Set_Running(bool running)
{
    running_ = running;
    // The run handles window events while it waits, so the buttons that would start another
    // run, leave the address phase or close the dialog wait for it, and the address stays
    // the one being pinged.
    for (QPushButton *b : {Btn_Ping, Btn_Next, Btn_Cancel}) b->setEnabled(!running);
    Row_IP->Set_Read_Only(running);
    if (running)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TFBootTCP::Show_Ping_Status(const QString &text, const QColor &color)
{
    QPalette palette = LPing->palette();
    palette.setColor(QPalette::WindowText, color);
    LPing->setPalette(palette);
    LPing->setText(text);
}

void TFBootTCP::LbButton1Click()
{
    if (running_) return;
    Esegui_Ping = false;
    LPing->clear();
    if (!env_.icmp || !env_.clock) {
        Show_Ping_Status(state_.STR(71), Qt::red);
        return;
    }
    Set_Running(true);
    const Ping_Run_Result result =
        Run_Ping(*env_.icmp, *env_.clock, Address_Text(), [] { QCoreApplication::processEvents(); });
    Set_Running(false);

    switch (result.outcome) {
    case Ping_Run_Result::Outcome::Found:
        Show_Ping_Status(state_.STR(69), QColor(0, 128, 0));
        Esegui_Ping = true;
        break;
    case Ping_Run_Result::Outcome::Not_Found:
        Show_Ping_Status(state_.STR(70), Qt::red);
        break;
    case Ping_Run_Result::Outcome::Error:
        Show_Ping_Status(state_.STR(71), Qt::red);
        LPing->setToolTip(result.error);
        return;
    }
    LPing->setToolTip(QString());
}

void TFBootTCP::LbButton2Click()
{
    if (running_) return;
    if (!Esegui_Ping) {
        Message_Box::Error(this, state_.STR(72));
        return;
    }
    Show_Options_Phase();
    state_.Device_IP = Address_Text();
}

Update_Options TFBootTCP::Options() const
{
    Update_Options options;
    options.Firmware = CB_Firmware->isChecked();
    options.Read_Firm = CB_Read_Firm->isChecked();
    options.Conf = CB_Conf->isChecked();
    options.Read_Conf = CB_Read_Conf->isChecked();
    return options;
}

void TFBootTCP::Compile_XML_Parameter()
{
    XML1 = Build_Update_Job(Address_Text(), Options(), {state_.Dir_Master, state_.Dir_Project});
    XML1.Save(Update_Job_Path(state_.Dir_Exe));
}

void TFBootTCP::LbButton4Click()
{
    try {
        Compile_XML_Parameter();
    } catch (const Xml_Error &e) {
        // Without its job the updater would work from a stale file or none: it is not started.
        Message_Box::Error(this, state_.STR(STR_Update_Job_Not_Written) + u'\n' + e.Text());
        return;
    }
    if (env_.shell && env_.clock)
        Start_Program(*env_.shell, *env_.clock, Updater_Path(state_.Dir_Exe), QString(), false);
}

void TFBootTCP::reject()
{
    // Escape and the close box count as Cancel, which waits for a running ping.
    if (running_) return;
    QDialog::reject();
}

void TFBootTCP::closeEvent(QCloseEvent *event)
{
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
