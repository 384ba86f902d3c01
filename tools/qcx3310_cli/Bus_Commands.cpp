#include "Bus_Commands.h"

#include "Can_Port.h"
#include "Command_Line.h"
#include "Event_Loop.h"
#include "Quit_Signals.h"

#include "config/Project_Files.h"
#include "editing/Frame_List.h"
#include "exchange/Bus_Learn.h"
#include "exchange/Bus_Survey.h"
#include "exchange/Log_Replay.h"
#include "platform/Xml_Document.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>
#include <climits>
#include <cstdio>

namespace {

constexpr int Exit_Done = 0;
constexpr int Exit_Error = 1;
constexpr int Exit_Usage = 2;

void Print(FILE *to, const QString &text)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fflush(to);
}

int Usage(const QString &command, const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli %1: %2\nTry 'qcx3310-cli --help' for more.\n").arg(command, why));
    return Exit_Usage;
}

int Fail(const QString &command, const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli %1: %2\n").arg(command, why));
    return Exit_Error;
}

QString Native(const QString &path) { return QDir::toNativeSeparators(path); }

// Where the traffic comes from: a log, or a live bus for some seconds.
struct Traffic_Options {
    QString Log;
    std::optional<Can_Interface> Bus;
    qint64 Seconds = 0;
    QByteArray Channel;
};

// Reads --log, --can, --seconds and --channel; the reason on a usage error.
std::optional<Traffic_Options> Read_Traffic_Options(const Command_Line &line, QString *error)
{
    Traffic_Options o;
    const bool log = line.Values.contains(QStringLiteral("--log"));
    const bool can = line.Values.contains(QStringLiteral("--can"));
    if (log == can) {
        *error = QStringLiteral("takes either --log FILE or --can PLUGIN:INTERFACE --seconds N");
        return std::nullopt;
    }
    if (log) {
        if (line.Values.contains(QStringLiteral("--seconds"))) {
            *error = QStringLiteral("--seconds goes with --can only");
            return std::nullopt;
        }
        o.Log = line.Values.value(QStringLiteral("--log"));
    } else {
        o.Bus = Parse_Can_Interface(line.Values.value(QStringLiteral("--can")), error);
        if (!o.Bus) return std::nullopt;
        bool ok = false;
        o.Seconds = line.Values.value(QStringLiteral("--seconds")).toLongLong(&ok, 10);
        if (!ok || o.Seconds < 1 || o.Seconds > INT_MAX / 1000) {
            *error = QStringLiteral("--can needs --seconds N, a whole number of seconds from 1 to %1").arg(INT_MAX / 1000);
            return std::nullopt;
        }
    }
    o.Channel = line.Values.value(QStringLiteral("--channel")).toUtf8();
    return o;
}

