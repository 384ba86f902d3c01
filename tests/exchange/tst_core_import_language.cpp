// The imports' reasons in the user's language: why a CAN database message cannot be chosen,
// why an import left a signal out, why a database or a sheet line cannot be read, and why the
// signal notes are not rewritten all come out whole in the language of the table when a
// translator is installed, and keep their English bytes without one (the command-line tools).
// The files the program writes (sheets, signal notes) are the same bytes in every language.
#include "editing/Frame_List.h"
#include "exchange/Csv_Lists.h"
#include "exchange/Dbc_File.h"
#include "exchange/Dbc_Import.h"
#include "exchange/Import_Summary.h"
#include "exchange/Signal_Notes.h"
#include "lang/Lang_Table.h"
#include "lang/Lang_Translator.h"
#include "platform/Xml_Document.h"
#include "Shipped_Language.h"
#include "test_config.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// The vehicle database's messages imported into a receive list that already maps register
// 0x65: a 4-bit signal, a multiplexed one and a CAN FD message are left out, a 32-bit signal
// takes two registers.
struct Vehicle_Import {
    Dbc_Database Db;
    QList<Frame_Row> Rows;
    Signal_Import Signals;
};

Vehicle_Import Import_Vehicle()
{
    Vehicle_Import v;
    v.Db = Read_Dbc_File(QStringLiteral(QCX_TEST_DATA_DIR "/dbc/vehicle.dbc"));
    Frame_Grid grid = Empty_Frame_Grid();
    grid[0].CobID = QStringLiteral("0x7F0");
    grid[0].Type = Frame_Type_11;
    grid[0].Dimension = QStringLiteral("8");
    grid[0].TimeOut = QStringLiteral("0");
    const QList<Dbc_Message> chosen{*v.Db.Find("Motor_Daten"), *v.Db.Find("Getriebe_Status"), *v.Db.Find("Diagnose"),
                                    *v.Db.Find("Rohdaten_FD")};
    v.Rows = Pack_Entries(Import_Dbc_Frames(grid, Direction::Receive, chosen).Grid);
    QList<Editor_Frame> mapping;
    for (const Frame_Row &r : v.Rows) mapping.append(Editor_Frame{r.CobID, r.Dimension.toInt(), {}});
    mapping[0].Registers.append(Editor_Register{"0x65", 0, 1, 0});
    v.Signals = Import_Dbc_Signals(mapping, v.Rows, chosen, 100, 0);
    return v;
}

Message Dbc_Error_Text(const QString &dbc, const std::function<QString(const Lang_Table &)> &reason, const Lang_Table &t)
{
    try {
        Parse_Dbc(dbc, QStringLiteral("x.dbc"));
    } catch (const Dbc_Error &e) {
        return {e.Text(), QStringLiteral("x.dbc: ") + t[STR_Msg_Line_Column].arg(e.Line).arg(e.Column) +
                              QStringLiteral(": ") + reason(t)};
    }
    qFatal("the database was read");
}

const QByteArray Receive_Header = "CobID,Dimension,Type,TimeOut,Mnemonic\r\n";

QString Last_Line(const Import_Summary &s) { return s.Lines.isEmpty() ? QString() : s.Lines.last(); }

