// Creating and listing configuration folders, without any window.
#include "lang/Lang_Table.h"
#include "workspace/App_State.h"
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
Q_DECLARE_METATYPE(Name_Rule)

class Tst_Project_Folders : public QObject {
    Q_OBJECT
private slots:
    void new_name_rules_data();
    void new_name_rules();
    void stored_names_that_break_the_rules_still_open_data();
    void stored_names_that_break_the_rules_still_open();
    void create_data();
    void create();
    void create_needs_projects_folder();
    void messages_say_what_is_wrong();
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
    QTest::newRow("blanks inside") << QStringList{} << "Line 1  A" << R::Created;
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
    // What Windows cannot hold is refused before the existing folders are looked at.
    QTest::newRow("blank at the end, beside the same name") << QStringList{"Alpha"} << "Alpha "
                                                            << R::Not_Valid;
    QTest::newRow("device name") << QStringList{} << "aux" << R::Not_Valid;
    QTest::newRow("blanks only") << QStringList{} << "   " << R::Not_Valid;
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

    QCOMPARE(Create_Project_Folder(projects, name).Result, result);

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
    // No PROJECTS folder: only one level is ever made, so nothing appears. The name is fine;
    // the system's reason says what is not.
    New_Project_Outcome outcome = Create_Project_Folder(projects, "Line1");
    QCOMPARE(outcome.Result, New_Project_Result::Not_Created);
    QCOMPARE(outcome.Folder, QDir::toNativeSeparators(projects + "/Line1"));
    QVERIFY(!outcome.Reason.isEmpty());
    QVERIFY(Tree(tmp.path()).isEmpty());

    // A file of the same name is in the way: the folder cannot be made.
    QVERIFY(QDir().mkpath(projects));
    Make_File(projects + "/Notes");
    outcome = Create_Project_Folder(projects, "Notes");
    QCOMPARE(outcome.Result, New_Project_Result::Not_Created);
    QVERIFY(!outcome.Reason.isEmpty());
    QCOMPARE(Tree(tmp.path()), QStringList({"PROJECTS", "PROJECTS/Notes"}));
}

void Tst_Project_Folders::new_name_rules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<Name_Rule>("rule");
    QTest::addColumn<QString>("part");  // the character or device name the message names

    using R = Name_Rule;
    auto ok = [](const char *row, const QString &name) { QTest::newRow(row) << name << false << R::Empty << QString(); };
    auto no = [](const char *row, const QString &name, R rule, const QString &part = {}) {
        QTest::newRow(row) << name << true << rule << part;
    };
    ok("plain", "Line1");
    ok("blanks inside", "Line 1");
    ok("other alphabets", "Linie Ä ü 線路");
    ok("dot inside", "Line1.v2");
    ok("device name inside a word", "CONSOLE");
    ok("device name with a letter more", "COM10");
    ok("device name after a letter", "xnul");
    ok("device name not first", "line.nul");
    ok("COM without a digit", "COM");
    ok("LPT0 is no device", "LPT0");
    ok("no-break space inside", QStringLiteral("Line 1"));
    ok("soft hyphen is printable", QStringLiteral("Line­1"));

    no("empty", "", R::Empty);
    no("one blank", " ", R::Blanks_Only);
    no("blanks", "   ", R::Blanks_Only);
    no("no-break spaces", QStringLiteral(" 　"), R::Blanks_Only);
    no("tab", "Line\t1", R::Control_Character, "U+0009");
    no("tab alone", "\t", R::Control_Character, "U+0009");
    no("line break", "Line\n", R::Control_Character, "U+000A");
    no("null", QStringLiteral("A") + QChar(0), R::Control_Character, "U+0000");
    no("escape", "A\x1B", R::Control_Character, "U+001B");
    no("DEL", "A\x7F", R::Control_Character, "U+007F");
    no("C1 first", QStringLiteral("A"), R::Control_Character, "U+0080");
    no("C1 last", QStringLiteral("A"), R::Control_Character, "U+009F");
    no("not a character", QStringLiteral("A￿"), R::Control_Character, "U+FFFF");
    no("lone surrogate", QStringLiteral("A") + QChar(0xD800), R::Control_Character, "U+D800");
    no("less than", "a<b", R::Forbidden_Character, "<");
    no("greater than", "a>b", R::Forbidden_Character, ">");
    no("colon", "C:x", R::Forbidden_Character, ":");
    no("quote", "a\"b", R::Forbidden_Character, "\"");
    no("slash", "Alpha/Sub", R::Forbidden_Character, "/");
    no("backslash", "Alpha\\Sub", R::Forbidden_Character, "\\");
    no("bar", "a|b", R::Forbidden_Character, "|");
    no("question mark", "why?", R::Forbidden_Character, "?");
    no("star", "a*", R::Forbidden_Character, "*");
    no("climbs out", "../Outside", R::Forbidden_Character, "/");
    no("leading blank", " Line1", R::Leading_Blank);
    no("leading no-break space", QStringLiteral(" Line1"), R::Leading_Blank);
    no("trailing blank", "Line1 ", R::Trailing_Blank);
    no("blanks at both ends", " Line 1 ", R::Leading_Blank);
    no("dot", ".", R::Leading_Dot);
    no("dot dot", "..", R::Leading_Dot);
    no("hidden", ".Line1", R::Leading_Dot);
    no("trailing dot", "Line1.", R::Trailing_Dot);
    no("trailing dots", "Line1..", R::Trailing_Dot);
    no("CON", "CON", R::Device_Name, "CON");
    no("con, lower case", "con", R::Device_Name, "con");
    no("PRN", "Prn", R::Device_Name, "Prn");
    no("AUX", "AUX", R::Device_Name, "AUX");
    no("NUL with an extension", "nul.txt", R::Device_Name, "nul");
    no("NUL with two extensions", "NUL.tar.gz", R::Device_Name, "NUL");
    no("COM1 with an extension", "COM1.cfg", R::Device_Name, "COM1");
    no("COM9", "com9", R::Device_Name, "com9");
    no("LPT1", "LPT1", R::Device_Name, "LPT1");
    no("LPT9", "lpt9", R::Device_Name, "lpt9");
    no("COM superscript one", QStringLiteral("COM¹"), R::Device_Name, QStringLiteral("COM¹"));
    no("device, blank before the extension", "NUL .txt", R::Device_Name, "NUL");
}

