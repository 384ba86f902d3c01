#include "dialogs/Dbc_Chooser.h"

#include "config/Config_Model.h"
#include "exchange/Dbc_Import.h"
#include "widgets/Mnemonics.h"
#include "workspace/App_State.h"
#include "widgets/Language_Change.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Signals: how many the message has; Reachable: how many of them an import gives a recipe.
enum Column { Col_Name, Col_Identifier, Col_Length, Col_Cycle, Col_Sender, Col_Signals, Col_Reachable, Col_Note, Column_Count };

constexpr int Max_Timeout_Factor = 1000;
constexpr int Min_Width = 640;

}  // namespace

Dbc_Chooser::Dbc_Chooser(App_State &state, Mode mode, const QList<Dbc_Message> &messages, int value,
                             QWidget *parent)
    : QDialog(parent), state_(state), mode_(mode), messages_(messages)
{
    Layout_Controls();
    Fill_Rows();
    Update_Take();
    Set_Value(value);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Dbc_Chooser::Layout_Controls()
{
    setObjectName(QStringLiteral("TFDbc_Chooser"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);

    // The filter and the two selection buttons above the list; the controls are made in the
    // order Tab walks them.
    auto *top = new QHBoxLayout;
    L_Filter = new QLabel(this);
    L_Filter->setObjectName(QStringLiteral("L_Filter"));
    E_Filter = new QLineEdit(this);
    E_Filter->setObjectName(QStringLiteral("E_Filter"));
    E_Filter->setClearButtonEnabled(true);
    L_Filter->setBuddy(E_Filter);
    Btn_Select_All = new QPushButton(this);
    Btn_Select_All->setObjectName(QStringLiteral("Btn_Select_All"));
    Btn_Select_None = new QPushButton(this);
    Btn_Select_None->setObjectName(QStringLiteral("Btn_Select_None"));
    top->addWidget(L_Filter);
    top->addWidget(E_Filter, 1);
    top->addWidget(Btn_Select_All);
    top->addWidget(Btn_Select_None);
    layout->addLayout(top);

    TW_Messages = new QTableWidget(0, Column_Count, this);
    TW_Messages->setObjectName(QStringLiteral("TW_Messages"));
    TW_Messages->setSelectionBehavior(QAbstractItemView::SelectRows);
    TW_Messages->setSelectionMode(QAbstractItemView::SingleSelection);
    TW_Messages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TW_Messages->setWordWrap(false);
    // Tab leaves the list for the next control instead of walking its cells.
    TW_Messages->setTabKeyNavigation(false);
    TW_Messages->verticalHeader()->hide();
    TW_Messages->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TW_Messages->horizontalHeader()->setStretchLastSection(true);
    TW_Messages->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(TW_Messages, 1);

    if (mode_ != Mode::Transmit_Frames) {
        auto *row = new QHBoxLayout;
        L_Value = new QLabel(this);
        L_Value->setObjectName(QStringLiteral("L_Value"));
        SE_Value = new QSpinBox(this);
        SE_Value->setObjectName(mode_ == Mode::Signals ? QStringLiteral("SE_First_Register")
                                                        : QStringLiteral("SE_Timeout_Factor"));
        SE_Value->setRange(0, mode_ == Mode::Signals ? Max_Mod_Index : Max_Timeout_Factor);
        L_Value->setBuddy(SE_Value);
        row->addWidget(L_Value);
        row->addWidget(SE_Value);
        row->addStretch(1);
        layout->addLayout(row);
    }

    auto *buttons = new QDialogButtonBox(this);
    Btn_Take = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    Btn_Take->setObjectName(QStringLiteral("Btn_Take"));
    Btn_Cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    // Enter in the filter field must not start the import.
    for (QPushButton *b : {Btn_Select_All, Btn_Select_None, Btn_Take, Btn_Cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    layout->addWidget(buttons);

    connect(E_Filter, &QLineEdit::textChanged, this, &Dbc_Chooser::Set_Filter);
    connect(Btn_Select_All, &QPushButton::clicked, this, &Dbc_Chooser::Select_All);
    connect(Btn_Select_None, &QPushButton::clicked, this, &Dbc_Chooser::Select_None);
    connect(TW_Messages, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == Col_Name) Update_Take();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(Min_Width, 420);
}

void Dbc_Chooser::Fill_Rows()
{
    const QSignalBlocker blocker(TW_Messages);  // rows half made are no choice to count
    TW_Messages->setRowCount(int(messages_.size()));
    for (int r = 0; r < messages_.size(); ++r) {
        const Dbc_Message &m = messages_[r];
        const QString cycle = m.Cycle_Time > 0 ? QString::number(m.Cycle_Time) : QString();
        const QStringList texts{m.Name, Dbc_Identifier_Text(m) + (m.Extended() ? QStringLiteral(" (29)") : QString()),
                                QString::number(m.Length), cycle, m.Sender, QString::number(m.Signals.size()),
                                QString::number(Reachable_Signals(m)), m.Not_Importable_Reason()};
        for (int c = 0; c < Column_Count; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == Col_Name && m.Importable()) flags |= Qt::ItemIsUserCheckable;
            item->setFlags(flags);
            if (c == Col_Length || c == Col_Cycle || c == Col_Signals || c == Col_Reachable) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == Col_Name) item->setCheckState(Qt::Unchecked);
            TW_Messages->setItem(r, c, item);
        }
        // The box of a message that cannot be chosen shows greyed, and the reason stands beside it.
        if (!m.Importable()) TW_Messages->item(r, Col_Name)->setFlags(Qt::ItemIsSelectable);
    }
}

void Dbc_Chooser::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(STR_Dbc_Chooser_Title));
    L_Filter->setText(s.STR(STR_Dbc_Filter));
    Btn_Select_All->setText(s.STR(STR_Dbc_Select_All));
    Btn_Select_None->setText(s.STR(STR_Dbc_Select_None));
    TW_Messages->setHorizontalHeaderLabels({s.STR(STR_Dbc_Col_Message), s.STR(STR_Dbc_Col_Identifier),
                                            s.STR(STR_Dbc_Col_Length), s.STR(STR_Dbc_Col_Cycle),
                                            s.STR(STR_Dbc_Col_Sender), s.STR(STR_Dbc_Col_Signals),
                                            s.STR(STR_Dbc_Col_Reachable), s.STR(STR_Dbc_Col_Note)});
    TW_Messages->setAccessibleName(s.STR(STR_Dbc_Chooser_Title));
    for (int r = 0; r < messages_.size(); ++r) {
        const QString reason = messages_[r].Not_Importable_Reason();
        const QString tip = reason.isEmpty() ? QString() : s.STR(STR_Dbc_Not_Importable).arg(reason);
        for (int c = 0; c < Column_Count; ++c) TW_Messages->item(r, c)->setToolTip(tip);
    }
    if (L_Value) {
        L_Value->setText(s.STR(mode_ == Mode::Signals ? STR_Dbc_First_Register : STR_Dbc_Timeout_Factor));
        SE_Value->setAccessibleName(L_Value->text());
    }
    Btn_Take->setText(s.STR(STR_Dbc_Take));
    Btn_Cancel->setText(s.STR(STR_Dbc_Cancel));
    Assign_Mnemonics(this);
    Fit_Columns();
}

