#include "Command_Line.h"
#include "documents/Register_Map_Pdf.h"
#include "Exchange_Commands.h"

#include "config/Project_Files.h"
#include "config/Project_Paths.h"
#include "editing/Frame_List.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_Direction_Import.h"
#include "exchange/Register_Map.h"
#include "exchange/Signal_Notes.h"
#include "platform/Int_Text.h"
#include "platform/Safe_File.h"
#include "workspace/App_State.h"

#include <QDir>
#include <QGuiApplication>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <cstdio>
#include <functional>

namespace {

constexpr int Exit_Done = 0;
constexpr int Exit_Error = 1;
constexpr int Exit_Usage = 2;

void Print(FILE *to, const QString &text) { std::fputs(text.toUtf8().constData(), to); }

int Usage_Error(const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli: %1\nTry 'qcx3310-cli --help' for more.\n").arg(why));
    return Exit_Usage;
}

int Fail(const QString &why)
{
    Print(stderr, QStringLiteral("qcx3310-cli: %1\n").arg(why));
    return Exit_Error;
}

QString Native(const QString &path) { return QDir::toNativeSeparators(path); }

QString Direction_Name(Direction d) { return d == Direction::Receive ? QStringLiteral("receive") : QStringLiteral("transmit"); }

std::optional<Direction> Direction_Of(const QString &text)
{
    if (text == QLatin1String("receive")) return Direction::Receive;
    if (text == QLatin1String("transmit")) return Direction::Transmit;
    return std::nullopt;
}

bool Is_Folder(const QString &dir) { return QFileInfo(dir).isDir(); }

// The messages that the names on the command line give: a message name, or an identifier
// (decimal, or hexadecimal after 0x) as the database writes it or without the 29-bit mark.
std::optional<QList<Dbc_Message>> Chosen(const Dbc_Database &db, const QString &list, QString &error)
{
    QList<Dbc_Message> out;
    for (const QString &raw : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed();
        if (name.isEmpty()) continue;
        QList<const Dbc_Message *> found;
        if (const Dbc_Message *m = db.Find(name)) {
            found << m;
        } else {
            bool ok = false;
            const qulonglong value = name.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? name.mid(2).toULongLong(&ok, 16)
                                                                                               : name.toULongLong(&ok, 10);
            if (ok)
                for (const Dbc_Message &m : db.Messages)
                    if (m.Raw_Id == value || m.Identifier() == value) found << &m;
        }
        if (found.isEmpty()) {
            error = QStringLiteral("the database has no message '%1'").arg(name);
            return std::nullopt;
        }
        if (found.size() > 1) {
            error = QStringLiteral("'%1' is the identifier of %2 and %3: name the message").arg(name, found[0]->Name, found[1]->Name);
            return std::nullopt;
        }
        out << *found[0];
    }
    return out;
}

// Which of a signal's registers a register is: nothing for a signal of one register.
QString Word_Text(const Imported_Register &r)
{
    if (r.Parts == 1) return QString();
    if (r.Part == 0) return QStringLiteral(" (high word)");
    if (r.Part == r.Parts - 1) return QStringLiteral(" (low word)");
    return QStringLiteral(" (word %1 of %2)").arg(r.Part + 1).arg(r.Parts);
}

// "registers 100 101, shift 4, 12 bits, signed": where an imported signal's value lies.
QString Recipe_Text(const Imported_Signal &s)
{
    QStringList regs;
    for (const int32_t r : s.Registers) regs << QString::number(r);
    QString text = QStringLiteral("%1 %2, shift %3, %4 bit(s)")
                       .arg(s.Registers.size() == 1 ? QStringLiteral("register") : QStringLiteral("registers"), regs.join(u' '))
                       .arg(s.Shift)
                       .arg(s.Source.Length);
    if (s.Source.Is_Float()) text += QStringLiteral(", float");
    else if (s.Source.Is_Signed) text += QStringLiteral(", signed");
    return text;
}

struct Direction_Import {
    QList<std::pair<QString, QByteArray>> Files;
    QList<Signal_Note> Notes;
    int Register_Total = 0;
    QString Report;
};

Direction_Import Import_Direction(const Project_Paths &paths, Direction d, const QList<Dbc_Message> &chosen,
                                  int32_t first_register, int timeout_factor, int other_count, const QString &dbc_file)
{
    Direction_Import out;
    const QString frame_path = paths.Frame_File(d);
    const QString map_path = paths.Map_File(d);
    const Frame_Grid grid = Read_Frame_Grid(frame_path, d);
    const QList<Frame_Row> stored = Pack_Entries(grid);
    int unplaced = 0;
    const QList<Editor_Frame> existing = Read_Mapping_Files(frame_path, map_path, d, &unplaced);
    // Signals are mapped for the frames added now, and for frames of the list that have no
    // registers yet: a second import of the same messages adds nothing twice.
    const Dbc_Direction_Import import =
        Import_Dbc_Direction(grid, existing, d, chosen, {timeout_factor, first_register, true}, other_count);
    const Frame_Import &fi = import.Frames;
    if (const std::optional<Frame_Fault> fault = Check_Frames(d, fi.Grid))
        throw std::runtime_error(QStringLiteral("%1: row %2 does not pass the frame list's checks; correct it in the editor first")
                                     .arg(Native(frame_path))
                                     .arg(fault->Row)
                                     .toStdString());
    const Frame_List_Save save = Plan_Frame_List_Save(fi.Grid, int(stored.size()), map_path);
    const Signal_Import &si = import.Signals;
    const QList<Import_Note> skipped = import.Skipped();
    for (const Editor_Frame &f : si.Frames) out.Register_Total += int(f.Registers.size());

    out.Files.append({frame_path, Frame_File_Bytes(d, save.Entries, frame_path)});
    out.Files.append({map_path, Map_File_Bytes(d, si.Frames, map_path)});

    QString &rep = out.Report;
    rep += QStringLiteral("%1: %2 frame(s) added, %3 register(s) added\n").arg(Direction_Name(d)).arg(fi.Added.size()).arg(si.Taken.size());
    for (int i = 0; i < fi.Added.size(); ++i)
        rep += QStringLiteral("  frame row %1: %2\n").arg(fi.Added_Rows[i]).arg(fi.Added[i]);
    for (const Imported_Register &r : si.Taken)
        rep += QStringLiteral("  register %1: %2.%3%4 (high byte %5, low byte %6)\n")
                   .arg(r.Register)
                   .arg(r.Message, r.Signal, Word_Text(r))
                   .arg(r.HiPart)
                   .arg(r.LoPart);
    for (const Imported_Signal &s : si.Signals)
        rep += QStringLiteral("  signal %1.%2: %3\n").arg(s.Message, s.Source.Name, Recipe_Text(s));
    out.Notes = import.Notes;
    for (const Import_Note &n : skipped)
        rep += QStringLiteral("  skipped %1:%2: %3: %4\n").arg(Native(dbc_file)).arg(n.Line).arg(n.Name, n.Reason);
    if (unplaced > 0)
        rep += QStringLiteral("  %1 row(s) of %2 named no frame and were left out\n").arg(unplaced).arg(Native(map_path));
    return out;
}

}  // namespace

