// The frame lists without a window: validation and its messages, row insert and delete, packing,
// and loading a file into the grid.
#include "File_Bytes.h"
#include "config/Image_Builder.h"
#include "config/Project_Files.h"
#include "editing/Frame_List.h"
#include "lang/Lang_Table.h"
#include "test_config.h"

#include <QTemporaryDir>
#include <QtTest>

using Rows = QList<Frame_Row>;

class Tst_Frame_List : public QObject {
    Q_OBJECT
private slots:
    void validation_data();
    void validation();
    void messages_follow_the_language_data();
    void messages_follow_the_language();
    void identifier_as_the_device_reads_it_data();
    void identifier_as_the_device_reads_it();
    void type_read_by_the_editor_and_by_the_image_builder_data();
    void type_read_by_the_editor_and_by_the_image_builder();
    void insert_and_delete_data();
    void insert_and_delete();
    void delete_question();
    void pack_skips_rows_without_cob_id();
    void read_grid_packs_file_rows_from_row_1();
    void read_grid_refuses_files_it_cannot_show_whole_data();
    void read_grid_refuses_files_it_cannot_show_whole();
    void grid_changed_data();
    void grid_changed();
};

namespace {

const QString A11 = Frame_Type_11;
const QString B29 = Frame_Type_29;

Frame_Row Rx(QString cob, QString dim, QString type, QString timeout, QString mnemonic = {})
{
    Frame_Row r;
    r.CobID = cob;
    r.Dimension = dim;
    r.Type = type;
    r.TimeOut = timeout;
    r.Mnemonic = mnemonic;
    return r;
}

Frame_Row Tx(QString cob, QString dim, QString type, QString change, QString on_timer,
             QString send_timer, QString mnemonic = {})
{
    Frame_Row r;
    r.CobID = cob;
    r.Dimension = dim;
    r.Type = type;
    r.DataChange = change;
    r.OnTimer = on_timer;
    r.SendTimer = send_timer;
    r.Mnemonic = mnemonic;
    return r;
}

// A grid with the given rows from row 1 on.
Frame_Grid Grid(const Rows &rows)
{
    Frame_Grid grid = Empty_Frame_Grid();
    for (int i = 0; i < rows.size(); ++i) grid[i] = rows[i];
    return grid;
}

// A full grid whose row n holds Cob-ID "n" (or only rows 1..filled).
Frame_Grid Numbered(int filled = Max_Frame_Entries)
{
    Frame_Grid grid = Empty_Frame_Grid();
    for (int i = 0; i < filled; ++i) grid[i] = Rx(QString::number(i + 1), "8", A11, "0");
    return grid;
}

Lang_Table English()
{
    Lang_Table table;
    Load_Default_Language(table);
    return table;
}

Lang_Table Shipped(const QString &language)
{
    Lang_Table table;
    QString name = language;
    Load_Language(table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR), name);
    if (name != language) qFatal("no shipped language %s", qPrintable(language));
    return table;
}

QString Message(Direction direction, const Frame_Grid &grid, const Lang_Table &texts)
{
    const std::optional<Frame_Fault> fault = Check_Frames(direction, grid);
    return fault ? Fault_Text(Frame_List_Of(direction), texts, *fault) : QString();
}

}  // namespace

