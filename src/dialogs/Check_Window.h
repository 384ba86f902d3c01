#pragma once
// The findings of the check before an update that the build would not stop at: the engineer
// reads what the device will probably do otherwise than meant, then goes on to the update or
// back to the editors.
#include "config/Config_Check.h"
#include "workspace/App_State.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;

class Check_Window : public QDialog {
    Q_OBJECT
public:
    explicit Check_Window(App_State &state, QWidget *parent = nullptr);

    void Set_Lang();
    // Fills the table with the warnings among findings (errors stop the update elsewhere; the
    // information findings are no reason to stop).
    void Show_Findings(const QList<Check_Finding> &findings);
    QTableWidget *Table() const { return TB_Findings; }

private:
    App_State &state_;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_Findings = nullptr;
    QTableWidget *TB_Findings = nullptr;
    QFrame *P_Button = nullptr;
    QPushButton *Btn_Go_On = nullptr;
    QPushButton *Btn_Go_Back = nullptr;
};
