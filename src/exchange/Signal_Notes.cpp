#include "exchange/Signal_Notes.h"

#include "editing/Frame_List.h"
#include "editing/Mapping_List.h"
#include "exchange/Csv_Lists.h"
#include "platform/Core_Text.h"
#include "platform/Int_Text.h"
#include "platform/Safe_File.h"
#include "platform/Xml_Document.h"

#include <QFileInfo>
#include <QSet>

namespace {

// The columns of older files, one line a register; today's add the recipe and every register of
// the signal after them, one line a signal.
const QStringList Old_Columns{"Direction", "CobID", "Type", "Mod_Index", "Byte_HiPart", "Byte_LoPart",
                              "Message", "Signal", "Unit", "Factor", "Offset"};
const QStringList Columns = Old_Columns + QStringList{"Registers", "Bytes", "Shift", "Length", "Signed", "Float",
                                                      "Minimum", "Maximum", "Values"};

// A note's registers; one made in code with its first register alone has that one.
QList<Note_Register> Registers_Of(const Signal_Note &n)
{
    return n.Registers.isEmpty() ? QList<Note_Register>{{n.Register, n.HiPart, n.LoPart}} : n.Registers;
}

QString Yes_No(bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); }

// "100 101" and "4/3 2/1": the registers and their bytes, high word first.
std::optional<QList<Note_Register>> Registers_Of(const QString &registers, const QString &bytes)
{
    const QStringList r = registers.split(u' ', Qt::SkipEmptyParts);
    const QStringList b = bytes.split(u' ', Qt::SkipEmptyParts);
    if (r.isEmpty() || r.size() != b.size() || r.size() > 4) return std::nullopt;
    QList<Note_Register> out;
    for (qsizetype i = 0; i < r.size(); ++i) {
        const QStringList pair = b[i].split(u'/');
        const std::optional<int32_t> reg = Mod_Index_Value(r[i]);
        const std::optional<int32_t> hi = pair.size() == 2 ? Int_Text::Str_To_Int(pair[0]) : std::nullopt;
        const std::optional<int32_t> lo = pair.size() == 2 ? Int_Text::Str_To_Int(pair[1]) : std::nullopt;
        if (!reg || !hi || !lo) return std::nullopt;
        out.append({*reg, *hi, *lo});
    }
    return out;
}

// The value table in a cell: one "value=text" a line.
std::optional<QList<std::pair<int64_t, QString>>> Values_Of(const QString &cell)
{
    QList<std::pair<int64_t, QString>> out;
    for (const QString &line : cell.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(u'=');
        bool ok = false;
        const qlonglong v = eq > 0 ? line.left(eq).toLongLong(&ok) : 0;
        if (!ok) return std::nullopt;
        out.append({v, line.mid(eq + 1)});
    }
    return out;
}

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

