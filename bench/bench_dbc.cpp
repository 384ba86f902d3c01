// Reading a large CAN database (2,000 messages, 20,000 signals, with comments, attributes and
// value tables, Windows-1252 with CR LF) and what an import does with it: 250 messages into a
// frame list, their signals onto registers, and the lists as CSV sheets out and back in.
// Usage: bench_dbc [ROUNDS]   (default 5)
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_File.h"
#include "exchange/Dbc_Import.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray Large_Database()
{
    QString t = QStringLiteral("VERSION \"bench\"\n\nNS_ :\n\tCM_\n\tBA_DEF_\n\nBS_:\n\nBU_: Steuer Anzeige\n\n");
    for (int m = 0; m < 2000; ++m) {
        const uint32_t id = m % 2 ? 0x80000000u | (0x18FF0000u + m) : uint32_t(m % 0x7FF);
        t += QStringLiteral("BO_ %1 Nachricht_%2: 8 Steuer\n").arg(id).arg(m);
        for (int s = 0; s < 10; ++s) {
            const bool intel = (m + s) % 3 != 0;
            const int start = intel ? (s % 8) * 8 : (s % 8) * 8 + 7;
            t += QStringLiteral(" SG_ Signal_%1 : %2|8@%3%4 (0.5,-10) [-10|117.5] \"°C\" Anzeige\n")
                     .arg(s).arg(start).arg(intel ? 1 : 0).arg(s % 2 ? '-' : '+');
        }
        t += QLatin1Char('\n');
    }
    t += QStringLiteral("BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 65535;\nBA_DEF_DEF_ \"GenMsgCycleTime\" 0;\n");
    for (int m = 0; m < 2000; ++m) {
        const uint32_t id = m % 2 ? 0x80000000u | (0x18FF0000u + m) : uint32_t(m % 0x7FF);
        t += QStringLiteral("CM_ BO_ %1 \"Nachricht %2 für \\\"Prüfung\\\"\nzweite Zeile\";\n").arg(id).arg(m);
        t += QStringLiteral("BA_ \"GenMsgCycleTime\" BO_ %1 %2;\n").arg(id).arg(10 + m % 100);
        t += QStringLiteral("VAL_ %1 Signal_0 0 \"aus\" 1 \"an\" 2 \"Fehler\";\n").arg(id);
    }
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toLatin1();
}

struct Figure {
    std::vector<double> Ms;
    void Add(double ms) { Ms.push_back(ms); }
    double Median()
    {
        std::sort(Ms.begin(), Ms.end());
        return Ms.empty() ? 0 : Ms[Ms.size() / 2];
    }
};

}  // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QByteArray bytes = Large_Database();
    Figure parse, frames, regs, csv;
    int messages = 0, signal_count = 0, taken = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        const Dbc_Database db = Parse_Dbc(Decode_Dbc_Bytes(bytes));
        parse.Add(timer.nsecsElapsed() / 1e6);
        messages = int(db.Messages.size());
        signal_count = 0;
        for (const Dbc_Message &m : db.Messages) signal_count += int(m.Signals.size());

        timer.restart();
        const QList<Dbc_Message> chosen = db.Messages.mid(0, Max_Frame_Entries);
        const Frame_Import fi = Import_Dbc_Frames(Empty_Frame_Grid(), Direction::Receive, chosen);
        frames.Add(timer.nsecsElapsed() / 1e6);

        timer.restart();
        const QList<Frame_Row> rows = Pack_Entries(fi.Grid);
        QList<Editor_Frame> list;
        for (const Frame_Row &row : rows) list.append(Editor_Frame{row.CobID, 8, {}});
        const Signal_Import si = Import_Dbc_Signals(list, rows, chosen, 0, 0);
        regs.Add(timer.nsecsElapsed() / 1e6);
        taken = int(si.Taken.size());

        timer.restart();
        const QByteArray sheet = Mapping_List_Csv(Direction::Receive, si.Frames, rows);
        const Mapping_Csv_Read back = Read_Mapping_Csv(Direction::Receive, sheet, list, rows, 0);
        csv.Add(timer.nsecsElapsed() / 1e6);
        if (back.Taken != taken) std::fprintf(stderr, "sheet round trip lost registers\n");
    }
    std::printf("database: %.1f MB, %d messages, %d signals\n", bytes.size() / 1e6, messages, signal_count);
    std::printf("read (decode + parse)        %8.1f ms (median of %d)\n", parse.Median(), rounds);
    std::printf("250 messages into the list   %8.2f ms\n", frames.Median());
    std::printf("their signals to %4d regs   %8.2f ms\n", taken, regs.Median());
    std::printf("mapping sheet out and in     %8.2f ms\n", csv.Median());
    return 0;
}
