#include "dialogs/Dbc_Chooser.h"

#include "config/Config_Model.h"
#include "workspace/App_State.h"
#include "widgets/Language_Change.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>

#include <algorithm>

namespace {

// Signals: how many the message has; Reachable: how many of them the import gives a recipe.
enum Column { Col_Name, Col_Identifier, Col_Length, Col_Cycle, Col_Sender, Col_Signals, Col_Reachable, Col_Note, Column_Count };

constexpr int Max_Timeout_Factor = 1000;
constexpr int Min_Width = 640;

}  // namespace

Dbc_Chooser::Dbc_Chooser(App_State &state, Direction direction, const QList<Dbc_Message> &messages,
                         const QList<int> &to_map, const Dbc_Import_Choice &choice, QWidget *parent)
    : Ticked_List_Chooser(state, "TFDbc_Chooser", "TW_Messages", Column_Count, parent), direction_(direction),
      messages_(messages)
{
    QList<QStringList> texts;
    QList<bool> can_tick;
    for (int r = 0; r < messages_.size(); ++r) {
        const Dbc_Message &m = messages_[r];
        const QString cycle = m.Cycle_Time > 0 ? QString::number(m.Cycle_Time) : QString();
        texts.append({m.Name, Dbc_Identifier_Text(m) + (m.Extended() ? QStringLiteral(" (29)") : QString()),
                      QString::number(m.Length), cycle, m.Sender, QString::number(m.Signals.size()),
                      QString::number(r < to_map.size() ? to_map[r] : 0), m.Not_Importable_Reason()});
        can_tick.append(m.Importable());
    }
    Fill_Rows(texts, can_tick, {Col_Length, Col_Cycle, Col_Signals, Col_Reachable});

    if (direction_ == Direction::Receive) {
        L_Timeout_Factor = new QLabel(this);
        L_Timeout_Factor->setObjectName(QStringLiteral("L_Value"));
        SE_Timeout_Factor = new QSpinBox(this);
        SE_Timeout_Factor->setObjectName(QStringLiteral("SE_Timeout_Factor"));
        SE_Timeout_Factor->setRange(0, Max_Timeout_Factor);
        L_Timeout_Factor->setBuddy(SE_Timeout_Factor);
        Value_Row()->addWidget(L_Timeout_Factor);
        Value_Row()->addWidget(SE_Timeout_Factor);
        Value_Row()->addSpacing(16);
    }
    CB_With_Signals = new QCheckBox(this);
    CB_With_Signals->setObjectName(QStringLiteral("CB_With_Signals"));
    L_First_Register = new QLabel(this);
    L_First_Register->setObjectName(QStringLiteral("L_First_Register"));
    SE_First_Register = new QSpinBox(this);
    SE_First_Register->setObjectName(QStringLiteral("SE_First_Register"));
    SE_First_Register->setRange(0, Max_Mod_Index);
    L_First_Register->setBuddy(SE_First_Register);
    Value_Row()->addWidget(CB_With_Signals);
    Value_Row()->addWidget(L_First_Register);
    Value_Row()->addWidget(SE_First_Register);
    // The first register means something only while the signals are mapped.
    connect(CB_With_Signals, &QCheckBox::toggled, SE_First_Register, &QWidget::setEnabled);
    connect(CB_With_Signals, &QCheckBox::toggled, L_First_Register, &QWidget::setEnabled);
    Add_Buttons();
    resize(Min_Width, 420);
    Set_Choice(choice);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Dbc_Chooser::Set_Lang()
{
    const App_State &s = state_;
    if (L_Timeout_Factor) {
        L_Timeout_Factor->setText(s.STR(STR_Dbc_Timeout_Factor));
        SE_Timeout_Factor->setAccessibleName(s.STR(STR_Dbc_Timeout_Factor));
    }
    CB_With_Signals->setText(s.STR(STR_Dbc_With_Signals));
    L_First_Register->setText(s.STR(STR_Dbc_First_Register));
    SE_First_Register->setAccessibleName(s.STR(STR_Dbc_First_Register));
    for (int r = 0; r < messages_.size(); ++r) {
        const QString reason = messages_[r].Not_Importable_Reason();
        const QString tip = reason.isEmpty() ? QString() : s.STR(STR_Dbc_Not_Importable).arg(reason);
        for (int c = 0; c < Column_Count; ++c) Table()->item(r, c)->setToolTip(tip);
    }
    Set_Shared_Texts(s.STR(STR_Dbc_Chooser_Title),
                     {s.STR(STR_Dbc_Col_Message), s.STR(STR_Dbc_Col_Identifier), s.STR(STR_Dbc_Col_Length),
                      s.STR(STR_Dbc_Col_Cycle), s.STR(STR_Dbc_Col_Sender), s.STR(STR_Dbc_Col_Signals),
                      s.STR(STR_Dbc_Col_Reachable), s.STR(STR_Dbc_Col_Note)},
                     s.STR(STR_Dbc_Take));
    Fit_Columns();
}

void Dbc_Chooser::Fit_Columns()
{
    // Wide enough to show every column, the reasons included, without scrolling sideways (as far
    // as the screen allows), and the number fields below the list.
    QHeaderView *header = Table()->horizontalHeader();
    header->resizeSections(QHeaderView::ResizeToContents);
    int columns_w = 0;
    for (int c = 0; c < Column_Count; ++c) columns_w += header->sectionSize(c);
    const QMargins margins = layout()->contentsMargins();
    const int needed = std::max(columns_w + 2 * Table()->frameWidth() + Table()->verticalScrollBar()->sizeHint().width(),
                                Value_Row()->sizeHint().width()) +
                       margins.left() + margins.right();
    int limit = needed;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) limit = screen->availableGeometry().width() * 9 / 10;
    resize(std::clamp(needed, Min_Width, std::max(Min_Width, limit)), height());
}

