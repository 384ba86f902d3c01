// qcx3310-cli: builds the device images of a configuration folder from a shell (the same bytes
// as "Update Device"), checks a configuration before it is built, lists what a pair of images
// holds, sends and watches CAN frames, and brings frames in from a CAN database and lists in and
// out of spreadsheets.
#include "Bus_Commands.h"
#include "Help_Text.h"
#include "Can_Commands.h"
#include "Exchange_Commands.h"
#include "config/Config_Check.h"
#include "config/Image_Builder.h"
#include "config/Image_Decoder.h"
#include "platform/Safe_File.h"
#include "platform/Xml_Document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int Exit_Done = 0;
constexpr int Exit_Error = 1;
constexpr int Exit_Usage = 2;

void Print(FILE *to, const QString &text) { std::fputs(text.toUtf8().constData(), to); }

int Usage_Error(const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli: %1\n").arg(why));
    Print(stderr, QString::fromLatin1(Usage_Text));
    Print(stderr, QStringLiteral("Try 'qcx3310-cli --help' for more.\n"));
    return Exit_Usage;
}

int Fail(const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli: %1\n").arg(why));
    return Exit_Error;
}

// A folder named in bytes that are not valid UTF-8 has no QString that leads back to it; the
// program then works from inside it ("."), and this is how that folder is shown instead.
QString Entered_Folder;

QString Native(const QString &path)
{
    if (!Entered_Folder.isEmpty() && (path == QLatin1String(".") || path.startsWith(QLatin1String("./"))))
        return QDir::toNativeSeparators(Entered_Folder + path.mid(1));
    return QDir::toNativeSeparators(path);
}

// A path from the command line as the system gave it, and as it is shown.
struct Arg_Path {
    QByteArray Native;
    QString Text;
    bool Round_Trips() const { return QFile::encodeName(Text) == Native; }
};

// The configuration folder as a path the file functions can use: the folder itself, or "."
// after entering it when its name cannot be held in a QString. No value when it is no folder.
std::optional<QString> Configuration_Folder(const Arg_Path &arg)
{
    if (arg.Round_Trips()) {
        if (!QFileInfo(arg.Text).isDir()) return std::nullopt;
        return QDir::cleanPath(arg.Text);
    }
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(arg.Native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || ::chdir(arg.Native.constData()) != 0)
        return std::nullopt;
    Entered_Folder = arg.Text;
    return QStringLiteral(".");
#else
    return std::nullopt;
#endif
}

int Compile(const Arg_Path &config_dir)
{
    // A mistyped folder would otherwise give the defaults of a configuration without files.
    const std::optional<QString> dir = Configuration_Folder(config_dir);
    if (!dir) return Fail(QStringLiteral("%1: no such configuration folder").arg(Native(config_dir.Text)));
    const Project_Paths paths = Project_Paths_In(*dir);
    Configuration_Image image;
    try {
        image = Build_Device_Images(paths);
    } catch (const File_Error &e) {
        return Fail(Native(e.Text()));
    }
    const Bank1_Header &h = image.Param();
    Print(stdout, QStringLiteral("%1: %2 bytes, %3 receive and %4 transmit frame records\n")
                      .arg(Native(paths.Bank1))
                      .arg(image.Bank1_Len())
                      .arg(h.Num_Rx_Frame)
                      .arg(h.Num_Tx_Frame));
    Print(stdout, QStringLiteral("%1: %2 bytes, %3 receive and %4 transmit mapping records\n")
                      .arg(Native(paths.Bank2))
                      .arg(image.Bank2_Len())
                      .arg(h.Num_Rx_Map)
                      .arg(h.Num_Tx_Map));
    return Exit_Done;
}

