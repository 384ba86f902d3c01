// The XML layer: exact output, error positions, and the reading rules every file relies on.
#include "File_Bytes.h"
#include "platform/Xml_Document.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Xml_Document : public QObject {
    Q_OBJECT
private slots:
    void written_bytes_are_exact();
    void malformed_input_names_file_line_and_column();
    void not_well_formed_input_is_refused_data();
    void not_well_formed_input_is_refused();
    void text_is_all_of_the_text();
    void unstorable_characters_data();
    void unstorable_characters();
    void writer_refuses_unstorable_text();
    void root_is_the_first_element_data();
    void root_is_the_first_element();
    void whitespace_between_elements_is_dropped();
    void missing_attribute_differs_from_empty();
    void save_replaces_the_file_and_reports_failure();
};

void Tst_Xml_Document::written_bytes_are_exact()
{
    Xml_Document doc;
    Xml_Node root = doc.Append_Root("Root");
    doc.Append_Comment("SW_VERSION = 1.102");
    Xml_Node row = root.Append_Child("row");
    row.Set_Attribute("B", "2");
    row.Set_Attribute("A", "");
    row.Set_Attribute("B", "x y");  // setting again keeps the attribute's place
    root.Append_Text_Child("text", QString::fromUtf8("\xC3\xA8 <&>"));
    root.Append_Text_Child("empty", "");
    QCOMPARE(doc.To_Bytes(), QByteArray("<Root><row B=\"x y\" A=\"\"/><text>\xC3\xA8 &lt;&amp;&gt;</text>"
                                        "<empty/></Root><!--SW_VERSION = 1.102-->"));
}

void Tst_Xml_Document::malformed_input_names_file_line_and_column()
{
    try {
        Xml_Document::Parse("<a>\n  <b></c>\n</a>", "/x/ParGen.xml");
        QFAIL("no error");
    } catch (const Xml_Error &e) {
        QCOMPARE(e.File, QString("/x/ParGen.xml"));
        QCOMPARE(e.Line, 2);
        QVERIFY2(e.Column > 1, qPrintable(e.Text()));
        QVERIFY2(e.Text().startsWith("/x/ParGen.xml: line 2, column "), qPrintable(e.Text()));
    }
    QVERIFY_THROWS_EXCEPTION(Xml_Error, Xml_Document::Parse("", "empty.xml"));
    QVERIFY_THROWS_EXCEPTION(Xml_Error, Xml_Document::Load("/nonexistent/dir/file.xml"));
}

