#include "app/Main_Window.h"
#include "widgets/Accessible_Roles.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Language_Change.h"
#include "widgets/Font_Scale.h"
#include "widgets/Link_Label.h"
#include "widgets/Mnemonics.h"

#include "workspace/Project_Folders.h"
#include "dialogs/Open_Configuration_Dialog.h"
#include "config/Config_Check.h"
#include "config/Image_Builder.h"
#include "lang/Lang_Table.h"
#include "lang/Version_Check.h"
#include "lang/Version_Checker.h"
#include "platform/Clock.h"
#include "widgets/Message_Box.h"
#include "platform/Safe_File.h"
#include "platform/Shell.h"
#include "platform/Web_Host.h"
#include "platform/Xml_Document.h"
#include "dialogs/Update_Dialog.h"
#include "dialogs/Check_Window.h"
#include "dialogs/Monitor_Window.h"
#include "documents/Register_Map_Pdf.h"
#include "exchange/Register_Map.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QPainter>
#include <QShowEvent>
#include <QTranslator>
#include <QCloseEvent>
#include <QDate>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {
constexpr int First_Check_Interval_Ms = 60000;
constexpr int Next_Check_Interval_Ms = 7200000;

constexpr int Button_W = 170;
constexpr int Button_H = 36;
constexpr int Col1_X = 80;
constexpr int Col2_X = 258;
constexpr int Row_Top[5] = {112, 156, 200, 244, 288};
// Step 6 watches the device rather than shaping the configuration: it sits below the separator
// that closes Steps 1 to 5, as far below it as the separator is below Step 5.
constexpr int Separator_Y = Row_Top[4] + 51;
constexpr int Monitor_Top = Separator_Y + (Separator_Y - (Row_Top[4] + Button_H));
}  // namespace

namespace {

const QString Map_Filter_Csv = QStringLiteral("CSV (*.csv)");
const QString Map_Filter_Html = QStringLiteral("HTML (*.html)");
const QString Map_Filter_Pdf = QStringLiteral("PDF (*.pdf)");

}  // namespace

Main_Window::Main_Window(App_State &state, Environment &env,
                                             const QString &dir_exe, QWidget *parent)
    : Main_Window(state, env, Portable_Workspace(dir_exe), parent)
{
}

Main_Window::Main_Window(App_State &state, Environment &env,
                                             const Workspace_Places &places, QWidget *parent)
    : QWidget(parent), state_(state), env_(env)
{
    setObjectName(QStringLiteral("TFVariroduvieFirmWare"));
    Ask_Map_Path = [](QWidget *parent, const QString &suggested, QString *filter) {
        return QFileDialog::getSaveFileName(parent, QString(), suggested,
                                            QStringList{Map_Filter_Pdf, Map_Filter_Html, Map_Filter_Csv}.join(QStringLiteral(";;")),
                                            filter);
    };

    // Start-up, in its fixed order.
    state_.Lang_Table = {};
    Layout_Controls();
    Set_Workspace(state_, places);
    state_.Project_Name.clear();
    Read_Settings(state_);
    Arm_Update_Timer();

    state_.SW_Title = SW_Title_Text;
    state_.SW_Code = SW_Code_Text;
    state_.SW_Desc = SW_Desc_Text;
    setWindowTitle(state_.SW_Title);
    L_SW_Code->setText(state_.SW_Code);
    L_SW_Desc->setText(state_.SW_Desc);

    try {
        Load_Language(state_.Lang_Table, Language_Folders(state_), state_.Language_Name);
    } catch (const Lang_File_Error &e) {
        // An unreadable language file leaves the English texts, which Load_Language put in
        // place before it opened the file; the user hears why once the window shows.
        start_language_error_ = QString::fromStdString(e.what());
    }
    if (state_.Lang_Table.size() != Lang_Default_Count) Load_Default_Language(state_.Lang_Table);
    Apply_Qt_Translation();

    Reopen_Last_Project(state_);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
    Set_Files();
}

Main_Window::~Main_Window()
{
    if (qt_texts_) QCoreApplication::removeTranslator(qt_texts_.get());
}

