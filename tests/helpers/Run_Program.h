#pragma once
// Running one of our command-line programs from a test, as a user's shell would.
#include "test_config.h"

#include <QProcess>
#include <QStringList>

struct Program_Run {
    int Exit = -1;  // -1 after a crash, -2 when it did not end in time
    QString Out;
    QString Err;
};

// A program that blocks (on a FIFO, say) must fail the test, not hang the suite: it is killed
// after limit_ms.
// unset names variables of the test's environment the program does not get.
inline Program_Run Run_Program(const QString &program, const QStringList &args, int limit_ms = 60000,
                               const QStringList &unset = {})
{
    QProcess p;
    if (!unset.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : unset) env.remove(name);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!p.waitForFinished(limit_ms)) {
        p.kill();
        p.waitForFinished();
        return {-2, QString(), QStringLiteral("did not finish: it blocked")};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// qcx3310-cli from the build's workspace.
inline Program_Run Run_Cli(const QStringList &args) { return Run_Program(QStringLiteral(QCX_WORKSPACE_DIR "/qcx3310-cli"), args); }

// The text of a PDF as pdftotext reads it (one program no one here wrote, from poppler-utils);
// a null string when pdftotext is not installed.
inline QString Pdf_Text(const QString &pdf)
{
    const Program_Run r = Run_Program(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (r.Exit < 0 || (r.Exit != 0 && r.Out.isEmpty() && r.Err.isEmpty())) return QString();
    return r.Exit == 0 ? r.Out : QStringLiteral("pdftotext failed: ") + r.Err;
}
