#pragma once
// A log played back with its timing: the frames come due as far apart as they were recorded
// (divided by the speed), from a log read frame by frame, so a log of any length is played in
// the same memory. Time is a millisecond count the caller passes in: the player on the bus
// takes it from its clock, a test moves it by hand.
#include "device/Can_Frame.h"
#include "exchange/Can_Log.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class Log_Replay {
public:
    // speed: 1 plays in real time, 2 twice as fast. With loop the log starts again after its
    // last frame, one mean gap later. With a channel only that interface's frames are played.
    Log_Replay(const QString &path, double speed, bool loop, const QByteArray &channel = {});
    ~Log_Replay();

    // Opens the log and reads up to its first frame; false, and the reason, when it cannot be
    // read or holds no frame. Time starts at now_ms: the first frame is due then.
    bool Start(qint64 now_ms, QString *error);

    // The frames due at now_ms, in log order, at most max of them.
    QList<Can_Frame> Due(qint64 now_ms, int max);
    // Milliseconds from now_ms until the next frame is due (0: one is due now); none at the end.
    std::optional<qint64> Wait_Ms(qint64 now_ms) const;
    bool Finished() const { return !pending_; }

    qint64 Played() const { return played_; }
    int Rounds() const { return rounds_; }  // passes begun through the log
    // The counts of the pass that ended last (or the one under way), its bad lines among them.
    const Can_Log_Result &Result() const;

private:
    bool Open_Pass(QString *error);
    void Fetch();

    QString path_;
    double speed_;
    bool loop_;
    QByteArray channel_;
    QFile file_;
    std::unique_ptr<Can_Log_Reader> reader_;
    Can_Log_Result last_result_;
    std::optional<Log_Frame> pending_;
    qint64 start_ms_ = 0;
    int64_t pass_first_us_ = 0;   // the first frame of this pass, in the log's time
    int64_t pass_last_us_ = 0;
    qint64 pass_frames_ = 0;
    int64_t offset_us_ = 0;       // where this pass begins in the replay's time
    qint64 played_ = 0;
    int rounds_ = 0;

    qint64 Due_Ms(const Log_Frame &frame) const;
};
