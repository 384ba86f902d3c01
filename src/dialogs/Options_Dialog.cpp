#include "dialogs/Options_Dialog.h"

#include "workspace/App_State.h"
#include "workspace/Environment.h"
#include "lang/Lang_Pages.h"
#include "lang/Version_Check.h"
#include "lang/Version_Checker.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Font_Scale.h"
#include "widgets/Mnemonics.h"
#include "widgets/Message_Box.h"
#include "platform/Shell.h"
#include "platform/Web_Host.h"
#include "widgets/Language_Change.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int Flag_Size = 48;

// A flag bitmap drawn the classic way: the colour of its bottom-left pixel is transparent.
// Bitmaps that carry their own alpha channel keep it. Larger pictures are scaled down to fit.
QPixmap Load_Flag(const QString &path)
{
    QImage image(path);
    if (image.isNull()) return {};
    if (!image.hasAlphaChannel()) {
        const QRgb key = image.pixel(0, image.height() - 1) & RGB_MASK;
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] & RGB_MASK) == key) line[x] = 0;
            }
        }
    }
    if (image.width() > Flag_Size || image.height() > Flag_Size)
        image = image.scaled(Flag_Size, Flag_Size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(image);
}

}  // namespace

Options_Dialog::Options_Dialog(App_State &state, Environment &env, QWidget *parent)
    : QDialog(parent), state_(state), env_(env)
{
    setObjectName(QStringLiteral("TFSoftOptions"));
    Layout_Controls();
    Checker = new Version_Checker(this);
    connect(Checker, &Version_Checker::Finished, this, &Options_Dialog::Version_Checked);
    L_SW_Code->setText(state_.SW_Code);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Options_Dialog::Layout_Controls()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    design_size_ = Scaled(QSize(500, 430), Font_Scale(this));
    setFixedSize(design_size_);

    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);

    const Title_Panel title = Make_Title_Panel(this, state_.SW_Code);
    P_Title = title.P_Title;
    L_SW_Code = title.L_SW_Code;
    L_SW_Desc = title.L_SW_Desc;
    top->addWidget(P_Title);

    auto *middle = new QVBoxLayout;
    middle->setContentsMargins(10, 10, 10, 6);
    PC_Options = new QTabWidget(this);
    PC_Options->setObjectName(QStringLiteral("PC_Options"));
    TS_Language = Build_Language_Page();
    TS_Con_Options = Build_Connection_Page();
    PC_Options->addTab(TS_Language, QString());
    PC_Options->addTab(TS_Con_Options, QString());
    middle->addWidget(PC_Options);
    top->addLayout(middle, 1);

    const Button_Panel panel = Make_Button_Panel(this);
    P_Button = panel.P_Button;
    Btn_OK = panel.Btn_OK;
    Btn_Cancel = panel.Btn_Cancel;
    Btn_OK->setDefault(true);
    Btn_Cancel->setAutoDefault(false);
    top->addWidget(P_Button);

    connect(Btn_OK, &QPushButton::clicked, this, &Options_Dialog::Btn_OKClick);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget *Options_Dialog::Build_Language_Page()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TS_Language"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 12, 14, 10);

    L_Sel_Lang = new QLabel(page);
    L_Sel_Lang->setObjectName(QStringLiteral("L_Sel_Lang"));
    QFont bold = L_Sel_Lang->font();
    bold.setBold(true);
    L_Sel_Lang->setFont(bold);
    layout->addWidget(L_Sel_Lang);
    layout->addSpacing(8);

    // Slots 1 to 3 fill the left column from the top, slots 4 to 6 the right column.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    for (int k = 1; k <= Lang_Slots_Per_Page; ++k) {
        const int row = (k - 1) % 3;
        const int column = (k - 1) / 3 * 2;

        auto *flag = new QLabel(page);
        flag->setObjectName(QStringLiteral("I_L%1").arg(k));
        flag->setFixedSize(Scaled(Flag_Size, Font_Scale(this)), Scaled(Flag_Size, Font_Scale(this)));
        flag->setAlignment(Qt::AlignCenter);
        flag->setAccessibleName(QStringLiteral("Language flag %1").arg(k));

        auto *name = new QLabel(page);
        name->setObjectName(QStringLiteral("L_L%1").arg(k));
        name->setMinimumWidth(Scaled(150, Font_Scale(this)));
        name->setProperty("langSlot", true);
        // The names are reachable from the keyboard too: Tab to one, Enter or Space chooses it.
        name->setFocusPolicy(Qt::TabFocus);

        for (QLabel *control : {flag, name}) {
            control->setCursor(Qt::PointingHandCursor);
            control->installEventFilter(this);
            QSizePolicy policy = control->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            control->setSizePolicy(policy);
        }
        I_L[k] = flag;
        L_L[k] = name;
        grid->addWidget(flag, row, column);
        grid->addWidget(name, row, column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    layout->addStretch(1);

    auto *pager = new QHBoxLayout;
    Btn_Prev = new QPushButton(page);
    Btn_Prev->setObjectName(QStringLiteral("Btn_Prev"));
    L_Page_Lang = new QLabel(page);
    L_Page_Lang->setObjectName(QStringLiteral("L_Page_Lang"));
    L_Page_Lang->setAlignment(Qt::AlignCenter);
    Btn_Next = new QPushButton(page);
    Btn_Next->setObjectName(QStringLiteral("Btn_Next"));
    for (QPushButton *b : {Btn_Prev, Btn_Next}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(Scaled(90, Font_Scale(this)));
        QSizePolicy policy = b->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
        connect(b, &QPushButton::clicked, this, [this, b] { Btn_NextClick(b); });
    }
    pager->addWidget(Btn_Prev);
    pager->addWidget(L_Page_Lang, 1);
    pager->addWidget(Btn_Next);
    layout->addLayout(pager);

    page->setStyleSheet(QStringLiteral(
        "QLabel[langSlot=\"true\"] { border: 1px solid transparent; padding: 2px; }"
        "QLabel[langSlot=\"true\"]:focus { border: 1px dotted palette(text); }"));
    return page;
}

