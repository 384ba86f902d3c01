#pragma once
// The emulator's wiring: a Modbus TCP server and a CAN device around one Device_Model, a timer
// for its send timers and receive timeouts, the image files watched for a new pair, and one line
// on standard output per event.
#include "device/Device_Model.h"
#include "device/Image_Pair.h"
#include "device/Modbus_Tcp.h"
#include "platform/Clock.h"

#include <QCanBusDevice>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QHash>
#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <optional>

struct Emulator_Options {
    QString Bank1;
    QString Bank2;
    QHostAddress Listen_Address{QHostAddress::LocalHost};
    std::optional<quint16> Listen_Port;  // default: bank1's TCP_Port
    Can_Interface Can{QStringLiteral("virtualcan"), QStringLiteral("can0")};
    std::optional<uint8_t> Unit;         // default: every unit identifier is answered
    On_Timeout Timeout_Policy = On_Timeout::Keep;
    bool Watch = false;
    bool Json = false;
};

class Emulator : public QObject {
    Q_OBJECT
public:
    Emulator(const Emulator_Options &options, Image_Pair pair);
    ~Emulator() override;

    // Opens the Modbus port and the CAN bus. False, with the reason on standard error, when
    // either cannot be had.
    bool Start();
    // Prints the summary and closes both buses.
    void Stop();

private:
    struct Client {
        QString Name;  // address:port
        Mbap_Reader Reader;
    };
    struct Counters {
        quint64 Frames_In = 0, Applied = 0, Too_Short = 0, Ignored = 0;
        quint64 Frames_Out = 0, Frames_Out_Failed = 0;
        quint64 Requests = 0, Exceptions = 0, Writes = 0, Other_Units = 0;
        quint64 Clients = 0, Timeouts = 0, Reloads = 0, Refused_Reloads = 0;
    };

    void Event(const char *kind, const QString &text, QJsonObject fields = {});
    qint64 Now() { return clock_.Now_Ms(); }

    bool Open_Can(bool first);
    void Can_State(QCanBusDevice::CanBusDeviceState state);
    void Can_Frames();
    void Send(const QList<Frame_Out> &frames);

    void New_Connection();
    void Client_Data(QTcpSocket *socket);
    void Client_Gone(QTcpSocket *socket);
    void Answer(QTcpSocket *socket, Client &client, const Mbap_Request &request);

    void Arm_Timer();
    void Timer_Due();

    void Watch_Files();
    void Files_Changed();
    void Reload();

    Emulator_Options options_;
    Image_Pair pair_;
    Image_Pair refused_;  // the last pair a reload refused, so that it is reported once
    std::unique_ptr<Device_Model> model_;
    Real_Clock clock_;
    Counters count_;

    QTcpServer server_;
    QHash<QTcpSocket *, Client> clients_;

    std::unique_ptr<QCanBusDevice> can_;
    bool can_connected_ = false;
    bool can_opening_ = false;  // inside connectDevice
    bool stopping_ = false;
    QTimer reconnect_;
    QTimer timer_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};