void Tst_Frame_List::validation_data()
{
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("message");  // empty: the grid is valid

    const auto R = Direction::Receive;
    const auto T = Direction::Transmit;
    const QString cob11 = "!! CobID must be between 0x000 and 0x7FF";
    const QString cob29 = "!! CobID must be between 0x00000000 and 0x1FFFFFFF";
    const QString dim = "!! Dimension must be between 1 and 8";
    const QString tmo = "!! TimeOut must be between 0 and 100000000 ms";
    const QString snd = "!! Send Timer must be between 0 and 100000000 ms";
    const QString type = "!! Type of CAN message must be selected";
    auto row1 = [](const QString &rule) { return "Error in row 1" + rule; };

    QTest::newRow("empty grid") << R << Rows{} << "";
    QTest::newRow("11-bit 0x7FF") << R << Rows{Rx("0x7FF", "8", A11, "0")} << "";
    QTest::newRow("11-bit $7FF") << R << Rows{Rx("$7FF", "8", A11, "0")} << "";
    QTest::newRow("11-bit 2047") << R << Rows{Rx("2047", "8", A11, "0")} << "";
    QTest::newRow("11-bit 0") << R << Rows{Rx("0", "1", A11, "0")} << "";
    QTest::newRow("11-bit 0x800") << R << Rows{Rx("0x800", "8", A11, "0")} << row1(cob11);
    QTest::newRow("11-bit 2048") << R << Rows{Rx("2048", "8", A11, "0")} << row1(cob11);
    // Digits copied from a CAN tool: the message says how the device would take them.
    const QString write = "\nFor a hexadecimal identifier, write ";
    QTest::newRow("11-bit 7FF without prefix") << R << Rows{Rx("7FF", "8", A11, "0")} << row1(cob11) + write + "0x7FF";
    QTest::newRow("11-bit b5 without prefix, blanks") << R << Rows{Rx(" b5 ", "8", A11, "0")}
                                                      << row1(cob11) + write + "0x0B5";
    QTest::newRow("29-bit 18FF0001 without prefix") << T << Rows{Tx("18FF0001", "8", B29, "Y", "N", "")}
                                                    << row1(cob29) + write + "0x18FF0001";
    // No hint where the hexadecimal reading is no identifier of the frame's format either.
    QTest::newRow("11-bit FFF without prefix") << R << Rows{Rx("FFF", "8", A11, "0")} << row1(cob11);
    QTest::newRow("29-bit 2FFFFFFF without prefix") << R << Rows{Rx("2FFFFFFF", "8", B29, "0")} << row1(cob29);
    QTest::newRow("11-bit 181h") << R << Rows{Rx("181h", "8", A11, "0")} << row1(cob11);
    QTest::newRow("11-bit negative") << R << Rows{Rx("-1", "8", A11, "0")} << row1(cob11);
    QTest::newRow("11-bit type trimmed, any case") << R << Rows{Rx("0x800", "8", " can 2.0a 11 BITS ", "0")}
                                                   << row1(cob11);
    QTest::newRow("29-bit 0x1FFFFFFF") << R << Rows{Rx("0x1FFFFFFF", "8", B29, "0")} << "";
    QTest::newRow("29-bit 0x20000000") << R << Rows{Rx("0x20000000", "8", B29, "0")} << row1(cob29);
    QTest::newRow("other type checked as 29-bit") << R << Rows{Rx("0x800", "8", "x", "0")} << "";
    QTest::newRow("Cob-ID trailing blank") << R << Rows{Rx("0x100 ", "8", A11, "0")} << row1(cob11);
    QTest::newRow("Cob-ID leading blanks") << R << Rows{Rx("  0x100", "8", A11, "0")} << "";
    QTest::newRow("Type empty") << R << Rows{Rx("1", "8", "", "0")} << row1(type);
    QTest::newRow("Type blanks") << R << Rows{Rx("1", "8", "  ", "0")} << row1(type);
    QTest::newRow("Type checked before Cob-ID") << R << Rows{Rx("0x800", "9", "", "x")} << row1(type);
    QTest::newRow("Cob-ID checked before Dimension") << R << Rows{Rx("0x800", "9", A11, "x")} << row1(cob11);
    QTest::newRow("Dimension checked before TimeOut") << R << Rows{Rx("1", "9", A11, "x")} << row1(dim);
    QTest::newRow("Dimension 0") << R << Rows{Rx("1", "0", A11, "0")} << row1(dim);
    QTest::newRow("Dimension 9") << R << Rows{Rx("1", "9", A11, "0")} << row1(dim);
    QTest::newRow("Dimension 8") << R << Rows{Rx("1", "8", A11, "0")} << "";
    QTest::newRow("Dimension empty") << R << Rows{Rx("1", "", A11, "0")} << row1(dim);
    QTest::newRow("TimeOut 100000000") << R << Rows{Rx("1", "8", A11, "100000000")} << "";
    QTest::newRow("TimeOut 100000001") << R << Rows{Rx("1", "8", A11, "100000001")} << row1(tmo);
    QTest::newRow("TimeOut empty") << R << Rows{Rx("1", "8", A11, "")} << row1(tmo);
    QTest::newRow("TimeOut hexadecimal") << R << Rows{Rx("1", "8", A11, "0x5F5E100")} << "";
    // A row without a Cob-ID is skipped, but the rows below it are saved and so are checked.
    QTest::newRow("blank Cob-ID row skipped")
        << R << Rows{Rx("1", "8", A11, "0"), Rx("   ", "99", "", "x"), Rx("0x7FF", "8", A11, "0")} << "";
    QTest::newRow("row below a blank one is checked")
        << R << Rows{Rx("1", "8", A11, "0"), Rx("   ", "99", "", "x"), Rx("0x181", "20", A11, "0")}
        << "Error in row 3" + dim;
    QTest::newRow("row number of a later row")
        << R << Rows{Rx("1", "8", A11, "0"), Rx("2", "8", A11, "0"), Rx("3", "20", A11, "0")}
        << "Error in row 3" + dim;

    QTest::newRow("tx timer off, Send Timer abc") << T << Rows{Tx("1", "8", A11, "", "", "abc")} << "";
    QTest::newRow("tx timer N, Send Timer abc") << T << Rows{Tx("1", "8", A11, "Y", "N", "abc")} << "";
    QTest::newRow("tx timer Y, Send Timer empty") << T << Rows{Tx("1", "8", A11, "N", "Y", "")} << row1(snd);
    QTest::newRow("tx timer ' y ', Send Timer -1") << T << Rows{Tx("1", "8", A11, "", " y ", "-1")} << row1(snd);
    QTest::newRow("tx timer Y, Send Timer 100000000") << T << Rows{Tx("1", "8", A11, "", "Y", "100000000")} << "";
    QTest::newRow("tx timer Y, Send Timer 100000001")
        << T << Rows{Tx("1", "8", A11, "", "Y", "100000001")} << row1(snd);
    QTest::newRow("tx Data Change never checked") << T << Rows{Tx("1", "8", A11, "maybe", "N", "")} << "";
    QTest::newRow("tx TimeOut not checked") << T << Rows{Rx("1", "8", A11, "")} << "";
    QTest::newRow("tx 29-bit") << T << Rows{Tx("0x20000000", "8", B29, "", "", "")} << row1(cob29);
    QTest::newRow("tx Dimension") << T << Rows{Tx("1", "0", B29, "", "", "")} << row1(dim);
    QTest::newRow("tx blank Cob-ID ends the list")
        << T << Rows{Tx(" ", "", "", "", "Y", "")} << "";
}

