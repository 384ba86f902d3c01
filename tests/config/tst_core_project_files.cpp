// The configuration files: exact bytes of what the program writes, and reading back.
#include "File_Bytes.h"
#include "config/Project_Files.h"

#include <QTemporaryDir>
#include <QtTest>

class Tst_Project_Files : public QObject {
    Q_OBJECT
private slots:
    void par_gen_bytes_and_round_trip();
    void frame_files_bytes_and_round_trip();
    void empty_lists_still_write_root_and_comment();
    void missing_attribute_names_file_row_and_attribute();
    void mapping_rows_outside_the_frame_list_are_dropped();
    void first_element_is_the_root();
};

static QString Write(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QLatin1String(name));
    Write_All(path, bytes);
    return path;
}

void Tst_Project_Files::par_gen_bytes_and_round_trip()
{
    Par_Gen_Texts t;
    t.CAN_BAUDRATE = "5";
    t.IP[0] = " 7"; t.IP[1] = "0x10"; t.IP[2] = "0"; t.IP[3] = "10";
    t.SM[0] = "255"; t.SM[1] = "255"; t.SM[2] = "255"; t.SM[3] = "0";
    t.EN_GAT = "0";
    t.GAT[0] = "192"; t.GAT[1] = "168"; t.GAT[2] = "0"; t.GAT[3] = "";
    t.Port = "502";
    QCOMPARE(Par_Gen_File_Bytes(t),
             QByteArray("<Par_Gen><CAN_BAUDRATE>5</CAN_BAUDRATE>"
                        "<MODBUS_TCP_SLAVE_IP1> 7</MODBUS_TCP_SLAVE_IP1><MODBUS_TCP_SLAVE_IP2>0x10</MODBUS_TCP_SLAVE_IP2>"
                        "<MODBUS_TCP_SLAVE_IP3>0</MODBUS_TCP_SLAVE_IP3><MODBUS_TCP_SLAVE_IP4>10</MODBUS_TCP_SLAVE_IP4>"
                        "<MODBUS_TCP_SLAVE_SM1>255</MODBUS_TCP_SLAVE_SM1><MODBUS_TCP_SLAVE_SM2>255</MODBUS_TCP_SLAVE_SM2>"
                        "<MODBUS_TCP_SLAVE_SM3>255</MODBUS_TCP_SLAVE_SM3><MODBUS_TCP_SLAVE_SM4>0</MODBUS_TCP_SLAVE_SM4>"
                        "<MODBUS_TCP_SLAVE_EN_GAT>0</MODBUS_TCP_SLAVE_EN_GAT>"
                        "<MODBUS_TCP_SLAVE_GAT1>192</MODBUS_TCP_SLAVE_GAT1><MODBUS_TCP_SLAVE_GAT2>168</MODBUS_TCP_SLAVE_GAT2>"
                        "<MODBUS_TCP_SLAVE_GAT3>0</MODBUS_TCP_SLAVE_GAT3><MODBUS_TCP_SLAVE_GAT4/>"
                        "<MODBUS_TCP_SLAVE_Port>502</MODBUS_TCP_SLAVE_Port></Par_Gen><!--SW_VERSION = 1.102-->"));

    QTemporaryDir dir;
    const QString path = dir.filePath("ParGen.xml");
    Write_Par_Gen_File(path, t);
    const auto read = Read_Par_Gen_File(path);
    QCOMPARE(read.IP[0], std::optional<QString>(" 7"));
    QCOMPARE(read.GAT[3], std::optional<QString>(""));
    QCOMPARE(read.Port, std::optional<QString>("502"));

    const auto missing = Read_Par_Gen_File(dir.filePath("none.xml"));
    QVERIFY(!missing.CAN_BAUDRATE && !missing.Port);
}