// Listens on a bus for some seconds (Ctrl+C ends it early) and hands each classic frame to sink;
// error and CAN FD frames are counted in source. Frames are timed by the adapter where it stamps
// them, otherwise when they are read (from the epoch, as a candump log is).
bool Listen(const QString &command, const Traffic_Options &o, const Log_Frame_Sink &sink, Survey_Source &source,
            QString *error)
{
    Event_Loop loop;
    Quiet_Can_Plugins();
    std::unique_ptr<QCanBusDevice> device = Create_Can_Device(*o.Bus, std::nullopt, error);
    if (!device) {
        *error = QStringLiteral("cannot open %1: %2").arg(o.Bus->Text(), *error);
        return false;
    }
    const QByteArray channel = o.Bus->Name.toUtf8();
    QElapsedTimer clock;
    clock.start();
    const int64_t start_epoch_us = QDateTime::currentMSecsSinceEpoch() * 1000;
    std::optional<bool> adapter_times;
    bool done = false;
    QString failure;
    auto finish = [&](const QString &why) {
        if (done) return;
        done = true;
        failure = why;
        QCoreApplication::exit();
    };
    QObject::connect(device.get(), &QCanBusDevice::stateChanged, [&](QCanBusDevice::CanBusDeviceState state) {
        if (state == QCanBusDevice::ConnectedState) {
            Print(stderr, QStringLiteral("qcx3310-cli %1: listening on %2 for %3 s\n").arg(command, o.Bus->Text()).arg(o.Seconds));
            QTimer::singleShot(int(o.Seconds * 1000), [&] { finish({}); });
        } else if (state == QCanBusDevice::UnconnectedState) {
            finish(QStringLiteral("%1: the bus went away").arg(o.Bus->Text()));
        }
    });
    QObject::connect(device.get(), &QCanBusDevice::framesReceived, [&] {
        while (!done && device->framesAvailable()) {
            const QCanBusFrame q = device->readFrame();
            if (q.frameType() == QCanBusFrame::ErrorFrame) {
                ++source.Error_Frames;
                continue;
            }
            if (q.hasFlexibleDataRateFormat()) {
                ++source.Fd_Frames;
                continue;
            }
            const std::optional<Can_Frame> f = From_Qt_Frame(q);
            if (!f) continue;
            const QCanBusFrame::TimeStamp stamp = q.timeStamp();
            const int64_t stamp_us = int64_t(stamp.seconds()) * 1000000 + stamp.microSeconds();
            if (!adapter_times) adapter_times = stamp_us != 0;
            Log_Frame lf;
            lf.Time_Us = *adapter_times ? stamp_us : start_epoch_us + clock.nsecsElapsed() / 1000;
            lf.Id = f->Id;
            lf.Extended = f->Extended;
            lf.Remote = f->Remote;
            lf.Length = uint8_t(qMin<qsizetype>(f->Data.size(), Max_Can_Data));
            if (!f->Remote) std::copy_n(reinterpret_cast<const uint8_t *>(f->Data.constData()), lf.Length, lf.Data.begin());
            lf.Channel = channel;
            sink(lf);
        }
    });
    QObject::connect(device.get(), &QCanBusDevice::errorOccurred, [&](QCanBusDevice::CanBusError e) {
        if (e != QCanBusDevice::NoError)
            Print(stderr, QStringLiteral("qcx3310-cli %1: %2: %3\n").arg(command, o.Bus->Text(), device->errorString()));
    });
    Quit_On_Signals([&] { done = true; });
    if (!device->connectDevice()) {
        *error = QStringLiteral("cannot open %1: %2").arg(o.Bus->Text(), device->errorString());
        return false;
    }
    QCoreApplication::exec();
    device->disconnect();
    device->disconnectDevice();
    if (!failure.isEmpty()) {
        *error = failure;
        return false;
    }
    return true;
}

