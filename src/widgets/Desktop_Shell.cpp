#include "widgets/Desktop_Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#endif

namespace {

#ifdef Q_OS_WIN

// A detached process, held by a handle taken right after the start: the handle keeps its exit
// code readable after it has ended, and holding it never ties the program to us.
class Win_Handle : public Process_Handle {
public:
    explicit Win_Handle(qint64 pid)
        : handle_(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid)))
    {
    }
    ~Win_Handle() override
    {
        if (handle_) CloseHandle(handle_);
    }
    bool Running() override
    {
        return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
    }
    Exit_Status Exit() override
    {
        DWORD code = 0;
        if (!handle_ || !GetExitCodeProcess(handle_, &code) || code == STILL_ACTIVE) return {};
        return Exit_Status::Exited(int(code));
    }

private:
    HANDLE handle_;
};

#else

// Reads what the watcher writes, without blocking once the start has been confirmed.
bool Read_Fully(int fd, void *buffer, size_t size)
{
    auto *bytes = static_cast<char *>(buffer);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += size_t(n);
    }
    return true;
}

void Write_Fully(int fd, const void *buffer, size_t size)
{
    const auto *bytes = static_cast<const char *>(buffer);
    size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::write(fd, bytes + sent, size - sent);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        sent += size_t(n);
    }
}

// What the watcher tells us through the pipe: first whether the program started, then, when it
// has ended, its wait status.
constexpr char Started_Mark = 'S';
constexpr char Failed_Mark = 'F';

// A program started under a watcher: a small process of our own that is detached from us
// (re-parented to init, in a session of its own) and is the program's parent. It waits for the
// program and writes its wait status into a pipe, so we learn the exit code without the
// program being our child. When we end first, the watcher's write fails quietly and the
// program goes on.
class Watched_Handle : public Process_Handle {
public:
    explicit Watched_Handle(int fd) : fd_(fd) {}
    ~Watched_Handle() override
    {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Running() override
    {
        while (!ended_) {
            const ssize_t n = ::read(fd_, buffer_ + got_, sizeof buffer_ - got_);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
            if (n <= 0) {
                // The watcher is gone without a word: the program's end cannot be learnt.
                ended_ = true;
                break;
            }
            got_ += size_t(n);
            if (got_ == sizeof buffer_) {
                int status = 0;
                memcpy(&status, buffer_, sizeof status);
                if (WIFEXITED(status))
                    exit_ = Exit_Status::Exited(WEXITSTATUS(status));
                else if (WIFSIGNALED(status))
                    exit_ = Exit_Status::Killed(WTERMSIG(status));
                ended_ = true;
            }
        }
        return false;
    }
    Exit_Status Exit() override { return exit_; }

private:
    int fd_;
    char buffer_[sizeof(int)] = {};
    size_t got_ = 0;
    bool ended_ = false;
    Exit_Status exit_;
};

// The watcher's work after the first fork; only calls that are safe between fork and exec.
[[noreturn]] void Run_Watcher(const char *path, char *const argv[], int report_fd)
{
    // The program gets the default signal handling and mask, not ours.
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(SIGCHLD, &dfl, nullptr);
    ::sigaction(SIGPIPE, &dfl, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    int exec_pipe[2];
    if (::pipe2(exec_pipe, O_CLOEXEC) != 0) {
        const int err = errno;
        Write_Fully(report_fd, &Failed_Mark, 1);
        Write_Fully(report_fd, &err, sizeof err);
        ::_exit(0);
    }
    const pid_t program = ::fork();
    if (program == 0) {
        ::execv(path, argv);
        const int err = errno;
        Write_Fully(exec_pipe[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(exec_pipe[1]);
    int err = errno;
    // The exec pipe closes without a word when the exec succeeded.
    const bool failed = program < 0 || Read_Fully(exec_pipe[0], &err, sizeof err);
    ::close(exec_pipe[0]);
    if (failed) {
        if (program > 0) ::waitpid(program, nullptr, 0);
        Write_Fully(report_fd, &Failed_Mark, 1);
        Write_Fully(report_fd, &err, sizeof err);
        ::_exit(0);
    }
    Write_Fully(report_fd, &Started_Mark, 1);

    // Whoever started us may be gone by the time the program ends: a write into a closed
    // pipe must not end the watcher before it has reaped the program.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, nullptr);
    int status = 0;
    while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {
    }
    Write_Fully(report_fd, &status, sizeof status);
    ::_exit(0);
}

std::unique_ptr<Process_Handle> Start_Watched(const QString &program, const QStringList &arguments)
{
    // Everything the forked processes need is made here: after the fork there is no allocating.
    QString path = program;
    if (!program.contains(QLatin1Char('/'))) path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) return nullptr;
    std::vector<QByteArray> args;
    args.push_back(QFile::encodeName(path));
    for (const QString &a : arguments) args.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return nullptr;
    const pid_t first = ::fork();
    if (first == 0) {
        // A session of its own, and a parent that leaves at once: the watcher is adopted by
        // init and shares nothing with our terminal or our end.
        ::close(report[0]);
        ::setsid();
        const pid_t watcher = ::fork();
        if (watcher != 0) ::_exit(watcher < 0 ? 1 : 0);
        Run_Watcher(argv[0], argv.data(), report[1]);
    }
    ::close(report[1]);
    if (first < 0) {
        ::close(report[0]);
        return nullptr;
    }
    while (::waitpid(first, nullptr, 0) < 0 && errno == EINTR) {
    }
    char mark = 0;
    if (!Read_Fully(report[0], &mark, 1) || mark != Started_Mark) {
        ::close(report[0]);
        return nullptr;
    }
    ::fcntl(report[0], F_SETFL, ::fcntl(report[0], F_GETFL) | O_NONBLOCK);
    return std::make_unique<Watched_Handle>(report[0]);
}

#endif

}  // namespace

bool Real_Shell::Open_Url(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

std::unique_ptr<Process_Handle> Real_Shell::Start(const QString &program, const QString &parameter,
                                                  bool hidden)
{
    Q_UNUSED(hidden);  // a desktop program decides its own window; nothing to hide on this platform
    const QStringList arguments = QProcess::splitCommand(parameter);
#ifdef Q_OS_WIN
    // Detached, because the updater must outlive a wait that gave up after the limit (a
    // QProcess would end it when destroyed).
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) return nullptr;
    return std::make_unique<Win_Handle>(pid);
#else
    return Start_Watched(program, arguments);
#endif
}
