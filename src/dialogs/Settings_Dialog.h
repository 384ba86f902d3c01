#pragma once
// The communication settings dialog: CAN bit rate and the converter's Modbus TCP slave address,
// mask, optional gateway and port, kept in the configuration's ParGen.xml. The controls are the
// only copy of the settings; every showing reloads them from the file.
#include "workspace/App_State.h"
#include "config/Config_Model.h"
#include "widgets/Editor_Dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Settings_Dialog : public Editor_Dialog {
    Q_OBJECT
public:
    explicit Settings_Dialog(App_State &state, QWidget *parent = nullptr);

    void Set_Lang();
    // Loads the controls from File_ParGen. False (after an error box) when the file exists but
    // cannot be read or is not well-formed: the dialog must not open then, or OK would replace
    // the user's file with defaults.
    bool FormShow();
    // Shows the dialog modally after loading it; Rejected without showing when the load fails.
    int exec() override;

    bool Validate_Settings();
    void Btn_OKClick();
    // Closes with Cancel; asks first when something changed.
    void Btn_CancelClick();

    // True while a setting differs from what the showing loaded: a value typed and typed back,
    // or the gateway box ticked twice, is no change.
    bool Has_Changes() const override;
    bool Changed() const { return Has_Changes(); }
    // The settings as the controls hold them, in the form the file receives.
    Par_Gen_Texts Texts() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void Show_Texts(const Par_Gen_Texts &texts);
    // Widens the labels to their texts in the language in use and moves the fields beside them
    // along; the English texts fit the original places, which stay as they are.
    void Fit_Texts();

    App_State &state_;
    // How much larger than the usual font the dialog's font is; every drawn length grows so.
    double k_ = 1.0;
    int px(int length) const { return int(length * k_ + 0.5); }
    // The settings as this showing loaded them.
    Par_Gen_Texts loaded_;

    // Shows or hides L_Not_Stored and sizes the window around it.
    void Show_Storage(bool stored);
    bool stored_ = true;
    QWidget *P_Button = nullptr;

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QGroupBox *GB_CAN = nullptr;
    QLabel *L_CAN_Baud = nullptr;
    QComboBox *CB_Baud_CAN = nullptr;
    QGroupBox *GB_Modbus_TCP_Slave = nullptr;
    QLabel *L_ModTCPs_IP = nullptr;
    QLabel *L_ModTCPs_SM = nullptr;
    QCheckBox *CB_ModTCPs_EN_GAT = nullptr;
    QLabel *L_ModTCPs_Port = nullptr;
    // Shown while ParGen.xml does not exist: what the dialog shows is not what the device gets.
    QLabel *L_Not_Stored = nullptr;
    // The parts of the three Octet_Rows.
    QLineEdit *E_IP[4] = {};
    QLineEdit *E_SM[4] = {};
    QLineEdit *E_GAT[4] = {};
    QLineEdit *E_PORT = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
