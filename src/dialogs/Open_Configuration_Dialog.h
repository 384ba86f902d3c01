#pragma once
// The open configuration dialog: lists the configuration folders, starts on the open one and
// hands the chosen name to the main window, which opens it.
#include "workspace/App_State.h"

#include <QDialog>
#include <QStringList>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

class Open_Configuration_Dialog : public QDialog {
    Q_OBJECT
public:
    Open_Configuration_Dialog(App_State &state, QWidget *parent = nullptr);

    void Set_Lang();
    // Fills SL with the names of the configuration folders.
    void Load_Existing_Configuration();
    // Position in SL of snc, compared in upper case; -1 when it is not listed.
    int Search_Open_Conf(const QString &snc) const;

    // The chosen name; it lives as long as the dialog, from one showing to the next.
    const QString &Name_Conf() const { return Name_Conf_; }
    const QStringList &SL() const { return SL_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    // The smallest size: as drawn for the font in use, and never less than its texts need.
    void Fit_Size();
    QSize design_minimum_;
    void FormShow();
    void Configuration_Chosen(int row);

    App_State &state_;
    QStringList SL_;
    QString Name_Conf_;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_List = nullptr;
    QListWidget *LB_Configurations = nullptr;
    QFrame *P_Button = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