namespace {

// The notes of a sheet's bytes; a line that is no note is named in faults.
QList<Signal_Note> Parse_Signal_Notes(const QByteArray &bytes, QList<Csv_Fault> &faults)
{
    QList<Signal_Note> notes;
    QList<Csv_Record> records = Read_Csv_Records(bytes, faults);
    if (records.isEmpty()) return notes;
    const bool old = records.first().Fields == Old_Columns;
    const QStringList &columns = old ? Old_Columns : Columns;
    if (records.first().Fields != columns) faults.append({records.first().Line, Core_Text("not the header of a signal sheet")});
    records.removeFirst();
    for (const Csv_Record &r : records) {
        const QStringList &f = r.Fields;
        if (f.size() != columns.size()) {
            faults.append({r.Line, Core_Text("%1 fields instead of %2").arg(f.size()).arg(columns.size())});
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
        n.Registers = {{n.Register, n.HiPart, n.LoPart}};
        if (!old) {
            const std::optional<QList<Note_Register>> regs = Registers_Of(f[11], f[12]);
            const std::optional<QList<std::pair<int64_t, QString>>> values = Values_Of(f[19]);
            bool shift_ok = false, length_ok = false;
            const int shift = f[13].toInt(&shift_ok);
            const int length = f[14].isEmpty() ? 0 : f[14].toInt(&length_ok);
            if (!regs || !values || !(f[14].isEmpty() || (shift_ok && length_ok && shift >= 0 && length >= 1 && shift + length <= 64))) {
                faults.append({r.Line, Core_Text("the signal's registers or recipe cannot be read")});
                continue;
            }
            n.Registers = *regs;
            n.Shift = length > 0 ? shift : 0;
            n.Length = length;
            n.Is_Signed = f[15] == u"yes";
            n.Value_Type = f[16] == u"yes" ? (length == 64 ? 2 : 1) : 0;
            n.Minimum = f[17];
            n.Maximum = f[18];
            n.Values = *values;
        }
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
    for (const Signal_Note &n : notes) {
        QStringList regs, bytes, values;
        for (const Note_Register &r : Registers_Of(n)) {
            regs << QString::number(r.Register);
            bytes << QStringLiteral("%1/%2").arg(r.HiPart).arg(r.LoPart);
        }
        for (const auto &[v, text] : n.Values) values << QString::number(v) + u'=' + text;
        const bool recipe = n.Has_Recipe();
        lines.append({n.Dir == Direction::Receive ? QStringLiteral("receive") : QStringLiteral("transmit"), n.CobID, n.Type,
                      QString::number(n.Register), QString::number(n.HiPart), QString::number(n.LoPart), n.Message,
                      n.Signal, n.Unit, n.Factor, n.Offset, regs.join(u' '), bytes.join(u' '),
                      recipe ? QString::number(n.Shift) : QString(), recipe ? QString::number(n.Length) : QString(),
                      recipe ? Yes_No(n.Is_Signed) : QString(), recipe ? Yes_No(n.Value_Type != 0) : QString(), n.Minimum,
                      n.Maximum, values.join(u'\n')});
    }
    return Write_Csv(Columns, lines);
}

Signal_Recipe Recipe_Of(const Signal_Note &n)
{
    Signal_Recipe r;
    r.Shift = n.Shift;
    r.Length = n.Has_Recipe() ? n.Length : 16;
    r.Is_Signed = n.Is_Signed;
    r.Value_Type = n.Value_Type;
    bool ok = false;
    r.Factor = n.Factor.toDouble(&ok);
    if (!ok) r.Factor = 1;
    r.Offset = n.Offset.toDouble(&ok);
    if (!ok) r.Offset = 0;
    r.Minimum = n.Minimum.toDouble();
    r.Maximum = n.Maximum.toDouble();
    return r;
}

QString Values_Text(const QList<std::pair<int64_t, QString>> &values)
{
    QStringList out;
    for (const auto &[v, text] : values) out << QString::number(v) + u'=' + text;
    return out.join(u' ');
}

uint32_t Mapped_Key(Direction dir, int32_t reg)
{
    return (dir == Direction::Transmit ? 0x10000u : 0u) | uint32_t(reg & 0xFFFF);
}

bool Note_Applies(const Signal_Note &note, const Mapped_Registers &mapped)
{
    for (const Note_Register &r : Registers_Of(note)) {
        bool found = false;
        for (auto it = mapped.constFind(Mapped_Key(note.Dir, r.Register)); !found && it != mapped.constEnd() &&
                                                                           it.key() == Mapped_Key(note.Dir, r.Register);
             ++it)
            found = it->Register == r.Register && it->HiPart == r.HiPart && it->LoPart == r.LoPart &&
                    Same_Frame(it->CobID, it->Type, note.CobID, note.Type);
        if (!found) return false;
    }
    return true;
}

QList<Signal_Note> Merge_Signal_Notes(const QList<Signal_Note> &old_notes, const QList<Signal_Note> &new_notes)
{
    QSet<uint32_t> taken;
    for (const Signal_Note &n : new_notes)
        for (const Note_Register &r : Registers_Of(n)) taken.insert(Mapped_Key(n.Dir, r.Register));
    QList<Signal_Note> out;
    for (const Signal_Note &o : old_notes) {
        bool replaced = false;
        for (const Note_Register &r : Registers_Of(o)) replaced = replaced || taken.contains(Mapped_Key(o.Dir, r.Register));
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
