// Which files count as languages, their order, and the pages of six the options dialog shows.
#include "lang/Lang_Pages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void Touch(const QString &path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}
}  // namespace

class Lang_Pages_Test : public QObject {
    Q_OBJECT

private slots:
    void only_regular_language_files_in_case_insensitive_order()
    {
        QTemporaryDir dir;
        for (const char *name : {"german.lng", "English.lng", "zulu.lng", "Afrikaans.lng", "notes.txt",
                                 "Old.lng.bak", ".Hidden.lng"})
            Touch(dir.filePath(QString::fromUtf8(name)));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Folder.lng")));
#ifndef Q_OS_WIN
        // Listed as "Upper" it could never be loaded again from "Upper.lng".
        Touch(dir.filePath(QStringLiteral("Upper.LNG")));
#endif
        QCOMPARE(Create_Lang_List(dir.path()),
                 QStringList({"Afrikaans.lng", "English.lng", "german.lng", "zulu.lng"}));
        QCOMPARE(Lang_Name_Of(QStringLiteral("german.lng")), QStringLiteral("german"));
        QCOMPARE(Create_Lang_List(dir.filePath(QStringLiteral("missing"))), QStringList());
    }

    void flag_candidates()
    {
        QTemporaryDir dir;
        Touch(dir.filePath(QStringLiteral("Italiano.bmp")));
        QCOMPARE(Lang_Flag_Candidates(dir.path(), QStringLiteral("Italiano")),
                 QStringList({dir.filePath(QStringLiteral("Italiano.bmp"))}));
        QCOMPARE(Lang_Flag_Candidates(dir.path(), QStringLiteral("Deutsch")), QStringList());
        Touch(dir.filePath(QStringLiteral("DefaultFlag.bmp")));
        QCOMPARE(Lang_Flag_Candidates(dir.path(), QStringLiteral("Deutsch")),
                 QStringList({dir.filePath(QStringLiteral("DefaultFlag.bmp"))}));
        QCOMPARE(Lang_Flag_Candidates(dir.path(), QStringLiteral("Italiano")).size(), 2);
    }

    void pages_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("none") << 0 << 1 << 0 << 0 << 0;
        QTest::newRow("one") << 1 << 1 << 1 << 0 << 1;
        QTest::newRow("six on one page") << 6 << 1 << 1 << 0 << 6;
        QTest::newRow("seven, page 1") << 7 << 1 << 2 << 0 << 6;
        QTest::newRow("seven, page 2") << 7 << 2 << 2 << 6 << 1;
        QTest::newRow("twelve, page 2 full") << 12 << 2 << 2 << 6 << 6;
        QTest::newRow("thirteen, page 3") << 13 << 3 << 3 << 12 << 1;
    }
    void pages()
    {
        QFETCH(int, n);
        QFETCH(int, page);
        QFETCH(int, pages);
        QFETCH(int, first);
        QFETCH(int, count);
        QCOMPARE(Lang_Page_Count(n), pages);
        const Lang_Page_Range range = Lang_Page_Of(n, page);
        QCOMPARE(range.First, first);
        QCOMPARE(range.Count, count);
    }

    void page_buttons_stay_in_range()
    {
        QCOMPARE(Next_Lang_Page(1, 3), 2);
        QCOMPARE(Next_Lang_Page(3, 3), 3);
        QCOMPARE(Next_Lang_Page(1, 0), 1);
        QCOMPARE(Prev_Lang_Page(2), 1);
        QCOMPARE(Prev_Lang_Page(1), 1);
        QCOMPARE(Lang_Page_Label(QStringLiteral("Page "), 2, QStringLiteral(" / "), 3), QStringLiteral("Page 2 / 3"));
    }
};

QTEST_GUILESS_MAIN(Lang_Pages_Test)
#include "tst_core_lang_pages.moc"
