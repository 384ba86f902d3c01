#pragma once
// Whole files as bytes, for the tests that run the command-line programs on folders.
#include <QByteArray>
#include <QFile>
#include <QString>

// The file's bytes; "<missing>" when it cannot be read, so that a missing file never passes
// for an empty one.
inline QByteArray Read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void Write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}
