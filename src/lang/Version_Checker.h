#pragma once
// The version check without holding up the thread that asks: the request runs on a thread of
// its own and the verdict comes back as a signal on the thread the checker lives in.
#include "lang/Version_Check.h"

#include <QObject>
#include <QString>
#include <memory>

class Http_Get;

class Version_Checker : public QObject {
    Q_OBJECT
public:
    explicit Version_Checker(QObject *parent = nullptr);
    // Does not wait for a request in flight: its verdict is dropped, and its thread ends on its
    // own as soon as the client returns.
    ~Version_Checker() override;

    // Check_Version(http, sw_code, own_version), once, at the service address that holds now.
    // False, and nothing started, while an earlier request has not given its verdict yet: there
    // is never more than one request of a checker at a time.
    // http is borrowed: it must outlive the request, even one still running when the checker
    // is destroyed (Curl_Http_Get ends its own and waits for them in its destructor). A null
    // client never finds a newer version.
    bool Start(Http_Get *http, const QString &sw_code, const QString &own_version);
    bool Busy() const { return busy_; }
    // The whole verdict of the last request that finished: Finished carries only whether a
    // newer version exists; this tells "none" from "could not ask".
    Version_Verdict Last_Verdict() const { return last_verdict_; }

signals:
    // The verdict of the request that Start began: true when the service names a newer
    // version; any failure counts as none. Always emitted on the checker's thread, after Busy
    // has become false.
    void Finished(bool newer);

private:
    struct Link;
    void Deliver(Version_Verdict verdict);

    bool busy_ = false;
    Version_Verdict last_verdict_ = Version_Verdict::None;
    // Shared with the request's thread, which may outlive the checker.
    std::shared_ptr<Link> link_;
};