int Import_Dbc(const QStringList &args)
{
    const Command_Line p = Read_Command_Line(args, {"--receive", "--transmit", "--first-register", "--timeout-factor"}, {});
    if (!p.Error.isEmpty()) return Usage_Error(p.Error);
    if (p.Words.size() != 2) return Usage_Error(QStringLiteral("import-dbc takes a configuration folder and a database file"));
    if (!p.Values.contains("--receive") && !p.Values.contains("--transmit"))
        return Usage_Error(QStringLiteral("import-dbc needs --receive or --transmit"));
    int32_t first_register = 0;
    if (p.Values.contains("--first-register")) {
        const std::optional<int32_t> v = Int_Text::Str_To_Int(p.Values["--first-register"]);
        if (!v || *v < 0 || *v > Max_Mod_Index) return Usage_Error(QStringLiteral("--first-register takes 0..%1").arg(Max_Mod_Index));
        first_register = *v;
    }
    int factor = Default_Timeout_Factor;
    if (p.Values.contains("--timeout-factor")) {
        const std::optional<int32_t> v = Int_Text::Str_To_Int(p.Values["--timeout-factor"]);
        if (!v || *v < 0 || *v > 1000) return Usage_Error(QStringLiteral("--timeout-factor takes 0..1000"));
        factor = *v;
    }
    const QString dir = QDir::cleanPath(p.Words[0]);
    if (!Is_Folder(dir)) return Fail(QStringLiteral("%1: no such configuration folder").arg(Native(p.Words[0])));
    const QString dbc_file = p.Words[1];
    try {
        const Dbc_Database db = Read_Dbc_File(dbc_file);
        QString error;
        std::optional<QList<Dbc_Message>> receive, transmit;
        if (p.Values.contains("--receive") && !(receive = Chosen(db, p.Values["--receive"], error)))
            return Fail(QStringLiteral("%1: %2").arg(Native(dbc_file), error));
        if (p.Values.contains("--transmit") && !(transmit = Chosen(db, p.Values["--transmit"], error)))
            return Fail(QStringLiteral("%1: %2").arg(Native(dbc_file), error));

        const Project_Paths paths = Project_Paths_In(dir);
        QList<std::pair<QString, QByteArray>> files;
        QList<Signal_Note> notes = Read_Signal_Notes_To_Rewrite(paths.Signal_Notes);
        QString report;
        int receive_total = Count_Map_File_Rows(paths.Define_CAN_Receive);
        if (receive) {
            const Direction_Import r = Import_Direction(paths, Direction::Receive, *receive, first_register, factor,
                                                        Count_Map_File_Rows(paths.Define_CAN_Transmit), dbc_file);
            files += r.Files;
            report += r.Report;
            receive_total = r.Register_Total;
            notes = Merge_Signal_Notes(notes, r.Notes);
        }
        if (transmit) {
            const Direction_Import t =
                Import_Direction(paths, Direction::Transmit, *transmit, first_register, factor, receive_total, dbc_file);
            files += t.Files;
            report += t.Report;
            notes = Merge_Signal_Notes(notes, t.Notes);
        }
        // What the database held that could not be read, as the editors list it.
        QString unread;
        for (const Dbc_Skipped &s : db.Skipped)
            unread += QStringLiteral("  skipped %1:%2: %3: %4\n").arg(Native(dbc_file)).arg(s.Line).arg(s.Name, s.Reason);
        if (!unread.isEmpty())
            report = QStringLiteral("database: %1 statement(s) left out\n").arg(db.Skipped.size()) + unread + report;
        // The signals' registers and recipes, for the register map and the monitor.
        files.append({paths.Signal_Notes, Signal_Notes_Bytes(notes)});
        // The frame lists and their mappings change together or not at all.
        Save_Files_Atomic(files);
        Print(stdout, report);
    } catch (const Dbc_Error &e) {
        return Fail(Native(e.Text()));
    } catch (const Xml_Error &e) {
        return Fail(Native(e.Text()));
    } catch (const std::runtime_error &e) {
        return Fail(QString::fromUtf8(e.what()));
    }
    return Exit_Done;
}

