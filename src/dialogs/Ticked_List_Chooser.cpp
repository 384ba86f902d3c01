#include "dialogs/Ticked_List_Chooser.h"

#include "widgets/Mnemonics.h"
#include "workspace/App_State.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

Ticked_List_Chooser::Ticked_List_Chooser(App_State &state, const char *object_name, const char *table_name, int columns,
                                         QWidget *parent)
    : QDialog(parent), state_(state)
{
    setObjectName(QLatin1String(object_name));
    setModal(true);
    auto *layout = new QVBoxLayout(this);

    // Made in the order Tab walks them: filter, list, selection buttons, the subclass's number
    // fields, Import and Cancel.
    auto *top = new QHBoxLayout;
    L_Filter = new QLabel(this);
    L_Filter->setObjectName(QStringLiteral("L_Filter"));
    E_Filter = new QLineEdit(this);
    E_Filter->setObjectName(QStringLiteral("E_Filter"));
    E_Filter->setClearButtonEnabled(true);
    L_Filter->setBuddy(E_Filter);
    top->addWidget(L_Filter);
    top->addWidget(E_Filter, 1);
    layout->addLayout(top);

    table_ = new QTableWidget(0, columns, this);
    table_->setObjectName(QLatin1String(table_name));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    // Tab leaves the list for the next control instead of walking its cells.
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->installEventFilter(this);
    layout->addWidget(table_, 1);

    value_row_ = new QHBoxLayout;
    Btn_Select_All = new QPushButton(this);
    Btn_Select_All->setObjectName(QStringLiteral("Btn_Select_All"));
    Btn_Select_None = new QPushButton(this);
    Btn_Select_None->setObjectName(QStringLiteral("Btn_Select_None"));
    value_row_->addWidget(Btn_Select_All);
    value_row_->addWidget(Btn_Select_None);
    value_row_->addSpacing(16);
    layout->addLayout(value_row_);

    connect(E_Filter, &QLineEdit::textChanged, this, &Ticked_List_Chooser::Set_Filter);
    connect(Btn_Select_All, &QPushButton::clicked, this, &Ticked_List_Chooser::Select_All);
    connect(Btn_Select_None, &QPushButton::clicked, this, &Ticked_List_Chooser::Select_None);
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() == 0) Update_Take();
    });
}

void Ticked_List_Chooser::Add_Buttons()
{
    value_row_->addStretch(1);
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
    layout()->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Update_Take();
}

void Ticked_List_Chooser::Fill_Rows(const QList<QStringList> &texts, const QList<bool> &can_tick,
                                    const QList<int> &right_aligned)
{
    const QSignalBlocker blocker(table_);  // rows half made are no choice to count
    table_->setRowCount(int(texts.size()));
    for (int r = 0; r < texts.size(); ++r) {
        const bool tickable = r < can_tick.size() && can_tick[r];
        for (int c = 0; c < table_->columnCount(); ++c) {
            auto *item = new QTableWidgetItem(c < texts[r].size() ? texts[r][c] : QString());
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == 0 && tickable) flags |= Qt::ItemIsUserCheckable;
            // The box of a row that cannot be chosen shows greyed.
            if (c == 0 && !tickable) flags = Qt::ItemIsSelectable;
            item->setFlags(flags);
            if (right_aligned.contains(c)) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 0) item->setCheckState(Qt::Unchecked);
            table_->setItem(r, c, item);
        }
    }
}

void Ticked_List_Chooser::Set_Shared_Texts(const QString &title, const QStringList &column_titles, const QString &take)
{
    const App_State &s = state_;
    setWindowTitle(title);
    L_Filter->setText(s.STR(STR_Dbc_Filter));
    E_Filter->setAccessibleName(Shown_Text(s.STR(STR_Dbc_Filter)));
    // The filter's clear button is a control of its own: it needs a name a screen reader can say.
    const QString clear = s.STR(STR_Chooser_Clear_Filter);
    for (QAction *action : E_Filter->actions()) {
        action->setText(clear);
        action->setToolTip(clear);
    }
    for (QToolButton *button : E_Filter->findChildren<QToolButton *>()) {
        button->setAccessibleName(clear);
        button->setToolTip(clear);
    }
    Btn_Select_All->setText(s.STR(STR_Dbc_Select_All));
    Btn_Select_None->setText(s.STR(STR_Dbc_Select_None));
    table_->setHorizontalHeaderLabels(column_titles);
    table_->setAccessibleName(title);
    if (Btn_Take) Btn_Take->setText(take);
    if (Btn_Cancel) Btn_Cancel->setText(s.STR(STR_Dbc_Cancel));
    Assign_Mnemonics(this);
}

