#include "widgets/Dialog_Panels.h"

#include "widgets/Wrapping_Delegate.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <QFrame>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

Title_Panel Make_Title_Panel(QWidget *parent, const QString &sw_code)
{
    Title_Panel t;
    t.P_Title = new QFrame(parent);
    t.P_Title->setObjectName(QStringLiteral("P_Title"));
    // A light band with a rule below it, apart from the dialog's own controls.
    t.P_Title->setStyleSheet(
        QStringLiteral("#P_Title { background: palette(base); border-bottom: 1px solid palette(mid); }"));

    t.L_SW_Code = new QLabel(sw_code, t.P_Title);
    t.L_SW_Code->setObjectName(QStringLiteral("L_SW_Code"));
    Set_Title_Style(t.L_SW_Code, Dialog_Title_Point_Size);

    t.L_SW_Desc = new QLabel(t.P_Title);
    t.L_SW_Desc->setObjectName(QStringLiteral("L_SW_Desc"));

    auto *layout = new QVBoxLayout(t.P_Title);
    layout->setContentsMargins(10, 4, 10, 6);
    layout->setSpacing(0);
    layout->addWidget(t.L_SW_Code);
    layout->addWidget(t.L_SW_Desc);
    return t;
}

void Set_Title_Style(QLabel *sw_code, int point_size)
{
    QFont big = sw_code->font();
    big.setPointSize(point_size);
    big.setBold(true);
    sw_code->setFont(big);
    sw_code->setStyleSheet(QStringLiteral("color: grey;"));
}

Button_Panel Make_Button_Panel(QWidget *parent)
{
    Button_Panel b;
    b.P_Button = new QFrame(parent);
    b.P_Button->setObjectName(QStringLiteral("P_Button"));
    b.Btn_OK = new QPushButton(b.P_Button);
    b.Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    b.Btn_Cancel = new QPushButton(b.P_Button);
    b.Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    for (QPushButton *button : {b.Btn_OK, b.Btn_Cancel}) button->setMinimumWidth(80);

    auto *layout = new QHBoxLayout(b.P_Button);
    layout->setContentsMargins(10, 6, 10, 8);
    layout->addStretch(1);
    layout->addWidget(b.Btn_OK);
    layout->addWidget(b.Btn_Cancel);
    return b;
}

QVBoxLayout *Stack_Dialog(QWidget *dialog, QWidget *title, QWidget *buttons, bool body_stretches, int body_bottom)
{
    auto *body = new QVBoxLayout;
    body->setContentsMargins(12, 8, 12, body_bottom);
    body->setSpacing(4);
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    layout->addLayout(body, body_stretches ? 1 : 0);
    if (!body_stretches) layout->addStretch(1);
    layout->addWidget(buttons);
    return body;
}

void Center_On_Screen(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        // move() places the frame, so the frame's size is what is centred.
        window->move(screen->availableGeometry().center() -
                     QRect(QPoint(), window->frameGeometry().size()).center());
}

namespace {

class Centre_On_Show : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The show event comes before the window is mapped, with the layout's size settled.
        if (event->type() == QEvent::Show && !event->spontaneous())
            if (auto *window = qobject_cast<QWidget *>(watched)) Center_On_Screen(window);
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void Keep_Centred(QWidget *window)
{
    if (!window || window->findChild<Centre_On_Show *>(QString(), Qt::FindDirectChildrenOnly)) return;
    window->installEventFilter(new Centre_On_Show(window));
}

QTableWidget *Make_Findings_Table(QWidget *parent)
{
    auto *table = new QTableWidget(0, 3, parent);
    table->setObjectName(QStringLiteral("TB_Findings"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    // A long reason wraps inside its column, and its row grows to show all of it.
    Wrap_Cells(table);
    return table;
}

namespace {
// The title bar's icon, its buttons (minimise, maximise, close) and the margins around them.
constexpr int Title_Bar_Room = 160;
}  // namespace

int Title_Width_Need(const QWidget *window)
{
    // The platform's title bar font where it names one (Qt keeps it under this class name),
    // otherwise the application's.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int need = QFontMetrics(font).horizontalAdvance(window->windowTitle()) + Title_Bar_Room;
    // A title with a very long configuration name may be shortened by the window manager
    // rather than make the window wider than the screen.
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? std::min(need, screen->availableGeometry().width() * 9 / 10) : need;
}

void Fit_Title(QWidget *window)
{
    // Never narrower than the title, nor than the controls need: a minimum set by hand takes
    // the place of the layout's.
    int need = Title_Width_Need(window);
    if (const QLayout *layout = window->layout()) need = std::max(need, layout->totalMinimumSize().width());
    window->setMinimumWidth(need);
    if (window->width() < need) window->resize(need, window->height());
}