void Tst_Project_Files::frame_files_bytes_and_round_trip()
{
    Frame_Row rx{"0x181", "8", "CAN 2.0A 11 bits", "1000", "", "", "", ""};
    QCOMPARE(Frame_File_Bytes(Direction::Receive, {rx}),
             QByteArray("<ReceiveCAN><row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" "
                        "TimeOut=\"1000\" Mnemonic=\"\"/></ReceiveCAN><!--SW_VERSION = 1.102-->"));
    Frame_Row tx{"$18FF0001 ", "4", "CAN 2.0B 29 bits", "", "Y", "N", "", "Motor <&\"> ü"};
    QCOMPARE(Frame_File_Bytes(Direction::Transmit, {tx}),
             QByteArray("<TransmitCAN><row CobID=\"$18FF0001 \" Dimension=\"4\" Type=\"CAN 2.0B 29 bits\" "
                        "DataChange=\"Y\" OnTimer=\"N\" SendTimer=\"\" Mnemonic=\"Motor &lt;&amp;&quot;> \xC3\xBC\"/>"
                        "</TransmitCAN><!--SW_VERSION = 1.102-->"));

    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Transmit.xml");
    Write_Frame_File(path, Direction::Transmit, {tx, tx});
    QCOMPARE(Read_Frame_File(path, Direction::Transmit), (QList<Frame_Row>{tx, tx}));

    QList<Editor_Frame> frames(2);
    frames[0].Registers = {{"10", 1, 2, 1}, {"$B", 0, 0, 0}};
    frames[1].Registers = {{"20", 2, 1, 0}};
    QCOMPARE(Map_File_Bytes(Direction::Transmit, frames),
             QByteArray("<DefineTransJ1939>"
                        "<row Num_Frame=\"0\" Mod_Index=\"10\" Byte_HiPart=\"1\" Byte_LoPart=\"2\" Send_on_Write=\"1\"/>"
                        "<row Num_Frame=\"0\" Mod_Index=\"$B\" Byte_HiPart=\"0\" Byte_LoPart=\"0\" Send_on_Write=\"0\"/>"
                        "<row Num_Frame=\"1\" Mod_Index=\"20\" Byte_HiPart=\"2\" Byte_LoPart=\"1\" Send_on_Write=\"0\"/>"
                        "</DefineTransJ1939><!--SW_VERSION = 1.102-->"));
    QCOMPARE(Map_File_Bytes(Direction::Receive, {frames[1]}),
             QByteArray("<DefineRecJ1939><row Num_Frame=\"0\" Mod_Index=\"20\" Byte_HiPart=\"2\" Byte_LoPart=\"1\"/>"
                        "</DefineRecJ1939><!--SW_VERSION = 1.102-->"));
}

void Tst_Project_Files::empty_lists_still_write_root_and_comment()
{
    QCOMPARE(Frame_File_Bytes(Direction::Receive, {}), QByteArray("<ReceiveCAN/><!--SW_VERSION = 1.102-->"));
    QCOMPARE(Map_File_Bytes(Direction::Receive, {}), QByteArray("<DefineRecJ1939/><!--SW_VERSION = 1.102-->"));
    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Receive.xml");
    Write_Frame_File(path, Direction::Receive, {});
    QVERIFY(Read_Frame_File(path, Direction::Receive).isEmpty());
}

void Tst_Project_Files::missing_attribute_names_file_row_and_attribute()
{
    QTemporaryDir dir;
    const QString path = Write(dir, "CAN_Receive.xml",
                               "<ReceiveCAN><row CobID=\"1\" Dimension=\"8\" Type=\"x\" TimeOut=\"0\" Mnemonic=\"\"/>"
                               "<row CobID=\"2\" Dimension=\"8\" Type=\"x\" Mnemonic=\"\"/></ReceiveCAN>");
    try {
        Read_Frame_File(path, Direction::Receive);
        QFAIL("no error");
    } catch (const Xml_Error &e) {
        QVERIFY2(e.Text().contains(path) && e.Text().contains("row 2") && e.Text().contains("TimeOut"),
                 qPrintable(e.Text()));
    }
}

