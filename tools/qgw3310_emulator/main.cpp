// qgw3310-emulator: the converter on this machine. It loads a pair of device images, answers
// Modbus TCP masters from the registers they map and exchanges the mapped CAN frames, so that a
// configuration can be tried without the device.
#include "Command_Line.h"
#include "Can_Port.h"
#include "Emulator.h"
#include "Quit_Signals.h"
#include "config/Project_Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>


namespace {

constexpr int Exit_Done = 0;
constexpr int Exit_Error = 1;
constexpr int Exit_Usage = 2;

const char Usage_Text[] = R"(Usage:
  qgw3310-emulator [options] CONFIG_DIR
  qgw3310-emulator [options] BANK1_FILE BANK2_FILE
  qgw3310-emulator --help
)";

const char Help_Text[] = R"(
Behaves as a QGW3310 converter loaded with a pair of device images (CONFIG_DIR: the pair in
CONFIG_DIR/bin, as "Update Device" and qcx3310-cli compile write it): a Modbus TCP slave whose
registers are bytes of CAN frames, on a CAN bus reached through a Qt CAN plugin. The pair is
checked as qcx3310-cli inspect checks it; a pair that does not hold together is refused.

Registers:
  A receive mapping is a read-only register, read by function codes 03 and 04. A transmit
  mapping is a holding register, read by 03 and written by 06 and 16. A register number mapped
  in both directions: 04 reads the receive one, 03/06/16 the transmit one. Register number N
  is Modbus data address N (counted from 0, as in the request; mbpoll -0). An address that no
  mapping holds, and a write to a register that is only received, answer exception 02.
  A register's value is (frame byte chosen as high part) x 256 + (byte chosen as low part);
  "None", and a byte beyond the frame's Dimension, count as 0.

CAN:
  A received frame whose identifier and format (11 or 29 bits) match a receive frame, with at
  least its Dimension bytes, sets that frame's registers; a shorter one is logged and not
  applied. A receive frame with a TimeOut that sees no frame for that long becomes stale.
  Each transmit frame has a buffer of Dimension bytes, zero at the start. A Modbus write sets
  the mapped bytes; the frame is sent at once when the mapping has "send on write", or when the
  frame has Data Change and its bytes changed; a frame with a Send Timer is sent every period.

Options:
  --listen ADDR:PORT      Modbus TCP address (default 127.0.0.1 and bank1's TCP port; PORT 0
                          takes a free port, printed at the start). Ports below 1024 need
                          privileges: --listen 127.0.0.1:1502
  --can PLUGIN:INTERFACE  the CAN bus (default virtualcan:can0; socketcan:can0 for a real
                          adapter; virtualcan:tcp://127.0.0.1:PORT/can0 for a virtual bus of
                          its own). The bit rate comes from bank1 where the plugin takes one.
  --unit N                answer only unit identifier N (default: every unit)
  --on-timeout keep|zero  what a stale receive frame's registers do (default keep)
  --watch                 read the pair again when its files change (as after an update); the
                          Modbus connections stay, a pair that does not hold together is
                          reported and the loaded one kept
  --json                  one JSON object a line instead of text
  -h, --help              print this text and exit
  --                      what follows are paths, even when they begin with "-"

Output:
  One line per event on standard output: loaded, listening, can-connected, frame-in (frame ->
  registers), frame-short, frame-ignored, write, frame-out, exception, timeout,
  client-connected, client-disconnected, reload, reload-refused, summary. SIGINT and SIGTERM
  end the emulator with a summary.

Exit status:
  0  ended by SIGINT or SIGTERM
  1  the pair could not be read or does not hold together (every problem on standard error),
     the Modbus port could not be opened, or the CAN bus could not be opened
  2  the command line was not understood
)";

void Print(FILE *to, const QString &text) { std::fputs(text.toUtf8().constData(), to); }

int Usage_Error(const QString &why)
{
    Print(stderr, QStringLiteral("qgw3310-emulator: %1\n").arg(why));
    Print(stderr, QString::fromLatin1(Usage_Text));
    Print(stderr, QStringLiteral("Try 'qgw3310-emulator --help' for more.\n"));
    return Exit_Usage;
}

