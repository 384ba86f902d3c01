#pragma once
// The live register monitor: every mapped register of the open configuration, read from the
// converter over Modbus TCP at a chosen period, with the time since each value last changed,
// and below them every signal of a CAN database whose registers hold it, with its physical
// value. A transmit register takes a new value typed into its row (function code 06); a
// transmit signal takes a physical value, written into its registers with the other signals
// that share them kept. The window is
// not modal: the user keeps working in the others while it polls, and nothing it does waits
// on the network. The write path (cells typed into) is in Monitor_Writes.cpp.
#include "monitor/Modbus_Link.h"
#include "exchange/Signal_Notes.h"
#include "monitor/Monitor_Plan.h"
#include "platform/Clock.h"
#include "workspace/App_State.h"

#include <QDialog>

#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class QTimer;

class Monitor_Window : public QDialog {
    Q_OBJECT
public:
    // clock times the "unchanged for" column (the real clock when null).
    Monitor_Window(App_State &state, Clock *clock, QWidget *parent = nullptr);
    ~Monitor_Window() override;

    void Set_Lang();
    // Reads the open configuration afresh and shows the window (brought to the front when it
    // is open already); a closed window gets the address and port of the configuration.
    // Connecting is the user's step.
    void Show_Monitor();

    // Connects to the address and port in the window, and keeps reconnecting until the user
    // disconnects or closes the window.
    void Btn_ConnectClick();

    bool Connected() const;
    QTableWidget *Table() const { return TB_Registers; }
    QString Status_Text() const;
    const QList<Monitor_Row> &Rows() const { return config_.Rows; }
    // Time between two tries to connect while the device cannot be reached.
    void Set_Retry_Ms(int ms) { retry_ms_ = ms; }

    // The columns of the register table.
    // Signal rows follow the register rows: Register holds all of the signal's registers, Decimal
    // and Hex its raw value, Value the physical one.
    enum Column {
        Col_Direction,
        Col_Register,
        Col_Cob_ID,
        Col_Mnemonic,
        Col_Bytes,
        Col_Decimal,
        Col_Hex,
        Col_Unchanged,
        Col_Signal,
        Col_Value,
        Col_Count
    };
    const QList<Signal_Note> &Signal_Rows() const { return signals_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void Fill_Table();
    void Fit_Columns();
    void Refresh_Values();
    void Start_Connection();
    void Stop_Connection();
    void State_Changed(Modbus_Link::State state);
    Modbus_Link::State Link_State() const;
    // The connection's state in the status line.
    void Show_State();
    void Connection_Failed(const QString &reason);
    void Poll();
    void Read_Finished(const Modbus_Link::Answer &answer, const Monitor_Read &read, quint64 generation);
    void Cell_Edited(QTableWidgetItem *item, const QString &text);
    void Write_Register(uint16_t reg, uint16_t value);
    void Write_Signal(const Signal_Note &note, const QString &text);
    QList<std::optional<uint16_t>> Signal_Registers(const Signal_Note &note) const;
    void Show_Status(const QString &text, bool error);

    // The converter answers any unit; 1 is the usual one.
    static constexpr int Unit_Id = 1;

    App_State &state_;
    Real_Clock own_clock_;
    Clock &clock_;
    Monitor_Configuration config_;
    QList<Signal_Note> signals_;  // the rows after config_.Rows
    QList<Monitor_Read> plan_;
    Monitor_Values values_;

    QFrame *P_Title = nullptr;
    QLabel *L_SW_Code = nullptr;
    QLabel *L_SW_Desc = nullptr;
    QLabel *L_IP = nullptr;
    QLineEdit *E_IP = nullptr;
    QLabel *L_Port = nullptr;
    QSpinBox *SE_Port = nullptr;
    QLabel *L_Period = nullptr;
    QSpinBox *SE_Period = nullptr;
    QPushButton *Btn_Connect = nullptr;
    QTableWidget *TB_Registers = nullptr;
    QLabel *L_Status = nullptr;
    QPushButton *Btn_Close = nullptr;

    // Made at the first connection; its module is loaded then.
    std::unique_ptr<Modbus_Link> link_;
    QTimer *poll_timer_ = nullptr;
    QTimer *retry_timer_ = nullptr;
    QTimer *connect_timer_ = nullptr;  // a connection attempt that hangs is given up
    bool wanted_ = false;              // the user asked for a connection
    QString host_;
    quint16 port_ = 0;
    int in_flight_ = 0;                // reads of the current round not yet answered
    bool round_failed_ = false;        // a read of the current round failed
    quint64 generation_ = 0;           // answers of an earlier connection are dropped
    int retry_ms_ = 1000;
    QString last_reason_;
    bool status_is_error_ = false;
};
