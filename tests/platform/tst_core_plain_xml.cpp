// The one-pass plain XML reader: what it takes as plain must be well-formed by a strict XML
// reader, and its rows must be exactly the rows and attribute values a document gives; what it
// does not take goes the full road and gives the document's errors.
#include "platform/Plain_Xml.h"
#include "platform/XmlDocument.h"

#include <QXmlStreamReader>
#include <QtTest>

class Tst_Plain_Xml : public QObject {
    Q_OBJECT
private slots:
    void plain_rows_read_as_the_document_data();
    void plain_rows_read_as_the_document();
    void changed_files_taken_as_plain_read_as_the_document();
};

namespace {

// Plain means well-formed to a strict reader; a document then reads it, and the plain rows are
// the document's rows with the same attribute values. Returns an empty text or what differs.
QString Differences(const QByteArray &bytes, const Plain_Xml::Rows &rows, const QList<QByteArray> &names)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) reader.readNext();
    if (reader.hasError()) return "strict reader: " + reader.errorString();
    std::optional<Xml_Document> doc;
    try {
        doc = Xml_Document::Parse(bytes, "plain.xml");
    } catch (const Xml_Error &e) {
        return "document: " + e.Text();
    }
    QList<Xml_Node> nodes;
    for (Xml_Node node = doc->Root().First_Child(); node; node = node.Next_Sibling()) nodes.append(node);
    bool other = false;
    for (const Xml_Node &node : nodes) other = other || !node.Is_Element();
    if (rows.Other_Children() != other) return QStringLiteral("other children: %1").arg(rows.Other_Children());
    if (other) return {};
    if (rows.Count() != nodes.size()) return QStringLiteral("%1 rows, the document %2").arg(rows.Count()).arg(nodes.size());
    for (int i = 0; i < rows.Count(); ++i) {
        uint32_t hint = 0;
        for (const QByteArray &name : names) {
            const std::optional<QByteArrayView> value = rows.Value(i, name, i % 2 ? &hint : nullptr);
            const std::optional<QByteArrayView> expected = nodes[i].Attribute_Utf8(name.constData());
            if (value.has_value() != expected.has_value() || (value && *value != *expected))
                return QStringLiteral("row %1, attribute %2").arg(i).arg(QString::fromLatin1(name));
        }
    }
    return {};
}

}  // namespace

void Tst_Plain_Xml::plain_rows_read_as_the_document_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("plain");

    const QByteArray row = "<row CobID=\"0x181\" Dimension=\"8\" Type=\"CAN 2.0A 11 bits\" Mnemonic=\"\"/>";
    QTest::newRow("as written") << "<ReceiveCAN>" + row + row + "</ReceiveCAN><!--SW_VERSION = 1.102-->" << true;
    QTest::newRow("empty root") << QByteArray("<ReceiveCAN/>") << true;
    QTest::newRow("declarations and blanks")
        << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- a -->\n<R>\r\n  " + row + "\n  <row a='1' />\n</R >\n\n"
        << true;
    QTest::newRow("end tags, quotes, blanks around =")
        << QByteArray("<R><row a = \"1\"\tb='x\"y'></row><row b=\"it's\"><inner c=\"1\">t</inner></row></R>") << true;
    // Values as a document gives them: references replaced, tab, line feed and carriage return
    // as spaces, CR LF as one space.
    QTest::newRow("references and blanks in values")
        << QByteArray("<R><row CobID=\"&#x20;12\" Type=\"a&amp;b&lt;&gt;&quot;&apos;\" T=\"\t1\r\n2\r3\n\"/></R>") << false;
    QTest::newRow("predefined references and blanks in values")
        << QByteArray("<R><row Type=\"a&amp;b&lt;&gt;&quot;&apos;\" T=\"\t1\r\n2\r3\n\" U=\" > \"/></R>") << true;
    QTest::newRow("text beside rows") << "<R>" + row + "x</R>" << true;
    QTest::newRow("comment beside rows") << "<R>" + row + "<!-- x --></R>" << true;
    QTest::newRow("characters outside ASCII") << QByteArray("<R><row Mnemonic=\"\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\"/></R>")
                                               << true;

    // Not plain: the full road decides (some of these are well-formed, some not).
    QTest::newRow("duplicate attribute") << QByteArray("<R><row a=\"1\" a=\"2\"/></R>") << false;
    QTest::newRow("attributes not apart") << QByteArray("<R><row a=\"1\"b=\"2\"/></R>") << false;
    QTest::newRow("< in a value") << QByteArray("<R><row a=\"<\"/></R>") << false;
    QTest::newRow("unknown reference") << QByteArray("<R><row a=\"&id;\"/></R>") << false;
    QTest::newRow("character reference") << QByteArray("<R><row a=\"&#49;\"/></R>") << false;
    QTest::newRow("second root") << QByteArray("<R/><R/>") << false;
    QTest::newRow("text after the root") << QByteArray("<R/>x") << false;
    QTest::newRow("text before the root") << QByteArray("x<R/>") << false;
    QTest::newRow("namespace prefix") << QByteArray("<R><x:row/></R>") << false;
    QTest::newRow("xmlns") << QByteArray("<R xmlns=\"u\"/>") << false;
    QTest::newRow("]]> in text") << QByteArray("<R>]]></R>") << false;
    QTest::newRow("-- in a comment") << QByteArray("<R><!-- a -- b --></R>") << false;
    QTest::newRow("comment ending in -") << QByteArray("<R/><!-- a --->") << false;
    QTest::newRow("CDATA") << QByteArray("<R><![CDATA[x]]></R>") << false;
    QTest::newRow("processing instruction") << QByteArray("<R><?pi x?></R>") << false;
    QTest::newRow("other declaration") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><R/>") << false;
    QTest::newRow("document type") << QByteArray("<!DOCTYPE R><R/>") << false;
    QTest::newRow("mismatched end tag") << QByteArray("<R><a></b></R>") << false;
    QTest::newRow("unclosed") << QByteArray("<R><row/>") << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("control character") << QByteArray("<R a=\"\x01\"/>") << false;
    QTest::newRow("invalid UTF-8") << QByteArray("<R a=\"\xC3\x28\"/>") << false;
    QTest::newRow("encoded surrogate") << QByteArray("<R a=\"\xED\xA0\x80\"/>") << false;
    QTest::newRow("noncharacter") << QByteArray("<R a=\"\xEF\xBF\xBE\"/>") << false;
    QTest::newRow("C1 control") << QByteArray("<R a=\"\xC2\x85\"/>") << false;
    QTest::newRow("truncated character") << QByteArray("<R a=\"\xE2\x82") << false;
}