void Tst_Project_Files::mapping_rows_outside_the_frame_list_are_dropped()
{
    QTemporaryDir dir;
    const QString frames = Write(dir, "CAN_Receive.xml",
                                 "<ReceiveCAN><row CobID=\"0x181\" Dimension=\"4\"/><row CobID=\"2\" Dimension=\"x\"/></ReceiveCAN>");
    const QString maps = Write(dir, "Define_CAN_Receive.xml",
                               "<DefineRecJ1939>\n  <row Num_Frame=\"1\" Mod_Index=\"7\" Byte_HiPart=\"1\" Byte_LoPart=\"\"/>\n"
                               "  <row Num_Frame=\"2\" Mod_Index=\"8\" Byte_HiPart=\"1\" Byte_LoPart=\"1\"/>\n"
                               "  <row Num_Frame=\"-1\" Mod_Index=\"9\" Byte_HiPart=\"1\" Byte_LoPart=\"1\"/>\n"
                               "  <row Num_Frame=\"$0\" Mod_Index=\"$7\" Byte_HiPart=\"2\" Byte_LoPart=\"1\"/>\n"
                               "</DefineRecJ1939>");
    const QList<Editor_Frame> read = Read_Mapping_Files(frames, maps, Direction::Receive);
    QCOMPARE(read.size(), 2);
    QCOMPARE(read[0].Num_Byte, 4);
    QCOMPARE(read[1].Num_Byte, 8);
    QCOMPARE(read[0].Registers, (QList<Editor_Register>{{"$7", 2, 1, 0}}));
    QCOMPARE(read[1].Registers, (QList<Editor_Register>{{"7", 1, 0, 0}}));
    // With no frames the mapping file is not read at all (a broken one included).
    const QString broken = Write(dir, "broken.xml", "<DefineRecJ1939><row");
    QVERIFY(Read_Mapping_Files(dir.filePath("none.xml"), broken, Direction::Receive).isEmpty());
}

void Tst_Project_Files::first_element_is_the_root()
{
    // Files written by hand or by another tool may begin with a declaration, a comment or a
    // processing instruction; every reader takes the first element as the root.
    QTemporaryDir dir;
    const QString path = Write(dir, "ParGen.xml",
                               "<?xml version=\"1.0\"?><Par_Gen><MODBUS_TCP_SLAVE_Port>9</MODBUS_TCP_SLAVE_Port></Par_Gen>");
    QCOMPARE(Read_Par_Gen_File(path).Port, std::optional<QString>("9"));
    const QString bom = Write(dir, "ParGen2.xml",
                              "\xEF\xBB\xBF<Par_Gen><MODBUS_TCP_SLAVE_Port>9</MODBUS_TCP_SLAVE_Port></Par_Gen>\r\n<!--c-->");
    QCOMPARE(Read_Par_Gen_File(bom).Port, std::optional<QString>("9"));

    const QString frames = Write(dir, "CAN_Receive.xml",
                                 "<!-- frames -->\n<ReceiveCAN><row CobID=\"5\" Dimension=\"4\" Type=\"t\" TimeOut=\"0\" "
                                 "Mnemonic=\"m\"/></ReceiveCAN>");
    QCOMPARE(Read_Frame_File(frames, Direction::Receive), (QList<Frame_Row>{{"5", "4", "t", "0", "", "", "", "m"}}));
    const QString maps = Write(dir, "Define_CAN_Receive.xml",
                               "<?xml version=\"1.0\"?><?pi x?><DefineRecJ1939><row Num_Frame=\"0\" Mod_Index=\"3\" "
                               "Byte_HiPart=\"1\" Byte_LoPart=\"2\"/></DefineRecJ1939>");
    const QList<Editor_Frame> read = Read_Mapping_Files(frames, maps, Direction::Receive);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read[0].Registers, (QList<Editor_Register>{{"3", 1, 2, 0}}));
}

QTEST_APPLESS_MAIN(Tst_Project_Files)
#include "tst_core_project_files.moc"
