// The installed program: cmake --install into a temporary prefix, then the installed qcx3310
// and qcx3310-cli run with a temporary home. The workspace must land in that home, the shipped
// languages must be found in the prefix, a language in the home must win over the shipped one,
// and nothing may be written into the prefix.
#include "test_config.h"

#include "lang/Lang_Pages.h"
#include "lang/Lang_Table.h"
#include "monitor/Modbus_Link.h"
#include "workspace/App_State.h"
#include "workspace/Workspace_Choice.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Every entry below root with its size and time of change, to see whether anything changed.
QStringList Snapshot(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries.append(QStringLiteral("%1 %2 %3")
                           .arg(QDir(root).relativeFilePath(info.filePath()))
                           .arg(info.isDir() ? -1 : info.size())
                           .arg(info.lastModified().toMSecsSinceEpoch()));
    }
    entries.sort();
    return entries;
}

struct Run_Output {
    int code = -1;
    QByteArray err;
};

Run_Output Run(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProgram(program);
    p.setArguments(args);
    p.start();
    Run_Output out;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        out.err = "did not end: " + p.errorString().toUtf8();
        return out;
    }
    out.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    out.err = p.readAllStandardError();
    return out;
}

}  // namespace

class Tst_Install : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void installed_layout();
    void programs_use_the_home_not_the_prefix();
    void user_language_overrides_shipped();
    void network_libraries_wait_for_the_monitor();
    void desktop_files_are_valid();

private:
    QTemporaryDir tmp_;
    QString prefix_;
    QString home_;
    QString data_home_;
};

void Tst_Install::initTestCase()
{
    QVERIFY(tmp_.isValid());
    prefix_ = tmp_.path() + "/prefix";
    home_ = tmp_.path() + "/home";
    data_home_ = home_ + "/.local/share";
    QVERIFY(QDir().mkpath(home_));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QCX_CMAKE_COMMAND),
                  {"--install", QStringLiteral(QCX_BUILD_DIR), "--prefix", prefix_});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             install.readAll().constData());
}

void Tst_Install::installed_layout()
{
    for (const char *path :
         {"bin/qcx3310", "bin/qcx3310-cli", "bin/qgw3310-emulator", "libexec/qcx3310/Ethernet_Update",
          "lib/qcx3310/qcx3310_modbus.so",
          "share/qcx3310/LANGUAGE/English.lng", "share/qcx3310/LANGUAGE/Deutsch.lng",
          "share/qcx3310/LANGUAGE/Italiano.lng", "share/applications/com.norvale.qcx3310.desktop",
          "share/icons/hicolor/scalable/apps/com.norvale.qcx3310.svg",
          "share/icons/hicolor/48x48/apps/com.norvale.qcx3310.png",
          "share/icons/hicolor/256x256/apps/com.norvale.qcx3310.png",
          "share/metainfo/com.norvale.qcx3310.metainfo.xml"})
        QVERIFY2(QFileInfo(prefix_ + '/' + QLatin1String(path)).isFile(), path);
    // Nothing of the workspace is installed: it is made per user.
    for (const char *path : {"bin/PROJECTS", "bin/MASTER", "bin/LANGUAGE", "bin/Variroduvi.xml"})
        QVERIFY2(!QFileInfo::exists(prefix_ + '/' + QLatin1String(path)), path);
}

void Tst_Install::programs_use_the_home_not_the_prefix()
{
    const QStringList before = Snapshot(prefix_);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home_);
    env.insert("XDG_DATA_HOME", data_home_);
    env.insert("XDG_CONFIG_HOME", home_ + "/.config");
    env.insert("XDG_CACHE_HOME", home_ + "/.cache");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QCX3310_QUIT_WHEN_SHOWN", "1");

    const Run_Output gui = Run(prefix_ + "/bin/qcx3310", {}, env);
    QVERIFY2(gui.code == 0, gui.err.constData());
    const QString workspace = data_home_ + "/QCX3310";
    for (const char *dir : {"PROJECTS", "MASTER", "LANGUAGE"})
        QVERIFY2(QFileInfo(workspace + '/' + QLatin1String(dir)).isDir(), dir);

    const Run_Output cli = Run(prefix_ + "/bin/qcx3310-cli", {"--help"}, env);
    QVERIFY2(cli.code == 0, cli.err.constData());

    QCOMPARE(Snapshot(prefix_), before);
}

