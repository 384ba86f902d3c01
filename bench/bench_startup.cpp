// Start-up time: from starting qcx3310 until its main window has been shown, beside the same
// figure for an empty Qt window. Usage: bench_startup [runs]  (default 10)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median_Ms(const QString &program, const QString &work_dir, int runs)
{
    std::vector<double> times;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QCX3310_QUIT_WHEN_SHOWN", "1");
    if (!env.contains("DISPLAY") && !env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(work_dir);
        QElapsedTimer t;
        t.start();
        p.start(program, {});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
            return -1;
        }
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const QString bench_dir = QCoreApplication::applicationDirPath();
    const QString configurator = QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310");
    const QString empty = bench_dir + "/empty_window";

    // The configurator in a workspace of its own, so the benchmark leaves the user's alone.
    QTemporaryDir dir;
    const QString copy = dir.filePath("qcx3310");
    QFile::copy(configurator, copy);
    QFile::setPermissions(copy, QFile::permissions(configurator));

    Median_Ms(copy, dir.path(), 1);  // warm the file cache
    Median_Ms(empty, dir.path(), 1);
    const double app_ms = Median_Ms(copy, dir.path(), runs);
    const double empty_ms = Median_Ms(empty, dir.path(), runs);
    std::printf("start-up to window shown, median of %d runs\n", runs);
    std::printf("  qcx3310       %8.1f ms\n", app_ms);
    std::printf("  empty window  %8.1f ms\n", empty_ms);
    std::printf("  ratio         %8.2f (aim: 1.30 or less)\n", empty_ms > 0 ? app_ms / empty_ms : 0.0);
    return 0;
}
