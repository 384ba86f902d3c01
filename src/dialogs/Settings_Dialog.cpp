#include "dialogs/Settings_Dialog.h"

#include "config/Device_Records.h"

#include "widgets/Storable_Edit.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Font_Scale.h"
#include "config/Project_Files.h"
#include "editing/Par_Gen_Check.h"
#include "widgets/Message_Box.h"
#include "widgets/Mnemonics.h"
#include "widgets/Octet_Row.h"
#include "platform/Xml_Document.h"
#include "widgets/Language_Change.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

namespace {

// Geometry of the window's client area.
constexpr int Client_W = 312;
constexpr int Box_X = 8;
constexpr int Box_W = Client_W - 2 * Box_X;
constexpr int CAN_Top = 70;
constexpr int CAN_H = 52;
constexpr int Box_Gap = 6;
constexpr int Modbus_Top = CAN_Top + CAN_H + Box_Gap;
constexpr int Modbus_H = 196;
constexpr int Modbus_Bottom = Modbus_Top + Modbus_H;
constexpr int Buttons_Gap = 13;
constexpr int Client_H = Modbus_Bottom + 54;
constexpr int Title_H = 60;
// Margins of the shared button row.
constexpr int Button_Panel_Top_Margin = 6;
constexpr int Button_Panel_Bottom_Margin = 8;

// Octet rows inside the Modbus box.
constexpr int Octet_X = 16;
constexpr int Octet_W = 48;
constexpr int Octet_Dot_W = 14;
constexpr int Octet_H = 22;
constexpr int Row_Label_Y[3] = {18, 64, 110};
constexpr int Row_Edit_Y[3] = {38, 84, 132};
constexpr int Port_Y = 164;

// A label beside its field: the field starts Field_X in, or further right when the label's text
// needs more room.
constexpr int Side_Label_X = 16;
constexpr int Side_Label_W = 76;
constexpr int Field_X = 96;
constexpr int Field_Gap = 4;
constexpr int Heading_W = 200;
constexpr int Label_H = 18;

}  // namespace

Settings_Dialog::Settings_Dialog(App_State &state, QWidget *parent) : Editor_Dialog(state, parent), state_(state)
{
    FormCreate();
}

