#pragma once
// qcx3310-cli's commands over recorded or live CAN traffic: survey holds a configuration against
// it, learn takes receive frames from it, can-play puts a log back on a bus with its timing,
// can-record writes what a bus carries as a candump log.
#include <QStringList>

// args: what follows the command word. Each returns the program's exit status.
int Survey(const QStringList &args);
int Learn(const QStringList &args);
int Can_Play(const QStringList &args);
int Can_Record(const QStringList &args);
