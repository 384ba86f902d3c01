#include "platform/Shell.h"

#include "platform/Clock.h"

bool Wait_For_Program(Process_Handle &process, Clock &clock, qint64 limit_ms)
{
    const qint64 start = clock.Now_Ms();
    while (process.Running()) {
        if (clock.Now_Ms() - start >= limit_ms) return false;
        clock.Sleep_Ms(10);
    }
    return true;
}

bool Start_Program(Shell &shell, Clock &clock, const QString &program, const QString &parameter,
                   bool hidden, qint64 limit_ms)
{
    std::unique_ptr<Process_Handle> process = shell.Start(program, parameter, hidden);
    if (!process) return false;
    return Wait_For_Program(*process, clock, limit_ms);
}
