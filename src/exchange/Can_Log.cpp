#include "exchange/Can_Log.h"

#include "platform/Core_Text.h"
#include "platform/Safe_File.h"

#include <QFile>
#include <QIODevice>
#include <cstdio>
#include <cstring>
#include <vector>

Can_Frame To_Can_Frame(const Log_Frame &frame)
{
    Can_Frame out;
    out.Id = frame.Id;
    out.Extended = frame.Extended;
    out.Remote = frame.Remote;
    out.Data = frame.Remote ? QByteArray(frame.Length, '\0')
                            : QByteArray(reinterpret_cast<const char *>(frame.Data.data()), frame.Length);
    return out;
}

QString Can_Log_Format_Name(Can_Log_Format format)
{
    switch (format) {
    case Can_Log_Format::Candump: return QStringLiteral("candump log");
    case Can_Log_Format::Asc: return QStringLiteral("ASC");
    case Can_Log_Format::Unknown: break;
    }
    return QStringLiteral("unknown");
}

namespace {

constexpr uint32_t Can_Error_Flag = 0x20000000;  // candump writes error frames with this bit
constexpr uint32_t Asc_Fd_Flag = 0x1000;          // the ASC CAN FD line's flags: an FD frame (EDL)
constexpr uint32_t Asc_Remote_Flag = 0x10;        // ... a remote request
// Lines the reader takes before it must know the format: a file whose first lines are all bad
// is no CAN log, and reading on through it would only list its garbage.
constexpr int Max_Undecided_Lines = 100;

// A run of characters within a line, without copies.
struct Span {
    const char *Begin = nullptr;
    const char *End = nullptr;
    qsizetype Size() const { return End - Begin; }
    bool Empty() const { return Begin == End; }
    bool Is(QByteArrayView word) const { return QByteArrayView(Begin, Size()) == word; }
    bool Starts_With(QByteArrayView word) const { return QByteArrayView(Begin, Size()).startsWith(word); }
};

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Splits a line at blanks, up to max tokens (the rest is not looked at).
template <size_t N>
int Tokens(Span line, std::array<Span, N> &out)
{
    int n = 0;
    const char *p = line.Begin;
    while (p < line.End && size_t(n) < N) {
        while (p < line.End && Blank(*p)) ++p;
        if (p == line.End) break;
        const char *start = p;
        while (p < line.End && !Blank(*p)) ++p;
        out[size_t(n++)] = {start, p};
    }
    return n;
}

int Hex_Digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Parse_Number(Span s, int base, uint64_t max, uint64_t &value)
{
    if (s.Empty() || s.Size() > 20) return false;
    uint64_t v = 0;
    for (const char *p = s.Begin; p < s.End; ++p) {
        const int d = Hex_Digit(*p);
        if (d < 0 || d >= base) return false;
        v = v * uint64_t(base) + uint64_t(d);
        if (v > max) return false;
    }
    value = v;
    return true;
}

// "1436509052.249713" or "0.0100" as microseconds; digits beyond the sixth decimal are cut.
bool Parse_Seconds(Span s, int64_t &us)
{
    const char *p = s.Begin;
    int64_t whole = 0;
    int digits = 0;
    while (p < s.End && *p >= '0' && *p <= '9') {
        if (++digits > 12) return false;
        whole = whole * 10 + (*p++ - '0');
    }
    if (digits == 0) return false;
    int64_t frac = 0;
    int frac_digits = 0;
    if (p < s.End && *p == '.') {
        ++p;
        if (p == s.End) return false;
        while (p < s.End && *p >= '0' && *p <= '9') {
            if (frac_digits < 6) {
                frac = frac * 10 + (*p - '0');
                ++frac_digits;
            }
            ++p;
        }
    }
    if (p != s.End) return false;
    for (; frac_digits < 6; ++frac_digits) frac *= 10;
    us = whole * 1000000 + frac;
    return true;
}

enum class Line_Kind { Frame, Error_Frame, Fd_Frame, Other, Bad };

// can-utils' log line: "(SECONDS.FRACTION) INTERFACE ID#DATA", ID 3 hex digits (11-bit) or 8
// (29-bit, the error flag marking an error frame); DATA pairs of hex digits, dots allowed
// between them, optionally "_D" for the raw DLC of 8 bytes; "R" with an optional DLC for a
// remote request; "##" for CAN FD. Newer candump may add a direction ("R", "T") after it.
Line_Kind Parse_Candump(Span line, Log_Frame &f)
{
    std::array<Span, 5> t;
    const int n = Tokens(line, t);
    if (n < 3 || n > 4) return Line_Kind::Bad;
    if (n == 4 && !t[3].Is("R") && !t[3].Is("T")) return Line_Kind::Bad;
    const Span stamp = t[0];
    if (stamp.Size() < 3 || *stamp.Begin != '(' || *(stamp.End - 1) != ')') return Line_Kind::Bad;
    if (!Parse_Seconds({stamp.Begin + 1, stamp.End - 1}, f.Time_Us)) return Line_Kind::Bad;
    f.Channel = QByteArrayView(t[1].Begin, t[1].Size());

    const char *p = t[2].Begin;
    const char *end = t[2].End;
    const char *hash = p;
    while (hash < end && *hash != '#') ++hash;
    if (hash == end) return Line_Kind::Bad;
    const qsizetype id_digits = hash - p;
    uint64_t id = 0;
    if ((id_digits != 3 && id_digits != 8) || !Parse_Number({p, hash}, 16, 0xFFFFFFFF, id)) return Line_Kind::Bad;
    f.Extended = id_digits == 8;
    if (f.Extended && (id & Can_Error_Flag)) return Line_Kind::Error_Frame;
    if (f.Extended ? id > Max_Extended_Id : id > Max_Standard_Id) return Line_Kind::Bad;
    f.Id = uint32_t(id);
    p = hash + 1;
    if (p < end && *p == '#') return Line_Kind::Fd_Frame;
    f.Remote = false;
    f.Length = 0;
    if (p < end && (*p == 'R' || *p == 'r')) {
        f.Remote = true;
        ++p;
        if (p < end) {
            const int d = Hex_Digit(*p);
            if (d < 0 || d > Max_Can_Data || p + 1 != end) return Line_Kind::Bad;
            f.Length = uint8_t(d);
        }
        return Line_Kind::Frame;
    }
    while (p < end) {
        if (*p == '.') {
            ++p;
            continue;
        }
        if (*p == '_') {
            // The raw DLC (9 to F) of a frame of 8 bytes.
            if (f.Length != Max_Can_Data || end - p != 2 || Hex_Digit(p[1]) < 9) return Line_Kind::Bad;
            break;
        }
        if (end - p < 2 || f.Length >= Max_Can_Data) return Line_Kind::Bad;
        const int hi = Hex_Digit(p[0]);
        const int lo = Hex_Digit(p[1]);
        if (hi < 0 || lo < 0) return Line_Kind::Bad;
        f.Data[f.Length++] = uint8_t(hi * 16 + lo);
        p += 2;
    }
    return Line_Kind::Frame;
}

// The state an ASC file's header sets.
struct Asc_Base {
    int Number_Base = 16;
    bool Relative = false;
    int64_t Last_Us = 0;  // the previous event, for relative time stamps
};

// An identifier of an ASC line: digits in the file's base, "x" after a 29-bit one.
bool Parse_Asc_Id(Span s, int base, Log_Frame &f)
{
    f.Extended = s.Size() > 1 && (*(s.End - 1) == 'x' || *(s.End - 1) == 'X');
    if (f.Extended) --s.End;
    uint64_t id = 0;
    if (!Parse_Number(s, base, Max_Extended_Id, id)) return false;
    if (!f.Extended && id > Max_Standard_Id) return false;
    f.Id = uint32_t(id);
    return true;
}

bool Is_Direction(Span s) { return s.Is("Rx") || s.Is("Tx"); }

// The header and frame-less lines of an ASC file: true when the line is one of them (base and
// time stamps are taken from the "base" line).
bool Asc_Header(const std::array<Span, 24> &t, int n, Asc_Base &base)
{
    if (n == 0) return false;
    if (t[0].Starts_With("//") || t[0].Is("date") || t[0].Is("Begin") || t[0].Is("End")) return true;
    if (t[0].Is("base")) {
        if (n < 2 || !(t[1].Is("hex") || t[1].Is("dec"))) return false;
        base.Number_Base = t[1].Is("hex") ? 16 : 10;
        if (n >= 4 && t[2].Is("timestamps")) base.Relative = t[3].Is("relative");
        return true;
    }
    if (n >= 3 && t[0].Is("no") && t[1].Is("internal")) return true;
    if (n >= 2 && t[0].Is("internal") && t[1].Is("events")) return true;
    return false;
}

Line_Kind Parse_Asc(Span line, Asc_Base &base, Log_Frame &f)
{
    std::array<Span, 24> t;
    const int n = Tokens(line, t);
    if (Asc_Header(t, n, base)) return Line_Kind::Other;
    if (n < 2) return Line_Kind::Bad;
    int64_t time = 0;
    if (!Parse_Seconds(t[0], time)) return Line_Kind::Bad;
    const int64_t stamp = base.Relative ? base.Last_Us + time : time;
    const int b = base.Number_Base;

    if (t[1].Is("CANFD")) {
        // CANFD CH DIR ID [NAME] BRS ESI DLC LENGTH DATA... DURATION BITS FLAGS ...
        if (n < 10 || !Is_Direction(t[3])) return Line_Kind::Bad;
        f.Channel = QByteArrayView(t[2].Begin, t[2].Size());
        if (!Parse_Asc_Id(t[4], b, f)) return Line_Kind::Bad;
        int i = 5;
        if (!t[i].Is("0") && !t[i].Is("1")) ++i;  // a symbolic name
        uint64_t dlc = 0, length = 0;
        if (i + 4 > n || !Parse_Number(t[i + 2], 16, 15, dlc) || !Parse_Number(t[i + 3], 10, 64, length))
            return Line_Kind::Bad;
        i += 4;
        // The data is only partly held for long lines; what follows it decides, so count first.
        const int flags_at = i + int(length) + 2;
        if (length > 8) {
            base.Last_Us = stamp;
            return Line_Kind::Fd_Frame;
        }
        uint64_t flags = 0;
        if (flags_at >= n || !Parse_Number(t[size_t(flags_at)], 16, 0xFFFFFFFF, flags)) return Line_Kind::Bad;
        base.Last_Us = stamp;
        if (flags & Asc_Fd_Flag) return Line_Kind::Fd_Frame;
        f.Time_Us = stamp;
        f.Remote = (flags & Asc_Remote_Flag) != 0;
        f.Length = uint8_t(f.Remote ? qMin<uint64_t>(dlc, Max_Can_Data) : length);
        if (!f.Remote)
            for (int k = 0; k < int(length); ++k) {
                uint64_t byte = 0;
                if (!Parse_Number(t[size_t(i + k)], b, 255, byte)) return Line_Kind::Bad;
                f.Data[size_t(k)] = uint8_t(byte);
            }
        return Line_Kind::Frame;
    }
    if (t[1].Is("Start") || t[1].Is("CAN")) {
        // "Start of measurement", "CAN 1 Status:chip status error active"
        base.Last_Us = stamp;
        return Line_Kind::Other;
    }
    uint64_t channel = 0;
    if (!Parse_Number(t[1], 10, 0xFFFF, channel) || n < 3) return Line_Kind::Bad;
    f.Channel = QByteArrayView(t[1].Begin, t[1].Size());
    if (t[2].Is("ErrorFrame")) {
        base.Last_Us = stamp;
        return Line_Kind::Error_Frame;
    }
    if (*(t[2].End - 1) == ':') {
        // "1 Statistic: ..." and other events of a channel that carry no frame.
        base.Last_Us = stamp;
        return Line_Kind::Other;
    }
    if (n < 5 || !Parse_Asc_Id(t[2], b, f)) return Line_Kind::Bad;
    if (t[3].Is("TxRq")) {
        base.Last_Us = stamp;
        return Line_Kind::Other;
    }
    if (!Is_Direction(t[3])) return Line_Kind::Bad;
    if (t[4].Is("r")) {
        uint64_t dlc = 0;
        if (n >= 6 && !Parse_Number(t[5], 16, 15, dlc)) dlc = 0;
        f.Remote = true;
        f.Length = uint8_t(qMin<uint64_t>(dlc, Max_Can_Data));
    } else if (t[4].Is("d")) {
        uint64_t dlc = 0;
        if (n < 6 || !Parse_Number(t[5], 16, 15, dlc)) return Line_Kind::Bad;
        const int length = int(qMin<uint64_t>(dlc, Max_Can_Data));
        if (n < 6 + length) return Line_Kind::Bad;
        for (int k = 0; k < length; ++k) {
            uint64_t byte = 0;
            if (!Parse_Number(t[size_t(6 + k)], b, 255, byte)) return Line_Kind::Bad;
            f.Data[size_t(k)] = uint8_t(byte);
        }
        f.Remote = false;
        f.Length = uint8_t(length);
    } else {
        return Line_Kind::Bad;
    }
    f.Time_Us = stamp;
    base.Last_Us = stamp;
    return Line_Kind::Frame;
}

}  // namespace

