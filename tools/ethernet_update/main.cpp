// Stand-in for the device updater. The configurator writes Ethernet_Update.xml beside this
// program and starts it without arguments (an installed configurator writes it into the
// user's workspace and passes that folder as the one argument; job and log are then there). It checks the job as the updater must take it,
// checks the images it names, and writes what a transfer would do into Ethernet_Update.log
// beside itself. It never sends anything to the network.
//
// Exit code: 0 for a valid job, 1 with the reason (in the log and on the error output).
#include "Job_Check.h"

#include "platform/Safe_File.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

void Write_Log(const QString &path, const QStringList &lines)
{
    try {
        Replace_File(path, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    } catch (const File_Error &e) {
        std::fprintf(stderr, "Ethernet_Update: %s\n", e.what());
    }
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // An installed updater is given the folder of the job (the user's workspace); otherwise
    // the job lies beside it.
    const QStringList args = QCoreApplication::arguments();
    const QString dir = args.size() > 1 ? args.at(1) : QCoreApplication::applicationDirPath();
    const QString job_path = QDir::toNativeSeparators(dir + QStringLiteral("/Ethernet_Update.xml"));
    const QString log_path = QDir::toNativeSeparators(dir + QStringLiteral("/Ethernet_Update.log"));

    QStringList log;
    log << QStringLiteral("Ethernet_Update (stand-in): nothing is sent to the device.");
    log << QStringLiteral("Job: %1").arg(job_path);
    try {
        const Update_Job job = Read_Update_Job(job_path);
        log << QStringLiteral("Device: %1").arg(job.Device);
        for (qsizetype i = 0; i < job.Operations.size(); ++i)
            log << QStringLiteral("Operation %1: %2").arg(i + 1).arg(Describe(job.Operations[i]));
        Check_Images(job);
        log << QStringLiteral("Verdict: valid job with %1 operation(s)").arg(job.Operations.size());
        Write_Log(log_path, log);
        std::printf("%s\n", qPrintable(log.last()));
        return 0;
    } catch (const Job_Rejected &e) {
        log << QStringLiteral("Verdict: rejected: %1").arg(e.Reason());
        Write_Log(log_path, log);
        std::fprintf(stderr, "Ethernet_Update: %s\n", qPrintable(log.last()));
        return 1;
    }
}
