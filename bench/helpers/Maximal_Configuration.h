#pragma once
// The largest configuration the device takes: 250 receive and 250 transmit frames, 4096
// mappings (2048 a direction, spread over the frames), for the benchmarks. With
// mnemonic_length, every Mnemonic is that long (a legal file, if not a sensible one).
#include "config/Project_Files.h"
#include "config/Project_Paths.h"

inline void Write_Maximal_Configuration(const QString &dir, int mnemonic_length = 0)
{
    const auto mnemonic = [mnemonic_length](const QString &name) {
        return mnemonic_length > 0 ? (name + QLatin1Char(' ')).leftJustified(mnemonic_length, QLatin1Char('x'), true) : name;
    };
    const Project_Paths p = Project_Paths_In(dir);
    Par_Gen_Texts settings{"6", {"192", "168", "0", "10"}, {"255", "255", "255", "0"}, "1", {"192", "168", "0", "1"}, "502"};
    Write_Par_Gen_File(p.ParGen, settings);

    QList<Frame_Row> rx, tx;
    for (int i = 0; i < Max_Frame_Entries; ++i) {
        rx.append({QStringLiteral("0x%1").arg(0x100 + i, 0, 16), "8", Frame_Type_11, "1000", {}, {}, {},
                   mnemonic(QStringLiteral("Receive frame %1").arg(i))});
        tx.append({QStringLiteral("$18FF%1").arg(i, 4, 16, QLatin1Char('0')), "8", Frame_Type_29, {}, "Y",
                   i % 2 ? "Y" : "N", "500", mnemonic(QStringLiteral("Transmit frame %1").arg(i))});
    }
    Write_Frame_File(p.CAN_Receive, Direction::Receive, rx);
    Write_Frame_File(p.CAN_Transmit, Direction::Transmit, tx);

    // 2048 mappings per direction, spread over the frames.
    for (Direction d : {Direction::Receive, Direction::Transmit}) {
        QList<Editor_Frame> frames(Max_Frame_Entries);
        for (int i = 0; i < Max_Map_Records / 2; ++i)
            frames[i % Max_Frame_Entries].Registers.append({QString::number(i), 1 + i % 8, 8 - i % 8, i % 2});
        Write_Map_File(d == Direction::Receive ? p.Define_CAN_Receive : p.Define_CAN_Transmit, d, frames);
    }
}
