// The CAN database reader on files as CAN tools write them (Windows-1252 with CR LF, UTF-8 with
// a byte-order mark), and on faults, each of which must be named by line and column.
#include "exchange/Dbc_File.h"
#include "test_config.h"

#include <QtTest>

class Tst_Dbc_File : public QObject {
    Q_OBJECT
private slots:
    void vehicle_messages();
    void vehicle_signals_data();
    void vehicle_signals();
    void vehicle_texts_and_attributes();
    void empty_node_list_and_utf8();
    void unknown_statements_are_read_past();
    void faults_name_line_and_column_data();
    void faults_name_line_and_column();
    void unreadable_file_is_named();
};

namespace {

QString Fixture(const char *name) { return QStringLiteral(QCX_TEST_DATA_DIR "/dbc/") + QLatin1String(name); }

const Dbc_Database &Vehicle()
{
    static const Dbc_Database db = Read_Dbc_File(Fixture("vehicle.dbc"));
    return db;
}

const Dbc_Signal *Signal(const Dbc_Message &m, const QString &name)
{
    for (const Dbc_Signal &s : m.Signals)
        if (s.Name == name) return &s;
    return nullptr;
}

}  // namespace

void Tst_Dbc_File::vehicle_messages()
{
    const Dbc_Database &db = Vehicle();
    QCOMPARE(db.Version, QStringLiteral("1.4 Fahrzeug"));
    QCOMPARE(db.Nodes, (QStringList{"Motor", "Getriebe", "Anzeige"}));
    QStringList names;
    for (const Dbc_Message &m : db.Messages) names << m.Name;
    QCOMPARE(names, (QStringList{"Motor_Daten", "Getriebe_Status", "Diagnose", "Rohdaten_FD", "Anzeige_Leer",
                                 "VECTOR__INDEPENDENT_SIG_MSG"}));

    const Dbc_Message &motor = db.Messages[0];
    QCOMPARE(motor.Identifier(), 0x100u);
    QVERIFY(!motor.Extended());
    QCOMPARE(motor.Length, 8);
    QCOMPARE(motor.Sender, QStringLiteral("Motor"));
    QCOMPARE(motor.Line, 41);
    QVERIFY(motor.Importable());

    const Dbc_Message &gear = db.Messages[1];
    QVERIFY(gear.Extended());
    QCOMPARE(gear.Identifier(), 0x18FF0001u);
    QCOMPARE(gear.Length, 8);

    // A CAN FD message is listed with its length, never imported.
    const Dbc_Message &fd = db.Messages[3];
    QCOMPARE(fd.Length, 64);
    QVERIFY(fd.Extended());
    QVERIFY(!fd.Importable());
    QVERIFY(fd.Not_Importable_Reason().contains("64"));
    QVERIFY(db.Messages[4].Signals.isEmpty());
    QCOMPARE(db.Messages[4].Sender, QStringLiteral("Vector__XXX"));
    // The message of no bytes where some tools keep signals that belong to no frame: read, its
    // signals kept, never imported.
    const Dbc_Message &loose = db.Messages[5];
    QCOMPARE(loose.Length, 0);
    QCOMPARE(loose.Signals.size(), 1);
    QVERIFY(!loose.Importable());
}

void Tst_Dbc_File::vehicle_signals_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("little");
    QTest::addColumn<bool>("is_signed");
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QStringList>("receivers");

    QTest::newRow("intel 16 bit") << "Motor_Daten" << "Drehzahl" << 0 << 16 << true << false << 0.125 << 0.0 << 0.0
                                  << 8031.875 << "U/min" << QStringList{"Getriebe", "Anzeige"};
    QTest::newRow("signed, negative offset, cp1252 unit")
        << "Motor_Daten" << "Temperatur" << 16 << 8 << true << true << 1.0 << -40.0 << -40.0 << 215.0
        << QString::fromUtf8("°C") << QStringList{"Anzeige"};
    QTest::newRow("empty unit") << "Motor_Daten" << "Status" << 24 << 4 << true << false << 1.0 << 0.0 << 0.0 << 15.0
                                << "" << QStringList{"Anzeige"};
    QTest::newRow("motorola 8 bit, 29-bit message") << "Getriebe_Status" << "Gang" << 7 << 8 << false << false << 1.0
                                                    << 0.0 << 0.0 << 3.0 << "" << QStringList{"Motor", "Anzeige"};
    QTest::newRow("motorola signed 16 bit") << "Getriebe_Status" << "Moment" << 15 << 16 << false << true << 0.5
                                            << -1000.0 << -1000.0 << 1000.0 << "Nm" << QStringList{"Motor"};
    QTest::newRow("exponent in the range") << "Rohdaten_FD" << "Block" << 0 << 64 << true << false << 1.0 << 0.0
                                           << 0.0 << 0.0 << "" << QStringList{"Anzeige"};
}

