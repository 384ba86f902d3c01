// The emulator as a user's tools meet it: a real qgw3310-emulator on loopback, a CAN node on a
// virtual bus of its own, a Modbus TCP master on a socket.
//  - latency from a CAN frame sent to its new value read over Modbus (reading until it shows);
//  - latency from a Modbus write to its frame on the bus;
//  - frames per second the emulator applies with 250 receive records (a burst sent at once,
//    timed until the last frame's value reads back), with the emulator's CPU time, beside the
//    rate of its core model alone in this process;
//  - the emulator's memory, after loading and after the burst.
// Usage: bench_emulator [ROUNDS] [FRAMES]   (default 1000 and 25000; run from a Release build)
#include "Can_Port.h"
#include "config/Image_Builder.h"
#include "config/Project_Files.h"
#include "device/Device_Model.h"
#include "device/Image_Pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace {

constexpr int Receive_Frames = 250;
constexpr uint16_t Transmit_Register = 1000;
constexpr uint32_t Transmit_Id = 0x700;

void Write_Configuration(const QString &dir)
{
    const Project_Paths p = Project_Paths_In(dir);
    QList<Frame_Row> rx, tx;
    for (int i = 0; i < Receive_Frames; ++i)
        rx.append({QStringLiteral("0x%1").arg(0x100 + i, 0, 16), "8", Frame_Type_11, "0", {}, {}, {}, {}});
    tx.append({QStringLiteral("0x%1").arg(Transmit_Id, 0, 16), "2", Frame_Type_11, {}, "N", "N", {}, {}});
    Write_Frame_File(p.CAN_Receive, Direction::Receive, rx);
    Write_Frame_File(p.CAN_Transmit, Direction::Transmit, tx);
    // Register i holds bytes 1 and 2 of receive frame i; four registers a frame.
    QList<Editor_Frame> rx_frames(Receive_Frames);
    for (int i = 0; i < Receive_Frames; ++i)
        for (int k = 0; k < 4; ++k) rx_frames[i].Registers.append({QString::number(k * Receive_Frames + i), 2 * k + 1, 2 * k + 2, 0});
    Write_Map_File(p.Define_CAN_Receive, Direction::Receive, rx_frames);
    QList<Editor_Frame> tx_frames(1);
    tx_frames[0].Registers.append({QString::number(Transmit_Register), 1, 2, 1});
    Write_Map_File(p.Define_CAN_Transmit, Direction::Transmit, tx_frames);
    QDir().mkpath(dir + "/bin");
    Build_Device_Images(p);
}

