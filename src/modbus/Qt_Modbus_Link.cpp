#include "modbus/Qt_Modbus_Link.h"

#include <QModbusReply>
#include <QVariant>
#include <QModbusTcpClient>

namespace {

Modbus_Link::State State_Of(QModbusDevice::State state)
{
    switch (state) {
    case QModbusDevice::ConnectingState: return Modbus_Link::State::Connecting;
    case QModbusDevice::ConnectedState: return Modbus_Link::State::Connected;
    case QModbusDevice::ClosingState: return Modbus_Link::State::Closing;
    case QModbusDevice::UnconnectedState: break;
    }
    return Modbus_Link::State::Unconnected;
}

}  // namespace

Qt_Modbus_Link::Qt_Modbus_Link(int reply_limit_ms)
{
    client_ = new QModbusTcpClient(this);
    client_->setTimeout(reply_limit_ms);
    client_->setNumberOfRetries(0);
    connect(client_, &QModbusClient::stateChanged, this, [this](QModbusDevice::State state) {
        if (On_State) On_State(State_Of(state));
    });
    connect(client_, &QModbusClient::errorOccurred, this, [this](QModbusDevice::Error error) {
        if (error != QModbusDevice::NoError && On_Error) On_Error(client_->errorString());
    });
}

Qt_Modbus_Link::~Qt_Modbus_Link()
{
    // Nobody is told of the closing: the owner is going away.
    On_State = nullptr;
    On_Error = nullptr;
    client_->disconnect(this);
    client_->disconnectDevice();
}

Modbus_Link::State Qt_Modbus_Link::Link_State() const { return State_Of(client_->state()); }

QString Qt_Modbus_Link::Error_Text() const { return client_->errorString(); }

bool Qt_Modbus_Link::Connect_To(const QString &host, uint16_t port)
{
    client_->setConnectionParameter(QModbusDevice::NetworkAddressParameter, host);
    client_->setConnectionParameter(QModbusDevice::NetworkPortParameter, int(port));
    return client_->connectDevice();
}

void Qt_Modbus_Link::Disconnect()
{
    if (client_->state() != QModbusDevice::UnconnectedState) client_->disconnectDevice();
}

namespace {

// Calls done once with the reply's result; the reply goes after.
void Answer_When_Finished(QObject *context, QModbusReply *reply, Modbus_Link::Done done)
{
    auto finished = [reply, done = std::move(done)] {
        reply->deleteLater();
        Modbus_Link::Answer answer;
        if (reply->error() != QModbusDevice::NoError) {
            answer.Error = reply->errorString();
        } else {
            const QList<quint16> values = reply->result().values();
            answer.Values = QList<uint16_t>(values.begin(), values.end());
        }
        done(answer);
    };
    if (reply->isFinished())
        finished();
    else
        // The link as context: once it is destroyed, no answer arrives.
        QObject::connect(reply, &QModbusReply::finished, context, finished);
}

}  // namespace

bool Qt_Modbus_Link::Read_Registers(int function, int unit, uint16_t start, uint16_t count, Done done)
{
    const QModbusDataUnit data(function == 4 ? QModbusDataUnit::InputRegisters : QModbusDataUnit::HoldingRegisters,
                               start, count);
    QModbusReply *reply = client_->sendReadRequest(data, unit);
    if (!reply) return false;
    Answer_When_Finished(this, reply, std::move(done));
    return true;
}

bool Qt_Modbus_Link::Write_Register(int unit, uint16_t reg, uint16_t value, Done done)
{
    // Function code 06: one register, exactly as the converter takes a single value.
    const QModbusRequest request(QModbusRequest::WriteSingleRegister, quint16(reg), quint16(value));
    QModbusReply *reply = client_->sendRawRequest(request, unit);
    if (!reply) return false;
    Answer_When_Finished(this, reply, std::move(done));
    return true;
}
