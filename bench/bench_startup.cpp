// Start-up cost: from starting qcx3310 until its main window has been shown (and it quits),
// beside the same for an empty Qt window built the same way. The two run pair by pair
// (A B A B ...), each as a whole process of its own, so that a busy machine weighs on both alike.
// For each program: median and range of wall time, CPU time (user + system of that child alone)
// and peak memory (its own maximum resident set); then the median of the per-pair ratios.
//
// Usage: bench_startup [pairs [program [reference]]]
//   pairs      default 15
//   program    default the built qcx3310 (it runs in a workspace of its own, with its languages)
//   reference  default the empty window, and beside it the same window with a line of text and
//              a button; another qcx3310 compares two builds
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace {

struct Run {
    double wall_ms = 0;
    double cpu_ms = 0;
    double peak_mib = 0;
};

double Now_Ms()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double Ms(const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; }

// Starts program in work_dir with env and waits for that one child: its own rusage, not the
// sum (and maximum) over every child so far that RUSAGE_CHILDREN would give.
bool Run_Once(const std::string &program, const std::string &work_dir, char *const env[], Run &out)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 29))
    posix_spawn_file_actions_addchdir_np(&actions, work_dir.c_str());
#else
#error "needs posix_spawn_file_actions_addchdir_np"
#endif
    char *const argv[] = {const_cast<char *>(program.c_str()), nullptr};
    const double start = Now_Ms();
    pid_t pid = 0;
    const int spawn_error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, env);
    posix_spawn_file_actions_destroy(&actions);
    if (spawn_error != 0) {
        std::fprintf(stderr, "%s: cannot start: %s\n", program.c_str(), std::strerror(spawn_error));
        return false;
    }
    int status = 0;
    rusage usage{};
    pid_t waited = 0;
    do {
        waited = wait4(pid, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    out.wall_ms = Now_Ms() - start;
    if (waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", program.c_str(), status);
        return false;
    }
    out.cpu_ms = Ms(usage.ru_utime) + Ms(usage.ru_stime);
    out.peak_mib = double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Print_Figure(const char *name, const std::vector<double> &values, const char *unit)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    std::printf("    %-12s median %8.1f %-3s  range %8.1f .. %8.1f\n", name, Median(values), unit, *low, *high);
}

}  // namespace

int main(int argc, char *argv[])
{
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    namespace fs = std::filesystem;
    const fs::path bench_dir = fs::canonical("/proc/self/exe").parent_path();
    const fs::path configurator = argc > 2 ? fs::path(argv[2]) : fs::path(QCX_WORKSPACE_DIR) / "qcx3310";
    const bool default_reference = argc <= 3;
    const fs::path reference = default_reference ? bench_dir / "empty_window" : fs::path(argv[3]);

    // The configurator in a workspace of its own, so the benchmark leaves the user's alone.
    char dir_template[] = "/tmp/bench_startup_XXXXXX";
    if (!mkdtemp(dir_template)) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = dir_template;
    std::error_code error;
    // Against the empty window, a second reference: the same window with a line of text and a
    // button, which is what any window with words in it pays for fonts and painting.
    std::vector<std::pair<fs::path, std::string>> sources{{configurator, "qcx3310"}, {reference, "reference"}};
    if (default_reference) sources.push_back({bench_dir / "text_window", "text_reference"});
    // All programs in one folder: a qcx3310 as reference finds the same workspace.
    for (const auto &[from, to] : sources) {
        fs::copy_file(from, dir / to, error);
        if (error) {
            std::fprintf(stderr, "cannot copy %s: %s\n", from.c_str(), error.message().c_str());
            return 1;
        }
    }
    if (fs::exists(fs::path(QCX_WORKSPACE_DIR) / "LANGUAGE"))
        fs::copy(fs::path(QCX_WORKSPACE_DIR) / "LANGUAGE", dir / "LANGUAGE", fs::copy_options::recursive, error);

    std::vector<std::string> env_text;
    for (char **e = environ; *e; ++e) env_text.emplace_back(*e);
    env_text.emplace_back("QCX3310_QUIT_WHEN_SHOWN=1");
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        env_text.emplace_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char *> env;
    for (auto &e : env_text) env.push_back(e.data());
    env.push_back(nullptr);

    const size_t count = sources.size();
    std::vector<std::string> programs;
    for (const auto &source : sources) programs.push_back((dir / source.second).string());
    std::vector<std::vector<Run>> runs(count);
    bool ok = true;
    // One unmeasured round first: the file cache, and the first start's new workspace folders.
    for (const auto &program : programs) {
        Run warm;
        ok = ok && Run_Once(program, dir.string(), env.data(), warm);
    }
    for (int i = 0; ok && i < pairs; ++i) {
        for (size_t p = 0; ok && p < count; ++p) {
            Run run;
            ok = Run_Once(programs[p], dir.string(), env.data(), run);
            runs[p].push_back(run);
        }
    }
    fs::remove_all(dir, error);
    if (!ok) return 1;

    // The ratio depends on the window system: without one (offscreen) the empty window draws
    // almost nothing, on a display it pays for the connection as every window does.
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    const char *display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : std::getenv("WAYLAND_DISPLAY");
    const std::string where = platform ? std::string("QT_QPA_PLATFORM=") + platform
                              : display ? std::string("display ") + display
                                        : std::string("offscreen (no display)");
    std::printf("start-up to main window shown and quit, %d rounds (%s), whole process, %s\n", pairs,
                count == 3 ? "A B C A B C ..." : "A B A B ...", where.c_str());
    for (size_t p = 0; p < count; ++p) {
        std::vector<double> wall, cpu, peak;
        for (const Run &r : runs[p]) {
            wall.push_back(r.wall_ms);
            cpu.push_back(r.cpu_ms);
            peak.push_back(r.peak_mib);
        }
        std::printf("  %s\n", sources[p].first.c_str());
        Print_Figure("wall", wall, "ms");
        Print_Figure("CPU", cpu, "ms");
        Print_Figure("peak memory", peak, "MiB");
    }
    for (size_t p = 1; p < count; ++p) {
        std::vector<double> ratio_wall, ratio_cpu, ratio_peak;
        for (int i = 0; i < pairs; ++i) {
            ratio_wall.push_back(runs[0][i].wall_ms / runs[p][i].wall_ms);
            ratio_cpu.push_back(runs[0][i].cpu_ms / std::max(runs[p][i].cpu_ms, 0.001));
            ratio_peak.push_back(runs[0][i].peak_mib / runs[p][i].peak_mib);
        }
        if (p == 1)
            std::printf("  first / second, median of the per-round ratios%s\n",
                        default_reference ? " (against the empty window: aim 1.30 or less)" : "");
        else
            std::printf("  first / third (the window with text), median of the per-round ratios\n");
        std::printf("    wall %.2f   CPU %.2f   peak memory %.2f\n", Median(ratio_wall), Median(ratio_cpu),
                    Median(ratio_peak));
    }
    return 0;
}