void Tst_Project_Folders::new_name_rules()
{
    QFETCH(QString, name);
    QFETCH(bool, refused);
    QFETCH(Name_Rule, rule);
    QFETCH(QString, part);
    const std::optional<Name_Fault> fault = New_Name_Fault(name);
    QCOMPARE(fault.has_value(), refused);
    if (fault) QCOMPARE(*fault, (Name_Fault{rule, part}));
    // Whatever the rules let through makes exactly one folder directly inside PROJECTS.
    if (!fault) QVERIFY(Is_Plain_Folder_Name(name));
}

void Tst_Project_Folders::stored_names_that_break_the_rules_still_open_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("trailing blank") << "Line 1 ";
    QTest::newRow("leading blank") << " Line 1";
    QTest::newRow("trailing dot") << "Line1.";
    QTest::newRow("device name") << "con";
    QTest::newRow("colon") << "A:B";
}

void Tst_Project_Folders::stored_names_that_break_the_rules_still_open()
{
    // Folders made by an earlier version or by hand keep working: the rules are for new names.
    QFETCH(QString, name);
    QVERIFY(New_Name_Fault(name));
    QTemporaryDir tmp;
    App_State state;
    Set_Workspace(state, tmp.path());
    Make_Folders(state.Dir_Projects, {name});
    QCOMPARE(List_Configurations(state.Dir_Projects), QStringList{name});
    state.Project_Name = name;
    Reopen_Last_Project(state);
    QCOMPARE(state.Project_Name, name);
    QCOMPARE(state.Dir_Project, Configuration_Folder(state.Dir_Projects, name));
}

void Tst_Project_Folders::messages_say_what_is_wrong()
{
    Lang_Table texts;
    Load_Default_Language(texts);
    QTemporaryDir tmp;
    Make_Folders(tmp.path(), {"Alpha"});
    auto message = [&](const QString &name) { return New_Project_Message(texts, Create_Project_Folder(tmp.path(), name)); };

    QCOMPARE(message(""), QString("Error! The name of the new configuration is empty: type a name."));
    QCOMPARE(message("  "), QString("Error! The name holds only blanks: type a name that can be read."));
    QCOMPARE(message("a\x7F"), QString("Error! The name holds an invisible character (code U+007F), which a "
                                       "folder name must not hold."));
    QCOMPARE(message("a?"), QString("Error! The name holds the character ?, which Windows does not allow in "
                                    "folder names: < > : \" / \\ | ? *"));
    QCOMPARE(message("Nul.cfg"), QString("Error! \"Nul\" is the name of a Windows device (CON, PRN, AUX, NUL, "
                                         "COM1 to COM9, LPT1 to LPT9), also with an extension."));
    QCOMPARE(message("Line1 "), QString("Error! The name ends with a blank, which Windows drops from folder names."));
    // The folder as it is spelled, when the name differs from it in letter case only.
    QCOMPARE(message("ALPHA"), QString("Error! A configuration named \"Alpha\" already exists (letter case does "
                                       "not count)."));
    QCOMPARE(message("Created"), QString());
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