// "127.0.0.1:1502", "[::1]:1502", "localhost:1502".
bool Parse_Listen(const QString &text, QHostAddress &address, quint16 &port)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost")) host = QStringLiteral("127.0.0.1");
    bool ok = false;
    const uint p = text.mid(colon + 1).toUInt(&ok, 10);
    if (!ok || p > 65535 || !address.setAddress(host)) return false;
    port = quint16(p);
    return true;
}


}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Quiet_Can_Plugins();
    QStringList args = app.arguments().mid(1);
    for (const QString &arg : args) {
        if (arg == QLatin1String("--")) break;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            Print(stdout, QString::fromLatin1(Usage_Text) + QString::fromLatin1(Help_Text));
            return Exit_Done;
        }
    }

    const Command_Line line =
        Read_Command_Line(args, {QStringLiteral("--listen"), QStringLiteral("--can"), QStringLiteral("--unit"),
                                 QStringLiteral("--on-timeout")},
                          {QStringLiteral("--watch"), QStringLiteral("--json")});
    if (!line.Error.isEmpty()) return Usage_Error(line.Error);
    const QStringList &paths = line.Words;
    Emulator_Options options;
    options.Watch = line.Flags.contains(QStringLiteral("--watch"));
    options.Json = line.Flags.contains(QStringLiteral("--json"));
    if (line.Values.contains(QStringLiteral("--listen"))) {
        const QString value = line.Values.value(QStringLiteral("--listen"));
        QHostAddress address;
        quint16 port = 0;
        if (!Parse_Listen(value, address, port))
            return Usage_Error(QStringLiteral("--listen takes ADDRESS:PORT, for example 127.0.0.1:1502, not '%1'").arg(value));
        options.Listen_Address = address;
        options.Listen_Port = port;
    }
    if (line.Values.contains(QStringLiteral("--can"))) {
        QString error;
        const std::optional<Can_Interface> bus = Parse_Can_Interface(line.Values.value(QStringLiteral("--can")), &error);
        if (!bus) return Usage_Error(error);
        options.Can = *bus;
    }
    if (line.Values.contains(QStringLiteral("--unit"))) {
        const QString value = line.Values.value(QStringLiteral("--unit"));
        bool ok = false;
        const uint unit = value.toUInt(&ok, 10);
        if (!ok || unit > 255) return Usage_Error(QStringLiteral("--unit takes 0 to 255, not '%1'").arg(value));
        options.Unit = uint8_t(unit);
    }
    if (line.Values.contains(QStringLiteral("--on-timeout"))) {
        const QString value = line.Values.value(QStringLiteral("--on-timeout"));
        if (value == QLatin1String("keep"))
            options.Timeout_Policy = On_Timeout::Keep;
        else if (value == QLatin1String("zero"))
            options.Timeout_Policy = On_Timeout::Zero;
        else
            return Usage_Error(QStringLiteral("--on-timeout takes keep or zero, not '%1'").arg(value));
    }

    if (paths.size() == 1) {
        if (!QFileInfo(paths[0]).isDir()) {
            Print(stderr, QStringLiteral("qgw3310-emulator: %1: no such configuration folder\n").arg(paths[0]));
            return Exit_Error;
        }
        const Project_Paths p = Project_Paths_In(QDir::cleanPath(paths[0]));
        options.Bank1 = p.Bank1;
        options.Bank2 = p.Bank2;
    } else if (paths.size() == 2) {
        options.Bank1 = paths[0];
        options.Bank2 = paths[1];
    } else {
        return Usage_Error(paths.isEmpty() ? QStringLiteral("no configuration folder or image pair given")
                                           : QStringLiteral("give a configuration folder or the two image files"));
    }

    Image_Pair pair = Read_Image_Pair(options.Bank1, options.Bank2);
    if (!pair.Usable()) {
        for (const QString &p : pair.Problems) Print(stderr, QStringLiteral("qgw3310-emulator: %1\n").arg(p));
        Print(stderr, QStringLiteral("qgw3310-emulator: the images do not hold together (%1 problem(s)): not run\n")
                          .arg(pair.Problems.size()));
        return Exit_Error;
    }

    Emulator emulator(options, std::move(pair));

    if (!Quit_On_Signals([&emulator] { emulator.Stop(); })) {
        Print(stderr, QStringLiteral("qgw3310-emulator: cannot set up signal handling\n"));
        return Exit_Error;
    }

    if (!emulator.Start()) return Exit_Error;
    return app.exec();
}
