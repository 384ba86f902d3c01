// The CAN database reader on files as CAN tools write them (Windows-1252 with CR LF, UTF-8 with
// a byte-order mark), and on faults: each costs its statement (or its message), is named by line
// and column, and the rest of the file is read; a file without a readable message is refused.
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
    void odd_files_are_read_line_by_line_data();
    void odd_files_are_read_line_by_line();
    void what_odd_files_give();
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
    QTest::addColumn<bool>("refused");  // no message is left: the file is refused with the fault

    const QString bo = QStringLiteral("BO_ 1 A: 8 X\n");
    QTest::newRow("byte order 2") << bo + " SG_ S : 0|8@2+ (1,0) [0|1] \"\" X\n" << 2 << 14 << "byte order" << false;
    QTest::newRow("no sign") << bo + " SG_ S : 0|8@1 (1,0) [0|1] \"\" X\n" << 2 << 16 << "'+' or '-'" << false;
    QTest::newRow("quotes not closed") << "CM_ \"abc\n\n" << 1 << 5 << "not closed" << true;
    QTest::newRow("quotes not closed after a message") << bo + "CM_ \"abc\n\n" << 2 << 5 << "not closed" << false;
    QTest::newRow("comment on no message") << bo + "CM_ BO_ 5 \"x\";\n" << 2 << 9 << "identifier 5" << false;
    QTest::newRow("intel signal beyond the bytes") << "BO_ 1 A: 2 X\n SG_ S : 12|8@1+ (1,0) [0|1] \"\" X\n" << 2 << 6
                                                   << "outside" << false;
    QTest::newRow("motorola signal beyond the byte") << "BO_ 1 A: 1 X\n SG_ S : 0|2@0+ (1,0) [0|1] \"\" X\n" << 2 << 6
                                                     << "outside" << false;
    QTest::newRow("stray word") << bo + "Hallo\n" << 2 << 1 << "'Hallo'" << false;
    QTest::newRow("CR LF counted as one line end") << "VERSION \"\"\r\n\r\nBO_ x" << 3 << 5 << "identifier expected" << true;
    QTest::newRow("identifier twice") << bo + bo << 2 << 5 << "twice" << false;
    QTest::newRow("bad multiplexer mark") << bo + " SG_ S mx : 0|8@1+ (1,0) [0|1] \"\" X\n" << 2 << 8 << "multiplexer" << false;
    QTest::newRow("signal before a message") << " SG_ S : 0|8@1+ (1,0) [0|1] \"\" X\n" << 1 << 6 << "before any message" << true;
    QTest::newRow("factor not a number") << bo + " SG_ S : 0|8@1+ (1.2.3,0) [0|1] \"\" X\n" << 2 << 18 << "not a number" << false;
    QTest::newRow("default of no attribute") << bo + "BA_DEF_DEF_ \"Zyklus\" 5;\n" << 2 << 13 << "not defined" << false;
    QTest::newRow("unknown attribute type") << bo + "BA_DEF_ BO_ \"Z\" LONG 0 1;\n" << 2 << 17 << "LONG" << false;
    QTest::newRow("value table of no signal") << bo + "VAL_ 1 T 0 \"a\";\n" << 2 << 8 << "no signal T" << false;
    QTest::newRow("file ends inside a message") << "BO_ 1 A:" << 1 << 9 << "file ends" << true;
    QTest::newRow("no statement at all") << "VERSION \"\"\n" << 0 << 0 << "no message" << true;
}

void Tst_Dbc_File::faults_name_line_and_column()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, reason);
    QFETCH(bool, refused);
    try {
        const Dbc_Database db = Parse_Dbc(text, QStringLiteral("bus.dbc"));
        QVERIFY2(!refused, "the file was not refused");
        QVERIFY(!db.Skipped.isEmpty());
        const Dbc_Skipped &s = db.Skipped.first();
        QVERIFY2(s.Reason.contains(reason), qPrintable(s.Reason));
        QCOMPARE(s.Line, line);
        QCOMPARE(s.Column, column);
        // The message of line 1 is read all the same.
        QCOMPARE(db.Messages.first().Line, 1);
    } catch (const Dbc_Error &e) {
        QVERIFY2(refused, qPrintable(e.Text()));
        QVERIFY2(e.Reason.contains(reason), qPrintable(e.Text()));
        QCOMPARE(e.Line, line);
        QCOMPARE(e.Column, column);
        if (line > 0) QVERIFY(e.Text().startsWith(QStringLiteral("bus.dbc: line %1, column %2: ").arg(line).arg(column)));
    }
}

