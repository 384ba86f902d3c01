#include "dialogs/TFAbout.h"
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

TFAbout::TFAbout(App_State &state, Environment &env, QWidget *parent)
    : QDialog(parent), state_(state), env_(env)
{
    setObjectName(QStringLiteral("TFAbout"));
    Init_Resources();
    FormCreate();
}

void TFAbout::FormCreate()
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
    Label1 = label("Label1", QStringLiteral("Software Variroduvi "), Text_X, 12);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = label("Label2", QString(), Text_X, 30);
    Label6 = label("Label6", QStringLiteral("Software Code : "), Text_X, 56);
    Label9 = label("Label9", QString(), Value_X, 56);
    Label3 = label("Label3", QStringLiteral("Version :"), Text_X, 74);
    Label10 = label("Label10", QString(), Value_X, 74);
    Label8 = label("Label8", QStringLiteral("Document Code :"), Text_X, 92);
    Label12 = label("Label12", QString(), Value_X, 92);
    for (QLabel *value : {Label9, Label10, Label12}) value->setFont(bold);

    L_Workspace = label("L_Workspace", QString(), 12, Workspace_Y);
    L_Workspace_Dir = label("L_Workspace_Dir", QString(), 12, Workspace_Y + 18);
    L_Workspace_Dir->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Label4 = label("Label4", Web_Host(), 12, Client_H - 12 - 21);
    Label4->resize(280, 16);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    Label4->setAccessibleName(QStringLiteral("Maker's web site"));
    Label4->installEventFilter(this);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(12, 12, 80, 80);
    Image2->setPixmap(QPixmap(QStringLiteral(":/qcx3310_about.png")));
    Image2->setScaledContents(true);
    Image2->setCursor(Qt::PointingHandCursor);
    Image2->setAccessibleName(QStringLiteral("Maker's web site"));
    Image2->installEventFilter(this);

    LbButton1 = new QPushButton(QStringLiteral("OK"), this);
    LbButton1->setObjectName(QStringLiteral("LbButton1"));
    LbButton1->setGeometry(Client_W - 12 - 80, Client_H - 12 - 26, 80, 26);
    LbButton1->setDefault(true);
    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(Client_W, Client_H);
    Center_On_Screen(this);
}

void TFAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TFAbout::FormShow()
{
    Label2->setText(state_.SW_Desc);
    Label9->setText(SW_Code_Text);
    Label10->setText(SW_Version_Text);
    Label12->setText(QStringLiteral("QDM3310"));
    L_Workspace->setText(state_.STR(STR_About_Workspace));
    const QString dir = QDir::toNativeSeparators(state_.Dir_Exe);
    L_Workspace_Dir->setText(
        L_Workspace_Dir->fontMetrics().elidedText(dir, Qt::ElideMiddle, L_Workspace_Dir->width()));
    L_Workspace_Dir->setToolTip(dir);
    setFixedSize(Client_W, Client_H);
}

bool TFAbout::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Label4 || watched == Image2) && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFAbout::Label4Click()
{
    // Nothing to report when no browser can be started: the address stays readable on screen.
    if (env_.shell) env_.shell->Open_Url(Maker_Home_Url());
}
