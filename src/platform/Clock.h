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
