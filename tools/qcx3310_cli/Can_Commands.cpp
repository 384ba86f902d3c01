#include "Command_Line.h"
#include "Can_Commands.h"

#include "Can_Port.h"
#include "Event_Loop.h"
#include "Quit_Signals.h"

#include <QCoreApplication>
#include <QTimer>
#include <climits>
#include <cstdio>

namespace {

constexpr int Exit_Done = 0;
constexpr int Exit_Error = 1;
constexpr int Exit_Usage = 2;
// How long can-send waits for the bus to connect and take its frame.
constexpr int Send_Limit_Ms = 5000;

void Print(FILE *to, const QString &text)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fflush(to);
}

int Usage(const QString &command, const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli %1: %2\n").arg(command, why));
    Print(stderr, QStringLiteral("Try 'qcx3310-cli --help' for more.\n"));
    return Exit_Usage;
}

int Fail(const QString &command, const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli %1: %2\n").arg(command, why));
    return Exit_Error;
}

}  // namespace

int Can_Send(const QStringList &args)
{
    const QString command = QStringLiteral("can-send");
    if (args.size() != 2) return Usage(command, QStringLiteral("takes INTERFACE ID#DATA, for example virtualcan:can0 181#0102"));
    QString error;
    const std::optional<Can_Interface> bus = Parse_Can_Interface(args[0], &error);
    if (!bus) return Usage(command, error);
    const std::optional<Can_Frame> frame = Parse_Can_Frame(args[1], &error);
    if (!frame) return Usage(command, error);

    Event_Loop loop;
    Quiet_Can_Plugins();
    const bool others = Bus_Has_Others(*bus);
    std::unique_ptr<QCanBusDevice> device = Create_Can_Device(*bus, std::nullopt, &error);
    if (!device) return Fail(command, QStringLiteral("cannot open %1: %2").arg(bus->Text(), error));

    // The frame counts as sent once the device has let go of it: for the virtual bus, once the
    // hub has read it, which it has when it answers the goodbye that follows the frame on the
    // same connection. Quitting right after writeFrame would lose it in the socket's buffer.
    bool written = false;
    QString failure;
    auto finish = [&](const QString &why) {
        if (failure.isEmpty() && !why.isEmpty()) failure = why;
        QCoreApplication::exit();
    };
    auto let_go = [&] {
        if (device->framesToWrite() == 0 && device->state() == QCanBusDevice::ConnectedState) device->disconnectDevice();
    };
    QObject::connect(device.get(), &QCanBusDevice::stateChanged, [&](QCanBusDevice::CanBusDeviceState state) {
        if (state == QCanBusDevice::ConnectedState && !written) {
            // Set first: a device may take the frame, and close, within writeFrame.
            written = true;
            if (!device->writeFrame(To_Qt_Frame(*frame))) {
                written = false;
                finish(QStringLiteral("%1 refused the frame: %2").arg(bus->Text(), device->errorString()));
                return;
            }
            let_go();
        } else if (state == QCanBusDevice::UnconnectedState) {
            finish(written ? QString() : QStringLiteral("%1: the connection closed before the frame was written").arg(bus->Text()));
        }
    });
    QObject::connect(device.get(), &QCanBusDevice::framesWritten, let_go);
    QObject::connect(device.get(), &QCanBusDevice::errorOccurred, [&](QCanBusDevice::CanBusError e) {
        if (e != QCanBusDevice::NoError && failure.isEmpty() && !written)
            failure = QStringLiteral("%1: %2").arg(bus->Text(), device->errorString());
    });
    QTimer::singleShot(Send_Limit_Ms, [&] {
        finish(QStringLiteral("%1: the frame was not written within %2 s").arg(bus->Text()).arg(Send_Limit_Ms / 1000));
    });
    if (!device->connectDevice()) return Fail(command, QStringLiteral("cannot open %1: %2").arg(bus->Text(), device->errorString()));
    // What others put on the bus meanwhile is not wanted here, but must not bring it down.
    Guard_Virtual_Bus_Lines(device.get(), *bus, nullptr);
    QCoreApplication::exec();
    if (!written) return Fail(command, failure.isEmpty() ? QStringLiteral("%1: the frame was not written").arg(bus->Text()) : failure);
    if (!others)
        Print(stderr, QStringLiteral("qcx3310-cli can-send: no other program was on the virtual bus %1, so no one got "
                                     "the frame (start the emulator or can-dump first)\n")
                          .arg(bus->Text()));
    return Exit_Done;
}

