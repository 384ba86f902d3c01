#pragma once
// A plain HTTP/1.0 GET.
#include <QString>
#include <stdexcept>

class Http_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Http_Get {
public:
    virtual ~Http_Get() = default;
    // Returns the body of a successful answer; throws Http_Error on any failure (no connection,
    // time limit, an error status).
    virtual QString Get(const QString &url) = 0;
};
