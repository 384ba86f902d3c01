#pragma once
// The real HTTP/1.0 client, over libcurl. The library is loaded when the first request is
// made, not when the program starts: a version check may come a minute later or never, and
// libcurl brings its TLS, LDAP, SSH and Kerberos libraries along.
#include "platform/Http_Get.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>

class Curl_Http_Get : public Http_Get {
public:
    // A service that never answers must not hold a request for ever.
    static constexpr long Default_Connect_Limit_Ms = 5000;
    static constexpr long Default_Total_Limit_Ms = 10000;

    // The name the library is loaded by where it is not linked into the program.
#if defined(__APPLE__)
    static constexpr char Default_Library[] = "libcurl.4.dylib";
#else
    static constexpr char Default_Library[] = "libcurl.so.4";
#endif

    // library: the file name of libcurl, loaded at the first request (where libcurl is linked
    // into the program, as on Windows, the name is not used).
    explicit Curl_Http_Get(std::string library = Default_Library);
    // Ends the requests still running at once (they throw Http_Error) and waits until each has
    // returned from Get, so that a thread that was waiting on a stalled service never touches a
    // client that is gone. The program can thus quit without sitting out the time limits.
    ~Curl_Http_Get() override;
    Curl_Http_Get(const Curl_Http_Get &) = delete;
    Curl_Http_Get &operator=(const Curl_Http_Get &) = delete;

    // connect_ms bounds the connection set-up, total_ms the whole request (both > 0).
    void Set_Time_Limits(long connect_ms, long total_ms);
    long Connect_Limit_Ms() const { return connect_ms_; }
    long Total_Limit_Ms() const { return total_ms_; }

    // One plain HTTP/1.0 GET, without cookies and without following redirects. Returns
    // the body of a 2xx answer (as UTF-8); throws Http_Error on anything else, the time limits
    // included, and a libcurl that cannot be loaded. Any number of threads may call it at once.
    QString Get(const QString &url) override;

    // Ends the requests in flight (they throw Http_Error within moments) and refuses new ones.
    // Any thread may call it; it does not wait.
    void Shut_Down();

    struct Api;  // the few functions of libcurl the client calls

private:
    class Running;
    class Transfer;

    // Loads libcurl on the first call; throws Http_Error when it cannot be loaded (then and on
    // every later call, with the same reason).
    const Api &Load();

    const std::string library_;
    std::once_flag load_once_;
    std::unique_ptr<Api> api_;
    std::string load_error_;

    std::atomic<long> connect_ms_{Default_Connect_Limit_Ms};
    std::atomic<long> total_ms_{Default_Total_Limit_Ms};

    std::mutex mutex_;
    std::condition_variable all_returned_;
    bool shut_down_ = false;
    int running_ = 0;
    std::set<void *> waits_;  // the multi handles of the requests in flight, to wake them
};

// The text an Http_Error of a request that ran out of time begins with.
inline constexpr char Http_Time_Limit_Text[] = "No answer within the time limit";
// The text an Http_Error of a request that found no usable libcurl begins with.
inline constexpr char Http_No_Library_Text[] = "The HTTP library could not be loaded";
// The text an Http_Error of a request ended by Shut_Down begins with.
inline constexpr char Http_Shut_Down_Text[] = "The HTTP client was shut down";