void Tst_Dbc_File::vehicle_signals()
{
    QFETCH(QString, message);
    QFETCH(QString, name);
    const Dbc_Message *m = Vehicle().Find(message);
    QVERIFY(m);
    const Dbc_Signal *s = Signal(*m, name);
    QVERIFY(s);
    QTEST(s->Start_Bit, "start");
    QTEST(s->Length, "length");
    QTEST(s->Little_Endian, "little");
    QTEST(s->Is_Signed, "is_signed");
    QTEST(s->Factor, "factor");
    QTEST(s->Offset, "offset");
    QTEST(s->Minimum, "minimum");
    QTEST(s->Maximum, "maximum");
    QTEST(s->Unit, "unit");
    QTEST(s->Receivers, "receivers");
}

void Tst_Dbc_File::vehicle_texts_and_attributes()
{
    const Dbc_Database &db = Vehicle();
    QCOMPARE(db.Comment, QString::fromUtf8("Datenbank für das Prüffahrzeug"));
    const Dbc_Message &motor = *db.Find("Motor_Daten");
    QCOMPARE(motor.Comment, QStringLiteral("Die \"Motor\"-Daten, alle 10 ms."));
    // A comment over three lines keeps its line breaks, as LF, whatever the file's line ends.
    QCOMPARE(Signal(motor, "Temperatur")->Comment, QString::fromUtf8("Kühlwasser;\nzweite Zeile\ndritte Zeile mit € und ¼"));
    QCOMPARE(Signal(*db.Find("Getriebe_Status"), "Gang")->Comment, QStringLiteral("Eingelegter Gang, 0 = Leerlauf"));

    // The cycle time: given, given for a 29-bit message, and the default 0 (none).
    QCOMPARE(motor.Cycle_Time, 10);
    QCOMPARE(db.Find("Getriebe_Status")->Cycle_Time, 100);
    QCOMPARE(db.Find("Diagnose")->Cycle_Time, 0);
    QCOMPARE(motor.Attributes.value("GenMsgSendType"), QStringLiteral("0"));

    // Every attribute type; the relation attributes are read past.
    QStringList defs;
    for (const Dbc_Attribute_Def &d : db.Attribute_Defs)
        defs << QStringLiteral("%1 %2 %3 %4").arg(d.Object, d.Name, d.Type, d.Default.value_or("-"));
    QCOMPARE(defs, (QStringList{"BO_ GenMsgCycleTime INT 0", "BO_ GenMsgSendType ENUM NoMsgSendType",
                                "SG_ GenSigStartValue FLOAT 0", " BusType STRING CAN", "BU_ NodeLayerModules STRING ",
                                "BO_ VFrameFormat ENUM StandardCAN", "BO_ GenMsgILSupport HEX 1"}));
    QCOMPARE(db.Attribute_Defs[1].Enum_Values, (QStringList{"Cyclic", "OnChange", "OnWrite", "NoMsgSendType"}));
    QCOMPARE(db.Attribute_Defs[2].Minimum, -3.4e38);

    // Multiplexing.
    const Dbc_Message &diag = *db.Find("Diagnose");
    QVERIFY(Signal(diag, "Seite")->Is_Multiplexer);
    QVERIFY(!Signal(diag, "Seite")->Mux_Value);
    QCOMPARE(Signal(diag, "Spannung")->Mux_Value, std::optional<int64_t>(0));
    QCOMPARE(Signal(diag, "Strom")->Mux_Value, std::optional<int64_t>(1));
    QVERIFY(!Signal(diag, "Strom")->Is_Multiplexer);

    // Value tables, with an escaped quote.
    const QList<std::pair<int64_t, QString>> gang{{3, "Dritter"}, {2, "Zweiter"}, {1, "Erster"}, {0, "Leerlauf \"N\""}};
    QCOMPARE(Signal(*db.Find("Getriebe_Status"), "Gang")->Values, gang);
    QCOMPARE(Signal(diag, "Seite")->Values.size(), 2);
}

void Tst_Dbc_File::empty_node_list_and_utf8()
{
    const Dbc_Database db = Read_Dbc_File(Fixture("no_nodes.dbc"));
    QVERIFY(db.Nodes.isEmpty());
    QCOMPARE(db.Messages.size(), 1);
    QCOMPARE(db.Messages[0].Signals[0].Unit, QString::fromUtf8("µs"));
    QCOMPARE(db.Messages[0].Cycle_Time, 0);
    // UTF-8 without a mark is taken as UTF-8; bytes that are not UTF-8 as Windows-1252.
    QCOMPARE(Decode_Dbc_Bytes("\xC2\xB5s"), QString::fromUtf8("µs"));
    QCOMPARE(Decode_Dbc_Bytes("\xB5s \x80"), QString::fromUtf8("µs €"));
}