void Tst_Frame_List::validation()
{
    QFETCH(Direction, direction);
    QFETCH(Rows, rows);
    QFETCH(QString, message);
    QCOMPARE(Message(direction, Grid(rows), English()), message);
}

void Tst_Frame_List::messages_follow_the_language_data()
{
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("message");
    const auto R = Direction::Receive;
    const auto T = Direction::Transmit;

    // The two lists differ in their timer; their other texts read alike in every language.
    QTest::newRow("rx type") << R << Rows{Rx("1", "8", "", "0")}
                             << "Fehler in Zeile 1!! Der Typ der CAN-Nachricht muss ausgewählt werden";
    QTest::newRow("rx timeout") << R << Rows{Rx("1", "1", B29, "x")}
                                << "Fehler in Zeile 1!! Der TimeOut muss zwischen 0 und 100000000 ms liegen";
    QTest::newRow("tx cob 11") << T << Rows{Tx("1", "8", A11, "", "", ""), Tx("x", "8", A11, "", "", "")}
                               << "Fehler in Zeile 2!! Die CobID muss zwischen 0x000 und 0x7FF liegen";
    QTest::newRow("tx cob 29 without 0x") << T << Rows{Tx("18ff0001", "8", B29, "", "", "")}
                                          << "Fehler in Zeile 1!! Die CobID muss zwischen 0x00000000 und 0x1FFFFFFF liegen\n"
                                             "Für einen hexadezimalen Identifier 0x18FF0001 schreiben";
    QTest::newRow("tx send timer") << T << Rows{Tx("1", "1", B29, "", "Y", "x")}
                                   << "Fehler in Zeile 1!! Die Sendezeit muss zwischen 0 und 100000000 ms liegen";
    Frame_Grid last = Numbered();
    last[249].Dimension = "0";
    QTest::newRow("rx row 250") << R << Rows(last) << "Fehler in Zeile 250!! Die Länge muss zwischen 1 und 8 liegen";
}

