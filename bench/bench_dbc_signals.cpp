// CAN databases of growing size and what an import makes of them, each beside the reference of
// reading the same file alone. Every sample is a process of its own (fork), so that its CPU time
// and peak memory are its own, and the reference and the measured kind take turns (R A R A ...),
// so a busy machine favours neither.
//
//  1. Comments, value tables and signal attributes by the ten thousand: 10,000 to 80,000 signals,
//     each named by a CM_ SG_, a VAL_ and a BA_ ... SG_ line. Reference: the file's bytes read and
//     decoded; measured: the same and the database parsed. Time per signal should stay flat.
//  2. A database of 2,000 messages (20,000 signals of every kind): reference: the database read
//     (parsed); "import": the same, then 250 messages into each direction's frame list with their
//     signals onto registers, and the configuration's files written; "pdf": the register map of
//     that configuration exported as PDF.
// Usage: bench_dbc_signals [ROUNDS]   (default 5)
#include "config/Project_Files.h"
#include "documents/Register_Map_Pdf.h"
#include "editing/Frame_List.h"
#include "editing/Mapping_List.h"
#include "exchange/Dbc_Import.h"
#include "exchange/Register_Map.h"
#include "platform/Safe_File.h"

#include <QDate>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Signals of 1 to 64 bits, both byte orders, signed, unsigned and float, 10 to a message.
QByteArray Database(int messages, bool commented)
{
    QString t = QStringLiteral("VERSION \"bench\"\n\nNS_ :\n\tCM_\n\tBA_DEF_\n\nBS_:\n\nBU_: Steuer Anzeige\n\n");
    auto id_of = [](int m) { return m % 2 ? 0x80000000u | (0x18FF0000u + m) : uint32_t(m % 0x7FF); };
    for (int m = 0; m < messages; ++m) {
        t += QStringLiteral("BO_ %1 Nachricht_%2: 8 Steuer\n").arg(id_of(m)).arg(m);
        for (int s = 0; s < 10; ++s) {
            // Ten signals of 6 bits, one after another, in one byte order per message.
            const bool intel = m % 3 != 0;
            const int start = intel ? s * 6 : (s * 6 / 8) * 8 + 7 - (s * 6) % 8;
            t += QStringLiteral(" SG_ Signal_%1 : %2|6@%3%4 (0.5,-10) [-10|21.5] \"°C\" Anzeige\n")
                     .arg(s)
                     .arg(start)
                     .arg(intel ? 1 : 0)
                     .arg(s % 2 ? '-' : '+');
        }
        t += QLatin1Char('\n');
    }
    t += QStringLiteral("BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 65535;\nBA_DEF_DEF_ \"GenMsgCycleTime\" 0;\n"
                        "BA_DEF_ SG_ \"GenSigStartValue\" INT 0 65535;\n");
    for (int m = 0; m < messages; ++m) {
        t += QStringLiteral("CM_ BO_ %1 \"Nachricht %2\";\n").arg(id_of(m)).arg(m);
        t += QStringLiteral("BA_ \"GenMsgCycleTime\" BO_ %1 %2;\n").arg(id_of(m)).arg(10 + m % 100);
        if (!commented) continue;
        for (int s = 0; s < 10; ++s) {
            t += QStringLiteral("CM_ SG_ %1 Signal_%2 \"Signal %2 der Nachricht %3\";\n").arg(id_of(m)).arg(s).arg(m);
            t += QStringLiteral("VAL_ %1 Signal_%2 0 \"aus\" 1 \"an\" 2 \"Fehler\";\n").arg(id_of(m)).arg(s);
            t += QStringLiteral("BA_ \"GenSigStartValue\" SG_ %1 Signal_%2 %3;\n").arg(id_of(m)).arg(s).arg(s);
        }
    }
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toLatin1();
}

struct Sample {
    double Wall_Ms = 0;
    double Cpu_Ms = 0;
    double Peak_MiB = 0;
};

// Runs work in a process of its own; its wall time is measured inside, CPU and peak memory over
// the whole process.
Sample Run(const std::function<void()> &work)
{
    int pipe_fd[2];
    if (pipe(pipe_fd) != 0) std::exit(2);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipe_fd[0]);
        QElapsedTimer t;
        t.start();
        work();
        const double wall = double(t.nsecsElapsed()) / 1e6;
        char line[64];
        const int n = std::snprintf(line, sizeof line, "%f\n", wall);
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
        std::fprintf(stderr, "a sample failed\n");
        std::exit(1);
    }
    Sample s;
    std::sscanf(buffer, "%lf", &s.Wall_Ms);
    s.Cpu_Ms = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    s.Peak_MiB = double(usage.ru_maxrss) / 1024.0;
    return s;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Series {
    std::vector<double> Wall, Cpu, Peak;
    void Add(const Sample &s)
    {
        Wall.push_back(s.Wall_Ms);
        Cpu.push_back(s.Cpu_Ms);
        Peak.push_back(s.Peak_MiB);
    }
};

QByteArray Read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) std::exit(4);
    return f.readAll();
}

void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::exit(4);
}

