// What Update Device does with a maximal configuration (250 receive and 250 transmit frames,
// 4096 mappings): load it once, check it, build both images; against one strict read of the
// same five files (Qt's XML stream reader to the end of each, no tree, nothing kept). Each pair
// runs in every round, taking turns at going first; wall and CPU time.
// Usage: bench_compile [ROUNDS]          (default 200) the pairwise figures
//        bench_compile read|update ROUNDS  one side alone, for a comparison of whole processes
//                                          (peak memory) by a timing tool
#include "config/Config_Check.h"
#include "config/Image_Builder.h"
#include "config/Configuration.h"
#include "config/Project_Files.h"
#include "helpers/Maximal_Configuration.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <QFile>
#include <QXmlStreamReader>
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

// One strict read of the five files: every token, as the configuration's loader reads them.
qint64 Strict_Read(const QString (&files)[5])
{
    qint64 tokens = 0;
    for (const QString &path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return -1;
        QXmlStreamReader reader(f.readAll());
        while (!reader.atEnd()) {
            reader.readNext();
            ++tokens;
        }
        if (reader.hasError()) return -1;
    }
    return tokens;
}

// Update Device's road: the configuration read once, checked and built.
qsizetype Check_And_Build(const Project_Paths &p, Configuration_Image &image)
{
    const Configuration config = Load_Configuration(p);
    const Checked_Configuration checked = Check_And_Read(config);
    if (checked.Complete) image.Encode(checked.Device);  // Update Device's road, without saving
    else image.Compile_Bin(config);
    return checked.Findings.size();
}

}  // namespace

int main(int argc, char *argv[])
{
    // "bench_compile [ROUNDS]" or "bench_compile read|update ROUNDS".
    QString mode;
    int arg = 1;
    if (argc > arg && !std::isdigit(uchar(argv[arg][0]))) mode = QString::fromLatin1(argv[arg++]);
    const int rounds = argc > arg ? std::max(1, atoi(argv[arg])) : 200;
    QTemporaryDir dir;
    Write_Maximal_Configuration(dir.path());
    const Project_Paths p = Project_Paths_In(dir.path());
    const QString files[5] = {p.ParGen, p.CAN_Receive, p.CAN_Transmit, p.Define_CAN_Receive, p.Define_CAN_Transmit};
    qint64 bytes = 0;
    for (const QString &f : files) bytes += QFileInfo(f).size();
    Configuration_Image image;

    if (mode == QLatin1String("read") || mode == QLatin1String("update")) {
        qint64 sum = 0;
        for (int r = 0; r < rounds; ++r) sum += mode == QLatin1String("read") ? Strict_Read(files) : Check_And_Build(p, image);
        return sum < 0 ? 1 : 0;
    }

    Check_And_Build(p, image);  // warm the file cache
    std::printf("maximal configuration: %lld bytes in five files; bank1 %d bytes, bank2 %d bytes\n",
                static_cast<long long>(bytes), image.Bank1_Len(), image.Bank2_Len());

    QElapsedTimer t;
    Timing read, update, compile;
    std::vector<double> cpu_ratio;
    qsizetype findings = 0;
    for (int r = 0; r < rounds; ++r) {
        auto run_read = [&] { Measure(read, t, [&] { if (Strict_Read(files) < 0) std::exit(1); }); };
        auto run_update = [&] { Measure(update, t, [&] { findings += Check_And_Build(p, image); }); };
        if (r % 2) {
            run_update();
            run_read();
        } else {
            run_read();
            run_update();
        }
        cpu_ratio.push_back(update.Cpu_Ms.back() / std::max(read.Cpu_Ms.back(), 1e-6));
        Measure(compile, t, [&] { image.Compile_Bin(p); });
    }
    std::vector<double> save_ms;
    for (int r = 0; r < std::min(rounds, 50); ++r) {
        t.start();
        image = Build_Device_Images(p);
        save_ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    std::printf("rounds: %d (median of each; %lld finding(s) a round)\n", rounds, static_cast<long long>(findings / rounds));
    std::printf("                                          wall ms    CPU ms\n");
    std::printf("one strict read of the five files:       %8.3f  %8.3f\n", Median(read.Wall_Ms), Median(read.Cpu_Ms));
    std::printf("load once, check and build:              %8.3f  %8.3f\n", Median(update.Wall_Ms), Median(update.Cpu_Ms));
    std::printf("Compile_Bin alone (load and build):      %8.3f  %8.3f\n", Median(compile.Wall_Ms), Median(compile.Cpu_Ms));
    std::printf("Build_Device_Images (+ saving):          %8.3f\n", Median(save_ms));
    std::printf("ratio check and build / strict read, CPU: %7.2f  (median of the rounds' ratios; aim: 1.50 or less)\n",
                Median(cpu_ratio));
    std::printf("ratio of the medians, CPU / wall:        %8.2f  %8.2f\n", Median(update.Cpu_Ms) / Median(read.Cpu_Ms),
                Median(update.Wall_Ms) / Median(read.Wall_Ms));
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\npeak resident memory of the whole run: %ld KiB\n", long(usage.ru_maxrss));
    return 0;
}
