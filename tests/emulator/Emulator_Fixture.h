#pragma once
// The configuration the emulator tests run: frames of both formats and both directions, a
// register mapped both ways, a byte beyond its frame, a receive timeout, a send timer, and holes
// between the register numbers.
//
//   receive frame 0: 181, 11-bit, 8 bytes      registers 10 (1,2), 11 (None,8), 20 (3,4)
//   receive frame 1: 18FF0010, 29-bit, 4 bytes register 12 (4,3)
//   receive frame 2: 00000181, 29-bit, 2 bytes register 13 (1,2): same number as frame 0
//   receive frame 3: 300, 11-bit, 2 bytes, TimeOut 150 ms   register 30 (1,2)
//   transmit frame 0: 201, 11-bit, 4 bytes     registers 20 (1,2, send on write), 21 (3,None),
//                                              24 (5,4: byte 5 is beyond the frame)
//   transmit frame 1: 18FF0001, 29-bit, 2 bytes, Data Change   register 22 (2,1)
//   transmit frame 2: 202, 11-bit, 1 byte, Send Timer 100 ms    register 23 (None,1)
#include "File_Bytes.h"
#include "Config_Text.h"
#include "config/Project_Paths.h"

#include <QDir>
#include <QFile>

inline void Write_Emulator_Fixture(const QString &dir, const QString &timer = QStringLiteral("100"))
{
    QDir().mkpath(dir + QStringLiteral("/bin"));
    const Project_Paths p = Project_Paths_In(dir);
    Write_All(p.CAN_Receive, Rx(Rx_Row("0x181") + Rx_Row("0x18FF0010", "4", "CAN 2.0B 29 bits") +
                                 Rx_Row("0x181", "2", "CAN 2.0B 29 bits") + Rx_Row("0x300", "2", "CAN 2.0A 11 bits", "150")));
    Write_All(p.Define_CAN_Receive, Rx_Maps(Map_Row("0", "10", "1", "2") + Map_Row("0", "11", "0", "8") + Map_Row("0", "20", "3", "4") +
                                             Map_Row("1", "12", "4", "3") + Map_Row("2", "13", "1", "2") +
                                             Map_Row("3", "30", "1", "2")));
    Write_All(p.CAN_Transmit, Tx(Tx_Row("0x201", "4") + Tx_Row("0x18FF0001", "2", "CAN 2.0B 29 bits", "Y") +
                                  Tx_Row("0x202", "1", "CAN 2.0A 11 bits", "N", "Y", timer)));
    const QString write = QStringLiteral(" Send_on_Write=\"1\"");
    const QString no_write = QStringLiteral(" Send_on_Write=\"0\"");
    Write_All(p.Define_CAN_Transmit, Tx_Maps(Map_Row("0", "20", "1", "2", write) + Map_Row("0", "21", "3", "0", no_write) +
                                              Map_Row("0", "24", "5", "4", no_write) + Map_Row("1", "22", "2", "1", no_write) +
                                              Map_Row("2", "23", "0", "1", no_write)));
}
