#include "dialogs/Learn_Chooser.h"

#include "widgets/Message_Box.h"
#include "workspace/App_State.h"
#include "widgets/Language_Change.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>

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
    : Ticked_List_Chooser(state, "TFLearn_Chooser", "TW_Frames", Column_Count, parent), frames_(frames)
{
    QList<QStringList> texts;
    for (const Seen_Frame &f : frames_)
        texts.append({Identifier_Hex(f.Id, f.Extended), f.Extended ? QStringLiteral("29-bit") : QStringLiteral("11-bit"),
                      Lengths_Text(f.Lengths), Cycle_Text(f.Cycle_Us), QString::number(f.Count)});
    Fill_Rows(texts, QList<bool>(frames_.size(), true), {Col_Cycle, Col_Count});

    L_Factor = new QLabel(this);
    L_Factor->setObjectName(QStringLiteral("L_Factor"));
    SE_Timeout_Factor = new QDoubleSpinBox(this);
    SE_Timeout_Factor->setObjectName(QStringLiteral("SE_Timeout_Factor"));
    SE_Timeout_Factor->setRange(0.1, 1000);
    SE_Timeout_Factor->setDecimals(1);
    SE_Timeout_Factor->setSingleStep(0.5);
    L_Factor->setBuddy(SE_Timeout_Factor);
    Value_Row()->addWidget(L_Factor);
    Value_Row()->addWidget(SE_Timeout_Factor);
    Add_Buttons();
    resize(600, 420);
    Set_Factor(factor);
    Set_Lang();
    Follow_Language_Change(this, [this] { Set_Lang(); });
}

void Learn_Chooser::Set_Lang()
{
    const App_State &s = state_;
    L_Factor->setText(s.STR(STR_Learn_Timeout_Factor));
    SE_Timeout_Factor->setAccessibleName(s.STR(STR_Learn_Timeout_Factor));
    Set_Shared_Texts(s.STR(STR_Learn_Title),
                     {s.STR(STR_Dbc_Col_Identifier), s.STR(STR_Learn_Col_Format), s.STR(STR_Dbc_Col_Length),
                      s.STR(STR_Dbc_Col_Cycle), s.STR(STR_Learn_Col_Count)},
                     s.STR(STR_Learn_Take));
}

QList<Seen_Frame> Learn_Chooser::Chosen() const
{
    QList<Seen_Frame> out;
    for (const int r : Ticked_Rows()) out << frames_[r];
    return out;
}

double Learn_Chooser::Factor() const { return SE_Timeout_Factor->value(); }

void Learn_Chooser::Set_Factor(double factor) { SE_Timeout_Factor->setValue(factor); }

bool Learn_Chooser::Row_Matches(int row, const QString &filter) const
{
    return Cell(row, Col_Identifier).contains(filter, Qt::CaseInsensitive) ||
           Cell(row, Col_Format).contains(filter, Qt::CaseInsensitive);
}

QStringList Learn_Chooser::Listed() const
{
    QStringList out;
    for (int r = 0; r < Row_Count(); ++r) out << Cell(r, Col_Identifier) + QLatin1Char(' ') + Cell(r, Col_Format);
    return out;
}

QStringList Learn_Chooser::Shown() const
{
    QStringList out;
    const QStringList listed = Listed();
    for (int r = 0; r < Row_Count(); ++r)
        if (Is_Shown(r)) out << listed[r];
    return out;
}

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