quint16 Free_Port()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Runs the event loop until done() holds; false after limit_ms.
bool Wait_Until(const std::function<bool()> &done, int limit_ms = 10000)
{
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer tick;
    tick.start(limit_ms);
    while (!done()) {
        if (t.elapsed() > limit_ms) return false;
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct Modbus_Master {
    QTcpSocket Socket;
    QByteArray Buffer;
    quint16 Transaction = 0;

    // One request, its response's PDU.
    QByteArray Ask(const QByteArray &pdu)
    {
        QByteArray adu;
        ++Transaction;
        adu.append(char(Transaction >> 8)).append(char(Transaction & 0xFF)).append(2, '\0');
        adu.append(char(0)).append(char(pdu.size() + 1)).append(char(1)).append(pdu);
        Socket.write(adu);
        QByteArray answer;
        Wait_Until([&] {
            Buffer += Socket.readAll();
            if (Buffer.size() < 7) return false;
            const int length = (uint8_t(Buffer[4]) << 8) | uint8_t(Buffer[5]);
            if (Buffer.size() < 6 + length) return false;
            answer = Buffer.mid(7, length - 1);
            Buffer.remove(0, 6 + length);
            return true;
        });
        return answer;
    }
    int Read_Input(uint16_t reg)
    {
        const QByteArray a = Ask(QByteArray::fromHex("04") + QByteArray(1, char(reg >> 8)) + QByteArray(1, char(reg & 0xFF)) +
                                 QByteArray::fromHex("0001"));
        return a.size() == 4 ? (uint8_t(a[2]) << 8 | uint8_t(a[3])) : -1;
    }
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The emulator's CPU time (user + system) in ms, and a line of its /proc status (Linux only).
double Cpu_Ms(qint64 pid)
{
#ifndef Q_OS_LINUX
    return 0;
#endif
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(')').last().split(' ');
    // After the name: state is field 3, utime 14 and stime 15 (counted from 1 over the line).
#ifdef Q_OS_LINUX
    return (fields.value(12).toDouble() + fields.value(13).toDouble()) * 1000.0 / double(sysconf(_SC_CLK_TCK));
#else
    return 0;
#endif
}

QString Status(qint64 pid, const char *key)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return "?";
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key)) return QString::fromLatin1(line.mid(qstrlen(key) + 1).trimmed());
    return "?";
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Quiet_Can_Plugins();
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const int frames = argc > 2 ? std::max(Receive_Frames, atoi(argv[2])) : 25000;

    QTemporaryDir dir;
    Write_Configuration(dir.path());
    const Project_Paths paths = Project_Paths_In(dir.path());

    const quint16 port = Free_Port();
    const Can_Interface bus{"virtualcan", QStringLiteral("tcp://127.0.0.1:%1/can0").arg(Free_Port())};
    QProcess emulator;
    QByteArray log;
    QObject::connect(&emulator, &QProcess::readyReadStandardOutput, [&] { log += emulator.readAllStandardOutput(); if (log.size() > 1 << 20) log = log.right(4096); });
    emulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    emulator.start(QStringLiteral(QCX_WORKSPACE_DIR "/qgw3310-emulator"),
                   {"--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--can", bus.Text(), dir.path()});
    if (!Wait_Until([&] { return log.contains("can-connected"); })) {
        std::fprintf(stderr, "the emulator did not start\n");
        return 1;
    }
    const qint64 pid = emulator.processId();
    const QString rss_loaded = Status(pid, "VmRSS:");

    QString error;
    std::unique_ptr<QCanBusDevice> can = Create_Can_Device(bus, std::nullopt, &error);
    QList<QCanBusFrame> seen;
    QObject::connect(can.get(), &QCanBusDevice::framesReceived, [&] {
        while (can->framesAvailable()) seen.append(can->readFrame());
    });
    can->connectDevice();
    Modbus_Master master;
    master.Socket.connectToHost(QHostAddress::LocalHost, port);
    master.Socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!Wait_Until([&] { return can->state() == QCanBusDevice::ConnectedState && master.Socket.state() == QAbstractSocket::ConnectedState; })) {
        std::fprintf(stderr, "cannot reach the emulator\n");
        return 1;
    }

    // CAN frame -> value read over Modbus (04, register 0 = bytes 1 and 2 of frame 0x100).
    std::vector<double> frame_to_read;
    int reads = 0;
    for (int i = 1; i <= rounds; ++i) {
        const uint16_t value = uint16_t(i * 7919 % 65535 + 1);
        QElapsedTimer t;
        t.start();
        can->writeFrame(QCanBusFrame(0x100, QByteArray(1, char(value >> 8)) + QByteArray(1, char(value & 0xFF)) + QByteArray(6, '\0')));
        while (master.Read_Input(0) != value) ++reads;
        ++reads;
        frame_to_read.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    // Modbus write (06, register 1000, send on write) -> frame seen on the bus.
    std::vector<double> write_to_frame;
    for (int i = 1; i <= rounds; ++i) {
        const uint16_t value = uint16_t(i * 7919 % 65535 + 1);
        const QByteArray data = QByteArray(1, char(value >> 8)) + QByteArray(1, char(value & 0xFF));
        seen.clear();
        QElapsedTimer t;
        t.start();
        master.Ask(QByteArray::fromHex("0603e8") + data);
        Wait_Until([&] {
            return std::any_of(seen.begin(), seen.end(), [&](const QCanBusFrame &f) { return f.frameId() == Transmit_Id && f.payload() == data; });
        });
        write_to_frame.push_back(double(t.nsecsElapsed()) / 1e6);
    }

    // A burst over the 250 receive frames; the last frame's value says all have been applied.
    const double cpu_before = Cpu_Ms(pid);
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < frames; ++i) {
        const uint16_t value = uint16_t(i / Receive_Frames + 1);
        can->writeFrame(QCanBusFrame(0x100 + i % Receive_Frames, QByteArray(1, char(value >> 8)) + QByteArray(1, char(value & 0xFF)) + QByteArray(6, '\0')));
    }
    const int last_register = (frames - 1) % Receive_Frames;
    const int last_value = (frames - 1) / Receive_Frames + 1;
    // Reading until it shows: each read runs the event loop, which also sends the burst on.
    bool all = false;
    while (!all && burst.elapsed() < 120000) all = master.Read_Input(uint16_t(last_register)) == last_value;
    const double burst_ms = double(burst.nsecsElapsed()) / 1e6;
    const double cpu_burst = Cpu_Ms(pid) - cpu_before;

    // The core model alone, the same frames, no bus and no log.
    const Image_Pair pair = Read_Image_Pair(paths.Bank1, paths.Bank2);
    Device_Model model(*pair.Images, 0);
    QList<Can_Frame> burst_frames;
    for (int i = 0; i < Receive_Frames; ++i) burst_frames.append({uint32_t(0x100 + i), false, false, QByteArray(8, char(i))});
    QElapsedTimer core;
    core.start();
    const int core_frames = frames * 20;
    for (int i = 0; i < core_frames; ++i) model.Frame_In(burst_frames[i % Receive_Frames], i);
    const double core_ms = double(core.nsecsElapsed()) / 1e6;

    std::printf("qgw3310-emulator, loopback, virtual CAN bus, %d rounds\n", rounds);
    std::printf("  CAN frame -> value read over Modbus   median %7.3f ms  worst %7.3f ms  (%.2f reads a round)\n",
                Median(frame_to_read), *std::max_element(frame_to_read.begin(), frame_to_read.end()), double(reads) / rounds);
    std::printf("  Modbus write -> frame on the bus      median %7.3f ms  worst %7.3f ms\n", Median(write_to_frame),
                *std::max_element(write_to_frame.begin(), write_to_frame.end()));
    std::printf("  %d frames over %d receive frames: %s in %.0f ms = %.0f frames/s applied; emulator CPU %.0f ms (%.1f us a frame)\n",
                frames, Receive_Frames, all ? "all applied" : "NOT all applied", burst_ms, frames / burst_ms * 1000.0, cpu_burst,
                cpu_burst * 1000.0 / frames);
    std::printf("  core model alone: %d frames in %.1f ms = %.0f frames/s\n", core_frames, core_ms, core_frames / core_ms * 1000.0);
    std::printf("  emulator memory: VmRSS %s after loading, %s after the burst; peak VmHWM %s\n", qPrintable(rss_loaded),
                qPrintable(Status(pid, "VmRSS:")), qPrintable(Status(pid, "VmHWM:")));

    emulator.terminate();
    emulator.waitForFinished(5000);

    return all ? 0 : 1;
}
