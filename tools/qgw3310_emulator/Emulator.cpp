#include "Emulator.h"

#include "Can_Port.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

constexpr qint64 Max_Unread_Answers = 1 << 20;

// A frame record's identifier as the user typed it into the frame list: 3 hex digits for an
// 11-bit frame, 8 for a 29-bit one.
QString Ident_Text(uint32_t ident)
{
    const bool extended = ident & Ident_Extended;
    return QStringLiteral("%1").arg(ident & ~Ident_Extended, extended ? 8 : 3, 16, QLatin1Char('0')).toUpper();
}

QString Hex16(uint16_t v) { return QStringLiteral("0x") + QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')).toUpper(); }

QString Registers_Text(const QList<Register_Value> &registers)
{
    QStringList parts;
    for (const Register_Value &r : registers) parts << QStringLiteral("%1=%2").arg(r.Register).arg(Hex16(r.Value));
    return parts.isEmpty() ? QStringLiteral("(no registers)") : parts.join(QLatin1Char(' '));
}

QJsonArray Registers_Json(const QList<Register_Value> &registers)
{
    QJsonArray list;
    for (const Register_Value &r : registers) list.append(QJsonObject{{"register", r.Register}, {"value", r.Value}});
    return list;
}

QStringList Reason_Names(unsigned reasons)
{
    QStringList names;
    if (reasons & Send_On_Write) names << QStringLiteral("send-on-write");
    if (reasons & Send_On_Change) names << QStringLiteral("data-change");
    if (reasons & Send_On_Timer) names << QStringLiteral("timer");
    return names;
}

QString Endpoint(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(address.toString())
                                                                               : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

QString Octets(const uint8_t (&o)[4]) { return QStringLiteral("%1.%2.%3.%4").arg(o[0]).arg(o[1]).arg(o[2]).arg(o[3]); }

void Print_Error(const QString &text) { std::fputs(qPrintable(QStringLiteral("qgw3310-emulator: %1\n").arg(text)), stderr); }

}  // namespace

Emulator::Emulator(const Emulator_Options &options, Image_Pair pair) : options_(options), pair_(std::move(pair))
{
    model_ = std::make_unique<Device_Model>(*pair_.Images, Now());
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Emulator::Timer_Due);
    reconnect_.setSingleShot(true);
    connect(&reconnect_, &QTimer::timeout, this, [this] {
        if (can_) {
            can_->disconnect(this);
            can_.release()->deleteLater();
        }
        Open_Can(false);
    });
    // A new pair is written as two files one after the other; it is read once both have settled.
    settle_.setSingleShot(true);
    settle_.setInterval(200);
    connect(&settle_, &QTimer::timeout, this, &Emulator::Reload);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &Emulator::Files_Changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &Emulator::Files_Changed);
    connect(&server_, &QTcpServer::newConnection, this, &Emulator::New_Connection);
}

Emulator::~Emulator() = default;

void Emulator::Event(const char *kind, const QString &text, QJsonObject fields)
{
    const qint64 ms = Now();
    QByteArray line;
    if (options_.Json) {
        fields.insert(QStringLiteral("event"), QLatin1String(kind));
        fields.insert(QStringLiteral("ms"), ms);
        line = QJsonDocument(fields).toJson(QJsonDocument::Compact);
    } else {
        line = QStringLiteral("%1.%2 %3 %4")
                   .arg(ms / 1000)
                   .arg(ms % 1000, 3, 10, QLatin1Char('0'))
                   .arg(QLatin1String(kind), text)
                   .toUtf8();
    }
    line += '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    // Whoever reads the events (a pipe, a test, a monitor) sees each as it happens.
    std::fflush(stdout);
}

