#include "device/Device_Model.h"

#include <algorithm>

namespace {

constexpr int Register_Count = 0x10000;

// Byte k (1..8) of a buffer holding length bytes; 0 for "None" and for a byte it does not hold.
uint8_t Byte_At(const uint8_t *data, int length, uint8_t k)
{
    return k >= 1 && k <= length ? data[k - 1] : 0;
}

uint16_t Value_Of(const uint8_t *data, int length, const Register_Mapping &m)
{
    return uint16_t(Byte_At(data, length, m.Hi) << 8 | Byte_At(data, length, m.Lo));
}

Register_Mapping Mapping_Of(const Map_Entry &e)
{
    Register_Mapping m;
    m.Register = e.Mod_Index;
    m.Frame = e.Num_Frame;
    // A byte choice beyond 8 (a hand-made image) names no byte a frame can carry.
    m.Hi = e.Byte_HiPart <= Max_Can_Data ? uint8_t(e.Byte_HiPart) : 0;
    m.Lo = e.Byte_LoPart <= Max_Can_Data ? uint8_t(e.Byte_LoPart) : 0;
    m.Send_On_Write = e.Flags & Map_Flag_Send_On_Write;
    return m;
}

// Chains the mappings of one direction by register number, first in file order first.
void Link_By_Register(QList<Register_Mapping> &maps, std::vector<int32_t> &first)
{
    first.assign(Register_Count, -1);
    for (int i = int(maps.size()) - 1; i >= 0; --i) {
        maps[i].Next_Same = first[maps[i].Register];
        first[maps[i].Register] = i;
    }
}

}  // namespace

Device_Model::Device_Model(const Decoded_Images &images, qint64 now_ms) : header_(images.Header)
{
    const int rx_frames = images.Rx_Frames();
    for (int i = 0; i < images.Frames.size(); ++i) {
        const Frame_Entry &e = images.Frames[i];
        if (i < rx_frames) {
            Rx_Frame f;
            f.Ident = e.Ident;
            f.Dimension = e.Dimension;
            f.Time_Out = e.Time_Out;
            f.Last_Ms = now_ms;
            rx_by_ident_[f.Ident].append(int(rx_.size()));
            rx_.append(f);
        } else {
            Tx_Frame f;
            f.Ident = e.Ident;
            f.Dimension = e.Dimension;
            f.Data = QByteArray(qMin<int>(e.Dimension, Max_Can_Data), '\0');
            f.Send_Timer = e.Send_Timer;
            f.Data_Change = e.Flags & Frame_Flag_Data_Change;
            f.Next_Send_Ms = now_ms + e.Send_Timer;
            tx_.append(f);
        }
    }
    tx_frame_maps_.resize(tx_.size());
    const int rx_maps = images.Rx_Maps();
    for (int i = 0; i < images.Maps.size(); ++i) {
        const Register_Mapping m = Mapping_Of(images.Maps[i]);
        // A pair without problems names only frames of the mapping's direction; anything else
        // is left out rather than trusted.
        if (i < rx_maps) {
            if (m.Frame >= rx_.size()) continue;
            rx_[m.Frame].Maps.append(int(rx_maps_.size()));
            rx_maps_.append(m);
        } else {
            if (m.Frame >= tx_.size()) continue;
            tx_frame_maps_[m.Frame].append(int(tx_maps_.size()));
            tx_maps_.append(m);
        }
    }
    Link_By_Register(rx_maps_, rx_first_);
    Link_By_Register(tx_maps_, tx_first_);
    rx_value_.assign(Register_Count, 0);
}

uint16_t Device_Model::Rx_Value(const Register_Mapping &m) const
{
    const Rx_Frame &f = rx_[m.Frame];
    return Value_Of(f.Data.data(), qMin(f.Dimension, Max_Can_Data), m);
}

uint16_t Device_Model::Tx_Value(const Register_Mapping &m) const
{
    const QByteArray &data = tx_[m.Frame].Data;
    return Value_Of(reinterpret_cast<const uint8_t *>(data.constData()), int(data.size()), m);
}

Frame_In_Result Device_Model::Frame_In(const Can_Frame &frame, qint64 now_ms)
{
    Frame_In_Result result;
    if (frame.Remote) {
        result.Remote = true;
        return result;
    }
    const auto found = rx_by_ident_.constFind(Image_Ident(frame));
    if (found == rx_by_ident_.constEnd()) return result;
    for (int number : *found) {
        Rx_Frame &f = rx_[number];
        if (frame.Data.size() < f.Dimension) {
            result.Too_Short.append({number, f.Dimension, int(frame.Data.size())});
            continue;
        }
        const int length = qMin(f.Dimension, Max_Can_Data);
        std::copy_n(reinterpret_cast<const uint8_t *>(frame.Data.constData()), length, f.Data.begin());
        Frame_Applied applied;
        applied.Frame = number;
        applied.Was_Stale = f.Stale;
        f.Stale = false;
        f.Last_Ms = now_ms;
        for (int index : f.Maps) {
            const Register_Mapping &m = rx_maps_[index];
            const uint16_t value = Rx_Value(m);
            rx_value_[m.Register] = value;
            applied.Registers.append({m.Register, value});
        }
        result.Applied.append(applied);
    }
    return result;
}