void Settings_Dialog::FormCreate()
{
    setObjectName(QStringLiteral("TFParGen"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // Drawn for the usual font; a larger one enlarges the drawing alike.
    k_ = Font_Scale(this);
    setFixedSize(px(Client_W), px(Client_H));

    auto label = [this](QWidget *parent, const char *name, int x, int y, int w) {
        auto *l = new QLabel(parent);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(px(x), px(y), px(w), px(18));
        return l;
    };

    // The title band shared by the configuration dialogs, above the first group box.
    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;
    title.P_Title->setGeometry(0, 0, px(Client_W), px(Title_H));

    // Created in tab order: baud rate, IP, mask, gateway, port, OK, Cancel.
    GB_CAN = new QGroupBox(this);
    GB_CAN->setObjectName(QStringLiteral("GB_CAN"));
    GB_CAN->setGeometry(px(Box_X), px(CAN_Top), px(Box_W), px(CAN_H));
    L_CAN_Baud = label(GB_CAN, "L_CAN_Baud", 16, 24, 76);
    CB_Baud_CAN = new QComboBox(GB_CAN);
    CB_Baud_CAN->setObjectName(QStringLiteral("CB_Baud_CAN"));
    CB_Baud_CAN->setEditable(false);
    CB_Baud_CAN->setGeometry(px(96), px(20), px(100), px(24));
    for (const Baud_Rate &rate : Baud_Rates) CB_Baud_CAN->addItem(QLatin1String(rate.Label));

    GB_Modbus_TCP_Slave = new QGroupBox(this);
    GB_Modbus_TCP_Slave->setObjectName(QStringLiteral("GB_Modbus_TCP_Slave"));
    GB_Modbus_TCP_Slave->setGeometry(px(Box_X), px(Modbus_Top), px(Box_W), px(Modbus_H));

    auto octet_row = [this](QWidget *heading, QLineEdit **edits, const char *prefix, int row) {
        heading->move(px(Octet_X), px(Row_Label_Y[row]));
        auto *octets = new Octet_Row(QLatin1String(prefix), px(Octet_W), px(Octet_Dot_W), GB_Modbus_TCP_Slave, px(Octet_H));
        octets->move(px(Octet_X), px(Row_Edit_Y[row]));
        for (int i = 0; i < 4; ++i) edits[i] = octets->Part(i);
        return octets;
    };
    L_ModTCPs_IP = label(GB_Modbus_TCP_Slave, "L_ModTCPs_IP", 0, 0, 200);
    Octet_Row *ip = octet_row(L_ModTCPs_IP, E_IP, "E_IP", 0);
    L_ModTCPs_SM = label(GB_Modbus_TCP_Slave, "L_ModTCPs_SM", 0, 0, 200);
    Octet_Row *sm = octet_row(L_ModTCPs_SM, E_SM, "E_SM", 1);
    CB_ModTCPs_EN_GAT = new QCheckBox(GB_Modbus_TCP_Slave);
    CB_ModTCPs_EN_GAT->setObjectName(QStringLiteral("CB_ModTCPs_EN_GAT"));
    CB_ModTCPs_EN_GAT->resize(px(200), px(22));
    Octet_Row *gat = octet_row(CB_ModTCPs_EN_GAT, E_GAT, "E_GAT", 2);
    CB_ModTCPs_EN_GAT->move(px(Octet_X - 2), px(Row_Label_Y[2] - 2));
    // A "." runs on through the three addresses and is swallowed after the last gateway part.
    ip->Set_Next(sm);
    sm->Set_Next(gat);
    gat->Set_Swallow_Last_Dot(true);

    L_ModTCPs_Port = label(GB_Modbus_TCP_Slave, "L_ModTCPs_Port", Octet_X, Port_Y + 2, 76);
    E_PORT = new QLineEdit(GB_Modbus_TCP_Slave);
    E_PORT->setObjectName(QStringLiteral("E_PORT"));
    E_PORT->setGeometry(px(96), px(Port_Y), px(80), px(Octet_H));

    // The shared OK / Cancel row. Its buttons fill the row between its margins, so they stand
    // exactly Buttons_Gap below the Modbus box.
    // Below the settings, above OK: not to be missed before the choice is made.
    L_Not_Stored = new QLabel(this);
    L_Not_Stored->setObjectName(QStringLiteral("L_Not_Stored"));
    L_Not_Stored->setWordWrap(true);
    L_Not_Stored->setTextFormat(Qt::PlainText);
    L_Not_Stored->setStyleSheet(QStringLiteral("font-weight: bold;"));
    L_Not_Stored->hide();

    const Button_Panel panel = Make_Button_Panel(this);
    P_Button = panel.P_Button;
    Btn_OK = panel.Btn_OK;
    Btn_Cancel = panel.Btn_Cancel;
    const int row_top = px(Modbus_Bottom + Buttons_Gap) - Button_Panel_Top_Margin;
    panel.P_Button->setGeometry(0, row_top, px(Client_W), px(Client_H) - row_top);
    for (QPushButton *b : {Btn_OK, Btn_Cancel})
        b->setFixedHeight(px(Client_H) - row_top - Button_Panel_Top_Margin - Button_Panel_Bottom_Margin);
    Btn_OK->setDefault(true);

    // Alt+letter on a heading goes to its first field.
    L_CAN_Baud->setBuddy(CB_Baud_CAN);
    L_ModTCPs_IP->setBuddy(E_IP[0]);
    L_ModTCPs_SM->setBuddy(E_SM[0]);
    L_ModTCPs_Port->setBuddy(E_PORT);

    for (QLineEdit *edit : {E_IP[0], E_IP[1], E_IP[2], E_IP[3], E_SM[0], E_SM[1], E_SM[2], E_SM[3], E_GAT[0],
                            E_GAT[1], E_GAT[2], E_GAT[3], E_PORT})
        Keep_Text_Storable(edit, state_.Lang_Table);
    connect(Btn_OK, &QPushButton::clicked, this, &Settings_Dialog::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &Settings_Dialog::Btn_CancelClick);

    Center_On_Screen(this);

    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
    loaded_ = Texts();
}

void Settings_Dialog::Set_Lang()
{
    const App_State &s = state_;
    Set_Title_Base(s.STR(STR_Settings_Caption));
    L_SW_Desc->setText(s.STR(STR_Settings_Desc));
    GB_CAN->setTitle(s.STR(STR_Settings_CAN));
    L_CAN_Baud->setText(s.STR(STR_Settings_Baudrate));
    GB_Modbus_TCP_Slave->setTitle(s.STR(STR_Settings_Modbus));
    L_ModTCPs_IP->setText(s.STR(STR_Settings_IP));
    L_ModTCPs_SM->setText(s.STR(STR_Settings_Mask));
    CB_ModTCPs_EN_GAT->setText(s.STR(STR_Settings_Gateway));
    L_ModTCPs_Port->setText(s.STR(STR_Settings_Port));
    Btn_OK->setText(s.STR(STR_Settings_OK));
    Btn_Cancel->setText(s.STR(STR_Settings_Cancel));

    // The edits have no text of their own: name them after their headings.
    CB_Baud_CAN->setAccessibleName(s.STR(STR_Settings_Baudrate));
    for (int i = 0; i < 4; ++i) {
        E_IP[i]->setAccessibleName(QStringLiteral("%1 %2").arg(s.STR(STR_Settings_IP)).arg(i + 1));
        E_SM[i]->setAccessibleName(QStringLiteral("%1 %2").arg(s.STR(STR_Settings_Mask)).arg(i + 1));
        E_GAT[i]->setAccessibleName(QStringLiteral("%1 %2").arg(s.STR(STR_Settings_Gateway)).arg(i + 1));
    }
    E_PORT->setAccessibleName(s.STR(STR_Settings_Port));

    // OK and Cancel have the same letters in every editor, whatever the other controls say.
    Assign_Mnemonics(this, {Btn_OK, Btn_Cancel});
    Fit_Texts();
    Show_Storage(stored_);
}

void Settings_Dialog::Show_Storage(bool stored)
{
    stored_ = stored;
    const Bank1_Header d = Device_Default_Settings();
    L_Not_Stored->setText(state_.STR(STR_Par_Gen_Not_Stored)
                              .arg(QString::number(d.CAN_Baud),
                                   QStringLiteral("%1.%2.%3.%4").arg(d.TCP_IP[0]).arg(d.TCP_IP[1]).arg(d.TCP_IP[2]).arg(d.TCP_IP[3]),
                                   QString::number(d.TCP_Port)));
    L_Not_Stored->setAccessibleName(L_Not_Stored->text());
    // Its height is measured in the bold face it is drawn in.
    L_Not_Stored->ensurePolished();
    const int gap = px(Buttons_Gap);
    const int notice_h = stored ? 0 : L_Not_Stored->heightForWidth(px(Box_W)) + gap;
    L_Not_Stored->setGeometry(px(Box_X), px(Modbus_Bottom) + gap, px(Box_W), std::max(0, notice_h - gap));
    L_Not_Stored->setVisible(!stored);
    const int row_top = px(Modbus_Bottom) + gap - Button_Panel_Top_Margin + notice_h;
    const int height = px(Client_H) + notice_h;
    // A title longer than the controls are wide widens the window, so the window manager
    // writes it whole.
    const int width = std::max(px(Client_W), Title_Width_Need(this));
    QWidget *title_band = L_SW_Code->parentWidget();
    title_band->resize(width, title_band->height());
    P_Button->setGeometry(0, row_top, width, height - row_top);
    setFixedSize(width, height);
}

void Settings_Dialog::Fit_Texts()
{
    auto beside = [this](QLabel *label, QWidget *field) {
        const int w = std::max(px(Side_Label_W), label->sizeHint().width());
        label->resize(w, px(Label_H));
        field->move(std::max(px(Field_X), px(Side_Label_X) + w + px(Field_Gap)), field->y());
    };
    beside(L_CAN_Baud, CB_Baud_CAN);
    beside(L_ModTCPs_Port, E_PORT);
    // The headings over the octet rows may take the whole width of their box.
    const int widest = px(Box_W - Octet_X - Box_X);
    for (QWidget *heading : std::initializer_list<QWidget *>{L_ModTCPs_IP, L_ModTCPs_SM, CB_ModTCPs_EN_GAT})
        heading->resize(std::clamp(heading->sizeHint().width(), px(Heading_W), widest), heading->height());
}

bool Settings_Dialog::FormShow()
{
    Par_Gen_Fields<std::optional<QString>> stored;
    try {
        stored = Read_Par_Gen_File(state_.Files.ParGen);
    } catch (const Xml_Error &e) {
        Message_Box::Error(parentWidget(), e.Text());
        return false;
    }
    Show_Texts(Par_Gen_Merge_Defaults(stored));
    Show_Storage(QFileInfo::exists(state_.Files.ParGen));
    // As the controls show them: a stored gateway flag "true" shows unticked, and Cancel must
    // not count that as a change.
    loaded_ = Texts();
    return true;
}

void Settings_Dialog::Show_Texts(const Par_Gen_Texts &texts)
{
    const int code = Par_Gen_Baud_Index(texts.CAN_BAUDRATE);
    // A code outside the list selects nothing, and OK then stores -1.
    CB_Baud_CAN->setCurrentIndex(code >= 0 && code < CB_Baud_CAN->count() ? code : -1);
    for (int i = 0; i < 4; ++i) {
        E_IP[i]->setText(texts.IP[i]);
        E_SM[i]->setText(texts.SM[i]);
        E_GAT[i]->setText(texts.GAT[i]);
    }
    CB_ModTCPs_EN_GAT->setChecked(Par_Gen_Gateway_On(texts.EN_GAT));
    E_PORT->setText(texts.Port);
}

Par_Gen_Texts Settings_Dialog::Texts() const
{
    Par_Gen_Texts t;
    t.CAN_BAUDRATE = QString::number(CB_Baud_CAN->currentIndex());
    for (int i = 0; i < 4; ++i) {
        t.IP[i] = E_IP[i]->text();
        t.SM[i] = E_SM[i]->text();
        t.GAT[i] = E_GAT[i]->text();
    }
    t.EN_GAT = CB_ModTCPs_EN_GAT->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    t.Port = E_PORT->text();
    return t;
}

int Settings_Dialog::exec()
{
    if (!FormShow()) return QDialog::Rejected;
    return QDialog::exec();
}

bool Settings_Dialog::Has_Changes() const { return !Par_Gen_Same(Texts(), loaded_); }

void Settings_Dialog::showEvent(QShowEvent *event)
{
    // Every showing starts at the first setting, not where the last one was left.
    if (!event->spontaneous()) CB_Baud_CAN->setFocus(Qt::OtherFocusReason);
    Editor_Dialog::showEvent(event);
}

bool Settings_Dialog::Validate_Settings()
{
    if (const std::optional<int> failed = Par_Gen_Check(Texts())) {
        Message_Box::Error(this, state_.STR(*failed));
        return false;
    }
    return true;
}

void Settings_Dialog::Btn_OKClick()
{
    if (!Validate_Settings()) return;
    try {
        Write_Par_Gen_File(state_.Files.ParGen, Texts());
    } catch (const Xml_Error &e) {
        // The settings stay on screen, so the user can retry once the cause is gone.
        Message_Box::Error(this, e.Text());
        return;
    }
    accept();
}

void Settings_Dialog::Btn_CancelClick() { reject(); }