// The traffic of a log or a live bus; false, and the reason, when it could not be read.
bool Record_Traffic(const QString &command, const Traffic_Options &o, Bus_Traffic &traffic, Survey_Source &source,
                    QString *error)
{
    if (o.Bus) return Listen(command, o, [&traffic](const Log_Frame &f) { traffic.Add(f); }, source, error);
    source.Log_File = o.Log;
    source.Log = Read_Can_Log_File(o.Log, [&traffic](const Log_Frame &f) { traffic.Add(f); });
    source.Error_Frames = source.Log.Error_Frames;
    source.Fd_Frames = source.Log.Fd_Frames;
    if (!source.Log.Error.isEmpty()) {
        *error = Native(source.Log.Error);
        return false;
    }
    if (!o.Channel.isEmpty() && !traffic.Channels().contains(o.Channel)) {
        QStringList names;
        for (const QByteArray &c : traffic.Channels()) names << QString::fromUtf8(c);
        *error = QStringLiteral("%1: no frame of interface '%2' (the log holds: %3)")
                     .arg(Native(o.Log), QString::fromUtf8(o.Channel), names.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

QString Hex_Bytes(const QByteArray &bytes) { return QString::fromLatin1(bytes.toHex()).toUpper(); }

QString Traffic_Listing(const Bus_Traffic &traffic, const Survey_Source &source, const QString &from)
{
    QString out;
    const QString kind = source.Log_File.isEmpty() ? QStringLiteral("live bus") : Can_Log_Format_Name(source.Log.Format);
    out += QStringLiteral("traffic: %1 (%2), %3 frame(s), %4 identifier(s), %5 s\n")
               .arg(from, kind)
               .arg(traffic.Frames())
               .arg(traffic.Identifiers().size())
               .arg(QString::number(double(traffic.Last_Us() - traffic.First_Us()) / 1e6, 'f', 3));
    for (const Ident_Traffic *t : traffic.Sorted()) {
        QStringList lengths;
        for (int l : t->Lengths()) lengths << QString::number(l);
        QString line = QStringLiteral("  %1 %2  %3 frame(s)").arg(Identifier_Hex(t->Id, t->Extended), -10)
                           .arg(t->Extended ? QStringLiteral("29-bit") : QStringLiteral("11-bit"))
                           .arg(t->Count);
        if (t->Remote_Count > 0) line += QStringLiteral(", %1 remote request(s)").arg(t->Remote_Count);
        if (t->Count > 0) line += QStringLiteral("  length %1").arg(lengths.join(QLatin1Char(',')));
        if (const std::optional<int64_t> cycle = t->Median_Gap_Us())
            line += QStringLiteral("  cycle %1 (%2 to %3)")
                        .arg(Milliseconds_Text(*cycle), Milliseconds_Text(t->Min_Gap_Us), Milliseconds_Text(t->Max_Gap_Us));
        if (t->Count > 0) line += QStringLiteral("  last %1").arg(t->Last_Length ? Hex_Bytes(t->Last_Payload()) : QStringLiteral("-"));
        out += line + QLatin1Char('\n');
    }
    return out;
}

QJsonObject Traffic_Json(const Bus_Traffic &traffic, const Survey_Source &source, const QString &from)
{
    QJsonArray idents;
    for (const Ident_Traffic *t : traffic.Sorted()) {
        QJsonObject o{{"identifier", Identifier_Hex(t->Id, t->Extended)},
                      {"id", qint64(t->Id)},
                      {"extended", t->Extended},
                      {"count", t->Count},
                      {"remote", t->Remote_Count}};
        QJsonArray lengths;
        for (int l : t->Lengths()) lengths.append(l);
        o.insert("lengths", lengths);
        if (const std::optional<int64_t> cycle = t->Median_Gap_Us())
            o.insert("cycle_ms", QJsonObject{{"median", double(*cycle) / 1000.0},
                                             {"min", double(t->Min_Gap_Us) / 1000.0},
                                             {"max", double(t->Max_Gap_Us) / 1000.0}});
        if (t->Count > 0) o.insert("last_payload", Hex_Bytes(t->Last_Payload()));
        idents.append(o);
    }
    return QJsonObject{{"source", from},
                       {"format", source.Log_File.isEmpty() ? QStringLiteral("live") : Can_Log_Format_Name(source.Log.Format)},
                       {"frames", traffic.Frames()},
                       {"error_frames", source.Error_Frames},
                       {"fd_frames", source.Fd_Frames},
                       {"duration_ms", double(traffic.Last_Us() - traffic.First_Us()) / 1000.0},
                       {"identifiers", idents}};
}

QString Source_Name(const Traffic_Options &o) { return o.Bus ? o.Bus->Text() : Native(o.Log); }

}  // namespace

int Survey(const QStringList &args)
{
    const QString command = QStringLiteral("survey");
    const Command_Line line =
        Read_Command_Line(args, {"--log", "--can", "--seconds", "--channel"}, {QStringLiteral("--json")});
    if (!line.Error.isEmpty()) return Usage(command, line.Error);
    if (line.Words.size() != 1) return Usage(command, QStringLiteral("takes one configuration folder"));
    QString error;
    const std::optional<Traffic_Options> o = Read_Traffic_Options(line, &error);
    if (!o) return Usage(command, error);
    const QString dir = QDir::cleanPath(line.Words[0]);
    if (!QFileInfo(dir).isDir()) return Fail(command, QStringLiteral("%1: no such configuration folder").arg(Native(line.Words[0])));

    // The configuration first: a folder the build refuses is told before the bus is listened to.
    std::unique_ptr<Log_Survey> survey;
    if (o->Bus) {
        survey = std::make_unique<Log_Survey>();
        try {
            survey->Config = Configured_Frames(Project_Paths_In(dir));
        } catch (const Xml_Error &e) {
            return Fail(command, Native(e.Text()));
        }
        survey->Traffic = Bus_Traffic(o->Channel);
        Bus_Traffic &traffic = survey->Traffic;
        if (!Listen(command, *o, [&traffic](const Log_Frame &f) { traffic.Add(f); }, survey->Source, &error))
            return Fail(command, error);
        survey->Findings = Survey_Bus(survey->Config, survey->Traffic, survey->Source);
    } else {
        survey = Survey_Log(Project_Paths_In(dir), o->Log, o->Channel);
        if (!survey->Config_Error.isEmpty()) return Fail(command, Native(survey->Config_Error));
        if (!survey->Log_Error.isEmpty()) return Fail(command, Native(survey->Log_Error));
    }
    const Bus_Traffic &traffic = survey->Traffic;
    const Survey_Source &source = survey->Source;
    const QList<Survey_Finding> &findings = survey->Findings;
    const Check_Summary summary = Summarize(findings);
    if (line.Flags.contains(QStringLiteral("--json"))) {
        QJsonArray list;
        for (const Survey_Finding &f : findings) {
            QJsonObject o{{"severity", Severity_Name(f.Severity)},
                          {"code", f.Code},
                          {"file", Native(f.File)},
                          {"row", f.Row},
                          {"frame", f.Frame},
                          {"message", f.Message}};
            if (f.Suggested_Timeout_Ms) o.insert("suggested_timeout", qint64(*f.Suggested_Timeout_Ms));
            list.append(o);
        }
        const QJsonObject counts{{"errors", summary.Errors}, {"warnings", summary.Warnings}, {"infos", summary.Infos}};
        Print(stdout, QString::fromUtf8(QJsonDocument(QJsonObject{{"findings", list},
                                                                  {"summary", counts},
                                                                  {"traffic", Traffic_Json(traffic, source, Source_Name(*o))}})
                                            .toJson(QJsonDocument::Indented)));
    } else {
        QString out = Traffic_Listing(traffic, source, Source_Name(*o));
        for (const Survey_Finding &f : findings) {
            QStringList parts{Severity_Name(f.Severity)};
            if (!f.File.isEmpty()) parts << (f.Row > 0 ? QStringLiteral("%1:%2").arg(Native(f.File)).arg(f.Row) : Native(f.File));
            if (!f.Frame.isEmpty()) parts << f.Frame;
            parts << f.Message;
            out += parts.join(QStringLiteral(": ")) + QLatin1Char('\n');
        }
        out += QStringLiteral("%1 error(s), %2 warning(s), %3 info\n").arg(summary.Errors).arg(summary.Warnings).arg(summary.Infos);
        Print(stdout, out);
    }
    return summary.Errors > 0 ? Exit_Error : Exit_Done;
}

int Learn(const QStringList &args)
{
    const QString command = QStringLiteral("learn");
    const Command_Line line = Read_Command_Line(args, {"--log", "--can", "--seconds", "--channel", "--ids", "--timeout-factor"});
    if (!line.Error.isEmpty()) return Usage(command, line.Error);
    if (line.Words.size() != 1) return Usage(command, QStringLiteral("takes one configuration folder"));
    QString error;
    const std::optional<Traffic_Options> o = Read_Traffic_Options(line, &error);
    if (!o) return Usage(command, error);
    double factor = Default_Learn_Timeout_Factor;
    if (line.Values.contains(QStringLiteral("--timeout-factor"))) {
        bool ok = false;
        factor = line.Values.value(QStringLiteral("--timeout-factor")).toDouble(&ok);
        if (!ok || !(factor > 0) || factor > 1000) return Usage(command, QStringLiteral("--timeout-factor takes a number above 0, up to 1000"));
    }
    // Identifiers: hexadecimal after 0x, decimal otherwise; a number names it in either format.
    std::optional<QList<uint32_t>> ids;
    if (line.Values.contains(QStringLiteral("--ids"))) {
        ids.emplace();
        for (const QString &raw : line.Values.value(QStringLiteral("--ids")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString t = raw.trimmed();
            bool ok = false;
            const qulonglong v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toULongLong(&ok, 16) : t.toULongLong(&ok, 10);
            if (!ok || v > Max_Extended_Id) return Usage(command, QStringLiteral("--ids: '%1' is no CAN identifier").arg(t));
            ids->append(uint32_t(v));
        }
        if (ids->isEmpty()) return Usage(command, QStringLiteral("--ids names no identifier"));
    }
    const QString dir = QDir::cleanPath(line.Words[0]);
    if (!QFileInfo(dir).isDir()) return Fail(command, QStringLiteral("%1: no such configuration folder").arg(Native(line.Words[0])));

    const Project_Paths paths = Project_Paths_In(dir);
    try {
        const QString frame_path = paths.Frame_File(Direction::Receive);
        const QString map_path = paths.Map_File(Direction::Receive);
        const Frame_Grid grid = Read_Frame_Grid(frame_path, Direction::Receive);
        Bus_Traffic traffic(o->Channel);
        Survey_Source source;
        if (!Record_Traffic(command, *o, traffic, source, &error)) return Fail(command, error);
        if (o->Channel.isEmpty() && traffic.Channels().size() > 1)
            return Fail(command, QStringLiteral("%1 holds the frames of several interfaces: choose one with --channel").arg(Source_Name(*o)));
        QList<Seen_Frame> seen = Seen_Frames(traffic);
        if (ids) {
            QList<Seen_Frame> chosen;
            for (uint32_t id : *ids) {
                bool found = false;
                for (const Seen_Frame &f : seen)
                    if (f.Id == id) {
                        chosen << f;
                        found = true;
                    }
                if (!found) return Fail(command, QStringLiteral("0x%1 was not seen on the bus").arg(QString::number(id, 16).toUpper()));
            }
            seen = chosen;
        }
        const Frame_Import learned = Learn_Frames(grid, seen, factor);
        if (const std::optional<Frame_Fault> fault = Check_Frames(Direction::Receive, learned.Grid))
            return Fail(command, QStringLiteral("%1: row %2 does not pass the frame list's checks; correct it in the editor first")
                                     .arg(Native(frame_path))
                                     .arg(fault->Row));
        const Frame_List_Save save = Plan_Frame_List_Save(learned.Grid, int(Pack_Entries(grid).size()), map_path);
        if (!learned.Added.isEmpty()) Commit_Frame_List_Save(save, Direction::Receive, frame_path, map_path);
        QString report = QStringLiteral("receive: %1 frame(s) added to %2\n").arg(learned.Added.size()).arg(Native(frame_path));
        for (int i = 0; i < learned.Added.size(); ++i) {
            const Frame_Row &r = learned.Grid[learned.Added_Rows[i] - 1];
            report += QStringLiteral("  frame row %1: %2 %3, Dimension %4, TimeOut %5 ms\n")
                          .arg(learned.Added_Rows[i])
                          .arg(r.CobID, r.Type, r.Dimension, r.TimeOut);
        }
        for (const Import_Note &n : learned.Skipped) report += QStringLiteral("  skipped %1: %2\n").arg(n.Name, n.Reason);
        Print(stdout, report);
    } catch (const Xml_Error &e) {
        return Fail(command, Native(e.Text()));
    }
    return Exit_Done;
}

int Can_Play(const QStringList &args)
{
    const QString command = QStringLiteral("can-play");
    const Command_Line line = Read_Command_Line(args, {"--speed", "--channel"}, {QStringLiteral("--loop")});
    if (!line.Error.isEmpty()) return Usage(command, line.Error);
    if (line.Words.size() != 2) return Usage(command, QStringLiteral("takes LOG INTERFACE, for example recording.log virtualcan:can0"));
    double speed = 1.0;
    if (line.Values.contains(QStringLiteral("--speed"))) {
        bool ok = false;
        speed = line.Values.value(QStringLiteral("--speed")).toDouble(&ok);
        if (!ok || !(speed > 0) || speed > 1e6) return Usage(command, QStringLiteral("--speed takes a number above 0, for example 2 or 0.5"));
    }
    QString error;
    const std::optional<Can_Interface> bus = Parse_Can_Interface(line.Words[1], &error);
    if (!bus) return Usage(command, error);

    Log_Replay replay(line.Words[0], speed, line.Flags.contains(QStringLiteral("--loop")), line.Values.value(QStringLiteral("--channel")).toUtf8());
    Event_Loop loop;
    Quiet_Can_Plugins();
    const bool others = Bus_Has_Others(*bus);
    std::unique_ptr<QCanBusDevice> device = Create_Can_Device(*bus, std::nullopt, &error);
    if (!device) return Fail(command, QStringLiteral("cannot open %1: %2").arg(bus->Text(), error));

    // The writer's queue is kept short, so the frames leave when they are due and not in a burst.
    constexpr int Batch = 256;
    constexpr qint64 Queue_Limit = 1024;
    QElapsedTimer clock;
    QString failure;
    bool finishing = false;
    auto let_go = [&] {
        if (finishing && device->framesToWrite() == 0 && device->state() == QCanBusDevice::ConnectedState) device->disconnectDevice();
    };
    std::function<void()> pump = [&] {
        if (finishing) return;
        if (device->framesToWrite() > Queue_Limit) {
            QTimer::singleShot(1, pump);
            return;
        }
        const QList<Can_Frame> due = replay.Due(clock.elapsed(), Batch);
        for (const Can_Frame &f : due) {
            if (!device->writeFrame(To_Qt_Frame(f))) {
                failure = QStringLiteral("%1 refused a frame: %2").arg(bus->Text(), device->errorString());
                finishing = true;
                device->disconnectDevice();
                return;
            }
        }
        const std::optional<qint64> wait = replay.Wait_Ms(clock.elapsed());
        if (!wait) {
            finishing = true;
            let_go();
            return;
        }
        QTimer::singleShot(int(qMin<qint64>(*wait, 1000)), Qt::PreciseTimer, pump);
    };
    QObject::connect(device.get(), &QCanBusDevice::stateChanged, [&](QCanBusDevice::CanBusDeviceState state) {
        if (state == QCanBusDevice::ConnectedState) {
            clock.start();
            if (!replay.Start(clock.elapsed(), &error)) {
                failure = Native(error);
                finishing = true;
                device->disconnectDevice();
                return;
            }
            Print(stderr, QStringLiteral("qcx3310-cli can-play: playing %1 on %2\n").arg(Native(line.Words[0]), bus->Text()));
            pump();
        } else if (state == QCanBusDevice::UnconnectedState) {
            if (!finishing && failure.isEmpty()) failure = QStringLiteral("%1: the bus went away").arg(bus->Text());
            QCoreApplication::exit();
        }
    });
    QObject::connect(device.get(), &QCanBusDevice::framesWritten, let_go);
    QObject::connect(device.get(), &QCanBusDevice::errorOccurred, [&](QCanBusDevice::CanBusError e) {
        if (e != QCanBusDevice::NoError && failure.isEmpty()) failure = QStringLiteral("%1: %2").arg(bus->Text(), device->errorString());
    });
    // Ctrl+C ends the play after the frames already handed to the bus.
    Quit_On_Signals([&] { finishing = true; });
    if (!device->connectDevice()) return Fail(command, QStringLiteral("cannot open %1: %2").arg(bus->Text(), device->errorString()));
    QCoreApplication::exec();
    const Can_Log_Result &r = replay.Result();
    for (const Log_Bad_Line &bad : r.Bad_Lines)
        Print(stderr, QStringLiteral("qcx3310-cli can-play: %1:%2: %3\n").arg(Native(line.Words[0])).arg(bad.Line).arg(bad.Reason));
    if (!failure.isEmpty()) return Fail(command, failure);
    Print(stderr, QStringLiteral("qcx3310-cli can-play: %1 frame(s) played on %2\n").arg(replay.Played()).arg(bus->Text()));
    if (!others)
        Print(stderr, QStringLiteral("qcx3310-cli can-play: no other program was on the virtual bus %1, so no one got "
                                     "the frames (start the emulator or can-dump first)\n")
                          .arg(bus->Text()));
    return Exit_Done;
}

int Can_Record(const QStringList &args)
{
    const QString command = QStringLiteral("can-record");
    const Command_Line line = Read_Command_Line(args, {"--seconds", "-o"});
    if (!line.Error.isEmpty()) return Usage(command, line.Error);
    if (line.Words.size() != 1) return Usage(command, QStringLiteral("takes one INTERFACE, for example socketcan:can0"));
    const QString out_path = line.Values.value(QStringLiteral("-o"));
    if (out_path.isEmpty()) return Usage(command, QStringLiteral("needs -o LOG, the file the recording goes to"));
    if (!line.Values.contains(QStringLiteral("--seconds")))
        return Usage(command, QStringLiteral("needs --seconds N, how long to record"));
    // The options as survey --can takes them, so that both read them alike.
    Command_Line as_survey;
    as_survey.Values.insert(QStringLiteral("--can"), line.Words[0]);
    as_survey.Values.insert(QStringLiteral("--seconds"), line.Values.value(QStringLiteral("--seconds")));
    QString error;
    const std::optional<Traffic_Options> o = Read_Traffic_Options(as_survey, &error);
    if (!o) return Usage(command, error);

    // The log is written whole or not at all: a recording cut by a full disk leaves no
    // half-file that a survey would read as the bus.
    QSaveFile out(out_path);
    if (!out.open(QIODevice::WriteOnly))
        return Fail(command, QStringLiteral("cannot write %1: %2").arg(Native(out_path), out.errorString()));
    const QByteArray channel = o->Bus->Name.toUtf8();
    qint64 frames = 0;
    Survey_Source source;
    const bool heard = Listen(command, *o, [&](const Log_Frame &f) {
        out.write(Candump_Log_Line(f, channel));
        ++frames;
    }, source, &error);
    if (!heard) {
        out.cancelWriting();
        return Fail(command, error);
    }
    if (!out.commit()) return Fail(command, QStringLiteral("cannot write %1: %2").arg(Native(out_path), out.errorString()));
    QString left_out;
    if (source.Error_Frames > 0) left_out += QStringLiteral(", %1 error frame(s) left out").arg(source.Error_Frames);
    if (source.Fd_Frames > 0) left_out += QStringLiteral(", %1 CAN FD frame(s) left out").arg(source.Fd_Frames);
    Print(stderr, QStringLiteral("qcx3310-cli %1: %2 frame(s) recorded in %3%4\n").arg(command).arg(frames).arg(Native(out_path), left_out));
    return Exit_Done;
}
