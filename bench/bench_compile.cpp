// Building the device images of a maximal configuration (250 receive and 250 transmit frames,
// 4096 mappings) against the time pugixml alone needs to parse the same five files.
// Usage: bench_compile [ROUNDS]   (default 200)
#include "config/Image_Builder.h"
#include "config/Project_Files.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <pugixml.hpp>
#include <vector>

namespace {

void Write_Maximal_Configuration(const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    Par_Gen_Texts settings{"6", {"192", "168", "0", "10"}, {"255", "255", "255", "0"}, "1", {"192", "168", "0", "1"}, "502"};
    Write_Par_Gen_File(p.ParGen, settings);

    QList<Frame_Row> rx, tx;
    for (int i = 0; i < Max_Frame_Entries; ++i) {
        rx.append({QStringLiteral("0x%1").arg(0x100 + i, 0, 16), "8", Frame_Type_11, "1000", {}, {}, {},
                   QStringLiteral("Receive frame %1").arg(i)});
        tx.append({QStringLiteral("$18FF%1").arg(i, 4, 16, QLatin1Char('0')), "8", Frame_Type_29, {}, "Y",
                   i % 2 ? "Y" : "N", "500", QStringLiteral("Transmit frame %1").arg(i)});
    }
    Write_Frame_File(p.CAN_Receive, Direction::Receive, rx);
    Write_Frame_File(p.CAN_Transmit, Direction::Transmit, tx);

    // 2048 mappings per direction, spread over the frames.
    for (Direction d : {Direction::Receive, Direction::Transmit}) {
        QList<TCAN_Frame> frames(Max_Frame_Entries);
        for (int i = 0; i < Max_Map_Records / 2; ++i)
            frames[i % Max_Frame_Entries].Lista_Mod_Reg.append({QString::number(i), 1 + i % 8, 8 - i % 8, i % 2});
        Write_Map_File(d == Direction::Receive ? p.Define_CAN_Receive : p.Define_CAN_Transmit, d, frames);
    }
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QTemporaryDir dir;
    Write_Maximal_Configuration(dir.path());
    const Project_Paths p = Project_Paths_In(dir.path());
    const QString files[5] = {p.ParGen, p.CAN_Receive, p.CAN_Transmit, p.Define_CAN_Receive, p.Define_CAN_Transmit};
    std::vector<std::string> paths;
    qint64 bytes = 0;
    for (const QString &f : files) {
        paths.push_back(f.toStdString());
        bytes += QFileInfo(f).size();
    }

    Configuration_Image image;
    image.Compile_Bin(p);  // warm the file cache
    std::printf("maximal configuration: %lld bytes in five files; bank1 %d bytes, bank2 %d bytes\n",
                static_cast<long long>(bytes), image.Bank1_Len(), image.Bank2_Len());

    // Each measured in a run of its own, so that one does not leave the heap in a state that
    // favours or hinders the other.
    std::vector<double> parse_ms, compile_ms, save_ms;
    QElapsedTimer t;
    size_t nodes = 0;
    for (int r = 0; r < rounds; ++r) {
        t.start();
        for (const std::string &path : paths) {
            pugi::xml_document doc;
            if (!doc.load_file(path.c_str())) return 1;
            nodes += doc.first_child() ? 1 : 0;
        }
        parse_ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    for (int r = 0; r < rounds; ++r) {
        t.start();
        image.Compile_Bin(p);
        compile_ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    for (int r = 0; r < std::min(rounds, 50); ++r) {
        t.start();
        image = Build_Device_Images(p);
        save_ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (nodes != paths.size() * size_t(rounds)) return 1;

    const double parse = Median(parse_ms);
    const double compile = Median(compile_ms);
    std::printf("rounds: %d (median of each)\n", rounds);
    std::printf("pugixml parse only (five files):  %8.3f ms\n", parse);
    std::printf("Compile_Bin (read + build):       %8.3f ms\n", compile);
    std::printf("Build_Device_Images (+ saving):   %8.3f ms\n", Median(save_ms));
    std::printf("ratio compile / parse only:       %8.2f  (aim: 1.50 or less)\n", compile / parse);
    return 0;
}
