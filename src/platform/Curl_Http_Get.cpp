#include "platform/Curl_Http_Get.h"

#include <QByteArray>
#include <curl/curl.h>
#include <memory>
#include <mutex>

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

}  // namespace

Curl_Http_Get::Curl_Http_Get() { Init_Curl_Once(); }

void Curl_Http_Get::Set_Time_Limits(long connect_ms, long total_ms)
{
    connect_ms_ = connect_ms > 0 ? connect_ms : Default_Connect_Limit_Ms;
    total_ms_ = total_ms > 0 ? total_ms : Default_Total_Limit_Ms;
}

QString Curl_Http_Get::Get(const QString &url)
{
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
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connect_ms_);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, total_ms_);
    // No signals: the time limits must not rely on SIGALRM in a GUI program.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append_Body_Limited);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);

    const CURLcode result = curl_easy_perform(curl);
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
