#pragma once
// The About box: which software this is (code, version, manual) and the way to the maker's
// home page, and where the program keeps its work. Its texts are fixed English texts, except
// the workspace folder's title, which follows the language.
#include "workspace/App_State.h"
#include "workspace/Environment.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TFAbout : public QDialog {
    Q_OBJECT
public:
    TFAbout(App_State &state, Environment &env, QWidget *parent = nullptr);

    // Opens the maker's home page; the click of both the address and the picture.
    void Label4Click();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();

    App_State &state_;
    Environment &env_;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *L_Workspace = nullptr;       // the title
    QLabel *L_Workspace_Dir = nullptr;   // the folder, shortened in the middle when too long
    QPushButton *LbButton1 = nullptr;
};
