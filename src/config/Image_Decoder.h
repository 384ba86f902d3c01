#pragma once
// Reading a pair of device images back: the header's fields, the frame and mapping records, and
// every way in which the pair differs from what a build writes (checksum, lengths, counts,
// addresses, fixed values, reserved bytes, flags, data offsets).
#include "config/Image_Builder.h"

#include <QList>
#include <QStringList>
#include <optional>

struct Decoded_Images {
    qsizetype Bank1_Size = 0;
    qsizetype Bank2_Size = 0;
    Bank1_Header Header;
    uint32_t Checksum = 0;           // as stored at 0x7FC
    uint32_t Checksum_Computed = 0;  // the sum of the header's bytes
    bool Checksum_Holds() const { return Checksum == Checksum_Computed; }
    // The records the files hold, in file order: receive records first, as the header counts
    // them, then transmit records.
    QList<Frame_Entry> Frames;
    QList<Map_Entry> Maps;
    int Rx_Frames() const { return int(qMin<qsizetype>(Header.Num_Rx_Frame, Frames.size())); }
    int Rx_Maps() const { return int(qMin<qsizetype>(Header.Num_Rx_Map, Maps.size())); }
    // Empty when the pair is exactly what a build would write for its contents.
    QStringList Problems;
};

// Decodes bank1 (at least its 2048-byte header) and bank2. No value, and the reason in *error,
// when bank1 is too short to hold the header.
std::optional<Decoded_Images> Decode_Images(const QByteArray &bank1, const QByteArray &bank2, QString *error);
