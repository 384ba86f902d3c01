// A short fuzz run over the readers that take files from other tools: the CAN database reader
// and the CSV sheets. Seeds are the fixtures and exports; each round mutates one with a fixed
// seed. Every input must give a result or the reader's own error (Dbc_Error; sheet faults),
// never another exception or a crash, and a sheet's good rows must pass the editors' checks.
// QCX_FUZZ_ROUNDS sets the number of rounds (5,000 by default).
#include "Byte_Mutator.h"
#include "File_Bytes.h"
#include "editing/Frame_List.h"
#include "editing/Mapping_List.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_File.h"
#include "exchange/Dbc_Import.h"
#include "test_config.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

class Tst_Exchange_Fuzz : public QObject {
    Q_OBJECT
private slots:
    void databases();
    void sheets();
};

namespace {

const char *const Fragments[] = {"\"", "\\\"", ";", ":", "|", "@", "+", "-", "(", ")", "[", "]", ",", "\r\n", "\n",
                                 "BO_ ", " SG_ ", "CM_ ", "BA_ ", "VAL_ ", "BA_DEF_ ", " m", " M ", "4294967295",
                                 "-1", "1e999", "0x", "\xC3", "\x80", "\xEF\xBB\xBF", "\0"};

int Rounds() { return qEnvironmentVariableIntValue("QCX_FUZZ_ROUNDS") > 0 ? qEnvironmentVariableIntValue("QCX_FUZZ_ROUNDS") : 5000; }

}  // namespace

void Tst_Exchange_Fuzz::databases()
{
    const QList<QByteArray> seeds{Read_All(QStringLiteral(QCX_TEST_DATA_DIR "/dbc/vehicle.dbc")),
                                  Read_All(QStringLiteral(QCX_TEST_DATA_DIR "/dbc/no_nodes.dbc"))};
    QVERIFY(!seeds[0].isEmpty());
    QRandomGenerator random(3310);
    int read = 0;
    for (int round = 0; round < Rounds(); ++round) {
        const QByteArray bytes = Mutate(seeds[round % seeds.size()], random, Fragments);
        try {
            const Dbc_Database db = Parse_Dbc(Decode_Dbc_Bytes(bytes));
            ++read;
            // What a database gives must stay what the editors accept.
            const Frame_Import fi = Import_Dbc_Frames(Empty_Frame_Grid(), Direction::Receive, db.Messages);
            QVERIFY2(!Check_Frames(Direction::Receive, fi.Grid), qPrintable(QString::number(round)));
            for (const Dbc_Message &m : db.Messages)
                for (const Dbc_Signal &s : m.Signals)
                    for (const auto &[hi, lo] : Signal_Registers(s))
                        QVERIFY(hi >= 0 && lo >= 1 && hi <= 8 && lo <= 8);
        } catch (const Dbc_Error &e) {
            // Refused: the first fault by its place, or a file that holds no message at all.
            QVERIFY2((e.Line >= 1 && e.Column >= 1) || e.Reason.contains(QLatin1String("no message")), qPrintable(e.Text()));
        }
    }
    QVERIFY(read > 0);
}

void Tst_Exchange_Fuzz::sheets()
{
    QList<Frame_Row> rows;
    for (int i = 0; i < 6; ++i)
        rows.append(Frame_Row{QStringLiteral("0x%1").arg(0x100 + i, 0, 16), "8", i % 2 ? Frame_Type_29 : Frame_Type_11, "10",
                              "N", "Y", "20", QStringLiteral("Frame \"%1\", ;").arg(i), -1});
    QList<Editor_Frame> frames;
    for (const Frame_Row &r : rows) frames.append(Editor_Frame{r.CobID, 8, {{"1", 1, 2, 1}, {"0x2", 0, 8, 0}}});
    frames[3].Registers = {{"9", 3, 4, 1}};
    const QByteArray seeds[2] = {Frame_List_Csv(Direction::Transmit, rows), Mapping_List_Csv(Direction::Transmit, frames, rows)};
    QRandomGenerator random(1102);
    for (int round = 0; round < Rounds(); ++round) {
        const QByteArray bytes = Mutate(seeds[round % 2], random, Fragments);
        if (round % 2 == 0) {
            const Frame_Csv_Read r = Read_Frame_Csv(Direction::Transmit, bytes);
            QVERIFY(r.Rows.size() <= Max_Frame_Entries);
            QVERIFY(!Check_Frames(Direction::Transmit, r.Rows));
            for (const Csv_Fault &f : r.Faults) QVERIFY(f.Line >= 1);
        } else {
            const Mapping_Csv_Read r = Read_Mapping_Csv(Direction::Transmit, bytes, frames, rows, 0);
            QSet<QString> seen;
            for (const Editor_Frame &f : r.Frames)
                for (const Editor_Register &reg : f.Registers) {
                    QVERIFY(reg.HiPart >= 0 && reg.HiPart <= 8 && reg.LoPart >= 0 && reg.LoPart <= 8);
                    const QString v = QString::number(Mod_Index_Value(reg.Ind_Mod).value_or(-1));
                    QVERIFY2(!seen.contains(v), "a register given twice was taken");
                    seen.insert(v);
                }
        }
    }
}

QTEST_APPLESS_MAIN(Tst_Exchange_Fuzz)
#include "tst_core_exchange_fuzz.moc"
