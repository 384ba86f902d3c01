// The table of interface texts and the language files that translate it.
#include "File_Bytes.h"
#include "lang/Lang_Table.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

class Tst_Lang_Table : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void language_lines_data();
    void language_lines();
    void three_encodings_give_one_table();
    void load_language_falls_back_to_english();
};

void Tst_Lang_Table::defaults()
{
    Lang_Table t;
    Load_Default_Language(t);
    QCOMPARE(t.size(), Lang_Default_Count);
    QCOMPARE(t.Lang_Count, Lang_Default_Count);
    QCOMPARE(t[0], QString("Begin"));
    QCOMPARE(t[9], QString("None Configuration Opened "));
    QCOMPARE(t[11], QString("Opened Configuration of the Converter : "));
    QCOMPARE(t[44], QString(" / "));
    QCOMPARE(t[104], QString::fromUtf8("N\xC2\xB0"));
    QCOMPARE(t[141], QString("Cob-ID                  Dimension"));
    QCOMPARE(t[186], QString("Byte "));
    QCOMPARE(t[187], QString("The settings could not be saved."));
}

void Tst_Lang_Table::language_lines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");  // "<default>" for the English default

    QTest::newRow("plain") << "STR17 = Aggiorna" << 17 << "Aggiorna";
    QTest::newRow("last original key") << "STR186 = Ultimo" << 186 << "Ultimo";
    QTest::newRow("later key") << "STR196 = Riga" << 196 << "Riga";
    QTest::newRow("file without the later keys keeps English") << "STR186 = y" << 187 << "<default>";
    QTest::newRow("key past the table ignored") << "STR197 = x\nSTR196 = y" << 196 << "y";
    QTest::newRow("negative ignored") << "STR-1 = x" << 0 << "<default>";
    QTest::newRow("blanks before STR") << "   \tSTR0 = Inizio" << 0 << "Inizio";
    QTest::newRow("lower case str ignored") << "str0 = Inizio" << 0 << "<default>";
    QTest::newRow("text keeps later =") << "STR0 = a = b" << 0 << "a = b";
    QTest::newRow("= after two digits sets first digit") << "STR12=Info" << 1 << "Info";
    QTest::newRow("= after two digits leaves 12") << "STR12=Info" << 12 << "<default>";
    QTest::newRow("= after one digit ignored") << "STR5=x" << 5 << "<default>";
    QTest::newRow("blank before =") << "STR12 =Info" << 12 << "Info";
    QTest::newRow("blanks around digits") << "STR 12 = Info" << 12 << "Info";
    QTest::newRow("nothing after =") << "STR0 =" << 0 << "<default>";
    QTest::newRow("blanks after =") << "STR0 =    " << 0 << "<default>";
    QTest::newRow("no =") << "STR0 Inizio" << 0 << "<default>";
    QTest::newRow("index not a number") << "STRab = x" << 0 << "<default>";
    QTest::newRow("comment cut") << "STR0 = Inizio   /#/ the first label" << 0 << "Inizio";
    QTest::newRow("comment right after =") << "STR0 = /#/ note" << 0 << "";
    QTest::newRow("pilcrows keep blanks") << QString::fromUtf8("STR44 = \xC2\xB6 / \xC2\xB6") << 44 << " / ";
    QTest::newRow("two pilcrows give empty") << QString::fromUtf8("STR44 = \xC2\xB6\xC2\xB6") << 44 << "";
    QTest::newRow("pilcrow in the middle cuts") << QString::fromUtf8("STR0 = ab\xC2\xB6 cd") << 0 << "ab";
    QTest::newRow("pilcrow then comment") << QString::fromUtf8("STR9 = \xC2\xB6Nessuna \xC2\xB6 /#/ x") << 9 << "Nessuna ";
    QTest::newRow("later line wins") << "STR0 = a\r\nSTR0 = b" << 0 << "b";
    QTest::newRow("CR line ends") << "STR0 = a\rSTR1 = b\r" << 1 << "b";
    QTest::newRow("heading and notes ignored") << "[Italiano]\n; note\n\nSTR1 = Passo 1" << 1 << "Passo 1";
}

void Tst_Lang_Table::language_lines()
{
    QFETCH(QString, file);
    QFETCH(int, index);
    QFETCH(QString, expected);
    Lang_Table t;
    Load_Default_Language(t);
    Lang_Table defaults = t;
    Read_Language_Text(t, file);
    QCOMPARE(t.size(), Lang_Default_Count);
    QCOMPARE(t[index], expected == "<default>" ? defaults[index] : expected);
}

void Tst_Lang_Table::three_encodings_give_one_table()
{
    const QString text = QString::fromUtf8("STR0 = Déjà vu\r\nSTR9 = \xC2\xB6" "Aucune configuration \xC2\xB6\r\n"
                                           "STR17 = Prix 5 \xE2\x82\xAC\r\n");
    QTemporaryDir dir;
    QStringEncoder utf16le(QStringConverter::Utf16LE), utf16be(QStringConverter::Utf16BE);
    Write_All(dir.filePath("utf8.lng"), "\xEF\xBB\xBF" + text.toUtf8());
    Write_All(dir.filePath("utf16le.lng"), "\xFF\xFE" + QByteArray(utf16le(text)));
    Write_All(dir.filePath("utf16be.lng"), "\xFE\xFF" + QByteArray(utf16be(text)));
    // Windows-1252 without a mark: é = E9, à = E0, pilcrow = B6, euro = 80.
    Write_All(dir.filePath("ansi.lng"), "STR0 = D\xE9j\xE0 vu\r\nSTR9 = \xB6" "Aucune configuration \xB6\r\nSTR17 = Prix 5 \x80\r\n");

    Lang_Table expected;
    Load_Default_Language(expected);
    Read_Language_Text(expected, text);
    QCOMPARE(expected[9], QString("Aucune configuration "));
    QCOMPARE(expected[17], QString::fromUtf8("Prix 5 \xE2\x82\xAC"));
    for (const char *name : {"utf8.lng", "utf16le.lng", "utf16be.lng", "ansi.lng"}) {
        Lang_Table t;
        Load_Default_Language(t);
        Read_Language_File(t, dir.filePath(name));
        QCOMPARE(t.Items, expected.Items);
    }
}

void Tst_Lang_Table::load_language_falls_back_to_english()
{
    QTemporaryDir dir;
    Lang_Table t;

    QString name = "Klingon";
    Load_Language(t, dir.path(), name);
    QCOMPARE(name, QString("English"));
    QCOMPARE(t[17], QString("Update Device"));

    Write_All(dir.filePath("Italiano.lng"), "STR17 = Aggiorna Dispositivo\n");
    name = "Italiano";
    Load_Language(t, dir.path(), name);
    QCOMPARE(name, QString("Italiano"));
    QCOMPARE(t[17], QString("Aggiorna Dispositivo"));
    QCOMPARE(t[16], QString("Open Configuration"));

    // Another language starts from the defaults again: nothing of Italiano survives.
    Write_All(dir.filePath("English.lng"), "STR16 = Open a Configuration\n");
    name = "Deutsch";
    Load_Language(t, dir.path(), name);
    QCOMPARE(name, QString("English"));
    QCOMPARE(t[17], QString("Update Device"));
    QCOMPARE(t[16], QString("Open a Configuration"));
}

QTEST_APPLESS_MAIN(Tst_Lang_Table)
#include "tst_core_lang_table.moc"
