#include "platform/Curl_Http_Get.h"

#include <QByteArray>
#include <curl/curl.h>
#include <memory>
#include <string>

namespace {

void Init_Curl_Once()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Easy_Deleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};

size_t Append_Body(char *data, size_t size, size_t count, void *user)
{
    static_cast<QByteArray *>(user)->append(data, qsizetype(size * count));
    return size * count;
}

// A version answer is a few bytes; a service that streams megabytes is not the one we asked.
constexpr qsizetype Max_Body_Bytes = 1 << 20;

size_t Append_Body_Limited(char *data, size_t size, size_t count, void *user)
{
    auto *body = static_cast<QByteArray *>(user);
    if (body->size() + qsizetype(size * count) > Max_Body_Bytes) return 0;  // aborts the transfer
    return Append_Body(data, size, count, user);
}

// How long one wait for the sockets may last at most; curl shortens it to its own time limits,
// and Shut_Down wakes it at once.
constexpr int Poll_Ms = 1000;

}  // namespace

// One request from the first line of Get to the last: it counts as running until everything it
// took from curl is freed, and the destructor waits for that count to reach nought.
class Curl_Http_Get::Running {
public:
    explicit Running(Curl_Http_Get &owner) : owner_(owner)
    {
        std::lock_guard lock(owner_.mutex_);
        if (owner_.shut_down_) throw Http_Error(Http_Shut_Down_Text);
        ++owner_.running_;
    }
    ~Running()
    {
        std::lock_guard lock(owner_.mutex_);
        if (--owner_.running_ == 0) owner_.all_returned_.notify_all();
    }
    Running(const Running &) = delete;
    Running &operator=(const Running &) = delete;

private:
    Curl_Http_Get &owner_;
};

// The transfer itself, over a multi handle of its own that Shut_Down can wake.
class Curl_Http_Get::Transfer {
public:
    Transfer(Curl_Http_Get &owner, CURL *easy) : owner_(owner), easy_(easy)
    {
        multi_ = curl_multi_init();
        if (!multi_) throw Http_Error("The HTTP client could not be started");
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
            curl_multi_cleanup(multi_);
            throw Http_Error("The HTTP client could not be started");
        }
        std::lock_guard lock(owner_.mutex_);
        owner_.waits_.insert(multi_);
    }
    ~Transfer()
    {
        {
            // Out of the set first: Shut_Down must never wake a handle that is being freed.
            std::lock_guard lock(owner_.mutex_);
            owner_.waits_.erase(multi_);
        }
        curl_multi_remove_handle(multi_, easy_);
        curl_multi_cleanup(multi_);
    }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    // Runs the transfer to its end and returns curl's verdict; throws when Shut_Down ends it.
    CURLcode Perform()
    {
        int still_running = 1;
        for (;;) {
            if (curl_multi_perform(multi_, &still_running) != CURLM_OK) return CURLE_FAILED_INIT;
            if (still_running == 0) break;
            // Checked after the handle joined the set, so a Shut_Down either is seen here or
            // wakes the wait below (a wake-up is kept until the next wait).
            if (Was_Shut_Down()) {
                // The program is on its way out: leave a name lookup still running to end on
                // its own rather than wait for it when the handle is freed.
                curl_easy_setopt(easy_, CURLOPT_QUICK_EXIT, 1L);
                throw Http_Error(Http_Shut_Down_Text);
            }
            if (curl_multi_poll(multi_, nullptr, 0, Poll_Ms, nullptr) != CURLM_OK) return CURLE_FAILED_INIT;
        }
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi_, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) return message->data.result;
        }
        return CURLE_FAILED_INIT;
    }

private:
    bool Was_Shut_Down()
    {
        std::lock_guard lock(owner_.mutex_);
        return owner_.shut_down_;
    }

    Curl_Http_Get &owner_;
    CURL *easy_;
    CURLM *multi_ = nullptr;
};

Curl_Http_Get::Curl_Http_Get() { Init_Curl_Once(); }

Curl_Http_Get::~Curl_Http_Get()
{
    Shut_Down();
    std::unique_lock lock(mutex_);
    all_returned_.wait(lock, [this] { return running_ == 0; });
}

void Curl_Http_Get::Shut_Down()
{
    std::lock_guard lock(mutex_);
    shut_down_ = true;
    // A wake-up is kept until the next wait, so a request between two waits sees it too.
    for (void *multi : waits_) curl_multi_wakeup(static_cast<CURLM *>(multi));
}

void Curl_Http_Get::Set_Time_Limits(long connect_ms, long total_ms)
{
    connect_ms_ = connect_ms > 0 ? connect_ms : Default_Connect_Limit_Ms;
    total_ms_ = total_ms > 0 ? total_ms : Default_Total_Limit_Ms;
}

QString Curl_Http_Get::Get(const QString &url)
{
    const Running running(*this);  // first, so that it ends after every other local
    std::unique_ptr<CURL, Easy_Deleter> handle(curl_easy_init());
    if (!handle) throw Http_Error("The HTTP client could not be started");
    CURL *curl = handle.get();

    QByteArray body;
    char error_text[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();

    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_ms_.load());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, total_ms_.load());
    // No signals: the time limits must not rely on SIGALRM, which a program with threads
    // cannot aim at the one thread that waits.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append_Body_Limited);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);

    // The multi interface rather than curl_easy_perform: its wait can be woken from another
    // thread, which is how Shut_Down ends a request without sitting out the time limits.
    CURLcode result = CURLE_OK;
    {
        Transfer transfer(*this, curl);
        result = transfer.Perform();
    }
    if (result != CURLE_OK) {
        const std::string reason = error_text[0] ? error_text : curl_easy_strerror(result);
        if (result == CURLE_OPERATION_TIMEDOUT)
            throw Http_Error(std::string(Http_Time_Limit_Text) + ": " + reason);
        throw Http_Error(reason);
    }

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) throw Http_Error("HTTP status " + std::to_string(status));
    return QString::fromUtf8(body);
}
