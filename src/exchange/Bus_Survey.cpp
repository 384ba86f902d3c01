#include "exchange/Bus_Survey.h"

#include "platform/Core_Text.h"
#include "platform/Xml_Document.h"

#include <QSet>
#include <cmath>

namespace {

QString Format_Name(bool extended) { return extended ? QStringLiteral("29-bit") : QStringLiteral("11-bit"); }

QString Lengths_Text(const Ident_Traffic &t)
{
    QStringList out;
    for (int l : t.Lengths()) out << QString::number(l);
    return out.join(QStringLiteral(", "));
}

uint32_t Key(uint32_t id, bool extended) { return id | (extended ? 0x80000000u : 0u); }

const Ident_Traffic *Seen(const Bus_Traffic &traffic, uint32_t id, bool extended)
{
    const Ident_Traffic *t = traffic.Find(id, extended);
    return t && t->Count > 0 ? t : nullptr;
}

// The Cob-ID's digits read in the other base: decimal digits typed without a prefix read as
// hexadecimal, hexadecimal digits typed with one read as decimal (where they are all decimal).
// The text the device reads is converted as the build converts it: leading blanks, an optional
// "+", a prefix "$", "x", "X", "0x" or "0X" for hexadecimal.
std::optional<std::pair<uint32_t, QString>> Other_Reading(const QString &text, bool extended)
{
    QStringView s(text);
    while (!s.isEmpty() && s.front() == u' ') s = s.mid(1);
    if (s.startsWith(u'+')) s = s.mid(1);
    bool hex = false;
    for (const char *prefix : {"0x", "0X", "$", "x", "X"}) {
        if (s.startsWith(QLatin1String(prefix))) {
            s = s.mid(qsizetype(std::strlen(prefix)));
            hex = true;
            break;
        }
    }
    if (s.isEmpty() || s.size() > 10) return std::nullopt;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return std::nullopt;
    bool ok = false;
    const qulonglong value = s.toULongLong(&ok, hex ? 10 : 16);
    if (!ok || value > (extended ? Max_Extended_Id : Max_Standard_Id)) return std::nullopt;
    const QString meant = hex ? s.toString() : QStringLiteral("0x") + s.toString();
    return std::pair{uint32_t(value), meant};
}

}  // namespace

QString Frame_Text(uint32_t id, bool extended) { return Identifier_Hex(id, extended) + QLatin1Char(' ') + Format_Name(extended); }

uint32_t Suggested_Timeout_Ms(int64_t max_gap_us, double factor)
{
    const double ms = std::ceil(double(max_gap_us) * factor / 1000.0);
    return uint32_t(std::clamp(ms, 1.0, 4294967295.0));
}