void Tst_Plain_Xml::plain_rows_read_as_the_document()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, plain);
    Plain_Xml::Rows rows;
    QCOMPARE(Plain_Xml::Scan(bytes, &rows), plain);
    QCOMPARE(Plain_Xml::Scan(bytes), plain);
    if (!plain) return;
    QCOMPARE(Differences(bytes, rows, {"CobID", "Dimension", "Type", "Mnemonic", "T", "U", "a", "b", "c", "x"}), QString());

}

// Files changed at random places (seeded, so a failure repeats): whatever the scanner takes as
// plain must read as the document does.
void Tst_Plain_Xml::changed_files_taken_as_plain_read_as_the_document()
{
    const QByteArray base =
        "<?xml version=\"1.0\"?>\n<TransmitCAN>\n <row CobID=\"$18FF01\" Dimension=\"8\" Type=\"CAN 2.0B 29 bits\" "
        "DataChange=\"Y\" OnTimer=\"N\" SendTimer=\"500\" Mnemonic=\"a &amp; b\"/>\n <row CobID='0x181' "
        "Dimension=\"2\" Type=\"\" DataChange=\"N\" OnTimer=\"Y\" SendTimer=\"\t1\r\n\" Mnemonic=\"\xC3\xA9\"></row>"
        "\n</TransmitCAN><!--SW_VERSION = 1.102-->\n";
    const QList<QByteArray> pieces = {
        "<", ">", "/", "=", "\"", "'", "&", ";", "&amp;", "&lt;", "&#65;", "&x;", "]]>", "--", "<!--", "-->",
        "<!-- c -->", "<?pi?>", "<![CDATA[x]]>", "<row/>", "</row>", "<a:b/>", " xmlns=\"u\"", " CobID=\"1\"",
        " x=\"1\"", "\r\n", "\t", " ", "\x01", "\x7F", "\xC2\x85", "\xC3", "\xEF\xBB\xBF", "\xEF\xBF\xBE",
        "\xF0\x9F\x98\x80", "\xED\xA0\x80", "x", "1", "<!DOCTYPE r>", "<?xml version=\"1.0\"?>"};
    const QList<QByteArray> names = {"CobID", "Dimension", "Type", "DataChange", "OnTimer", "SendTimer", "Mnemonic", "x"};
    QRandomGenerator random(3310);
    Plain_Xml::Rows rows;
    int plain = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes = base;
        const int changes = 1 + int(random.bounded(3));
        for (int c = 0; c < changes; ++c) {
            const int at = int(random.bounded(int(bytes.size()) + 1));
            switch (random.bounded(3)) {
            case 0: bytes.insert(at, pieces[int(random.bounded(int(pieces.size())))]); break;
            case 1: bytes.remove(at, 1 + int(random.bounded(6))); break;
            default:
                if (at < bytes.size()) bytes[at] = char(random.bounded(256));
            }
        }
        if (!Plain_Xml::Scan(bytes, &rows)) continue;
        ++plain;
        QVERIFY2(Plain_Xml::Scan(bytes), bytes.constData());
        const QString differences = Differences(bytes, rows, names);
        QVERIFY2(differences.isEmpty(), qPrintable(differences + ": " + QString::fromLatin1(bytes.toPercentEncoding(" <>=\"'/!?"))));
    }
    // Enough of them stay plain for the comparison to mean something.
    QVERIFY2(plain > 400, qPrintable(QString::number(plain)));
}

QTEST_GUILESS_MAIN(Tst_Plain_Xml)
#include "tst_core_plain_xml.moc"
