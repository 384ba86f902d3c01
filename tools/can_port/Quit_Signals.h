#pragma once
// SIGINT and SIGTERM end a bus program in order (a summary printed, the bus closed) and with
// exit status 0, as Ctrl+C ends candump. The handlers only write a byte to a pipe; the event
// loop reads it and runs the ending. Needs a QCoreApplication; elsewhere than Unix the signals
// keep their default.
#include <functional>

// False when the pipe cannot be made.
bool Quit_On_Signals(std::function<void()> before_quit);
