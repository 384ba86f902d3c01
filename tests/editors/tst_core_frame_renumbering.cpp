// Mappings follow their frames: a frame list saved after rows were inserted, deleted or packed
// away rewrites the direction's mapping file in the same save, so that each mapping still names
// its own frame; the mappings of deleted frames go with them; both files change together or
// not at all.
#include "File_Bytes.h"
#include "config/Project_Files.h"
#include "editing/Frame_List.h"
#include "lang/Lang_Table.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Four receive frames, A to D, stored as frames 0 to 3.
const QByteArray Frames =
    "<ReceiveCAN>"
    "<row CobID=\"0xA\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"A\"/>"
    "<row CobID=\"0xB\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"B\"/>"
    "<row CobID=\"0xC\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"C\"/>"
    "<row CobID=\"0xD\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" TimeOut=\"0\" Mnemonic=\"D\"/>"
    "</ReceiveCAN><!--SW_VERSION = 1.102-->";

// Registers 10 and 11 on A, 20 and 21 on B, 30 on C, 40 on D, and two rows that name no frame
// (they are left exactly as they stand). Texts as a hand or another tool may have written them.
const QByteArray Mappings =
    "<DefineRecJ1939>"
    "<row Num_Frame=\"0\" Mod_Index=\"10\" Byte_HiPart=\"1\" Byte_LoPart=\"2\"/>"
    "<row Num_Frame=\"1\" Mod_Index=\"20\" Byte_HiPart=\"0\" Byte_LoPart=\"1\"/>"
    "<row Num_Frame=\"0\" Mod_Index=\"0x0B\" Byte_HiPart=\"03\" Byte_LoPart=\"4\"/>"
    "<row Num_Frame=\"1\" Mod_Index=\"21\" Byte_HiPart=\"2\" Byte_LoPart=\"0\"/>"
    "<row Num_Frame=\"2\" Mod_Index=\"30\" Byte_HiPart=\"1\" Byte_LoPart=\"1\"/>"
    "<row Num_Frame=\"x\" Mod_Index=\"98\" Byte_HiPart=\"1\" Byte_LoPart=\"1\"/>"
    "<row Num_Frame=\"3\" Mod_Index=\"40\" Byte_HiPart=\"8\" Byte_LoPart=\"7\"/>"
    "<row Num_Frame=\"9\" Mod_Index=\"99\" Byte_HiPart=\"1\" Byte_LoPart=\"1\"/>"
    "</DefineRecJ1939><!--SW_VERSION = 1.102-->";

// The mapping file as "frame:register" pairs in file order.
QStringList Pairs(const QByteArray &map_file)
{
    QStringList pairs;
    const QRegularExpression row(QStringLiteral("Num_Frame=\"([^\"]*)\" Mod_Index=\"([^\"]*)\""));
    for (auto it = row.globalMatch(QString::fromUtf8(map_file)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        pairs.append(m.captured(1) + u':' + m.captured(2));
    }
    return pairs;
}

// Applies edits to the grid: "d2" deletes grid row 2, "i1" inserts an empty row at 1,
// "c3" clears row 3's Cob-ID, "n2=0xE" types a new frame into (empty) row 2, "e2=0x1B" edits
// row 2's Cob-ID in place.
void Apply(Frame_Grid &grid, const QString &edits)
{
    for (const QString &edit : edits.split(u' ', Qt::SkipEmptyParts)) {
        const QChar op = edit[0];
        const int row = edit.mid(1).section(u'=', 0, 0).toInt();
        const QString value = edit.section(u'=', 1);
        if (op == u'd') Delete_Row(grid, row);
        if (op == u'i') QVERIFY(Insert_Row(grid, row));
        if (op == u'c') grid[row - 1].CobID.clear();
        if (op == u'e') grid[row - 1].CobID = value;
        if (op == u'n') {
            QVERIFY(!Is_Entry(grid[row - 1]));
            grid[row - 1] = Frame_Row{value, "8", Frame_Type_11, "0", {}, {}, {}, "new"};
        }
    }
}

}  // namespace