struct Can_Log_Reader::State {
    explicit State(QIODevice &device) : In(device), Buffer(size_t(Block + Max_Log_Line + 1)) {}
    static constexpr qsizetype Block = 1 << 16;

    QIODevice &In;
    Can_Log_Result R;
    Asc_Base Asc;
    int Undecided = 0;
    // Lines are cut from blocks read into Buffer: Begin..Have holds what is not looked at yet.
    std::vector<char> Buffer;
    qsizetype Begin = 0;
    qsizetype Have = 0;
    bool At_End = false;
    bool Skipping = false;  // within a line that was too long, up to its newline
    bool Done = false;

    void Bad(const QString &reason)
    {
        ++R.Bad_Line_Count;
        if (R.Bad_Lines.size() < Max_Listed_Bad_Lines) R.Bad_Lines.append({R.Lines, reason});
    }

    // The next line without its newline; false at the end of the input. A line longer than any
    // of a log is not kept: it is told as too long and skipped to its end.
    bool Next_Line(Span &line, bool &too_long)
    {
        for (;;) {
            char *data = Buffer.data();
            const char *nl = static_cast<const char *>(memchr(data + Begin, '\n', size_t(Have - Begin)));
            if (nl) {
                const char *start = data + Begin;
                Begin = nl - data + 1;
                if (Skipping) {
                    Skipping = false;
                    continue;
                }
                too_long = nl - start > Max_Log_Line;
                line = {start, nl};
                return true;
            }
            const qsizetype rest = Have - Begin;
            if (At_End) {
                if (rest == 0 || Skipping) return false;
                too_long = rest > Max_Log_Line;
                line = {data + Begin, data + Have};
                Begin = Have;
                return true;
            }
            if (rest > Max_Log_Line) {
                // No newline within the longest line: tell it once, drop what is held.
                const bool first = !Skipping;
                Skipping = true;
                Begin = Have = 0;
                if (first) {
                    too_long = true;
                    line = {};
                    return true;
                }
            } else {
                memmove(data, data + Begin, size_t(rest));
                Begin = 0;
                Have = rest;
            }
            const qint64 n = In.read(data + Have, qint64(Buffer.size()) - Have);
            if (n < 0) {
                R.Error = In.errorString();
                At_End = true;
                Done = true;
                return false;
            }
            if (n == 0) At_End = true;
            Have += qsizetype(n);
        }
    }

