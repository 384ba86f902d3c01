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

class TFNew_Project;
class TFOpenConf;
class TFBootTCP;
class TFAbout;
class TFSoftOptions;
class TFParGen;
class TFReceiveCAN;
class TFTransmitCAN;
class TFDefineRecCAN;
class TFDefineTransCAN;
class TFCheck;
class TFBus_Check;
class TFMonitor;

// The dialogs, each created when it is first needed (or all at once by Create_Dialogs) and alive
// until the program ends; nullptr until then.
struct App_Windows {
    TFNew_Project *New_Project = nullptr;
    TFOpenConf *OpenConf = nullptr;
    TFBootTCP *BootTCP = nullptr;
    TFAbout *About = nullptr;
    TFSoftOptions *SoftOptions = nullptr;
    TFParGen *ParGen = nullptr;
    TFReceiveCAN *ReceiveCAN = nullptr;
    TFTransmitCAN *TransmitCAN = nullptr;
    TFDefineRecCAN *DefineRecCAN = nullptr;
    TFDefineTransCAN *DefineTransCAN = nullptr;
    TFCheck *Check = nullptr;  // the findings before an update
    TFMonitor *Monitor = nullptr;  // the live registers; not modal
    TFBus_Check *Bus_Check = nullptr;  // the configuration against a recording of its bus
};

class TFVariroduvieFirmWare : public QWidget {
    Q_OBJECT
public:
    // Runs the whole start-up: workspace folders in dir_exe, settings, language, last
    // configuration, texts and file paths. The dialogs come later, each when first needed.
    TFVariroduvieFirmWare(App_State &state, Environment &env, const QString &dir_exe,
                          QWidget *parent = nullptr);
    // The same with the workspace Choose_Workspace picked (an installed program).
    TFVariroduvieFirmWare(App_State &state, Environment &env, const Workspace_Places &places,
                          QWidget *parent = nullptr);
    ~TFVariroduvieFirmWare() override;

    // Creates the dialogs not created yet, in their fixed order (each applies the texts of the
    // language in force at its creation). The program leaves it to first use.
    void Create_Dialogs();

    void Set_Lang();
    void Set_Files();
    void Change_Language();
    void Save_Setting();
    void Start_Program(const QString &NomeSW, const QString &Parameter, bool tipo);
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
    Environment &Env() { return env_; }
    App_Windows &Windows() { return windows_; }
    QTimer *Update_Timer() const { return Timer_Update; }
    Version_Checker *Update_Checker() const { return Update_Check; }

    // Why the language file of the settings could not be read at start ("" when it could);
    // said once, after the window has shown.
    const QString &Start_Language_Error() const { return start_language_error_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Layout_Controls();
    void Show_Name_Conf();
    // Qt's own texts (Yes, No, ...) in the language the table shows, where Qt has them.
    void Apply_Qt_Translation();
    void Update_Checked(bool newer);
    enum class Window { New_Project, OpenConf, BootTCP, About, SoftOptions, ParGen, ReceiveCAN, TransmitCAN,
                        DefineRecCAN, DefineTransCAN, Check, Monitor, Bus_Check };
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
