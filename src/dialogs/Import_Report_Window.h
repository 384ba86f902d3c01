#pragma once
// The report of an import: a summary line and a scrolling list of what was taken and what was
// left out, line by line. Before a sheet with faults is taken it offers the choice to take the
// good lines anyway or nothing at all; after a completed import it only closes.
#include "exchange/Csv_Lists.h"
#include "exchange/Import_Summary.h"

#include <QDialog>
#include <QList>

struct App_State;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class Import_Report_Window : public QDialog {
    Q_OBJECT
public:
    // The lines of a sheet that cannot be taken, and the choice.
    Import_Report_Window(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent = nullptr);
    // What a completed import took and left out, with a close button.
    Import_Report_Window(App_State &state, const Import_Summary &summary, QWidget *parent = nullptr);
    void Set_Lang();

    // Shows the report modally; true when the user chose to take the good lines.
    static bool Ask_Take_Good_Lines(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent);
    // Shows the report of a completed import over parent (blocking parent until it is closed)
    // and returns at once; the report deletes itself when closed.
    static Import_Report_Window *Show_Done(App_State &state, const Import_Summary &summary, QWidget *parent);

private:
    void Layout_Controls(bool choice);

    App_State &state_;
    QList<Csv_Fault> faults_;
    bool choice_ = false;
    Import_Summary summary_;
    QLabel *L_Summary = nullptr;
    QPlainTextEdit *M_Lines = nullptr;
    QPushButton *Btn_Take_Good = nullptr;
    QPushButton *Btn_Take_None = nullptr;
    QPushButton *Btn_Close = nullptr;
};
