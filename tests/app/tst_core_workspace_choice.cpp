// Where the program keeps its work (its own folder, or the user's data folder when installed),
// and the user's language folder laid over the shipped one.
#include "File_Bytes.h"
#include "lang/Lang_Pages.h"
#include "lang/Lang_Table.h"
#include "workspace/App_State.h"
#include "workspace/Workspace_Choice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    Write_All(path, bytes);
}

// A language file whose STR1 names where it came from.
QByteArray Language(const char *origin) { return QByteArray("\xEF\xBB\xBFSTR1 = ") + origin + "\r\n"; }

}  // namespace

Q_DECLARE_METATYPE(Workspace_Facts)
Q_DECLARE_METATYPE(Workspace_Places)

class Tst_Workspace_Choice : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void facts_from_the_folders();
    void user_language_wins_over_shipped();
};

void Tst_Workspace_Choice::choice_data()
{
    QTest::addColumn<Workspace_Facts>("facts");
    QTest::addColumn<Workspace_Places>("places");
    const QString home = QStringLiteral("/home/u/.local/share/QCX3310");
    // {program folder, writable, share/qcx3310 beside, user data folder}
    QTest::newRow("build folder") << Workspace_Facts{"/src/build/workspace", true, false, home}
                                  << Workspace_Places{false, "/src/build/workspace", "", "/src/build/workspace", "/src/build/workspace"};
    QTest::newRow("writable copy, trailing separator")
        << Workspace_Facts{"/media/stick/qcx/", true, false, home}
        << Workspace_Places{false, "/media/stick/qcx", "", "/media/stick/qcx", "/media/stick/qcx"};
    QTest::newRow("installed under /usr")
        << Workspace_Facts{"/usr/bin", false, true, home}
        << Workspace_Places{true, home, "/usr/share/qcx3310/LANGUAGE", "/usr/libexec/qcx3310", "/usr/lib/qcx3310"};
    // Root may write everywhere: the shape alone says "installed".
    QTest::newRow("installed, run by root")
        << Workspace_Facts{"/usr/local/bin", true, true, "/root/.local/share/QCX3310"}
        << Workspace_Places{true, "/root/.local/share/QCX3310", "/usr/local/share/qcx3310/LANGUAGE",
                            "/usr/local/libexec/qcx3310", "/usr/local/lib/qcx3310"};
    QTest::newRow("read-only copy of the folder")
        << Workspace_Facts{"/opt/qcx", false, false, home}
        << Workspace_Places{true, home, "/opt/qcx/LANGUAGE", "/opt/qcx", "/opt/qcx"};
    QTest::newRow("installed, no user data folder")
        << Workspace_Facts{"/usr/bin", false, true, ""}
        << Workspace_Places{false, "/usr/bin", "/usr/share/qcx3310/LANGUAGE", "/usr/libexec/qcx3310", "/usr/lib/qcx3310"};
}

void Tst_Workspace_Choice::choice()
{
    QFETCH(Workspace_Facts, facts);
    QFETCH(Workspace_Places, places);
    const Workspace_Places got = Choose_Workspace(facts);
    QCOMPARE(got.Installed, places.Installed);
    QCOMPARE(got.Dir_Workspace, places.Dir_Workspace);
    QCOMPARE(got.Dir_Shipped_Language, places.Dir_Shipped_Language);
    QCOMPARE(got.Dir_Updater, places.Dir_Updater);
    QCOMPARE(got.Dir_Modules, places.Dir_Modules);
}

void Tst_Workspace_Choice::facts_from_the_folders()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString root = tmp.path();
    QVERIFY(QDir().mkpath(root + "/prefix/bin"));
    QVERIFY(QDir().mkpath(root + "/prefix/share/qcx3310/LANGUAGE"));
    QVERIFY(QDir().mkpath(root + "/build/bin"));  // a folder named bin, but no share beside it
    QVERIFY(QDir().mkpath(root + "/other/tool"));
    QVERIFY(QDir().mkpath(root + "/other/share/qcx3310"));  // share beside, but not a bin folder

    QVERIFY(Read_Workspace_Facts(root + "/prefix/bin", "/h").Shipped_Data_Beside);
    QVERIFY(!Read_Workspace_Facts(root + "/build/bin", "/h").Shipped_Data_Beside);
    QVERIFY(!Read_Workspace_Facts(root + "/other/tool", "/h").Shipped_Data_Beside);
    QVERIFY(Read_Workspace_Facts(root + "/build/bin", "/h").Program_Dir_Writable);
    QVERIFY(!Read_Workspace_Facts(root + "/missing", "/h").Program_Dir_Writable);
}

void Tst_Workspace_Choice::user_language_wins_over_shipped()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString shipped = tmp.path() + "/share/qcx3310/LANGUAGE";
    const QString user = tmp.path() + "/home/LANGUAGE";
    Write(shipped + "/English.lng", Language("shipped English"));
    Write(shipped + "/Deutsch.lng", Language("shipped Deutsch"));
    Write(shipped + "/Deutsch.bmp", "flag");
    Write(shipped + "/DefaultFlag.bmp", "flag");
    Write(user + "/Deutsch.lng", Language("user Deutsch"));
    Write(user + "/Klingon.lng", Language("user Klingon"));
    Write(user + "/DefaultFlag.bmp", "flag");

    App_State state;
    Set_Workspace(state, Workspace_Places{true, tmp.path() + "/home", shipped, tmp.path()});
    QCOMPARE(state.Dir_Language, user);
    const QStringList dirs = Language_Folders(state);
    QCOMPARE(dirs, (QStringList{user, shipped}));

    QCOMPARE(Create_Lang_List(dirs), (QStringList{"Deutsch.lng", "English.lng", "Klingon.lng"}));

    // {name asked for, name kept, text read}
    const struct {
        const char *asked, *kept, *text;
    } cases[] = {{"Deutsch", "Deutsch", "user Deutsch"},
                 {"English", "English", "shipped English"},
                 {"Klingon", "Klingon", "user Klingon"},
                 {"Missing", "English", "shipped English"},
                 {"../x/Deutsch", "English", "shipped English"}};
    for (const auto &c : cases) {
        Lang_Table table;
        QString name = QString::fromLatin1(c.asked);
        Load_Language(table, dirs, name);
        QCOMPARE(name, QString::fromLatin1(c.kept));
        QCOMPARE(table[1], QString::fromLatin1(c.text));
    }

    // A language's own flag from either folder beats any default flag.
    QCOMPARE(Lang_Flag_Candidates(dirs, "Deutsch"),
             (QStringList{shipped + "/Deutsch.bmp", user + "/DefaultFlag.bmp", shipped + "/DefaultFlag.bmp"}));
    QCOMPARE(Lang_Flag_Candidates(dirs, "Klingon"),
             (QStringList{user + "/DefaultFlag.bmp", shipped + "/DefaultFlag.bmp"}));

    // The portable case keeps one language folder.
    App_State portable;
    Set_Workspace(portable, tmp.path() + "/home");
    QCOMPARE(Language_Folders(portable), QStringList{user});
    QCOMPARE(Updater_Folder(portable), tmp.path() + "/home");
}

QTEST_GUILESS_MAIN(Tst_Workspace_Choice)
#include "tst_core_workspace_choice.moc"