const Message_Cases &Cases()
{
    static const Message_Cases cases = {
        {"chooser: CAN FD message",
         [](const Lang_Table &t, const QString &) -> Message {
             const Vehicle_Import v = Import_Vehicle();
             return {v.Db.Find("Rohdaten_FD")->Not_Importable_Reason(), t[STR_Msg2_Dbc_Can_Fd].arg(64)};
         }},
        {"report: signal left out",
         [](const Lang_Table &t, const QString &) -> Message {
             const Vehicle_Import v = Import_Vehicle();
             const Import_Summary s = Signal_Import_Summary(t, v.Signals);
             return {s.Lines.value(v.Signals.Taken.size() + v.Signals.Signals.size()),
                     t[STR_Import_Left_Out_Named].arg(55).arg(QStringLiteral("Diagnose.Spannung"),
                                                              t[STR_Msg2_Import_Multiplexed])};
         }},
        {"report: low word of a 32-bit signal",
         [](const Lang_Table &t, const QString &) -> Message {
             const Vehicle_Import v = Import_Vehicle();
             const Import_Summary s = Signal_Import_Summary(t, v.Signals);
             return {s.Lines.value(3), t[STR_Import_Register]
                                           .arg(QStringLiteral("104"),
                                                t[STR_Import_Low_Word].arg(QStringLiteral("Motor_Daten.Leistung")))
                                           .arg(6)
                                           .arg(5)};
         }},
        {"database: number out of range",
         [](const Lang_Table &t, const QString &) {
             return Dbc_Error_Text("BO_ 100 M: 65 N\n", [](const Lang_Table &t) {
                 return t[STR_Msg2_Dbc_Out_Of_Range].arg(t[STR_Msg2_Dbc_What_Message_Length], QStringLiteral("65")).arg(0).arg(64);
             }, t);
         }},
        {"database: ends too early",
         [](const Lang_Table &t, const QString &) {
             return Dbc_Error_Text("BO_ 100", [](const Lang_Table &t) {
                 return t[STR_Msg2_Dbc_File_Ends].arg(t[STR_Msg2_Dbc_Expected].arg(t[STR_Msg2_Dbc_What_Message_Name]));
             }, t);
         }},
        {"sheet: Cob-ID empty",
         [](const Lang_Table &t, const QString &) -> Message {
             const Frame_Csv_Read r = Read_Frame_Csv(Direction::Receive, Receive_Header + ",8,CAN 2.0A 11 bits,0,\r\n");
             return {Last_Line(Frame_Csv_Summary(t, r.Rows, r.Faults)),
                     t[STR_Import_Left_Out_Line].arg(2).arg(t[STR_Msg2_Csv_CobID_Empty])};
         }},
        {"sheet: columns missing",
         [](const Lang_Table &t, const QString &) -> Message {
             const Frame_Csv_Read r = Read_Frame_Csv(Direction::Receive, Receive_Header + "0x181,8,CAN 2.0A 11 bits\r\n");
             return {Last_Line(Frame_Csv_Summary(t, r.Rows, r.Faults)),
                     t[STR_Import_Left_Out_Line].arg(2).arg(t[STR_Msg2_Csv_Column_Count].arg(3).arg(5))};
         }},
        {"signal notes: a line that would be lost",
         [](const Lang_Table &t, const QString &dir) -> Message {
             const QString path = dir + QStringLiteral("/CAN_Signals.csv");
             QFile f(path);
             if (!f.open(QIODevice::WriteOnly) || f.write(Signal_Notes_Bytes({}) + "receive,0x181,x\r\n") < 0)
                 qFatal("cannot write %s", qPrintable(path));
             f.close();
             try {
                 Read_Signal_Notes_To_Rewrite(path);
             } catch (const Xml_Error &e) {
                 return {e.Text(), path + QStringLiteral(": ") + t[STR_Msg_Line_Column].arg(2).arg(1) + QStringLiteral(": ") +
                                       t[STR_Msg2_Notes_Nothing_Saved].arg(t[STR_Msg2_Notes_Field_Count].arg(3).arg(20))};
             }
             qFatal("the notes were read");
         }},
    };
    return cases;
}

// The files an import session writes: both sheets of the imported list and its signal notes.
QList<QByteArray> Written_Files()
{
    const Vehicle_Import v = Import_Vehicle();
    return {Frame_List_Csv(Direction::Receive, v.Rows), Mapping_List_Csv(Direction::Receive, v.Signals.Frames, v.Rows),
            Signal_Notes_Bytes(Imported_Signal_Notes(Direction::Receive, v.Signals, v.Rows))};
}

}  // namespace

class Tst_Import_Language : public QObject {
    Q_OBJECT
private slots:
    void reasons_keep_their_english_without_translator_data() { Reasons_Data(); }
    void reasons_keep_their_english_without_translator();
    void reasons_come_out_in_every_language_data();
    void reasons_come_out_in_every_language();
    void written_files_do_not_depend_on_the_language();

private:
    static void Reasons_Data();
};

// Each case's reason in English; {dir} stands for the test's folder.
static QStringList English_Reasons()
{
    return {
        "64 data bytes: a CAN FD frame, the converter carries at most 8",
        "Left out, line 55: Diagnose.Spannung: multiplexed: its bytes carry other signals in other frames",
        "Register 104: Motor_Daten.Leistung (low word) (high byte 6, low byte 5)",
        "x.dbc: line 1, column 12: a message length 65 lies outside 0..64",
        "x.dbc: line 1, column 8: a message name expected (the file ends here)",
        "Left out, line 2: the Cob-ID is empty",
        "Left out, line 2: 3 columns, 5 expected",
        "{dir}/CAN_Signals.csv: line 2, column 1: 3 fields instead of 20; saving would drop this line, so nothing is "
        "saved",
    };
}

void Tst_Import_Language::Reasons_Data() { Add_English_Rows(Cases(), English_Reasons()); }

void Tst_Import_Language::reasons_keep_their_english_without_translator() { Check_English_Message(Cases()); }

void Tst_Import_Language::reasons_come_out_in_every_language_data()
{
    QStringList languages = Shipped_Language_Names;
    languages.removeAll(QStringLiteral("English"));
    Add_Language_Rows(Cases(), English_Reasons(), languages);
}

void Tst_Import_Language::reasons_come_out_in_every_language() { Check_Translated_Message(Cases()); }

void Tst_Import_Language::written_files_do_not_depend_on_the_language()
{
    const QList<QByteArray> english = Written_Files();
    // The 32-bit signal is one note with both its registers, high word first.
    QVERIFY(english[2].contains("Leistung,kW,0.001,0,103 104,8/7 6/5,0,32,no,no,"));
    for (const QString &name : Shipped_Language_Names) {
        const Lang_Table table = Shipped_Table(name);
        const Installed_Translator installed(table);
        QVERIFY2(Written_Files() == english, qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(Tst_Import_Language)
#include "tst_core_import_language.moc"