void Tst_Xml_Document::not_well_formed_input_is_refused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("reason");

    QTest::newRow("attribute twice") << QByteArray("<R>\n<row CobID=\"1\" CobID=\"2\"/></R>") << 2 << 26
                                     << "Attribute 'CobID' redefined.";
    QTest::newRow("undeclared entity in attribute")
        << QByteArray("<R>\n<row CobID=\"&id;\"/></R>") << 2 << 16 << "Entity 'id' not declared.";
    QTest::newRow("undeclared entity in text") << QByteArray("<R><a>&nbsp;</a></R>") << 1 << 12
                                               << "Entity 'nbsp' not declared.";
    QTest::newRow("reference to a control character")
        << QByteArray("<R><a>&#1;</a></R>") << 1 << 10 << "Invalid character reference.";
    QTest::newRow("second root") << QByteArray("<R/>\n<S/>") << 2 << 4 << "Extra content at end of document.";
    QTest::newRow("text after the root") << QByteArray("<R/>junk") << 1 << 5 << "Extra content at end of document.";
    QTest::newRow("document type declaration")
        << QByteArray("<?xml version=\"1.0\"?>\n<!--c-->\n<!DOCTYPE R [<!ENTITY id \"5\">]>\n<R a=\"&id;\"/>") << 3 << 1
        << "a document type declaration is not allowed";
    QTest::newRow("control character") << QByteArray("<R>\n<a>x\x01y</a></R>") << 2 << 5
                                       << "character U+0001 is not allowed in XML";
    QTest::newRow("control character in attribute")
        << QByteArray("<R><row Mnemonic=\"\xC3\xA8\x1B\"/></R>") << 1 << 20 << "character U+001B is not allowed in XML";
    QTest::newRow("nul byte") << QByteArray("<R/>\0", 5) << 1 << 5
                              << "character U+0000 is not allowed in XML";
    QTest::newRow("U+FFFF") << QByteArray("<R>\xEF\xBF\xBF</R>") << 1 << 4 << "character U+FFFF is not allowed in XML";
    QTest::newRow("not UTF-8") << QByteArray("<R>\n<a>x\xC3(y</a></R>") << 2 << 5 << "invalid UTF-8 sequence";
    QTest::newRow("Latin-1 byte") << QByteArray("<R>caf\xE9</R>") << 1 << 7 << "invalid UTF-8 sequence";
    QTest::newRow("stray continuation byte") << QByteArray("<R>\x80</R>") << 1 << 4 << "invalid UTF-8 byte 0x80";
    QTest::newRow("overlong form") << QByteArray("<R>\xC0\xBC</R>") << 1 << 4 << "invalid UTF-8 byte 0xC0";
    QTest::newRow("encoded surrogate") << QByteArray("<R>\xED\xA0\x80</R>") << 1 << 4 << "invalid UTF-8 sequence";
    // The reader's own reason: an XML 1.1 file is refused as such, and a processing instruction
    // named like the declaration as what it is.
    QTest::newRow("XML 1.1") << QByteArray("<?xml version=\"1.1\"?><R/>") << 1 << 21 << "Unsupported XML version.";
    QTest::newRow("processing instruction named xml")
        << QByteArray("<R/><?XmL a?>") << 1 << 13 << "XML declaration not at start of document.";
    // Well-formed is exactly well-formed: names only of name characters, and only encodings that
    // are read as their writer meant; the others are refused with the reason and the remedy.
    QTest::newRow("multiplication sign in a name") << QByteArray("<R a\xC3\x97" "b=\"1\"/>") << 1 << 12 << QString::fromUtf8("the name \"a\u00D7b\" holds the character U+00D7, which no XML name may hold");
    QTest::newRow("middle dot first in a name") << QByteArray("<R \xC2\xB7" "a=\"1\"/>") << 1 << 11 << QString::fromUtf8("the name \"\u00B7a\" holds the character U+00B7, which no XML name may hold");
    QTest::newRow("no-break space in a name") << QByteArray("<R a\xC2\xA0" "b=\"1\"/>") << 1 << 12 << QString::fromUtf8("the name \"a\u00A0b\" holds the character U+00A0, which no XML name may hold");
    QTest::newRow("UTF-16, lone surrogate") << QByteArray("\xFF\xFE\x3C\x00\x52\x00\x3E\x00\x00\xD8\x3C\x00\x2F\x00\x52\x00\x3E\x00", 18) << 1 << 4 << "invalid UTF-16: a lone surrogate";
    QTest::newRow("UTF-16 without byte-order mark") << QByteArray("\x3C\x00\x52\x00\x2F\x00\x3E\x00", 8) << 0 << 0 << "the file is in UTF-16 without a byte-order mark, which is not read; save it as UTF-8";
    QTest::newRow("UTF-32") << QByteArray("\xFF\xFE\x00\x00<\x00\x00\x00", 8) << 0 << 0 << "the file is in UTF-32, which is not read; save it as UTF-8";
    QTest::newRow("US-ASCII holding UTF-8") << QByteArray("<?xml version=\"1.0\" encoding=\"US-ASCII\"?><R>\xC3\xA8</R>") << 0 << 0 << "the file declares the encoding US-ASCII but holds the byte 0xC3, which is not read; save it as UTF-8";
    QTest::newRow("windows-1252 with a byte beyond ASCII") << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?><R>\x80</R>") << 0 << 0 << "the file declares the encoding windows-1252 but holds the byte 0x80, which is not read; save it as UTF-8";
    QTest::newRow("cut sequence at the end") << QByteArray("<R/>\n\xE2\x82") << 2 << 1 << "incomplete UTF-8 sequence";
}

void Tst_Xml_Document::not_well_formed_input_is_refused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, reason);
    // Load and Parse take the same road; Load is what every reader of a file calls.
    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Receive.xml");
    Write_All(path, bytes);
    try {
        Xml_Document::Load(path);
        QFAIL("no error");
    } catch (const Xml_Error &e) {
        QCOMPARE(e.File, path);
        QCOMPARE(e.Reason, reason);
        QCOMPARE(e.Line, line);
        QCOMPARE(e.Column, column);
        if (line > 0)
            QCOMPARE(e.Text(), QString("%1: line %2, column %3: %4").arg(path).arg(line).arg(column).arg(reason));
        else  // a fault of the whole file
            QCOMPARE(e.Text(), QString("%1: %2").arg(path, reason));
    }
}

