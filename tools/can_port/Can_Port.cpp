#include "Can_Port.h"

#include <QCanBus>
#include <QDateTime>
#include <QLoggingCategory>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

namespace {

const QString Virtual_Plugin = QStringLiteral("virtualcan");
constexpr quint16 Virtual_Hub_Port = 35468;  // the plugin's own default

}  // namespace

void Quiet_Can_Plugins()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.canbus.plugins.virtualcan.info=false\n"
                                                    "qt.canbus.plugins.virtualcan.debug=false"));
}

std::unique_ptr<QCanBusDevice> Create_Can_Device(const Can_Interface &bus, std::optional<uint32_t> bit_rate,
                                                 QString *error)
{
    const QStringList plugins = QCanBus::instance()->plugins();
    if (!plugins.contains(bus.Plugin)) {
        if (error)
            *error = QStringLiteral("no CAN plugin '%1' (installed: %2)").arg(bus.Plugin, plugins.join(QStringLiteral(", ")));
        return nullptr;
    }
    QString why;
    std::unique_ptr<QCanBusDevice> device(QCanBus::instance()->createDevice(bus.Plugin, bus.Name, &why));
    if (!device) {
        if (error) *error = why;
        return nullptr;
    }
    // A plugin may hand out a device for an interface it has already refused (the virtual bus
    // would quietly use can0 for "can7"); its error says so.
    if (device->error() != QCanBusDevice::NoError) {
        if (error) *error = device->errorString();
        return nullptr;
    }
    // The virtual plugin refuses a configuration it does not take ("Invalid interface" shows
    // only once it is opened), so it is asked nothing.
    if (bit_rate && bus.Plugin != Virtual_Plugin) device->setConfigurationParameter(QCanBusDevice::BitRateKey, *bit_rate);
    return device;
}

QCanBusFrame To_Qt_Frame(const Can_Frame &frame)
{
    QCanBusFrame qt(frame.Id, frame.Data);
    qt.setExtendedFrameFormat(frame.Extended);
    if (frame.Remote) qt.setFrameType(QCanBusFrame::RemoteRequestFrame);
    return qt;
}

std::optional<Can_Frame> From_Qt_Frame(const QCanBusFrame &frame)
{
    if (frame.frameType() != QCanBusFrame::DataFrame && frame.frameType() != QCanBusFrame::RemoteRequestFrame)
        return std::nullopt;
    Can_Frame f;
    f.Id = frame.frameId();
    f.Extended = frame.hasExtendedFrameFormat();
    f.Remote = frame.frameType() == QCanBusFrame::RemoteRequestFrame;
    f.Data = frame.payload();
    return f;
}

bool Bus_Has_Others(const Can_Interface &bus)
{
    if (bus.Plugin != Virtual_Plugin) return true;
    // The plugin reads the interface as a URL: "can0", or "tcp://HOST:PORT/can0" for a hub
    // elsewhere than its default port.
    const QUrl url(bus.Name);
    const QString host = url.host().isEmpty() ? QStringLiteral("127.0.0.1") : url.host();
    QTcpSocket probe;
    probe.connectToHost(host, quint16(url.port(Virtual_Hub_Port)));
    const bool up = probe.waitForConnected(1000);
    probe.abort();
    return up;
}

namespace {

// enqueueReceivedFrames is for a device's own backend; the hub's lines are read here in its
// stead, so the frames are handed to the device the way the backend would.
struct Frame_Queue : QCanBusDevice {
    static void Enqueue(QCanBusDevice *device, const QList<QCanBusFrame> &frames)
    {
        (device->*(&Frame_Queue::enqueueReceivedFrames))(frames);
    }
};

// The longest line a frame can take (a 29-bit identifier, every flag, 64 bytes of CAN FD data),
// with room to spare; a longer one is cut off and dropped, so a hub cannot fill the memory.
constexpr qint64 Longest_Hub_Line = 1024;

}  // namespace

