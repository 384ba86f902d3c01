#include "exchange/Register_Map.h"

#include "config/Device_Records.h"
#include "config/Project_Files.h"
#include "editing/Mapping_List.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Signal_Notes.h"

#include <QSet>
#include <algorithm>

namespace {


// A cell that a spreadsheet would run as a formula shows as text (see Spreadsheet_Safe_Cell),
// the configuration's name in the header among them.
QString Csv_Field(const QString &text)
{
    const QString field = Spreadsheet_Safe_Cell(text);
    bool quote = field.size() != text.size();
    for (const QChar c : field) quote = quote || c == u',' || c == u';' || c == u'"' || c == u'\r' || c == u'\n';
    if (!quote) return field;
    return QLatin1Char('"') + QString(field).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString Csv_Line(const QStringList &fields)
{
    QStringList q;
    for (const QString &f : fields) q << Csv_Field(f);
    return q.join(QLatin1Char(',')) + QLatin1String("\r\n");
}

}  // namespace

QStringList Register_Map_Columns(const Register_Map &)
{
    return {"Direction", "Register", "Registers", "Signal", "Message", "Cob-ID", "Shift", "Length", "Signed", "Float",
            "Factor", "Offset", "Unit", "Minimum", "Maximum", "Values"};
}

QStringList Register_Map_Cells(const Register_Map &, const Register_Map_Line &l)
{
    return {l.Dir == Direction::Receive ? QStringLiteral("receive") : QStringLiteral("transmit"),
            l.Register,
            l.Registers,
            l.Signal,
            l.Message,
            l.CobID,
            l.Shift,
            l.Length,
            l.Signed,
            l.Float,
            l.Factor,
            l.Offset,
            l.Unit,
            l.Minimum,
            l.Maximum,
            l.Values};
}

QList<std::pair<QString, QString>> Register_Map_Header(const Register_Map &m)
{
    return {{"Configuration", m.Configuration},
            {"Converter address", m.Address},
            {"Modbus TCP port", m.Port},
            {"CAN bit rate", m.Bit_Rate},
            {"Date", m.Date.toString(Qt::ISODate)},
            {"Program version", m.Program_Version}};
}

QString Register_Access(Direction direction)
{
    return direction == Direction::Receive ? QStringLiteral("read") : QStringLiteral("read/write");
}

Register_Map Read_Register_Map(const Configuration &config, const QString &dir_name, const QDate &date,
                               const QString &program_version)
{
    const Project_Paths &paths = config.Paths;
    Register_Map map;
    map.Configuration = dir_name;
    map.Date = date;
    map.Program_Version = program_version;
    // The header tells what the device gets, so it is taken from a build of the images: a
    // missing settings file leaves the device's own address, a text that does not convert
    // the build's fallback.
    const Bank1_Header h = Read_Device_Configuration(config).Param;
    map.Address = QStringLiteral("%1.%2.%3.%4").arg(h.TCP_IP[0]).arg(h.TCP_IP[1]).arg(h.TCP_IP[2]).arg(h.TCP_IP[3]);
    map.Port = QString::number(h.TCP_Port);
    map.Bit_Rate = QStringLiteral("%1 bit/s").arg(h.CAN_Baud);
    for (const Baud_Rate &rate : Baud_Rates)
        if (uint32_t(rate.Bit_Per_S) == h.CAN_Baud) map.Bit_Rate = QLatin1String(rate.Label);

    const QList<Signal_Note> notes = Read_Signal_Notes(paths.Signal_Notes);
    for (const Direction d : {Direction::Receive, Direction::Transmit}) {
        const QList<Frame_Row> rows = Editor_Frame_Rows(config, d);
        const QList<Editor_Frame> frames = Editor_Mapping_Frames(config, d);
        QList<Register_Map_Line> registers;
        Mapped_Registers mapped;
        for (int f = 0; f < frames.size() && f < rows.size(); ++f)
            for (const Editor_Register &reg : frames[f].Registers) {
                Register_Map_Line l;
                l.Dir = d;
                l.Register = reg.Ind_Mod;
                l.Register_Value = Mod_Index_Value(reg.Ind_Mod).value_or(-1);
                l.Registers = reg.Ind_Mod;
                l.CobID = rows[f].CobID;
                l.Type = rows[f].Type;
                l.Mnemonic = rows[f].Mnemonic;
                l.Message = rows[f].Mnemonic;
                l.HiPart = reg.HiPart;
                l.LoPart = reg.LoPart;
                l.Send_On_Write = d == Direction::Transmit && reg.Write == 1;
                l.Shift = QStringLiteral("0");
                l.Length = QStringLiteral("16");
                l.Signed = l.Float = QStringLiteral("no");
                l.Factor = QStringLiteral("1");
                l.Offset = QStringLiteral("0");
                if (l.Register_Value >= 0)
                    mapped.insert(Mapped_Key(d, l.Register_Value), {d, l.Register_Value, l.CobID, l.Type, l.HiPart, l.LoPart});
                registers.append(l);
            }
        // The signals whose registers are all still where the import put them.
        QList<Register_Map_Line> lines;
        QSet<uint32_t> with_signal;
        for (const Signal_Note &n : notes) {
            if (n.Dir != d || !Note_Applies(n, mapped)) continue;
            Register_Map_Line l;
            l.Dir = d;
            QStringList numbers;
            for (const Note_Register &r : n.Registers.isEmpty() ? QList<Note_Register>{{n.Register, n.HiPart, n.LoPart}}
                                                                 : n.Registers) {
                numbers << QString::number(r.Register);
                with_signal.insert(Mapped_Key(d, r.Register));
            }
            l.Register = numbers.first();
            l.Register_Value = numbers.first().toInt();
            l.Registers = numbers.join(u' ');
            // The frame as its list writes it ("0x181"), which the note may write otherwise ("385").
            l.CobID = n.CobID;
            l.Type = n.Type;
            for (auto it = mapped.constFind(Mapped_Key(d, l.Register_Value));
                 it != mapped.constEnd() && it.key() == Mapped_Key(d, l.Register_Value); ++it)
                if (it->HiPart == n.HiPart && it->LoPart == n.LoPart) {
                    l.CobID = it->CobID;
                    l.Type = it->Type;
                }
            l.HiPart = n.HiPart;
            l.LoPart = n.LoPart;
            l.Signal = n.Signal;
            l.Message = n.Message;
            if (n.Has_Recipe()) {
                l.Shift = QString::number(n.Shift);
                l.Length = QString::number(n.Length);
                l.Signed = n.Is_Signed ? QStringLiteral("yes") : QStringLiteral("no");
                l.Float = n.Value_Type != 0 ? QStringLiteral("yes") : QStringLiteral("no");
            }
            l.Factor = n.Factor;
            l.Offset = n.Offset;
            l.Unit = n.Unit;
            l.Minimum = n.Minimum;
            l.Maximum = n.Maximum;
            l.Values = Values_Text(n.Values);
            map.Has_Signals = true;
            lines.append(l);
        }
        for (const Register_Map_Line &r : std::as_const(registers))
            if (r.Register_Value < 0 || !with_signal.contains(Mapped_Key(d, r.Register_Value))) lines.append(r);
        std::stable_sort(lines.begin(), lines.end(), [](const Register_Map_Line &a, const Register_Map_Line &b) {
            return a.Register_Value < b.Register_Value;
        });
        map.Lines += lines;
    }
    return map;
}

Register_Map Read_Register_Map(const Project_Paths &paths, const QString &dir_name, const QDate &date,
                               const QString &program_version)
{
    return Read_Register_Map(Load_Configuration(paths), dir_name, date, program_version);
}

QByteArray Register_Map_Csv(const Register_Map &map)
{
    QString text;
    for (const auto &[name, value] : Register_Map_Header(map)) text += Csv_Line({name, value});
    text += QLatin1String("\r\n");
    text += Csv_Line(Register_Map_Columns(map));
    for (const Register_Map_Line &l : map.Lines) text += Csv_Line(Register_Map_Cells(map, l));
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray Register_Map_Html(const Register_Map &map)
{
    const auto esc = [](const QString &s) { return s.toHtmlEscaped(); };
    QString h;
    h += QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>Register map: %1</title>\n")
             .arg(esc(map.Configuration));
    h += QStringLiteral("<style>body{font-family:sans-serif}table{border-collapse:collapse}"
                        "td,th{border:1px solid #999;padding:2px 6px;text-align:left}</style>\n</head><body>\n");
    h += QStringLiteral("<h1>Register map: %1</h1>\n<table class=\"header\">\n").arg(esc(map.Configuration));
    for (const auto &[name, value] : Register_Map_Header(map))
        h += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(esc(name), esc(value));
    // The column titles as the table's head, so that a printed map repeats them on every page.
    h += QStringLiteral("</table>\n<p></p>\n<table class=\"registers\">\n<thead><tr>");
    for (const QString &c : Register_Map_Columns(map)) h += QStringLiteral("<th>%1</th>").arg(esc(c));
    h += QStringLiteral("</tr></thead>\n");
    for (const Register_Map_Line &l : map.Lines) {
        h += QStringLiteral("<tr>");
        for (const QString &c : Register_Map_Cells(map, l)) h += QStringLiteral("<td>%1</td>").arg(esc(c));
        h += QStringLiteral("</tr>\n");
    }
    h += QStringLiteral("</table>\n</body></html>\n");
    return h.toUtf8();
}
