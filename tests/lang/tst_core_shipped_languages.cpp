// The language files that ship with the program: complete, readable, and true to the blanks
// that the program's texts are joined with.
#include "lang/Lang_Pages.h"
#include "lang/Lang_Table.h"
#include "test_config.h"

#include <QFile>
#include <QTest>

namespace {
const QStringList Shipped = {"Deutsch", "English", "Español", "Français", "Italiano"};
const QString Unset = QStringLiteral("\x01unset");

QString Shipped_File(const QString &name)
{
    return QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR "/") + name + QStringLiteral(".lng");
}
}  // namespace

class Shipped_Languages_Test : public QObject {
    Q_OBJECT

private slots:
    void file_sets_every_entry_data()
    {
        QTest::addColumn<QString>("language");
        for (const QString &name : Shipped) QTest::newRow(qPrintable(name)) << name;
    }
    void file_sets_every_entry()
    {
        QFETCH(QString, language);
        QFile file(Shipped_File(language));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.read(3) == "\xEF\xBB\xBF", "UTF-8 with a byte-order mark");

        // Every entry must come from the file itself, not stay at an English default.
        Lang_Table table;
        Load_Default_Language(table);
        for (QString &text : table.Items) text = Unset;
        Read_Language_File(table, Shipped_File(language));
        QCOMPARE(table.size(), Lang_Default_Count);

        Lang_Table english;
        Load_Default_Language(english);
        for (int i = 0; i < Lang_Default_Count; ++i) {
            const QString &text = table[i];
            const QString &source = english[i];
            QVERIFY2(text != Unset, qPrintable(QStringLiteral("STR%1 missing").arg(i)));
            QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("STR%1 empty").arg(i)));
            // Texts are joined without added blanks, so a blank at either end must survive.
            if (source.startsWith(u' '))
                QVERIFY2(text.startsWith(u' '), qPrintable(QStringLiteral("STR%1 lost its leading blank").arg(i)));
            if (source.endsWith(u' '))
                QVERIFY2(text.endsWith(u' '), qPrintable(QStringLiteral("STR%1 lost its trailing blank").arg(i)));
            QVERIFY2(!text.contains(u'\u00B6'), qPrintable(QStringLiteral("STR%1 shows a pilcrow").arg(i)));
        }
        if (language == QStringLiteral("English")) QCOMPARE(table.Items, english.Items);
    }

    void translations_are_translated()
    {
        // A translation that is mostly English is a file copied but not written.
        Lang_Table english;
        Load_Default_Language(english);
        for (const QString &name : Shipped) {
            if (name == QStringLiteral("English")) continue;
            Lang_Table table;
            QString language = name;
            Load_Language(table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR), language);
            QCOMPARE(language, name);
            int same = 0;
            for (int i = 0; i < Lang_Default_Count; ++i) same += table[i] == english[i];
            QVERIFY2(same < 40, qPrintable(QStringLiteral("%1: %2 entries are English").arg(name).arg(same)));
        }
    }

    void workspace_offers_every_shipped_language()
    {
        const QString dir = QStringLiteral(QCX_WORKSPACE_DIR "/LANGUAGE");
        const QStringList listed = Create_Lang_List(dir);
        for (const QString &name : Shipped) {
            QVERIFY2(listed.contains(name + QStringLiteral(".lng")), qPrintable(name));
            QVERIFY2(QFile::exists(dir + QLatin1Char('/') + name + QStringLiteral(".bmp")), qPrintable(name));
        }
        QVERIFY(QFile::exists(dir + QStringLiteral("/DefaultFlag.bmp")));
    }
};

QTEST_GUILESS_MAIN(Shipped_Languages_Test)
#include "tst_core_shipped_languages.moc"
