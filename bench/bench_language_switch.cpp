// How long a language choice in the options dialog takes: reloading the 187 texts from the
// language file and re-applying them to every window. Also the dialog's showing (listing the
// language files and loading their flags). Prints milliseconds; the aim is well under 100 ms,
// so that the whole interface changes at once.
#include "workspace/App_State.h"
#include "workspace/Environment.h"
#include "app/Main_Window.h"
#include "dialogs/Options_Dialog.h"
#include "widgets/Message_Box.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

class Always_Yes : public Message_Box::Handler {
public:
    void Error(QWidget *, const QString &) override {}
    bool Ask(QWidget *, const QString &) override { return true; }
};

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("LANGUAGE"));
    const QString shipped = QStringLiteral(QCX_WORKSPACE_DIR "/LANGUAGE");
    for (const QString &file : QDir(shipped).entryList(QDir::Files))
        QFile::copy(shipped + QLatin1Char('/') + file, dir.path() + QStringLiteral("/LANGUAGE/") + file);

    Always_Yes yes;
    Message_Box::Install(&yes);
    App_State state;
    Environment env;
    Main_Window main_window(state, env, dir.path());
    main_window.Create_Dialogs();
    Options_Dialog *options = main_window.Windows().Options;

    QList<double> show_ms, switch_ms;
    QElapsedTimer timer;
    for (int run = 0; run < 25; ++run) {
        timer.start();
        options->show();
        show_ms.append(timer.nsecsElapsed() / 1e6);

        const int shown = int(std::min<qsizetype>(options->Languages().size(), 6));
        if (shown == 0) {
            std::fprintf(stderr, "no language files in %s\n", qPrintable(shipped));
            return 1;
        }
        auto *label = options->findChild<QLabel *>(QStringLiteral("L_L%1").arg(run % shown + 1));
        timer.start();
        options->LangClick(label);
        switch_ms.append(timer.nsecsElapsed() / 1e6);
        options->hide();
    }
    Message_Box::Install(nullptr);

    std::printf("languages shipped:             %lld\n", static_cast<long long>(options->Languages().size()));
    std::printf("options dialog shown (median): %.2f ms\n", Median(show_ms));
    std::printf("language switch (median):      %.2f ms\n", Median(switch_ms));
    std::printf("language switch (worst):       %.2f ms\n", *std::max_element(switch_ms.begin(), switch_ms.end()));
    return 0;
}