int Check(const Arg_Path &config_dir, bool json)
{
    const std::optional<QString> dir = Configuration_Folder(config_dir);
    if (!dir) return Fail(QStringLiteral("%1: no such configuration folder").arg(Native(config_dir.Text)));
    const QList<Check_Finding> findings = Check_Configuration(Project_Paths_In(*dir));
    const Check_Summary summary = Summarize(findings);
    if (json) {
        QJsonArray list;
        for (const Check_Finding &f : findings)
            list.append(QJsonObject{{"severity", Severity_Name(f.Severity)},
                                    {"file", Native(f.File)},
                                    {"row", f.Row},
                                    {"code", f.Code},
                                    {"message", f.Message}});
        const QJsonObject counts{{"errors", summary.Errors}, {"warnings", summary.Warnings}, {"infos", summary.Infos}};
        Print(stdout, QString::fromUtf8(QJsonDocument(QJsonObject{{"findings", list}, {"summary", counts}})
                                            .toJson(QJsonDocument::Indented)));
    } else {
        QString out;
        for (const Check_Finding &f : findings) {
            out += Severity_Name(f.Severity) + QStringLiteral(": ") + Native(f.File);
            if (f.Row > 0) out += QLatin1Char(':') + QString::number(f.Row);
            out += QStringLiteral(": ") + f.Message + QLatin1Char('\n');
        }
        out += QStringLiteral("%1 error(s), %2 warning(s), %3 info\n").arg(summary.Errors).arg(summary.Warnings).arg(summary.Infos);
        Print(stdout, out);
    }
    return summary.Errors > 0 ? Exit_Error : Exit_Done;
}

QString Hex(uint32_t value, int digits)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString Octets(const uint8_t (&o)[4]) { return QStringLiteral("%1.%2.%3.%4").arg(o[0]).arg(o[1]).arg(o[2]).arg(o[3]); }

QString Frame_Flags(uint8_t flags)
{
    QStringList names;
    if (flags & Frame_Flag_Transmit) names << QStringLiteral("transmit");
    if (flags & Frame_Flag_Data_Change) names << QStringLiteral("data-change");
    return names.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(names.join(QLatin1Char(',')));
}

QString Map_Flags(uint8_t flags)
{
    QStringList names;
    if (flags & Map_Flag_Transmit) names << QStringLiteral("transmit");
    if (flags & Map_Flag_Send_On_Write) names << QStringLiteral("send-on-write");
    return names.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(names.join(QLatin1Char(',')));
}