QList<Dbc_Message> Dbc_Chooser::Chosen() const
{
    QList<Dbc_Message> out;
    for (const int r : Ticked_Rows()) out.append(messages_[r]);
    return out;
}

QStringList Dbc_Chooser::Chosen_Names() const
{
    QStringList names;
    for (const Dbc_Message &m : Chosen()) names.append(m.Name);
    return names;
}

Dbc_Import_Choice Dbc_Chooser::Choice() const
{
    Dbc_Import_Choice choice;
    choice.Timeout_Factor = SE_Timeout_Factor ? SE_Timeout_Factor->value() : timeout_factor_;
    choice.First_Register = SE_First_Register->value();
    choice.With_Signals = CB_With_Signals->isChecked();
    return choice;
}

void Dbc_Chooser::Set_Choice(const Dbc_Import_Choice &choice)
{
    timeout_factor_ = choice.Timeout_Factor;
    if (SE_Timeout_Factor) SE_Timeout_Factor->setValue(choice.Timeout_Factor);
    SE_First_Register->setValue(choice.First_Register);
    CB_With_Signals->setChecked(choice.With_Signals);
    SE_First_Register->setEnabled(choice.With_Signals);
    L_First_Register->setEnabled(choice.With_Signals);
}

void Dbc_Chooser::Check_Names(const QStringList &names)
{
    QList<bool> ticked;
    for (const Dbc_Message &m : messages_) ticked.append(names.contains(m.Name));
    Set_Ticked(ticked);
}

bool Dbc_Chooser::Row_Matches(int row, const QString &filter) const { return Dbc_Message_Matches(messages_[row], filter); }

QStringList Dbc_Chooser::Listed_Names() const
{
    QStringList names;
    for (const Dbc_Message &m : messages_) names.append(m.Name);
    return names;
}

QStringList Dbc_Chooser::Shown_Names() const
{
    QStringList names;
    for (int r = 0; r < messages_.size(); ++r)
        if (Is_Shown(r)) names.append(messages_[r].Name);
    return names;
}

int Dbc_Chooser::Row_Of(const QString &name) const
{
    for (int r = 0; r < messages_.size(); ++r)
        if (messages_[r].Name == name) return r;
    return -1;
}

bool Dbc_Chooser::Can_Choose(const QString &name) const { return Can_Tick(Row_Of(name)); }

QString Dbc_Chooser::Note(const QString &name) const
{
    const int r = Row_Of(name);
    return r >= 0 ? Cell(r, Col_Note) : QString();
}

QString Dbc_Chooser::Signal_Counts(const QString &name) const
{
    const int r = Row_Of(name);
    return r >= 0 ? Cell(r, Col_Signals) + u'/' + Cell(r, Col_Reachable) : QString();
}
