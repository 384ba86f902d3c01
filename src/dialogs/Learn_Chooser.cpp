#include "dialogs/Learn_Chooser.h"

#include "widgets/Message_Box.h"
#include "widgets/Mnemonics.h"
#include "workspace/App_State.h"
#include "widgets/Language_Change.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Col_Identifier, Col_Format, Col_Length, Col_Cycle, Col_Count, Column_Count };

QString Lengths_Text(const QList<int> &lengths)
{
    QStringList out;
    for (int l : lengths) out << QString::number(l);
    return out.join(QStringLiteral(", "));
}

// The median cycle in ms, as precise as it is useful.
QString Cycle_Text(const std::optional<int64_t> &us)
{
    if (!us) return QString();
    return QString::number(double(*us) / 1000.0, 'f', *us % 1000 == 0 ? 0 : 1);
}

}  // namespace

Learn_Chooser::Learn_Chooser(App_State &state, const QList<Seen_Frame> &frames, double factor, QWidget *parent)
    : QDialog(parent), state_(state), frames_(frames)
{
    setObjectName(QStringLiteral("TFLearn_Chooser"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);

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

    TW_Frames = new QTableWidget(int(frames_.size()), Column_Count, this);
    TW_Frames->setObjectName(QStringLiteral("TW_Frames"));
    TW_Frames->setSelectionBehavior(QAbstractItemView::SelectRows);
    TW_Frames->setSelectionMode(QAbstractItemView::SingleSelection);
    TW_Frames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TW_Frames->setTabKeyNavigation(false);
    TW_Frames->verticalHeader()->hide();
    TW_Frames->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TW_Frames->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(TW_Frames, 1);
    {
        const QSignalBlocker blocker(TW_Frames);
        for (int r = 0; r < frames_.size(); ++r) {
            const Seen_Frame &f = frames_[r];
            const QStringList texts{Identifier_Hex(f.Id, f.Extended), f.Extended ? QStringLiteral("29-bit") : QStringLiteral("11-bit"),
                                    Lengths_Text(f.Lengths), Cycle_Text(f.Cycle_Us), QString::number(f.Count)};
            for (int c = 0; c < Column_Count; ++c) {
                auto *item = new QTableWidgetItem(texts[c]);
                Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
                if (c == Col_Identifier) flags |= Qt::ItemIsUserCheckable;
                item->setFlags(flags);
                if (c == Col_Cycle || c == Col_Count) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (c == Col_Identifier) item->setCheckState(Qt::Unchecked);
                TW_Frames->setItem(r, c, item);
            }
        }
    }

    auto *row = new QHBoxLayout;
    L_Factor = new QLabel(this);
    L_Factor->setObjectName(QStringLiteral("L_Factor"));
    SE_Timeout_Factor = new QDoubleSpinBox(this);
    SE_Timeout_Factor->setObjectName(QStringLiteral("SE_Timeout_Factor"));
    SE_Timeout_Factor->setRange(0.1, 1000);
    SE_Timeout_Factor->setDecimals(1);
    SE_Timeout_Factor->setSingleStep(0.5);
    L_Factor->setBuddy(SE_Timeout_Factor);
    row->addWidget(L_Factor);
    row->addWidget(SE_Timeout_Factor);
    row->addStretch(1);
    layout->addLayout(row);

    auto *buttons = new QDialogButtonBox(this);
    Btn_Take = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    Btn_Take->setObjectName(QStringLiteral("Btn_Take"));
    Btn_Cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    // Enter in the filter field must not learn.
    for (QPushButton *b : {Btn_Select_All, Btn_Select_None, Btn_Take, Btn_Cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    layout->addWidget(buttons);

    connect(E_Filter, &QLineEdit::textChanged, this, &Learn_Chooser::Set_Filter);
    connect(Btn_Select_All, &QPushButton::clicked, this, &Learn_Chooser::Select_All);
    connect(Btn_Select_None, &QPushButton::clicked, this, &Learn_Chooser::Select_None);
    connect(TW_Frames, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == Col_Identifier) Update_Take();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(600, 420);
    Set_Factor(factor);
    Update_Take();
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Learn_Chooser::Set_Lang()
{
    const App_State &s = state_;
    setWindowTitle(s.STR(STR_Learn_Title));
    L_Filter->setText(s.STR(STR_Dbc_Filter));
    E_Filter->setAccessibleName(s.STR(STR_Dbc_Filter));
    Btn_Select_All->setText(s.STR(STR_Dbc_Select_All));
    Btn_Select_None->setText(s.STR(STR_Dbc_Select_None));
    TW_Frames->setHorizontalHeaderLabels({s.STR(STR_Dbc_Col_Identifier), s.STR(STR_Learn_Col_Format),
                                          s.STR(STR_Dbc_Col_Length), s.STR(STR_Dbc_Col_Cycle), s.STR(STR_Learn_Col_Count)});
    TW_Frames->setAccessibleName(s.STR(STR_Learn_Title));
    L_Factor->setText(s.STR(STR_Learn_Timeout_Factor));
    SE_Timeout_Factor->setAccessibleName(s.STR(STR_Learn_Timeout_Factor));
    Btn_Take->setText(s.STR(STR_Learn_Take));
    Btn_Cancel->setText(s.STR(STR_Dbc_Cancel));
    Assign_Mnemonics(this);
}

QList<Seen_Frame> Learn_Chooser::Chosen() const
{
    QList<Seen_Frame> out;
    for (int r = 0; r < frames_.size(); ++r)
        if (TW_Frames->item(r, Col_Identifier)->checkState() == Qt::Checked) out << frames_[r];
    return out;
}

double Learn_Chooser::Factor() const { return SE_Timeout_Factor->value(); }

void Learn_Chooser::Set_Factor(double factor) { SE_Timeout_Factor->setValue(factor); }

void Learn_Chooser::Set_Filter(const QString &text)
{
    if (E_Filter->text() != text) E_Filter->setText(text);  // comes back here through textChanged
    const QString filter = text.trimmed();
    for (int r = 0; r < frames_.size(); ++r) {
        const QString id = TW_Frames->item(r, Col_Identifier)->text();
        const QString format = TW_Frames->item(r, Col_Format)->text();
        TW_Frames->setRowHidden(r, !filter.isEmpty() && !id.contains(filter, Qt::CaseInsensitive) &&
                                       !format.contains(filter, Qt::CaseInsensitive));
    }
}

void Learn_Chooser::Select_All() { Set_Shown_Checks(true); }

void Learn_Chooser::Select_None() { Set_Shown_Checks(false); }

void Learn_Chooser::Set_Shown_Checks(bool checked)
{
    {
        const QSignalBlocker blocker(TW_Frames);
        for (int r = 0; r < frames_.size(); ++r)
            if (!TW_Frames->isRowHidden(r)) TW_Frames->item(r, Col_Identifier)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    Update_Take();
}

QStringList Learn_Chooser::Listed() const
{
    QStringList out;
    for (int r = 0; r < frames_.size(); ++r)
        out << TW_Frames->item(r, Col_Identifier)->text() + QLatin1Char(' ') + TW_Frames->item(r, Col_Format)->text();
    return out;
}

QStringList Learn_Chooser::Shown() const
{
    QStringList out;
    const QStringList listed = Listed();
    for (int r = 0; r < frames_.size(); ++r)
        if (!TW_Frames->isRowHidden(r)) out << listed[r];
    return out;
}

void Learn_Chooser::Update_Take() { Btn_Take->setEnabled(!Chosen().isEmpty()); }

std::optional<Learn_Choice> Choose_Learned_Frames(App_State &state, QWidget *parent, const QString &path,
                                                  const std::function<bool(Learn_Chooser &)> &run)
{
    Bus_Traffic traffic;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Can_Log_Result read = Read_Can_Log_File(path, [&traffic](const Log_Frame &f) { traffic.Add(f); });
    QApplication::restoreOverrideCursor();
    if (!read.Error.isEmpty()) {
        Message_Box::Error(parent, state.STR(STR_Bus_Not_Read).arg(read.Error));
        return std::nullopt;
    }
    Learn_Chooser chooser(state, Seen_Frames(traffic), Default_Learn_Timeout_Factor, parent);
    if (!run || !run(chooser)) return std::nullopt;
    Learn_Choice choice{chooser.Chosen(), chooser.Factor()};
    if (choice.Frames.isEmpty()) return std::nullopt;
    return choice;
}
