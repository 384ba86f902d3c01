#pragma once
// qcx3310-cli's CAN commands: can-send puts one frame on a bus, can-dump prints the frames it
// sees, both in can-utils' frame syntax and through the same Qt CAN plugins as the emulator.
#include <QStringList>

// args: what follows the command word. Each returns the program's exit status.
int Can_Send(const QStringList &args);
int Can_Dump(const QStringList &args);
