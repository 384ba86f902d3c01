#pragma once
// The frames a recording of the bus carried, to choose from before they are learned into the
// receive frame list: identifier, format, length, cycle and count, a tick box each, a filter,
// and the factor from the largest gap to the TimeOut.
#include "dialogs/Ticked_List_Chooser.h"
#include "exchange/Bus_Learn.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

class QDoubleSpinBox;
class QLabel;

class Learn_Chooser : public Ticked_List_Chooser {
    Q_OBJECT
public:
    Learn_Chooser(App_State &state, const QList<Seen_Frame> &frames, double factor, QWidget *parent = nullptr);
    void Set_Lang();

    // The ticked frames, in list order, and the factor.
    QList<Seen_Frame> Chosen() const;
    double Factor() const;
    void Set_Factor(double factor);

    // The identifiers listed ("0x181 11-bit") and those the filter shows.
    QStringList Listed() const;
    QStringList Shown() const;

protected:
    bool Row_Matches(int row, const QString &filter) const override;

private:
    QList<Seen_Frame> frames_;
    QLabel *L_Factor = nullptr;
    QDoubleSpinBox *SE_Timeout_Factor = nullptr;
};

// What the user chose to learn from a log.
struct Learn_Choice {
    QList<Seen_Frame> Frames;
    double Factor = Default_Learn_Timeout_Factor;
};

// Reads the log at path, lists what it carried in a chooser and runs it through run (the dialog
// itself, or a test that ticks rows). Nothing when the log cannot be read (said in a box over
// parent) or the user cancels.
std::optional<Learn_Choice> Choose_Learned_Frames(App_State &state, QWidget *parent, const QString &path,
                                                  const std::function<bool(Learn_Chooser &)> &run);
