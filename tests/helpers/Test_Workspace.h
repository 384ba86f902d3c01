#pragma once
// The program as a window test finds it after start-up: a workspace in a temporary folder, the
// global state, fakes for the outside world, and the main window with its dialogs. Files are
// prepared before Start (settings, languages) or after it (configurations).
#include "Fakes.h"
#include "File_Bytes.h"
#include "app/Main_Window.h"
#include "workspace/App_State.h"
#include "workspace/Environment.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>


class Test_Workspace {
public:
    // The languages shipped with the program, as the build copies them beside it.
    static QStringList Shipped_Languages();

    Test_Workspace();
    ~Test_Workspace();
    Test_Workspace(const Test_Workspace &) = delete;
    Test_Workspace &operator=(const Test_Workspace &) = delete;

    // Runs the start-up in the folder and creates every dialog at once (tests reach them through
    // Windows()), or leaves each to its first use as the program does.
    enum class Dialogs { All, On_First_Use };
    void Start(Dialogs dialogs = Dialogs::All);

    // Copies the shipped language files and flags (and the default flag) into LANGUAGE.
    void Copy_Shipped_Languages();
    // Makes name the language in use and tells every window, as the options dialog does.
    void Switch_Language(const QString &name);

    // A configuration folder under PROJECTS with an empty bin, holding the files of the
    // folder fixture (tests/data/<fixture>) when one is named; it becomes the open one.
    QString Open_Configuration(const QString &name, const QString &fixture = {});

    // A path inside the workspace folder.
    QString Path(const QString &relative) const;
    QByteArray Read(const QString &relative) const { return Read_All(Path(relative)); }
    void Write(const QString &relative, const QByteArray &bytes) const { Write_All(Path(relative), bytes); }

    // The text of one of the main window's labels.
    QString Label(const char *name) const;
    // Clicks one of the main window's buttons; a dialog it opens runs until it is closed.
    void Click(const char *button) const;

    QTemporaryDir dir;
    App_State state;
    Fake_Clock clock;
    Fake_Shell shell;
    Fake_Echo echo{clock};
    Fake_Http http;
    // The windows borrow these; a test may point them at other implementations.
    Environment env{&shell, &clock, &echo, &http};
    std::unique_ptr<Main_Window> window;
};

// A fixture file's path below tests/data.
QString Test_Data(const QString &relative);