int Export_List(const QStringList &args)
{
    const Command_Line p = Read_Command_Line(args, {"--direction", "-o"}, {});
    if (!p.Error.isEmpty()) return Usage_Error(p.Error);
    if (p.Words.size() != 2 || (p.Words[0] != u"frames" && p.Words[0] != u"mappings"))
        return Usage_Error(QStringLiteral("export takes 'frames' or 'mappings' and a configuration folder"));
    const std::optional<Direction> d = Direction_Of(p.Values.value("--direction"));
    if (!d) return Usage_Error(QStringLiteral("export needs --direction receive or --direction transmit"));
    if (p.Values.value("-o").isEmpty()) return Usage_Error(QStringLiteral("export needs -o FILE"));
    const QString dir = QDir::cleanPath(p.Words[1]);
    if (!Is_Folder(dir)) return Fail(QStringLiteral("%1: no such configuration folder").arg(Native(p.Words[1])));
    const Project_Paths paths = Project_Paths_In(dir);
    const QString out = p.Values["-o"];
    try {
        const QList<Frame_Row> rows = Read_Frame_File(paths.Frame_File(*d), *d);
        QByteArray sheet;
        int count = 0;
        if (p.Words[0] == u"frames") {
            sheet = Frame_List_Csv(*d, rows);
            count = int(rows.size());
        } else {
            const QList<Editor_Frame> frames = Read_Mapping_Files(paths.Frame_File(*d), paths.Map_File(*d), *d);
            sheet = Mapping_List_Csv(*d, frames, rows);
            for (const Editor_Frame &f : frames) count += int(f.Registers.size());
        }
        Replace_File(out, sheet);
        Print(stdout, QStringLiteral("%1: %2 %3 %4\n").arg(Native(out)).arg(count).arg(Direction_Name(*d),
                                                                                     p.Words[0] == u"frames" ? QStringLiteral("frame(s)") : QStringLiteral("register(s)")));
    } catch (const File_Error &e) {
        return Fail(Native(e.Text()));
    }
    return Exit_Done;
}

