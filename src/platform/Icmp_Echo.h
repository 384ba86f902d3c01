#pragma once
// One ICMP echo request over IPv4.
#include <QByteArray>
#include <QString>
#include <stdexcept>

class Icmp_Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Icmp_Echo {
public:
    virtual ~Icmp_Echo() = default;
    // Sends one echo request carrying payload to host (dotted IPv4 text) and waits at most
    // timeout_ms for the matching reply. Returns the number of bytes received, 0 when nothing
    // came. Throws Icmp_Error when host is not an address or the request cannot be sent.
    virtual int Echo(const QString &host, const QByteArray &payload, int timeout_ms) = 0;
};
