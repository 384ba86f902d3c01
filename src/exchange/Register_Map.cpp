#include "exchange/Register_Map.h"

#include "config/Device_Records.h"
#include "config/Project_Files.h"
#include "editing/Mapping_List.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Signal_Notes.h"

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

QStringList Register_Map_Columns(const Register_Map &m)
{
    QStringList c{"Direction", "Register", "Access", "CobID", "Type", "Mnemonic", "High byte", "Low byte", "Send on write"};
    if (m.Has_Signals) c << QStringList{"Signal", "Unit", "Factor", "Offset"};
    return c;
}

static QString Byte_Name(int32_t part) { return part == 0 ? QStringLiteral("-") : QStringLiteral("Byte %1").arg(part); }

QStringList Register_Map_Cells(const Register_Map &m, const Register_Map_Line &l)
{
    QStringList c{l.Dir == Direction::Receive ? QStringLiteral("receive") : QStringLiteral("transmit"),
            l.Register,
            Register_Access(l.Dir),
            l.CobID,
            l.Type,
            l.Mnemonic,
            Byte_Name(l.HiPart),
            Byte_Name(l.LoPart),
            l.Dir == Direction::Transmit ? (l.Send_On_Write ? QStringLiteral("yes") : QStringLiteral("no")) : QString()};
    if (m.Has_Signals) c << QStringList{l.Signal, l.Unit, l.Factor, l.Offset};
    return c;
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

    const QList<Signal_Note> notes = Read_Signal_Notes(Signal_Notes_Path(paths));
    for (const Direction d : {Direction::Receive, Direction::Transmit}) {
        const QList<Frame_Row> rows = Editor_Frame_Rows(config, d);
        const QList<TCAN_Frame> frames = Editor_Mapping_Frames(config, d);
        QList<Register_Map_Line> lines;
        for (int f = 0; f < frames.size() && f < rows.size(); ++f)
            for (const TMod_Reg &reg : frames[f].Lista_Mod_Reg) {
                Register_Map_Line l;
                l.Dir = d;
                l.Register = reg.Ind_Mod;
                l.Register_Value = Mod_Index_Value(reg.Ind_Mod).value_or(-1);
                l.CobID = rows[f].CobID;
                l.Type = rows[f].Type;
                l.Mnemonic = rows[f].Mnemonic;
                l.HiPart = reg.HiPart;
                l.LoPart = reg.LoPart;
                l.Send_On_Write = d == Direction::Transmit && reg.Write == 1;
                if (const Signal_Note *n = Find_Signal_Note(notes, d, reg.Ind_Mod, l.CobID, l.Type, l.HiPart, l.LoPart)) {
                    l.Signal = n->Message + QLatin1Char('.') + n->Signal;
                    l.Unit = n->Unit;
                    l.Factor = n->Factor;
                    l.Offset = n->Offset;
                    map.Has_Signals = true;
                }
                lines.append(l);
            }
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
