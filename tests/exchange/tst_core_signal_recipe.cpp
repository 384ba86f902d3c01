// The recipe of every signal against a CAN database library no one here wrote: the signals of
// recipes.dbc (little- and big-endian, 1 to 64 bits, unsigned, signed and IEEE float, start
// bits all over the frame) are imported as the editors import them, and the value each recipe
// gives from the registers of a frame must be the one the library decoded from that frame
// (recipes_decoded.csv, made by make_recipes.py beside it). Signals sharing bytes share
// registers, and a transmit write of one signal keeps its neighbours.
#include "File_Bytes.h"
#include "editing/Frame_List.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_Import.h"
#include "exchange/Signal_Values.h"
#include "test_config.h"

#include <QFile>
#include <QtTest>
#include <cmath>

class Tst_Signal_Recipe : public QObject {
    Q_OBJECT
private slots:
    void recipes_equal_the_library();
    void neighbours_share_registers_data();
    void neighbours_share_registers();
    void transmit_write_keeps_neighbours();
    void encode_refuses_what_the_signal_cannot_hold_data();
    void encode_refuses_what_the_signal_cannot_hold();
    void notes_keep_the_recipe();
    void monitor_reads_and_writes_signals();
};

namespace {

QString Fixture(const char *name) { return QStringLiteral(QCX_TEST_DATA_DIR "/dbc/recipes/") + QLatin1String(name); }

struct Imported {
    QList<Frame_Row> Rows;
    Signal_Import Signals;
    QList<Signal_Note> Notes;
};

// Imports messages into an empty list of one direction, as the editors do.
Imported Import(const QList<Dbc_Message> &messages, Direction dir)
{
    Imported out;
    const Frame_Import fi = Import_Dbc_Frames(Empty_Frame_Grid(), dir, messages);
    out.Rows = Pack_Entries(fi.Grid);
    QList<Editor_Frame> frames;
    for (const Frame_Row &r : out.Rows) frames.append(Editor_Frame{r.CobID, r.Dimension.toInt(), {}});
    out.Signals = Import_Dbc_Signals(frames, out.Rows, messages, 0, 0, dir);
    out.Notes = Imported_Signal_Notes(dir, out.Signals, out.Rows);
    return out;
}

// What the device puts into a register from a frame: byte k of the frame as each part.
uint16_t Register_Value(const QByteArray &payload, const Note_Register &r)
{
    auto byte = [&](int32_t k) { return k >= 1 && k <= payload.size() ? uint8_t(payload[k - 1]) : uint8_t(0); };
    return uint16_t(byte(r.HiPart) << 8 | byte(r.LoPart));
}

uint64_t R_Of(const QByteArray &payload, const Signal_Note &n)
{
    QList<uint16_t> values;
    for (const Note_Register &r : n.Registers) values << Register_Value(payload, r);
    return Join_Registers(values);
}

// What the device does with a written register: its parts go into the frame's bytes.
void Write_Register(QByteArray &payload, const Note_Register &r, uint16_t value)
{
    if (r.HiPart >= 1) payload[r.HiPart - 1] = char(value >> 8);
    if (r.LoPart >= 1) payload[r.LoPart - 1] = char(value & 0xFF);
}

bool Close(double a, double b)
{
    if (a == b) return true;
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

Dbc_Signal Signal(const QString &name, int start, int length, bool little, bool is_signed = false)
{
    Dbc_Signal s;
    s.Name = name;
    s.Start_Bit = start;
    s.Length = length;
    s.Little_Endian = little;
    s.Is_Signed = is_signed;
    return s;
}

}  // namespace

void Tst_Signal_Recipe::recipes_equal_the_library()
{
    const Dbc_Database db = Read_Dbc_File(Fixture("recipes.dbc"));
    QVERIFY(db.Skipped.isEmpty());
    QHash<QString, Signal_Note> by_name;
    int signal_count = 0;
    // A frame list holds 250 frames: the messages go in in parts.
    for (qsizetype from = 0; from < db.Messages.size(); from += Max_Frame_Entries) {
        const QList<Dbc_Message> part = db.Messages.mid(from, Max_Frame_Entries);
        const Imported imp = Import(part, Direction::Receive);
        QVERIFY2(imp.Signals.Skipped.isEmpty(), qPrintable(imp.Signals.Skipped.value(0).Name + ": " + imp.Signals.Skipped.value(0).Reason));
        for (const Dbc_Message &m : part) signal_count += int(m.Signals.size());
        for (const Signal_Note &n : imp.Notes) by_name.insert(n.Signal, n);
        // The messages hold one byte order each: a whole frame takes four registers at most.
        for (const Editor_Frame &f : imp.Signals.Frames) QVERIFY(f.Registers.size() <= 4);
    }
    // Every signal gets a recipe.
    QCOMPARE(by_name.size(), signal_count);

    QFile file(Fixture("recipes_decoded.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<Csv_Fault> faults;
    QList<Csv_Record> records = Read_Csv_Records(file.readAll(), faults);
    QVERIFY(faults.isEmpty());
    QCOMPARE(records.first().Fields, (QStringList{"Identifier", "Payload", "Signal", "Physical"}));
    records.removeFirst();
    QVERIFY(records.size() > 2000);
    QSet<QString> seen;
    for (const Csv_Record &r : records) {
        const QByteArray payload = QByteArray::fromHex(r.Fields[1].toLatin1());
        const Signal_Note &note = by_name[r.Fields[2]];
        QVERIFY2(note.Has_Recipe(), qPrintable(r.Fields[2]));
        const double expected = r.Fields[3].toDouble();
        const double got = Recipe_Physical(R_Of(payload, note), Recipe_Of(note));
        QVERIFY2(Close(got, expected), qPrintable(QStringLiteral("%1 %2: %3 instead of %4")
                                                      .arg(r.Fields[2], r.Fields[1], Recipe_Number(got), r.Fields[3])));
        seen.insert(r.Fields[2]);
    }
    QCOMPARE(seen.size(), signal_count);
}

void Tst_Signal_Recipe::neighbours_share_registers_data()
{
    QTest::addColumn<QList<Dbc_Signal>>("list");
    QTest::addColumn<QStringList>("registers");  // "number:hi/lo" in the frame's order
    QTest::addColumn<QStringList>("recipes");    // per signal: "registers shift length"

    QTest::newRow("intel bytes and words share the frame's pairs")
        << QList<Dbc_Signal>{Signal("A", 0, 4, true), Signal("B", 4, 12, true), Signal("C", 16, 32, true),
                             Signal("D", 48, 16, true)}
        << QStringList{"0:2/1", "1:6/5", "2:4/3", "3:8/7"}
        << QStringList{"0 0 4", "0 4 12", "1 2 0 32", "3 0 16"};
    QTest::newRow("motorola signals read high byte first")
        << QList<Dbc_Signal>{Signal("A", 7, 8, false), Signal("B", 15, 12, false), Signal("C", 19, 12, false)}
        << QStringList{"0:1/2", "1:3/4"} << QStringList{"0 8 8", "0 1 12 12", "1 0 12"};
    QTest::newRow("an odd frame length leaves the last byte alone")
        << QList<Dbc_Signal>{Signal("A", 8, 16, true)} << QStringList{"0:0/3", "1:2/1"} << QStringList{"0 1 8 16"};
    QTest::newRow("mixed byte orders: a receive signal reads its bytes again")
        << QList<Dbc_Signal>{Signal("A", 0, 16, true), Signal("B", 7, 16, false)} << QStringList{"0:2/1", "1:1/2"}
        << QStringList{"0 0 16", "1 0 16"};
}

void Tst_Signal_Recipe::neighbours_share_registers()
{
    QFETCH(QList<Dbc_Signal>, list);
    Dbc_Message m;
    m.Raw_Id = 0x123;
    m.Name = QStringLiteral("M");
    m.Length = QByteArray(QTest::currentDataTag()).contains("odd") ? 3 : 8;
    m.Signals = list;
    const Imported imp = Import({m}, Direction::Receive);
    QStringList registers, recipes;
    for (const Editor_Register &r : imp.Signals.Frames[0].Registers)
        registers << QStringLiteral("%1:%2/%3").arg(r.Ind_Mod).arg(r.HiPart).arg(r.LoPart);
    for (const Signal_Note &n : imp.Notes) {
        QStringList regs;
        for (const Note_Register &r : n.Registers) regs << QString::number(r.Register);
        recipes << QStringLiteral("%1 %2 %3").arg(regs.join(u' ')).arg(n.Shift).arg(n.Length);
    }
    QTEST(registers, "registers");
    QTEST(recipes, "recipes");
}

void Tst_Signal_Recipe::transmit_write_keeps_neighbours()
{
    // Signals packed tight in both byte orders, several sharing each register.
    const Dbc_Database db = Read_Dbc_File(Fixture("recipes.dbc"));
    QList<Dbc_Message> messages;
    for (const Dbc_Message &m : db.Messages)
        if (m.Signals.size() >= 3) messages << m;
    messages = messages.mid(0, Max_Frame_Entries);
    const Imported imp = Import(messages, Direction::Transmit);
    QVERIFY(imp.Signals.Skipped.isEmpty());
    QHash<QString, QList<Signal_Note>> by_frame;
    for (const Signal_Note &n : imp.Notes) by_frame[n.CobID] << n;

    QRandomGenerator random(26);
    int writes = 0;
    for (const QList<Signal_Note> &notes : std::as_const(by_frame)) {
        QByteArray payload(8, 0);
        for (char &c : payload) c = char(random.bounded(256));
        for (const Signal_Note &target : notes) {
            const Signal_Recipe recipe = Recipe_Of(target);
            if (recipe.Value_Type != 0) continue;
            QList<double> before;
            for (const Signal_Note &n : notes) before << Recipe_Physical(R_Of(payload, n), Recipe_Of(n));
            // A value the signal can hold: its raw bits inverted.
            const uint64_t bits = ~Recipe_Raw_Bits(R_Of(payload, target), recipe) &
                                  (recipe.Length == 64 ? ~uint64_t(0) : (uint64_t(1) << recipe.Length) - 1);
            const double value = Recipe_Raw_Value(bits, recipe) * recipe.Factor + recipe.Offset;
            const std::optional<uint64_t> encoded = Recipe_Encode(value, recipe);
            QVERIFY2(encoded, qPrintable(target.Signal));
            // The write: read the signal's registers, put the bits in, write them all back.
            const uint64_t r = Recipe_Insert(R_Of(payload, target), *encoded, recipe);
            const QList<uint16_t> words = Split_Registers(r, int(target.Registers.size()));
            for (int i = 0; i < words.size(); ++i) Write_Register(payload, target.Registers[i], words[i]);
            ++writes;
            for (int i = 0; i < notes.size(); ++i) {
                const double now = Recipe_Physical(R_Of(payload, notes[i]), Recipe_Of(notes[i]));
                if (&notes[i] == &target) {
                    QVERIFY2(Close(now, value), qPrintable(target.Signal));
                } else {
                    QVERIFY2(now == before[i] || (std::isnan(now) && std::isnan(before[i])),
                             qPrintable(QStringLiteral("writing %1 changed %2").arg(target.Signal, notes[i].Signal)));
                }
            }
        }
    }
    QVERIFY(writes > 100);
}

void Tst_Signal_Recipe::encode_refuses_what_the_signal_cannot_hold_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("is_signed");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("value");
    QTest::addColumn<qulonglong>("bits");  // 0xDEAD: refused

    QTest::newRow("scaled") << 16 << false << 0.125 << 0.0 << 0.0 << 100.0 << 800ull;
    QTest::newRow("negative, two's complement") << 12 << true << 1.0 << 0.0 << 0.0 << -1.0 << 0xFFFull;
    QTest::newRow("above the maximum") << 16 << false << 1.0 << 0.0 << 100.0 << 101.0 << 0xDEADull;
    QTest::newRow("below the minimum") << 16 << true << 1.0 << -10.0 << 10.0 << -11.0 << 0xDEADull;
    QTest::newRow("too big for the bits") << 4 << false << 1.0 << 0.0 << 0.0 << 16.0 << 0xDEADull;
    QTest::newRow("negative for unsigned bits") << 4 << false << 1.0 << 0.0 << 0.0 << -1.0 << 0xDEADull;
    QTest::newRow("64 bits, the top bit") << 64 << false << 1.0 << 0.0 << 0.0 << 9223372036854775808.0 << 0x8000000000000000ull;
    QTest::newRow("64 bits signed, the lowest") << 64 << true << 1.0 << 0.0 << 0.0 << -9223372036854775808.0
                                                << 0x8000000000000000ull;
    QTest::newRow("64 bits signed, 2^63") << 64 << true << 1.0 << 0.0 << 0.0 << 9223372036854775808.0 << 0xDEADull;
}

void Tst_Signal_Recipe::encode_refuses_what_the_signal_cannot_hold()
{
    QFETCH(int, length);
    QFETCH(bool, is_signed);
    QFETCH(double, value);
    QFETCH(qulonglong, bits);
    Signal_Recipe r;
    r.Length = length;
    r.Is_Signed = is_signed;
    QFETCH(double, factor);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    r.Factor = factor;
    r.Minimum = minimum;
    r.Maximum = maximum;
    QString why;
    const std::optional<uint64_t> got = Recipe_Encode(value, r, &why);
    if (bits == 0xDEAD) {
        QVERIFY(!got);
        QVERIFY(!why.isEmpty());
    } else {
        QCOMPARE(got, std::optional<uint64_t>(bits));
    }
}

void Tst_Signal_Recipe::notes_keep_the_recipe()
{
    // What an import writes to CAN_Signals.csv reads back the same, value table included.
    Dbc_Message m;
    m.Raw_Id = 0x80000100;
    m.Name = QStringLiteral("Engine");
    m.Length = 8;
    Dbc_Signal s = Signal("Mode", 3, 12, true, true);
    s.Factor = 0.1;
    s.Offset = -40;
    s.Minimum = -40;
    s.Maximum = 100;
    s.Unit = QStringLiteral("°C");
    s.Values = {{0, "Off, really"}, {1, "On \"quoted\""}, {-1, "a=b"}};
    m.Signals = {s, Signal("Float", 32, 32, true)};
    m.Signals[1].Value_Type = 1;
    const Imported imp = Import({m}, Direction::Transmit);
    QCOMPARE(imp.Notes.size(), 2);
    const QByteArray bytes = Signal_Notes_Bytes(imp.Notes);
    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Signals.csv");
    Write_All(path, bytes);
    QCOMPARE(Read_Signal_Notes_To_Rewrite(path), imp.Notes);
    QCOMPARE(Values_Text(imp.Notes[0].Values), QStringLiteral("0=Off, really 1=On \"quoted\" -1=a=b"));
    QCOMPARE(imp.Notes[1].Value_Type, 1);
    QCOMPARE(imp.Notes[0].Factor, QStringLiteral("0.1"));

    // A file of the older form, one line a register without a recipe, is still read.
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
    old.write("Direction,CobID,Type,Mod_Index,Byte_HiPart,Byte_LoPart,Message,Signal,Unit,Factor,Offset\r\n"
              "receive,0x100,CAN 2.0A 11 bits,7,2,1,Engine,Speed,rpm,0.125,0\r\n");
    old.close();
    const QList<Signal_Note> notes = Read_Signal_Notes_To_Rewrite(path);
    QCOMPARE(notes.size(), 1);
    QVERIFY(!notes[0].Has_Recipe());
    QCOMPARE(notes[0].Registers, (QList<Note_Register>{{7, 2, 1}}));
    QCOMPARE(notes[0].Unit, QStringLiteral("rpm"));
}

void Tst_Signal_Recipe::monitor_reads_and_writes_signals()
{
    // Two signals in one register of a transmit frame: a 4-bit mode with a value table and a
    // 12-bit signed, scaled temperature.
    Dbc_Message m;
    m.Raw_Id = 0x200;
    m.Name = QStringLiteral("Heater");
    m.Length = 2;
    Dbc_Signal mode = Signal("Mode", 0, 4, true);
    mode.Values = {{0, "Off"}, {1, "On"}};
    Dbc_Signal temp = Signal("Temp", 4, 12, true, true);
    temp.Factor = 0.5;
    temp.Unit = QStringLiteral("°C");
    temp.Minimum = -100;
    temp.Maximum = 100;
    m.Signals = {mode, temp};
    const Imported imp = Import({m}, Direction::Transmit);
    QCOMPARE(imp.Signals.Frames[0].Registers.size(), 1);
    const Signal_Note &n_mode = imp.Notes[0];
    const Signal_Note &n_temp = imp.Notes[1];
    const int32_t reg = n_mode.Registers[0].Register;

    // Register 0xFFF1: mode 1 (On), temperature -1 raw, -0.5 °C.
    QCOMPARE(Read_Signal(n_mode, {uint16_t(0xFFF1)})->Value, QStringLiteral("On"));
    const Signal_Reading t = *Read_Signal(n_temp, {uint16_t(0xFFF1)});
    QCOMPARE(t.Value, QString::fromUtf8("-0.5 °C"));
    QCOMPARE(t.Raw, QStringLiteral("-1"));
    QCOMPARE(t.Raw_Hex, QStringLiteral("0xFFF"));
    QVERIFY(!Read_Signal(n_temp, {std::nullopt}));

    // Writing the temperature keeps the mode; a value table text stands for its value.
    Signal_Write w = Plan_Signal_Write(n_temp, *Parse_Physical(n_temp, QStringLiteral("20 °C")), {uint16_t(0xFFF1)});
    QCOMPARE(w.Why, QString());
    QCOMPARE(w.Writes, (QList<std::pair<int32_t, uint16_t>>{{reg, uint16_t(0x0281)}}));
    w = Plan_Signal_Write(n_mode, *Parse_Physical(n_mode, QStringLiteral("Off")), {uint16_t(0x0281)});
    QCOMPARE(w.Writes, (QList<std::pair<int32_t, uint16_t>>{{reg, uint16_t(0x0280)}}));
    // Outside the signal's range, or before its register was read: nothing is written.
    w = Plan_Signal_Write(n_temp, 100.5, {uint16_t(0)});
    QVERIFY(w.Writes.isEmpty() && w.Why.contains("outside"));
    w = Plan_Signal_Write(n_temp, 1, {std::nullopt});
    QVERIFY(w.Writes.isEmpty() && !w.Why.isEmpty());
    QVERIFY(!Parse_Physical(n_temp, QStringLiteral("warm")));
}

QTEST_APPLESS_MAIN(Tst_Signal_Recipe)
#include "tst_core_signal_recipe.moc"
