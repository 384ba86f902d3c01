// The XML layer: exact output, error positions, and the reading rules every file relies on.
#include "platform/XmlDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Xml_Document : public QObject {
    Q_OBJECT
private slots:
    void written_bytes_are_exact();
    void malformed_input_names_file_line_and_column();
    void first_top_level_node_is_the_root_data();
    void first_top_level_node_is_the_root();
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

void Tst_Xml_Document::first_top_level_node_is_the_root_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("root_is_element");
    QTest::newRow("plain") << QByteArray("<R><a>1</a></R><!--c-->") << true;
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF<R><a>1</a></R>") << true;
    QTest::newRow("line break after root") << QByteArray("<R><a>1</a></R>\r\n<!--c-->\r\n") << true;
    QTest::newRow("declaration first") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><R><a>1</a></R>") << false;
    QTest::newRow("comment first") << QByteArray("<!--x--><R><a>1</a></R>") << false;
}

void Tst_Xml_Document::first_top_level_node_is_the_root()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, root_is_element);
    const Xml_Document doc = Xml_Document::Parse(bytes, "f.xml");
    const Xml_Node root = doc.First_Node();
    QCOMPARE(root.Is_Element(), root_is_element);
    QCOMPARE(root.Child("a").Text(), root_is_element ? QString("1") : QString());
}

void Tst_Xml_Document::whitespace_between_elements_is_dropped()
{
    const Xml_Document doc = Xml_Document::Parse("<R>\n  <row/>\n\t<row/>\n</R>", "f.xml");
    QCOMPARE(doc.First_Node().Children().size(), 2);
    QVERIFY(!doc.First_Node().First_Child().Next_Sibling().Next_Sibling());
    const Xml_Document empty = Xml_Document::Parse("<R>\n  \n</R>", "f.xml");
    QVERIFY(empty.First_Node().Children().isEmpty());
    QVERIFY(!empty.First_Node().First_Child());
    // A value typed as blanks is a value, not formatting.
    const Xml_Document blank = Xml_Document::Parse("<R><a> </a><b>\t</b><c/></R>", "f.xml");
    QCOMPARE(blank.First_Node().Child("a").Text(), QString(" "));
    QCOMPARE(blank.First_Node().Child("b").Text(), QString("\t"));
    QCOMPARE(blank.First_Node().Child("c").Text(), QString());
}

void Tst_Xml_Document::missing_attribute_differs_from_empty()
{
    const Xml_Document doc = Xml_Document::Parse("<R a=\"\" b=\" 1 \"/>", "f.xml");
    const Xml_Node r = doc.First_Node();
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
