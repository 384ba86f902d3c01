#pragma once
// A program of ours running beside a test (the emulator, a CAN command), whose output lines are
// looked through as they come, and the loopback ports such a program is given.
#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#endif

// A port on 127.0.0.1 that nothing listens on at the moment.
inline quint16 Free_Port()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) qFatal("no free port on 127.0.0.1");
    return probe.serverPort();
}

class Running_Program {
public:
    enum Channel { Standard_Output, Standard_Error };

    Running_Program(const QString &program, const QStringList &args)
    {
        process_.start(program, args);
        if (!process_.waitForStarted(10000)) qFatal("cannot start %s", qPrintable(program));
    }
    ~Running_Program() { Kill(); }
    Running_Program(const Running_Program &) = delete;
    Running_Program &operator=(const Running_Program &) = delete;

    // The first line of the channel, after the one found last, that holds text; empty when none
    // came within limit_ms or the program ended. The wait goes through the event loop, so a
    // window under test keeps working meanwhile.
    QString Wait_Line(const QString &text, int limit_ms = 10000, Channel channel = Standard_Output)
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            // What it wrote before it ended counts to the end, a last line without its end too.
            const bool ended = process_.state() == QProcess::NotRunning;
            Collect();
            if (ended) Take_Partial();
            QStringList &lines = channel == Standard_Error ? err_ : out_;
            qsizetype &from = channel == Standard_Error ? err_from_ : out_from_;
            for (qsizetype i = from; i < lines.size(); ++i) {
                if (lines[i].contains(text)) {
                    from = i + 1;
                    return lines[i];
                }
            }
            if (ended || waited.elapsed() >= limit_ms) return {};
            QTest::qWait(10);
        }
    }
    QString Wait_Line(const QString &text, Channel channel) { return Wait_Line(text, 10000, channel); }

    // Ends the program with a signal and returns its exit status (-1 for a crash, -2 when it
    // did not end in time).
    int Stop(int signal = SIGTERM)
    {
#ifdef Q_OS_UNIX
        ::kill(pid_t(process_.processId()), signal);
#else
        Q_UNUSED(signal);
        process_.terminate();
#endif
        return Wait_Exit();
    }
    int Wait_Exit(int limit_ms = 10000)
    {
        // waitForFinished says false for a program the event loop has already seen end.
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(limit_ms)) return -2;
        Collect();
        Take_Partial();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    // Ends it at once, without a word.
    void Kill()
    {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(5000);
    }

    // Everything it wrote so far, by channel and both together.
    QString Out()
    {
        Collect();
        return (out_ + Partial(out_partial_)).join('\n');
    }
    QString Err()
    {
        Collect();
        return (err_ + Partial(err_partial_)).join('\n');
    }
    QString Everything() { return Out() + '\n' + Err(); }

private:
    void Collect()
    {
        Split(process_.readAllStandardOutput(), out_partial_, out_);
        Split(process_.readAllStandardError(), err_partial_, err_);
    }
    static void Split(const QByteArray &bytes, QByteArray &partial, QStringList &lines)
    {
        partial += bytes;
        qsizetype nl;
        while ((nl = partial.indexOf('\n')) >= 0) {
            lines << QString::fromUtf8(partial.left(nl));
            partial.remove(0, nl + 1);
        }
    }
    static QStringList Partial(const QByteArray &partial)
    {
        return partial.isEmpty() ? QStringList() : QStringList{QString::fromUtf8(partial)};
    }
    void Take_Partial()
    {
        out_ += Partial(out_partial_);
        err_ += Partial(err_partial_);
        out_partial_.clear();
        err_partial_.clear();
    }
    QProcess process_;
    QByteArray out_partial_, err_partial_;
    QStringList out_, err_;
    qsizetype out_from_ = 0, err_from_ = 0;
};
