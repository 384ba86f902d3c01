#pragma once
// The millisecond tick counter and sleep, behind an interface so that the long waits of the
// program (150 s for the updater, 10 s of pinging) can be tested with a fake clock.
#include <QtGlobal>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; never goes backwards.
    virtual qint64 Now_Ms() = 0;
    virtual void Sleep_Ms(int ms) = 0;
};

class Real_Clock : public Clock {
public:
    Real_Clock();
    qint64 Now_Ms() override;
    void Sleep_Ms(int ms) override;

private:
    qint64 start_ns_;
};

// A clock for tests: time moves only when someone sleeps or calls Advance.
class Fake_Clock : public Clock {
public:
    qint64 Now_Ms() override { return now_; }
    void Sleep_Ms(int ms) override { now_ += ms; ++sleeps_; }
    void Advance(qint64 ms) { now_ += ms; }
    qint64 Sleeps() const { return sleeps_; }

private:
    qint64 now_ = 0;
    qint64 sleeps_ = 0;
};