// One direction of an import into the configuration folder, as qcx3310-cli does it.
void Import_Direction(const Project_Paths &paths, Direction d, const QList<Dbc_Message> &chosen, QList<Signal_Note> &notes)
{
    const Frame_Import fi = Import_Dbc_Frames(Empty_Frame_Grid(), d, chosen);
    const QList<Frame_Row> rows = Pack_Entries(fi.Grid);
    QList<Editor_Frame> frames;
    for (const Frame_Row &r : rows) frames.append(Editor_Frame{r.CobID, 8, {}});
    const Signal_Import si = Import_Dbc_Signals(frames, rows, chosen, 0, d == Direction::Receive ? 0 : 2000, d);
    Save_Files_Atomic({{paths.Frame_File(d), Frame_File_Bytes(d, rows, paths.Frame_File(d))},
                       {paths.Map_File(d), Map_File_Bytes(d, si.Frames, paths.Map_File(d))}});
    notes += Imported_Signal_Notes(d, si, rows);
}

void Import_All(const QString &dbc, const Project_Paths &paths)
{
    const Dbc_Database db = Read_Dbc_File(dbc);
    QList<Signal_Note> notes;
    Import_Direction(paths, Direction::Receive, db.Messages.mid(0, Max_Frame_Entries), notes);
    Import_Direction(paths, Direction::Transmit, db.Messages.mid(Max_Frame_Entries, Max_Frame_Entries), notes);
    Save_File_Atomic(paths.Signal_Notes, Signal_Notes_Bytes(notes));
}

}  // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;

    std::printf("1. commented signals (CM_ SG_, VAL_, BA_ SG_ for each), %d rounds, medians, one process per sample\n", rounds);
    std::printf("%8s %8s | %10s %10s %9s | %10s %10s %9s | %8s %10s\n", "signals", "MB", "read ms", "read CPU", "read MiB",
                "parse ms", "parse CPU", "parse MiB", "CPU/ref", "us/signal");
    for (const int signal_count : {10000, 20000, 40000, 80000}) {
        const QString path = dir.filePath(QStringLiteral("commented_%1.dbc").arg(signal_count));
        Write(path, Database(signal_count / 10, true));
        const qint64 size = QFileInfo(path).size();
        Series ref, parse;
        std::vector<double> ratio;
        for (int r = 0; r < rounds; ++r) {
            const Sample a = Run([&] { (void)Decode_Dbc_Bytes(Read(path)).size(); });
            const Sample b = Run([&] { (void)Parse_Dbc(Decode_Dbc_Bytes(Read(path))).Messages.size(); });
            ref.Add(a);
            parse.Add(b);
            ratio.push_back(b.Cpu_Ms / a.Cpu_Ms);
        }
        std::printf("%8d %8.1f | %10.1f %10.1f %9.1f | %10.1f %10.1f %9.1f | %8.2f %10.2f\n", signal_count, size / 1e6,
                    Median(ref.Wall), Median(ref.Cpu), Median(ref.Peak), Median(parse.Wall), Median(parse.Cpu),
                    Median(parse.Peak), Median(ratio), (Median(parse.Wall) - Median(ref.Wall)) * 1000.0 / signal_count);
    }

    const QString big = dir.filePath(QStringLiteral("messages_2000.dbc"));
    Write(big, Database(2000, true));
    const QString conf = dir.filePath(QStringLiteral("Bench"));
    QDir().mkpath(conf);
    const Project_Paths paths = Project_Paths_In(conf);
    Run([&] { Import_All(big, paths); });  // the configuration the PDF is made of
    Import_All(big, paths);

    std::printf("\n2. a database of 2,000 messages (20,000 signals, %.1f MB), %d rounds, medians\n", QFileInfo(big).size() / 1e6,
                rounds);
    Series ref, import, pdf;
    std::vector<double> import_ratio, pdf_ratio;
    int lines = 0;
    for (int r = 0; r < rounds; ++r) {
        const Sample a = Run([&] { (void)Read_Dbc_File(big).Messages.size(); });
        const Sample b = Run([&] { Import_All(big, paths); });
        const Sample c = Run([&] { (void)Read_Dbc_File(big).Messages.size(); });
        const Sample d = Run([&] {
            static int app_argc = 1;
            static char name[] = "bench_dbc_signals";
            static char *app_argv[] = {name, nullptr};
            Use_Offscreen_Without_Display();
            QGuiApplication app(app_argc, app_argv);
            const Register_Map map = Read_Register_Map(paths, QStringLiteral("Bench"), QDate(2026, 12, 11), QStringLiteral("1.102"));
            Write(paths.ParGen + QStringLiteral(".pdf"), Register_Map_Pdf(map));
        });
        ref.Add(a);
        ref.Add(c);
        import.Add(b);
        pdf.Add(d);
        import_ratio.push_back(b.Cpu_Ms / a.Cpu_Ms);
        pdf_ratio.push_back(d.Cpu_Ms / c.Cpu_Ms);
    }
    lines = int(Read_Register_Map(paths, QStringLiteral("Bench"), QDate(2026, 12, 11), QStringLiteral("1.102")).Lines.size());
    std::printf("%-28s %10s %12s %10s %8s\n", "", "wall ms", "process CPU", "peak MiB", "CPU/ref");
    std::printf("%-28s %10.1f %12.1f %10.1f %8s\n", "read the database (ref)", Median(ref.Wall), Median(ref.Cpu),
                Median(ref.Peak), "1");
    std::printf("%-28s %10.1f %12.1f %10.1f %8.2f\n", "import 2 x 250 messages", Median(import.Wall), Median(import.Cpu),
                Median(import.Peak), Median(import_ratio));
    std::printf("%-28s %10.1f %12.1f %10.1f %8.2f\n", "register map as PDF", Median(pdf.Wall), Median(pdf.Cpu),
                Median(pdf.Peak), Median(pdf_ratio));
    std::printf("register map: %d lines\n", lines);
    return 0;
}
