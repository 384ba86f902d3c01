#include "modbus/Qt_Modbus_Link.h"

#include <QModbusReply>
#include <QModbusTcpClient>
#include <QTcpSocket>
#include <QVariant>

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

// Qt words a socket's failure "TCP socket error (Connection refused)." in English whatever the
// user's language; the kind of the failure is what the window needs to say it in theirs.
Link_Fault Socket_Fault(const QAbstractSocket &socket)
{
    using K = Link_Fault::Kind;
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError: return {K::Refused, {}, 0};
    case QAbstractSocket::RemoteHostClosedError: return {K::Closed, {}, 0};
    case QAbstractSocket::HostNotFoundError: return {K::Host_Not_Found, {}, 0};
    case QAbstractSocket::SocketTimeoutError: return {K::Timeout, {}, 0};
    case QAbstractSocket::NetworkError: return {K::Unreachable, {}, 0};
    default: break;
    }
    return {K::Other, socket.errorString(), 0};
}

// What a finished reply came to, when it failed.
Link_Fault Reply_Fault(const QModbusReply &reply)
{
    using K = Link_Fault::Kind;
    switch (reply.error()) {
    case QModbusDevice::NoError: return {};
    case QModbusDevice::TimeoutError: return {K::Timeout, {}, 0};
    case QModbusDevice::ReplyAbortedError: return {K::Aborted, {}, 0};
    case QModbusDevice::ProtocolError:
        if (reply.rawResult().isException()) return {K::Exception, {}, int(reply.rawResult().exceptionCode())};
        return {K::Protocol, reply.errorString(), 0};
    case QModbusDevice::ConnectionError: return {K::Not_Connected, {}, 0};
    default: break;
    }
    return {K::Other, reply.errorString(), 0};
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
        if (error != QModbusDevice::NoError && On_Error) On_Error(Client_Fault());
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

Link_Fault Qt_Modbus_Link::Client_Fault() const
{
    using K = Link_Fault::Kind;
    switch (client_->error()) {
    case QModbusDevice::NoError: return {};
    case QModbusDevice::ConnectionError:
        // The client's socket is its child; without it the client's own words are all there is.
        if (const QAbstractSocket *socket = client_->findChild<QAbstractSocket *>();
            socket && socket->error() != QAbstractSocket::UnknownSocketError)
            return Socket_Fault(*socket);
        if (client_->state() != QModbusDevice::ConnectedState) return {K::Not_Connected, {}, 0};
        break;
    case QModbusDevice::TimeoutError: return {K::Timeout, {}, 0};
    default: break;
    }
    return {K::Other, client_->errorString(), 0};
}

Link_Fault Qt_Modbus_Link::Last_Fault() const { return Client_Fault(); }

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
            answer.Fault = Reply_Fault(*reply);
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
