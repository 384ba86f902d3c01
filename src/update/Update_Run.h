#pragma once
// Running the updater and learning how it went: its exit status and the last lines of the
// report it leaves beside itself, when this run wrote one.
#include "platform/Shell.h"
#include "update/Update_Job.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

class Clock;

// The report the updater writes beside itself, in the program's folder.
QString Update_Report_Path(const QString &dir_exe);

// The options ask for at least one operation.
bool Has_Operations(const Update_Options &options);

// The firmware image when the options write firmware and the image is missing, empty or no
// regular file (the updater rejects such a job); empty otherwise.
QString Unusable_Firmware_Image(const Update_Options &options, const QString &dir_master);

// A report file as it was at one moment. A report written after that moment differs from it,
// so an old report is never taken for the new one.
struct Report_Mark {
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    QByteArray tail;
};
Report_Mark Mark_Report(const QString &path);

// How many lines of the report the dialog shows, and how much of its end is read for them.
constexpr int Report_Tail_Lines = 6;
constexpr qint64 Report_Tail_Bytes = 16 * 1024;

// The last lines (at most max_lines, blank ones at the end left out) of the report at path
// when it has been written since before was taken; nothing when it has not, or when it is no
// regular file.
std::optional<QStringList> Fresh_Report_Tail(const QString &path, const Report_Mark &before,
                                             int max_lines = Report_Tail_Lines);

struct Update_Result {
    enum class Verdict {
        Succeeded,      // ended with exit code 0
        Failed,         // ended with another exit code
        Ended_Abnormally,  // ended from outside, without an exit code
        Ended_Unknown,  // ended, but how cannot be learnt
        Still_Running,  // still running when the wait gave up
        Not_Started,    // could not be started
    };
    Verdict verdict = Verdict::Not_Started;
    int exit_code = 0;  // Failed: the code; Ended_Abnormally: the signal where known
    QString updater;
    QString report_path;
    // The last lines of the report this run wrote; nothing when it wrote none (yet).
    std::optional<QStringList> report_tail;
};

// Starts the updater in dir_exe (without arguments, shown) and waits for it up to limit_ms,
// telling waiting how long it has waited after each pause; then reads what it reported.
Update_Result Run_Updater(Shell &shell, Clock &clock, const QString &dir_exe,
                          const Wait_Watcher &waiting = {},
                          qint64 limit_ms = Program_Wait_Limit_Ms);

// The same for an updater kept apart from the workspace (an installed program): the updater
// in dir_updater is given dir_workspace, where the job lies and the report goes, as its one
// argument. With both folders the same it is started without arguments, as above.
Update_Result Run_Updater(Shell &shell, Clock &clock, const QString &dir_updater,
                          const QString &dir_workspace, const Wait_Watcher &waiting = {},
                          qint64 limit_ms = Program_Wait_Limit_Ms);
