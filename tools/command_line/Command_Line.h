#pragma once
// The words and options of a command line, read alike by every program of the project.
//   --name value  or  --name=value   an option that takes a value (each at most once)
//   --flag                            an option that stands alone
//   --                                what follows are words, even when they begin with "-"
//   -                                 a word (standard input or output, by custom)
// Anything else that begins with "-" is an unknown option.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

struct Command_Line {
    QStringList Words;              // in order
    QHash<QString, QString> Values; // by option name, "--listen"
    QSet<QString> Flags;
    QString Error;                  // the first fault, for the usage message; empty when none
};

Command_Line Read_Command_Line(const QStringList &args, const QStringList &with_value, const QStringList &flags = {});
