#include "dialogs/Update_Dialog.h"

#include "platform/Shell.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Mnemonics.h"
#include "widgets/Message_Box.h"
#include "widgets/Octet_Row.h"
#include "update/Device_Address.h"
#include "update/Ping_Run.h"
#include "widgets/Language_Change.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>

namespace {
const QString Device_Model = QStringLiteral(" QGW3310");

// Rows of the two phases; the options take the place of the address controls.
constexpr int Margin = 8;
constexpr int Prompt_Y = 60;
constexpr int Fields_Y = 80;
constexpr int Field_W = 44;
constexpr int Dot_W = 10;
constexpr int Ping_Label_Y = 114;
constexpr int Ping_Row_Y = 134;
constexpr int Buttons_Y = 196;
constexpr int Button_H = 28;
// The window as it stands in English; other languages may widen it.
constexpr int Base_Width = 350;
constexpr int Base_Height = 233;
// The widths the buttons have in English, the least they get.
constexpr int Ping_W = 90;
constexpr int Status_Gap = 10;
constexpr int Cancel_Next_W = 80;
constexpr int Button_Gap = 12;
constexpr int Update_W = 200;
constexpr int Read_Back_Indent = 20;
constexpr int Report_H = 100;

const QColor Found_Colour(0, 128, 0);
}  // namespace

