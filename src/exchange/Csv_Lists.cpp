#include "exchange/Csv_Lists.h"

#include "editing/Frame_List.h"
#include "editing/Mapping_List.h"
#include "exchange/Dbc_File.h"
#include "platform/Core_Text.h"
#include "platform/Int_Text.h"
#include "platform/Xml_Document.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

bool Formula_Start(QChar c) { return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r'; }

// What a spreadsheet reads as a number and nothing else.
bool Plain_Number(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?([eE][+-]?[0-9]+)?$"));
    return number.match(text).hasMatch();
}

// A cell a spreadsheet could take for a formula, or one whose leading apostrophe the reader
// would take away.
bool Needs_Apostrophe(const QString &text)
{
    if (text.isEmpty()) return false;
    // A lone sign (the map's "no byte") has nothing to compute either.
    if (Formula_Start(text[0])) return !Plain_Number(text) && text != u"-" && text != u"+";
    return text[0] == u'\'' && text.size() > 1 && (Formula_Start(text[1]) || text[1] == u'\'');
}

// A field in quotes where a reader would otherwise split it or lose its blanks, or always.
QString Csv_Field(const QString &field, bool quote)
{
    static const QString special = QStringLiteral(",;\"\r\n");
    quote = quote || (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
    for (const QChar c : field) quote = quote || special.contains(c);
    if (!quote) return field;
    QString out = field;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

// A cell of the lists as their sheets show it: an escaped one is quoted as well, as
// spreadsheet-safe exports do.
QString Safe_Field(const QString &text)
{
    const bool neutral = Needs_Apostrophe(text);
    return Csv_Field(neutral ? QLatin1Char('\'') + text : text, neutral);
}

// A cell of a sheet the program keeps for itself (the signal notes): nothing added.
QString Plain_Field(const QString &text) { return Csv_Field(text, false); }

QByteArray Sheet(const QStringList &header, const QList<QStringList> &lines, QString (*cell)(const QString &) = Safe_Field)
{
    QString text;
    auto line = [&text, cell](const QStringList &fields) {
        QStringList q;
        for (const QString &f : fields) q << cell(f);
        text += q.join(QLatin1Char(',')) + QLatin1String("\r\n");
    };
    line(header);
    for (const QStringList &l : lines) line(l);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

// Splits the text into records; a record that cannot be read ends the reading with a fault.
QList<Csv_Record> Records(const QString &text, QList<Csv_Fault> &faults)
{
    // The separator is what the header row uses.
    const qsizetype header_end = text.indexOf(QLatin1Char('\n'));
    const QString header = text.left(header_end < 0 ? text.size() : header_end);
    const QChar sep = header.count(QLatin1Char(';')) > header.count(QLatin1Char(',')) ? QLatin1Char(';') : QLatin1Char(',');

    QList<Csv_Record> out;
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        Csv_Record rec;
        rec.Line = line;
        QString field;
        bool done = false;
        while (!done) {
            if (i < n && text[i] == u'"') {
                const int opened = line;
                ++i;
                for (;;) {
                    if (i >= n) {
                        faults.append({opened, Core_Text("a quoted field is not closed")});
                        return out;
                    }
                    if (text[i] == u'"') {
                        if (i + 1 < n && text[i + 1] == u'"') {
                            field += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == u'\n') ++line;
                    field += text[i++];
                }
                if (i < n && text[i] != sep && text[i] != u'\r' && text[i] != u'\n') {
                    faults.append({line, Core_Text("text follows a closing quote")});
                    return out;
                }
            }
            while (i < n && text[i] != sep && text[i] != u'\n') {
                if (text[i] == u'\r') {
                    // CR LF ends a line, and so does a CR alone, as older spreadsheets write them.
                    if (i + 1 < n && text[i + 1] == u'\n') ++i;
                    break;
                }
                field += text[i++];
            }
            rec.Fields << field;
            field.clear();
            if (i < n && text[i] == sep) {
                ++i;
            } else {
                if (i < n) ++i, ++line;  // the line end
                done = true;
            }
        }
        // Blank lines (a spreadsheet may leave some at the end) are no records.
        if (!(rec.Fields.size() == 1 && rec.Fields[0].trimmed().isEmpty())) out.append(rec);
    }
    return out;
}

// The records of a sheet after its header; a wrong header is a fault of line 1 and gives none.
QList<Csv_Record> Body(const QByteArray &bytes, const QStringList &columns, QList<Csv_Fault> &faults, bool &header_ok)
{
    header_ok = false;
    QList<Csv_Record> records = Read_Csv_Records(bytes, faults);
    if (records.isEmpty()) {
        if (faults.isEmpty()) faults.append({1, Core_Text("the header row is missing")});
        return {};
    }
    QStringList header;
    for (const QString &f : records[0].Fields) header << f.trimmed();
    if (header.join(QLatin1Char(',')).compare(columns.join(QLatin1Char(',')), Qt::CaseInsensitive) != 0) {
        faults.prepend({records[0].Line, Core_Text("the header row must be: %1").arg(columns.join(QLatin1Char(',')))});
        return {};
    }
    records.removeFirst();
    header_ok = true;
    return records;
}

bool Column_Count_Fault(const Csv_Record &r, int count, QList<Csv_Fault> &faults)
{
    if (r.Fields.size() == count) return false;
    faults.append({r.Line, Core_Text("%1 columns, %2 expected").arg(r.Fields.size()).arg(count)});
    return true;
}

std::optional<Frame_Key> Key_Of(const QString &cob_id, const QString &type)
{
    Frame_Row row;
    row.CobID = cob_id;
    row.Type = type;
    return Frame_Key_Of(row);
}

QString Rule_Text(Direction direction, Frame_Rule rule)
{
    switch (rule) {
    case Frame_Rule::Type_Empty: return Core_Text("the Type is empty");
    case Frame_Rule::CobID_11: return Core_Text("the Cob-ID lies outside 0..0x7FF of an 11-bit frame");
    case Frame_Rule::CobID_29: return Core_Text("the Cob-ID lies outside 0..0x1FFFFFFF of a 29-bit frame");
    case Frame_Rule::Dimension: return Core_Text("the Dimension lies outside 1..8");
    case Frame_Rule::Timer:
        return direction == Direction::Receive ? Core_Text("the TimeOut lies outside 0..100000000")
                                               : Core_Text("the SendTimer lies outside 0..100000000");
    }
    return QString();
}

// The cells of a line as the files will hold them, the apostrophe of a spreadsheet-safe cell
// taken away; none, and a fault of the line, for a character no configuration file can hold (a
// NUL would cut the text short, others would make the file unwritable).
std::optional<QStringList> Line_Cells(const Csv_Record &r, const QStringList &columns, QList<Csv_Fault> &faults)
{
    QStringList cells;
    for (qsizetype i = 0; i < r.Fields.size(); ++i) {
        if (const std::optional<char32_t> c = First_Unstorable_Char(r.Fields[i])) {
            const QString code = QStringLiteral("U+") + QStringLiteral("%1").arg(uint(*c), 4, 16, QLatin1Char('0')).toUpper();
            faults.append({r.Line, Core_Text("the column %1 holds the character %2, which a configuration file cannot hold")
                                       .arg(i < columns.size() ? columns[i] : QString::number(i + 1), code)});
            return std::nullopt;
        }
        cells << Sheet_Cell_Text(r.Fields[i]);
    }
    return cells;
}

bool Check_Text(const QString &text) { return text.isEmpty() || text.compare(u"Y", Qt::CaseInsensitive) == 0 || text.compare(u"N", Qt::CaseInsensitive) == 0; }

}  // namespace

QList<Csv_Record> Read_Csv_Records(const QByteArray &bytes, QList<Csv_Fault> &faults)
{
    return Records(Decode_Dbc_Bytes(bytes), faults);
}

QByteArray Write_Csv(const QStringList &header, const QList<QStringList> &lines) { return Sheet(header, lines, Plain_Field); }

QString Spreadsheet_Safe_Cell(const QString &text) { return Needs_Apostrophe(text) ? QLatin1Char('\'') + text : text; }

QString Sheet_Cell_Text(const QString &cell)
{
    if (cell.size() > 1 && cell[0] == u'\'' && (Formula_Start(cell[1]) || cell[1] == u'\'')) return cell.mid(1);
    return cell;
}

QStringList Frame_Csv_Columns(Direction direction)
{
    if (direction == Direction::Receive) return {"CobID", "Dimension", "Type", "TimeOut", "Mnemonic"};
    return {"CobID", "Dimension", "Type", "DataChange", "OnTimer", "SendTimer", "Mnemonic"};
}

QStringList Mapping_Csv_Columns(Direction direction)
{
    if (direction == Direction::Receive) return {"CobID", "Type", "Mod_Index", "Byte_HiPart", "Byte_LoPart"};
    return {"CobID", "Type", "Mod_Index", "Byte_HiPart", "Byte_LoPart", "Send_on_Write"};
}

QByteArray Frame_List_Csv(Direction direction, const QList<Frame_Row> &rows)
{
    QList<QStringList> lines;
    for (const Frame_Row &r : rows) {
        if (direction == Direction::Receive)
            lines.append({r.CobID, r.Dimension, r.Type, r.TimeOut, r.Mnemonic});
        else
            lines.append({r.CobID, r.Dimension, r.Type, r.DataChange, r.OnTimer, r.SendTimer, r.Mnemonic});
    }
    return Sheet(Frame_Csv_Columns(direction), lines);
}

QByteArray Mapping_List_Csv(Direction direction, const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows)
{
    QList<QStringList> lines;
    for (int f = 0; f < frames.size() && f < rows.size(); ++f)
        for (const Editor_Register &reg : frames[f].Registers) {
            QStringList l{rows[f].CobID, rows[f].Type, reg.Ind_Mod, QString::number(reg.HiPart), QString::number(reg.LoPart)};
            if (direction == Direction::Transmit) l << QString::number(reg.Write);
            lines.append(l);
        }
    return Sheet(Mapping_Csv_Columns(direction), lines);
}

Frame_Csv_Read Read_Frame_Csv(Direction direction, const QByteArray &bytes)
{
    Frame_Csv_Read out;
    const QStringList columns = Frame_Csv_Columns(direction);
    for (const Csv_Record &r : Body(bytes, columns, out.Faults, out.Header_Ok)) {
        if (Column_Count_Fault(r, int(columns.size()), out.Faults)) continue;
        const std::optional<QStringList> cells = Line_Cells(r, columns, out.Faults);
        if (!cells) continue;
        const QStringList &f = *cells;
        Frame_Row row;
        row.CobID = f[0];
        row.Dimension = f[1];
        row.Type = f[2];
        if (direction == Direction::Receive) {
            row.TimeOut = f[3];
            row.Mnemonic = f[4];
        } else {
            row.DataChange = f[3];
            row.OnTimer = f[4];
            row.SendTimer = f[5];
            row.Mnemonic = f[6];
        }
        if (!Is_Entry(row)) {
            out.Faults.append({r.Line, Core_Text("the Cob-ID is empty")});
            continue;
        }
        const QString type = Int_Text::Trim(row.Type).toUpper();
        if (!type.isEmpty() && type != Frame_Type_11_Upper && type != Frame_Type_29_Upper) {
            out.Faults.append({r.Line, Core_Text("the Type must be \"%1\" or \"%2\"").arg(Frame_Type_11, Frame_Type_29)});
            continue;
        }
        if (const std::optional<Frame_Fault> fault = Check_Frames(direction, Frame_Grid{row})) {
            out.Faults.append({r.Line, Rule_Text(direction, fault->Rule)});
            continue;
        }
        if (direction == Direction::Transmit && !(Check_Text(row.DataChange) && Check_Text(row.OnTimer))) {
            out.Faults.append({r.Line, Core_Text("DataChange and OnTimer take Y or N")});
            continue;
        }
        if (out.Rows.size() >= Max_Frame_Entries) {
            out.Faults.append({r.Line, Core_Text("a frame list holds at most %1 frames").arg(Max_Frame_Entries)});
            continue;
        }
        out.Rows.append(row);
    }
    return out;
}

void Follow_Stored_Frames(QList<Frame_Row> &rows, const QList<Frame_Row> &stored)
{
    QList<bool> claimed(stored.size(), false);
    auto claim = [&](Frame_Row &row, auto same) {
        for (int i = 0; i < stored.size(); ++i)
            if (!claimed[i] && same(stored[i])) {
                claimed[i] = true;
                row.Stored_Index = i;
                return true;
            }
        return false;
    };
    for (Frame_Row &row : rows) row.Stored_Index = -1;
    // The same text first, then the same value: "0x181" in the sheet and 385 in the list is one frame.
    for (Frame_Row &row : rows)
        claim(row, [&](const Frame_Row &s) { return s.CobID == row.CobID && s.Type == row.Type; });
    for (Frame_Row &row : rows) {
        if (row.Stored_Index >= 0) continue;
        const std::optional<Frame_Key> key = Key_Of(row.CobID, row.Type);
        if (key) claim(row, [&](const Frame_Row &s) { return Key_Of(s.CobID, s.Type) == key; });
    }
}

Frame_Grid Frame_Grid_Of_Sheet(QList<Frame_Row> rows, const QList<Frame_Row> &stored)
{
    Follow_Stored_Frames(rows, stored);
    Frame_Grid grid = Empty_Frame_Grid();
    for (int i = 0; i < rows.size() && i < grid.size(); ++i) {
        grid[i] = rows[i];
        if (grid[i].Stored_Index >= 0) grid[i].Stored_Index = stored[grid[i].Stored_Index].Stored_Index;
    }
    return grid;
}

Mapping_Csv_Read Read_Mapping_Csv(Direction direction, const QByteArray &bytes, const QList<Editor_Frame> &frames,
                                  const QList<Frame_Row> &rows, int other_direction_count)
{
    Mapping_Csv_Read out;
    out.Frames = frames;
    for (Editor_Frame &f : out.Frames) f.Registers.clear();
    // The frames by their text as the list holds it, then by value.
    QHash<QString, int> by_text;
    QHash<Frame_Key, int> by_key;
    for (int i = int(std::min(rows.size(), frames.size())) - 1; i >= 0; --i) {
        by_text.insert(rows[i].CobID + QChar(0) + rows[i].Type, i);
        if (const std::optional<Frame_Key> k = Key_Of(rows[i].CobID, rows[i].Type)) by_key.insert(*k, i);
    }
    QHash<int32_t, int> used;  // register index value -> line
    int count = other_direction_count;
    const QStringList columns = Mapping_Csv_Columns(direction);
    for (const Csv_Record &r : Body(bytes, columns, out.Faults, out.Header_Ok)) {
        if (Column_Count_Fault(r, int(columns.size()), out.Faults)) continue;
        const std::optional<QStringList> cells = Line_Cells(r, columns, out.Faults);
        if (!cells) continue;
        const QStringList &f = *cells;
        int frame = by_text.value(f[0] + QChar(0) + f[1], -1);
        if (frame < 0) {
            const std::optional<Frame_Key> k = Key_Of(f[0], f[1]);
            if (k) frame = by_key.value(*k, -1);
        }
        if (frame < 0) {
            out.Faults.append({r.Line, Core_Text("the frame list holds no frame %1 (%2)").arg(f[0], f[1])});
            continue;
        }
        const std::optional<int32_t> index = Mod_Index_Value(f[2]);
        if (!index) {
            out.Faults.append({r.Line, Core_Text("the register index '%1' lies outside 0..%2").arg(f[2]).arg(Max_Mod_Index)});
            continue;
        }
        if (used.contains(*index)) {
            out.Faults.append({r.Line, Core_Text("register %1 is given on line %2 already").arg(*index).arg(used.value(*index))});
            continue;
        }
        const int offered = Offered_Bytes(out.Frames[frame]);
        const std::optional<int32_t> hi = Int_Text::Str_To_Int(f[3]);
        const std::optional<int32_t> lo = Int_Text::Str_To_Int(f[4]);
        if (!hi || !lo || *hi < 0 || *lo < 0 || *hi > offered || *lo > offered) {
            out.Faults.append({r.Line, Core_Text("Byte_HiPart and Byte_LoPart take 0..%1 (the frame's bytes)").arg(offered)});
            continue;
        }
        int32_t write = 0;
        if (direction == Direction::Transmit) {
            if (f[5] != u"0" && f[5] != u"1") {
                out.Faults.append({r.Line, Core_Text("Send_on_Write takes 0 or 1")});
                continue;
            }
            write = f[5] == u"1" ? 1 : 0;
        }
        if (count >= Max_Map_Records) {
            out.Faults.append({r.Line, Core_Text("the device holds at most %1 registers, both directions together").arg(Max_Map_Records)});
            continue;
        }
        out.Frames[frame].Registers.append(Editor_Register{f[2], *hi, *lo, write});
        used.insert(*index, r.Line);
        ++count;
        ++out.Taken;
    }
    return out;
}