class Tst_Frame_Renumbering : public QObject {
    Q_OBJECT
private slots:
    void init();
    void edits_data();
    void edits();
    void question_names_frames_and_registers();
    void failed_write_of_either_file_leaves_both_data();
    void failed_write_of_either_file_leaves_both();
    void unreadable_mapping_file_stops_a_save_that_moves_frames();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString frame_path_;
    QString map_path_;
};

void Tst_Frame_Renumbering::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    frame_path_ = dir_->filePath(QStringLiteral("CAN_Receive.xml"));
    map_path_ = dir_->filePath(QStringLiteral("Define_CAN_Receive.xml"));
    Write_All(frame_path_, Frames);
    Write_All(map_path_, Mappings);
}

void Tst_Frame_Renumbering::edits_data()
{
    QTest::addColumn<QString>("edits");
    QTest::addColumn<QString>("cob_ids");   // the saved frame list
    QTest::addColumn<QStringList>("pairs");  // the mapping file after the save
    QTest::addColumn<QStringList>("removed");  // "frame:registers" that go with deleted frames

    const QStringList untouched = Pairs(Mappings);
    QTest::newRow("nothing changed") << "" << "A B C D" << untouched << QStringList();
    QTest::newRow("Cob-ID edited in place keeps the frame's mappings")
        << "e2=0x1B" << "A 1B C D" << untouched << QStringList();
    QTest::newRow("frame appended") << "n5=0xE" << "A B C D E" << untouched << QStringList();
    QTest::newRow("empty row inserted and packed away") << "i2" << "A B C D" << untouched << QStringList();
    QTest::newRow("delete the first frame")
        << "d1" << "B C D"
        << QStringList{"0:20", "0:21", "1:30", "x:98", "2:40", "9:99"} << QStringList{"0:10,0x0B"};
    QTest::newRow("delete a middle frame")
        << "d2" << "A C D"
        << QStringList{"0:10", "0:0x0B", "1:30", "x:98", "2:40", "9:99"} << QStringList{"1:20,21"};
    QTest::newRow("delete the last frame")
        << "d4" << "A B C"
        << QStringList{"0:10", "1:20", "0:0x0B", "1:21", "2:30", "x:98", "9:99"} << QStringList{"3:40"};
    QTest::newRow("new frame inserted above the first")
        << "i1 n1=0xE" << "E A B C D"
        << QStringList{"1:10", "2:20", "1:0x0B", "2:21", "3:30", "x:98", "4:40", "9:99"} << QStringList();
    QTest::newRow("Cob-ID cleared: the row is packed away with its mappings")
        << "c3" << "A B D"
        << QStringList{"0:10", "1:20", "0:0x0B", "1:21", "x:98", "2:40", "9:99"} << QStringList{"2:30"};
    QTest::newRow("several at once")
        << "d1 i2 n2=0xE d4" << "B E C"
        << QStringList{"0:20", "0:21", "2:30", "x:98", "9:99"} << QStringList{"0:10,0x0B", "3:40"};
}

void Tst_Frame_Renumbering::edits()
{
    QFETCH(QString, edits);
    QFETCH(QString, cob_ids);
    QFETCH(QStringList, pairs);
    QFETCH(QStringList, removed);

    Frame_Grid grid = Read_Frame_Grid(frame_path_, Direction::Receive);
    Apply(grid, edits);
    const Frame_List_Save save = Plan_Frame_List_Save(grid, 4, map_path_);
    QStringList removed_seen;
    for (const auto &[frame, registers] : save.Removed)
        removed_seen.append(QString::number(frame) + u':' + registers.join(u','));
    QCOMPARE(removed_seen, removed);

    Commit_Frame_List_Save(save, Direction::Receive, frame_path_, map_path_);
    QStringList saved;
    for (const Frame_Row &row : Read_Frame_File(frame_path_, Direction::Receive)) saved.append(row.CobID.mid(2));
    QCOMPARE(saved.join(u' '), cob_ids);
    QCOMPARE(Pairs(Read_All(map_path_)), pairs);
    if (pairs == Pairs(Mappings)) {
        // Nothing moved: the mapping file is not even rewritten.
        QVERIFY(!save.Map_Bytes);
        QCOMPARE(Read_All(map_path_), Mappings);
    } else {
        // Only Num_Frame changes: every other text stays as it was written.
        if (pairs.join(u',').contains(QLatin1String("0x0B")))
            QVERIFY(Read_All(map_path_).contains("Mod_Index=\"0x0B\" Byte_HiPart=\"03\""));
    }
}

