#pragma once
// The outside world as the windows see it: one real implementation of each in the program,
// fakes in the tests. main() owns the objects; the windows only borrow them.
class Shell;
class Clock;
class Icmp_Echo;
class Http_Get;

struct Environment {
    Shell *shell = nullptr;
    Clock *clock = nullptr;
    Icmp_Echo *icmp = nullptr;
    Http_Get *http = nullptr;
};
