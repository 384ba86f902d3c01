#include "platform/Curl_Http_Get.h"

#include <QByteArray>
#include <curl/curl.h>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#if defined(_WIN32)
#define QCX_CURL_LINKED 1  // Windows links libcurl into the program
#else
#include <dlfcn.h>
#endif

// The functions of libcurl the client calls, taken from the library when it is loaded.
struct Curl_Http_Get::Api {
    CURLcode (*global_init)(long flags) = nullptr;
    CURL *(*easy_init)() = nullptr;
    void (*easy_cleanup)(CURL *handle) = nullptr;
    CURLcode (*easy_setopt)(CURL *handle, CURLoption option, ...) = nullptr;
    CURLcode (*easy_getinfo)(CURL *handle, CURLINFO info, ...) = nullptr;
    const char *(*easy_strerror)(CURLcode code) = nullptr;
    CURLM *(*multi_init)() = nullptr;
    CURLMcode (*multi_add_handle)(CURLM *multi, CURL *easy) = nullptr;
    CURLMcode (*multi_remove_handle)(CURLM *multi, CURL *easy) = nullptr;
    CURLMcode (*multi_cleanup)(CURLM *multi) = nullptr;
    CURLMcode (*multi_perform)(CURLM *multi, int *running) = nullptr;
    CURLMcode (*multi_poll)(CURLM *multi, curl_waitfd extra[], unsigned extra_count, int timeout_ms,
                            int *ret) = nullptr;
    CURLMsg *(*multi_info_read)(CURLM *multi, int *left) = nullptr;
    CURLMcode (*multi_wakeup)(CURLM *multi) = nullptr;
};

namespace {

#if defined(QCX_CURL_LINKED)
bool Fill_Api(Curl_Http_Get::Api &api, const std::string &, std::string &)
{
    api.global_init = &curl_global_init;
    api.easy_init = &curl_easy_init;
    api.easy_cleanup = &curl_easy_cleanup;
    api.easy_setopt = &curl_easy_setopt;
    api.easy_getinfo = &curl_easy_getinfo;
    api.easy_strerror = &curl_easy_strerror;
    api.multi_init = &curl_multi_init;
    api.multi_add_handle = &curl_multi_add_handle;
    api.multi_remove_handle = &curl_multi_remove_handle;
    api.multi_cleanup = &curl_multi_cleanup;
    api.multi_perform = &curl_multi_perform;
    api.multi_poll = &curl_multi_poll;
    api.multi_info_read = &curl_multi_info_read;
    api.multi_wakeup = &curl_multi_wakeup;
    return true;
}
#else
template <class Function>
bool Take(void *library, const char *name, Function &function, std::string &error)
{
    dlerror();
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function) return true;
    const char *reason = dlerror();
    error = std::string(name) + ": " + (reason ? reason : "not found");
    return false;
}

bool Fill_Api(Curl_Http_Get::Api &api, const std::string &name, std::string &error)
{
    // Never closed: curl keeps global state and may have started threads of its own. A library
    // already loaded (a second client) comes back with the same handle.
    void *library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *reason = dlerror();
        error = reason ? reason : name + ": not found";
        return false;
    }
    return Take(library, "curl_global_init", api.global_init, error) &&
           Take(library, "curl_easy_init", api.easy_init, error) &&
           Take(library, "curl_easy_cleanup", api.easy_cleanup, error) &&
           Take(library, "curl_easy_setopt", api.easy_setopt, error) &&
           Take(library, "curl_easy_getinfo", api.easy_getinfo, error) &&
           Take(library, "curl_easy_strerror", api.easy_strerror, error) &&
           Take(library, "curl_multi_init", api.multi_init, error) &&
           Take(library, "curl_multi_add_handle", api.multi_add_handle, error) &&
           Take(library, "curl_multi_remove_handle", api.multi_remove_handle, error) &&
           Take(library, "curl_multi_cleanup", api.multi_cleanup, error) &&
           Take(library, "curl_multi_perform", api.multi_perform, error) &&
           Take(library, "curl_multi_poll", api.multi_poll, error) &&
           Take(library, "curl_multi_info_read", api.multi_info_read, error) &&
           Take(library, "curl_multi_wakeup", api.multi_wakeup, error);
}
#endif

