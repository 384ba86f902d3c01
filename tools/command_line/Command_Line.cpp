#include "Command_Line.h"

Command_Line Read_Command_Line(const QStringList &args, const QStringList &with_value, const QStringList &flags)
{
    Command_Line line;
    bool words_only = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (words_only || !arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            line.Words << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            words_only = true;
            continue;
        }
        if (flags.contains(arg)) {
            line.Flags.insert(arg);
            continue;
        }
        QString name = arg;
        QString value;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const bool joined = eq > 0 && arg.startsWith(QLatin1String("--"));
        if (joined) name = arg.left(eq);
        if (!with_value.contains(name)) {
            line.Error = QStringLiteral("unknown option '%1'").arg(joined && flags.contains(name) ? arg : name);
            return line;
        }
        if (joined) {
            value = arg.mid(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            line.Error = QStringLiteral("%1 needs a value").arg(name);
            return line;
        }
        if (line.Values.contains(name)) {
            line.Error = QStringLiteral("%1 is given twice").arg(name);
            return line;
        }
        line.Values.insert(name, value);
    }
    return line;
}
