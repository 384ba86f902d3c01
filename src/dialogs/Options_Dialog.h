#pragma once
// The software options dialog: the language of the user interface (six languages a page, with
// their flags) and the internet options, including the on-demand version check.
#include <QDialog>
#include <QStringList>
#include <cstdint>

struct App_State;
struct Environment;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;
class Version_Checker;

class Options_Dialog : public QDialog {
    Q_OBJECT
public:
    // A language choice loads the table at once and announces it with Language_Changed, so
    // that every window can re-apply its texts; OK leaves the new settings in the state for
    // the owner to save and act on.
    Options_Dialog(App_State &state, Environment &env, QWidget *parent = nullptr);

    void Set_Lang();
    void Create_Lang_List();
    void Update_Lang_Page(int Num_Page);
    void Btn_NextClick(QObject *Sender);
    void LangClick(QObject *Sender);
    void Update_CheckBox();
    void Btn_OKClick();
    void Btn_Check_UpdateClick();
    void LL_Check_UpdateLinkClick(const QString &Link);

    // Asks the version service whether a version newer than this program's exists, without
    // holding up the window; the answer shows beside the button. False, and nothing asked,
    // while an earlier question is still open.
    bool Check_Version();
    static int32_t Conv_Version(const QString &Ver_str);

    const QStringList &Languages() const { return SL_Languages; }
    int Page() const { return Show_Page; }
    const QString &In_Use() const { return Language_In_Use; }

signals:
    void Language_Changed();

public slots:
    // Cancel, Escape and the close box: a language tried out meanwhile gives way to the one
    // in use before, so that the windows and the next start agree.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Never smaller than drawn for the font in use, nor than its texts need.
    void Fit_Size();
    QSize design_size_;
    void FormShow();
    void Layout_Controls();
    QWidget *Build_Language_Page();
    QWidget *Build_Connection_Page();
    void Show_Flag(int slot, const QString &name);
    void Version_Checked(bool newer);
    int Slot_Of(QObject *control) const;

    App_State &state_;
    Environment &env_;

    QStringList SL_Languages;
    int Show_Page = 1;
    QString Language_In_Use;
    bool list_built_ = false;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QTabWidget *PC_Options = nullptr;
    QWidget *TS_Language = nullptr;
    QWidget *TS_Con_Options = nullptr;
    QLabel *L_Sel_Lang = nullptr;
    QLabel *I_L[7] = {};  // slots 1 to 6
    QLabel *L_L[7] = {};
    QLabel *L_Page_Lang = nullptr;
    QPushButton *Btn_Prev = nullptr;
    QPushButton *Btn_Next = nullptr;
    QCheckBox *CB_En_Con = nullptr;
    QCheckBox *CB_Update = nullptr;
    QPushButton *Btn_Check_Update = nullptr;
    QLabel *LL_Check_Update = nullptr;
    QFrame *P_Button = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    Version_Checker *Checker = nullptr;
};