bool Emulator::Start()
{
    const Bank1_Header &h = model_->Header();
    Event("loaded",
          QStringLiteral("%1 receive and %2 transmit frames, %3 receive and %4 transmit mappings, CAN %5 bit/s")
              .arg(model_->Rx_Frames().size())
              .arg(model_->Tx_Frames().size())
              .arg(model_->Rx_Maps().size())
              .arg(model_->Tx_Maps().size())
              .arg(h.CAN_Baud),
          {{"bank1", options_.Bank1},
           {"bank2", options_.Bank2},
           {"rx_frames", model_->Rx_Frames().size()},
           {"tx_frames", model_->Tx_Frames().size()},
           {"rx_maps", model_->Rx_Maps().size()},
           {"tx_maps", model_->Tx_Maps().size()},
           {"bit_rate", qint64(h.CAN_Baud)}});

    const quint16 port = options_.Listen_Port.value_or(h.TCP_Port);
    if (!server_.listen(options_.Listen_Address, port)) {
        Print_Error(QStringLiteral("cannot listen for Modbus TCP on %1: %2")
                        .arg(Endpoint(options_.Listen_Address, port), server_.errorString()));
        Print_Error(QStringLiteral("ports below 1024 (502 among them) need privileges, and another program may hold the "
                                   "port: try --listen 127.0.0.1:1502"));
        return false;
    }
    const QString unit = options_.Unit ? QStringLiteral("unit %1").arg(*options_.Unit) : QStringLiteral("every unit");
    Event("listening",
          QStringLiteral("Modbus TCP on %1, %2 (the images name %3 port %4)")
              .arg(Endpoint(server_.serverAddress(), server_.serverPort()), unit, Octets(h.TCP_IP))
              .arg(h.TCP_Port),
          {{"address", server_.serverAddress().toString()},
           {"port", server_.serverPort()},
           {"unit", options_.Unit ? QJsonValue(*options_.Unit) : QJsonValue()},
           {"image_address", Octets(h.TCP_IP)},
           {"image_port", h.TCP_Port}});

    if (!Open_Can(true)) return false;
    if (options_.Watch) Watch_Files();
    Arm_Timer();
    return true;
}

void Emulator::Stop()
{
    if (stopping_) return;
    stopping_ = true;
    timer_.stop();
    reconnect_.stop();
    settle_.stop();
    const Counters &c = count_;
    Event("summary",
          QStringLiteral("%1 frames in (%2 applied, %3 too short, %4 ignored), %5 frames out (%6 failed), %7 Modbus "
                         "requests (%8 writes, %9 exceptions, %10 for other units), %11 clients, %12 timeouts, "
                         "%13 reloads (%14 refused)")
              .arg(c.Frames_In)
              .arg(c.Applied)
              .arg(c.Too_Short)
              .arg(c.Ignored)
              .arg(c.Frames_Out)
              .arg(c.Frames_Out_Failed)
              .arg(c.Requests)
              .arg(c.Writes)
              .arg(c.Exceptions)
              .arg(c.Other_Units)
              .arg(c.Clients)
              .arg(c.Timeouts)
              .arg(c.Reloads)
              .arg(c.Refused_Reloads),
          {{"frames_in", qint64(c.Frames_In)},
           {"applied", qint64(c.Applied)},
           {"too_short", qint64(c.Too_Short)},
           {"ignored", qint64(c.Ignored)},
           {"frames_out", qint64(c.Frames_Out)},
           {"frames_out_failed", qint64(c.Frames_Out_Failed)},
           {"requests", qint64(c.Requests)},
           {"writes", qint64(c.Writes)},
           {"exceptions", qint64(c.Exceptions)},
           {"other_units", qint64(c.Other_Units)},
           {"clients", qint64(c.Clients)},
           {"timeouts", qint64(c.Timeouts)},
           {"reloads", qint64(c.Reloads)},
           {"refused_reloads", qint64(c.Refused_Reloads)}});
    server_.close();
    for (QTcpSocket *socket : clients_.keys()) socket->abort();
    if (can_) can_->disconnectDevice();
}

// --- CAN ---------------------------------------------------------------------------------------

