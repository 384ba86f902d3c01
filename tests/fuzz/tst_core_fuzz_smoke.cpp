// A short fuzz run over the two parsers that take bytes from strangers: the XML layer (every
// configuration, settings and job file) and the image decoder (`inspect`, the stand-in
// updater). Seeds are the fixtures; each round mutates one (bit flips, byte changes, cuts,
// repeats, splices of XML fragments) with a fixed seed, so a failure is found again on the next
// run. The parsers must answer every input with a result or their own error: no other
// exception, no crash (run it under -fsanitize=address,undefined to see memory faults).
// QCX_FUZZ_ROUNDS sets the number of rounds (20,000 by default, under a second here).
#include "Byte_Mutator.h"
#include "config/Image_Builder.h"
#include "config/Image_Decoder.h"
#include "config/Project_Paths.h"
#include "platform/Xml_Document.h"
#include "test_config.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QList<QByteArray> Xml_Seeds()
{
    QList<QByteArray> seeds;
    QDirIterator it(QStringLiteral(QCX_TEST_DATA_DIR), {QStringLiteral("*.xml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.size() < 64 * 1024) seeds.append(file.readAll());
    }
    return seeds;
}

const char *const Fragments[] = {"<", ">", "/>", "</row>", "<row ", "=\"", "\"", "&", "&amp;", "&#1;",
                                 "&#x1F;", "<!--", "-->", "<?x ?>", "<![CDATA[", "]]>", "<!DOCTYPE a [",
                                 "\xC3", "\xFF\xFE", "\xEF\xBB\xBF", "\x01", "\0", "Num_Frame=\"-1\"",
                                 "CobID=\"0x80000000\"", "Dimension=\"99999\""};

// Walks the whole document as every reader does, so lazy parts of it are touched too.
int Walk(const Xml_Node &node)
{
    int count = 1;
    for (Xml_Node child = node.First_Child(); child; child = child.Next_Sibling()) {
        count += Walk(child);
        (void)child.Text();
        (void)child.Attribute(QStringLiteral("CobID"));
    }
    return count;
}

int Rounds()
{
    bool ok = false;
    const int rounds = qEnvironmentVariableIntValue("QCX_FUZZ_ROUNDS", &ok);
    return ok && rounds > 0 ? rounds : 20000;
}

}  // namespace

class Tst_Fuzz_Smoke : public QObject {
    Q_OBJECT
private slots:
    void xml_layer();
    void image_decoder();
};

void Tst_Fuzz_Smoke::xml_layer()
{
    const QList<QByteArray> seeds = Xml_Seeds();
    QVERIFY(seeds.size() > 10);
    QRandomGenerator random(20261210);
    int parsed = 0, refused = 0;
    for (int round = 0; round < Rounds(); ++round) {
        const QByteArray input = Mutate(seeds[int(random.bounded(quint32(seeds.size())))], random, Fragments);
        try {
            const Xml_Document doc = Xml_Document::Parse(input, QStringLiteral("fuzz.xml"));
            Walk(doc.Root());
            ++parsed;
        } catch (const Xml_Error &) {
            ++refused;
        } catch (const std::exception &e) {
            QFAIL(qPrintable(QStringLiteral("round %1: %2 for %3").arg(round).arg(e.what(), QString::fromLatin1(input.toBase64()))));
        }
    }
    // Both kinds of answer were seen, so the mutations reach past the first check.
    QVERIFY(parsed > 0);
    QVERIFY(refused > 0);
}

void Tst_Fuzz_Smoke::image_decoder()
{
    QTemporaryDir dir;
    const QString example = QStringLiteral(QCX_TEST_DATA_DIR "/images/example");
    const Configuration_Image image = [&] {
        Configuration_Image built;
        built.Compile_Bin(Project_Paths_In(example));
        return built;
    }();
    const QByteArray seeds[2] = {image.Bank1_Image(), image.Bank2_Image()};
    QRandomGenerator random(20261211);
    int decoded = 0;
    for (int round = 0; round < Rounds(); ++round) {
        QByteArray bank1 = seeds[0], bank2 = seeds[1];
        if (random.bounded(2)) bank1 = Mutate(bank1, random, Fragments);
        if (random.bounded(2)) bank2 = Mutate(bank2, random, Fragments);
        QString error;
        const std::optional<Decoded_Images> decoded_pair = Decode_Images(bank1, bank2, &error);
        if (decoded_pair) {
            ++decoded;
            for (const Frame_Entry &f : decoded_pair->Frames) (void)f.Ident;
        } else {
            QVERIFY(!error.isEmpty());
        }
    }
    QVERIFY(decoded > 0);
}

QTEST_GUILESS_MAIN(Tst_Fuzz_Smoke)
#include "tst_core_fuzz_smoke.moc"