QString Listing(const Decoded_Images &d, const QString &bank1, const QString &bank2)
{
    const Bank1_Header &h = d.Header;
    QString out;
    auto field = [&out](const char *name, const QString &value) {
        out += QStringLiteral("  %1 %2\n").arg(QLatin1String(name), -14).arg(value);
    };
    auto number = [&](const char *name, uint32_t value) { field(name, QString::number(value)); };
    out += QStringLiteral("bank1 %1, %2 bytes\n").arg(Native(bank1)).arg(d.Bank1_Size);
    field("CAN_Baud", QStringLiteral("%1 bit/s").arg(h.CAN_Baud));
    field("CAN_Baud_2", QStringLiteral("%1 bit/s").arg(h.CAN_Baud_2));
    number("Fixed_008", h.Fixed_008);
    field("TCP_IP", Octets(h.TCP_IP));
    field("TCP_Mask", Octets(h.TCP_Mask));
    field("TCP_Gateway", Octets(h.TCP_Gateway));
    number("Fixed_034", h.Fixed_034);
    number("TCP_Port", h.TCP_Port);
    number("TCP_Port_2", h.TCP_Port_2);
    number("Fixed_03C", h.Fixed_03C);
    number("Fixed_040", h.Fixed_040);
    number("Num_Rx_Frame", h.Num_Rx_Frame);
    field("Addr_Rx_Frame", Hex(h.Addr_Rx_Frame, 8));
    number("Num_Tx_Frame", h.Num_Tx_Frame);
    field("Addr_Tx_Frame", Hex(h.Addr_Tx_Frame, 8));
    number("Num_Rx_Map", h.Num_Rx_Map);
    field("Addr_Rx_Map", Hex(h.Addr_Rx_Map, 8));
    number("Num_Tx_Map", h.Num_Tx_Map);
    field("Addr_Tx_Map", Hex(h.Addr_Tx_Map, 8));
    field("Checksum", d.Checksum_Holds()
                          ? QStringLiteral("%1 (%2), holds").arg(d.Checksum).arg(Hex(d.Checksum, 8))
                          : QStringLiteral("%1 (%2), does not hold: the header's bytes sum to %3")
                                .arg(d.Checksum)
                                .arg(Hex(d.Checksum, 8))
                                .arg(d.Checksum_Computed));

    out += QStringLiteral("frame records: %1\n").arg(d.Frames.size());
    for (int i = 0; i < d.Frames.size(); ++i) {
        const Frame_Entry &f = d.Frames[i];
        const bool transmit = i >= d.Rx_Frames();
        const bool extended = f.Ident & Ident_Extended;
        out += QStringLiteral("  %1 %2  Ident %3 (%4 %5)  Dimension %6  Time_Out %7  Send_Timer %8  Flags %9%10  Data_Offset %11\n")
                   .arg(transmit ? QStringLiteral("transmit") : QStringLiteral("receive "))
                   .arg(transmit ? i - d.Rx_Frames() : i, 3)
                   .arg(Hex(f.Ident, 8))
                   .arg(extended ? QStringLiteral("29-bit") : QStringLiteral("11-bit"))
                   .arg(Hex(f.Ident & ~Ident_Extended, extended ? 8 : 3))
                   .arg(f.Dimension)
                   .arg(f.Time_Out)
                   .arg(f.Send_Timer)
                   .arg(Hex(f.Flags, 2))
                   .arg(Frame_Flags(f.Flags))
                   .arg(f.Data_Offset);
    }

    out += QStringLiteral("bank2 %1, %2 bytes\n").arg(Native(bank2)).arg(d.Bank2_Size);
    out += QStringLiteral("mapping records: %1\n").arg(d.Maps.size());
    for (int i = 0; i < d.Maps.size(); ++i) {
        const Map_Entry &m = d.Maps[i];
        const bool transmit = i >= d.Rx_Maps();
        out += QStringLiteral("  %1 %2  Mod_Index %3  Num_Frame %4  Byte_HiPart %5  Byte_LoPart %6  Flags %7%8\n")
                   .arg(transmit ? QStringLiteral("transmit") : QStringLiteral("receive "))
                   .arg(transmit ? i - d.Rx_Maps() : i, 4)
                   .arg(m.Mod_Index)
                   .arg(m.Num_Frame)
                   .arg(m.Byte_HiPart)
                   .arg(m.Byte_LoPart)
                   .arg(Hex(m.Flags, 2))
                   .arg(Map_Flags(m.Flags));
    }

    if (d.Problems.isEmpty()) {
        out += QStringLiteral("problems: none\n");
    } else {
        out += QStringLiteral("problems: %1\n").arg(d.Problems.size());
        for (const QString &p : d.Problems) out += QStringLiteral("  %1\n").arg(p);
    }
    return out;
}