int Import_List(const QStringList &args)
{
    const Command_Line p = Read_Command_Line(args, {"--direction"}, {"--take-good-lines"});
    if (!p.Error.isEmpty()) return Usage_Error(p.Error);
    if (p.Words.size() != 3 || (p.Words[0] != u"frames" && p.Words[0] != u"mappings"))
        return Usage_Error(QStringLiteral("import takes 'frames' or 'mappings', a configuration folder and a CSV file"));
    const std::optional<Direction> d = Direction_Of(p.Values.value("--direction"));
    if (!d) return Usage_Error(QStringLiteral("import needs --direction receive or --direction transmit"));
    const bool take_good = p.Flags.contains("--take-good-lines");
    const QString dir = QDir::cleanPath(p.Words[1]);
    if (!Is_Folder(dir)) return Fail(QStringLiteral("%1: no such configuration folder").arg(Native(p.Words[1])));
    const Project_Paths paths = Project_Paths_In(dir);
    const QString sheet_path = p.Words[2];
    const Direction other = *d == Direction::Receive ? Direction::Transmit : Direction::Receive;
    try {
        const QByteArray bytes = Read_Regular_File(sheet_path, Text_File_Limit);
        QList<Csv_Fault> faults;
        bool header_ok = false;
        QString report;
        std::function<void()> commit;
        if (p.Words[0] == u"frames") {
            Frame_Csv_Read r = Read_Frame_Csv(*d, bytes);
            faults = r.Faults;
            header_ok = r.Header_Ok;
            const QList<Frame_Row> stored = Read_Frame_File(paths.Frame_File(*d), *d);
            const Frame_Grid grid = Frame_Grid_Of_Sheet(r.Rows, stored);
            const Frame_List_Save save = Plan_Frame_List_Save(grid, int(stored.size()), paths.Map_File(*d));
            report = QStringLiteral("%1 %2 frame(s) taken\n").arg(Direction_Name(*d)).arg(r.Rows.size());
            if (save.Removed_Count() > 0)
                report += QStringLiteral("%1 register(s) of frames no longer in the list removed\n").arg(save.Removed_Count());
            commit = [save, d, paths]() { Commit_Frame_List_Save(save, *d, paths.Frame_File(*d), paths.Map_File(*d)); };
        } else {
            const QList<Frame_Row> rows = Read_Frame_File(paths.Frame_File(*d), *d);
            const QList<Editor_Frame> frames = Read_Mapping_Files(paths.Frame_File(*d), paths.Map_File(*d), *d);
            const Mapping_Csv_Read r =
                Read_Mapping_Csv(*d, bytes, frames, rows, Count_Map_File_Rows(paths.Map_File(other)));
            faults = r.Faults;
            header_ok = r.Header_Ok;
            report = QStringLiteral("%1 %2 register(s) taken\n").arg(Direction_Name(*d)).arg(r.Taken);
            const QList<Editor_Frame> result = r.Frames;
            commit = [result, d, paths]() { Write_Map_File(paths.Map_File(*d), *d, result); };
        }
        for (const Csv_Fault &f : faults)
            Print(stderr, QStringLiteral("%1:%2: %3\n").arg(Native(sheet_path)).arg(f.Line).arg(f.Reason));
        // A file that is not such a sheet has no good lines: taking none would empty the list.
        if (!header_ok) return Fail(QStringLiteral("%1: not a sheet of %2 %3: nothing taken").arg(Native(sheet_path), Direction_Name(*d), p.Words[0]));
        if (!faults.isEmpty() && !take_good)
            return Fail(QStringLiteral("%1 bad line(s): nothing taken (--take-good-lines takes the others)").arg(faults.size()));
        commit();
        Print(stdout, report);
    } catch (const File_Access_Error &e) {
        return Fail(QString::fromUtf8(e.what()));
    } catch (const Xml_Error &e) {
        return Fail(Native(e.Text()));
    }
    return Exit_Done;
}