void Tst_Frame_List::messages_follow_the_language()
{
    QFETCH(Direction, direction);
    QFETCH(Rows, rows);
    QFETCH(QString, message);
    QCOMPARE(Message(direction, Grid(rows), Shipped("Deutsch")), message);
}

void Tst_Frame_List::identifier_as_the_device_reads_it_data()
{
    QTest::addColumn<QString>("cob");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("shown");  // empty: the device cannot read it as one

    QTest::newRow("plain digits are decimal") << "181" << A11 << "0x0B5 11-bit";
    QTest::newRow("0x") << "0x181" << A11 << "0x181 11-bit";
    QTest::newRow("dollar, 29-bit") << "$18FF0001" << B29 << "0x18FF0001 29-bit";
    QTest::newRow("small 29-bit padded") << "0x800" << "can 2.0b 29 bits" << "0x00000800 29-bit";
    QTest::newRow("leading blanks") << "  2047" << A11 << "0x7FF 11-bit";
    QTest::newRow("hex digits without 0x") << "18FF0001" << B29 << "";
    QTest::newRow("out of the 11-bit range") << "0x800" << A11 << "";
    // The device compares the type whole: with a blank it is an 11-bit frame.
    QTest::newRow("type with a blank is 11-bit") << "0x800" << " CAN 2.0B 29 bits" << "";
    QTest::newRow("trailing blank") << "0x100 " << A11 << "";
}

void Tst_Frame_List::identifier_as_the_device_reads_it()
{
    QFETCH(QString, cob);
    QFETCH(QString, type);
    QFETCH(QString, shown);
    const Frame_Row row = Rx(cob, "8", type, "0");
    QCOMPARE(Device_Reading(row), shown);
    if (shown.isEmpty()) return;
    // The very identifier the image gives the device.
    QTemporaryDir dir;
    const Project_Paths paths = Project_Paths_In(dir.path());
    Write_Frame_File(paths.CAN_Receive, Direction::Receive, {row});
    Configuration_Image image;
    image.Compile_Bin(paths);
    const uint32_t ident = image.Frame(0).Ident;
    QCOMPARE(QStringLiteral("0x%1").arg(ident & ~Ident_Extended, ident & Ident_Extended ? 8 : 3, 16, QChar('0')).toUpper()
                 .replace("0X", "0x") +
                 (ident & Ident_Extended ? " 29-bit" : " 11-bit"),
             shown);
}

