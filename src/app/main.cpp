// Program entry: the main window (which runs the start-up), then the loop. The dialogs are
// built when first needed, so that the start does not wait for windows that may never open.
#include "workspace/Environment.h"
#include "workspace/Workspace_Choice.h"
#include "app/Main_Window.h"
#include "lang/Lang_Translator.h"
#include "platform/Clock.h"
#include "platform/Curl_Http_Get.h"
#include "widgets/Desktop_Shell.h"
#include "platform/Real_Icmp_Echo.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QCX3310"));
    QApplication::setApplicationVersion(QStringLiteral("1.102"));
    // Docks and task bars match the window to its menu entry, and so to the installed icon, by
    // this name (and by the window class, StartupWMClass in the entry). The window sets no icon
    // of its own: decoding its pictures would cost the start more than the whole language file.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.norvale.qcx3310"));
    // The main window's close ends the program even while hidden dialogs exist.
    QApplication::setQuitOnLastWindowClosed(false);

    Real_Shell shell;
    Real_Clock clock;
    Real_Icmp_Echo icmp;
    Curl_Http_Get http;
    Environment env;
    env.shell = &shell;
    env.clock = &clock;
    env.icmp = &icmp;
    env.http = &http;

    App_State state;
    // The core's messages (file, build and check errors) in the language the table holds now.
    Lang_Translator core_texts(state.Lang_Table);
    QCoreApplication::installTranslator(&core_texts);
    // The program's folder is the workspace, unless the program is installed: then the
    // user's data folder is.
    const Workspace_Places places = Choose_Workspace(Read_Workspace_Facts(
        QCoreApplication::applicationDirPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    Main_Window main_window(state, env, places);
    main_window.show();

    // For the start-up benchmark: leave as soon as the window has been shown.
    if (qEnvironmentVariableIsSet("QCX3310_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });

    return app.exec();
}
