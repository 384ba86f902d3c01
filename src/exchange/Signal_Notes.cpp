#include "exchange/Signal_Notes.h"

#include "editing/Frame_List.h"
#include "editing/Mapping_List.h"
#include "exchange/Csv_Lists.h"
#include "platform/Core_Text.h"
#include "platform/IntText.h"
#include "platform/Safe_File.h"
#include "platform/XmlDocument.h"

#include <QFileInfo>

namespace {

const QStringList Columns{"Direction", "CobID", "Type", "Mod_Index", "Byte_HiPart", "Byte_LoPart",
                          "Message", "Signal", "Unit", "Factor", "Offset"};

bool Same_Frame(const QString &id_a, const QString &type_a, const QString &id_b, const QString &type_b)
{
    const std::optional<int32_t> a = Int_Text::Str_To_Int(id_a);
    const std::optional<int32_t> b = Int_Text::Str_To_Int(id_b);
    Frame_Row ra, rb;
    ra.Type = type_a;
    rb.Type = type_b;
    return a && b && *a == *b && Is_11_Bit(ra) == Is_11_Bit(rb);
}

}  // namespace

QString Signal_Notes_Path(const Project_Paths &paths)
{
    return QFileInfo(paths.ParGen).path() + QStringLiteral("/CAN_Signals.csv");
}

namespace {

// The notes of a sheet's bytes; a line that is no note is named in faults.
QList<Signal_Note> Parse_Signal_Notes(const QByteArray &bytes, QList<Csv_Fault> &faults)
{
    QList<Signal_Note> notes;
    QList<Csv_Record> records = Read_Csv_Records(bytes, faults);
    if (records.isEmpty()) return notes;
    if (records.first().Fields != Columns) faults.append({records.first().Line, Core_Text("not the header of a signal sheet")});
    records.removeFirst();
    for (const Csv_Record &r : records) {
        const QStringList &f = r.Fields;
        if (f.size() != Columns.size()) {
            faults.append({r.Line, Core_Text("%1 fields instead of %2").arg(f.size()).arg(Columns.size())});
            continue;
        }
        Signal_Note n;
        if (f[0] == u"receive") n.Dir = Direction::Receive;
        else if (f[0] == u"transmit") n.Dir = Direction::Transmit;
        else {
            faults.append({r.Line, Core_Text("direction \"%1\" is neither receive nor transmit").arg(f[0])});
            continue;
        }
        const std::optional<int32_t> reg = Mod_Index_Value(f[3]);
        const std::optional<int32_t> hi = Int_Text::Str_To_Int(f[4]);
        const std::optional<int32_t> lo = Int_Text::Str_To_Int(f[5]);
        if (!reg || !hi || !lo) {
            faults.append({r.Line, Core_Text("register or byte is no number")});
            continue;
        }
        n.CobID = f[1];
        n.Type = f[2];
        n.Register = *reg;
        n.HiPart = *hi;
        n.LoPart = *lo;
        n.Message = f[6];
        n.Signal = f[7];
        n.Unit = f[8];
        n.Factor = f[9];
        n.Offset = f[10];
        notes.append(n);
    }
    return notes;
}

}  // namespace

QList<Signal_Note> Read_Signal_Notes(const QString &path)
{
    if (!QFileInfo::exists(path)) return {};
    QByteArray bytes;
    try {
        bytes = Read_Regular_File(path, Text_File_Limit);
    } catch (const File_Access_Error &) {
        return {};
    }
    QList<Csv_Fault> faults;
    return Parse_Signal_Notes(bytes, faults);
}

QList<Signal_Note> Read_Signal_Notes_To_Rewrite(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return {};
    QByteArray bytes;
    try {
        bytes = Read_Regular_File(path, Text_File_Limit);
    } catch (const File_Access_Error &error) {
        throw Xml_Error(path, 0, 0, error.Reason);
    }
    QList<Csv_Fault> faults;
    QList<Signal_Note> notes = Parse_Signal_Notes(bytes, faults);
    // Rewriting would drop what cannot be read: the user is told where, and the file stays.
    if (!faults.isEmpty())
        throw Xml_Error(path, faults.first().Line, 1,
                        Core_Text("%1; saving would drop this line, so nothing is saved").arg(faults.first().Reason));
    return notes;
}

QByteArray Signal_Notes_Bytes(const QList<Signal_Note> &notes)
{
    QList<QStringList> lines;
    for (const Signal_Note &n : notes)
        lines.append({n.Dir == Direction::Receive ? QStringLiteral("receive") : QStringLiteral("transmit"), n.CobID, n.Type,
                      QString::number(n.Register), QString::number(n.HiPart), QString::number(n.LoPart), n.Message,
                      n.Signal, n.Unit, n.Factor, n.Offset});
    return Write_Csv(Columns, lines);
}

QList<Signal_Note> Merge_Signal_Notes(const QList<Signal_Note> &old_notes, const QList<Signal_Note> &new_notes)
{
    QList<Signal_Note> out;
    for (const Signal_Note &o : old_notes) {
        bool replaced = false;
        for (const Signal_Note &n : new_notes) replaced = replaced || (n.Dir == o.Dir && n.Register == o.Register);
        if (!replaced) out.append(o);
    }
    return out + new_notes;
}

const Signal_Note *Find_Signal_Note(const QList<Signal_Note> &notes, Direction dir, const QString &register_text,
                                    const QString &cob_id, const QString &type, int32_t hi, int32_t lo)
{
    const std::optional<int32_t> reg = Mod_Index_Value(register_text);
    if (!reg) return nullptr;
    for (const Signal_Note &n : notes)
        if (n.Dir == dir && n.Register == *reg && n.HiPart == hi && n.LoPart == lo && Same_Frame(n.CobID, n.Type, cob_id, type))
            return &n;
    return nullptr;
}
