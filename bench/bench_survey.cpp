// The bus survey of a large log against reading the log alone. Each run is a child process of
// its own, so its CPU time and peak resident memory are its own (wait4's rusage); the two are
// run in pairs (read, survey, read, survey, ...) for logs of 250,000, 500,000 and 1,000,000
// frames, to show that the survey costs little beyond the reading and that neither needs more
// memory for a longer log.
// Usage: bench_survey [ROUNDS]   (default 3)
#include "exchange/Bus_Survey.h"
#include "exchange/Can_Log.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// 60 identifiers, 11-bit and 29-bit, cycles of 10 to 1000 ms with a little jitter, every length:
// the traffic of a busy machine, written by our own candump log writer.
void Write_Log(const QString &path, int frames)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    struct Source {
        uint32_t Id;
        bool Extended;
        int64_t Cycle_Us;
        int64_t Next_Us;
        uint8_t Length;
    };
    std::vector<Source> sources;
    for (int i = 0; i < 60; ++i)
        sources.push_back({i % 3 ? uint32_t(0x100 + i) : 0x18FF0000u + uint32_t(i), i % 3 == 0,
                           int64_t(10 + (i * 37) % 990) * 1000, int64_t(i) * 100, uint8_t(1 + i % 8)});
    QByteArray block;
    uint32_t random = 3310;
    for (int n = 0; n < frames; ++n) {
        Source &s = *std::min_element(sources.begin(), sources.end(),
                                      [](const Source &a, const Source &b) { return a.Next_Us < b.Next_Us; });
        Log_Frame f;
        f.Time_Us = int64_t(1700000000) * 1000000 + s.Next_Us;
        f.Id = s.Id;
        f.Extended = s.Extended;
        f.Length = s.Length;
        for (int k = 0; k < f.Length; ++k) f.Data[size_t(k)] = uint8_t(n + k);
        block += Candump_Log_Line(f, "can0");
        random = random * 1103515245u + 12345u;
        s.Next_Us += s.Cycle_Us + int64_t(random >> 16) % 200;
        if (block.size() > (1 << 20)) {
            out.write(block);
            block.clear();
        }
    }
    out.write(block);
}

void Write_Configuration(const QString &dir)
{
    QDir().mkpath(dir);
    QString rows;
    for (int i = 0; i < 60; i += 2)
        rows += QStringLiteral("<row CobID=\"0x%1\" Dimension=\"8\" Type=\"%2\" TimeOut=\"100\" Mnemonic=\"\"/>")
                    .arg(i % 3 ? 0x100 + i : 0x18FF0000 + i, 0, 16)
                    .arg(i % 3 ? "CAN 2.0A 11 bits" : "CAN 2.0B 29 bits");
    QFile f(dir + "/CAN_Receive.xml");
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the configuration");
    f.write(("<ReceiveCAN>" + rows + "</ReceiveCAN><!--SW_VERSION = 1.102-->").toUtf8());
}

struct Run {
    double Wall_Ms = 0;
    double Cpu_Ms = 0;
    long Peak_KiB = 0;
};

// Runs work in a child process and measures it from outside.
template <class Work>
Run Measure(Work work)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child < 0) qFatal("fork failed");
    if (child == 0) _exit(work() ? 0 : 1);
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) qFatal("a run failed");
    Run r;
    r.Wall_Ms = double(timer.nsecsElapsed()) / 1e6;
    r.Cpu_Ms = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    r.Peak_KiB = usage.ru_maxrss;
    return r;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    const QString config = dir.filePath("conf");
    Write_Configuration(config);

    std::printf("%9s  %-6s %10s %10s %12s   %s\n", "frames", "run", "wall ms", "CPU ms", "peak KiB", "(medians of the rounds; peak: largest)");
    for (const int frames : {250000, 500000, 1000000}) {
        const QString log = dir.filePath(QStringLiteral("bus_%1.log").arg(frames));
        Write_Log(log, frames);
        const auto read_alone = [&log, frames] {
            qint64 seen = 0;
            const Can_Log_Result r = Read_Can_Log_File(log, [&seen](const Log_Frame &) { ++seen; });
            return r.Error.isEmpty() && seen == frames;
        };
        const auto survey = [&log, &config, frames] {
            const Configured_Frame_Lists lists = Configured_Frames(Project_Paths_In(config));
            Bus_Traffic traffic;
            Survey_Source source;
            source.Log_File = log;
            source.Log = Read_Can_Log_File(log, [&traffic](const Log_Frame &f) { traffic.Add(f); });
            const QList<Survey_Finding> findings = Survey_Bus(lists, traffic, source);
            return source.Log.Error.isEmpty() && traffic.Frames() == frames && !findings.isEmpty();
        };
        std::vector<double> wall[2], cpu[2], ratio;
        long peak[2] = {0, 0};
        for (int r = 0; r < rounds; ++r) {
            const Run a = Measure(read_alone);
            const Run b = Measure(survey);
            const Run *runs[2] = {&a, &b};
            for (int k = 0; k < 2; ++k) {
                wall[k].push_back(runs[k]->Wall_Ms);
                cpu[k].push_back(runs[k]->Cpu_Ms);
                peak[k] = std::max(peak[k], runs[k]->Peak_KiB);
            }
            ratio.push_back(b.Cpu_Ms / a.Cpu_Ms);
        }
        const qint64 bytes = QFile(log).size();
        std::printf("%9d  %-6s %10.1f %10.1f %12ld   log %.1f MB\n", frames, "read", Median(wall[0]), Median(cpu[0]), peak[0],
                    double(bytes) / 1e6);
        std::printf("%9d  %-6s %10.1f %10.1f %12ld   CPU survey/read %.2f (median of the pairs)\n", frames, "survey",
                    Median(wall[1]), Median(cpu[1]), peak[1], Median(ratio));
        QFile::remove(log);
    }
    return 0;
}
