#pragma once
// The event loop the bus plugins need; made when a CAN command runs, as the other commands have
// no use for one.
#include <QCoreApplication>

struct Event_Loop {
    int Argc = 1;
    char Name[12] = "qcx3310-cli";
    char *Argv[2] = {Name, nullptr};
    QCoreApplication App{Argc, Argv};
};