    // Classifies one line; Frame when f holds a frame to hand on. Bad also once the log is found
    // to be no CAN log (Done is then set).
    Line_Kind Take(Span line, Log_Frame &f)
    {
        while (!line.Empty() && Blank(*(line.End - 1))) --line.End;
        while (!line.Empty() && Blank(*line.Begin)) ++line.Begin;
        if (line.Empty()) return Line_Kind::Other;
        Line_Kind kind = Line_Kind::Bad;
        if (R.Format == Can_Log_Format::Unknown) {
            if (*line.Begin == '(') {
                kind = Parse_Candump(line, f);
                if (kind != Line_Kind::Bad) R.Format = Can_Log_Format::Candump;
            } else {
                kind = Parse_Asc(line, Asc, f);
                if (kind != Line_Kind::Bad) R.Format = Can_Log_Format::Asc;
            }
            if (kind == Line_Kind::Bad && ++Undecided >= Max_Undecided_Lines) {
                Bad(Core_Text("neither a candump log line nor a line of an ASC file"));
                Done = true;
                return Line_Kind::Other;
            }
        } else if (R.Format == Can_Log_Format::Candump) {
            kind = Parse_Candump(line, f);
        } else {
            kind = Parse_Asc(line, Asc, f);
        }
        switch (kind) {
        case Line_Kind::Frame: ++R.Frames; break;
        case Line_Kind::Error_Frame: ++R.Error_Frames; break;
        case Line_Kind::Fd_Frame: ++R.Fd_Frames; break;
        case Line_Kind::Other: break;
        case Line_Kind::Bad:
            if (R.Format == Can_Log_Format::Candump)
                Bad(Core_Text("not a frame of a candump log: (SECONDS) INTERFACE ID#DATA expected"));
            else if (R.Format == Can_Log_Format::Asc)
                Bad(Core_Text("not a frame or header line of an ASC file"));
            else
                Bad(Core_Text("neither a candump log line nor a line of an ASC file"));
            break;
        }
        return kind;
    }

