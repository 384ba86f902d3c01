#pragma once
// The update dialog: first the converter's address and a ping that proves a device answers
// there, then the update options and the start of the updater.
#include "workspace/App_State.h"
#include "workspace/Environment.h"
#include "platform/Xml_Document.h"
#include "update/Update_Job.h"
#include "update/Ping_Run.h"
#include "update/Update_Run.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class Octet_Row;

class Update_Dialog : public QDialog {
    Q_OBJECT
public:
    // Created once, at program start. The updater is started through env's shell and waited
    // for on env's clock.
    Update_Dialog(App_State &state, Environment &env, QWidget *parent = nullptr);

    void Set_Lang();
    void FormShow();

    // Click handlers: Ping, Next, Execute update firmware.
    void Ping_Click();
    void Next_Click();
    void Update_Click();

    // Writes the update job into the program's folder. Throws Xml_Error when it cannot.
    void Compile_XML_Parameter();

    // The last ping run found the device at the address the fields hold now.
    bool Ping_Succeeded() const { return Ping_Answered; }
    // A ping run is going on.
    bool Ping_Running() const { return running_; }
    // The dialog waits for the updater.
    bool Updater_Running() const { return updating_; }
    // The options as the check boxes hold them; a read-back box counts only with its main box.
    Update_Options Options() const;
    // What the last "Execute update firmware" came to, as the dialog shows it; empty before.
    QString Update_Report_Text() const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Layout_Controls();
    // Places every control for the texts it holds now: the window grows wider where a text
    // needs it and taller for a long ping status and for the update's result.
    void Arrange();
    QList<QWidget *> Address_Controls() const;
    QList<QWidget *> Option_Controls() const;
    void Show_Address_Phase();
    void Show_Options_Phase();
    void Set_Running(bool running);
    void Set_Updating(bool updating);
    void Update_Enabled_Options();
    void Address_Edited();
    bool Before_Ping_Attempt(int attempt);
    void Show_Ping_Status(const QString &text, const QColor &color);
    // The verdict (or the wait) in the result line, details below it in the report box.
    void Show_Update_Text(const QString &verdict, const QColor &color, const QString &details = {});
    void Show_Update_Result(const Update_Result &result);
    QString Address_Text() const;

    App_State &state_;
    Environment &env_;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;

    QLabel *L_IP_Address = nullptr;
    Octet_Row *Row_IP = nullptr;  // E_IP1 to E_IP4 are its parts
    QLineEdit *E_IP1 = nullptr;
    QLineEdit *E_IP2 = nullptr;
    QLineEdit *E_IP3 = nullptr;
    QLineEdit *E_IP4 = nullptr;
    QLabel *L_Ping = nullptr;
    QPushButton *Btn_Ping = nullptr;
    QLabel *LPing = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_Next = nullptr;

    QLabel *L_Options = nullptr;
    QCheckBox *CB_Firmware = nullptr;
    QCheckBox *CB_Read_Firm = nullptr;
    QCheckBox *CB_Conf = nullptr;
    QCheckBox *CB_Read_Conf = nullptr;
    QPushButton *Btn_Update = nullptr;
    // Offered once an update has succeeded: the user is done.
    QPushButton *Btn_Close = nullptr;
    // What the updater came to: the wait while it runs, then its verdict, and below it the
    // last lines of its report.
    QLabel *L_Update_Result = nullptr;
    QPlainTextEdit *E_Update_Report = nullptr;

    // The job of the last "Execute update firmware"; rebuilt from nothing at every click.
    Xml_Document XML1;

    bool Ping_Answered = false;
    // What the last ping run of the address in the fields came to; nothing when none ran since
    // the dialog opened or the address was last edited.
    std::optional<Ping_Run_Result::Outcome> last_ping_;
    bool running_ = false;
    bool stop_requested_ = false;
    // The address was edited after a ping had found the device there.
    bool address_changed_ = false;
    bool updating_ = false;
    bool options_phase_ = false;
};