void Main_Window::Apply_Qt_Translation()
{
    if (qt_texts_) {
        QCoreApplication::removeTranslator(qt_texts_.get());
        qt_texts_.reset();
    }
    const QString code = Qt_Translation_Code(state_.Lang_Table.Language);
    if (code.isEmpty()) return;
    auto translator = std::make_unique<QTranslator>();
    // Where Qt's translations are not installed, Qt's texts simply stay English.
    if (!translator->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(translator.get());
    qt_texts_ = std::move(translator);
    // Installing it queued a LanguageChange for every window; whoever changes the language
    // applies the texts itself, at once (start-up, Change_Language), so the late copies go.
    QCoreApplication::removePostedEvents(nullptr, QEvent::LanguageChange);
}

void Main_Window::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (start_reported_ || start_language_error_.isEmpty()) return;
    start_reported_ = true;
    // After the window is on the screen, so that the box has a window to belong to.
    QTimer::singleShot(0, this, [this] {
        Message_Box::Error(this, state_.STR(STR_Language_Not_Read) + u'\n' + start_language_error_);
    });
}

namespace {

// The three signs of the title bar (information, settings, close) are drawn here rather than
// taken from the style: a style icon decodes its pictures in every size when it is made, which
// cost the start more than reading the whole language file. Drawn on 64 pixels, they stay
// sharp on screens with twice the pixels.
constexpr int Sign_Size = 64;

QPixmap Blank_Sign()
{
    QPixmap picture(Sign_Size, Sign_Size);
    picture.fill(Qt::transparent);
    return picture;
}

// Draws with the origin in the middle of the picture.
void Begin_Sign(QPainter &painter, QPixmap &picture)
{
    painter.begin(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(Sign_Size / 2, Sign_Size / 2);
    painter.setPen(Qt::NoPen);
}

// A gear: the usual sign of settings, drawn so that it needs no icon theme.
QIcon Gear_Icon(const QColor &color)
{
    QPixmap picture = Blank_Sign();
    QPainter painter;
    Begin_Sign(painter, picture);
    painter.setBrush(color);
    constexpr int Teeth = 8;
    for (int i = 0; i < Teeth; ++i) {
        painter.save();
        painter.rotate(360.0 * i / Teeth);
        painter.drawRoundedRect(QRectF(-6, -30, 12, 14), 2, 2);
        painter.restore();
    }
    painter.drawEllipse(QPointF(0, 0), 21, 21);
    // The hole lets the background through.
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.drawEllipse(QPointF(0, 0), 9, 9);
    painter.end();
    return QIcon(picture);
}

// A white "i" on a blue disc.
QIcon Info_Icon()
{
    QPixmap picture = Blank_Sign();
    QPainter painter;
    Begin_Sign(painter, picture);
    painter.setBrush(QColor(0x2a, 0x6f, 0xc9));
    painter.drawEllipse(QPointF(0, 0), 29, 29);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(0, -15), 5, 5);
    painter.drawRoundedRect(QRectF(-4.5, -5, 9, 25), 3, 3);
    painter.end();
    return QIcon(picture);
}

// A cross in the colour of the window's text.
QIcon Close_Icon(const QColor &color)
{
    QPixmap picture = Blank_Sign();
    QPainter painter;
    Begin_Sign(painter, picture);
    painter.setPen(QPen(color, 7, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(-18, -18), QPointF(18, 18));
    painter.drawLine(QPointF(-18, 18), QPointF(18, -18));
    painter.end();
    return QIcon(picture);
}

}  // namespace

void Main_Window::Layout_Controls()
{
    // The window is drawn for the usual font; a larger font enlarges the whole drawing alike,
    // so that nothing is cut and the steps keep their places relative to each other.
    const double k = Font_Scale(this);
    auto px = [k](int length) { return Scaled(length, k); };
    auto at = [px](int x, int y, int w, int h) { return QRect(px(x), px(y), px(w), px(h)); };

    setFixedSize(px(694), px(440));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // A top-level window of the desktop: screen readers are told a frame.
    Set_Accessible_Role(this, QAccessible::Window);

    auto label = [this, px](const char *name, int x, int y) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->move(px(x), px(y));
        return l;
    };

