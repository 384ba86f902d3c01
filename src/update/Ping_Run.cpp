#include "update/Ping_Run.h"

#include "platform/Clock.h"
#include "platform/Icmp_Echo.h"

Ping_Run_Result Run_Ping(Icmp_Echo &echo, Clock &clock, const QString &host,
                         const std::function<void()> &process_events,
                         const std::function<bool(int attempt)> &before_attempt)
{
    Ping_Run_Result result;
    try {
        const qint64 t0 = clock.Now_Ms();
        const QByteArray payload = host.toUtf8();
        bool answered = false;
        for (;;) {
            if (before_attempt && !before_attempt(result.attempts + 1)) {
                result.outcome = Ping_Run_Result::Outcome::Stopped;
                return result;
            }
            // One attempt. The echo client is synchronous: it returns with the reply or after
            // its wait, so its answer is the attempt's status and nothing else is awaited.
            ++result.attempts;
            answered = echo.Echo(host, payload, Ping_Reply_Wait_Ms) > 0;
            clock.Sleep_Ms(Ping_Pause_Ms);
            if (process_events) process_events();

            if (answered) ++result.replies;
            if (result.replies >= 2) break;
            if (clock.Now_Ms() - t0 > Ping_Run_Limit_Ms) break;
        }
        result.outcome = answered ? Ping_Run_Result::Outcome::Found
                                  : Ping_Run_Result::Outcome::Not_Found;
    } catch (const std::exception &e) {
        result.outcome = Ping_Run_Result::Outcome::Error;
        result.error = QString::fromStdString(e.what());
    }
    return result;
}