// Each fixture holds one kind of odd line seen in real files. messages: the messages read;
// skipped: "line name: reason" of every statement left out, in file order.
void Tst_Dbc_File::odd_files_are_read_line_by_line_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("skipped");

    QTest::newRow("comments and value tables on undefined objects")
        << "undefined_objects.dbc" << QStringList{"Engine"}
        << QStringList{"8 CM_: no message has the identifier 999", "9 CM_: message Engine has no signal Torque",
                       "10 VAL_: no message has the identifier 999", "11 VAL_: message Engine has no signal Torque"};
    QTest::newRow("names beginning with a digit") << "digit_names.dbc" << QStringList{"2017_5"} << QStringList{};
    QTest::newRow("missing semicolons") << "missing_semicolon.dbc" << QStringList{"Engine"} << QStringList{};
    QTest::newRow("comments without object")
        << "comment_without_object.dbc" << QStringList{"Engine", "Brake"}
        << QStringList{"11 CM_: BU_, BO_, SG_, EV_ or a text in quotes expected", "12 CM_: a signal name expected"};
    QTest::newRow("node list over several lines") << "nodes_over_lines.dbc" << QStringList{"Engine"} << QStringList{};
    QTest::newRow("signals beyond the message")
        << "signal_beyond_length.dbc" << QStringList{"Engine"}
        << QStringList{"7 Engine.Beyond: signal Beyond lies outside the 4 bytes of message Engine",
                       "8 Engine.Motorola_Beyond: signal Motorola_Beyond lies outside the 4 bytes of message Engine"};
    QTest::newRow("lone multiplexer mark") << "lone_multiplexer_mark.dbc" << QStringList{"Engine"} << QStringList{};
    QTest::newRow("CAN FD by frame format") << "can_fd_frame_format.dbc"
                                            << QStringList{"Classic", "Short_Fd", "Default_Fd"} << QStringList{};
    QTest::newRow("value table values beyond 64 bits")
        << "value_out_of_range.dbc" << QStringList{"Engine"}
        << QStringList{"8 Engine.Rpm: value '1e300' is no whole number of 64 bits; left out of the value table",
                       "8 Engine.Rpm: value '2.5' is no whole number of 64 bits; left out of the value table",
                       "8 Engine.Rpm: value '-9223372036854775809' is no whole number of 64 bits; left out of the value table"};
    QTest::newRow("faulty messages cost themselves and their signals")
        << "faulty_messages.dbc" << QStringList{"Engine", "Good"}
        << QStringList{"8 Twice: the identifier 256 is given twice", "11 Broken: ':' expected",
                       "16 Good.Kept: message Good has a signal Kept already"};
}

void Tst_Dbc_File::odd_files_are_read_line_by_line()
{
    QFETCH(QString, file);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, skipped);
    const Dbc_Database db = Read_Dbc_File(Fixture("faults/") + file);
    QStringList names, notes;
    for (const Dbc_Message &m : db.Messages) names << m.Name;
    for (const Dbc_Skipped &s : db.Skipped) notes << QStringLiteral("%1 %2: %3").arg(s.Line).arg(s.Name, s.Reason);
    QCOMPARE(names, messages);
    QCOMPARE(notes, skipped);
}

void Tst_Dbc_File::what_odd_files_give()
{
    const QString dir = Fixture("faults/");
    {
        const Dbc_Database db = Read_Dbc_File(dir + "undefined_objects.dbc");
        QCOMPARE(db.Messages[0].Signals[0].Comment, QStringLiteral("still read"));
    }
    {
        const Dbc_Database db = Read_Dbc_File(dir + "digit_names.dbc");
        const Dbc_Signal &counter = db.Messages[0].Signals[0];
        QCOMPARE(counter.Name, QStringLiteral("0_COUNTER"));
        QCOMPARE(counter.Comment, QStringLiteral("counts frames"));
        QCOMPARE(counter.Values.size(), 1);
    }
    {
        const Dbc_Database db = Read_Dbc_File(dir + "missing_semicolon.dbc");
        QCOMPARE(db.Messages[0].Comment, QStringLiteral("no semicolon after this comment"));
        QCOMPARE(db.Messages[0].Signals[1].Values.size(), 2);
        QCOMPARE(db.Messages[0].Signals[0].Comment, QStringLiteral("read all the same"));
    }
    {
        const Dbc_Database db = Read_Dbc_File(dir + "comment_without_object.dbc");
        QCOMPARE(db.Messages[1].Signals[0].Comment, QStringLiteral("kept"));
    }
    {
        const Dbc_Database db = Read_Dbc_File(dir + "nodes_over_lines.dbc");
        QCOMPARE(db.Nodes, (QStringList{"Engine_ECU", "Gearbox_ECU", "Dashboard", "Brake_ECU", "Airbag"}));
    }
    {
        const Dbc_Database db = Read_Dbc_File(dir + "signal_beyond_length.dbc");
        QCOMPARE(db.Messages[0].Signals.size(), 2);
        QCOMPARE(db.Messages[0].Signals[1].Name, QStringLiteral("Last"));
    }
    {
        const Dbc_Database db = Read_Dbc_File(dir + "lone_multiplexer_mark.dbc");
        const QList<Dbc_Signal> &s = db.Messages[0].Signals;
        QVERIFY(s[0].Is_Multiplexer && !s[0].Multiplexed());
        QVERIFY(s[1].Multiplexed());
        QVERIFY(!s[2].Multiplexed());
    }
    {
        // The default of the frame format counts where a message gives none; a message of 8 bytes
        // declared CAN FD is not a classic frame all the same.
        const Dbc_Database db = Read_Dbc_File(dir + "can_fd_frame_format.dbc");
        QVERIFY(db.Messages[0].Importable());
        QCOMPARE(db.Messages[1].Frame_Format, QStringLiteral("StandardCAN_FD"));
        QVERIFY(db.Messages[1].Not_Importable_Reason().contains("CAN FD"));
        QVERIFY(db.Messages[2].Fd());
    }
    {
        const Dbc_Database db = Read_Dbc_File(dir + "value_out_of_range.dbc");
        const QList<std::pair<int64_t, QString>> values{{1, "One"}, {0, "Zero"}};
        QCOMPARE(db.Messages[0].Signals[0].Values, values);
    }
    try {
        Read_Dbc_File(dir + "no_database.dbc");
        QFAIL("a file without messages was read");
    } catch (const Dbc_Error &e) {
        QCOMPARE(e.Line, 1);
        QVERIFY2(e.Text().contains("no_database.dbc"), qPrintable(e.Text()));
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
