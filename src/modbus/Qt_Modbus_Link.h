#pragma once
// The monitor's Modbus link over Qt SerialBus's TCP client. Built into a module of its own (see
// Modbus_Link.h); nothing else links it.
#include "monitor/Modbus_Link.h"

#include <QObject>

class QModbusTcpClient;

class Qt_Modbus_Link : public QObject, public Modbus_Link {
    Q_OBJECT
public:
    explicit Qt_Modbus_Link(int reply_limit_ms);
    ~Qt_Modbus_Link() override;

    State Link_State() const override;
    Link_Fault Last_Fault() const override;
    bool Connect_To(const QString &host, uint16_t port) override;
    void Disconnect() override;
    bool Read_Registers(int function, int unit, uint16_t start, uint16_t count, Done done) override;
    bool Write_Register(int unit, uint16_t reg, uint16_t value, Done done) override;

private:
    // The client's last error as a kind; its socket says why a connection failed.
    Link_Fault Client_Fault() const;

    QModbusTcpClient *client_ = nullptr;
};
