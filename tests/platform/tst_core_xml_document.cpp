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