    L_SW_Code = label("L_SW_Code", 16, 8);
    Set_Title_Style(L_SW_Code, Main_Title_Point_Size);
    L_SW_Code->resize(px(300), px(34));
    L_SW_Desc = label("L_SW_Desc", 16, 42);
    L_SW_Desc->resize(px(300), px(18));

    LL_Update = label("LL_Update", 250, 16);
    LL_Update->resize(px(260), px(36));
    LL_Update->setWordWrap(true);
    LL_Update->setTextFormat(Qt::RichText);
    LL_Update->setOpenExternalLinks(false);
    // Tab reaches the link while it shows; Enter follows it. Screen readers read its text.
    LL_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    LL_Update->hide();
    connect(LL_Update, &QLabel::linkActivated, this, &Main_Window::LL_UpdateLinkClick);

    auto icon_button = [this, at, px](const char *name, int x, const QIcon &icon) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(at(x, 8, 50, 50));
        b->setIcon(icon);
        b->setIconSize(QSize(px(32), px(32)));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, b] { Btn_Click(b); });
        return b;
    };
    const QColor ink = palette().color(QPalette::WindowText);
    Btn_Info = icon_button("Btn_Info", 516, Info_Icon());
    Btn_Opz = icon_button("Btn_Opz", 574, Gear_Icon(ink));
    Btn_Close = icon_button("Btn_Close", 632, Close_Icon(ink));

    L_Begin = label("L_Begin", 16, 84);
    L_Begin->resize(px(62), px(16));
    P_Name_Conf = new QFrame(this);
    P_Name_Conf->setObjectName(QStringLiteral("P_Name_Conf"));
    P_Name_Conf->setFrameShape(QFrame::Box);
    P_Name_Conf->setGeometry(at(80, 70, 428 - 80, 106 - 70));
    L_Name_Conf = label("L_Name_Conf", 87, 75);
    L_Name_Conf_L2 = label("L_Name_Conf_L2", 87, 88);
    QFont bold = L_Name_Conf_L2->font();
    bold.setBold(true);
    L_Name_Conf_L2->setFont(bold);
    for (QLabel *l : {L_Name_Conf, L_Name_Conf_L2}) {
        // The letters' height does not grow quite in step with the font's size.
        l->resize(px(428 - 87 - 4), std::max(px(14), l->fontMetrics().height()));
        l->raise();
    }

    for (int i = 1; i <= 8; ++i) {
        const int top = i <= 5 ? Row_Top[i - 1] + 16 : i == 6 ? Monitor_Top + 16 : Monitor_Top + 16 + 44 * (i - 6);
        L_Step[i] = label(QStringLiteral("L_Step_%1").arg(i).toLatin1().constData(), 16, top);
        L_Step[i]->resize(px(62), px(16));
        L_Step[i]->setVisible(i <= 6);
    }

    auto step_button = [this, at](const char *name, int x, int row) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(at(x, row < 5 ? Row_Top[row] : Monitor_Top, Button_W, Button_H));
        connect(b, &QPushButton::clicked, this, [this, b] { Btn_Click(b); });
        return b;
    };
    Btn_New = step_button("Btn_New", Col1_X, 0);
    Btn_Open = step_button("Btn_Open", Col2_X, 0);
    Btn_Prm_Gen = step_button("Btn_Prm_Gen", Col1_X, 1);
    Btn_Receive_COB = step_button("Btn_Receive_COB", Col1_X, 2);
    Btn_Define_Receive_COB = step_button("Btn_Define_Receive_COB", Col2_X, 2);
    Btn_Transmit_COB = step_button("Btn_Transmit_COB", Col1_X, 3);
    Btn_Define_Transmit_COB = step_button("Btn_Define_Transmit_COB", Col2_X, 3);
    Btn_CreateBin = step_button("Btn_CreateBin", Col1_X, 4);
    Btn_Register_Map = step_button("Btn_Register_Map", Col2_X, 4);
    Btn_Monitor = step_button("Btn_Monitor", Col1_X, 5);
    Btn_Bus_Check = step_button("Btn_Bus_Check", Col2_X, 5);

    // A link that Tab reaches after the steps' buttons; Enter or Space follows it.
    auto *norvale = new Link_Label(Web_Host(), this);
    norvale->setObjectName(QStringLiteral("L_Norvale"));
    norvale->move(px(565), px(Row_Top[4] + 16));
    L_Norvale = norvale;
    QFont small = L_Norvale->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);  // the address must fit right of x 565
    L_Norvale->setFont(small);
    L_Norvale->adjustSize();
    connect(norvale, &Link_Label::Activated, this, &Main_Window::L_NorvaleClick);

    // Three pixels high with the line in the middle: a frame of one pixel loses its line when
    // the desktop scales the window by a fraction (125 %, 150 %).
    Separator = new QFrame(this);
    Separator->setObjectName(QStringLiteral("Separator"));
    Separator->setFrameShape(QFrame::HLine);
    Separator->setFrameShadow(QFrame::Plain);
    Separator->setGeometry(px(10), px(Separator_Y) - 1, px(674), 3);

    Timer_Update = new QTimer(this);
    Timer_Update->setObjectName(QStringLiteral("Timer_Update"));
    Timer_Update->setInterval(First_Check_Interval_Ms);
    connect(Timer_Update, &QTimer::timeout, this, &Main_Window::Timer_UpdateTimer);
    Update_Check = new Version_Checker(this);
    connect(Update_Check, &Version_Checker::Finished, this, &Main_Window::Update_Checked);

    Center_On_Screen(this);
    // The keyboard starts where the work starts.
    Btn_New->setFocus();
}