void Tst_Xml_Document::text_is_all_of_the_text()
{
    const Xml_Document doc = Xml_Document::Parse(
        "<!--before--><R><b>1<!--x-->9</b><c><![CDATA[a<]]>b<?p x?>&amp;c</c><d>&#x10000;</d></R><!--after-->",
        "f.xml");
    QCOMPARE(doc.Root().Child("b").Text(), QString("19"));
    QCOMPARE(doc.Root().Child("c").Text(), QString("a<b&c"));
    QCOMPARE(doc.Root().Child("d").Text(), QString::fromUcs4(U"\U00010000"));

    // A value is the element's own character data, nothing dropped but comments and processing
    // instructions: blanks beside a comment stay, a U+FEFF at its start stays, and a processing
    // instruction named like a setting is never taken for it.
    const Xml_Document values = Xml_Document::Parse(
        "<Par_Gen><?MODBUS_TCP_SLAVE_Port 7?><MODBUS_TCP_SLAVE_Port>6<!--a--> <!--b-->00</MODBUS_TCP_SLAVE_Port>"
        "<CAN_BAUDRATE>\xEF\xBB\xBF" "5</CAN_BAUDRATE></Par_Gen>",
        "ParGen.xml");
    QCOMPARE(values.Root().Child("MODBUS_TCP_SLAVE_Port").Text(), QString("6 00"));
    QCOMPARE(values.Root().Child("CAN_BAUDRATE").Text(), QString(QChar(0xFEFF)) + "5");
    // An empty CDATA section between rows is no row.
    const Xml_Document rows = Xml_Document::Parse("<R><row a=\"1\"/><![CDATA[]]><row a=\"2\"/></R>", "f.xml");
    QCOMPARE(rows.Root().Children().size(), 2);
}

void Tst_Xml_Document::unstorable_characters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("first");  // -1: the text can be stored

    QTest::newRow("plain") << QString("Motor 1 <&>") << -1;
    QTest::newRow("tab, line feed, carriage return") << QString("a\tb\nc\rd") << -1;
    QTest::newRow("beyond the first plane") << QString::fromUcs4(U"x\U0001F600") << -1;
    QTest::newRow("accents") << QString::fromUtf8("\xC3\xA8\xE2\x82\xAC") << -1;
    QTest::newRow("start of heading") << QString("ab\x01") << 0x01;
    QTest::newRow("nul") << QString(QChar(0)) << 0x00;
    QTest::newRow("escape") << QString("\x1B[0m") << 0x1B;
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + "x" << 0xD83D;
    QTest::newRow("lone low surrogate") << "x" + QString(QChar(0xDE00)) << 0xDE00;
    QTest::newRow("U+FFFE") << QString(QChar(0xFFFE)) << 0xFFFE;
    QTest::newRow("U+FFFF") << QString(QChar(0xFFFF)) << 0xFFFF;
}

void Tst_Xml_Document::unstorable_characters()
{
    QFETCH(QString, text);
    QFETCH(int, first);
    const std::optional<char32_t> c = First_Unstorable_Char(text);
    QCOMPARE(c ? int(*c) : -1, first);
    QCOMPARE(Xml_Storable(text), first < 0);
}

void Tst_Xml_Document::writer_refuses_unstorable_text()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("CAN_Receive.xml");
    Write_All(path, "old");
    for (int where = 0; where < 2; ++where) {
        Xml_Document doc;
        Xml_Node row = doc.Append_Root("ReceiveCAN").Append_Child("row");
        if (where == 0)
            row.Set_Attribute("Mnemonic", "a\x01" "b");
        else
            row.Append_Text_Child("t", "\x1F");
        try {
            doc.Save(path);
            QFAIL("written");
        } catch (const Xml_Error &e) {
            QCOMPARE(e.File, path);
            QVERIFY2(e.Reason.contains(where == 0 ? "U+0001" : "U+001F"), qPrintable(e.Text()));
        }
        QVERIFY_THROWS_EXCEPTION(Xml_Error, doc.To_Bytes());
    }
    QCOMPARE(Read_All(path), QByteArray("old"));
    // What the writer does write, the reader reads back.
    Xml_Document doc;
    doc.Append_Root("R").Set_Attribute("a", "\t\n\r<\"&");
    QCOMPARE(Xml_Document::Parse(doc.To_Bytes(), "f.xml").Root().Attribute("a"), std::optional<QString>("\t\n\r<\"&"));
}