QWidget *Options_Dialog::Build_Connection_Page()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TS_Con_Options"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 14, 14, 10);
    layout->setSpacing(10);

    CB_En_Con = new QCheckBox(page);
    CB_En_Con->setObjectName(QStringLiteral("CB_En_Con"));
    CB_Update = new QCheckBox(page);
    CB_Update->setObjectName(QStringLiteral("CB_Update"));
    Btn_Check_Update = new QPushButton(page);
    Btn_Check_Update->setObjectName(QStringLiteral("Btn_Check_Update"));
    Btn_Check_Update->setAutoDefault(false);
    LL_Check_Update = new QLabel(page);
    LL_Check_Update->setObjectName(QStringLiteral("LL_Check_Update"));
    LL_Check_Update->setWordWrap(true);
    LL_Check_Update->setOpenExternalLinks(false);
    LL_Check_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    // No accessible name of its own: a screen reader reads the result it shows.
    LL_Check_Update->hide();

    layout->addWidget(CB_En_Con);
    layout->addWidget(CB_Update);
    layout->addSpacing(10);
    layout->addWidget(Btn_Check_Update, 0, Qt::AlignLeft);
    layout->addWidget(LL_Check_Update);
    layout->addStretch(1);

    // The check boxes share one click handler, as the two enabled states depend on both.
    connect(CB_En_Con, &QCheckBox::clicked, this, &Options_Dialog::Update_CheckBox);
    connect(CB_Update, &QCheckBox::clicked, this, &Options_Dialog::Update_CheckBox);
    connect(Btn_Check_Update, &QPushButton::clicked, this, &Options_Dialog::Btn_Check_UpdateClick);
    connect(LL_Check_Update, &QLabel::linkActivated, this, &Options_Dialog::LL_Check_UpdateLinkClick);
    return page;
}