void Main_Window::Arm_Update_Timer()
{
    if (!state_.Enable_Internet || !state_.Enable_Update) {
        Timer_Update->stop();
        return;
    }
    // QTimer::start on a running timer starts the countdown afresh, so every confirmation of
    // the options would put the next check off by a whole interval. While a check is under
    // way its answer starts the next countdown.
    if (Timer_Update->isActive() || Update_Check->Busy()) return;
    Timer_Update->start();
}

void Main_Window::Set_Lang()
{
    const App_State &s = state_;
    L_Begin->setText(s.STR(STR_Begin));
    for (int i = 1; i <= 8; ++i) L_Step[i]->setText(s.STR(i));
    Btn_Info->setToolTip(s.STR(STR_Information));
    Btn_Info->setAccessibleName(s.STR(STR_Information));
    Btn_Opz->setToolTip(s.STR(STR_Options));
    Btn_Opz->setAccessibleName(s.STR(STR_Options));
    Btn_Close->setToolTip(s.STR(STR_Close_Program));
    Btn_Close->setAccessibleName(s.STR(STR_Close_Program));
    Btn_New->setText(s.STR(STR_New_Configuration));
    Btn_Open->setText(s.STR(STR_Open_Configuration));
    Btn_CreateBin->setText(s.STR(STR_Update_Device));
    Btn_Register_Map->setText(s.STR(STR_Register_Map));
    Btn_Monitor->setText(s.STR(STR_Monitor_Device));
    Btn_Bus_Check->setText(s.STR(STR_Bus_Check));
    Btn_Prm_Gen->setText(s.STR(STR_Set_Communication));
    Btn_Receive_COB->setText(s.STR(STR_Receive_Frames));
    Btn_Transmit_COB->setText(s.STR(STR_Transmit_Frames));
    Btn_Define_Receive_COB->setText(s.STR(STR_Define_Receive));
    // The two "Define COB" buttons read alike; a screen reader names the list each one maps.
    Btn_Define_Receive_COB->setAccessibleName(s.STR(STR_Define_Receive) + QStringLiteral(" (") + s.STR(STR_Receive_Frames) + u')');
    Btn_Define_Transmit_COB->setText(s.STR(STR_Define_Transmit));
    Btn_Define_Transmit_COB->setAccessibleName(s.STR(STR_Define_Transmit) + QStringLiteral(" (") + s.STR(STR_Transmit_Frames) + u')');
    // A screen reader says which step a button belongs to along with the button: "Step 3" with
    // "Receive COB".
    const QList<QPair<QPushButton *, int>> steps = {
        {Btn_New, 1},          {Btn_Open, 1},          {Btn_Prm_Gen, 2},      {Btn_Receive_COB, 3},
        {Btn_Define_Receive_COB, 3}, {Btn_Transmit_COB, 4}, {Btn_Define_Transmit_COB, 4}, {Btn_CreateBin, 5},
        {Btn_Register_Map, 5}, {Btn_Monitor, 6},       {Btn_Bus_Check, 6}};
    for (const auto &[button, step] : steps) button->setAccessibleDescription(L_Step[step]->text());
    L_Norvale->setAccessibleDescription(s.STR(STR_Maker_Web_Site));
    Show_Name_Conf();
    Assign_Mnemonics(this);
}

