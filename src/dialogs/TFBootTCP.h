#pragma once
// The update dialog: first the converter's address and a ping that proves a device answers
// there, then the update options and the start of the updater.
#include "workspace/App_State.h"
#include "workspace/Environment.h"
#include "platform/XmlDocument.h"
#include "update/Update_Job.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Octet_Row;

class TFBootTCP : public QDialog {
    Q_OBJECT
public:
    // Created once, at program start. The updater is started through env's shell and waited
    // for on env's clock.
    TFBootTCP(App_State &state, Environment &env, QWidget *parent = nullptr);

    void Set_Lang();
    void FormShow();

    // Click handlers: Ping, Next, Execute update firmware.
    void LbButton1Click();
    void LbButton2Click();
    void LbButton4Click();

    // Writes the update job into the program's folder. Throws Xml_Error when it cannot.
    void Compile_XML_Parameter();

    // The last ping run found the device at the address the fields hold now.
    bool Ping_Succeeded() const { return Esegui_Ping; }
    // A ping run is going on.
    bool Ping_Running() const { return running_; }
    // The options as the check boxes hold them.
    Update_Options Options() const;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Layout_Controls();
    QList<QWidget *> Address_Controls() const;
    QList<QWidget *> Option_Controls() const;
    void Show_Address_Phase();
    void Show_Options_Phase();
    void Set_Running(bool running);
    void Address_Edited();
    void Show_Ping_Status(const QString &text, const QColor &color);
    QString Address_Text() const;

    App_State &state_;
    Environment &env_;

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

    // The job of the last "Execute update firmware"; rebuilt from nothing at every click.
    Xml_Document XML1;

    bool Esegui_Ping = false;
    bool running_ = false;
};
