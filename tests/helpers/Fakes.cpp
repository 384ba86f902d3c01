#include "Fakes.h"

namespace {
class Fake_Handle : public Process_Handle {
public:
    explicit Fake_Handle(Fake_Shell &shell) : shell_(shell) {}
    bool Running() override
    {
        ++shell_.Polls;
        const bool running = shell_.Keep_Running || polls_++ < shell_.Running_Polls;
        if (running && shell_.On_Poll) shell_.On_Poll();
        return running;
    }
    Exit_Status Exit() override { return shell_.Exit_As; }

private:
    Fake_Shell &shell_;
    int polls_ = 0;
};
}  // namespace

std::unique_ptr<Process_Handle> Fake_Shell::Start(const QString &program, const QString &parameter,
                                                  bool hidden)
{
    Started.append(program + u'|' + parameter + u'|' + (hidden ? u'1' : u'0'));
    if (Start_Fails) return nullptr;
    if (On_Start) On_Start();
    return std::make_unique<Fake_Handle>(*this);
}

int Fake_Echo::Echo(const QString &host, const QByteArray &payload, int timeout_ms)
{
    ++Calls;
    Hosts.append(host);
    Payloads.append(payload);
    Timeouts.append(timeout_ms);
    if (During) During();
    if (Calls == Fail_At || Failing.contains(host)) throw Icmp_Error("no route to host");
    if (Answering.contains(host) || Answered_Attempts.contains(Calls)) {
        clock_.Advance(Reply_Ms);
        return 8 + int(payload.size());
    }
    clock_.Advance(timeout_ms);
    return 0;
}