void Options_Dialog::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(STR_Options_Caption));
    L_SW_Desc->setText(s.STR(STR_Options_Desc));
    PC_Options->setTabText(PC_Options->indexOf(TS_Language), s.STR(STR_Options_Language));
    PC_Options->setTabText(PC_Options->indexOf(TS_Con_Options), s.STR(STR_Options_Connection));
    L_Sel_Lang->setText(s.STR(STR_Options_Selected_Language));
    Btn_Prev->setText(s.STR(STR_Options_Previous));
    Btn_Next->setText(s.STR(STR_Options_Next));
    CB_En_Con->setText(s.STR(STR_Options_Enable_Internet));
    CB_Update->setText(s.STR(STR_Options_Check_At_Start));
    Btn_Check_Update->setText(s.STR(STR_Options_Check_Now));
    Btn_OK->setText(s.STR(STR_Options_OK));
    Btn_Cancel->setText(s.STR(STR_Options_Cancel));

    // Once a list is shown, the page label and the selected language keep telling the truth
    // in the new language instead of falling back to "1 / 1".
    if (list_built_)
        Update_Lang_Page(Show_Page);
    else
        L_Page_Lang->setText(Lang_Page_Label(s.STR(STR_Options_Page), 1, s.STR(STR_Options_Page_Of), 1));
    Assign_Mnemonics(this);
    Fit_Size();
}

void Options_Dialog::Fit_Size() { setFixedSize(design_size_.expandedTo(minimumSizeHint())); }

void Options_Dialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void Options_Dialog::FormShow()
{
    Language_In_Use = state_.Language_Name;
    Create_Lang_List();
    LL_Check_Update->hide();
    PC_Options->setCurrentWidget(TS_Language);
    CB_En_Con->setChecked(state_.Enable_Internet);
    CB_Update->setChecked(state_.Enable_Update);
    Update_CheckBox();
}

void Options_Dialog::Create_Lang_List()
{
    SL_Languages = ::Create_Lang_List(Language_Folders(state_));
    list_built_ = true;
    Show_Page = 1;
    Update_Lang_Page(1);
}

void Options_Dialog::Update_Lang_Page(int Num_Page)
{
    const int n = int(SL_Languages.size());
    const int pages = Lang_Page_Count(n);

    L_Sel_Lang->setText(state_.STR(STR_Options_Selected_Language) + Language_In_Use);
    L_Page_Lang->setText(Lang_Page_Label(state_.STR(STR_Options_Page), Num_Page, state_.STR(STR_Options_Page_Of), pages));
    Btn_Prev->setVisible(Num_Page != 1);
    Btn_Next->setVisible(Num_Page != pages);

    const Lang_Page_Range range = Lang_Page_Of(n, Num_Page);
    for (int k = 1; k <= Lang_Slots_Per_Page; ++k) {
        const bool shown = k <= range.Count;
        L_L[k]->setVisible(shown);
        I_L[k]->setVisible(shown);
        if (!shown) continue;
        const QString name = Lang_Name_Of(SL_Languages.at(range.First + k - 1));
        L_L[k]->setText(name);
        Show_Flag(k, name);
    }
}

void Options_Dialog::Show_Flag(int slot, const QString &name)
{
    QLabel *flag = I_L[slot];
    // A flag that cannot be read is passed over like a missing one.
    for (const QString &path : Lang_Flag_Candidates(Language_Folders(state_), name)) {
        const QPixmap picture = Load_Flag(path);
        if (picture.isNull()) continue;
        flag->setPixmap(picture);
        flag->setAccessibleName(name);
        flag->setVisible(true);
        return;
    }
    flag->clear();
    flag->setVisible(false);
}

void Options_Dialog::Btn_NextClick(QObject *Sender)
{
    const int pages = Lang_Page_Count(int(SL_Languages.size()));
    if (Sender == Btn_Next)
        Show_Page = Next_Lang_Page(Show_Page, pages);
    else if (Sender == Btn_Prev)
        Show_Page = Prev_Lang_Page(Show_Page);
    Update_Lang_Page(Show_Page);
}

int Options_Dialog::Slot_Of(QObject *control) const
{
    for (int k = 1; k <= Lang_Slots_Per_Page; ++k) {
        if (control == I_L[k] || control == L_L[k]) return k;
    }
    return 0;
}

