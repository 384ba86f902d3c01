#include "update/Update_Run.h"

#include "platform/Clock.h"
#include "platform/Safe_File.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The end of a regular file, at most Report_Tail_Bytes; nothing for anything else (a FIFO
// standing at the name must not block us).
std::optional<QByteArray> Read_Tail(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile()) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const qint64 size = file.size();
    if (size > Report_Tail_Bytes && !file.seek(size - Report_Tail_Bytes)) return std::nullopt;
    return file.read(Report_Tail_Bytes);
}

// The report's text may be anything the updater wrote: control characters other than the tab
// are shown as a replacement mark rather than acting on the display.
QString Printable(const QString &line)
{
    QString out = line;
    for (QChar &c : out)
        if (c.category() == QChar::Other_Control && c != u'\t') c = QChar::ReplacementCharacter;
    return out;
}

}  // namespace

QString Update_Report_Path(const QString &dir_exe)
{
    return QDir::toNativeSeparators(dir_exe + QStringLiteral("/Ethernet_Update.log"));
}

bool Has_Operations(const Update_Options &options)
{
    return options.Firmware || options.Conf;
}

QString Unusable_Firmware_Image(const Update_Options &options, const QString &dir_master)
{
    if (!options.Firmware) return {};
    const QString image = Firmware_Image_Path(dir_master);
    try {
        if (Regular_File_Size(image) > 0) return {};
    } catch (const File_Access_Error &) {
    }
    return image;
}

Report_Mark Mark_Report(const QString &path)
{
    Report_Mark mark;
    const std::optional<QByteArray> tail = Read_Tail(path);
    if (!tail) return mark;
    const QFileInfo info(path);
    mark.exists = true;
    mark.size = info.size();
    mark.modified = info.lastModified();
    mark.tail = *tail;
    return mark;
}

std::optional<QStringList> Fresh_Report_Tail(const QString &path, const Report_Mark &before,
                                             int max_lines)
{
    const Report_Mark now = Mark_Report(path);
    if (!now.exists) return std::nullopt;
    // The same size, time and ending is the old report, untouched (a rewrite with the very same
    // bytes within the clock's resolution would say nothing new either).
    if (before.exists && now.size == before.size && now.modified == before.modified &&
        now.tail == before.tail)
        return std::nullopt;

    QStringList lines = QString::fromUtf8(now.tail).split(u'\n');
    // A tail cut from a longer file starts inside a line.
    if (now.size > now.tail.size() && !lines.isEmpty()) lines.removeFirst();
    for (QString &line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    if (lines.size() > max_lines) lines = lines.mid(lines.size() - max_lines);
    for (QString &line : lines) line = Printable(line);
    return lines;
}

Update_Result Run_Updater(Shell &shell, Clock &clock, const QString &dir_exe,
                          const Wait_Watcher &waiting, qint64 limit_ms)
{
    return Run_Updater(shell, clock, dir_exe, dir_exe, waiting, limit_ms);
}

Update_Result Run_Updater(Shell &shell, Clock &clock, const QString &dir_updater,
                          const QString &dir_workspace, const Wait_Watcher &waiting, qint64 limit_ms)
{
    Update_Result result;
    result.updater = Updater_Path(dir_updater);
    result.report_path = Update_Report_Path(dir_workspace);
    const Report_Mark before = Mark_Report(result.report_path);

    // The parameter text is split like a command line: the folder goes in double quotes, so
    // blanks in it are kept.
    const QString parameter = QDir::cleanPath(dir_updater) == QDir::cleanPath(dir_workspace)
                                  ? QString()
                                  : u'"' + QDir::toNativeSeparators(dir_workspace) + u'"';
    const Program_Result run = Run_And_Wait(shell, clock, result.updater, parameter, false, limit_ms, waiting);
    using V = Update_Result::Verdict;
    switch (run.outcome) {
    case Program_Result::Outcome::Not_Started:
        result.verdict = V::Not_Started;
        return result;
    case Program_Result::Outcome::Still_Running:
        result.verdict = V::Still_Running;
        break;
    case Program_Result::Outcome::Ended:
        switch (run.exit.kind) {
        case Exit_Status::Kind::Code:
            result.verdict = run.exit.code == 0 ? V::Succeeded : V::Failed;
            result.exit_code = run.exit.code;
            break;
        case Exit_Status::Kind::Abnormal:
            result.verdict = V::Ended_Abnormally;
            result.exit_code = run.exit.code;
            break;
        case Exit_Status::Kind::Unknown:
            result.verdict = V::Ended_Unknown;
            break;
        }
        break;
    }
    result.report_tail = Fresh_Report_Tail(result.report_path, before);
    return result;
}
