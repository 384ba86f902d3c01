#include "dialogs/About_Dialog.h"
#include "widgets/Dialog_Panels.h"
#include "widgets/Font_Scale.h"
#include "widgets/Link_Label.h"

#include "platform/Shell.h"
#include "platform/Web_Host.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

// The pictures are compiled into the window library; a static library's resources are only
// linked in when someone names them.
static void Init_Resources() { Q_INIT_RESOURCE(resources); }

namespace {
constexpr int Client_W = 406;
constexpr int Client_H = 190;
constexpr int Workspace_Y = 116;
constexpr int Text_X = 104;
constexpr int Value_X = 214;
}  // namespace

About_Dialog::About_Dialog(App_State &state, Environment &env, QWidget *parent)
    : QDialog(parent), state_(state), env_(env)
{
    setObjectName(QStringLiteral("TFAbout"));
    Init_Resources();
    FormCreate();
}

void About_Dialog::FormCreate()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("About..."));
    // The box was drawn for the usual font; a larger one enlarges it all alike.
    const double k = Font_Scale(this);
    auto px = [k](int length) { return Scaled(length, k); };
    client_ = Scaled(QSize(Client_W, Client_H), k);

    auto place = [&](QLabel *l, const char *name, int x, int y) {
        l->setObjectName(QLatin1String(name));
        l->setGeometry(px(x), px(y), px(Client_W - x - 8), px(16));
        return l;
    };
    auto label = [&](const char *name, const QString &text, int x, int y) {
        return place(new QLabel(text, this), name, x, y);
    };
    L_Product = label("Label1", QStringLiteral("Software Variroduvi "), Text_X, 12);
    QFont bold = L_Product->font();
    bold.setBold(true);
    L_Product->setFont(bold);
    L_Description = label("Label2", QString(), Text_X, 30);
    L_Code_Caption = label("Label6", QStringLiteral("Software Code : "), Text_X, 56);
    L_Code = label("Label9", QString(), Value_X, 56);
    L_Version_Caption = label("Label3", QStringLiteral("Version :"), Text_X, 74);
    L_Version = label("Label10", QString(), Value_X, 74);
    L_Document_Caption = label("Label8", QStringLiteral("Document Code :"), Text_X, 92);
    L_Document = label("Label12", QString(), Value_X, 92);
    for (QLabel *value : {L_Code, L_Version, L_Document}) value->setFont(bold);

    L_Workspace = label("L_Workspace", QString(), 12, Workspace_Y);
    L_Workspace_Dir = label("L_Workspace_Dir", QString(), 12, Workspace_Y + 18);
    L_Workspace_Dir->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Tab reaches the address too, and Enter or Space follows it.
    auto *web_link = new Link_Label(Web_Host(), this);
    L_Web_Link = place(web_link, "Label4", 12, Client_H - 12 - 21);
    L_Web_Link->resize(px(280), px(16));
    L_Web_Link->setAccessibleDescription(QStringLiteral("Maker's web site"));
    connect(web_link, &Link_Label::Activated, this, &About_Dialog::Open_Web_Site);

    Img_Logo = new QLabel(this);
    Img_Logo->setObjectName(QStringLiteral("Image2"));
    Img_Logo->setGeometry(px(12), px(12), px(80), px(80));
    Img_Logo->setPixmap(QPixmap(QStringLiteral(":/qcx3310_about.png")));
    Img_Logo->setScaledContents(true);
    Img_Logo->setCursor(Qt::PointingHandCursor);
    Img_Logo->setAccessibleName(QStringLiteral("Maker's web site"));
    Img_Logo->installEventFilter(this);

    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setObjectName(QStringLiteral("LbButton1"));
    Btn_OK->setGeometry(px(Client_W - 12 - 80), px(Client_H - 12 - 26), px(80), px(26));
    Btn_OK->setDefault(true);
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    // OK first, then the address.
    setTabOrder(Btn_OK, L_Web_Link);

    setFixedSize(client_);
    Center_On_Screen(this);
}

void About_Dialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void About_Dialog::FormShow()
{
    L_Description->setText(state_.SW_Desc);
    L_Code->setText(SW_Code_Text);
    L_Version->setText(SW_Version_Text);
    L_Document->setText(QStringLiteral("QDM3310"));
    L_Workspace->setText(state_.STR(STR_About_Workspace));
    const QString dir = QDir::toNativeSeparators(state_.Dir_Exe);
    L_Workspace_Dir->setText(
        L_Workspace_Dir->fontMetrics().elidedText(dir, Qt::ElideMiddle, L_Workspace_Dir->width()));
    L_Workspace_Dir->setToolTip(dir);
    setFixedSize(client_);
}

bool About_Dialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Img_Logo && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Open_Web_Site();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void About_Dialog::Open_Web_Site()
{
    // Nothing to report when no browser can be started: the address stays readable on screen.
    if (env_.shell) env_.shell->Open_Url(Maker_Home_Url());
}