bool Ticked_List_Chooser::eventFilter(QObject *watched, QEvent *event)
{
    // Reached by the keyboard, the list starts on the tick box of the first row shown (or of
    // the row it was on), so that Space ticks at once and a screen reader says the box.
    if (watched == table_ && event->type() == QEvent::FocusIn) {
        const auto *focus = static_cast<QFocusEvent *>(event);
        if (focus->reason() != Qt::MouseFocusReason) {
            int row = table_->currentRow();
            if (row < 0 || table_->isRowHidden(row)) {
                row = -1;
                for (int r = 0; r < table_->rowCount() && row < 0; ++r)
                    if (!table_->isRowHidden(r)) row = r;
            }
            if (row >= 0 && (row != table_->currentRow() || table_->currentColumn() != 0)) table_->setCurrentCell(row, 0);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Ticked_List_Chooser::Set_Filter(const QString &text)
{
    if (E_Filter->text() != text) E_Filter->setText(text);  // comes back here through textChanged
    const QString filter = text.trimmed();
    for (int r = 0; r < table_->rowCount(); ++r) table_->setRowHidden(r, !filter.isEmpty() && !Row_Matches(r, filter));
}

void Ticked_List_Chooser::Select_All() { Set_Shown_Checks(true); }

void Ticked_List_Chooser::Select_None() { Set_Shown_Checks(false); }

void Ticked_List_Chooser::Set_Shown_Checks(bool checked)
{
    {
        const QSignalBlocker blocker(table_);  // one update of the button, not one a row
        for (int r = 0; r < table_->rowCount(); ++r)
            if (!table_->isRowHidden(r) && Can_Tick(r)) table_->item(r, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    table_->viewport()->update();
    Update_Take();
}

void Ticked_List_Chooser::Set_Ticked(const QList<bool> &ticked)
{
    {
        const QSignalBlocker blocker(table_);
        for (int r = 0; r < table_->rowCount(); ++r)
            if (Can_Tick(r)) table_->item(r, 0)->setCheckState(r < ticked.size() && ticked[r] ? Qt::Checked : Qt::Unchecked);
    }
    table_->viewport()->update();
    Update_Take();
}

void Ticked_List_Chooser::Update_Take()
{
    if (Btn_Take) Btn_Take->setEnabled(!Ticked_Rows().isEmpty());
}

QList<int> Ticked_List_Chooser::Ticked_Rows() const
{
    QList<int> rows;
    for (int r = 0; r < table_->rowCount(); ++r)
        if (Is_Ticked(r)) rows.append(r);
    return rows;
}

bool Ticked_List_Chooser::Is_Ticked(int row) const
{
    return Can_Tick(row) && table_->item(row, 0)->checkState() == Qt::Checked;
}

bool Ticked_List_Chooser::Can_Tick(int row) const
{
    const QTableWidgetItem *item = row >= 0 && row < table_->rowCount() ? table_->item(row, 0) : nullptr;
    return item && (item->flags() & Qt::ItemIsUserCheckable) && (item->flags() & Qt::ItemIsEnabled);
}

int Ticked_List_Chooser::Row_Count() const { return table_->rowCount(); }

QString Ticked_List_Chooser::Cell(int row, int column) const
{
    const QTableWidgetItem *item = table_->item(row, column);
    return item ? item->text() : QString();
}

bool Ticked_List_Chooser::Is_Shown(int row) const { return !table_->isRowHidden(row); }
