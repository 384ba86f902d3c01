// Exporting the register map of a maximal configuration (250 + 250 frames, 4096 registers) as
// CSV, HTML and PDF, beside the reference of reading the map alone (the five files and the
// images' header). Each sample is a process of its own (fork), so that its CPU time and peak
// memory are its own; the four kinds take turns in every round, the reference first and again
// between the formats (R C R H R P), so a busy machine favours none of them.
// A second table holds the PDF of the same configuration with every Mnemonic 60,000 characters
// long, beside its own reference (R P R P ...): the document draws what fits a cell, so its time
// follows the lines drawn, not the length of the texts.
// Usage: bench_register_map [ROUNDS]   (default 9; the long mnemonics take at most 3)
#include "documents/Register_Map_Pdf.h"
#include "exchange/Register_Map.h"
#include "helpers/Maximal_Configuration.h"

#include <QDate>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Sample {
    double Wall_Ms = 0;   // the export alone, measured inside the process
    double Cpu_Ms = 0;    // the whole process
    double Peak_MiB = 0;  // the whole process
    long long Bytes = 0;
};

// One process that reads the map and writes it in format ("ref": reads only).
Sample Run(const Project_Paths &paths, const std::string &format)
{
    int pipe_fd[2];
    if (pipe(pipe_fd) != 0) std::exit(2);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipe_fd[0]);
        static int argc = 1;
        static char name[] = "bench_register_map";
        static char *argv[] = {name, nullptr};
        Use_Offscreen_Without_Display();
        // Only the PDF needs Qt Gui; the others run as a command-line export does.
        std::unique_ptr<QGuiApplication> app;
        if (format == "pdf") app = std::make_unique<QGuiApplication>(argc, argv);
        QElapsedTimer t;
        t.start();
        const Register_Map map = Read_Register_Map(paths, QStringLiteral("Maximal"), QDate(2026, 12, 11), QStringLiteral("1.102"));
        QByteArray bytes;
        if (format == "csv") bytes = Register_Map_Csv(map);
        if (format == "html") bytes = Register_Map_Html(map);
        if (format == "pdf") bytes = Register_Map_Pdf(map);
        const double wall = double(t.nsecsElapsed()) / 1e6;
        const long long size = format == "ref" ? map.Lines.size() : bytes.size();
        char line[64];
        const int n = std::snprintf(line, sizeof line, "%f %lld\n", wall, size);
        if (write(pipe_fd[1], line, size_t(n)) != n) _exit(3);
        _exit(0);
    }
    close(pipe_fd[1]);
    char buffer[64] = {};
    const ssize_t got = read(pipe_fd[0], buffer, sizeof buffer - 1);
    close(pipe_fd[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the %s export failed\n", format.c_str());
        std::exit(1);
    }
    Sample s;
    std::sscanf(buffer, "%lf %lld", &s.Wall_Ms, &s.Bytes);
    s.Cpu_Ms = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    s.Peak_MiB = double(usage.ru_maxrss) / 1024.0;
    return s;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    QTemporaryDir dir;
    Write_Maximal_Configuration(dir.path());
    const Project_Paths paths = Project_Paths_In(dir.path());
    Run(paths, "ref");  // warm the file cache

    const std::vector<std::string> formats{"csv", "html", "pdf"};
    std::map<std::string, std::vector<Sample>> samples;
    std::map<std::string, std::vector<double>> cpu_ratio, wall_ratio;
    for (int r = 0; r < rounds; ++r) {
        for (const std::string &format : formats) {
            const Sample ref = Run(paths, "ref");
            const Sample s = Run(paths, format);
            samples["ref"].push_back(ref);
            samples[format].push_back(s);
            cpu_ratio[format].push_back(s.Cpu_Ms / ref.Cpu_Ms);
            wall_ratio[format].push_back(s.Wall_Ms / ref.Wall_Ms);
        }
    }

    std::printf("register map of the maximal configuration, %d rounds, one process per sample (medians)\n", rounds);
    std::printf("%-6s %10s %12s %12s %12s %10s %10s\n", "", "registers", "export ms", "process CPU", "peak MiB",
                "CPU/ref", "export/ref");
    for (const std::string &kind : {std::string("ref"), std::string("csv"), std::string("html"), std::string("pdf")}) {
        std::vector<double> wall, cpu, peak;
        for (const Sample &s : samples[kind]) {
            wall.push_back(s.Wall_Ms);
            cpu.push_back(s.Cpu_Ms);
            peak.push_back(s.Peak_MiB);
        }
        const bool ref = kind == "ref";
        std::printf("%-6s %10lld %12.1f %12.1f %12.1f %10s %10s\n", kind.c_str(), ref ? samples[kind][0].Bytes : 0LL,
                    Median(wall), Median(cpu), Median(peak),
                    ref ? "1" : std::to_string(Median(cpu_ratio[kind])).substr(0, 5).c_str(),
                    ref ? "1" : std::to_string(Median(wall_ratio[kind])).substr(0, 5).c_str());
    }
    std::printf("bytes written: csv %lld, html %lld, pdf %lld\n", samples["csv"][0].Bytes, samples["html"][0].Bytes,
                samples["pdf"][0].Bytes);

    // Mnemonics of 60,000 characters: the PDF against reading the same map.
    QTemporaryDir long_dir;
    Write_Maximal_Configuration(long_dir.path(), 60000);
    const Project_Paths long_paths = Project_Paths_In(long_dir.path());
    Run(long_paths, "ref");
    std::vector<Sample> long_ref, long_pdf;
    std::vector<double> long_cpu_ratio, long_wall_ratio;
    const int long_rounds = std::min(rounds, 3);
    for (int r = 0; r < long_rounds; ++r) {
        long_ref.push_back(Run(long_paths, "ref"));
        long_pdf.push_back(Run(long_paths, "pdf"));
        long_cpu_ratio.push_back(long_pdf.back().Cpu_Ms / long_ref.back().Cpu_Ms);
        long_wall_ratio.push_back(long_pdf.back().Wall_Ms / long_ref.back().Wall_Ms);
    }
    std::printf("\nthe same with every Mnemonic 60,000 characters long, %d rounds (medians)\n", long_rounds);
    std::printf("%-6s %12s %12s %12s %10s %10s\n", "", "export ms", "process CPU", "peak MiB", "CPU/ref", "export/ref");
    for (const auto &[kind, list] : {std::pair<std::string, std::vector<Sample> *>{"ref", &long_ref}, {"pdf", &long_pdf}}) {
        std::vector<double> wall, cpu, peak;
        for (const Sample &s : *list) {
            wall.push_back(s.Wall_Ms);
            cpu.push_back(s.Cpu_Ms);
            peak.push_back(s.Peak_MiB);
        }
        const bool ref = kind == "ref";
        std::printf("%-6s %12.1f %12.1f %12.1f %10s %10s\n", kind.c_str(), Median(wall), Median(cpu), Median(peak),
                    ref ? "1" : std::to_string(Median(long_cpu_ratio)).substr(0, 5).c_str(),
                    ref ? "1" : std::to_string(Median(long_wall_ratio)).substr(0, 5).c_str());
    }
    std::printf("pdf bytes written: %lld\n", long_pdf[0].Bytes);
    return 0;
}
