#include "lang/Version_Checker.h"

#include "lang/Version_Check.h"

#include <mutex>
#include <system_error>
#include <thread>

// What the request's thread needs of the checker: whether it still exists. The checker clears
// owner under the mutex in its destructor, and the thread posts its verdict only under that
// mutex, so it never posts to a destroyed object. A verdict posted just before the checker is
// destroyed dies with it (Qt drops the events of a deleted receiver).
struct Version_Checker::Link {
    std::mutex mutex;
    Version_Checker *owner = nullptr;
};

Version_Checker::Version_Checker(QObject *parent) : QObject(parent), link_(std::make_shared<Link>())
{
    link_->owner = this;
}

Version_Checker::~Version_Checker()
{
    std::lock_guard lock(link_->mutex);
    link_->owner = nullptr;
}

bool Version_Checker::Start(Http_Get *http, const QString &sw_code, const QString &own_version)
{
    if (busy_) return false;

    if (!http) {
        // Nothing to ask, but the verdict still comes the one way, after Start has returned.
        busy_ = true;
        QMetaObject::invokeMethod(this, [this] { Deliver(Version_Verdict::Unreachable); }, Qt::QueuedConnection);
        return true;
    }

    // The address is fixed here, on the asking thread, when the check begins.
    const QString url = Version_Service_Url(sw_code);
    try {
        // Detached: the program must be able to quit while a service keeps it waiting, and no
        // one ever needs to wait for this thread (see Link).
        std::thread([link = link_, http, url, own = own_version] {
            Version_Verdict verdict = Version_Verdict::Unreachable;
            try {
                verdict = Ask_Version_Service(http, url, own);
            } catch (...) {
                // Whatever a client throws, it must not end the program from this thread.
            }
            std::lock_guard lock(link->mutex);
            if (Version_Checker *owner = link->owner)
                QMetaObject::invokeMethod(owner, [owner, verdict] { owner->Deliver(verdict); }, Qt::QueuedConnection);
        }).detach();
    } catch (const std::system_error &) {
        // No thread to be had: nothing was asked, and the caller may try again later.
        return false;
    }
    busy_ = true;
    return true;
}

void Version_Checker::Deliver(Version_Verdict verdict)
{
    busy_ = false;
    last_verdict_ = verdict;
    emit Finished(verdict == Version_Verdict::Newer);
}
