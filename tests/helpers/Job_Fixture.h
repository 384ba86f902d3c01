#pragma once
// The expected update jobs are fixture files in tests/data/update. They name the folder that
// holds MASTER and PROJECTS "@WORKSPACE@", so one file serves every temporary workspace.
#include "test_config.h"

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray Job_Fixture(const QString &name, const QString &workspace)
{
    QFile file(QStringLiteral(QCX_TEST_DATA_DIR "/update/") + name);
    if (!file.open(QIODevice::ReadOnly)) qFatal("missing fixture %s", qPrintable(file.fileName()));
    return file.readAll().replace("@WORKSPACE@", workspace.toUtf8());
}