void Tst_Frame_List::type_read_by_the_editor_and_by_the_image_builder_data()
{
    // The editor reads a Type as a user may have typed it into the file: blanks at either end
    // and the case of any letter do not matter, and whatever is not the 11-bit type is checked
    // against the wider 29-bit range, so no Cob-ID is refused for a mere spelling. The builder
    // sets a record's 29-bit mark only for the exact text, ignoring the case of the letters a
    // to z alone, so that a build never depends on the machine's language; everything else
    // goes to the device as an 11-bit frame. On the texts the grid's list offers they agree.
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("editor");   // how the editor checks the Cob-ID
    QTest::addColumn<QString>("builder");  // how the image marks the frame

    QTest::newRow("11-bit, as listed") << Frame_Type_11 << "11-bit" << "11-bit";
    QTest::newRow("29-bit, as listed") << Frame_Type_29 << "29-bit" << "29-bit";
    QTest::newRow("29-bit, other case") << "can 2.0b 29 BITS" << "29-bit" << "29-bit";
    QTest::newRow("11-bit, blanks and lower case") << " can 2.0a 11 bits " << "11-bit" << "11-bit";
    QTest::newRow("29-bit with blanks") << " CAN 2.0B 29 bits " << "29-bit" << "11-bit";
    QTest::newRow("29-bit, dotless i") << "CAN 2.0B 29 b\u0131ts" << "29-bit" << "11-bit";
    QTest::newRow("11-bit, dotless i") << "CAN 2.0A 11 b\u0131ts" << "11-bit" << "11-bit";
    QTest::newRow("anything else") << "CAN FD" << "29-bit" << "11-bit";
    QTest::newRow("empty") << "" << "refused" << "11-bit";
}

void Tst_Frame_List::type_read_by_the_editor_and_by_the_image_builder()
{
    QFETCH(QString, type);
    QFETCH(QString, editor);
    QFETCH(QString, builder);

    // 0x800 is beyond the 11-bit range and within the 29-bit one.
    const Frame_Row row = Rx("0x800", "8", type, "0");
    const std::optional<Frame_Fault> fault = Check_Frames(Direction::Receive, Grid({row}));
    const QString editor_reading = !fault                                 ? QStringLiteral("29-bit")
                                   : fault->Rule == Frame_Rule::CobID_11 ? QStringLiteral("11-bit")
                                   : fault->Rule == Frame_Rule::Type_Empty ? QStringLiteral("refused")
                                                                           : QStringLiteral("other");
    QCOMPARE(editor_reading, editor);

    QTemporaryDir dir;
    const Project_Paths paths = Project_Paths_In(dir.path());
    Write_Frame_File(paths.CAN_Receive, Direction::Receive, {row});
    Configuration_Image image;
    image.Compile_Bin(paths);
    const uint32_t ident = image.Frame(0).Ident;
    QCOMPARE(ident & ~Ident_Extended, 0x800u);
    QCOMPARE(QString(ident & Ident_Extended ? "29-bit" : "11-bit"), builder);
}

void Tst_Frame_List::insert_and_delete_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("filled");     // rows 1..filled hold Cob-IDs "1".."filled"
    QTest::addColumn<QStringList>("after");  // the Cob-IDs of rows 1..250 afterwards, "" for empty
    QTest::addColumn<bool>("done");

    auto ids = [](std::initializer_list<std::pair<int, int>> runs) {
        // Consecutive runs of original row numbers; 0 stands for an empty row.
        QStringList list;
        for (auto [from, to] : runs)
            for (int n = from; n <= to; ++n) list.append(n ? QString::number(n) : QString());
        while (list.size() < Max_Frame_Entries) list.append(QString());
        return list;
    };

    QTest::newRow("insert at 5, 249 entries") << "insert" << 5 << 249 << ids({{1, 4}, {0, 0}, {5, 249}}) << true;
    QTest::newRow("insert at 5, full grid refused") << "insert" << 5 << 250 << ids({{1, 250}}) << false;
    QTest::newRow("insert at 250, full grid refused") << "insert" << 250 << 250 << ids({{1, 250}}) << false;
    QTest::newRow("insert at 250, 249 entries") << "insert" << 250 << 249 << ids({{1, 249}}) << true;
    QTest::newRow("insert at 1") << "insert" << 1 << 3 << ids({{0, 0}, {1, 3}}) << true;
    QTest::newRow("delete at 5, full grid") << "delete" << 5 << 250 << ids({{1, 4}, {6, 250}}) << true;
    QTest::newRow("delete at 250, full grid") << "delete" << 250 << 250 << ids({{1, 249}}) << true;
    QTest::newRow("delete at 1 of 3") << "delete" << 1 << 3 << ids({{2, 3}}) << true;
    QTest::newRow("delete an empty row closes the gap") << "delete" << 5 << 4 << ids({{1, 4}}) << true;
}

