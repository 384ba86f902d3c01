#pragma once
// What an import from a sheet could not take, line by line, with the choice to take the good
// lines anyway or nothing at all.
#include "exchange/Csv_Lists.h"

#include <QDialog>
#include <QList>

struct App_State;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TFImport_Report : public QDialog {
    Q_OBJECT
public:
    TFImport_Report(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent = nullptr);
    void Set_Lang();

    // Shows the report modally; true when the user chose to take the good lines.
    static bool Ask_Take_Good_Lines(App_State &state, const QList<Csv_Fault> &faults, QWidget *parent);

private:
    App_State &state_;
    QList<Csv_Fault> faults_;
    QLabel *L_Summary = nullptr;
    QPlainTextEdit *M_Lines = nullptr;
    QPushButton *Btn_Take_Good = nullptr;
    QPushButton *Btn_Take_None = nullptr;
};
