#pragma once
// The receive and transmit frame list editors: one dialog, told apart by its direction.
#include "dialogs/Editor_Imports.h"
#include "editing/Frame_List.h"
#include "exchange/Dbc_Direction_Import.h"
#include "exchange/Signal_Notes.h"
#include "widgets/Editor_Dialog.h"

struct App_State;
class Frame_Grid_Model;
class QFrame;
class QLabel;
class QPushButton;
class QTableView;
class Learn_Chooser;

class Frame_List_Editor : public Editor_Dialog, public Editor_Imports {
    Q_OBJECT
public:
    Frame_List_Editor(Direction direction, App_State &state, QWidget *parent);

    // Reloads the file, then runs the dialog modally. A file that cannot be shown completely is
    // reported and the dialog is not shown (result Rejected), so that OK can never replace the
    // user's file with part of it.
    int exec() override;

    void Set_Lang();
    // Empties the grid and loads the file; false after an error box when the file cannot be read.
    bool FormShow();
    // Validates the entries; on the first fault shows one error box and returns false.
    bool Validate_Rows();
    void Btn_OKClick();
    void Btn_InsRowClick();
    void Btn_DelRowClick();
    // Writes the grid as it stands to a sheet.
    void Btn_Export_CsvClick();
    // Replaces the grid's rows with a sheet's; frames that were in the file keep their numbers,
    // so that OK moves their mappings with them. Nothing is saved before OK.
    void Btn_Import_CsvClick();
    // Adds the messages the user chooses from a CAN database as frames, from the first empty
    // row down (a message the list already holds is not added twice), and maps their signals
    // onto registers with their recipes. Nothing is saved before OK, which writes the frame
    // list, the mappings and the signal notes together.
    void Btn_Import_DbcClick();
    // Receive list: adds the frames the user chooses from a recording of the bus, from the first
    // empty row down (Cob-ID, Dimension, Type and TimeOut as seen). Nothing is saved before OK.
    void Btn_LearnClick();
    // The recording to learn from (a file dialog unless a test answers; empty on Cancel), and the
    // run of the chooser of its frames (the dialog itself unless a test ticks the frames).
    std::function<QString()> Ask_Log_Path;
    std::function<bool(Learn_Chooser &chooser)> Run_Learn_Chooser;

    // True while the grid holds a frame, a text or an order that the file does not.
    bool Has_Changes() const override;

    const Frame_List_Kind &Kind() const { return kind_; }
    Frame_Grid_Model *Grid_Model() const { return model_; }
    QTableView *Grid_View() const { return sga; }
    // The grid row (1..250) of the focused cell, 0 when there is none.
    int Current_Row() const;

public slots:
    // A cell still being typed into counts before the question whether to throw work away.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Layout_Controls();
    // Every column title whole in the language in use; the dialog widens when they need more
    // room than it has.
    void Fit_Columns();
    void Update_Buttons();
    // The line under the grid: how the device reads the Cob-ID of the current row.
    void Update_Device_Reading();
    // An edit still open in a cell belongs to the grid before any button acts on it.
    void Commit_Open_Editor();

    // Puts the cursor on the first of the rows an import added (numbered from 1), if any.
    void Go_To_First_Added(const QList<int> &added_rows);

    const Frame_List_Kind &kind_;
    App_State &state_;
    Frame_Grid_Model *model_ = nullptr;
    // The frames as the file held them at this showing, in file order.
    QList<Frame_Row> stored_;
    // The grid as this showing loaded it.
    Frame_Grid loaded_;
    // Registers of database imports, until OK writes them.
    QList<Pending_Mapping> pending_;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_Device_Reads = nullptr;
    QTableView *sga = nullptr;
    QFrame *P_Button = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_DelRow = nullptr;
    QPushButton *Btn_InsRow = nullptr;
    QPushButton *Btn_Export_Csv = nullptr;
    QPushButton *Btn_Import_Csv = nullptr;
    QPushButton *Btn_Import_Dbc = nullptr;
    QPushButton *Btn_Learn = nullptr;  // receive only
};

class Receive_Frame_Editor : public Frame_List_Editor {
    Q_OBJECT
public:
    explicit Receive_Frame_Editor(App_State &state, QWidget *parent = nullptr)
        : Frame_List_Editor(Direction::Receive, state, parent)
    {
        setObjectName(QStringLiteral("TFReceiveCAN"));
    }
};

class Transmit_Frame_Editor : public Frame_List_Editor {
    Q_OBJECT
public:
    explicit Transmit_Frame_Editor(App_State &state, QWidget *parent = nullptr)
        : Frame_List_Editor(Direction::Transmit, state, parent)
    {
        setObjectName(QStringLiteral("TFTransmitCAN"));
    }
};
