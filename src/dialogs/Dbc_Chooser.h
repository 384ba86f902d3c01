#pragma once
// The messages of a CAN database to choose from before an import into one direction: name,
// identifier, length, cycle time, sender, how many signals the message has and how many of them
// the import gives registers, a tick box each, a filter; below, the receive time-out factor and
// whether (and from which register on) the signals are mapped too. The frame list editor and
// the mapping editor of a direction both import with it, frames and signals in one go.
// A message the converter cannot carry is listed with the reason, and cannot be chosen.
#include "dialogs/Ticked_List_Chooser.h"
#include "exchange/Dbc_Direction_Import.h"

#include <QList>
#include <QStringList>

class QCheckBox;
class QLabel;
class QSpinBox;

class Dbc_Chooser : public Ticked_List_Chooser {
    Q_OBJECT
public:
    // to_map: per message, how many of its signals the import maps (Signals_To_Map); choice:
    // what the number fields start with.
    Dbc_Chooser(App_State &state, Direction direction, const QList<Dbc_Message> &messages, const QList<int> &to_map,
                const Dbc_Import_Choice &choice, QWidget *parent = nullptr);
    void Set_Lang();

    Direction Chooser_Direction() const { return direction_; }
    // The ticked messages, in database order.
    QList<Dbc_Message> Chosen() const;
    QStringList Chosen_Names() const;
    // The numbers and the signals' tick as they stand (the time-out factor of a transmit import
    // is left as given).
    Dbc_Import_Choice Choice() const;
    void Set_Choice(const Dbc_Import_Choice &choice);

    // Ticks the rows of these messages (those that can be chosen) and clears the others.
    void Check_Names(const QStringList &names);

    // The messages listed, and those the filter shows, in database order.
    QStringList Listed_Names() const;
    QStringList Shown_Names() const;
    // Whether the message's box can be ticked, the reason shown when not, and the counts of
    // its signals (all, and those the import maps) as the list shows them.
    bool Can_Choose(const QString &name) const;
    QString Note(const QString &name) const;
    QString Signal_Counts(const QString &name) const;

protected:
    bool Row_Matches(int row, const QString &filter) const override;

private:
    void Fit_Columns();
    int Row_Of(const QString &name) const;

    Direction direction_;
    QList<Dbc_Message> messages_;
    int timeout_factor_ = Default_Timeout_Factor;

    QLabel *L_Timeout_Factor = nullptr;  // receive only
    QSpinBox *SE_Timeout_Factor = nullptr;
    QCheckBox *CB_With_Signals = nullptr;
    QLabel *L_First_Register = nullptr;
    QSpinBox *SE_First_Register = nullptr;
};
