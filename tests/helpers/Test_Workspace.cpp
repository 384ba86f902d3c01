#include "Test_Workspace.h"

#include "test_config.h"
#include "workspace/Project_Folders.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

QString Test_Data(const QString &relative) { return QStringLiteral(QCX_TEST_DATA_DIR "/") + relative; }

QStringList Test_Workspace::Shipped_Languages()
{
    return {"Deutsch", "English", "Español", "Français", "Italiano"};
}

Test_Workspace::Test_Workspace() { QVERIFY(dir.isValid()); }

// The window goes first: it holds the state and the environment by reference.
Test_Workspace::~Test_Workspace() { window.reset(); }

void Test_Workspace::Start(Dialogs dialogs)
{
    window = std::make_unique<Main_Window>(state, env, dir.path());
    if (dialogs == Dialogs::All) window->Create_Dialogs();
}

void Test_Workspace::Copy_Shipped_Languages()
{
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("LANGUAGE")));
    const QDir shipped(QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR));
    QStringList files{QStringLiteral("DefaultFlag.bmp")};
    for (const QString &name : Shipped_Languages()) files << name + ".lng" << name + ".bmp";
    for (const QString &file : files)
        QVERIFY2(QFile::copy(shipped.filePath(file), Path("LANGUAGE/" + file)), qPrintable(file));
}

void Test_Workspace::Switch_Language(const QString &name)
{
    QVERIFY(window);
    state.Language_Name = name;
    Load_Language(state.Lang_Table, state.Dir_Language, state.Language_Name);
    window->Change_Language();
}

QString Test_Workspace::Open_Configuration(const QString &name, const QString &fixture)
{
    const QString folder = Configuration_Folder(state.Dir_Projects, name);
    if (!QDir().mkpath(folder + "/bin")) qFatal("cannot create %s", qPrintable(folder));
    if (!fixture.isEmpty()) {
        const QDir from(Test_Data(fixture));
        const QStringList files = from.entryList(QDir::Files);
        if (files.isEmpty()) qFatal("no fixture files in %s", qPrintable(from.path()));
        for (const QString &file : files) QFile::copy(from.filePath(file), folder + '/' + file);
    }
    state.Project_Name = name;
    state.Dir_Project = folder;
    if (window)
        window->Set_Files();
    else
        Set_Files(state);
    return folder;
}

QString Test_Workspace::Path(const QString &relative) const { return dir.filePath(relative); }

QString Test_Workspace::Label(const char *name) const
{
    auto *label = window->findChild<QLabel *>(QLatin1String(name));
    if (!label) qFatal("no label %s", name);
    return label->text();
}

void Test_Workspace::Click(const char *button) const
{
    auto *b = window->findChild<QAbstractButton *>(QLatin1String(button));
    if (!b) qFatal("no button %s", button);
    QTest::mouseClick(b, Qt::LeftButton);
}
