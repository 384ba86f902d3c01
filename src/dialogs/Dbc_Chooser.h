#pragma once
// The messages of a CAN database to choose from before an import: name, identifier, length,
// cycle time and sender, a check box each, a filter, and the import's one number. The frame
// list editors take the chosen messages as frames (the receive list with a time-out factor),
// the mapping editors map their signals onto registers (from a first register number).
// A message the converter cannot carry is listed with the reason, and cannot be chosen.
#include "exchange/Dbc_File.h"

#include <QDialog>
#include <QList>
#include <QStringList>

struct App_State;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class Dbc_Chooser : public QDialog {
    Q_OBJECT
public:
    enum class Mode {
        Receive_Frames,   // with the time-out factor
        Transmit_Frames,  // no number to give
        Signals,          // with the first register number
    };
    // value: the number's starting value (time-out factor or first register).
    Dbc_Chooser(App_State &state, Mode mode, const QList<Dbc_Message> &messages, int value,
                  QWidget *parent = nullptr);
    void Set_Lang();

    Mode Chooser_Mode() const { return mode_; }
    // The checked messages, in database order.
    QList<Dbc_Message> Chosen() const;
    QStringList Chosen_Names() const;
    // The time-out factor or the first register; 0 in Transmit_Frames mode.
    int Value() const;
    void Set_Value(int value);

    // What the controls do, also for tests that choose without clicking.
    void Set_Filter(const QString &text);
    // Ticks or clears every row the filter shows whose message can be chosen.
    void Select_All();
    void Select_None();
    // Ticks the rows of these messages (those that can be chosen) and clears the others.
    void Check_Names(const QStringList &names);

    // The messages listed, and those the filter shows, in database order.
    QStringList Listed_Names() const;
    QStringList Shown_Names() const;
    // Whether the message's check box can be ticked, and the reason shown when not.
    bool Can_Choose(const QString &name) const;
    QString Note(const QString &name) const;

private:
    void Layout_Controls();
    void Fill_Rows();
    void Fit_Columns();
    void Set_Shown_Checks(bool checked);
    // Import is offered once a message is ticked.
    void Update_Take();
    int Row_Of(const QString &name) const;

    App_State &state_;
    Mode mode_;
    QList<Dbc_Message> messages_;

    QLabel *L_Filter = nullptr;
    QLineEdit *E_Filter = nullptr;
    QPushButton *Btn_Select_All = nullptr;
    QPushButton *Btn_Select_None = nullptr;
    QTableWidget *TW_Messages = nullptr;
    QLabel *L_Value = nullptr;
    QSpinBox *SE_Value = nullptr;
    QPushButton *Btn_Take = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
