#include "device/Modbus_Tcp.h"

namespace {

constexpr int Mbap_Header_Size = 7;  // transaction 2, protocol 2, length 2, unit 1
// The length field counts the unit and the PDU: at least a function code, at most a whole
// 253-byte PDU.
constexpr int Min_Length = 2;
constexpr int Max_Length = 254;

uint16_t Be16(QByteArrayView b, qsizetype at) { return uint16_t(uint8_t(b[at]) << 8 | uint8_t(b[at + 1])); }

void Append_Be16(QByteArray &out, uint16_t v)
{
    out.append(char(v >> 8));
    out.append(char(v & 0xFF));
}

}  // namespace

void Mbap_Reader::Append(QByteArrayView bytes)
{
    if (Broken()) return;
    if (read_ > 0) {
        buffer_.remove(0, read_);
        read_ = 0;
    }
    buffer_.append(bytes);
}

std::optional<Mbap_Request> Mbap_Reader::Next()
{
    if (Broken()) return std::nullopt;
    const QByteArrayView rest = QByteArrayView(buffer_).sliced(read_);
    if (rest.size() < Mbap_Header_Size) return std::nullopt;
    const uint16_t protocol = Be16(rest, 2);
    const uint16_t length = Be16(rest, 4);
    if (protocol != 0) {
        broken_ = QStringLiteral("protocol identifier %1 is not Modbus (0)").arg(protocol);
        return std::nullopt;
    }
    if (length < Min_Length || length > Max_Length) {
        broken_ = QStringLiteral("length field %1 is outside %2 to %3").arg(length).arg(Min_Length).arg(Max_Length);
        return std::nullopt;
    }
    if (rest.size() < 6 + length) return std::nullopt;
    Mbap_Request request;
    request.Transaction = Be16(rest, 0);
    request.Unit = uint8_t(rest[6]);
    request.Pdu = rest.sliced(Mbap_Header_Size, length - 1).toByteArray();
    read_ += 6 + length;
    return request;
}

QByteArray Mbap_Response(const Mbap_Request &request, QByteArrayView pdu)
{
    QByteArray out;
    out.reserve(Mbap_Header_Size + pdu.size());
    Append_Be16(out, request.Transaction);
    Append_Be16(out, 0);
    Append_Be16(out, uint16_t(pdu.size() + 1));
    out.append(char(request.Unit));
    out.append(pdu);
    return out;
}

Modbus_Answer Answer_Modbus_Request(Device_Model &model, QByteArrayView pdu)
{
    Modbus_Answer a;
    a.Function = pdu.isEmpty() ? 0 : uint8_t(pdu[0]);
    auto fail = [&a](uint8_t code) {
        a.Exception = code;
        a.Written.clear();
        a.Pdu = QByteArray();
        a.Pdu.append(char(a.Function | 0x80));
        a.Pdu.append(char(code));
        return a;
    };
    switch (a.Function) {
    case Modbus_Read_Holding:
    case Modbus_Read_Input: {
        if (pdu.size() != 5) return fail(Modbus_Illegal_Value);
        a.Start = Be16(pdu, 1);
        a.Count = Be16(pdu, 3);
        if (a.Count < 1 || a.Count > Modbus_Max_Read) return fail(Modbus_Illegal_Value);
        const Read_Result r = model.Read(
            a.Function == Modbus_Read_Holding ? Register_Table::Holding : Register_Table::Input, a.Start, a.Count);
        if (r.Exception) return fail(r.Exception);
        a.Pdu.append(char(a.Function));
        a.Pdu.append(char(2 * a.Count));
        for (uint16_t v : r.Values) Append_Be16(a.Pdu, v);
        return a;
    }
    case Modbus_Write_Single: {
        if (pdu.size() != 5) return fail(Modbus_Illegal_Value);
        a.Start = Be16(pdu, 1);
        a.Count = 1;
        a.Written = {Be16(pdu, 3)};
        break;
    }
    case Modbus_Write_Multiple: {
        if (pdu.size() < 6) return fail(Modbus_Illegal_Value);
        a.Start = Be16(pdu, 1);
        a.Count = Be16(pdu, 3);
        const int bytes = uint8_t(pdu[5]);
        if (a.Count < 1 || a.Count > Modbus_Max_Write || bytes != 2 * int(a.Count) || pdu.size() != 6 + bytes)
            return fail(Modbus_Illegal_Value);
        for (uint32_t i = 0; i < a.Count; ++i) a.Written.append(Be16(pdu, 6 + 2 * i));
        break;
    }
    default:
        return fail(Modbus_Illegal_Function);
    }
    Write_Result w = model.Write(a.Start, a.Written);
    if (w.Exception) return fail(w.Exception);
    a.Sent = std::move(w.Sent);
    // Both write answers repeat the request's first five bytes (address and value or count).
    a.Pdu = pdu.first(5).toByteArray();
    return a;
}