QJsonObject Json_Listing(const Decoded_Images &d, const QString &bank1, const QString &bank2)
{
    const Bank1_Header &h = d.Header;
    const auto n = [](uint32_t v) { return QJsonValue(qint64(v)); };
    const QJsonObject header{
        {"CAN_Baud", n(h.CAN_Baud)},
        {"CAN_Baud_2", n(h.CAN_Baud_2)},
        {"Fixed_008", n(h.Fixed_008)},
        {"TCP_IP", Octets(h.TCP_IP)},
        {"TCP_Mask", Octets(h.TCP_Mask)},
        {"TCP_Gateway", Octets(h.TCP_Gateway)},
        {"Fixed_034", n(h.Fixed_034)},
        {"TCP_Port", n(h.TCP_Port)},
        {"TCP_Port_2", n(h.TCP_Port_2)},
        {"Fixed_03C", n(h.Fixed_03C)},
        {"Fixed_040", n(h.Fixed_040)},
        {"Num_Rx_Frame", n(h.Num_Rx_Frame)},
        {"Addr_Rx_Frame", n(h.Addr_Rx_Frame)},
        {"Num_Tx_Frame", n(h.Num_Tx_Frame)},
        {"Addr_Tx_Frame", n(h.Addr_Tx_Frame)},
        {"Num_Rx_Map", n(h.Num_Rx_Map)},
        {"Addr_Rx_Map", n(h.Addr_Rx_Map)},
        {"Num_Tx_Map", n(h.Num_Tx_Map)},
        {"Addr_Tx_Map", n(h.Addr_Tx_Map)},
        {"Checksum", n(d.Checksum)},
    };
    QJsonArray frames;
    for (int i = 0; i < d.Frames.size(); ++i) {
        const Frame_Entry &f = d.Frames[i];
        const bool transmit = i >= d.Rx_Frames();
        frames.append(QJsonObject{{"direction", transmit ? "transmit" : "receive"},
                                  {"number", transmit ? i - d.Rx_Frames() : i},
                                  {"Ident", n(f.Ident)},
                                  {"Cob_ID", n(f.Ident & ~Ident_Extended)},
                                  {"Extended", bool(f.Ident & Ident_Extended)},
                                  {"Dimension", f.Dimension},
                                  {"Time_Out", n(f.Time_Out)},
                                  {"Send_Timer", n(f.Send_Timer)},
                                  {"Flags", f.Flags},
                                  {"Data_Change", bool(f.Flags & Frame_Flag_Data_Change)},
                                  {"Data_Offset", f.Data_Offset}});
    }
    QJsonArray maps;
    for (int i = 0; i < d.Maps.size(); ++i) {
        const Map_Entry &m = d.Maps[i];
        const bool transmit = i >= d.Rx_Maps();
        maps.append(QJsonObject{{"direction", transmit ? "transmit" : "receive"},
                                {"number", transmit ? i - d.Rx_Maps() : i},
                                {"Mod_Index", m.Mod_Index},
                                {"Num_Frame", m.Num_Frame},
                                {"Byte_HiPart", m.Byte_HiPart},
                                {"Byte_LoPart", m.Byte_LoPart},
                                {"Flags", m.Flags},
                                {"Send_on_Write", bool(m.Flags & Map_Flag_Send_On_Write)}});
    }
    return QJsonObject{
        {"bank1", QJsonObject{{"file", Native(bank1)},
                              {"size", qint64(d.Bank1_Size)},
                              {"header", header},
                              {"checksum", QJsonObject{{"stored", n(d.Checksum)},
                                                       {"computed", n(d.Checksum_Computed)},
                                                       {"holds", d.Checksum_Holds()}}},
                              {"frames", frames}}},
        {"bank2", QJsonObject{{"file", Native(bank2)}, {"size", qint64(d.Bank2_Size)}, {"mappings", maps}}},
        {"problems", QJsonArray::fromStringList(d.Problems)},
    };
}