std::optional<QCanBusFrame> Virtual_Bus_Frame(const QByteArray &line)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,10})#([RXFBEL]*)#((?:[0-9A-Fa-f]{2}){0,64})$"));
    const QRegularExpressionMatch m = form.match(QString::fromLatin1(line));
    if (!m.hasMatch()) return std::nullopt;
    bool ok = false;
    const qulonglong id = m.captured(1).toULongLong(&ok);
    const QString flags = m.captured(2);
    const bool extended = flags.contains(QLatin1Char('X'));
    if (!ok || id > (extended ? 0x1FFFFFFFu : 0x7FFu)) return std::nullopt;
    const QByteArray data = QByteArray::fromHex(m.captured(3).toLatin1());
    const bool fd = flags.contains(QLatin1Char('F'));
    if (data.size() > 8 && !fd) return std::nullopt;
    QCanBusFrame frame(quint32(id), data);
    frame.setTimeStamp(QCanBusFrame::TimeStamp::fromMicroSeconds(QDateTime::currentMSecsSinceEpoch() * 1000));
    if (flags.contains(QLatin1Char('R'))) frame.setFrameType(QCanBusFrame::RemoteRequestFrame);
    frame.setExtendedFrameFormat(extended);
    frame.setFlexibleDataRateFormat(fd);
    frame.setBitrateSwitch(flags.contains(QLatin1Char('B')));
    frame.setErrorStateIndicator(flags.contains(QLatin1Char('E')));
    frame.setLocalEcho(flags.contains(QLatin1Char('L')));
    if (!frame.isValid()) return std::nullopt;
    return frame;
}

void Guard_Virtual_Bus_Lines(QCanBusDevice *device, const Can_Interface &bus,
                             std::function<void(const QByteArray &line)> bad_line)
{
    if (bus.Plugin != Virtual_Plugin) return;
    const QByteArray leave = "disconnect:" + QUrl(bus.Name).fileName().toLatin1();
    const auto sockets = device->findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly);
    for (QTcpSocket *socket : sockets) {
        // The plugin's own reader of this connection is the one that falls over; ours takes
        // its place. Connection and disconnection stay the plugin's.
        QObject::disconnect(socket, &QIODevice::readyRead, device, nullptr);
        QPointer<QCanBusDevice> owner(device);
        // Inside a line too long for a frame: the rest of it, up to its end, goes unread.
        auto skipping = std::make_shared<bool>(false);
        QObject::connect(socket, &QIODevice::readyRead, device, [owner, socket, leave, bad_line, skipping] {
            QList<QCanBusFrame> frames;
            bool left = false;
            const auto too_long = [&](const QByteArray &start) {
                if (!*skipping && bad_line) bad_line(start.left(64) + "...");
                *skipping = true;
            };
            while (!left && owner) {
                if (!socket->canReadLine()) {
                    // A line with no end in sight is no frame: dropped as it comes.
                    if (socket->bytesAvailable() <= Longest_Hub_Line) break;
                    too_long(socket->read(Longest_Hub_Line));
                    continue;
                }
                const QByteArray whole = socket->readLine(Longest_Hub_Line + 1);
                if (!whole.endsWith('\n')) {
                    too_long(whole);
                    continue;
                }
                if (*skipping) {
                    *skipping = false;  // the end of the long line
                    continue;
                }
                const QByteArray line = whole.trimmed();
                if (line == leave) {
                    // The hub drops this program from the bus: what came before still counts,
                    // nothing after it is taken.
                    left = true;
                } else if (const std::optional<QCanBusFrame> frame = Virtual_Bus_Frame(line)) {
                    frames.append(*frame);
                } else if (bad_line) {
                    bad_line(line.left(64));
                }
            }
            if (owner && !frames.isEmpty() && owner->state() == QCanBusDevice::ConnectedState)
                Frame_Queue::Enqueue(owner, frames);
            if (left) {
                socket->readAll();
                socket->disconnectFromHost();
            }
        });
    }
}