void Tst_Frame_List::insert_and_delete()
{
    QFETCH(QString, operation);
    QFETCH(int, row);
    QFETCH(int, filled);
    QFETCH(QStringList, after);
    QFETCH(bool, done);

    Frame_Grid grid = Numbered(filled);
    // Every cell of a row moves with it, not only the Cob-ID.
    for (int i = 0; i < filled; ++i) grid[i].Mnemonic = "m" + grid[i].CobID;
    const Frame_Grid before = grid;
    QCOMPARE(Can_Insert_Row(grid), filled < Max_Frame_Entries);

    bool result = true;
    if (operation == "insert")
        result = Insert_Row(grid, row);
    else
        Delete_Row(grid, row);
    QCOMPARE(result, done);
    QCOMPARE(grid.size(), Max_Frame_Entries);
    if (!done) QCOMPARE(grid, before);

    QStringList ids;
    for (const Frame_Row &r : grid) {
        ids.append(r.CobID);
        QCOMPARE(r.Mnemonic, r.CobID.isEmpty() ? QString() : "m" + r.CobID);
    }
    QCOMPARE(ids, after);
}

void Tst_Frame_List::delete_question()
{
    const Lang_Table en = English();
    QCOMPARE(Delete_Question(Frame_List_Of(Direction::Receive), en, 12),
             QStringLiteral("Are you sure to delete the Row number 12"));
    QCOMPARE(Delete_Question(Frame_List_Of(Direction::Transmit), Shipped("Deutsch"), 250),
             QStringLiteral("Wirklich löschen: Zeile Nummer 250"));
}

void Tst_Frame_List::pack_skips_rows_without_cob_id()
{
    Frame_Grid grid = Empty_Frame_Grid();
    grid[0] = Rx(" 0x181 ", "8", A11, "", "first");
    grid[1] = Rx(" \t", "8", A11, "100", "not a frame");
    grid[4] = Rx("5", "", "", "");
    grid[249] = Rx("$1FF", "1", B29, "0", "last");
    QCOMPARE(Pack_Entries(grid), (Rows{grid[0], grid[4], grid[249]}));
    QCOMPARE(Pack_Entries(Empty_Frame_Grid()), Rows{});
}

void Tst_Frame_List::read_grid_packs_file_rows_from_row_1()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Transmit.xml");

    const Frame_Grid missing = Read_Frame_Grid(path, Direction::Transmit);
    QCOMPARE(missing, Empty_Frame_Grid());

    const Rows rows{Tx("1 ", "8", A11, "Y", "N", "", "a"), Tx("", "x", "odd", "", "", "", "")};
    Write_Frame_File(path, Direction::Transmit, rows);
    const Frame_Grid grid = Read_Frame_Grid(path, Direction::Transmit);
    QCOMPARE(grid.size(), Max_Frame_Entries);
    // Cells come back exactly as the file holds them, even a row the editor would not write.
    QCOMPARE(grid.mid(0, 2), rows);
    QCOMPARE(grid.mid(2), Empty_Frame_Grid().mid(2));

    Frame_Grid full = Numbered();
    Write_Frame_File(path, Direction::Receive, full);
    QCOMPARE(Read_Frame_Grid(path, Direction::Receive), full);
}