Update_Dialog::Update_Dialog(App_State &state, Environment &env, QWidget *parent)
    : QDialog(parent), state_(state), env_(env)
{
    setObjectName(QStringLiteral("TFBootTCP"));
    Layout_Controls();
    // FormCreate: the software code, everything to be written, the texts.
    L_SW_Code->setText(state_.SW_Code);
    for (QCheckBox *box : {CB_Firmware, CB_Read_Firm, CB_Conf, CB_Read_Conf}) box->setChecked(true);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Update_Dialog::Layout_Controls()
{
    setFixedSize(Base_Width, Base_Height);
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
        b->setGeometry(x, y, w, Button_H);
        b->setAutoDefault(false);
        return b;
    };

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    title.P_Title->setGeometry(0, 0, width(), Prompt_Y - 6);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;

    // Address phase.
    L_IP_Address = label("L_IP_Address", Margin, Prompt_Y, 334, 16);
    Row_IP = new Octet_Row(QStringLiteral("E_IP"), Field_W, Dot_W, this);
    Row_IP->move(Margin, Fields_Y);
    Row_IP->Set_Texts({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    for (QLineEdit *e : Row_IP->Parts()) e->setAlignment(Qt::AlignCenter);
    E_IP1 = Row_IP->Part(0);
    E_IP2 = Row_IP->Part(1);
    E_IP3 = Row_IP->Part(2);
    E_IP4 = Row_IP->Part(3);
    connect(Row_IP, &Octet_Row::Edited, this, &Update_Dialog::Address_Edited);
    // Enter in a field pings the address typed.
    for (QLineEdit *e : Row_IP->Parts()) connect(e, &QLineEdit::returnPressed, this, &Update_Dialog::Ping_Click);

    L_Ping = label("L_Ping", Margin, Ping_Label_Y, 334, 16);
    Btn_Ping = button("Btn_Ping", Margin, Ping_Row_Y, Ping_W);
    LPing = label("LPing", Margin + Ping_W + Status_Gap, Ping_Row_Y, 234, Button_H);
    LPing->setWordWrap(true);
    QFont bold = LPing->font();
    bold.setBold(true);
    LPing->setFont(bold);
    Btn_Cancel = button("Btn_Cancel", 170, Buttons_Y, Cancel_Next_W);
    Btn_Next = button("Btn_Next", 262, Buttons_Y, Cancel_Next_W);

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
    CB_Read_Firm = check("CB_Read_Firm", Margin + Read_Back_Indent, 102);
    CB_Conf = check("CB_Conf", Margin, 128);
    CB_Read_Conf = check("CB_Read_Conf", Margin + Read_Back_Indent, 148);
    Btn_Update = button("Btn_Update", 142, Buttons_Y, Update_W);
    Btn_Close = button("Btn_Close", Margin, Buttons_Y, Cancel_Next_W);
    Btn_Close->setVisible(false);
    // A read-back needs its write, and the update needs something to write.
    connect(CB_Firmware, &QCheckBox::toggled, this, &Update_Dialog::Update_Enabled_Options);
    connect(CB_Conf, &QCheckBox::toggled, this, &Update_Dialog::Update_Enabled_Options);

    L_Update_Result = label("L_Update_Result", Margin, 0, 334, 16);
    L_Update_Result->setWordWrap(true);
    L_Update_Result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    L_Update_Result->setVisible(false);
    E_Update_Report = new QPlainTextEdit(this);
    E_Update_Report->setObjectName(QStringLiteral("E_Update_Report"));
    E_Update_Report->setReadOnly(true);
    // Paths and report lines are long: they wrap anywhere rather than scroll sideways.
    E_Update_Report->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    E_Update_Report->setVisible(false);

    connect(Btn_Ping, &QPushButton::clicked, this, &Update_Dialog::Ping_Click);
    connect(Btn_Next, &QPushButton::clicked, this, &Update_Dialog::Next_Click);
    connect(Btn_Update, &QPushButton::clicked, this, &Update_Dialog::Update_Click);
    connect(Btn_Cancel, &QPushButton::clicked, this, &Update_Dialog::reject);
    connect(Btn_Close, &QPushButton::clicked, this, &Update_Dialog::accept);

    Show_Address_Phase();
}

void Update_Dialog::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(STR_Update_Caption));
    L_SW_Desc->setText(s.STR(STR_Update_Dialog_Desc));
    L_Ping->setText(s.STR(STR_Update_Check_Connection));
    Btn_Ping->setText(s.STR(STR_Update_Ping));
    Btn_Cancel->setText(s.STR(STR_Update_Cancel));
    Btn_Next->setText(s.STR(STR_Update_Next));
    L_Options->setText(s.STR(STR_Update_Options));
    CB_Firmware->setText(s.STR(STR_Update_Firmware));
    CB_Read_Firm->setText(s.STR(STR_Update_Read_Firmware));
    CB_Conf->setText(s.STR(STR_Update_Configuration));
    CB_Read_Conf->setText(s.STR(STR_Update_Read_Configuration));
    Btn_Update->setText(s.STR(STR_Update_Execute));
    Btn_Close->setText(s.STR(STR_Update_Close));
    LPing->setAccessibleDescription(s.STR(STR_Update_Check_Connection));
    // The fields have no text of their own: named after the address, as in the settings.
    Row_IP->Set_Accessible_Names(s.STR(STR_Settings_IP));
    Assign_Mnemonics(this);
    Arrange();
}