int Can_Dump(const QStringList &args)
{
    const QString command = QStringLiteral("can-dump");
    const Command_Line line = Read_Command_Line(args, {QStringLiteral("--count"), QStringLiteral("--timeout")});
    if (!line.Error.isEmpty()) return Usage(command, line.Error);
    const QStringList &words = line.Words;
    std::optional<qint64> count;
    std::optional<qint64> timeout;
    for (auto it = line.Values.cbegin(); it != line.Values.cend(); ++it) {
        const bool is_count = it.key() == QLatin1String("--count");
        bool ok = false;
        const qint64 n = it.value().toLongLong(&ok, 10);
        if (!ok || n < 1 || n > (is_count ? qint64(1) << 40 : qint64(INT_MAX)))
            return Usage(command, QStringLiteral("%1 takes a positive number, not '%2'").arg(it.key(), it.value()));
        (is_count ? count : timeout) = n;
    }
    if (words.size() != 1) return Usage(command, QStringLiteral("takes one INTERFACE, for example virtualcan:can0"));
    QString error;
    const std::optional<Can_Interface> bus = Parse_Can_Interface(words[0], &error);
    if (!bus) return Usage(command, error);

    Event_Loop loop;
    Quiet_Can_Plugins();
    std::unique_ptr<QCanBusDevice> device = Create_Can_Device(*bus, std::nullopt, &error);
    if (!device) return Fail(command, QStringLiteral("cannot open %1: %2").arg(bus->Text(), error));

    qint64 seen = 0;
    int status = Exit_Done;
    QString failure;
    bool done = false;
    auto finish = [&](int exit_status, const QString &why) {
        if (done) return;
        done = true;
        status = exit_status;
        failure = why;
        QCoreApplication::exit();
    };
    QObject::connect(device.get(), &QCanBusDevice::stateChanged, [&](QCanBusDevice::CanBusDeviceState state) {
        // Told on standard error, so that a script knows when frames it sends will be seen.
        if (state == QCanBusDevice::ConnectedState)
            Print(stderr, QStringLiteral("qcx3310-cli can-dump: listening on %1\n").arg(bus->Text()));
        else if (state == QCanBusDevice::UnconnectedState)
            finish(Exit_Error, QStringLiteral("%1: the bus went away (the virtual bus ends with the program that started "
                                              "it)")
                                   .arg(bus->Text()));
    });
    QObject::connect(device.get(), &QCanBusDevice::framesReceived, [&] {
        while (!done && device->state() == QCanBusDevice::ConnectedState && device->framesAvailable()) {
            const std::optional<Can_Frame> frame = From_Qt_Frame(device->readFrame());
            if (!frame) continue;
            Print(stdout, Format_Can_Frame(*frame) + QLatin1Char('\n'));
            if (count && ++seen >= *count) finish(Exit_Done, {});
        }
    });
    QObject::connect(device.get(), &QCanBusDevice::errorOccurred, [&](QCanBusDevice::CanBusError e) {
        if (e != QCanBusDevice::NoError) Print(stderr, QStringLiteral("qcx3310-cli can-dump: %1: %2\n").arg(bus->Text(), device->errorString()));
    });
    if (timeout) {
        QTimer::singleShot(int(*timeout), [&] {
            if (count)
                finish(Exit_Error, QStringLiteral("%1 of %2 frames within %3 ms").arg(seen).arg(*count).arg(*timeout));
            else
                finish(Exit_Done, {});
        });
    }
    // Ctrl+C ends the dump as a full count does.
    Quit_On_Signals([&] { done = true; });
    if (!device->connectDevice()) return Fail(command, QStringLiteral("cannot open %1: %2").arg(bus->Text(), device->errorString()));
    Guard_Virtual_Bus_Lines(device.get(), *bus, [&](const QByteArray &junk) {
        Print(stderr, QStringLiteral("qcx3310-cli can-dump: %1: the bus hub sent a line that is no frame, dropped: '%2'\n")
                          .arg(bus->Text(), QString::fromLatin1(junk)));
    });
    QCoreApplication::exec();
    device->disconnect();
    device->disconnectDevice();
    if (status != Exit_Done) return Fail(command, failure);
    return Exit_Done;
}
