// Building the device images of a maximal configuration (250 receive and 250 transmit frames,
// 4096 mappings) against the time pugixml alone needs to parse the same five files, and the
// check of the same configuration beside the build (each pair in every round, taking turns at
// going first, wall and CPU time).
// Usage: bench_compile [ROUNDS]   (default 200)
#include "config/Config_Check.h"
#include "config/Image_Builder.h"
#include "config/Project_Files.h"
#include "helpers/Maximal_Configuration.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <pugixml.hpp>
#include <sys/resource.h>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The process's CPU time in milliseconds.
double Cpu_Ms()
{
#if defined(CLOCK_PROCESS_CPUTIME_ID)
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
#else
    return double(std::clock()) * 1e3 / CLOCKS_PER_SEC;
#endif
}

struct Timing {
    std::vector<double> Wall_Ms;
    std::vector<double> Cpu_Ms;
};

template <class Fn>
void Measure(Timing &timing, QElapsedTimer &t, Fn fn)
{
    const double cpu = Cpu_Ms();
    t.start();
    fn();
    timing.Wall_Ms.push_back(double(t.nsecsElapsed()) / 1e6);
    timing.Cpu_Ms.push_back(Cpu_Ms() - cpu);
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

    // The build beside pugixml parsing the same five files (the reference): both in every
    // round, taking turns at going first, wall and CPU time each.
    std::vector<double> save_ms;
    QElapsedTimer t;
    size_t nodes = 0;
    Timing parse, compile;
    std::vector<double> cpu_ratio;
    for (int r = 0; r < rounds; ++r) {
        auto run_parse = [&] {
            Measure(parse, t, [&] {
                for (const std::string &path : paths) {
                    pugi::xml_document doc;
                    if (doc.load_file(path.c_str())) nodes += doc.first_child() ? 1 : 0;
                }
            });
        };
        auto run_compile = [&] { Measure(compile, t, [&] { image.Compile_Bin(p); }); };
        if (r % 2) {
            run_compile();
            run_parse();
        } else {
            run_parse();
            run_compile();
        }
        cpu_ratio.push_back(compile.Cpu_Ms.back() / std::max(parse.Cpu_Ms.back(), 1e-6));
    }
    for (int r = 0; r < std::min(rounds, 50); ++r) {
        t.start();
        image = Build_Device_Images(p);
        save_ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (nodes != paths.size() * size_t(rounds)) return 1;

    // The check beside the build: both in every round, taking turns at going first, so that
    // neither always finds the heap and the caches as the other left them.
    Timing build, check;
    std::vector<double> ratio;
    qsizetype findings = 0;
    for (int r = 0; r < rounds; ++r) {
        auto run_build = [&] { Measure(build, t, [&] { image.Compile_Bin(p); }); };
        auto run_check = [&] { Measure(check, t, [&] { findings += Check_Configuration(p).size(); }); };
        if (r % 2) {
            run_build();
            run_check();
        } else {
            run_check();
            run_build();
        }
        ratio.push_back(check.Wall_Ms.back() / build.Wall_Ms.back());
    }

    std::printf("rounds: %d (median of each)\n", rounds);
    std::printf("                                   wall ms    CPU ms\n");
    std::printf("pugixml parse only (five files):  %8.3f  %8.3f\n", Median(parse.Wall_Ms), Median(parse.Cpu_Ms));
    std::printf("Compile_Bin (read + build):       %8.3f  %8.3f\n", Median(compile.Wall_Ms), Median(compile.Cpu_Ms));
    std::printf("Build_Device_Images (+ saving):   %8.3f\n", Median(save_ms));
    std::printf("ratio compile / parse only, CPU:  %8.2f  (median of the rounds' ratios; aim: 1.50 or less)\n",
                Median(cpu_ratio));
    std::printf("ratio of the medians, CPU / wall: %8.2f  %8.2f\n", Median(compile.Cpu_Ms) / Median(parse.Cpu_Ms),
                Median(compile.Wall_Ms) / Median(parse.Wall_Ms));
    std::printf("\nCheck_Configuration beside Compile_Bin, the same rounds (%lld finding(s) a round):\n",
                static_cast<long long>(findings / rounds));
    std::printf("                                   wall ms    CPU ms\n");
    std::printf("Compile_Bin:                      %8.3f  %8.3f\n", Median(build.Wall_Ms), Median(build.Cpu_Ms));
    std::printf("Check_Configuration:              %8.3f  %8.3f\n", Median(check.Wall_Ms), Median(check.Cpu_Ms));
    // The check once cost what the build cost, both reading documents. The build now reads plain
    // list files without one; the check still makes documents, because its findings name rows
    // through them, so this ratio says how far the check lags the build, not a fault.
    std::printf("ratio check / compile (median of the rounds' ratios): %.2f\n", Median(ratio));
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\npeak resident memory of the whole run: %ld KiB\n", long(usage.ru_maxrss));
    return 0;
}
