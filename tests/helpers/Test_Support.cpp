#include "Test_Support.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

void When_Modal(std::function<void()> action)
{
    // Poll until a modal widget is up, then act once.
    auto *timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (!QApplication::activeModalWidget()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

QWidget *Active_Modal() { return QApplication::activeModalWidget(); }

namespace {
class Fake_Handle : public Process_Handle {
public:
    explicit Fake_Handle(Fake_Shell &shell) : shell_(shell) {}
    bool Running() override
    {
        ++shell_.Polls;
        return shell_.Keep_Running;
    }

private:
    Fake_Shell &shell_;
};
}  // namespace

std::unique_ptr<Process_Handle> Fake_Shell::Start(const QString &program, const QString &parameter,
                                                  bool hidden)
{
    Started.append(program + u'|' + parameter + u'|' + (hidden ? u'1' : u'0'));
    if (Start_Fails) return nullptr;
    return std::make_unique<Fake_Handle>(*this);
}
