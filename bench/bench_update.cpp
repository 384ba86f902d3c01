// The update step's own costs: one echo of loopback through the real ICMP layer (what each
// ping attempt costs on a device that answers at once), writing the update job, and one run of
// the stand-in updater on a full job. Usage: bench_update [rounds]  (default 200)
#include "platform/Real_Icmp_Echo.h"
#include "update/Update_Job.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    double median_us = 0;
    double worst_us = 0;
};

template <class F> Figures Measure(int rounds, F &&work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e3);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

bool Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    Real_Icmp_Echo echo;
    try {
        const Figures f = Measure(rounds, [&] {
            if (echo.Echo(QStringLiteral("127.0.0.1"), "127.0.0.1", 400) == 0)
                std::fprintf(stderr, "loopback did not answer\n");
        });
        std::printf("echo of 127.0.0.1: median %.1f us, worst %.1f us (%d rounds)\n", f.median_us,
                    f.worst_us, rounds);
    } catch (const Icmp_Error &e) {
        std::printf("echo of 127.0.0.1: not measured (%s)\n", e.what());
    }

    QTemporaryDir dir;
    const Update_Folders folders{dir.filePath("MASTER"), dir.filePath("PROJECTS/Line1")};
    const QString job = Update_Job_Path(dir.path());
    const Figures w = Measure(rounds, [&] {
        Write_Update_Job(job, QStringLiteral("127.0.0.1"), {true, true, true, true}, folders);
    });
    std::printf("write the update job (3 operations): median %.1f us, worst %.1f us\n", w.median_us,
                w.worst_us);

    // The stand-in updater on that job, with its images in place.
    QDir().mkpath(folders.Dir_Master);
    QDir().mkpath(folders.Dir_Project + "/bin");
    Write(Firmware_Image_Path(folders.Dir_Master), QByteArray(65536, '\x11'));
    Write(Bank1_Image_Path(folders.Dir_Project), QByteArray(2048, '\0'));
    Write(Bank2_Image_Path(folders.Dir_Project), QByteArray(16 * 4096, '\0'));
    const QString updater = Updater_Path(dir.path());
    if (!QFile::copy(Updater_Path(QStringLiteral(QCX_WORKSPACE_DIR)), updater)) {
        std::printf("stand-in updater: not measured (build the Ethernet_Update target)\n");
        return 0;
    }
    int failures = 0;
    const Figures u = Measure(std::min(rounds, 20), [&] {
        QProcess p;
        p.start(updater, {});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) ++failures;
    });
    std::printf("stand-in updater, start to end: median %.1f ms, worst %.1f ms%s\n",
                u.median_us / 1000, u.worst_us / 1000, failures ? " (some runs failed)" : "");
    return 0;
}
