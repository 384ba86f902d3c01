#pragma once
// Fakes of the outside world for tests of core and windows alike: a clock whose time moves only
// when told, a shell that opens and starts nothing, an echo client and an HTTP client that
// answer from a script.
#include "platform/Clock.h"
#include "platform/Http_Get.h"
#include "platform/Icmp_Echo.h"
#include "platform/Shell.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>

// Time moves only when someone sleeps or calls Advance.
class Fake_Clock : public Clock {
public:
    qint64 Now_Ms() override { return now_; }
    void Sleep_Ms(int ms) override { now_ += ms; ++sleeps_; }
    void Advance(qint64 ms) { now_ += ms; }
    qint64 Sleeps() const { return sleeps_; }

private:
    qint64 now_ = 0;
    qint64 sleeps_ = 0;
};

// Opens nothing and starts nothing: it records the requests. A started program reports
// "running" while Keep_Running is true, or for its first Running_Polls polls; then it has ended
// with Exit_As. On_Start runs as a program starts (to leave what a real one would leave, such as
// its report), On_Poll at each poll while it runs.
class Fake_Shell : public Shell {
public:
    bool Open_Url(const QString &url) override
    {
        Opened.append(url);
        return true;
    }
    std::unique_ptr<Process_Handle> Start(const QString &program, const QString &parameter,
                                          bool hidden) override;

    QStringList Opened;
    QStringList Started;  // "program|parameter|hidden"
    bool Start_Fails = false;
    bool Keep_Running = false;
    int Running_Polls = 0;
    Exit_Status Exit_As = Exit_Status::Exited(0);
    std::function<void()> On_Start;
    std::function<void()> On_Poll;
    int Polls = 0;
};

// Answers an echo request when its host is in Answering, or when the attempt's number (from 1)
// is in Answered_Attempts; a reply takes Reply_Ms of fake time, a silent request its whole
// wait. Throws for hosts in Failing and at attempt Fail_At. During runs inside each request.
class Fake_Echo : public Icmp_Echo {
public:
    explicit Fake_Echo(Fake_Clock &clock) : clock_(clock) {}
    int Echo(const QString &host, const QByteArray &payload, int timeout_ms) override;

    QStringList Answering{QStringLiteral("127.0.0.1")};
    QList<int> Answered_Attempts;
    QStringList Failing;
    int Fail_At = 0;
    int Reply_Ms = 1;
    std::function<void()> During;

    int Calls = 0;
    QStringList Hosts;
    QList<QByteArray> Payloads;
    QList<int> Timeouts;

private:
    Fake_Clock &clock_;
};

// Answers every GET with Answer, or fails when Fail is set; records the addresses.
class Fake_Http : public Http_Get {
public:
    QString Get(const QString &url) override
    {
        Urls.append(url);
        if (During) During();
        if (Fail) throw Http_Error("no connection");
        return Answer;
    }
    QString Answer;
    bool Fail = false;
    std::function<void()> During;
    QStringList Urls;
};