void Dbc_Chooser::Fit_Columns()
{
    // Wide enough to show every column, the reasons included, without scrolling sideways (as far
    // as the screen allows).
    QHeaderView *header = TW_Messages->horizontalHeader();
    header->resizeSections(QHeaderView::ResizeToContents);
    int columns_w = 0;
    for (int c = 0; c < Column_Count; ++c) columns_w += header->sectionSize(c);
    const QMargins margins = layout()->contentsMargins();
    const int needed = columns_w + 2 * TW_Messages->frameWidth() + TW_Messages->verticalScrollBar()->sizeHint().width() +
                       margins.left() + margins.right();
    int limit = needed;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) limit = screen->availableGeometry().width() * 9 / 10;
    resize(std::clamp(needed, Min_Width, std::max(Min_Width, limit)), height());
}

QList<Dbc_Message> Dbc_Chooser::Chosen() const
{
    QList<Dbc_Message> out;
    for (int r = 0; r < messages_.size(); ++r)
        if (messages_[r].Importable() && TW_Messages->item(r, Col_Name)->checkState() == Qt::Checked)
            out.append(messages_[r]);
    return out;
}

QStringList Dbc_Chooser::Chosen_Names() const
{
    QStringList names;
    for (const Dbc_Message &m : Chosen()) names.append(m.Name);
    return names;
}

int Dbc_Chooser::Value() const { return SE_Value ? SE_Value->value() : 0; }

void Dbc_Chooser::Set_Value(int value)
{
    if (SE_Value) SE_Value->setValue(value);
}

void Dbc_Chooser::Set_Filter(const QString &text)
{
    if (E_Filter->text() != text) E_Filter->setText(text);  // comes back here through textChanged
    for (int r = 0; r < messages_.size(); ++r) TW_Messages->setRowHidden(r, !Dbc_Message_Matches(messages_[r], text));
}

void Dbc_Chooser::Set_Shown_Checks(bool checked)
{
    {
        const QSignalBlocker blocker(TW_Messages);  // one update of the button, not one a row
        for (int r = 0; r < messages_.size(); ++r)
            if (!TW_Messages->isRowHidden(r) && messages_[r].Importable())
                TW_Messages->item(r, Col_Name)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    TW_Messages->viewport()->update();
    Update_Take();
}

void Dbc_Chooser::Update_Take()
{
    // Importing nothing would close the window without a word: the button waits for a choice.
    bool any = false;
    for (int r = 0; r < messages_.size() && !any; ++r)
        if (const QTableWidgetItem *item = TW_Messages->item(r, Col_Name))
            any = messages_[r].Importable() && item->checkState() == Qt::Checked;
    Btn_Take->setEnabled(any);
}

void Dbc_Chooser::Select_All() { Set_Shown_Checks(true); }

void Dbc_Chooser::Select_None() { Set_Shown_Checks(false); }

void Dbc_Chooser::Check_Names(const QStringList &names)
{
    {
        const QSignalBlocker blocker(TW_Messages);
        for (int r = 0; r < messages_.size(); ++r)
            if (messages_[r].Importable())
                TW_Messages->item(r, Col_Name)->setCheckState(names.contains(messages_[r].Name) ? Qt::Checked : Qt::Unchecked);
    }
    TW_Messages->viewport()->update();
    Update_Take();
}

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
        if (!TW_Messages->isRowHidden(r)) names.append(messages_[r].Name);
    return names;
}

int Dbc_Chooser::Row_Of(const QString &name) const
{
    for (int r = 0; r < messages_.size(); ++r)
        if (messages_[r].Name == name) return r;
    return -1;
}

bool Dbc_Chooser::Can_Choose(const QString &name) const
{
    const int r = Row_Of(name);
    return r >= 0 && (TW_Messages->item(r, Col_Name)->flags() & Qt::ItemIsUserCheckable) &&
           (TW_Messages->item(r, Col_Name)->flags() & Qt::ItemIsEnabled);
}

QString Dbc_Chooser::Note(const QString &name) const
{
    const int r = Row_Of(name);
    return r >= 0 ? TW_Messages->item(r, Col_Note)->text() : QString();
}