QList<Survey_Finding> Survey_Bus(const Configured_Frame_Lists &config, const Bus_Traffic &traffic,
                                 const Survey_Source &source)
{
    QList<Survey_Finding> out;
    auto add = [&out](Check_Severity severity, const char *code, const QString &file, int row, const QString &frame,
                      const QString &message, std::optional<uint32_t> timeout = std::nullopt) {
        out.append({severity, QString::fromLatin1(code), file, row, frame, message, timeout});
    };

    // The recording itself.
    for (const Log_Bad_Line &bad : source.Log.Bad_Lines)
        add(Check_Severity::Warning, "bad-log-line", source.Log_File, int(bad.Line), {}, bad.Reason);
    if (source.Log.Bad_Line_Count > source.Log.Bad_Lines.size())
        add(Check_Severity::Warning, "bad-log-line", source.Log_File, 0, {},
            Core_Text("%1 more lines that are no frame").arg(source.Log.Bad_Line_Count - source.Log.Bad_Lines.size()));
    if (traffic.Channel().isEmpty() && traffic.Channels().size() > 1) {
        QStringList names;
        for (const QByteArray &c : traffic.Channels()) names << QString::fromUtf8(c);
        add(Check_Severity::Error, "several-buses", source.Log_File, 0, {},
            Core_Text("the log holds the frames of several interfaces (%1): choose one").arg(names.join(QStringLiteral(", "))));
    }
    if (traffic.Other_Channel_Frames() > 0)
        add(Check_Severity::Info, "other-bus-frames", source.Log_File, 0, {},
            Core_Text("%1 frames of other interfaces left out").arg(traffic.Other_Channel_Frames()));
    qint64 data_frames = 0;
    for (const Ident_Traffic &t : traffic.Identifiers()) data_frames += t.Count;
    if (data_frames == 0 && traffic.Untracked_Frames() == 0) {
        if (source.Error_Frames > 0)
            add(Check_Severity::Error, "no-traffic", source.Log_File, 0, {},
                Core_Text("no CAN data frame, but %1 error frames: is the bit rate right?").arg(source.Error_Frames));
        else
            add(Check_Severity::Error, "no-traffic", source.Log_File, 0, {}, Core_Text("no CAN data frame"));
    } else if (source.Error_Frames > 0) {
        add(Check_Severity::Warning, "error-frames", source.Log_File, 0, {},
            Core_Text("%1 error frames on the bus: a wrong bit rate or a missing terminator?").arg(source.Error_Frames));
    }
    if (source.Fd_Frames > 0)
        add(Check_Severity::Info, "fd-frames", source.Log_File, 0, {},
            Core_Text("%1 CAN FD frames left out: the converter takes classic CAN frames only").arg(source.Fd_Frames));
    if (traffic.Untracked_Frames() > 0)
        add(Check_Severity::Warning, "too-many-identifiers", source.Log_File, 0, {},
            Core_Text("more than %1 identifiers: %2 frames of further ones are only counted")
                .arg(Max_Tracked_Identifiers)
                .arg(traffic.Untracked_Frames()));

    // The receive frames.
    QSet<uint32_t> explained;  // identifiers a receive frame's finding already names
    QSet<uint32_t> taken;      // identifiers a receive frame takes
    for (const Configured_Frame &f : config.Receive) {
        const QString frame = Frame_Text(f.Id, f.Extended);
        const QString &file = config.Receive_File;
        const Ident_Traffic *t = Seen(traffic, f.Id, f.Extended);
        if (!t) {
            if (Seen(traffic, f.Id, !f.Extended)) {
                explained.insert(Key(f.Id, !f.Extended));
                add(Check_Severity::Error, "other-format", file, f.Row, frame,
                    Core_Text("configured as %1, but the bus carries this identifier as %2 only")
                        .arg(Format_Name(f.Extended), Format_Name(!f.Extended)));
                continue;
            }
            const std::optional<std::pair<uint32_t, QString>> other = Other_Reading(f.CobID_Text, f.Extended);
            if (other && other->first != f.Id && Seen(traffic, other->first, f.Extended)) {
                explained.insert(Key(other->first, f.Extended));
                add(Check_Severity::Error, "typing-trap", file, f.Row, frame,
                    Core_Text("Cob-ID \"%1\" is read as %2, which the bus never carries; it carries %3: was \"%4\" meant?")
                        .arg(f.CobID_Text, Identifier_Hex(f.Id, f.Extended), Identifier_Hex(other->first, f.Extended),
                             other->second));
                continue;
            }
            add(Check_Severity::Warning, "receive-never-seen", file, f.Row, frame, Core_Text("never seen on the bus"));
            continue;
        }
        taken.insert(Key(f.Id, f.Extended));
        qint64 shorter = 0;
        for (int l = 0; l <= Max_Can_Data && l < f.Dimension; ++l) shorter += t->By_Length[size_t(l)];
        if (shorter > 0)
            add(Check_Severity::Error, "shorter-than-dimension", file, f.Row, frame,
                Core_Text("%1 of %2 frames are shorter than the Dimension %3 (lengths seen: %4): the device ignores them")
                    .arg(shorter)
                    .arg(t->Count)
                    .arg(f.Dimension)
                    .arg(Lengths_Text(*t)));
        if (t->Gaps > 0) {
            const uint32_t suggested = Suggested_Timeout_Ms(t->Max_Gap_Us);
            if (f.Time_Out == 0)
                add(Check_Severity::Warning, "timeout-zero", file, f.Row, frame,
                    Core_Text("TimeOut 0: the registers keep their last value when the frame stops (largest gap "
                              "%1); suggested TimeOut %2 ms")
                        .arg(Milliseconds_Text(t->Max_Gap_Us))
                        .arg(suggested),
                    suggested);
            else if (t->Max_Gap_Us >= int64_t(f.Time_Out) * 1000)
                add(Check_Severity::Error, "timeout-too-short", file, f.Row, frame,
                    Core_Text("TimeOut %1 ms, but frames came up to %2 apart: the registers go stale between "
                              "frames; suggested TimeOut %3 ms")
                        .arg(f.Time_Out)
                        .arg(Milliseconds_Text(t->Max_Gap_Us))
                        .arg(suggested),
                    suggested);
        }
    }

    // The transmit frames: the converter is to be their only sender.
    for (const Configured_Frame &f : config.Transmit) {
        const Ident_Traffic *t = Seen(traffic, f.Id, f.Extended);
        if (!t) continue;
        taken.insert(Key(f.Id, f.Extended));
        const std::optional<int64_t> cycle = t->Median_Gap_Us();
        add(Check_Severity::Error, "transmit-already-sent", config.Transmit_File, f.Row, Frame_Text(f.Id, f.Extended),
            Core_Text("another node already sends this identifier (%1 frames, cycle %2): two senders of one identifier")
                .arg(t->Count)
                .arg(cycle ? Milliseconds_Text(*cycle) : QStringLiteral("-")));
    }

    // What the bus carries that no frame of the configuration takes.
    for (const Ident_Traffic *t : traffic.Sorted()) {
        if (t->Count == 0 || taken.contains(Key(t->Id, t->Extended)) || explained.contains(Key(t->Id, t->Extended)))
            continue;
        const std::optional<int64_t> cycle = t->Median_Gap_Us();
        const QString message =
            cycle ? Core_Text("seen %1 times, %2 bytes, cycle %3 (%4 to %5); no receive frame takes it")
                        .arg(t->Count)
                        .arg(Lengths_Text(*t), Milliseconds_Text(*cycle), Milliseconds_Text(t->Min_Gap_Us),
                             Milliseconds_Text(t->Max_Gap_Us))
                  : Core_Text("seen once, %1 bytes; no receive frame takes it").arg(Lengths_Text(*t));
        add(Check_Severity::Info, "not-configured", {}, 0, Frame_Text(t->Id, t->Extended), message);
    }
    return out;
}