bool Emulator::Open_Can(bool first)
{
    QString error;
    can_ = Create_Can_Device(options_.Can, model_->Header().CAN_Baud, &error);
    if (can_) {
        QCanBusDevice *device = can_.get();
        connect(device, &QCanBusDevice::stateChanged, this, &Emulator::Can_State);
        connect(device, &QCanBusDevice::framesReceived, this, &Emulator::Can_Frames);
        connect(device, &QCanBusDevice::errorOccurred, this, [this, device](QCanBusDevice::CanBusError e) {
            if (e != QCanBusDevice::NoError && !stopping_ && !can_opening_)
                Event("can-error", QStringLiteral("%1: %2").arg(options_.Can.Text(), device->errorString()),
                      {{"bus", options_.Can.Text()}, {"reason", device->errorString()}});
        });
        // What goes wrong inside connectDevice is told once, below, not also as a lost bus.
        can_opening_ = true;
        const bool opened = device->connectDevice();
        can_opening_ = false;
        if (opened) {
            Guard_Virtual_Bus_Lines(device, options_.Can, [this](const QByteArray &line) {
                if (stopping_) return;
                const QString text = QString::fromLatin1(line);
                Event("can-error", QStringLiteral("%1: the bus hub sent a line that is no frame, dropped: '%2'").arg(options_.Can.Text(), text),
                      {{"bus", options_.Can.Text()}, {"reason", QStringLiteral("a line that is no frame")}, {"line", text}});
            });
            return true;
        }
        error = device->errorString();
    }
    error = QStringLiteral("cannot open the CAN bus %1: %2").arg(options_.Can.Text(), error);
    if (first) {
        Print_Error(error);
        return false;
    }
    Event("can-error", QStringLiteral("%1; trying again").arg(error), {{"bus", options_.Can.Text()}, {"reason", error}});
    reconnect_.start(1000);
    return false;
}

void Emulator::Can_State(QCanBusDevice::CanBusDeviceState state)
{
    if (stopping_ || can_opening_) return;
    if (state == QCanBusDevice::ConnectedState) {
        can_connected_ = true;
        Event("can-connected", QStringLiteral("CAN %1").arg(options_.Can.Text()), {{"bus", options_.Can.Text()}});
    } else if (state == QCanBusDevice::UnconnectedState) {
        // The virtual bus goes down with the program that started its hub; opening it again
        // makes this program the hub, so the others can come back.
        can_connected_ = false;
        Event("can-lost", QStringLiteral("CAN %1 lost, opening it again").arg(options_.Can.Text()),
              {{"bus", options_.Can.Text()}});
        reconnect_.start(200);
    }
}

void Emulator::Can_Frames()
{
    QCanBusDevice *device = qobject_cast<QCanBusDevice *>(sender());
    if (!device) return;
    bool rearm = false;
    // A device that is no longer connected keeps its frames but refuses to hand them out; asking
    // again would never end. Its frames go with it: the bus is opened afresh.
    while (device->state() == QCanBusDevice::ConnectedState && device->framesAvailable()) {
        const std::optional<Can_Frame> frame = From_Qt_Frame(device->readFrame());
        if (!frame) continue;
        ++count_.Frames_In;
        const Frame_In_Result r = model_->Frame_In(*frame, Now());
        const QString text = Format_Can_Frame(*frame);
        if (!r.Matched()) {
            ++count_.Ignored;
            Event("frame-ignored",
                  QStringLiteral("%1: %2").arg(text, r.Remote ? QStringLiteral("a remote request") : QStringLiteral("no receive frame has this identifier")),
                  {{"frame", text}});
            continue;
        }
        for (const Frame_Applied &a : r.Applied) {
            ++count_.Applied;
            rearm = rearm || a.Was_Stale;
            Event("frame-in",
                  QStringLiteral("%1 -> receive frame %2: %3%4")
                      .arg(text)
                      .arg(a.Frame)
                      .arg(Registers_Text(a.Registers), a.Was_Stale ? QStringLiteral(" (fresh again)") : QString()),
                  {{"frame", text}, {"record", a.Frame}, {"registers", Registers_Json(a.Registers)}, {"fresh_again", a.Was_Stale}});
        }
        for (const Frame_Too_Short &s : r.Too_Short) {
            ++count_.Too_Short;
            Event("frame-short",
                  QStringLiteral("%1: %2 of the %3 bytes of receive frame %4, not applied")
                      .arg(text)
                      .arg(s.Length)
                      .arg(s.Dimension)
                      .arg(s.Frame),
                  {{"frame", text}, {"record", s.Frame}, {"length", s.Length}, {"dimension", s.Dimension}});
        }
    }
    if (rearm) Arm_Timer();
}