void Tst_Frame_List::read_grid_refuses_files_it_cannot_show_whole_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    QByteArray many = "<ReceiveCAN>";
    for (int i = 0; i < Max_Frame_Entries + 1; ++i)
        many += "<row CobID=\"1\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"\"/>";
    many += "</ReceiveCAN><!--SW_VERSION = 1.102-->";

    QTest::newRow("251 rows") << many << "the file holds 251 frames; a list holds at most 250";
    QTest::newRow("not well-formed") << QByteArray("<ReceiveCAN><row CobID=\"1\"</ReceiveCAN>") << "line 1";
    QTest::newRow("attribute missing")
        << QByteArray("<ReceiveCAN><row CobID=\"1\" Dimension=\"8\" Type=\"\" TimeOut=\"0\" Mnemonic=\"\"/>"
                      "<row CobID=\"1\" Dimension=\"8\" Type=\"\" Mnemonic=\"\"/></ReceiveCAN>")
        << "row 2: the attribute \"TimeOut\" is missing";
}

void Tst_Frame_List::read_grid_refuses_files_it_cannot_show_whole()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Receive.xml");
    Write_All(path, bytes);
    try {
        Read_Frame_Grid(path, Direction::Receive);
        QFAIL("the file was read");
    } catch (const Xml_Error &error) {
        QVERIFY2(error.Text().startsWith(path), qPrintable(error.Text()));
        QVERIFY2(error.Text().contains(reason), qPrintable(error.Text()));
    }
}

void Tst_Frame_List::grid_changed_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("changed");
    QTest::newRow("nothing") << "none" << false;
    QTest::newRow("typed and taken back") << "typed back" << false;
    QTest::newRow("empty row opened") << "insert" << false;
    QTest::newRow("empty row opened and deleted") << "insert delete" << false;
    QTest::newRow("gap closed") << "close gap" << false;
    QTest::newRow("mnemonic typed") << "mnemonic" << true;
    QTest::newRow("text in an empty row") << "stray text" << true;
    QTest::newRow("flag never clicked now unticked") << "flag" << true;
    QTest::newRow("frame deleted") << "delete" << true;
    QTest::newRow("frame deleted and typed again") << "retype" << true;
}

void Tst_Frame_List::grid_changed()
{
    QFETCH(QString, edit);
    QFETCH(bool, changed);
    // As loaded: frame 0 in row 1, an empty row, frame 1 in row 3.
    Frame_Grid loaded = Empty_Frame_Grid();
    loaded[0] = Tx("0x181", "8", A11, "", "Y", "100");
    loaded[0].Stored_Index = 0;
    loaded[2] = Tx("0x182", "2", A11, "Y", "", "");
    loaded[2].Stored_Index = 1;
    Frame_Grid grid = loaded;

    if (edit == "typed back") {
        grid[0].Dimension = "7";
        grid[0].Dimension = "8";
    }
    if (edit.startsWith("insert")) QVERIFY(Insert_Row(grid, 1));
    if (edit == "insert delete") Delete_Row(grid, 1);
    if (edit == "close gap") Delete_Row(grid, 2);
    if (edit == "mnemonic") grid[2].Mnemonic = "Motor";
    if (edit == "stray text") grid[5].Mnemonic = "later";
    if (edit == "flag") grid[0].DataChange = "N";
    if (edit == "delete") Delete_Row(grid, 1);
    if (edit == "retype") {
        // The same texts, but in a new row: the mappings of the deleted frame would go.
        const Frame_Row first = grid[0];
        Delete_Row(grid, 1);
        QVERIFY(Insert_Row(grid, 1));
        grid[0] = first;
        grid[0].Stored_Index = -1;
    }
    QCOMPARE(Frame_Grid_Changed(loaded, grid), changed);
}

QTEST_APPLESS_MAIN(Tst_Frame_List)
#include "tst_core_frame_list.moc"
