#include "exchange/Bus_Traffic.h"

#include <algorithm>
#include <bit>

namespace {

constexpr int Exact_Bins = 32;  // gaps of 0..31 us, one bin each
constexpr int Steps_Per_Octave = 32;

int Bin_Of(int64_t gap_us)
{
    if (gap_us < Exact_Bins) return int(gap_us);
    const int octave = 63 - std::countl_zero(uint64_t(gap_us));  // >= 5
    const int step = int((uint64_t(gap_us) >> (octave - 5)) & (Steps_Per_Octave - 1));
    return std::min((octave - 4) * Steps_Per_Octave + step, Cycle_Histogram_Bins - 1);
}

uint32_t Key(uint32_t id, bool extended) { return id | (extended ? 0x80000000u : 0u); }

}  // namespace

QList<int> Ident_Traffic::Lengths() const
{
    QList<int> out;
    for (int i = 0; i <= Max_Can_Data; ++i)
        if (By_Length[size_t(i)] > 0) out << i;
    return out;
}

int Ident_Traffic::Min_Length() const
{
    for (int i = 0; i <= Max_Can_Data; ++i)
        if (By_Length[size_t(i)] > 0) return i;
    return -1;
}

int Ident_Traffic::Max_Length() const
{
    for (int i = Max_Can_Data; i >= 0; --i)
        if (By_Length[size_t(i)] > 0) return i;
    return -1;
}

std::optional<int64_t> Ident_Traffic::Median_Gap_Us() const
{
    if (Gaps == 0 || !Bins) return std::nullopt;
    // The lower median: the gap with (Gaps - 1) / 2 gaps below it.
    const qint64 wanted = (Gaps - 1) / 2;
    qint64 below = 0;
    for (int b = 0; b < Cycle_Histogram_Bins; ++b) {
        const uint32_t count = Bins->Count[size_t(b)];
        below += count;
        // The mean of the gaps in the bin: exact when they are all the same.
        if (below > wanted) return std::clamp(int64_t(Bins->Sum[size_t(b)] / count), Min_Gap_Us, Max_Gap_Us);
    }
    return Max_Gap_Us;
}

QByteArray Ident_Traffic::Last_Payload() const
{
    return QByteArray(reinterpret_cast<const char *>(Last_Data.data()), Last_Length);
}

Bus_Traffic::Bus_Traffic(const QByteArray &channel) : channel_(channel) {}

void Bus_Traffic::Add(const Log_Frame &frame)
{
    if (channels_.size() < Max_Listed_Channels && !channels_.contains(frame.Channel))
        channels_.append(frame.Channel.toByteArray());
    if (!channel_.isEmpty() && frame.Channel != channel_) {
        ++other_channel_;
        return;
    }
    if (frames_ == 0 || frame.Time_Us < first_us_) first_us_ = frame.Time_Us;
    if (frames_ == 0 || frame.Time_Us > last_us_) last_us_ = frame.Time_Us;
    ++frames_;

    const uint32_t key = Key(frame.Id, frame.Extended);
    auto found = index_.constFind(key);
    Ident_Traffic *t = nullptr;
    if (found != index_.constEnd()) {
        t = &idents_[size_t(*found)];
    } else {
        if (int(idents_.size()) >= Max_Tracked_Identifiers) {
            ++untracked_;
            return;
        }
        index_.insert(key, int(idents_.size()));
        idents_.emplace_back();
        t = &idents_.back();
        t->Id = frame.Id;
        t->Extended = frame.Extended;
    }
    if (frame.Remote) {
        ++t->Remote_Count;
        return;
    }
    if (t->Count > 0) {
        const int64_t gap = frame.Time_Us - t->Last_Us;
        if (gap < 0) {
            ++t->Backward;
        } else {
            if (!t->Bins) t->Bins = std::make_unique<Cycle_Histogram>();
            const size_t bin = size_t(Bin_Of(gap));
            ++t->Bins->Count[bin];
            t->Bins->Sum[bin] += uint64_t(gap);
            if (t->Gaps == 0 || gap < t->Min_Gap_Us) t->Min_Gap_Us = gap;
            if (t->Gaps == 0 || gap > t->Max_Gap_Us) t->Max_Gap_Us = gap;
            ++t->Gaps;
        }
    } else {
        t->First_Us = frame.Time_Us;
    }
    ++t->Count;
    t->Last_Us = frame.Time_Us;
    ++t->By_Length[frame.Length];
    t->Last_Length = frame.Length;
    t->Last_Data = frame.Data;
}

std::vector<const Ident_Traffic *> Bus_Traffic::Sorted() const
{
    std::vector<const Ident_Traffic *> out;
    out.reserve(idents_.size());
    for (const Ident_Traffic &t : idents_) out.push_back(&t);
    std::sort(out.begin(), out.end(), [](const Ident_Traffic *a, const Ident_Traffic *b) {
        return Key(a->Id, a->Extended) < Key(b->Id, b->Extended);
    });
    return out;
}

const Ident_Traffic *Bus_Traffic::Find(uint32_t id, bool extended) const
{
    const auto found = index_.constFind(Key(id, extended));
    return found == index_.constEnd() ? nullptr : &idents_[size_t(*found)];
}

QString Milliseconds_Text(int64_t us)
{
    if (us % 1000 == 0) return QStringLiteral("%1 ms").arg(us / 1000);
    return QStringLiteral("%1 ms").arg(QString::number(double(us) / 1000.0, 'g', us < 1000 ? 3 : 6));
}
