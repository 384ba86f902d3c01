#include "config/Project_Paths.h"

Project_Paths Project_Paths_In(const QString &dir_project)
{
    Project_Paths p;
    p.ParGen = dir_project + QStringLiteral("/ParGen.xml");
    p.CAN_Receive = dir_project + QStringLiteral("/CAN_Receive.xml");
    p.CAN_Transmit = dir_project + QStringLiteral("/CAN_Transmit.xml");
    p.Define_CAN_Receive = dir_project + QStringLiteral("/Define_CAN_Receive.xml");
    p.Define_CAN_Transmit = dir_project + QStringLiteral("/Define_CAN_Transmit.xml");
    p.Signal_Notes = dir_project + QStringLiteral("/CAN_Signals.csv");
    p.Bank1 = dir_project + QStringLiteral("/bin/bank1.bin");
    p.Bank2 = dir_project + QStringLiteral("/bin/bank2.bin");
    return p;
}
