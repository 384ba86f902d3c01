#pragma once
// The real HTTP/1.0 client, over libcurl.
#include "platform/HttpGet.h"

class Curl_Http_Get : public Http_Get {
public:
    // The request runs on the user-interface thread, so it must end in bounded time even when
    // the service never answers.
    static constexpr long Default_Connect_Limit_Ms = 5000;
    static constexpr long Default_Total_Limit_Ms = 10000;

    Curl_Http_Get();

    // connect_ms bounds the connection set-up, total_ms the whole request (both > 0).
    void Set_Time_Limits(long connect_ms, long total_ms);
    long Connect_Limit_Ms() const { return connect_ms_; }
    long Total_Limit_Ms() const { return total_ms_; }

    // One plain HTTP/1.0 GET, without cookies and without following redirects. Returns
    // the body of a 2xx answer (as UTF-8); throws Http_Error on anything else, the time limits
    // included.
    QString Get(const QString &url) override;

private:
    long connect_ms_ = Default_Connect_Limit_Ms;
    long total_ms_ = Default_Total_Limit_Ms;
};

// The text an Http_Error of a request that ran out of time begins with.
inline constexpr char Http_Time_Limit_Text[] = "No answer within the time limit";
