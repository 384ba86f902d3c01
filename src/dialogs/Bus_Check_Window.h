#pragma once
// The configuration held against a recording of its bus, before the converter is installed:
// the engineer picks a log (candump or ASC), or records one from the bus, and reads what the
// converter would miss or misread, in the check window's layout (finding, frame, detail).
#include "exchange/Bus_Survey.h"
#include "workspace/App_State.h"

#include <QDialog>
#include <functional>

class Bus_Recorder;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class Bus_Check_Window : public QDialog {
    Q_OBJECT
public:
    explicit Bus_Check_Window(App_State &state, QWidget *parent = nullptr);

    void Set_Lang();
    // Clears what an earlier showing found; the log chosen last stays.
    void FormShow();
    // Asks for the log: a file dialog unless a test puts its own answer here; empty on Cancel.
    std::function<QString()> Ask_Log_Path;
    void Btn_BrowseClick();
    // Surveys the open configuration against the log named in E_Log (and the chosen interface).
    void Btn_RunClick();

    QTableWidget *Table() const { return TB_Findings; }
    Bus_Recorder *Recorder() const { return P_Record; }
    const QList<Survey_Finding> &Findings() const { return findings_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Show_Findings();

    App_State &state_;
    QList<Survey_Finding> findings_;
    bool surveyed_ = false;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_Log = nullptr;
    QLineEdit *E_Log = nullptr;
    QPushButton *Btn_Browse = nullptr;
    QLabel *L_Interface = nullptr;
    QComboBox *CB_Interface = nullptr;
    QPushButton *Btn_Run = nullptr;
    Bus_Recorder *P_Record = nullptr;
    QLabel *L_Summary = nullptr;
    QTableWidget *TB_Findings = nullptr;
    QFrame *P_Button = nullptr;
    QPushButton *Btn_Close = nullptr;
};
