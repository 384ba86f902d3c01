#pragma once
// The main window: the numbered steps of the configuration work, the active configuration,
// and the operations the dialogs call on it.
#include "workspace/App_State.h"
#include "workspace/Environment.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QTranslator;
class QToolButton;

class Version_Checker;

class New_Configuration_Dialog;
class Open_Configuration_Dialog;
class Update_Dialog;
class About_Dialog;
class Options_Dialog;
class Settings_Dialog;
class Receive_Frame_Editor;
class Transmit_Frame_Editor;
class Receive_Mapping_Editor;
class Transmit_Mapping_Editor;
class Check_Window;
class Bus_Check_Window;
class Monitor_Window;

// The dialogs, each created when it is first needed (or all at once by Create_Dialogs) and alive
// until the program ends; nullptr until then.
struct App_Windows {
    New_Configuration_Dialog *New_Configuration = nullptr;
    Open_Configuration_Dialog *Open_Configuration = nullptr;
    Update_Dialog *Update = nullptr;
    About_Dialog *About = nullptr;
    Options_Dialog *Options = nullptr;
    Settings_Dialog *Settings = nullptr;
    Receive_Frame_Editor *Receive_Frames = nullptr;
    Transmit_Frame_Editor *Transmit_Frames = nullptr;
    Receive_Mapping_Editor *Receive_Mappings = nullptr;
    Transmit_Mapping_Editor *Transmit_Mappings = nullptr;
    Check_Window *Check = nullptr;  // the findings before an update
    Monitor_Window *Monitor = nullptr;  // the live registers; not modal
    Bus_Check_Window *Bus_Check = nullptr;  // the configuration against a recording of its bus
};

class Main_Window : public QWidget {
    Q_OBJECT
public:
    // Runs the whole start-up: workspace folders in dir_exe, settings, language, last
    // configuration, texts and file paths. The dialogs come later, each when first needed.
    Main_Window(App_State &state, Environment &env, const QString &dir_exe,
                          QWidget *parent = nullptr);
    // The same with the workspace Choose_Workspace picked (an installed program).
    Main_Window(App_State &state, Environment &env, const Workspace_Places &places,
                          QWidget *parent = nullptr);
    ~Main_Window() override;

    // Creates the dialogs not created yet, in their fixed order (each applies the texts of the
    // language in force at its creation). The program leaves it to first use.
    void Create_Dialogs();

    void Set_Lang();
    void Set_Files();
    // The language of the table has changed: Qt's own texts follow, and every window of the
    // program applies the new texts at once (a LanguageChange event to each).
    void Change_Language();
    void Save_Setting();
    void Start_Program(const QString &program, const QString &Parameter, bool wait);
    void Btn_Click(QAbstractButton *Sender);
    void Create_New_Project();
    void Open_Project();
    void Update_Device();
    // Writes the open configuration's register map for the Modbus side, as CSV, HTML or PDF (by
    // the file's extension, else by the chosen filter), where the user says.
    void Export_Register_Map();
    // Asks where the register map goes: the path, or empty when the user cancels; *filter is
    // the filter chosen. A test puts its own answer here.
    std::function<QString(QWidget *parent, const QString &suggested, QString *filter)> Ask_Map_Path;
    // Opens the register monitor beside the main window (it stays open while the user works on).
    void Monitor_Device();
    // Stops the countdown and asks the version service off the window's thread; the answer
    // (Update_Checked) shows or hides the link and starts the next countdown.
    void Timer_UpdateTimer();
    void LL_UpdateLinkClick(const QString &Link);
    void L_NorvaleClick();
    // Enables the version-check timer exactly when both internet flags are set. A countdown
    // that runs keeps its time (confirming the options never postpones a check); a stopped one
    // starts with its interval, one minute until the first check has answered.
    void Arm_Update_Timer();

    App_State &State() { return state_; }
    App_Windows &Windows() { return windows_; }
    QTimer *Update_Timer() const { return Timer_Update; }
    Version_Checker *Update_Checker() const { return Update_Check; }

    // Why the language file of the settings could not be read at start ("" when it could);
    // said once, after the window has shown.
    const QString &Start_Language_Error() const { return start_language_error_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Layout_Controls();
    void Show_Name_Conf();
    // Qt's own texts (Yes, No, ...) in the language the table shows, where Qt has them.
    void Apply_Qt_Translation();
    void Update_Checked(bool newer);
    enum class Window { New_Configuration, Open_Configuration, Update, About, Options, Settings, Receive_Frames,
                        Transmit_Frames, Receive_Mappings, Transmit_Mappings, Check, Monitor, Bus_Check };
    // Builds the dialog unless it exists: centred at each showing, its signals connected.
    void Create_Dialog(Window window);
    // Shows one of the modal dialogs (built first if need be) and returns its result.
    int Show_Window(Window window);
    // The dialog of window, null while it has not been built.
    class QDialog *Dialog_Of(Window window) const;
    static int Show_Modal(class QDialog *dialog);

    App_State &state_;
    Environment &env_;
    App_Windows windows_;

    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *LL_Update = nullptr;
    QToolButton *Btn_Info = nullptr;
    QToolButton *Btn_Opz = nullptr;
    QToolButton *Btn_Close = nullptr;
    QLabel *L_Begin = nullptr;
    QFrame *P_Name_Conf = nullptr;
    QLabel *L_Name_Conf = nullptr;
    QLabel *L_Name_Conf_L2 = nullptr;
    QLabel *L_Step[9] = {};
    QPushButton *Btn_New = nullptr;
    QPushButton *Btn_Open = nullptr;
    QPushButton *Btn_Prm_Gen = nullptr;
    QPushButton *Btn_Receive_COB = nullptr;
    QPushButton *Btn_Define_Receive_COB = nullptr;
    QPushButton *Btn_Transmit_COB = nullptr;
    QPushButton *Btn_Define_Transmit_COB = nullptr;
    QPushButton *Btn_CreateBin = nullptr;
    QPushButton *Btn_Register_Map = nullptr;
    QPushButton *Btn_Monitor = nullptr;
    QPushButton *Btn_Bus_Check = nullptr;
    QLabel *L_Norvale = nullptr;
    QFrame *Separator = nullptr;
    QTimer *Timer_Update = nullptr;
    Version_Checker *Update_Check = nullptr;
    std::unique_ptr<QTranslator> qt_texts_;
    QString start_language_error_;
    bool start_reported_ = false;
};