void Update_Dialog::Arrange()
{
    // The English texts fit the window as it was drawn; a longer translation widens it rather
    // than being cut.
    int width = Base_Width;
    auto need = [&width](int x, int w) { width = std::max(width, x + w + Margin); };
    auto hint = [](QWidget *w) { return w->sizeHint().width(); };
    // A button's text keeps its margin and the frame's on both sides, a little more room than
    // the style's own hint leaves it.
    auto button_w = [this](QPushButton *b, int least) {
        const int margins = 2 * (style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                                 style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
        const int text = b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&'));
        return std::max({least, b->sizeHint().width(), text + margins});
    };
    for (QLabel *l : {L_IP_Address, L_Ping, L_Options}) need(Margin, hint(l));
    for (QCheckBox *c : {CB_Firmware, CB_Read_Firm, CB_Conf, CB_Read_Conf}) need(c->x(), hint(c));
    const int ping_w = button_w(Btn_Ping, Ping_W);
    const int cancel_w = button_w(Btn_Cancel, Cancel_Next_W);
    const int next_w = button_w(Btn_Next, Cancel_Next_W);
    const int update_w = button_w(Btn_Update, Update_W);
    const int close_w = button_w(Btn_Close, Cancel_Next_W);
    need(Margin, ping_w + Status_Gap + Cancel_Next_W);
    need(Margin, cancel_w + Button_Gap + next_w);
    need(Margin, close_w + Button_Gap + update_w);
    // The window manager writes the title in the bar above; the window is wide enough for it.
    width = std::max(width, Title_Width_Need(this));
    const int inner = width - 2 * Margin;

    L_IP_Address->resize(inner, L_IP_Address->height());
    L_Ping->resize(inner, L_Ping->height());
    L_Options->resize(inner, L_Options->height());
    for (QCheckBox *c : {CB_Firmware, CB_Read_Firm, CB_Conf, CB_Read_Conf})
        c->resize(width - Margin - c->x(), c->height());

    Btn_Ping->resize(ping_w, Button_H);
    const int status_x = Margin + ping_w + Status_Gap;
    const int status_w = width - Margin - status_x;
    // A status that needs more lines than the row pushes the buttons down.
    const int status_h = std::max(Button_H, LPing->heightForWidth(status_w));
    LPing->setGeometry(status_x, Ping_Row_Y, status_w, status_h);
    const int buttons_y = std::max(Buttons_Y, Ping_Row_Y + status_h + Margin);
    Btn_Next->setGeometry(width - Margin - next_w, buttons_y, next_w, Button_H);
    Btn_Cancel->setGeometry(Btn_Next->x() - Button_Gap - cancel_w, buttons_y, cancel_w, Button_H);
    Btn_Update->setGeometry(width - Margin - update_w, Buttons_Y, update_w, Button_H);
    Btn_Close->setGeometry(Btn_Update->x() - Button_Gap - close_w, Buttons_Y, close_w, Button_H);
    const int result_y = Buttons_Y + Button_H + Margin;
    const int result_h = std::max(16, L_Update_Result->heightForWidth(inner));
    L_Update_Result->setGeometry(Margin, result_y, inner, result_h);
    const int report_y = result_y + result_h + 4;
    E_Update_Report->setGeometry(Margin, report_y, inner, Report_H);

    P_Title->resize(width, P_Title->height());

    int height = Base_Height;
    if (!options_phase_)
        height = std::max(height, buttons_y + Button_H + Base_Height - Buttons_Y - Button_H);
    else if (!E_Update_Report->isHidden())
        height = report_y + Report_H + Base_Height - Buttons_Y - Button_H;
    else if (!L_Update_Result->isHidden())
        height = result_y + result_h + Base_Height - Buttons_Y - Button_H;
    const QSize size(width, height);
    if (minimumSize() != size || maximumSize() != size) setFixedSize(size);
}

void Update_Dialog::showEvent(QShowEvent *event)
{
    // Only our own showing; a window system's restore is no new opening.
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void Update_Dialog::FormShow()
{
    Show_Address_Phase();
    QString ip1, ip2, ip3, ip4;
    if (!state_.Device_IP.isEmpty() && Valid_IP(state_.Device_IP, ip1, ip2, ip3, ip4))
        Row_IP->Set_Texts({ip1, ip2, ip3, ip4});
    L_IP_Address->setText(state_.STR(STR_Update_Address_Label) + Device_Model);
    Ping_Answered = false;
    last_ping_.reset();
    address_changed_ = false;
    L_Update_Result->clear();
    E_Update_Report->clear();
    L_Update_Result->setVisible(false);
    E_Update_Report->setVisible(false);
    Arrange();
    E_IP1->setFocus(Qt::TabFocusReason);
    E_IP1->selectAll();
}

QList<QWidget *> Update_Dialog::Address_Controls() const
{
    return {L_IP_Address, Row_IP, L_Ping, Btn_Ping, LPing, Btn_Cancel, Btn_Next};
}

QList<QWidget *> Update_Dialog::Option_Controls() const
{
    return {L_Options, CB_Firmware, CB_Read_Firm, CB_Conf, CB_Read_Conf, Btn_Update};
}

void Update_Dialog::Show_Address_Phase()
{
    options_phase_ = false;
    Show_Ping_Status(QString(), palette().color(QPalette::WindowText));
    for (QWidget *w : Option_Controls()) w->setVisible(false);
    Btn_Close->setVisible(false);
    L_Update_Result->setVisible(false);
    E_Update_Report->setVisible(false);
    for (QWidget *w : Address_Controls()) w->setVisible(true);
    Arrange();
}

void Update_Dialog::Show_Options_Phase()
{
    options_phase_ = true;
    for (QWidget *w : Address_Controls()) w->setVisible(false);
    for (QWidget *w : Option_Controls()) w->setVisible(true);
    Btn_Close->setVisible(false);
    Btn_Close->setDefault(false);
    Update_Enabled_Options();
    Arrange();
    // Enter on the focused "Execute" runs it, as on any button a keyboard user has reached;
    // the button stops being the default as soon as the focus leaves it.
    Btn_Update->setAutoDefault(true);
    Btn_Update->setFocus();
}

QString Update_Dialog::Address_Text() const
{
    const QStringList parts = Row_IP->Texts();
    return Join_IP(parts[0], parts[1], parts[2], parts[3]);
}

void Update_Dialog::Address_Edited()
{
    // The address that goes into the job must be the one that answered: a changed field
    // needs a new ping, and "Next" says so rather than claiming the device is gone.
    if (Ping_Answered) {
        Ping_Answered = false;
        address_changed_ = true;
        Show_Ping_Status(QString(), palette().color(QPalette::WindowText));
    } else if (last_ping_) {
        // What the status says was said of the address before the edit, not of this one.
        Show_Ping_Status(QString(), palette().color(QPalette::WindowText));
    }
    last_ping_.reset();
}

void Update_Dialog::Set_Running(bool running)
{
    running_ = running;
    stop_requested_ = false;
    // The run handles window events while it waits, so the buttons that would start another
    // run or leave the address phase wait for it, and the address stays the one being pinged.
    // Cancel (and Escape) stays usable: it stops the run.
    for (QPushButton *b : {Btn_Ping, Btn_Next}) b->setEnabled(!running);
    Row_IP->Set_Read_Only(running);
    if (running)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

void Update_Dialog::Show_Ping_Status(const QString &text, const QColor &color)
{
    QPalette palette = LPing->palette();
    palette.setColor(QPalette::WindowText, color);
    LPing->setPalette(palette);
    LPing->setText(text);
    // A screen reader reads the status itself, not a fixed name.
    LPing->setAccessibleName(text);
    Arrange();
}

bool Update_Dialog::Before_Ping_Attempt(int attempt)
{
    Show_Ping_Status(state_.STR(STR_Ping_Attempt)
                         .arg(attempt)
                         .arg(std::max(attempt, Ping_Silent_Attempts)),
                     palette().color(QPalette::WindowText));
    // Shown before the attempt waits for its answer; a stop asked for meanwhile ends the run.
    QCoreApplication::processEvents();
    return !stop_requested_;
}

void Update_Dialog::Ping_Click()
{
    if (running_) return;
    Ping_Answered = false;
    last_ping_.reset();
    address_changed_ = false;
    LPing->setToolTip(QString());
    Show_Ping_Status(QString(), palette().color(QPalette::WindowText));
    if (!env_.icmp || !env_.clock) {
        Show_Ping_Status(state_.STR(STR_Ping_Address_Error), Qt::red);
        return;
    }
    Set_Running(true);
    const Ping_Run_Result result =
        Run_Ping(*env_.icmp, *env_.clock, Address_Text(), [] { QCoreApplication::processEvents(); },
                 [this](int attempt) { return Before_Ping_Attempt(attempt); });
    Set_Running(false);

    last_ping_ = result.outcome;
    switch (result.outcome) {
    case Ping_Run_Result::Outcome::Found:
        Show_Ping_Status(state_.STR(STR_Ping_Device_Found), Found_Colour);
        Ping_Answered = true;
        break;
    case Ping_Run_Result::Outcome::Not_Found:
        Show_Ping_Status(state_.STR(STR_Ping_Device_Not_Found), Qt::red);
        break;
    case Ping_Run_Result::Outcome::Stopped:
        Show_Ping_Status(state_.STR(STR_Ping_Stopped), Qt::red);
        break;
    case Ping_Run_Result::Outcome::Error:
        Show_Ping_Status(state_.STR(STR_Ping_Address_Error), Qt::red);
        LPing->setToolTip(result.error);
        break;
    }
}

void Update_Dialog::Next_Click()
{
    if (running_) return;
    if (!Ping_Answered) {
        // Each refusal says what happened: the address changed after a ping found the device,
        // a ping found nothing, the address is none, or no ping of this address was completed.
        const QString ping = state_.STR(STR_Update_Ping);
        QString why = state_.STR(STR_Update_No_Ping).arg(ping);
        if (address_changed_)
            why = state_.STR(STR_Address_Changed).arg(ping);
        else if (last_ping_ == Ping_Run_Result::Outcome::Not_Found)
            why = state_.STR(STR_Ping_Not_In_Network);
        else if (last_ping_ == Ping_Run_Result::Outcome::Error)
            why = state_.STR(STR_Ping_Address_Error);
        Message_Box::Error(this, why);
        return;
    }
    Show_Options_Phase();
    state_.Device_IP = Address_Text();
}

Update_Options Update_Dialog::Options() const
{
    Update_Options options;
    options.Firmware = CB_Firmware->isChecked();
    options.Read_Firm = options.Firmware && CB_Read_Firm->isChecked();
    options.Conf = CB_Conf->isChecked();
    options.Read_Conf = options.Conf && CB_Read_Conf->isChecked();
    return options;
}

void Update_Dialog::Update_Enabled_Options()
{
    // A read-back box keeps its mark while its main box is off, for when it is on again.
    const Update_Options options = Options();
    for (QCheckBox *c : {CB_Firmware, CB_Conf}) c->setEnabled(!updating_);
    CB_Read_Firm->setEnabled(!updating_ && options.Firmware);
    CB_Read_Conf->setEnabled(!updating_ && options.Conf);
    Btn_Update->setEnabled(!updating_ && Has_Operations(options));
}

void Update_Dialog::Set_Updating(bool updating)
{
    updating_ = updating;
    Update_Enabled_Options();
    if (updating) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
        // The wait disabled the focused button, which left the keyboard nowhere; it returns to
        // the button that can start the next run.
        if (!focusWidget() || !focusWidget()->isEnabled()) Btn_Update->setFocus();
    }
}

void Update_Dialog::Compile_XML_Parameter()
{
    XML1 = Build_Update_Job(Address_Text(), Options(), {state_.Dir_Master, state_.Dir_Project});
    XML1.Save(Update_Job_Path(state_.Dir_Exe));
}

QString Update_Dialog::Update_Report_Text() const
{
    QString text = L_Update_Result->text();
    if (!E_Update_Report->isHidden()) text += u'\n' + E_Update_Report->toPlainText();
    return text;
}

void Update_Dialog::Show_Update_Text(const QString &verdict, const QColor &color, const QString &details)
{
    QPalette palette = L_Update_Result->palette();
    palette.setColor(QPalette::WindowText, color);
    L_Update_Result->setPalette(palette);
    L_Update_Result->setText(verdict);
    L_Update_Result->setVisible(true);
    E_Update_Report->setPlainText(details);
    E_Update_Report->setAccessibleName(details.section(u'\n', 0, 0));
    // The end of the report says how the updater saw it: that is the part kept in view.
    E_Update_Report->moveCursor(QTextCursor::End);
    E_Update_Report->setVisible(!details.isEmpty());
    Arrange();
}

void Update_Dialog::Show_Update_Result(const Update_Result &result)
{
    using V = Update_Result::Verdict;
    QString verdict;
    QString details;
    QColor colour = palette().color(QPalette::WindowText);
    bool failed = false;
    switch (result.verdict) {
    case V::Succeeded:
        verdict = state_.STR(STR_Update_Succeeded);
        colour = Found_Colour;
        break;
    case V::Failed:
        verdict = state_.STR(STR_Update_Failed).arg(result.exit_code);
        failed = true;
        break;
    case V::Ended_Abnormally:
        verdict = state_.STR(STR_Update_Ended_Abnormally);
        failed = true;
        break;
    case V::Ended_Unknown:
        verdict = state_.STR(STR_Update_Ended_Unknown);
        break;
    case V::Still_Running:
        verdict = state_.STR(STR_Update_Still_Running).arg(Program_Wait_Limit_Ms / 1000);
        break;
    case V::Not_Started:
        verdict = state_.STR(STR_Update_Not_Started);
        details = result.updater;
        failed = true;
        break;
    }
    if (failed) colour = Qt::red;

    if (result.report_tail) {
        details = state_.STR(STR_Update_Report_Tail).arg(result.report_path);
        for (const QString &line : *result.report_tail) details += u'\n' + line;
    } else if (result.verdict != V::Not_Started) {
        details = state_.STR(STR_Update_No_Report).arg(result.report_path);
    }
    Show_Update_Text(verdict, colour, details);
    // A failed update is said in a box too: the user may have looked away during the wait.
    if (failed) Message_Box::Error(this, Update_Report_Text());
    if (result.verdict == V::Succeeded) {
        // The device has what it was meant to get: the way out is the button in reach.
        Btn_Close->setVisible(true);
        Arrange();
        Btn_Update->setAutoDefault(false);
        Btn_Close->setDefault(true);
        Btn_Close->setFocus();
    }
}

void Update_Dialog::Update_Click()
{
    if (updating_) return;
    const Update_Options options = Options();
    if (!Has_Operations(options)) return;
    // The updater would start, find no firmware and reject the whole update: say so first,
    // and let the user write only the configuration.
    const QString firmware = Unusable_Firmware_Image(options, state_.Dir_Master);
    if (!firmware.isEmpty()) {
        Message_Box::Error(this, state_.STR(STR_Firmware_Image_Missing).arg(firmware, state_.STR(STR_Update_Firmware)));
        CB_Firmware->setFocus();
        return;
    }
    try {
        Compile_XML_Parameter();
    } catch (const Xml_Error &e) {
        // Without its job the updater would work from a stale file or none: it is not started.
        Message_Box::Error(this, state_.STR(STR_Update_Job_Not_Written) + u'\n' + e.Text());
        return;
    }
    if (!env_.shell || !env_.clock) return;

    // The wait lasts as long as the updater works, up to its limit: the window keeps painting
    // and counts the seconds, so it never looks frozen.
    const QColor waiting_colour = palette().color(QPalette::WindowText);
    Btn_Close->setVisible(false);
    Show_Update_Text(state_.STR(STR_Update_Waiting).arg(0), waiting_colour);
    Set_Updating(true);
    qint64 shown = 0;
    const Update_Result result = Run_Updater(*env_.shell, *env_.clock, Updater_Folder(state_), state_.Dir_Exe, [&](qint64 waited) {
        if (waited / 1000 != shown) {
            shown = waited / 1000;
            Show_Update_Text(state_.STR(STR_Update_Waiting).arg(shown), waiting_colour);
        }
        QCoreApplication::processEvents();
    });
    Set_Updating(false);
    Show_Update_Result(result);
}

void Update_Dialog::reject()
{
    // Escape, Cancel and the close box stop a running ping and leave the dialog open; the
    // next one closes it. While the updater runs the dialog waits for it.
    if (running_) {
        stop_requested_ = true;
        return;
    }
    if (updating_) return;
    QDialog::reject();
}

void Update_Dialog::closeEvent(QCloseEvent *event)
{
    if (running_ || updating_) {
        if (running_) stop_requested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
