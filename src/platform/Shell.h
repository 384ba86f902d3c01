#pragma once
// The shell: opening a web address in the user's browser, and starting a program that the
// caller then watches until it ends.
#include <QString>
#include <functional>
#include <memory>

class Clock;

// How a program that has ended left.
struct Exit_Status {
    enum class Kind {
        Code,      // it ended by itself and returned code
        Abnormal,  // it was ended from outside (a signal, a crash) and returned nothing
        Unknown,   // the way it ended cannot be learnt
    };
    Kind kind = Kind::Unknown;
    int code = 0;  // Kind::Code: the exit code; Kind::Abnormal: the signal's number where known

    static Exit_Status Exited(int code) { return {Kind::Code, code}; }
    static Exit_Status Killed(int signal) { return {Kind::Abnormal, signal}; }
};

class Process_Handle {
public:
    virtual ~Process_Handle() = default;
    virtual bool Running() = 0;
    // How the program ended. Meaningful once Running() has returned false.
    virtual Exit_Status Exit() = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens the address with the desktop's "open" action; false when that is not possible.
    virtual bool Open_Url(const QString &url) = 0;
    // Starts a program with a parameter text (split like a command line), shown or hidden.
    // Returns null when the program cannot be started. The program is not a child that dies
    // with us: it keeps running when the handle is dropped and when this program ends.
    virtual std::unique_ptr<Process_Handle> Start(const QString &program, const QString &parameter,
                                                  bool hidden) = 0;
};

// Polls the process every 10 ms until it ends or limit_ms have passed since the call; the
// process is left running after the limit. After each pause waiting is told how long the wait
// has lasted, so that a window can show it and handle its events. Returns true when it ended
// in time.
constexpr qint64 Program_Wait_Limit_Ms = 150000;
constexpr int Program_Poll_Ms = 10;
using Wait_Watcher = std::function<void(qint64 waited_ms)>;
bool Wait_For_Program(Process_Handle &process, Clock &clock, qint64 limit_ms = Program_Wait_Limit_Ms,
                      const Wait_Watcher &waiting = {});

// What became of a program that was started and waited for.
struct Program_Result {
    enum class Outcome {
        Not_Started,    // the shell could not start it
        Ended,          // it ended within the limit; exit tells how
        Still_Running,  // the wait gave up at the limit; the program goes on by itself
    };
    Outcome outcome = Outcome::Not_Started;
    Exit_Status exit;
    qint64 waited_ms = 0;
};

// Starts program (see Shell::Start) and waits for it as Wait_For_Program does.
Program_Result Run_And_Wait(Shell &shell, Clock &clock, const QString &program, const QString &parameter,
                            bool hidden, qint64 limit_ms = Program_Wait_Limit_Ms,
                            const Wait_Watcher &waiting = {});

// Run_And_Wait for a caller that only needs to know whether the program ended in time: false
// when it could not be started or did not end in time.
bool Start_Program(Shell &shell, Clock &clock, const QString &program, const QString &parameter,
                   bool hidden, qint64 limit_ms = Program_Wait_Limit_Ms);