void Emulator::Send(const QList<Frame_Out> &frames)
{
    for (const Frame_Out &f : frames) {
        const QString text = Format_Can_Frame(f.Can);
        const QStringList reasons = Reason_Names(f.Reasons);
        QJsonObject fields{{"frame", text}, {"record", f.Frame}, {"reasons", QJsonArray::fromStringList(reasons)}};
        QString failure;
        if (!can_ || !can_connected_)
            failure = QStringLiteral("the CAN bus is not connected");
        else if (!can_->writeFrame(To_Qt_Frame(f.Can)))
            failure = can_->errorString().isEmpty() ? QStringLiteral("the CAN device refused it") : can_->errorString();
        if (failure.isEmpty()) {
            ++count_.Frames_Out;
            Event("frame-out", QStringLiteral("transmit frame %1 -> %2 (%3)").arg(f.Frame).arg(text, reasons.join(QStringLiteral(", "))),
                  fields);
        } else {
            ++count_.Frames_Out_Failed;
            fields.insert(QStringLiteral("reason"), failure);
            Event("frame-out-failed", QStringLiteral("transmit frame %1 -> %2: %3").arg(f.Frame).arg(text, failure), fields);
        }
    }
}

// --- Modbus TCP --------------------------------------------------------------------------------

void Emulator::New_Connection()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        if (stopping_) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // An answer goes out at once, not held back to be joined with the next one.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Client &client = clients_[socket];
        client.Name = Endpoint(socket->peerAddress(), socket->peerPort());
        ++count_.Clients;
        Event("client-connected", client.Name, {{"client", client.Name}});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Client_Data(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Client_Gone(socket); });
    }
}

void Emulator::Client_Data(QTcpSocket *socket)
{
    auto it = clients_.find(socket);
    if (it == clients_.end()) return;
    Client &client = *it;
    client.Reader.Append(socket->readAll());
    QString drop;
    while (std::optional<Mbap_Request> request = client.Reader.Next()) {
        Answer(socket, client, *request);
        // A master that sends and never reads would have its answers pile up here without end.
        if (socket->bytesToWrite() > Max_Unread_Answers) {
            drop = QStringLiteral("more than %1 bytes of answers unread").arg(Max_Unread_Answers);
            break;
        }
    }
    if (drop.isEmpty() && client.Reader.Broken()) drop = client.Reader.Why_Broken();
    if (!drop.isEmpty()) {
        Event("client-dropped", QStringLiteral("%1: %2").arg(client.Name, drop), {{"client", client.Name}, {"reason", drop}});
        socket->abort();
    }
}

void Emulator::Client_Gone(QTcpSocket *socket)
{
    const auto it = clients_.find(socket);
    if (it == clients_.end()) return;
    if (!stopping_) Event("client-disconnected", it->Name, {{"client", it->Name}});
    clients_.erase(it);
    socket->deleteLater();
}

void Emulator::Answer(QTcpSocket *socket, Client &client, const Mbap_Request &request)
{
    ++count_.Requests;
    if (options_.Unit && request.Unit != *options_.Unit) {
        // As a device on a shared gateway does, another unit's request gets no answer.
        ++count_.Other_Units;
        Event("unit-ignored", QStringLiteral("%1: a request for unit %2").arg(client.Name).arg(request.Unit),
              {{"client", client.Name}, {"unit", request.Unit}});
        return;
    }
    const Modbus_Answer a = Answer_Modbus_Request(*model_, request.Pdu);
    socket->write(Mbap_Response(request, a.Pdu));
    QJsonObject fields{{"client", client.Name}, {"unit", request.Unit}, {"function", a.Function},
                       {"start", qint64(a.Start)}, {"count", qint64(a.Count)}};
    if (a.Exception) {
        ++count_.Exceptions;
        fields.insert(QStringLiteral("code"), a.Exception);
        Event("exception",
              QStringLiteral("%1 unit %2: function %3 at %4 count %5 answered exception %6")
                  .arg(client.Name)
                  .arg(request.Unit)
                  .arg(a.Function, 2, 10, QLatin1Char('0'))
                  .arg(a.Start)
                  .arg(a.Count)
                  .arg(a.Exception, 2, 10, QLatin1Char('0')),
              fields);
        return;
    }
    if (a.Written.isEmpty()) return;  // reads are too many to tell each
    ++count_.Writes;
    QStringList values;
    QJsonArray json_values;
    for (uint16_t v : a.Written) {
        values << Hex16(v);
        json_values.append(v);
    }
    fields.insert(QStringLiteral("values"), json_values);
    Event("write",
          QStringLiteral("%1 unit %2: function %3 register %4 = %5")
              .arg(client.Name)
              .arg(request.Unit)
              .arg(a.Function, 2, 10, QLatin1Char('0'))
              .arg(a.Start)
              .arg(values.join(QLatin1Char(' '))),
          fields);
    Send(a.Sent);
}

