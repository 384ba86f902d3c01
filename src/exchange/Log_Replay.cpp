#include "exchange/Log_Replay.h"

#include "platform/Core_Text.h"
#include "platform/Safe_File.h"

#include <cmath>

Log_Replay::Log_Replay(const QString &path, double speed, bool loop, const QByteArray &channel)
    : path_(path), speed_(speed > 0 ? speed : 1.0), loop_(loop), channel_(channel)
{
}

Log_Replay::~Log_Replay() = default;

const Can_Log_Result &Log_Replay::Result() const { return reader_ ? reader_->Result() : last_result_; }

bool Log_Replay::Open_Pass(QString *error)
{
    if (reader_) last_result_ = reader_->Result();
    reader_.reset();
    file_.close();
    try {
        Regular_File_Size(path_);
    } catch (const File_Access_Error &e) {
        if (error) *error = QString::fromUtf8(e.what());
        return false;
    }
    file_.setFileName(path_);
    if (!file_.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path_, file_.errorString());
        return false;
    }
    reader_ = std::make_unique<Can_Log_Reader>(file_);
    ++rounds_;
    pass_frames_ = 0;
    return true;
}

bool Log_Replay::Start(qint64 now_ms, QString *error)
{
    start_ms_ = now_ms;
    offset_us_ = 0;
    played_ = 0;
    rounds_ = 0;
    pending_.reset();
    if (!Open_Pass(error)) return false;
    Fetch();
    if (!pending_) {
        const Can_Log_Result &r = Result();
        if (error)
            *error = QStringLiteral("%1: %2").arg(path_, r.Error.isEmpty() ? Core_Text("no CAN data frame") : r.Error);
        return false;
    }
    return true;
}

void Log_Replay::Fetch()
{
    pending_.reset();
    for (;;) {
        Log_Frame f;
        while (reader_ && reader_->Next(f)) {
            if (!channel_.isEmpty() && f.Channel != channel_) continue;
            f.Channel = {};  // the reader's buffer moves on
            if (pass_frames_ == 0) pass_first_us_ = pass_last_us_ = f.Time_Us;
            pass_last_us_ = std::max(pass_last_us_, f.Time_Us);
            ++pass_frames_;
            pending_ = f;
            return;
        }
        // The end of a pass: again from the top, one mean gap after its last frame.
        if (!loop_ || pass_frames_ == 0 || !reader_ || !reader_->Result().Error.isEmpty()) return;
        const int64_t span = pass_last_us_ - pass_first_us_;
        const int64_t gap = pass_frames_ > 1 ? span / (pass_frames_ - 1) : 1000;
        offset_us_ += span + std::max<int64_t>(gap, 1);
        if (!Open_Pass(nullptr)) return;
    }
}

qint64 Log_Replay::Due_Ms(const Log_Frame &frame) const
{
    // Frames stamped before the first one of their pass come due at once.
    const int64_t at_us = offset_us_ + std::max<int64_t>(frame.Time_Us - pass_first_us_, 0);
    return start_ms_ + qint64(std::floor(double(at_us) / 1000.0 / speed_));
}

QList<Can_Frame> Log_Replay::Due(qint64 now_ms, int max)
{
    QList<Can_Frame> out;
    while (pending_ && out.size() < max && Due_Ms(*pending_) <= now_ms) {
        out << To_Can_Frame(*pending_);
        ++played_;
        Fetch();
    }
    return out;
}

std::optional<qint64> Log_Replay::Wait_Ms(qint64 now_ms) const
{
    if (!pending_) return std::nullopt;
    return std::max<qint64>(Due_Ms(*pending_) - now_ms, 0);
}