void Tst_Dbc_File::unknown_statements_are_read_past()
{
    const QString text = QStringLiteral(
        "BU_: A\n"
        "BO_ 16 M: 8 A\n SG_ S : 0|8@1+ (1,0) [0|255] \"\" A\n"
        "EV_ Umgebung: 0 [0|100] \"\" 0 1 DUMMY_NODE_VECTOR0 Vector__XXX;\n"
        "SIG_GROUP_ 16 Gruppe 1 : S;\n"
        "NEW_THING_ 16 \"a ; in quotes\" 3;\n"
        "SG_MUL_VAL_ 16 S S 0-0;\n"
        "VAL_ Umgebung 0 \"aus\" 1 \"an\";\n"
        "BA_ \"GenMsgCycleTime\" BO_ 16 250;\n");
    const Dbc_Database db = Parse_Dbc(text);
    QCOMPARE(db.Messages.size(), 1);
    QCOMPARE(db.Messages[0].Signals.size(), 1);
    QCOMPARE(db.Messages[0].Attributes.value("GenMsgCycleTime"), QStringLiteral("250"));
}

void Tst_Dbc_File::faults_name_line_and_column_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("reason");

    const QString bo = QStringLiteral("BO_ 1 A: 8 X\n");
    QTest::newRow("byte order 2") << bo + " SG_ S : 0|8@2+ (1,0) [0|1] \"\" X\n" << 2 << 14 << "byte order";
    QTest::newRow("no sign") << bo + " SG_ S : 0|8@1 (1,0) [0|1] \"\" X\n" << 2 << 16 << "'+' or '-'";
    QTest::newRow("quotes not closed") << "CM_ \"abc\n\n" << 1 << 5 << "not closed";
    QTest::newRow("semicolon missing") << bo + "CM_ BO_ 1 \"x\"\nBO_ 2 B: 8 X\n" << 3 << 1 << "';' expected";
    QTest::newRow("comment on no message") << "CM_ BO_ 5 \"x\";\n" << 1 << 9 << "identifier 5";
    QTest::newRow("intel signal beyond the bytes") << "BO_ 1 A: 2 X\n SG_ S : 12|8@1+ (1,0) [0|1] \"\" X\n" << 2 << 6
                                                   << "outside";
    QTest::newRow("motorola signal beyond the byte") << "BO_ 1 A: 1 X\n SG_ S : 0|2@0+ (1,0) [0|1] \"\" X\n" << 2 << 6
                                                     << "outside";
    QTest::newRow("stray word") << bo + "Hallo\n" << 2 << 1 << "'Hallo'";
    QTest::newRow("CR LF counted as one line end") << "VERSION \"\"\r\n\r\nBO_ x" << 3 << 5 << "identifier expected";
    QTest::newRow("identifier twice") << bo + bo << 2 << 5 << "twice";
    QTest::newRow("bad multiplexer mark") << bo + " SG_ S mx : 0|8@1+ (1,0) [0|1] \"\" X\n" << 2 << 8 << "multiplexer";
    QTest::newRow("signal before a message") << " SG_ S : 0|8@1+ (1,0) [0|1] \"\" X\n" << 1 << 6 << "before any message";
    QTest::newRow("factor not a number") << bo + " SG_ S : 0|8@1+ (1.2.3,0) [0|1] \"\" X\n" << 2 << 18 << "not a number";
    QTest::newRow("default of no attribute") << "BA_DEF_DEF_ \"Zyklus\" 5;\n" << 1 << 13 << "not defined";
    QTest::newRow("unknown attribute type") << "BA_DEF_ BO_ \"Z\" LONG 0 1;\n" << 1 << 17 << "LONG";
    QTest::newRow("value table of no signal") << bo + "VAL_ 1 T 0 \"a\";\n" << 2 << 8 << "no signal T";
    QTest::newRow("file ends inside a message") << "BO_ 1 A:" << 1 << 9 << "file ends";
}

void Tst_Dbc_File::faults_name_line_and_column()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, reason);
    try {
        Parse_Dbc(text, QStringLiteral("bus.dbc"));
        QFAIL("no fault reported");
    } catch (const Dbc_Error &e) {
        QVERIFY2(e.Reason.contains(reason), qPrintable(e.Text()));
        QCOMPARE(e.Line, line);
        QCOMPARE(e.Column, column);
        QVERIFY(e.Text().startsWith(QStringLiteral("bus.dbc: line %1, column %2: ").arg(line).arg(column)));
    }
}

void Tst_Dbc_File::unreadable_file_is_named()
{
    try {
        Read_Dbc_File(Fixture("missing.dbc"));
        QFAIL("no fault reported");
    } catch (const Dbc_Error &e) {
        QVERIFY2(e.Text().contains("missing.dbc"), qPrintable(e.Text()));
    }
}

QTEST_APPLESS_MAIN(Tst_Dbc_File)
#include "tst_core_dbc_file.moc"