    void Finish()
    {
        Done = true;
        if (R.Format == Can_Log_Format::Unknown && R.Error.isEmpty())
            R.Error = R.Bad_Line_Count == 0 ? Core_Text("no frame: the log is empty")
                                            : Core_Text("neither a candump log nor an ASC file: no line of its start is a frame");
    }
};

Can_Log_Reader::Can_Log_Reader(QIODevice &in) : d_(std::make_unique<State>(in)) {}

Can_Log_Reader::~Can_Log_Reader() = default;

const Can_Log_Result &Can_Log_Reader::Result() const { return d_->R; }

bool Can_Log_Reader::Next(Log_Frame &frame)
{
    State &d = *d_;
    while (!d.Done) {
        Span line;
        bool too_long = false;
        if (!d.Next_Line(line, too_long)) {
            d.Finish();
            break;
        }
        ++d.R.Lines;
        if (too_long) {
            d.Bad(Core_Text("longer than %1 characters: no frame of a CAN log").arg(Max_Log_Line));
            continue;
        }
        frame = Log_Frame{};
        if (d.Take(line, frame) == Line_Kind::Frame) return true;
    }
    if (d.R.Format == Can_Log_Format::Unknown && d.R.Error.isEmpty()) d.Finish();
    return false;
}

Can_Log_Result Read_Can_Log(QIODevice &in, const Log_Frame_Sink &sink)
{
    Can_Log_Reader reader(in);
    Log_Frame frame;
    while (reader.Next(frame)) sink(frame);
    return reader.Result();
}

