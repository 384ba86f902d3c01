#include "platform/Shell.h"

#include "platform/Clock.h"

bool Wait_For_Program(Process_Handle &process, Clock &clock, qint64 limit_ms, const Wait_Watcher &waiting)
{
    const qint64 start = clock.Now_Ms();
    while (process.Running()) {
        if (clock.Now_Ms() - start >= limit_ms) return false;
        clock.Sleep_Ms(Program_Poll_Ms);
        if (waiting) waiting(clock.Now_Ms() - start);
    }
    return true;
}

Program_Result Run_And_Wait(Shell &shell, Clock &clock, const QString &program, const QString &parameter,
                            bool hidden, qint64 limit_ms, const Wait_Watcher &waiting)
{
    Program_Result run;
    std::unique_ptr<Process_Handle> process = shell.Start(program, parameter, hidden);
    if (!process) return run;
    const qint64 start = clock.Now_Ms();
    const bool ended = Wait_For_Program(*process, clock, limit_ms, waiting);
    run.waited_ms = clock.Now_Ms() - start;
    if (ended) {
        run.outcome = Program_Result::Outcome::Ended;
        run.exit = process->Exit();
    } else {
        run.outcome = Program_Result::Outcome::Still_Running;
    }
    return run;
}

bool Start_Program(Shell &shell, Clock &clock, const QString &program, const QString &parameter,
                   bool hidden, qint64 limit_ms)
{
    return Run_And_Wait(shell, clock, program, parameter, hidden, limit_ms).outcome ==
           Program_Result::Outcome::Ended;
}
