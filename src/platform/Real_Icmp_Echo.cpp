#include "platform/Real_Icmp_Echo.h"

#include <QRandomGenerator>
#include <QStringList>

#include <chrono>
#include <cstring>
#include <string>

#ifdef Q_OS_WIN
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

std::optional<uint32_t> Dotted_IPv4(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) return std::nullopt;
    uint32_t address = 0;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3) return std::nullopt;
        uint32_t value = 0;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
            value = value * 10 + uint32_t(c.unicode() - '0');
        }
        if (value > 255) return std::nullopt;
        address = (address << 8) | value;
    }
    return address;
}

namespace {

// The largest payload that fits one IPv4 datagram after the IP and ICMP headers.
constexpr qsizetype Max_Payload = 65535 - 20 - 8;

uint32_t Parse_Host(const QString &host)
{
    const std::optional<uint32_t> address = Dotted_IPv4(host);
    if (!address)
        throw Icmp_Error("not an IPv4 address: \"" + host.toStdString() + "\"");
    return *address;
}

void Check_Payload(const QByteArray &payload)
{
    if (payload.size() > Max_Payload)
        throw Icmp_Error("echo data too long: " + std::to_string(payload.size()) + " bytes");
}

}  // namespace

Real_Icmp_Echo::Real_Icmp_Echo()
    : identifier_(uint16_t(QRandomGenerator::global()->generate()))
{
}

#ifdef Q_OS_WIN

int Real_Icmp_Echo::Echo(const QString &host, const QByteArray &payload, int timeout_ms)
{
    const uint32_t address = Parse_Host(host);
    Check_Payload(payload);
    HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE)
        throw Icmp_No_Socket("cannot open the ICMP service (error " +
                             std::to_string(GetLastError()) + ")");
    // Room for one reply, its data and an ICMP error message, as the API asks.
    QByteArray reply(int(sizeof(ICMP_ECHO_REPLY) + payload.size() + 8 + 16), '\0');
    const DWORD count =
        IcmpSendEcho(icmp, htonl(address), const_cast<char *>(payload.constData()),
                     WORD(payload.size()), nullptr, reply.data(), DWORD(reply.size()),
                     DWORD(qMax(timeout_ms, 1)));
    const DWORD error = count == 0 ? GetLastError() : 0;
    IcmpCloseHandle(icmp);
    if (count == 0) {
        if (error == IP_REQ_TIMED_OUT) return 0;
        throw Icmp_Error("the echo request could not be sent (error " + std::to_string(error) + ")");
    }
    const auto *echo = reinterpret_cast<const ICMP_ECHO_REPLY *>(reply.constData());
    if (echo->Status != IP_SUCCESS) return 0;
    return int(echo->DataSize) + 8;
}

#else

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::string System_Reason(int error) { return std::strerror(error); }

// The datagram socket where the kernel allows it, a raw socket otherwise.
int Open_Icmp_Socket(bool &raw)
{
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0) {
        raw = false;
        return fd;
    }
    const int dgram_error = errno;
    fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd >= 0) {
        raw = true;
        return fd;
    }
    const int raw_error = errno;
    throw Icmp_No_Socket("no ICMP socket may be opened: datagram socket: " +
                         System_Reason(dgram_error) + "; raw socket: " + System_Reason(raw_error));
}

uint16_t Internet_Checksum(const unsigned char *data, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2) sum += uint32_t(data[i] << 8 | data[i + 1]);
    if (size % 2) sum += uint32_t(data[size - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

constexpr unsigned char Echo_Request = 8;
constexpr unsigned char Echo_Reply = 0;

}  // namespace

int Real_Icmp_Echo::Echo(const QString &host, const QByteArray &payload, int timeout_ms)
{
    const uint32_t address = Parse_Host(host);
    Check_Payload(payload);

    bool raw = false;
    const Fd socket(Open_Icmp_Socket(raw));

    const uint16_t sequence = ++sequence_;
    uint16_t identifier = identifier_;

    // Type, code, checksum, identifier, sequence (network order), then the data.
    QByteArray packet(8 + payload.size(), '\0');
    auto *p = reinterpret_cast<unsigned char *>(packet.data());
    p[0] = Echo_Request;
    p[4] = uint8_t(identifier >> 8);
    p[5] = uint8_t(identifier);
    p[6] = uint8_t(sequence >> 8);
    p[7] = uint8_t(sequence);
    std::memcpy(p + 8, payload.constData(), size_t(payload.size()));
    const uint16_t checksum = Internet_Checksum(p, size_t(packet.size()));
    p[2] = uint8_t(checksum >> 8);
    p[3] = uint8_t(checksum);

    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    ssize_t sent;
    do {
        sent = ::sendto(socket.get(), packet.constData(), size_t(packet.size()), 0,
                        reinterpret_cast<const sockaddr *>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        throw Icmp_Error("the echo request could not be sent: " + System_Reason(errno));

    if (!raw) {
        // The kernel puts its own identifier (the socket's port) into a datagram echo request
        // and hands this socket only the replies that carry it.
        sockaddr_in local {};
        socklen_t length = sizeof local;
        if (::getsockname(socket.get(), reinterpret_cast<sockaddr *>(&local), &length) == 0)
            identifier = ntohs(local.sin_port);
    }

    using Steady = std::chrono::steady_clock;
    const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(qMax(timeout_ms, 0));
    QByteArray buffer(65536, '\0');
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
        if (left <= 0) return 0;
        pollfd wait {socket.get(), POLLIN, 0};
        const int ready = ::poll(&wait, 1, int(left));
        if (ready < 0) {
            if (errno == EINTR) continue;
            throw Icmp_Error("waiting for the echo reply failed: " + System_Reason(errno));
        }
        if (ready == 0) return 0;

        sockaddr_in from {};
        socklen_t from_length = sizeof from;
        const ssize_t got = ::recvfrom(socket.get(), buffer.data(), size_t(buffer.size()), 0,
                                       reinterpret_cast<sockaddr *>(&from), &from_length);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            // An ICMP error queued for this socket (unreachable host) is no reply; keep waiting.
            continue;
        }
        const auto *in = reinterpret_cast<const unsigned char *>(buffer.constData());
        size_t size = size_t(got);
        if (raw) {
            // A raw socket sees the IP header, and every ICMP message of the machine: our own
            // request on loopback, other programs' pings. Only our reply counts.
            if (size < 20 || (in[0] >> 4) != 4) continue;
            const size_t header = size_t(in[0] & 0x0F) * 4;
            if (header < 20 || size < header + 8) continue;
            in += header;
            size -= header;
            if (Internet_Checksum(in, size) != 0) continue;
        }
        if (size < 8 || from.sin_addr.s_addr != to.sin_addr.s_addr) continue;
        if (in[0] != Echo_Reply || in[1] != 0) continue;
        const uint16_t reply_id = uint16_t(in[4] << 8 | in[5]);
        const uint16_t reply_seq = uint16_t(in[6] << 8 | in[7]);
        if (reply_id != identifier || reply_seq != sequence) continue;
        return int(size);
    }
}

#endif