bool Options_Dialog::eventFilter(QObject *watched, QEvent *event)
{
    if (Slot_Of(watched) != 0) {
        const bool click = event->type() == QEvent::MouseButtonRelease &&
                           static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        bool key = false;
        if (event->type() == QEvent::KeyPress) {
            const int k = static_cast<QKeyEvent *>(event)->key();
            key = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space;
        }
        if (click || key) {
            LangClick(watched);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Options_Dialog::LangClick(QObject *Sender)
{
    const int k = Slot_Of(Sender);
    const int entry = (Show_Page - 1) * Lang_Slots_Per_Page + k - 1;
    if (k == 0 || entry < 0 || entry >= SL_Languages.size()) return;
    const QString name = Lang_Name_Of(SL_Languages.at(entry));

    const QString question =
        state_.STR(STR_Language_Question_From) + Language_In_Use + state_.STR(STR_Language_Question_To) + name + state_.STR(STR_Language_Question_End);
    if (!Message_Box::Ask(this, question)) return;

    Language_In_Use = name;

    // The texts change now; the setting only with OK.
    const QString kept = state_.Language_Name;
    state_.Language_Name = name;
    QString failure;
    try {
        Load_Language(state_.Lang_Table, Language_Folders(state_), state_.Language_Name);
    } catch (const Lang_File_Error &error) {
        // The table holds the English texts by now; they are applied below like any language.
        failure = QString::fromStdString(error.what());
    }
    state_.Language_Name = kept;

    emit Language_Changed();
    L_Sel_Lang->setText(state_.STR(STR_Options_Selected_Language) + Language_In_Use);

    if (!failure.isEmpty())
        Message_Box::Error(this, state_.STR(STR_Language_Not_Read) + u'\n' + failure);
}

void Options_Dialog::reject()
{
    if (Language_In_Use != state_.Language_Name) {
        QString name = state_.Language_Name;
        try {
            Load_Language(state_.Lang_Table, Language_Folders(state_), name);
        } catch (const Lang_File_Error &) {
            // It was read at start or at its choice; if it cannot be read now, the English
            // texts that Load_Language left are the honest fallback.
        }
        Language_In_Use = state_.Language_Name;
        emit Language_Changed();
    }
    QDialog::reject();
}

void Options_Dialog::Update_CheckBox()
{
    if (CB_En_Con->isChecked()) {
        CB_Update->setEnabled(true);
    } else {
        CB_Update->setEnabled(false);
        Btn_Check_Update->setEnabled(false);
    }
    // While the service is asked the button rests, so that no second question goes out.
    Btn_Check_Update->setEnabled(CB_Update->isEnabled() && CB_Update->isChecked() && !Checker->Busy());
}

void Options_Dialog::Btn_OKClick()
{
    state_.Language_Name = Language_In_Use;
    state_.Enable_Internet = CB_En_Con->isChecked();
    state_.Enable_Update = CB_Update->isChecked();
    accept();
}

bool Options_Dialog::Check_Version()
{
    if (!Checker->Start(env_.http, state_.SW_Code, SW_Version_Text)) return false;
    Btn_Check_Update->setEnabled(false);
    // The busy cursor on this dialog only: the rest of the program remains usable meanwhile.
    setCursor(Qt::BusyCursor);
    return true;
}

int32_t Options_Dialog::Conv_Version(const QString &Ver_str) { return ::Conv_Version(Ver_str); }

void Options_Dialog::Btn_Check_UpdateClick() { Check_Version(); }

void Options_Dialog::Version_Checked(bool newer)
{
    unsetCursor();
    Update_CheckBox();
    if (newer) {
        LL_Check_Update->setTextFormat(Qt::RichText);
        LL_Check_Update->setText(Link_Html(state_.STR(STR_Options_New_Version), Maker_Download_Url()));
    } else if (Checker->Last_Verdict() == Version_Verdict::Unreachable) {
        // "No update available" would be a guess: nobody answered.
        LL_Check_Update->setTextFormat(Qt::PlainText);
        LL_Check_Update->setText(state_.STR(STR_Version_Service_Unreachable));
    } else {
        LL_Check_Update->setTextFormat(Qt::PlainText);
        LL_Check_Update->setText(state_.STR(STR_Options_No_Update));
    }
    LL_Check_Update->setVisible(true);
}

void Options_Dialog::LL_Check_UpdateLinkClick(const QString &Link)
{
    if (env_.shell) env_.shell->Open_Url(Link);
}