Can_Log_Result Read_Can_Log_File(const QString &path, const Log_Frame_Sink &sink)
{
    Can_Log_Result result;
    try {
        Regular_File_Size(path);
    } catch (const File_Access_Error &e) {
        result.Error = QString::fromUtf8(e.what());
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.Error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return result;
    }
    result = Read_Can_Log(file, sink);
    if (!result.Error.isEmpty()) result.Error = QStringLiteral("%1: %2").arg(path, result.Error);
    return result;
}

QByteArray Candump_Log_Line(const Log_Frame &frame, QByteArrayView channel)
{
    char text[96];
    const int64_t seconds = frame.Time_Us / 1000000;
    const int64_t micro = frame.Time_Us % 1000000;
    int n = std::snprintf(text, sizeof text, "(%010lld.%06lld) ", static_cast<long long>(seconds),
                          static_cast<long long>(micro));
    QByteArray line(text, n);
    line += channel;
    n = std::snprintf(text, sizeof text, frame.Extended ? " %08X#" : " %03X#", unsigned(frame.Id));
    line.append(text, n);
    if (frame.Remote) {
        line += 'R';
        if (frame.Length > 0) line += char('0' + frame.Length);
    } else {
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < frame.Length; ++i) {
            line += digits[frame.Data[size_t(i)] >> 4];
            line += digits[frame.Data[size_t(i)] & 15];
        }
    }
    line += '\n';
    return line;
}