void Main_Window::Show_Name_Conf()
{
    if (!state_.Project_Name.isEmpty()) {
        L_Name_Conf->setText(state_.STR(STR_Configuration_Open));
        // A long name ends in "…" rather than being cut mid-letter; the whole name is the tip.
        L_Name_Conf_L2->setText(L_Name_Conf_L2->fontMetrics().elidedText(state_.Project_Name, Qt::ElideRight,
                                                                         L_Name_Conf_L2->width()));
        L_Name_Conf_L2->setToolTip(state_.Project_Name);
    } else {
        L_Name_Conf->setText(state_.STR(STR_No_Configuration_Open));
        L_Name_Conf_L2->setText(state_.STR(STR_No_Configuration_Hint));
        L_Name_Conf_L2->setToolTip(QString());
    }
}

void Main_Window::Set_Files() { ::Set_Files(state_); }

void Main_Window::Save_Setting()
{
    QString error;
    if (!Write_Settings(state_, &error))
        Message_Box::Error(this, state_.STR(STR_Settings_Not_Saved) + u'\n' + error);
}

void Main_Window::closeEvent(QCloseEvent *event)
{
    Save_Setting();
    event->accept();
    // Closing the main window ends the program, also while hidden dialogs exist.
    QCoreApplication::quit();
}

int Main_Window::Show_Modal(QDialog *dialog)
{
    if (!dialog) return QDialog::Rejected;
    return dialog->exec();
}

void Main_Window::Btn_Click(QAbstractButton *Sender)
{
    if (Sender == Btn_New) {
        Create_New_Project();
    } else if (Sender == Btn_Open) {
        Open_Project();
    } else if (Sender == Btn_Close) {
        close();
    } else if (Sender == Btn_Info) {
        Show_Window(Window::About);
    } else if (Sender == Btn_Opz) {
        if (Show_Window(Window::Options) == QDialog::Accepted) {
            Save_Setting();
            Arm_Update_Timer();
        }
    } else if (state_.Dir_Project.isEmpty()) {
        Message_Box::Error(this, state_.STR(STR_Project_Not_Valid));
    } else if (Sender == Btn_Prm_Gen) {
        Show_Window(Window::Settings);
    } else if (Sender == Btn_Receive_COB) {
        Show_Window(Window::Receive_Frames);
    } else if (Sender == Btn_Transmit_COB) {
        Show_Window(Window::Transmit_Frames);
    } else if (Sender == Btn_Define_Receive_COB) {
        Show_Window(Window::Receive_Mappings);
    } else if (Sender == Btn_Define_Transmit_COB) {
        Show_Window(Window::Transmit_Mappings);
    } else if (Sender == Btn_CreateBin) {
        Update_Device();
    } else if (Sender == Btn_Register_Map) {
        Export_Register_Map();
    } else if (Sender == Btn_Monitor) {
        Monitor_Device();
    } else if (Sender == Btn_Bus_Check) {
        Show_Window(Window::Bus_Check);
    }
}

void Main_Window::Create_New_Project()
{
    // On OK the dialog has already created the configuration and made it the open one.
    if (Show_Window(Window::New_Configuration) != QDialog::Accepted) return;
    Show_Name_Conf();
}

void Main_Window::Open_Project()
{
    if (Show_Window(Window::Open_Configuration) != QDialog::Accepted) return;
    state_.Project_Name = windows_.Open_Configuration->Name_Conf();
    if (!state_.Project_Name.isEmpty())
        state_.Dir_Project = Configuration_Folder(state_.Dir_Projects, state_.Project_Name);
    else
        state_.Dir_Project.clear();
    Show_Name_Conf();
    Set_Files();
}