void Tst_Frame_Renumbering::question_names_frames_and_registers()
{
    Frame_Grid grid = Read_Frame_Grid(frame_path_, Direction::Receive);
    Apply(grid, QStringLiteral("d1 d1"));  // A and B
    const Frame_List_Save save = Plan_Frame_List_Save(grid, 4, map_path_);
    QCOMPARE(save.Removed_Count(), 4);
    Lang_Table texts;
    Load_Default_Language(texts);
    QCOMPARE(Removed_Mappings_Question(texts, Read_Frame_File(frame_path_, Direction::Receive), save),
             QStringLiteral("4 register mappings belong to frames that are no longer in the list and will be "
                            "deleted with them:\nFrame 0xA: registers 10, 0x0B\nFrame 0xB: registers 20, 21\n\n"
                            "Save the frame list and delete these mappings?"));
}

void Tst_Frame_Renumbering::failed_write_of_either_file_leaves_both_data()
{
    QTest::addColumn<bool>("frame_file_fails");
    QTest::newRow("frame list cannot be written") << true;
    QTest::newRow("mapping file cannot be written") << false;
}

void Tst_Frame_Renumbering::failed_write_of_either_file_leaves_both()
{
    QFETCH(bool, frame_file_fails);
    Frame_Grid grid = Read_Frame_Grid(frame_path_, Direction::Receive);
    Apply(grid, QStringLiteral("d2"));
    const Frame_List_Save save = Plan_Frame_List_Save(grid, 4, map_path_);
    QVERIFY(save.Map_Bytes);

    // A path below a plain file can be opened by nobody, root included.
    const QString blocker = dir_->filePath(QStringLiteral("blocker"));
    Write_All(blocker, "a file, not a folder");
    const QString frame_path = frame_file_fails ? blocker + QStringLiteral("/CAN_Receive.xml") : frame_path_;
    const QString map_path = frame_file_fails ? map_path_ : blocker + QStringLiteral("/Define_CAN_Receive.xml");
    QVERIFY_THROWS_EXCEPTION(Xml_Error, Commit_Frame_List_Save(save, Direction::Receive, frame_path, map_path));
    QCOMPARE(Read_All(frame_path_), Frames);
    QCOMPARE(Read_All(map_path_), Mappings);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden).size(), 3);  // no temporaries left
}

void Tst_Frame_Renumbering::unreadable_mapping_file_stops_a_save_that_moves_frames()
{
    Write_All(map_path_, "<DefineRecJ1939><row Num_Frame=\"0\"");
    Frame_Grid grid = Read_Frame_Grid(frame_path_, Direction::Receive);
    // Appending moves nothing, so the broken mapping file does not stand in the way ...
    Apply(grid, QStringLiteral("n5=0xE"));
    QVERIFY(!Plan_Frame_List_Save(grid, 4, map_path_).Map_Bytes);
    // ... but a deletion cannot be saved without renumbering it.
    Apply(grid, QStringLiteral("d1"));
    QVERIFY_THROWS_EXCEPTION(Xml_Error, Plan_Frame_List_Save(grid, 4, map_path_));
}

QTEST_GUILESS_MAIN(Tst_Frame_Renumbering)
#include "tst_core_frame_renumbering.moc"