int Inspect(const Arg_Path &bank1_arg, const Arg_Path &bank2_arg, bool json)
{
    QByteArray bytes[2];
    const Arg_Path paths[2] = {bank1_arg, bank2_arg};
    // An image is read only up to a little past its largest size: a longer file is no image, and
    // reading it whole would only cost time and memory.
    const qint64 limits[2] = {Bank1_Max_Len + Bank_Read_Margin, Bank2_Max_Len + Bank_Read_Margin};
    for (int i = 0; i < 2; ++i) {
        try {
            bytes[i] = Read_Regular_File(paths[i].Native, Native(paths[i].Text), limits[i]);
        } catch (const File_Access_Error &e) {
            return Fail(QString::fromUtf8(e.what()));
        }
    }
    const QString bank1 = paths[0].Text;
    const QString bank2 = paths[1].Text;
    QString error;
    const std::optional<Decoded_Images> d = Decode_Images(bytes[0], bytes[1], &error);
    if (!d) return Fail(QStringLiteral("%1: %2").arg(Native(bank1), error));
    if (json)
        Print(stdout, QString::fromUtf8(QJsonDocument(Json_Listing(*d, bank1, bank2)).toJson(QJsonDocument::Indented)));
    else
        Print(stdout, Listing(*d, bank1, bank2));
    if (!d->Problems.isEmpty())
        return Fail(QStringLiteral("the images do not hold together (%1 problem(s), listed above)").arg(d->Problems.size()));
    return Exit_Done;
}

}  // namespace

int main(int argc, char *argv[])
{
    // Paths are taken in the system's own bytes: a name that is not valid UTF-8 still names a
    // folder the user can reach.
    QStringList args;
    QList<QByteArray> native_args;
    for (int i = 1; i < argc; ++i) {
        native_args << QByteArray(argv[i]);
        args << QFile::decodeName(native_args.last());
    }
    // Help wins over everything else on the line (up to "--").
    for (const QString &arg : args) {
        if (arg == QLatin1String("--")) break;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            Print(stdout, QString::fromLatin1(Usage_Text) + QString::fromLatin1(Help_Text));
            return Exit_Done;
        }
    }

    // The CAN and exchange commands take options of their own.
    if (!args.isEmpty() && args[0] == QLatin1String("can-send")) return Can_Send(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("can-dump")) return Can_Dump(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("can-play")) return Can_Play(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("can-record")) return Can_Record(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("survey")) return Survey(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("learn")) return Learn(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("import-dbc")) return Import_Dbc(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("export")) return Export_List(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("import")) return Import_List(args.mid(1));
    if (!args.isEmpty() && args[0] == QLatin1String("export-map")) return Export_Map(args.mid(1));

    QList<Arg_Path> words;
    bool json = false;
    bool paths_only = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!paths_only && arg == QLatin1String("--")) {
            paths_only = true;
        } else if (!paths_only && arg == QLatin1String("--json")) {
            json = true;
        } else if (!paths_only && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return Usage_Error(QStringLiteral("unknown option '%1'").arg(arg));
        } else {
            words << Arg_Path{native_args[i], arg};
        }
    }
    if (words.isEmpty()) return Usage_Error(QStringLiteral("no command given"));
    const QString command = words.takeFirst().Text;
    if (command == QLatin1String("compile")) {
        if (json) return Usage_Error(QStringLiteral("--json goes with check and inspect only"));
        if (words.size() != 1) return Usage_Error(QStringLiteral("compile takes one configuration folder"));
        return Compile(words[0]);
    }
    if (command == QLatin1String("check")) {
        if (words.size() != 1) return Usage_Error(QStringLiteral("check takes one configuration folder"));
        return Check(words[0], json);
    }
    if (command == QLatin1String("inspect")) {
        if (words.size() == 1) {
            const std::optional<QString> dir = Configuration_Folder(words[0]);
            if (!dir) return Fail(QStringLiteral("%1: no such configuration folder").arg(Native(words[0].Text)));
            const Project_Paths paths = Project_Paths_In(*dir);
            return Inspect({QFile::encodeName(paths.Bank1), paths.Bank1}, {QFile::encodeName(paths.Bank2), paths.Bank2}, json);
        }
        if (words.size() == 2) return Inspect(words[0], words[1], json);
        return Usage_Error(QStringLiteral("inspect takes a configuration folder or the two image files"));
    }
    return Usage_Error(QStringLiteral("unknown command '%1'").arg(command));
}
