#include "monitor/Monitor_Plan.h"

#include "config/Device_Records.h"

#include <algorithm>

Monitor_Configuration Read_Monitor_Configuration(const Configuration &config)
{
    // Every row is what the device holds after an update: the port as the image carries it, the
    // mappings the device takes (a row that names no frame is left out, as the device never
    // gets it).
    const Device_Configuration device = Read_Device_Configuration(config);
    Monitor_Configuration out;
    out.Port = device.Param.TCP_Port;
    for (const Direction d : {Direction::Receive, Direction::Transmit}) {
        const std::vector<Device_Frame> &frames = device.Frames_Of(d);
        for (const Device_Mapping &m : device.Mappings_Of(d)) {
            if (!m.Placed) continue;
            const Device_Frame &f = frames[m.Entry.Num_Frame];
            Monitor_Row r;
            r.Dir = d;
            r.Register = m.Entry.Mod_Index;
            r.Frame = m.Entry.Num_Frame;
            r.Ident = f.Entry.Ident;
            r.Dimension = f.Entry.Dimension;
            r.Mnemonic = f.Source->Mnemonic.value_or(QString());
            r.Hi = m.Entry.Byte_HiPart;
            r.Lo = m.Entry.Byte_LoPart;
            r.Send_On_Write = (m.Entry.Flags & Map_Flag_Send_On_Write) != 0;
            out.Rows.append(r);
        }
    }
    return out;
}

Monitor_Configuration Read_Monitor_Configuration(const Project_Paths &paths)
{
    return Read_Monitor_Configuration(Load_Configuration(paths));
}

QList<Monitor_Read> Plan_Monitor_Reads(const QList<Monitor_Row> &rows, int max_count)
{
    max_count = std::clamp(max_count, 1, Modbus_Max_Registers);
    QList<Monitor_Read> reads;
    for (const Direction dir : {Direction::Receive, Direction::Transmit}) {
        QList<uint16_t> regs;
        for (const Monitor_Row &r : rows)
            if (r.Dir == dir) regs.append(r.Register);
        std::sort(regs.begin(), regs.end());
        regs.erase(std::unique(regs.begin(), regs.end()), regs.end());
        const uint8_t function = dir == Direction::Receive ? Monitor_Read_Input : Monitor_Read_Holding;
        for (qsizetype i = 0; i < regs.size();) {
            Monitor_Read read{function, regs[i], 1};
            qsizetype j = i + 1;
            while (j < regs.size() && read.Count < max_count && uint32_t(regs[j]) == uint32_t(regs[j - 1]) + 1) {
                ++read.Count;
                ++j;
            }
            reads.append(read);
            i = j;
        }
    }
    return reads;
}

bool Monitor_Values::Apply(const Monitor_Read &read, const QList<uint16_t> &values, qint64 now_ms)
{
    if (values.size() != read.Count) return false;
    for (int i = 0; i < read.Count; ++i) Set(read.Dir(), uint16_t(read.Start + i), values[i], now_ms);
    return true;
}

void Monitor_Values::Set(Direction dir, uint16_t reg, uint16_t value, qint64 now_ms)
{
    const auto it = values_.find(Key(dir, reg));
    if (it == values_.end()) {
        values_.insert(Key(dir, reg), {value, now_ms});
    } else if (it->Value != value) {
        it->Value = value;
        it->Changed_Ms = now_ms;
    }
}

std::optional<uint16_t> Monitor_Values::Value(Direction dir, uint16_t reg) const
{
    const auto it = values_.constFind(Key(dir, reg));
    if (it == values_.cend()) return std::nullopt;
    return it->Value;
}

std::optional<qint64> Monitor_Values::Unchanged_Ms(Direction dir, uint16_t reg, qint64 now_ms) const
{
    const auto it = values_.constFind(Key(dir, reg));
    if (it == values_.cend()) return std::nullopt;
    return std::max<qint64>(0, now_ms - it->Changed_Ms);
}

QString Monitor_Ident_Text(uint32_t ident)
{
    const bool extended = (ident & Ident_Extended) != 0;
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(ident & 0x1FFFFFFFu, extended ? 8 : 3, 16, QLatin1Char('0')).toUpper();
}

QString Monitor_Bytes_Text(uint16_t hi, uint16_t lo)
{
    auto part = [](uint16_t b) { return b == 0 ? QStringLiteral("-") : QString::number(b); };
    return part(hi) + u'/' + part(lo);
}

QString Monitor_Hex_Text(uint16_t value)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString Monitor_Seconds_Text(qint64 ms)
{
    return QString::number(double(std::max<qint64>(0, ms) / 100) / 10.0, 'f', 1);
}

std::optional<uint16_t> Parse_Register_Value(const QString &text, bool hex)
{
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    uint value = 0;
    const bool prefixed = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    if (prefixed || hex) {
        if (prefixed) t = t.mid(2);
        if (t.isEmpty()) return std::nullopt;
        for (const QChar c : t)
            if (!(c >= u'0' && c <= u'9') && !(c.toLower() >= u'a' && c.toLower() <= u'f')) return std::nullopt;
        value = t.toUInt(&ok, 16);
    } else {
        // Digits only: no sign, no blanks inside, no other base.
        for (const QChar c : t)
            if (c < u'0' || c > u'9') return std::nullopt;
        value = t.toUInt(&ok, 10);
    }
    if (!ok || value > 0xFFFF) return std::nullopt;
    return uint16_t(value);
}