QList<Timeout_Event> Device_Model::Check_Timeouts(qint64 now_ms, On_Timeout policy)
{
    QList<Timeout_Event> events;
    for (int number = 0; number < rx_.size(); ++number) {
        Rx_Frame &f = rx_[number];
        if (f.Time_Out == 0 || f.Stale || now_ms - f.Last_Ms < qint64(f.Time_Out)) continue;
        f.Stale = true;
        Timeout_Event event{number, f.Time_Out, {}};
        if (policy == On_Timeout::Zero) {
            f.Data.fill(0);
            for (int index : f.Maps) {
                const uint16_t reg = rx_maps_[index].Register;
                rx_value_[reg] = 0;
                event.Cleared.append({reg, 0});
            }
        }
        events.append(event);
    }
    return events;
}

QList<Frame_Out> Device_Model::Timer_Frames(qint64 now_ms)
{
    QList<Frame_Out> out;
    for (int number = 0; number < tx_.size(); ++number) {
        Tx_Frame &f = tx_[number];
        if (f.Send_Timer == 0 || now_ms < f.Next_Send_Ms) continue;
        out.append({number, Tx_Can_Frame(number), Send_On_Timer});
        f.Next_Send_Ms += f.Send_Timer;
        // After a stall the missed periods are not made up in a burst.
        if (f.Next_Send_Ms <= now_ms) f.Next_Send_Ms = now_ms + f.Send_Timer;
    }
    return out;
}

std::optional<qint64> Device_Model::Next_Deadline() const
{
    std::optional<qint64> next;
    auto take = [&next](qint64 at) {
        if (!next || at < *next) next = at;
    };
    for (const Rx_Frame &f : rx_)
        if (f.Time_Out > 0 && !f.Stale) take(f.Last_Ms + f.Time_Out);
    for (const Tx_Frame &f : tx_)
        if (f.Send_Timer > 0) take(f.Next_Send_Ms);
    return next;
}

Read_Result Device_Model::Read(Register_Table table, uint32_t start, uint32_t count) const
{
    Read_Result result;
    if (uint64_t(start) + count > Register_Count) {
        result.Exception = Modbus_Illegal_Address;
        return result;
    }
    result.Values.reserve(count);
    for (uint32_t reg = start; reg < start + count; ++reg) {
        const int32_t tx = table == Register_Table::Holding ? tx_first_[reg] : -1;
        if (tx >= 0) {
            result.Values.append(Tx_Value(tx_maps_[tx]));
        } else if (rx_first_[reg] >= 0) {
            result.Values.append(rx_value_[reg]);
        } else {
            result.Values.clear();
            result.Exception = Modbus_Illegal_Address;
            return result;
        }
    }
    return result;
}

Write_Result Device_Model::Write(uint32_t start, const QList<uint16_t> &values)
{
    Write_Result result;
    if (uint64_t(start) + values.size() > Register_Count) {
        result.Exception = Modbus_Illegal_Address;
        return result;
    }
    // Every register first: a request that names one the device cannot write changes nothing.
    for (uint32_t reg = start; reg < start + values.size(); ++reg) {
        if (tx_first_[reg] < 0) {
            result.Exception = Modbus_Illegal_Address;
            return result;
        }
    }
    QHash<int, QByteArray> before;
    QHash<int, unsigned> reasons;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const uint16_t value = values[i];
        for (int32_t index = tx_first_[start + i]; index >= 0; index = tx_maps_[index].Next_Same) {
            const Register_Mapping &m = tx_maps_[index];
            QByteArray &data = tx_[m.Frame].Data;
            if (!before.contains(m.Frame)) before.insert(m.Frame, data);
            if (m.Hi >= 1 && m.Hi <= data.size()) data[m.Hi - 1] = char(value >> 8);
            if (m.Lo >= 1 && m.Lo <= data.size()) data[m.Lo - 1] = char(value & 0xFF);
            if (m.Send_On_Write) reasons[m.Frame] |= Send_On_Write;
        }
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (tx_[it.key()].Data_Change && tx_[it.key()].Data != it.value()) reasons[it.key()] |= Send_On_Change;
    QList<int> frames = reasons.keys();
    std::sort(frames.begin(), frames.end());
    for (int number : frames) result.Sent.append({number, Tx_Can_Frame(number), reasons.value(number)});
    return result;
}

Can_Frame Device_Model::Tx_Can_Frame(int frame) const
{
    const Tx_Frame &f = tx_[frame];
    Can_Frame can;
    can.Extended = f.Ident & Ident_Extended;
    can.Id = f.Ident & ~Ident_Extended;
    can.Data = f.Data;
    return can;
}
