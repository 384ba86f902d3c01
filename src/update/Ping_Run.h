#pragma once
// The ping run of the update dialog: echo requests to the converter until it has answered
// twice or ten seconds have passed. Plain logic over the echo client and the clock, so that
// its timing can be tested with fakes.
#include <QString>
#include <functional>

class Clock;
class Icmp_Echo;

// Each echo request waits this long for its reply.
constexpr int Ping_Reply_Wait_Ms = 400;
// No new attempt starts once this much time has passed since the run began.
constexpr int Ping_Run_Limit_Ms = 10000;
// The pause after each attempt, in which the window handles its events.
constexpr int Ping_Pause_Ms = 10;
// The attempts a silent device gets: each lasts its wait and its pause, and the limit is tested
// after each one.
constexpr int Ping_Silent_Attempts = Ping_Run_Limit_Ms / (Ping_Reply_Wait_Ms + Ping_Pause_Ms) + 1;

struct Ping_Run_Result {
    enum class Outcome {
        Found,      // the last attempt was answered
        Not_Found,  // the last attempt went unanswered
        Error,      // the host text is no address, or no request could be sent
        Stopped,    // the caller ended the run before it had an outcome
    };
    Outcome outcome = Outcome::Not_Found;
    int attempts = 0;
    int replies = 0;
    QString error;  // the reason, for Outcome::Error
};

// Pings host (its text is also the data of each request). After every request it sleeps
// briefly on the clock and calls process_events, so the window stays responsive; the caller
// must keep the run from starting again meanwhile. Two answers end the run early; otherwise
// the time limit is tested after each attempt. The last attempt decides the outcome.
// Before each attempt, before_attempt (when given) is told the attempt's number, from 1, so
// that a window can show it; when it returns false the run ends there as Stopped.
Ping_Run_Result Run_Ping(Icmp_Echo &echo, Clock &clock, const QString &host,
                         const std::function<void()> &process_events,
                         const std::function<bool(int attempt)> &before_attempt = {});
