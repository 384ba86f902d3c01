#pragma once
// An HTTP client whose requests wait at a gate until the test opens it, so that a test can hold
// a request in flight as long as it needs and look at everything else meanwhile. Requests come
// from any thread. Like the real client, it never leaves a request running on a destroyed
// object: its destructor opens the gate and waits until every request has returned.
#include "platform/Http_Get.h"

#include <QList>
#include <QStringList>
#include <QString>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>

class Gated_Http : public Http_Get {
public:
    // A request held longer than hold_limit_ms goes on by itself: a fault that waits for the
    // request on the test's thread then shows as a failed check, not as a test that hangs.
    explicit Gated_Http(QString answer, bool fail = false, int hold_limit_ms = 30000)
        : answer_(std::move(answer)), fail_(fail), hold_limit_(hold_limit_ms)
    {
    }
    ~Gated_Http() override
    {
        Open();
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return returned_ == calls_; });
    }
    Gated_Http(const Gated_Http &) = delete;
    Gated_Http &operator=(const Gated_Http &) = delete;

    QString Get(const QString &url) override
    {
        std::unique_lock lock(mutex_);
        ++calls_;
        urls_.append(url);
        threads_.append(QThread::currentThread());
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::milliseconds(hold_limit_), [this] { return open_; });
        ++returned_;
        const bool fail = fail_;
        const QString answer = answer_;
        changed_.notify_all();
        if (fail) throw Http_Error("no connection");
        return answer;
    }

    // Lets every held request and every later one through.
    void Open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    int Calls() const
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    int Returned() const
    {
        std::lock_guard lock(mutex_);
        return returned_;
    }
    QStringList Urls() const
    {
        std::lock_guard lock(mutex_);
        return urls_;
    }
    // The thread of each request, in order.
    QList<QThread *> Threads() const
    {
        std::lock_guard lock(mutex_);
        return threads_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    const QString answer_;
    const bool fail_;
    const int hold_limit_;
    bool open_ = false;
    int calls_ = 0;
    int returned_ = 0;
    QStringList urls_;
    QList<QThread *> threads_;
};
