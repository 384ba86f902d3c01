#pragma once
// The shell: opening a web address in the user's browser, and starting a program that the
// caller then watches.
#include <QString>
#include <memory>

class Clock;

class Process_Handle {
public:
    virtual ~Process_Handle() = default;
    virtual bool Running() = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens the address with the desktop's "open" action; false when that is not possible.
    virtual bool Open_Url(const QString &url) = 0;
    // Starts a program with a parameter text (split like a command line), shown or hidden.
    // Returns null when the program cannot be started. The program is not a child that dies
    // with us: it keeps running when the handle is dropped.
    virtual std::unique_ptr<Process_Handle> Start(const QString &program, const QString &parameter,
                                                  bool hidden) = 0;
};

// Polls the process every 10 ms until it ends or limit_ms have passed since the call; the
// process is left running after the limit. Returns true when it ended in time.
constexpr qint64 Program_Wait_Limit_Ms = 150000;
bool Wait_For_Program(Process_Handle &process, Clock &clock, qint64 limit_ms = Program_Wait_Limit_Ms);

// Starts program (see Shell::Start) and, with waiting, blocks until it ends or the wait limit
// has passed. False when it could not be started or did not end in time.
bool Start_Program(Shell &shell, Clock &clock, const QString &program, const QString &parameter,
                   bool hidden, qint64 limit_ms = Program_Wait_Limit_Ms);
