#pragma once
// A pair of device images read from disk for the emulator: both files' bytes and what the
// decoder makes of them. The emulator runs only a pair that holds together as a build writes it.
#include "config/Image_Decoder.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

struct Image_Pair {
    QByteArray Bank1;
    QByteArray Bank2;
    std::optional<Decoded_Images> Images;  // no value when bank1 is too short to decode
    // Every reason the pair cannot be run: a file that cannot be read, bank1 too short, each
    // problem the decoder finds. Empty for a pair that can be run.
    QStringList Problems;
    bool Usable() const { return Images && Problems.isEmpty(); }
    bool Same_Bytes(const Image_Pair &other) const { return Bank1 == other.Bank1 && Bank2 == other.Bank2; }
};

// Reads both files (regular files of at most an image's size and a margin, so that a FIFO or a
// huge file is refused rather than waited on or read) and decodes them.
Image_Pair Read_Image_Pair(const QString &bank1_path, const QString &bank2_path);
