#include "exchange/Bus_Learn.h"

#include "platform/Core_Text.h"
#include "platform/Int_Text.h"
#include "lang/Lang_Table.h"

#include <QSet>

namespace {

// The longest TimeOut the frame editors accept.
constexpr int64_t Max_Timer_Ms = 100000000;

uint32_t Key(uint32_t id, bool extended) { return id | (extended ? 0x80000000u : 0u); }

bool Blank(const Frame_Row &row) { return row == Frame_Row{}; }

QString Cob_Text(const Seen_Frame &f) { return QStringLiteral("0x") + QString::number(f.Id, 16).toUpper(); }

}  // namespace

QList<Seen_Frame> Seen_Frames(const Bus_Traffic &traffic)
{
    QList<Seen_Frame> out;
    for (const Ident_Traffic *t : traffic.Sorted()) {
        if (t->Count == 0) continue;
        Seen_Frame f;
        f.Id = t->Id;
        f.Extended = t->Extended;
        f.Count = t->Count;
        f.Lengths = t->Lengths();
        f.Cycle_Us = t->Median_Gap_Us();
        if (t->Gaps > 0) f.Max_Gap_Us = t->Max_Gap_Us;
        out << f;
    }
    return out;
}

Frame_Row Learned_Frame_Row(const Seen_Frame &frame, double timeout_factor)
{
    Frame_Row row;
    row.CobID = Cob_Text(frame);
    // The shortest length that carries data: the device then takes every frame with data.
    int dimension = 8;
    for (int l : frame.Lengths)
        if (l > 0) {
            dimension = l;
            break;
        }
    row.Dimension = QString::number(dimension);
    row.Type = frame.Extended ? Frame_Type_29 : Frame_Type_11;
    row.TimeOut = QString::number(frame.Max_Gap_Us ? Suggested_Timeout_Ms(*frame.Max_Gap_Us, timeout_factor) : 0);
    return row;
}

Frame_Import Learn_Frames(const Frame_Grid &grid, const QList<Seen_Frame> &frames, double timeout_factor)
{
    Frame_Import out;
    out.Grid = grid;
    if (out.Grid.size() < Max_Frame_Entries) out.Grid.resize(Max_Frame_Entries);
    QSet<uint32_t> present;
    for (const Frame_Row &row : out.Grid) {
        if (!Is_Entry(row)) continue;
        const std::optional<int32_t> id = Int_Text::Str_To_Int(row.CobID);
        if (id && *id >= 0) present.insert(Key(uint32_t(*id), !Is_11_Bit(row)));
    }
    int next = 0;
    for (const Seen_Frame &f : frames) {
        const QString name = Cob_Text(f);
        if (present.contains(Key(f.Id, f.Extended))) {
            out.Skipped.append({name, 0, Core_Text("the list already holds this identifier and type")});
            continue;
        }
        if (f.Lengths.isEmpty() || f.Lengths.last() == 0) {
            out.Skipped.append({name, 0, Core_Text("frames without data bytes: nothing for a register")});
            continue;
        }
        if (f.Max_Gap_Us && Suggested_Timeout_Ms(*f.Max_Gap_Us, timeout_factor) > Max_Timer_Ms) {
            out.Skipped.append({name, 0, Core_Text("the time-out would exceed %1 ms").arg(Max_Timer_Ms)});
            continue;
        }
        while (next < Max_Frame_Entries && !Blank(out.Grid[next])) ++next;
        if (next >= Max_Frame_Entries) {
            out.Skipped.append({name, 0, Core_Text("the list is full (%1 frames)").arg(Max_Frame_Entries)});
            continue;
        }
        out.Grid[next] = Learned_Frame_Row(f, timeout_factor);
        present.insert(Key(f.Id, f.Extended));
        out.Added << name;
        out.Added_Rows << next + 1;
    }
    return out;
}

Import_Summary Learn_Summary(const Lang_Table &lang, const Frame_Import &learned)
{
    Import_Summary out;
    out.Summary = lang[STR_Import_Frames_Taken].arg(learned.Added.size()).arg(learned.Skipped.size());
    for (int i = 0; i < learned.Added.size() && i < learned.Added_Rows.size(); ++i)
        out.Lines.append(lang[STR_Import_Frame_Row].arg(learned.Added_Rows[i]).arg(learned.Added[i]));
    for (const Import_Note &n : learned.Skipped) out.Lines.append(lang[STR_Learn_Left_Out].arg(n.Name, n.Reason));
    return out;
}
