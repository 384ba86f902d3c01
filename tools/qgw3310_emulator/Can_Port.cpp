#include "Can_Port.h"

#include <QCanBus>
#include <QLoggingCategory>
#include <QTcpSocket>
#include <QUrl>

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