// --- Timers ------------------------------------------------------------------------------------

void Emulator::Arm_Timer()
{
    const std::optional<qint64> next = model_->Next_Deadline();
    if (!next || stopping_) {
        timer_.stop();
        return;
    }
    timer_.start(int(std::clamp<qint64>(*next - Now(), 0, INT_MAX)));
}

void Emulator::Timer_Due()
{
    const qint64 now = Now();
    for (const Timeout_Event &t : model_->Check_Timeouts(now, options_.Timeout_Policy)) {
        ++count_.Timeouts;
        const QString ident = Ident_Text(model_->Rx_Frames()[t.Frame].Ident);
        const bool cleared = options_.Timeout_Policy == On_Timeout::Zero;
        Event("timeout",
              QStringLiteral("receive frame %1 (%2): no frame for %3 ms, stale; registers %4")
                  .arg(t.Frame)
                  .arg(ident)
                  .arg(t.Time_Out)
                  .arg(cleared ? QStringLiteral("cleared: ") + Registers_Text(t.Cleared) : QStringLiteral("kept")),
              {{"record", t.Frame}, {"ident", ident}, {"time_out", qint64(t.Time_Out)}, {"cleared", cleared},
               {"registers", Registers_Json(t.Cleared)}});
    }
    Send(model_->Timer_Frames(now));
    Arm_Timer();
}

// --- A new pair --------------------------------------------------------------------------------

void Emulator::Watch_Files()
{
    // A pair written by a build replaces each file by a rename, which takes the old file out of
    // the watch; the folders are watched too, and the files are added again after each change.
    const QStringList files{options_.Bank1, options_.Bank2};
    QStringList paths;
    for (const QString &f : files) paths << f << QFileInfo(f).absolutePath();
    for (const QString &p : paths)
        if (QFileInfo::exists(p) && !watcher_.files().contains(p) && !watcher_.directories().contains(p)) watcher_.addPath(p);
}

void Emulator::Files_Changed()
{
    if (!stopping_) settle_.start();
}

void Emulator::Reload()
{
    Watch_Files();
    Image_Pair pair = Read_Image_Pair(options_.Bank1, options_.Bank2);
    if (pair.Usable() && pair.Same_Bytes(pair_)) return;
    if (!pair.Usable()) {
        if (pair.Same_Bytes(refused_) && pair.Problems == refused_.Problems) return;
        ++count_.Refused_Reloads;
        Event("reload-refused",
              QStringLiteral("the new pair is not run, the loaded one stays (%1 problem(s) on standard error)").arg(pair.Problems.size()),
              {{"problems", QJsonArray::fromStringList(pair.Problems)}});
        for (const QString &p : pair.Problems) Print_Error(QStringLiteral("new pair refused: %1").arg(p));
        refused_ = std::move(pair);
        return;
    }
    const uint32_t old_rate = model_->Header().CAN_Baud;
    pair_ = std::move(pair);
    refused_ = Image_Pair();
    // The device starts the new pair afresh, as after an update: buffers zero, timers from now.
    model_ = std::make_unique<Device_Model>(*pair_.Images, Now());
    ++count_.Reloads;
    Event("reload",
          QStringLiteral("new pair: %1 receive and %2 transmit frames, %3 receive and %4 transmit mappings; Modbus "
                         "connections kept")
              .arg(model_->Rx_Frames().size())
              .arg(model_->Tx_Frames().size())
              .arg(model_->Rx_Maps().size())
              .arg(model_->Tx_Maps().size()),
          {{"rx_frames", model_->Rx_Frames().size()},
           {"tx_frames", model_->Tx_Frames().size()},
           {"rx_maps", model_->Rx_Maps().size()},
           {"tx_maps", model_->Tx_Maps().size()}});
    const uint32_t rate = model_->Header().CAN_Baud;
    if (rate != old_rate && can_ && options_.Can.Plugin != QLatin1String("virtualcan"))
        can_->setConfigurationParameter(QCanBusDevice::BitRateKey, rate);
    Arm_Timer();
}