void Tst_Install::network_libraries_wait_for_the_monitor()
{
    // The installed program does not link the Modbus client's libraries, nor libcurl: they are
    // loaded when first needed.
    const QString readelf = QStandardPaths::findExecutable(QStringLiteral("readelf"));
    if (readelf.isEmpty()) QSKIP("readelf is not installed");
    QProcess p;
    p.start(readelf, {"-d", prefix_ + "/bin/qcx3310"});
    QVERIFY(p.waitForFinished(30000));
    const QByteArray dynamic = p.readAllStandardOutput();
    QVERIFY2(dynamic.contains("libQt6Widgets"), dynamic.constData());
    for (const char *library : {"libQt6SerialBus", "libQt6Network", "libcurl"})
        QVERIFY2(!dynamic.contains(library), library);

    // The installed module is found where the installed program looks, and makes a link.
    const Workspace_Places places = Choose_Workspace(Read_Workspace_Facts(prefix_ + "/bin", data_home_ + "/QCX3310"));
    QCOMPARE(places.Dir_Modules, prefix_ + "/lib/qcx3310");
    QString why;
    std::unique_ptr<Modbus_Link> link = Load_Modbus_Link({places.Dir_Modules}, 1000, &why);
    QVERIFY2(link, qPrintable(why));
    QCOMPARE(link->Link_State(), Modbus_Link::State::Unconnected);
    // A folder without it: nothing from the system's library path is taken instead.
    QVERIFY(!Load_Modbus_Link({prefix_ + "/bin"}, 1000, &why));
    QVERIFY2(why.contains("qcx3310_modbus") && why.contains(prefix_ + "/bin"), qPrintable(why));
}

void Tst_Install::user_language_overrides_shipped()
{
    // The choice the installed program makes, followed in this process against the prefix.
    const QString workspace = data_home_ + "/QCX3310";
    const Workspace_Places places = Choose_Workspace(Read_Workspace_Facts(prefix_ + "/bin", workspace));
    QVERIFY(places.Installed);
    QCOMPARE(places.Dir_Workspace, workspace);
    QCOMPARE(places.Dir_Updater, prefix_ + "/libexec/qcx3310");
    QVERIFY(QFileInfo(places.Dir_Updater + "/Ethernet_Update").isExecutable());

    App_State state;
    Set_Workspace(state, places);
    const QString user_deutsch = state.Dir_Language + "/Deutsch.lng";
    {
        QFile f(user_deutsch);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBFSTR1 = Mein eigener Text\r\n");
    }
    const QStringList names = Create_Lang_List(Language_Folders(state));
    for (const char *name : {"English.lng", "Deutsch.lng", "Espa\xC3\xB1ol.lng", "Fran\xC3\xA7" "ais.lng", "Italiano.lng"})
        QVERIFY2(names.count(QString::fromUtf8(name)) == 1, name);

    QString name = QStringLiteral("Deutsch");
    Load_Language(state.Lang_Table, Language_Folders(state), name);
    QCOMPARE(name, QStringLiteral("Deutsch"));
    QCOMPARE(state.Lang_Table[1], QStringLiteral("Mein eigener Text"));
    // Keys the user's file leaves out keep the defaults, not the shipped file's texts.
    name = QStringLiteral("Italiano");
    Load_Language(state.Lang_Table, Language_Folders(state), name);
    QCOMPARE(name, QStringLiteral("Italiano"));
    QVERIFY(state.Lang_Table[1] != QStringLiteral("Mein eigener Text"));
    QFile::remove(user_deutsch);
}

void Tst_Install::desktop_files_are_valid()
{
    // The checkers come from desktop-file-utils and appstream; where they are missing there is
    // nothing to ask.
    const struct {
        const char *tool;
        QStringList args;
    } checks[] = {
        {"desktop-file-validate", {prefix_ + "/share/applications/com.norvale.qcx3310.desktop"}},
        {"appstreamcli", {"validate", "--no-net", prefix_ + "/share/metainfo/com.norvale.qcx3310.metainfo.xml"}},
    };
    int ran = 0;
    for (const auto &check : checks) {
        const QString tool = QStandardPaths::findExecutable(QLatin1String(check.tool));
        if (tool.isEmpty()) continue;
        ++ran;
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(tool, check.args);
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, p.readAll().constData());
    }
    if (ran == 0) QSKIP("neither desktop-file-validate nor appstreamcli is installed");
}

QTEST_GUILESS_MAIN(Tst_Install)
#include "tst_core_install.moc"
