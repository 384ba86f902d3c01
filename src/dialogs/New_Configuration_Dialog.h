#pragma once
// The new configuration dialog: asks for a name, creates the configuration's folder with its
// empty "bin" and makes it the open configuration. It ends with OK only after that.
#include "workspace/App_State.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class New_Configuration_Dialog : public QDialog {
    Q_OBJECT
public:
    New_Configuration_Dialog(App_State &state, QWidget *parent = nullptr);

    void Set_Lang();
    void Btn_OKClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    // Never smaller than drawn for the font in use, nor than its texts need.
    void Fit_Size();
    QSize design_size_;
    void FormShow();
    void E_New_ProjKeyPress();

    App_State &state_;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_Name = nullptr;
    QLineEdit *E_New_Proj = nullptr;
    QFrame *P_Button = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
