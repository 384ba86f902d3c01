#pragma once
// A row of the Bus check window that records a live bus into a candump log: the adapter
// (PLUGIN:INTERFACE), the seconds, and Record, which turns into Stop while it runs. The recording
// is made by qcx3310-cli can-record, which lies beside the program: the configurator itself never
// loads the CAN plugins, and the window stays free while the bus is heard. A finished recording
// is a log like any other, surveyed by the window.
#include "workspace/App_State.h"

#include <QProcess>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class Bus_Recorder : public QWidget {
    Q_OBJECT
public:
    explicit Bus_Recorder(App_State &state, QWidget *parent = nullptr);
    ~Bus_Recorder() override;

    void Set_Lang();
    // Asks where the log goes (a file dialog unless a test puts its own answer here); empty on
    // Cancel. suggested: a name in the folder of the last log.
    std::function<QString(const QString &suggested)> Ask_Record_Path;
    // The recording program; qcx3310-cli beside this program unless a test says otherwise.
    QString Cli_Path;
    // The folder the suggested log name lies in.
    QString Log_Folder;

    void Btn_RecordClick();
    bool Recording() const { return process_ != nullptr; }
    QLineEdit *Interface_Edit() const { return E_Bus; }
    QSpinBox *Seconds_Box() const { return SE_Seconds; }

signals:
    // The log is written whole.
    void Recorded(const QString &path);
    // Why no log was written (the recording program's own words, or why it did not start).
    void Failed(const QString &reason);
    // The bus is open: from now on its frames go into the log.
    void Listening();
    // Recording started or ended (the window shows what runs).
    void Running_Changed(bool running, const QString &status);

private:
    void Finished(int exit_code, QProcess::ExitStatus status);

    App_State &state_;
    QProcess *process_ = nullptr;
    QString path_;
    QByteArray errors_;

    QLabel *L_Bus = nullptr;
    QLineEdit *E_Bus = nullptr;
    QSpinBox *SE_Seconds = nullptr;
    QLabel *L_Seconds = nullptr;
    QPushButton *Btn_Record = nullptr;
};
