#include "Quit_Signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int Signal_Pipe[2] = {-1, -1};

void On_Signal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(Signal_Pipe[1], &byte, 1);
}

}  // namespace

bool Quit_On_Signals(std::function<void()> before_quit)
{
    if (::pipe(Signal_Pipe) != 0) return false;
    ::fcntl(Signal_Pipe[1], F_SETFL, O_NONBLOCK);
    auto *notifier = new QSocketNotifier(Signal_Pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [before_quit] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(Signal_Pipe[0], &byte, 1);
        if (before_quit) before_quit();
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = On_Signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away (a closed pipe after "| head") must not end the program unasked.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

#else

bool Quit_On_Signals(std::function<void()>) { return true; }

#endif
