#pragma once
// The register mapping editors: for every frame of a direction's frame list the user defines
// Modbus registers and the frame bytes that fill their high and low parts. One dialog serves
// both directions; Receive_Mapping_Editor and Transmit_Mapping_Editor only pick the direction.
#include "config/Configuration.h"
#include "workspace/App_State.h"
#include "dialogs/Editor_Imports.h"
#include "editing/Mapping_List.h"
#include "exchange/Signal_Notes.h"
#include "widgets/Editor_Dialog.h"

class QAbstractButton;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;


class Mapping_Editor : public Editor_Dialog, public Editor_Imports {
    Q_OBJECT
public:
    Mapping_Editor(App_State &state, const Mapping_Direction &direction, QWidget *parent = nullptr);

    // Loads the files before the dialog appears. When they cannot be read the error is shown and
    // the dialog stays hidden, so that OK can never overwrite mappings it did not load.
    int exec() override;

    // Loads the frames and mappings, resets the lists and puts the focus on the frame list;
    // false (after showing the error) when a file is not well-formed or a row lacks an attribute.
    bool FormShow();
    void Set_Lang();

    // The registers differ from the ones this showing loaded. What the entry fields hold is not
    // part of it: OK does not save them either.
    bool Has_Changes() const override { return list_.Has_Changes(); }

    void Refresh_Frame_List();
    void Refresh_Register_List();
    void Refresh_Marked_Fields();
    void Refresh_Byte_Lists();

    void LB_CAN_FramesClick();
    void LB_Modbus_RegsClick();
    void Btn_Click(QAbstractButton *Sender);
    void Btn_OKClick();
    // Writes the registers as the lists hold them now to a sheet.
    void Btn_Export_CsvClick();
    // Replaces the registers with a sheet's. Nothing is saved before OK.
    void Btn_Import_CsvClick();
    // Imports the messages the user chooses from a CAN database: those the frame list does not
    // hold become frames at its end, and their signals (and those of listed frames without
    // registers) registers with their recipes. OK then writes the frame list, the mappings and
    // the signal notes together.
    void Btn_Import_SignalsClick();

    void Add_Mod_Reg();
    void Modify_Mod_Reg();
    void Delete_Mod_Reg();
    void Copy_Mod_Reg();
    void Paste_Mod_Reg();
    bool Check_Mod_Reg_in_Use(int32_t ind_MR, int app_ind_J1939, int app_ind_MR) const
    {
        return list_.Check_Mod_Reg_in_Use(ind_MR, app_ind_J1939, app_ind_MR);
    }

    const Mapping_List &Mappings() const { return list_; }
    const Mapping_Direction &Mapping() const { return dir_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Layout_Controls();
    // Places the controls for the texts of the current language: every text gets the room it
    // needs, and the English texts leave the layout at its drawn sizes.
    void Fit_Texts();
    // Puts the controls where the fitted columns and the window's size say.
    void Place_Controls();
    int Selected_Frame() const;
    int Selected_Register() const;
    // Bytes the selected frame offers (0 without a selection).
    int Offered_Selected() const;
    void Show_Byte_Choice(QComboBox *box, int32_t value);
    Mod_Reg_Entry Entry() const;
    // What Create or Modify reported; frame and reg are the register left out of the index
    // check (-1, -1 for Create).
    void Show_Result(Mapping_Result result, const Mod_Reg_Entry &entry = {}, int frame = -1, int reg = -1);
    int Other_Direction_Count(const Configuration &config) const;
    // The frame list entries under the frames, for the sheets; false after an error box when
    // the frame list could not be read whole at this showing.
    bool Have_Rows();
    // Shows the lists after an import replaced the registers.
    void Show_Imported();

    App_State &state_;
    const Mapping_Direction &dir_;
    Mapping_List list_;
    int unplaced_ = 0;  // mapping rows of the file that name no frame, at this showing
    // The frame list entries, one per frame, as this showing read them; rows_error_ says why
    // they could not be read.
    QList<Frame_Row> rows_;
    QString rows_error_;
    // The notes of the registers that imports made at this showing; OK writes them.
    QList<Signal_Note> new_notes_;
    // An import added frames to rows_: OK writes the frame list too.
    bool frames_added_ = false;
    // The columns' widths and the window's width for the texts of the language in use.
    int frames_w_ = 0;
    int regs_w_ = 0;
    int fitted_w_ = 0;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_CAN_Frame_Desc1 = nullptr;
    QLabel *L_CAN_Frame_Desc2 = nullptr;
    QListWidget *LB_CAN_Frames = nullptr;
    QLabel *L_Mod_Reg_Desc1 = nullptr;
    QLabel *L_Mod_Reg_Desc2 = nullptr;
    QListWidget *LB_Modbus_Regs = nullptr;
    QLabel *L_Mod_Ind_Desc1 = nullptr;
    QLabel *L_Mod_Ind_Desc2 = nullptr;
    QLineEdit *E_Index_Modbus = nullptr;
    QLabel *L_High_Part_Desc1 = nullptr;
    QLabel *L_High_Part_Desc2 = nullptr;
    QComboBox *CB_Byte_High_Part = nullptr;
    QLabel *L_Low_Part_Desc1 = nullptr;
    QLabel *L_Low_Part_Desc2 = nullptr;
    QComboBox *CB_Byte_Low_Part = nullptr;
    QLabel *L_Send_on_Write = nullptr;
    QComboBox *CB_SendJ1939_OnModWrite = nullptr;
    QPushButton *Btn_Create = nullptr;
    QPushButton *Btn_Modify = nullptr;
    QPushButton *Btn_Delete = nullptr;
    QPushButton *Btn_Copy = nullptr;
    QPushButton *Btn_Paste = nullptr;
    QFrame *P_Button = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_Export_Csv = nullptr;
    QPushButton *Btn_Import_Csv = nullptr;
    QPushButton *Btn_Import_Signals = nullptr;
    // Per frame of the list: what its line shows besides the mapping editor's own data.
    struct Frame_Label {
        bool Extended = false;
        QString Mnemonic;
    };
    QList<Frame_Label> frame_labels_;
};

class Receive_Mapping_Editor : public Mapping_Editor {
    Q_OBJECT
public:
    explicit Receive_Mapping_Editor(App_State &state, QWidget *parent = nullptr)
        : Mapping_Editor(state, Receive_Mapping, parent)
    {
    }
};

class Transmit_Mapping_Editor : public Mapping_Editor {
    Q_OBJECT
public:
    explicit Transmit_Mapping_Editor(App_State &state, QWidget *parent = nullptr)
        : Mapping_Editor(state, Transmit_Mapping, parent)
    {
    }
};
