// Creating and listing configuration folders, without any window.
#include "workspace/Project_Folders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every entry below root, hidden ones included, as paths relative to root.
QStringList Tree(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) entries.append(QDir(root).relativeFilePath(it.next()));
    entries.sort();
    return entries;
}

void Make_Folders(const QString &dir, const QStringList &names)
{
    for (const QString &name : names) QVERIFY(QDir().mkpath(dir + QLatin1Char('/') + name));
}

void Make_File(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a configuration");
}

}  // namespace

Q_DECLARE_METATYPE(New_Project_Result)

class Tst_Project_Folders : public QObject {
    Q_OBJECT
private slots:
    void create_data();
    void create();
    void create_needs_projects_folder();
    void listing();
    void listing_of_missing_folder_is_empty();
    void preselection_data();
    void preselection();
    void open_configuration_name();
};

void Tst_Project_Folders::create_data()
{
    QTest::addColumn<QStringList>("existing");  // folders already under PROJECTS
    QTest::addColumn<QString>("name");
    QTest::addColumn<New_Project_Result>("result");

    using R = New_Project_Result;
    QTest::newRow("plain name") << QStringList{} << "Line1" << R::Created;
    QTest::newRow("blanks kept as typed") << QStringList{} << " Line 1 " << R::Created;
    QTest::newRow("letters of other alphabets") << QStringList{} << "Linie Ä ü 線路" << R::Created;
    QTest::newRow("dots inside") << QStringList{"Line1"} << "Line1.v2" << R::Created;

    QTest::newRow("empty") << QStringList{} << "" << R::Empty_Name;
    // An empty name is refused before anything else, even with configurations present.
    QTest::newRow("empty beside others") << QStringList{"Alpha"} << "" << R::Empty_Name;

    QTest::newRow("exists") << QStringList{"Alpha"} << "Alpha" << R::Already_Exists;
    QTest::newRow("exists in other case") << QStringList{"Alpha"} << "ALPHA" << R::Already_Exists;
    QTest::newRow("exists in other case, not first") << QStringList{"Alpha", "beta"} << "Beta"
                                                     << R::Already_Exists;

    QTest::newRow("dot") << QStringList{} << "." << R::Not_Valid;
    QTest::newRow("dot dot") << QStringList{} << ".." << R::Not_Valid;
    QTest::newRow("climbs out") << QStringList{} << "../Outside" << R::Not_Valid;
    QTest::newRow("below another configuration") << QStringList{"Alpha"} << "Alpha/Sub"
                                                 << R::Not_Valid;
    QTest::newRow("below an existing bin") << QStringList{"Alpha/bin"} << "Alpha/bin"
                                           << R::Not_Valid;
    QTest::newRow("backslash") << QStringList{} << "Alpha\\Sub" << R::Not_Valid;
    QTest::newRow("absolute") << QStringList{} << "/tmp/x" << R::Not_Valid;
    QTest::newRow("hidden folder") << QStringList{} << ".Line1" << R::Not_Valid;
    QTest::newRow("control character") << QStringList{} << "Line\t1" << R::Not_Valid;
    QTest::newRow("null character") << QStringList{} << QStringLiteral("Line1") + QChar(0) + "x"
                                    << R::Not_Valid;
}

void Tst_Project_Folders::create()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(New_Project_Result, result);

    // PROJECTS sits one level down, so a folder made outside it would show in the tree too.
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString projects = tmp.path() + "/PROJECTS";
    QVERIFY(QDir().mkpath(projects));
    Make_Folders(projects, existing);
    const QStringList before = Tree(tmp.path());

    QCOMPARE(Create_Project_Folder(projects, name), result);

    QStringList after = Tree(tmp.path());
    if (result == New_Project_Result::Created) {
        QVERIFY(QFileInfo(Configuration_Folder(projects, name)).isDir());
        QStringList expected = before;
        expected << "PROJECTS/" + name << "PROJECTS/" + name + "/bin";
        expected.sort();
        QCOMPARE(after, expected);  // the bin folder is empty
    } else {
        QCOMPARE(after, before);
    }
}

void Tst_Project_Folders::create_needs_projects_folder()
{
    QTemporaryDir tmp;
    const QString projects = tmp.path() + "/PROJECTS";
    // No PROJECTS folder: only one level is ever made, so nothing appears.
    QCOMPARE(Create_Project_Folder(projects, "Line1"), New_Project_Result::Not_Valid);
    QVERIFY(Tree(tmp.path()).isEmpty());

    // A file of the same name is in the way: the folder cannot be made.
    QVERIFY(QDir().mkpath(projects));
    Make_File(projects + "/Notes");
    QCOMPARE(Create_Project_Folder(projects, "Notes"), New_Project_Result::Not_Valid);
    QCOMPARE(Tree(tmp.path()), QStringList({"PROJECTS", "PROJECTS/Notes"}));
}

void Tst_Project_Folders::listing()
{
    QTemporaryDir tmp;
    const QString projects = tmp.path();
    Make_Folders(projects, {"Gamma", "alpha", "Beta", "Beta/bin", ".hidden", "Line 1 Ä"});
    Make_File(projects + "/readme.txt");
    Make_File(projects + "/Delta");  // a file named like a configuration
    QVERIFY(QFile::link(projects + "/nowhere", projects + "/Broken"));  // a dangling link

    QCOMPARE(List_Configurations(projects), QStringList({"alpha", "Beta", "Gamma", "Line 1 Ä"}));
}

void Tst_Project_Folders::listing_of_missing_folder_is_empty()
{
    QTemporaryDir tmp;
    QVERIFY(List_Configurations(tmp.path() + "/PROJECTS").isEmpty());
    QVERIFY(List_Configurations(QString()).isEmpty());
}

void Tst_Project_Folders::preselection_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("open_name");
    QTest::addColumn<int>("search");
    QTest::addColumn<int>("line");

    QTest::newRow("open one listed") << QStringList{"Alpha", "Beta"} << "Beta" << 1 << 1;
    QTest::newRow("none open") << QStringList{"Alpha", "Beta"} << "" << -1 << 0;
    QTest::newRow("open one in other case") << QStringList{"Alpha", "Beta"} << "bEtA" << 1 << 1;
    QTest::newRow("open one gone") << QStringList{"Alpha", "Beta"} << "Gamma" << -1 << 0;
    QTest::newRow("prefix is not a match") << QStringList{"Alpha", "Beta"} << "Bet" << -1 << 0;
    QTest::newRow("first of equal names") << QStringList{"beta", "Beta"} << "BETA" << 0 << 0;
    QTest::newRow("other alphabets") << QStringList{"Äpfel", "Öl"} << "öl" << 1 << 1;
    QTest::newRow("empty list") << QStringList{} << "Beta" << -1 << -1;
    QTest::newRow("empty list, none open") << QStringList{} << "" << -1 << -1;
}

void Tst_Project_Folders::preselection()
{
    QFETCH(QStringList, names);
    QFETCH(QString, open_name);
    QFETCH(int, search);
    QFETCH(int, line);
    QCOMPARE(Search_Configuration(names, open_name), search);
    QCOMPARE(Preselected_Line(names, open_name), line);
}

void Tst_Project_Folders::open_configuration_name()
{
    QCOMPARE(Open_Configuration_Name("/w/PROJECTS", "/w/PROJECTS/Line 1"), QString("Line 1"));
    QCOMPARE(Open_Configuration_Name("/w/PROJECTS", QString()), QString());
}

QTEST_GUILESS_MAIN(Tst_Project_Folders)
#include "tst_core_project_folders.moc"
