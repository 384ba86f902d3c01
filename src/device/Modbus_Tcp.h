#pragma once
// Modbus TCP as the converter speaks it, without sockets: cutting a connection's byte stream
// into requests (the MBAP header: transaction, protocol 0, length, unit), and answering one
// request's PDU from a Device_Model.
#include "device/Device_Model.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

constexpr uint8_t Modbus_Read_Holding = 0x03;
constexpr uint8_t Modbus_Read_Input = 0x04;
constexpr uint8_t Modbus_Write_Single = 0x06;
constexpr uint8_t Modbus_Write_Multiple = 0x10;
// The most registers one request may read or write (the PDU holds at most 253 bytes).
constexpr int Modbus_Max_Read = 125;
constexpr int Modbus_Max_Write = 123;

struct Mbap_Request {
    uint16_t Transaction = 0;
    uint8_t Unit = 0;
    QByteArray Pdu;  // function code and data
};

// Collects the bytes of one connection and hands out whole requests. A stream that breaks the
// framing (a protocol other than 0, a length that no PDU has) cannot be resynchronised: the
// reader then stays broken and the connection is to be closed.
class Mbap_Reader {
public:
    void Append(QByteArrayView bytes);
    std::optional<Mbap_Request> Next();
    bool Broken() const { return !broken_.isEmpty(); }
    QString Why_Broken() const { return broken_; }

private:
    QByteArray buffer_;
    qsizetype read_ = 0;  // bytes of buffer_ already handed out
    QString broken_;
};

// The response to a request: the same transaction and unit around the answer's PDU.
QByteArray Mbap_Response(const Mbap_Request &request, QByteArrayView pdu);

// One request answered: the response PDU and what the request was, for the event log.
struct Modbus_Answer {
    QByteArray Pdu;
    uint8_t Function = 0;
    uint8_t Exception = 0;   // 0: answered normally
    uint32_t Start = 0;
    uint32_t Count = 0;
    QList<uint16_t> Written; // the values of a write that was carried out
    QList<Frame_Out> Sent;   // the frames that write sends
};

// Answers function codes 03 and 04 (read), 06 and 16 (write) from the model; any other
// function is exception 01, a malformed request or a count out of range exception 03, an
// address no register holds exception 02.
Modbus_Answer Answer_Modbus_Request(Device_Model &model, QByteArrayView pdu);