int Export_Map(const QStringList &args)
{
    const Command_Line p = Read_Command_Line(args, {"--format", "-o"}, {});
    if (!p.Error.isEmpty()) return Usage_Error(p.Error);
    if (p.Words.size() != 1) return Usage_Error(QStringLiteral("export-map takes a configuration folder"));
    if (p.Values.value("-o").isEmpty()) return Usage_Error(QStringLiteral("export-map needs -o FILE"));
    const QString out = p.Values["-o"];
    // The format as told, or else by the file's extension.
    const QString format = p.Values.contains("--format") ? p.Values.value("--format") : QFileInfo(out).suffix().toLower();
    if (format != u"csv" && format != u"html" && format != u"pdf")
        return Usage_Error(QStringLiteral("export-map needs --format csv, html or pdf (or a FILE ending in one of them)"));
    const QString dir = QDir::cleanPath(p.Words[0]);
    if (!Is_Folder(dir)) return Fail(QStringLiteral("%1: no such configuration folder").arg(Native(p.Words[0])));
    try {
        const Register_Map map = Read_Register_Map(Project_Paths_In(dir), QFileInfo(QFileInfo(dir).absoluteFilePath()).fileName(),
                                                   QDate::currentDate(), SW_Version_Text);
        QByteArray bytes;
        if (format == u"pdf") {
            // Fonts and the PDF writer need Qt Gui, also on a machine without a display.
            Use_Offscreen_Without_Display();
            static int argc = 1;
            static char name[] = "qcx3310-cli";
            static char *argv[] = {name, nullptr};
            QGuiApplication app(argc, argv);
            bytes = Register_Map_Pdf(map);
        } else {
            bytes = format == u"csv" ? Register_Map_Csv(map) : Register_Map_Html(map);
        }
        Replace_File(out, bytes);
        Print(stdout, QStringLiteral("%1: %2 line(s)\n").arg(Native(out)).arg(map.Lines.size()));
    } catch (const File_Error &e) {
        return Fail(Native(e.Text()));
    }
    return Exit_Done;
}
