#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QThread>

namespace {
qint64 Monotonic_Ns()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.nsecsElapsed();
}
}  // namespace

Real_Clock::Real_Clock() : start_ns_(Monotonic_Ns()) {}

qint64 Real_Clock::Now_Ms() { return (Monotonic_Ns() - start_ns_) / 1000000; }

void Real_Clock::Sleep_Ms(int ms) { QThread::msleep(ulong(ms)); }