void Main_Window::Update_Device()
{
    // The check first: what the build would take although the device will probably not do
    // what was meant is shown, and the user goes on or back. Errors are left to the build,
    // which stops at the first with its own message. The configuration is read once and
    // interpreted once: the build encodes the records the check judged.
    const Configuration config = Load_Configuration(state_.Files);
    const Checked_Configuration checked = Check_And_Read(config);
    const Check_Summary summary = Summarize(checked.Findings);
    if (summary.Errors == 0 && summary.Warnings > 0) {
        Create_Dialog(Window::Check);
        windows_.Check->Show_Findings(checked.Findings);
        if (Show_Window(Window::Check) != QDialog::Accepted) return;
    }

    // Then both images: a file that cannot be read ends the update here, before anything is
    // written. Images that are not on disk must never reach the device: no update dialog then.
    try {
        Build_Device_Images(checked, config);
    } catch (const Device_Images_Error &e) {
        Message_Box::Error(this, state_.STR(e.Writing ? STR_Images_Not_Saved : STR_Images_Not_Built) +
                                     u'\n' + e.Text());
        return;
    }

    // Then the update dialog (device address, ping, update options); its result changes
    // nothing here.
    Show_Window(Window::Update);
}

void Main_Window::Export_Register_Map()
{
    // The name is the user's, so it is in their language; what the file holds is not.
    const QString suggested = state_.Dir_Project + QStringLiteral("/") +
                              state_.STR(STR_Register_Map_File_Name).arg(state_.Project_Name) + QStringLiteral(".pdf");
    QString filter = Map_Filter_Pdf;
    QString path = Ask_Map_Path ? Ask_Map_Path(this, suggested, &filter) : QString();
    if (path.isEmpty()) return;
    // The extension says the format; a name without one takes the filter's, and its extension.
    QString format = QFileInfo(path).suffix().toLower();
    if (format == u"htm") format = QStringLiteral("html");
    if (format != u"csv" && format != u"html" && format != u"pdf") {
        format = filter == Map_Filter_Csv ? QStringLiteral("csv") : filter == Map_Filter_Html ? QStringLiteral("html") : QStringLiteral("pdf");
        path += u'.' + format;
    }
    try {
        const Register_Map map =
            Read_Register_Map(state_.Files, state_.Project_Name, QDate::currentDate(), SW_Version_Text);
        Replace_File(path, format == u"csv"    ? Register_Map_Csv(map)
                           : format == u"html" ? Register_Map_Html(map)
                                               : Register_Map_Pdf(map));
        Message_Box::Information(this, state_.STR(STR_Register_Map_Written).arg(QDir::toNativeSeparators(path)).arg(map.Lines.size()));
    } catch (const File_Error &e) {
        Message_Box::Error(this, state_.STR(STR_Register_Map_Not_Written) + u'\n' + e.Text());
    }
}

void Main_Window::Monitor_Device()
{
    Create_Dialog(Window::Monitor);
    windows_.Monitor->Show_Monitor();
}

void Main_Window::Timer_UpdateTimer()
{
    Timer_Update->stop();
    // Refused while an earlier check waits for its answer; that answer restarts the countdown.
    Update_Check->Start(env_.http, state_.SW_Code, SW_Version_Text);
}

void Main_Window::Update_Checked(bool newer)
{
    if (newer) {
        LL_Update->setText(Link_Html(state_.STR(STR_New_Version_Link), Maker_Download_Url()));
        LL_Update->show();
    } else {
        LL_Update->hide();
    }
    Timer_Update->setInterval(Next_Check_Interval_Ms);
    // The options may have been switched off while the service was asked.
    Arm_Update_Timer();
}

void Main_Window::LL_UpdateLinkClick(const QString &Link)
{
    if (env_.shell) env_.shell->Open_Url(Link);
}

void Main_Window::L_NorvaleClick()
{
    if (env_.shell) env_.shell->Open_Url(Maker_Home_Url());
}

void Main_Window::Start_Program(const QString &program, const QString &Parameter, bool wait)
{
    if (env_.shell && env_.clock) ::Start_Program(*env_.shell, *env_.clock, program, Parameter, wait);
}