void Tst_Xml_Document::root_is_the_first_element_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("root_comes_first");  // nothing but the root at the top before it
    QTest::newRow("plain") << QByteArray("<R><a>1</a></R><!--c-->") << true;
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF<R><a>1</a></R>") << true;
    QTest::newRow("line break after root") << QByteArray("<R><a>1</a></R>\r\n<!--c-->\r\n") << true;
    QTest::newRow("whitespace first") << QByteArray(" \r\n\t<R><a>1</a></R>") << true;
    QTest::newRow("declaration first") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><R><a>1</a></R>") << false;
    QTest::newRow("declaration and line break")
        << QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<R><a>1</a></R>") << false;
    QTest::newRow("comment first") << QByteArray("<!--x--><R><a>1</a></R>") << false;
    QTest::newRow("processing instruction first")
        << QByteArray("<?xml-stylesheet href=\"s.xsl\"?><R><a>1</a></R>") << false;
    QTest::newRow("all of them") << QByteArray("<?xml version=\"1.0\"?>\n<!--x-->\n<?pi data?>\n<R><a>1</a></R>")
                                 << false;
}

void Tst_Xml_Document::root_is_the_first_element()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, root_comes_first);
    const Xml_Document doc = Xml_Document::Parse(bytes, "f.xml");
    const Xml_Node root = doc.Root();
    QVERIFY(root.Is_Element());
    QCOMPARE(root.Name(), QString("R"));
    QCOMPARE(root.Child("a").Text(), QString("1"));
    QCOMPARE(root.Children().size(), 1);
    // A reader that takes nothing in front of its root can still tell.
    const Xml_Node first = doc.First_Top_Level_Node();
    QCOMPARE(first.Is_Element() && first.Name() == "R", root_comes_first);
}

void Tst_Xml_Document::whitespace_between_elements_is_dropped()
{
    const Xml_Document doc = Xml_Document::Parse("<R>\n  <row/>\n\t<row/>\n</R>", "f.xml");
    QCOMPARE(doc.Root().Children().size(), 2);
    QVERIFY(!doc.Root().First_Child().Next_Sibling().Next_Sibling());
    const Xml_Document empty = Xml_Document::Parse("<R>\n  \n</R>", "f.xml");
    QVERIFY(empty.Root().Children().isEmpty());
    QVERIFY(!empty.Root().First_Child());
    // A value typed as blanks is a value, not formatting.
    const Xml_Document blank = Xml_Document::Parse("<R><a> </a><b>\t</b><c/></R>", "f.xml");
    QCOMPARE(blank.Root().Child("a").Text(), QString(" "));
    QCOMPARE(blank.Root().Child("b").Text(), QString("\t"));
    QCOMPARE(blank.Root().Child("c").Text(), QString());
}

void Tst_Xml_Document::missing_attribute_differs_from_empty()
{
    const Xml_Document doc = Xml_Document::Parse("<R a=\"\" b=\" 1 \"/>", "f.xml");
    const Xml_Node r = doc.Root();
    QCOMPARE(r.Attribute("a"), std::optional<QString>(""));
    QCOMPARE(r.Attribute("b"), std::optional<QString>(" 1 "));
    QVERIFY(!r.Attribute("c"));
    QVERIFY(!r.Child("none").Attribute("a"));  // a null node answers safely
}

void Tst_Xml_Document::save_replaces_the_file_and_reports_failure()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.xml");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old content that is longer than the new one");
    old.close();

    Xml_Document doc;
    doc.Append_Root("R");
    doc.Save(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("<R/>"));

    try {
        doc.Save(dir.filePath("missing/f.xml"));
        QFAIL("no error");
    } catch (const Xml_Error &e) {
        QVERIFY(e.Text().contains("missing/f.xml"));
        QVERIFY(!e.Reason.isEmpty());
    }
}

QTEST_APPLESS_MAIN(Tst_Xml_Document)
#include "tst_core_xml_document.moc"
