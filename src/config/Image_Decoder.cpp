#include "config/Image_Decoder.h"

#include <cstring>

namespace {

const uint8_t *Bytes(const QByteArray &b) { return reinterpret_cast<const uint8_t *>(b.constData()); }

QString Hex32(uint32_t v) { return QStringLiteral("0x") + QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper(); }

// Which header bytes belong to a named field: those a header of all-ones fields sets.
std::array<bool, Bank1_Header_Size> Header_Field_Bytes()
{
    uint8_t bytes[Bank1_Header_Size];
    std::memset(bytes, 0xFF, sizeof bytes);
    const Bank1_Header ones = Get_Bank1_Header(bytes);
    Put_Bank1_Header(ones, bytes);
    std::array<bool, Bank1_Header_Size> field{};
    for (int i = 0; i < Bank1_Header_Size; ++i) field[size_t(i)] = bytes[i] != 0 || i >= Bank1_Checksum_Offset;
    return field;
}

// The offset of the first non-zero byte in [from, to) of a record, or -1.
int First_Non_Zero(const uint8_t *record, int from, int to)
{
    for (int i = from; i < to; ++i)
        if (record[i] != 0) return i;
    return -1;
}

}  // namespace

std::optional<Decoded_Images> Decode_Images(const QByteArray &bank1, const QByteArray &bank2, QString *error)
{
    if (bank1.size() < Bank1_Header_Size) {
        if (error)
            *error = QStringLiteral("bank1 holds %1 bytes, too few for its %2-byte header")
                         .arg(bank1.size())
                         .arg(Bank1_Header_Size);
        return std::nullopt;
    }
    Decoded_Images d;
    QStringList &p = d.Problems;
    const uint8_t *b1 = Bytes(bank1);
    const uint8_t *b2 = Bytes(bank2);
    d.Bank1_Size = bank1.size();
    d.Bank2_Size = bank2.size();
    d.Header = Get_Bank1_Header(b1);
    d.Checksum = Get_U32(b1 + Bank1_Checksum_Offset);
    d.Checksum_Computed = Bank1_Checksum(b1);
    const Bank1_Header &h = d.Header;

    if (!d.Checksum_Holds())
        p << QStringLiteral("checksum: %1 is stored, the header's bytes sum to %2").arg(d.Checksum).arg(d.Checksum_Computed);

    // Fixed values and the fields that repeat another.
    auto expect = [&p](const char *name, uint32_t got, uint32_t want) {
        if (got != want) p << QStringLiteral("%1: %2, a build writes %3").arg(QLatin1String(name)).arg(got).arg(want);
    };
    expect("CAN_Baud_2", h.CAN_Baud_2, h.CAN_Baud);
    expect("Fixed_008", h.Fixed_008, 9600);
    expect("Fixed_034", h.Fixed_034, 10000);
    expect("TCP_Port_2", h.TCP_Port_2, h.TCP_Port);
    expect("Fixed_03C", h.Fixed_03C, 9600);
    expect("Fixed_040", h.Fixed_040, 2);

    static const std::array<bool, Bank1_Header_Size> field = Header_Field_Bytes();
    int reserved = 0;
    int first_reserved = -1;
    for (int i = 0; i < Bank1_Header_Size; ++i) {
        if (!field[size_t(i)] && b1[i] != 0) {
            if (first_reserved < 0) first_reserved = i;
            ++reserved;
        }
    }
    if (reserved > 0)
        p << QStringLiteral("header: %1 reserved byte(s) are not zero, the first at 0x%2")
                 .arg(reserved)
                 .arg(first_reserved, 3, 16, QLatin1Char('0'));

    // Frame records.
    const qsizetype frame_bytes = bank1.size() - Bank1_Header_Size;
    if (frame_bytes % Frame_Entry_Size != 0)
        p << QStringLiteral("bank1: the %1 bytes after the header are not a whole number of %2-byte frame records")
                 .arg(frame_bytes)
                 .arg(Frame_Entry_Size);
    const qsizetype frames = frame_bytes / Frame_Entry_Size;
    const uint64_t counted_frames = uint64_t(h.Num_Rx_Frame) + h.Num_Tx_Frame;
    if (uint64_t(frames) != counted_frames)
        p << QStringLiteral("bank1: %1 frame record(s), the header counts %2 + %3")
                 .arg(frames)
                 .arg(h.Num_Rx_Frame)
                 .arg(h.Num_Tx_Frame);
    if (counted_frames > uint64_t(Max_Frame_Records))
        p << QStringLiteral("header: %1 frame records counted, the device holds at most %2").arg(counted_frames).arg(Max_Frame_Records);
    for (qsizetype i = 0; i < frames; ++i) d.Frames.append(Get_Frame_Entry(b1 + Bank1_Header_Size + i * Frame_Entry_Size));

    // Mapping records.
    if (bank2.size() % Map_Entry_Size != 0)
        p << QStringLiteral("bank2: %1 bytes are not a whole number of %2-byte mapping records")
                 .arg(bank2.size())
                 .arg(Map_Entry_Size);
    const qsizetype maps = bank2.size() / Map_Entry_Size;
    const uint64_t counted_maps = uint64_t(h.Num_Rx_Map) + h.Num_Tx_Map;
    if (uint64_t(maps) != counted_maps)
        p << QStringLiteral("bank2: %1 mapping record(s), the header counts %2 + %3").arg(maps).arg(h.Num_Rx_Map).arg(h.Num_Tx_Map);
    if (counted_maps > uint64_t(Max_Map_Records))
        p << QStringLiteral("header: %1 mapping records counted, the device holds at most %2").arg(counted_maps).arg(Max_Map_Records);
    for (qsizetype i = 0; i < maps; ++i) d.Maps.append(Get_Map_Entry(b2 + i * Map_Entry_Size));

    // The addresses go with the load addresses and the counts.
    auto address = [&p](const char *name, uint32_t got, uint64_t want) {
        if (got != want) p << QStringLiteral("%1: %2, a build writes %3").arg(QLatin1String(name), Hex32(got), Hex32(uint32_t(want)));
    };
    address("Addr_Rx_Frame", h.Addr_Rx_Frame, Frame_Table_Addr);
    address("Addr_Tx_Frame", h.Addr_Tx_Frame, Frame_Table_Addr + uint64_t(Frame_Entry_Size) * h.Num_Rx_Frame);
    address("Addr_Rx_Map", h.Addr_Rx_Map, Map_Table_Addr);
    address("Addr_Tx_Map", h.Addr_Tx_Map, Map_Table_Addr + uint64_t(Map_Entry_Size) * h.Num_Rx_Map);

    // Each record on its own.
    const int rx_frames = d.Rx_Frames();
    for (int i = 0; i < d.Frames.size(); ++i) {
        const Frame_Entry &f = d.Frames[i];
        const bool transmit = i >= rx_frames;
        const int number = transmit ? i - rx_frames : i;
        const QString name = QStringLiteral("%1 frame %2").arg(transmit ? "transmit" : "receive").arg(number);
        const int at = First_Non_Zero(b1 + Bank1_Header_Size + i * Frame_Entry_Size, 16, Frame_Entry_Size);
        if (at >= 0) p << QStringLiteral("%1: reserved byte %2 is not zero").arg(name).arg(at);
        if (f.Data_Offset != 8 * number) p << QStringLiteral("%1: Data_Offset %2, a build writes %3").arg(name).arg(f.Data_Offset).arg(8 * number);
        if (transmit ? (f.Flags & ~(Frame_Flag_Transmit | Frame_Flag_Data_Change)) != 0 || !(f.Flags & Frame_Flag_Transmit)
                     : f.Flags != 0)
            p << QStringLiteral("%1: Flags 0x%2 are not those of its direction").arg(name).arg(f.Flags, 2, 16, QLatin1Char('0'));
        if (transmit ? f.Time_Out != 0 : f.Send_Timer != 0)
            p << QStringLiteral("%1: %2 is not zero").arg(name, transmit ? "Time_Out" : "Send_Timer");
    }
    const int rx_maps = d.Rx_Maps();
    const int tx_frames = int(d.Frames.size()) - rx_frames;
    for (int i = 0; i < d.Maps.size(); ++i) {
        const Map_Entry &m = d.Maps[i];
        const bool transmit = i >= rx_maps;
        const QString name =
            QStringLiteral("%1 mapping %2").arg(transmit ? "transmit" : "receive").arg(transmit ? i - rx_maps : i);
        const int at = First_Non_Zero(b2 + i * Map_Entry_Size, 9, Map_Entry_Size);
        if (at >= 0) p << QStringLiteral("%1: reserved byte %2 is not zero").arg(name).arg(at);
        if (transmit ? (m.Flags & ~(Map_Flag_Transmit | Map_Flag_Send_On_Write)) != 0 || !(m.Flags & Map_Flag_Transmit)
                     : m.Flags != 0)
            p << QStringLiteral("%1: Flags 0x%2 are not those of its direction").arg(name).arg(m.Flags, 2, 16, QLatin1Char('0'));
        if (m.Num_Frame >= (transmit ? tx_frames : rx_frames))
            p << QStringLiteral("%1: Num_Frame %2 names no frame of its direction").arg(name).arg(m.Num_Frame);
    }
    return d;
}
