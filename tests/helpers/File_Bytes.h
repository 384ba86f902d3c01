#pragma once
// Whole files as bytes: the one reader and writer of every test.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// The file's bytes; "<missing>" when it cannot be read, so that a missing file never passes
// for an empty one.
inline QByteArray Read_All(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Writes bytes as the whole file; the test fails when it cannot.
inline void Write_All(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path + ": " + f.errorString()));
    QCOMPARE(f.write(bytes), bytes.size());
}
