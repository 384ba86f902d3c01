#pragma once
// The About box: which software this is (code, version, manual) and the way to the maker's
// home page, and where the program keeps its work. Its texts are fixed English texts, except
// the workspace folder's title, which follows the language.
#include "workspace/App_State.h"
#include "workspace/Environment.h"

#include <QDialog>

class QLabel;
class QPushButton;

class About_Dialog : public QDialog {
    Q_OBJECT
public:
    About_Dialog(App_State &state, Environment &env, QWidget *parent = nullptr);

    // Opens the maker's home page; the click of both the address and the picture.
    void Open_Web_Site();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();

    App_State &state_;
    Environment &env_;

    QLabel *L_Product = nullptr;
    QLabel *L_Description = nullptr;
    QLabel *L_Code_Caption = nullptr;
    QLabel *L_Code = nullptr;
    QLabel *L_Version_Caption = nullptr;
    QLabel *L_Version = nullptr;
    QLabel *L_Document_Caption = nullptr;
    QLabel *L_Document = nullptr;
    QLabel *L_Web_Link = nullptr;
    QLabel *Img_Logo = nullptr;
    QLabel *L_Workspace = nullptr;       // the title
    QLabel *L_Workspace_Dir = nullptr;   // the folder, shortened in the middle when too long
    QPushButton *Btn_OK = nullptr;
    QSize client_;  // the box's fixed size, in the font it was made with
};
