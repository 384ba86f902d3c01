#include "widgets/Desktop_Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

namespace {

// A detached process watched by its process id. Detached, because the updater must outlive a
// wait that gave up after the limit (a QProcess would kill it when destroyed).
class Pid_Handle : public Process_Handle {
public:
    explicit Pid_Handle(qint64 pid) : pid_(pid) {}
    bool Running() override
    {
#ifdef Q_OS_WIN
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid_));
        if (!h) return false;
        const bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
        CloseHandle(h);
        return running;
#else
        // The detached program is a grandchild re-parented to init, which reaps it, so it
        // disappears as soon as it ends.
        // A zombie (when no one reaps it) has ended as well.
        if (::kill(pid_t(pid_), 0) != 0 && errno != EPERM) return false;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid_));
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray line = stat.readAll();
            const qsizetype paren = line.lastIndexOf(')');
            if (paren >= 0 && paren + 2 < line.size() && line[paren + 2] == 'Z') return false;
        }
        return true;
#endif
    }

private:
    qint64 pid_;
};

}  // namespace

bool Real_Shell::Open_Url(const QString &url)
{
    return QDesktopServices::openUrl(QUrl(url));
}

std::unique_ptr<Process_Handle> Real_Shell::Start(const QString &program, const QString &parameter,
                                                  bool hidden)
{
    Q_UNUSED(hidden);  // a desktop program decides its own window; nothing to hide on this platform
    QProcess process;
    process.setProgram(program);
    process.setArguments(QProcess::splitCommand(parameter));
    qint64 pid = 0;
    if (!process.startDetached(&pid)) return nullptr;
    return std::make_unique<Pid_Handle>(pid);
}

