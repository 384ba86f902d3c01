#pragma once
// The program's echo client: a thin layer over the kernel's ICMP sockets.
//
// On Linux and the BSDs it first asks for a datagram ICMP socket (SOCK_DGRAM, IPPROTO_ICMP),
// which normal users may open on most desktops (Linux: net.ipv4.ping_group_range), and falls
// back to a raw socket, which needs the right to open raw sockets. On Windows it uses the
// system's IcmpSendEcho, which needs no rights at all.
#include "platform/Icmp_Echo.h"

#include <cstdint>
#include <optional>

// Strict dotted IPv4 text: four decimal parts of one to three digits, each at most 255, and
// nothing else (no blanks, no names, no octal or hexadecimal forms). The address in host order.
std::optional<uint32_t> Dotted_IPv4(const QString &text);

// Neither kind of socket could be opened (no rights, no ICMP in the kernel). A distinct type,
// so that a caller can tell "this machine cannot ping" from "this host text is no address".
class Icmp_No_Socket : public Icmp_Error {
public:
    using Icmp_Error::Icmp_Error;
};

class Real_Icmp_Echo : public Icmp_Echo {
public:
    Real_Icmp_Echo();
    // Only dotted IPv4 text ("a.b.c.d", decimal parts) is taken: names are never looked up,
    // so a mistyped address cannot wander off to a name server.
    int Echo(const QString &host, const QByteArray &payload, int timeout_ms) override;

private:
    uint16_t identifier_;
    uint16_t sequence_ = 0;
};
