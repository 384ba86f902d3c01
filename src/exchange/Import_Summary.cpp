#include "exchange/Import_Summary.h"

namespace {

QString Left_Out(const Lang_Table &lang, const Import_Note &note)
{
    return lang[STR_Import_Left_Out_Named].arg(note.Line).arg(note.Name, note.Reason);
}

QString Left_Out(const Lang_Table &lang, const Csv_Fault &fault)
{
    return lang[STR_Import_Left_Out_Line].arg(fault.Line).arg(fault.Reason);
}

QString Register_Line(const Lang_Table &lang, const QString &index, const QString &what, int32_t hi, int32_t lo)
{
    return lang[STR_Import_Register].arg(index, what).arg(hi).arg(lo);
}

}  // namespace

Import_Summary Frame_Import_Summary(const Lang_Table &lang, const Frame_Import &import)
{
    Import_Summary out;
    out.Summary = lang[STR_Import_Frames_Taken].arg(import.Added.size()).arg(import.Skipped.size());
    for (int i = 0; i < import.Added.size() && i < import.Added_Rows.size(); ++i)
        out.Lines.append(lang[STR_Import_Frame_Row].arg(import.Added_Rows[i]).arg(import.Added[i]));
    for (const Import_Note &n : import.Skipped) out.Lines.append(Left_Out(lang, n));
    return out;
}

Import_Summary Signal_Import_Summary(const Lang_Table &lang, const Signal_Import &import)
{
    Import_Summary out;
    out.Summary = lang[STR_Import_Registers_Taken].arg(import.Taken.size()).arg(import.Skipped.size());
    for (const Imported_Register &r : import.Taken) {
        const QString name = r.Message + u'.' + r.Signal;
        const QString what = r.Parts == 1               ? name
                             : r.Part == 0               ? lang[STR_Import_High_Word].arg(name)
                             : r.Part == r.Parts - 1     ? lang[STR_Import_Low_Word].arg(name)
                                                         : lang[STR_Import_Word_Of].arg(name).arg(r.Part + 1).arg(r.Parts);
        out.Lines.append(Register_Line(lang, QString::number(r.Register), what, r.HiPart, r.LoPart));
    }
    for (const Imported_Signal &s : import.Signals) {
        QStringList regs;
        for (const int32_t r : s.Registers) regs << QString::number(r);
        const QString kind = s.Source.Is_Float() ? lang[STR_Import_Kind_Float]
                             : s.Source.Is_Signed ? lang[STR_Import_Kind_Signed]
                                                  : lang[STR_Import_Kind_Unsigned];
        out.Lines.append(lang[STR_Import_Signal_Recipe]
                             .arg(s.Message + u'.' + s.Source.Name, regs.join(u' '))
                             .arg(s.Shift)
                             .arg(s.Source.Length)
                             .arg(kind));
    }
    for (const Import_Note &n : import.Skipped) out.Lines.append(Left_Out(lang, n));
    return out;
}

Import_Summary Frame_Csv_Summary(const Lang_Table &lang, const QList<Frame_Row> &rows, const QList<Csv_Fault> &faults)
{
    Import_Summary out;
    out.Summary = lang[STR_Import_Frames_Taken].arg(rows.size()).arg(faults.size());
    for (int i = 0; i < rows.size(); ++i) {
        const QString what = rows[i].Mnemonic.isEmpty() ? rows[i].CobID : rows[i].CobID + u' ' + rows[i].Mnemonic;
        out.Lines.append(lang[STR_Import_Frame_Row].arg(i + 1).arg(what));
    }
    for (const Csv_Fault &f : faults) out.Lines.append(Left_Out(lang, f));
    return out;
}

Import_Summary Mapping_Csv_Summary(const Lang_Table &lang, const QList<Editor_Frame> &frames, const QList<Frame_Row> &rows,
                                   const QList<Csv_Fault> &faults)
{
    Import_Summary out;
    int taken = 0;
    for (int f = 0; f < frames.size(); ++f)
        for (const Editor_Register &r : frames[f].Registers) {
            const QString frame = f < rows.size() ? rows[f].CobID : frames[f].CobID;
            out.Lines.append(Register_Line(lang, r.Ind_Mod, frame, r.HiPart, r.LoPart));
            ++taken;
        }
    out.Summary = lang[STR_Import_Registers_Taken].arg(taken).arg(faults.size());
    for (const Csv_Fault &f : faults) out.Lines.append(Left_Out(lang, f));
    return out;
}

Import_Summary Csv_Fault_Summary(const Lang_Table &lang, const QList<Csv_Fault> &faults)
{
    Import_Summary out;
    out.Summary = lang[STR_Csv_Bad_Lines].arg(faults.size());
    for (const Csv_Fault &f : faults) out.Lines.append(lang[STR_Csv_Line].arg(f.Line).arg(f.Reason));
    return out;
}