Check_Summary Summarize(const QList<Survey_Finding> &findings)
{
    Check_Summary s;
    for (const Survey_Finding &f : findings) {
        switch (f.Severity) {
        case Check_Severity::Error: ++s.Errors; break;
        case Check_Severity::Warning: ++s.Warnings; break;
        case Check_Severity::Info: ++s.Infos; break;
        }
    }
    return s;
}

std::unique_ptr<Log_Survey> Survey_Log(const Project_Paths &paths, const QString &log, const QByteArray &channel)
{
    auto s = std::make_unique<Log_Survey>();
    s->Traffic = Bus_Traffic(channel);
    try {
        s->Config = Configured_Frames(paths);
    } catch (const Xml_Error &e) {
        s->Config_Error = e.Text();
        return s;
    }
    Bus_Traffic &traffic = s->Traffic;
    s->Source.Log_File = log;
    s->Source.Log = Read_Can_Log_File(log, [&traffic](const Log_Frame &f) { traffic.Add(f); });
    s->Source.Error_Frames = s->Source.Log.Error_Frames;
    s->Source.Fd_Frames = s->Source.Log.Fd_Frames;
    if (!s->Source.Log.Error.isEmpty()) {
        s->Log_Error = s->Source.Log.Error;
        return s;
    }
    if (!channel.isEmpty() && !traffic.Channels().contains(channel)) {
        QStringList names;
        for (const QByteArray &c : traffic.Channels()) names << QString::fromUtf8(c);
        s->Log_Error = Core_Text("%1: no frame of interface \"%2\" (the log holds: %3)")
                           .arg(log, QString::fromUtf8(channel), names.join(QStringLiteral(", ")));
        return s;
    }
    s->Findings = Survey_Bus(s->Config, traffic, s->Source);
    return s;
}
