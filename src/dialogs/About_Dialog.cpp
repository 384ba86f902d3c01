#include "dialogs/About_Dialog.h"
#include "widgets/Dialog_Panels.h"

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

    auto label = [this](const char *name, const QString &text, int x, int y) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->move(x, y);
        l->resize(Client_W - x - 8, 16);
        return l;
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

    L_Web_Link = label("Label4", Web_Host(), 12, Client_H - 12 - 21);
    L_Web_Link->resize(280, 16);
    L_Web_Link->setCursor(Qt::PointingHandCursor);
    L_Web_Link->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    L_Web_Link->setAccessibleName(QStringLiteral("Maker's web site"));
    L_Web_Link->installEventFilter(this);

    Img_Logo = new QLabel(this);
    Img_Logo->setObjectName(QStringLiteral("Image2"));
    Img_Logo->setGeometry(12, 12, 80, 80);
    Img_Logo->setPixmap(QPixmap(QStringLiteral(":/qcx3310_about.png")));
    Img_Logo->setScaledContents(true);
    Img_Logo->setCursor(Qt::PointingHandCursor);
    Img_Logo->setAccessibleName(QStringLiteral("Maker's web site"));
    Img_Logo->installEventFilter(this);

    Btn_OK = new QPushButton(QStringLiteral("OK"), this);
    Btn_OK->setObjectName(QStringLiteral("LbButton1"));
    Btn_OK->setGeometry(Client_W - 12 - 80, Client_H - 12 - 26, 80, 26);
    Btn_OK->setDefault(true);
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(Client_W, Client_H);
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
    setFixedSize(Client_W, Client_H);
}

bool About_Dialog::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == L_Web_Link || watched == Img_Logo) && event->type() == QEvent::MouseButtonRelease &&
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
