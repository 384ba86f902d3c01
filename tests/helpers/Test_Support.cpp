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
