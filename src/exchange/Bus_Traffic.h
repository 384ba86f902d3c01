#pragma once
// What a bus carried, per identifier and format (11/29-bit): frames counted, the lengths seen,
// the cycle time (median, shortest and longest gap between two frames of the identifier) and the
// last payload. Frames are added one at a time, from a log or a live bus; nothing is kept per
// frame, so the memory depends on the number of identifiers, never on the number of frames.
//
// The median cycle comes from a fixed histogram of the gaps (Cycle_Histogram_Bins bins per
// identifier, each with its count and the sum of its gaps): gaps below 32 us are counted
// exactly, longer ones in 32 steps per octave (up to 2^36 us, 19 hours; longer gaps share the
// last bin). The median is the mean of the gaps in the bin that holds it: within 1/32 of the true
// value, and exact when the gaps there are all the same, as those of a frame that keeps its
// cycle are. The shortest and longest gap are exact.
#include "config/CobID_Reading.h"  // Identifier_Hex: "0x181", "0x18FF0001"
#include "exchange/Can_Log.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

constexpr int Cycle_Histogram_Bins = 1024;
struct Cycle_Histogram {
    std::array<uint32_t, Cycle_Histogram_Bins> Count{};
    std::array<uint64_t, Cycle_Histogram_Bins> Sum{};
};
// Identifiers followed one by one; the frames of further ones are only counted. Real buses carry
// a few hundred; this keeps a log of random identifiers from taking the memory (at most about
// 12 KiB each).
constexpr int Max_Tracked_Identifiers = 4096;
// Channels (interfaces) told apart in a log.
constexpr int Max_Listed_Channels = 16;

struct Ident_Traffic {
    uint32_t Id = 0;
    bool Extended = false;
    qint64 Count = 0;          // data frames
    qint64 Remote_Count = 0;   // remote requests for this identifier
    std::array<qint64, Max_Can_Data + 1> By_Length{};  // data frames per length 0..8
    int64_t First_Us = 0;      // first and last data frame
    int64_t Last_Us = 0;
    qint64 Gaps = 0;           // gaps between consecutive data frames taken into the cycle
    int64_t Min_Gap_Us = 0;
    int64_t Max_Gap_Us = 0;
    qint64 Backward = 0;       // frames stamped before the one ahead of them (not in the cycle)
    uint8_t Last_Length = 0;
    std::array<uint8_t, Max_Can_Data> Last_Data{};

    // Lengths seen, ascending.
    QList<int> Lengths() const;
    int Min_Length() const;  // -1 without data frames
    int Max_Length() const;
    // The median gap; none with fewer than two data frames.
    std::optional<int64_t> Median_Gap_Us() const;
    QByteArray Last_Payload() const;

    std::unique_ptr<Cycle_Histogram> Bins;  // the gap histogram, made at the first gap
};

class Bus_Traffic {
public:
    // With a channel, only the frames of that channel count; the others are counted apart.
    explicit Bus_Traffic(const QByteArray &channel = {});

    void Add(const Log_Frame &frame);

    // In the order they were first seen.
    const std::vector<Ident_Traffic> &Identifiers() const { return idents_; }
    // Sorted by format (11-bit first) and identifier.
    std::vector<const Ident_Traffic *> Sorted() const;
    const Ident_Traffic *Find(uint32_t id, bool extended) const;

    qint64 Frames() const { return frames_; }  // of the chosen channel (or all)
    qint64 Other_Channel_Frames() const { return other_channel_; }
    qint64 Untracked_Frames() const { return untracked_; }  // of identifiers beyond the limit
    // The channels seen (up to Max_Listed_Channels), in the order seen.
    const QList<QByteArray> &Channels() const { return channels_; }
    const QByteArray &Channel() const { return channel_; }
    int64_t First_Us() const { return first_us_; }
    int64_t Last_Us() const { return last_us_; }

private:
    QByteArray channel_;
    std::vector<Ident_Traffic> idents_;
    QHash<uint32_t, int> index_;
    QList<QByteArray> channels_;
    qint64 frames_ = 0;
    qint64 other_channel_ = 0;
    qint64 untracked_ = 0;
    int64_t first_us_ = 0;
    int64_t last_us_ = 0;
};

// A time in microseconds as milliseconds for people: "100 ms", "12.5 ms", "0.04 ms".
QString Milliseconds_Text(int64_t us);