// curl_global_init once for each library in the process (it is not safe beside other threads,
// hence under one lock for all clients).
bool Init_Once(const Curl_Http_Get::Api &api)
{
    static std::mutex mutex;
    static std::set<void *> done;
    std::lock_guard lock(mutex);
    void *key = reinterpret_cast<void *>(api.global_init);
    if (done.count(key)) return true;
    if (api.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return false;
    done.insert(key);
    return true;
}

struct Easy_Deleter {
    void (*cleanup)(CURL *handle);
    void operator()(CURL *handle) const { cleanup(handle); }
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
    Transfer(Curl_Http_Get &owner, const Api &api, CURL *easy) : owner_(owner), api_(api), easy_(easy)
    {
        multi_ = api_.multi_init();
        if (!multi_) throw Http_Error("The HTTP client could not be started");
        if (api_.multi_add_handle(multi_, easy_) != CURLM_OK) {
            api_.multi_cleanup(multi_);
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
        api_.multi_remove_handle(multi_, easy_);
        api_.multi_cleanup(multi_);
    }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    // Runs the transfer to its end and returns curl's verdict; throws when Shut_Down ends it.
    CURLcode Perform()
    {
        int still_running = 1;
        for (;;) {
            if (api_.multi_perform(multi_, &still_running) != CURLM_OK) return CURLE_FAILED_INIT;
            if (still_running == 0) break;
            // Checked after the handle joined the set, so a Shut_Down either is seen here or
            // wakes the wait below (a wake-up is kept until the next wait).
            if (Was_Shut_Down()) {
                // The program is on its way out: leave a name lookup still running to end on
                // its own rather than wait for it when the handle is freed.
                api_.easy_setopt(easy_, CURLOPT_QUICK_EXIT, 1L);
                throw Http_Error(Http_Shut_Down_Text);
            }
            if (api_.multi_poll(multi_, nullptr, 0, Poll_Ms, nullptr) != CURLM_OK) return CURLE_FAILED_INIT;
        }
        int left = 0;
        while (CURLMsg *message = api_.multi_info_read(multi_, &left)) {
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
    const Api &api_;
    CURL *easy_;
    CURLM *multi_ = nullptr;
};

Curl_Http_Get::Curl_Http_Get(std::string library) : library_(std::move(library)) {}

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
    // A request joins the set only after the library has been loaded.
    for (void *multi : waits_) api_->multi_wakeup(static_cast<CURLM *>(multi));
}

void Curl_Http_Get::Set_Time_Limits(long connect_ms, long total_ms)
{
    connect_ms_ = connect_ms > 0 ? connect_ms : Default_Connect_Limit_Ms;
    total_ms_ = total_ms > 0 ? total_ms : Default_Total_Limit_Ms;
}

const Curl_Http_Get::Api &Curl_Http_Get::Load()
{
    std::call_once(load_once_, [this] {
        auto api = std::make_unique<Api>();
        std::string error;
        if (!Fill_Api(*api, library_, error)) {
            load_error_ = std::string(Http_No_Library_Text) + ": " + error;
        } else if (!Init_Once(*api)) {
            load_error_ = std::string(Http_No_Library_Text) + ": curl_global_init failed";
        } else {
            // Published under the lock that Shut_Down reads it under.
            std::lock_guard lock(mutex_);
            api_ = std::move(api);
        }
    });
    if (!load_error_.empty()) throw Http_Error(load_error_);
    return *api_;
}

QString Curl_Http_Get::Get(const QString &url)
{
    const Running running(*this);  // first, so that it ends after every other local
    const Api &api = Load();
    std::unique_ptr<CURL, Easy_Deleter> handle(api.easy_init(), Easy_Deleter{api.easy_cleanup});
    if (!handle) throw Http_Error("The HTTP client could not be started");
    CURL *curl = handle.get();

    QByteArray body;
    char error_text[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();

    api.easy_setopt(curl, CURLOPT_URL, address.constData());
    api.easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    api.easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    api.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    api.easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    api.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_ms_.load());
    api.easy_setopt(curl, CURLOPT_TIMEOUT_MS, total_ms_.load());
    // No signals: the time limits must not rely on SIGALRM, which a program with threads
    // cannot aim at the one thread that waits.
    api.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    api.easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append_Body_Limited);
    api.easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    api.easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);

    // The multi interface rather than curl_easy_perform: its wait can be woken from another
    // thread, which is how Shut_Down ends a request without sitting out the time limits.
    CURLcode result = CURLE_OK;
    {
        Transfer transfer(*this, api, curl);
        result = transfer.Perform();
    }
    if (result != CURLE_OK) {
        const std::string reason = error_text[0] ? error_text : api.easy_strerror(result);
        if (result == CURLE_OPERATION_TIMEDOUT)
            throw Http_Error(std::string(Http_Time_Limit_Text) + ": " + reason);
        throw Http_Error(reason);
    }

    long status = 0;
    api.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) throw Http_Error("HTTP status " + std::to_string(status));
    return QString::fromUtf8(body);
}
