// The layers of the source tree hold: every file includes only its own folder and the folders
// below it, as src/CMakeLists.txt declares them (its qcx_layer lines are the one list of
// allowed arrows), and nothing of the core reaches for a Qt module with windows in it. The
// include roots already stop most upward includes at compile time; this test also catches
// what include paths cannot: "../" paths, Qt headers reached through Qt's own include root,
// and the tools, which must stay below the windows (the core, and the drawing layers that use
// Qt Gui for documents but no widgets).
#include "test_config.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

struct Layers {
    QStringList Order;                 // as declared, lowest first
    QHash<QString, QSet<QString>> Below;  // every layer a layer may include, itself included
    QSet<QString> Windows;             // layers with Qt Widgets somewhere below them
    QSet<QString> Drawing;             // layers with Qt Gui but no Qt Widgets below them
};

// Reads the qcx_layer(<name> LINKS ...) lines and closes the arrows over the links.
Layers Read_Layers(const QString &cmake_file)
{
    QFile file(cmake_file);
    if (!file.open(QIODevice::ReadOnly)) return {};
    Layers layers;
    QHash<QString, QStringList> links;
    QSet<QString> widgets, gui;
    const QRegularExpression line(QStringLiteral(R"(^qcx_layer\((\w+)\s+LINKS\s+([^)]*)\))"),
                                  QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromUtf8(file.readAll())); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1);
        layers.Order.append(name);
        for (const QString &link : m.captured(2).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
            if (link.startsWith(QLatin1String("qcx_"))) links[name].append(link.mid(4));
            if (link == QLatin1String("Qt6::Widgets")) widgets.insert(name);
            if (link == QLatin1String("Qt6::Gui")) gui.insert(name);
        }
    }
    for (const QString &name : layers.Order) {
        QSet<QString> below{name};
        bool windows = widgets.contains(name);
        bool drawing = gui.contains(name);
        for (const QString &link : links.value(name)) {
            below.unite(layers.Below.value(link));  // declared before, so already closed
            windows = windows || layers.Windows.contains(link);
            drawing = drawing || layers.Drawing.contains(link);
        }
        layers.Below.insert(name, below);
        if (windows)
            layers.Windows.insert(name);
        else if (drawing)
            layers.Drawing.insert(name);
    }
    return layers;
}

struct Include {
    int Line;
    QString Text;   // between the quotes or angle brackets
    bool Quoted;
};

QList<Include> Includes_Of(const QString &path)
{
    QList<Include> includes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return includes;
    const QRegularExpression re(QStringLiteral(R"(^\s*#\s*include\s*([<"])([^">]+)[">])"));
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QRegularExpressionMatch m = re.match(QString::fromUtf8(file.readLine()));
        if (m.hasMatch()) includes.append({number, m.captured(2), m.captured(1) == QLatin1String("\"")});
    }
    return includes;
}

QStringList Sources_Under(const QString &dir)
{
    QStringList files;
    QDirIterator it(dir, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files.append(it.next());
    files.sort();
    return files;
}

// The Qt module of an angle include, or an empty text for a header that is not Qt's.
QString Qt_Module_Of(const QString &header)
{
    static const QString root = QLibraryInfo::path(QLibraryInfo::HeadersPath);
    if (header.startsWith(QLatin1String("Qt")) && header.contains(u'/')) return header.section(u'/', 0, 0);
    if (!header.startsWith(u'Q') || header.contains(u'.')) return {};
    for (const char *module : {"QtCore", "QtGui", "QtWidgets", "QtNetwork", "QtTest"}) {
        if (QFileInfo::exists(root + u'/' + QLatin1String(module) + u'/' + header)) return QLatin1String(module);
    }
    return {};
}

// The faults of one file: each as "<file>:<line>: <include> <why>".
QStringList Check_File(const QString &file, const QString &layer, const Layers &layers, bool core_only)
{
    QStringList faults;
    const QSet<QString> allowed = core_only ? QSet<QString>() : layers.Below.value(layer);
    auto fault = [&](const Include &inc, const QString &why) {
        faults.append(QStringLiteral("%1:%2: %3 %4").arg(QDir(QStringLiteral(QCX_SOURCE_DIR)).relativeFilePath(file))
                          .arg(inc.Line).arg(inc.Text, why));
    };
    // Tools may draw (Qt Gui) but not make windows; so may the drawing layers. The core does neither.
    const bool windows = !core_only && layers.Windows.contains(layer);
    const bool drawing = core_only || layers.Drawing.contains(layer);
    for (const Include &inc : Includes_Of(file)) {
        if (inc.Text.contains(QLatin1String(".."))) {
            fault(inc, QStringLiteral("leaves its folder by a relative path"));
            continue;
        }
        if (inc.Quoted && inc.Text.contains(u'/')) {
            const QString folder = inc.Text.section(u'/', 0, 0);
            if (!layers.Below.contains(folder)) continue;  // not one of ours (a test's helper)
            const bool ok = core_only ? !layers.Windows.contains(folder) : allowed.contains(folder);
            if (!ok) fault(inc, QStringLiteral("points up from %1").arg(core_only ? QStringLiteral("a core tool") : layer));
        } else if (!inc.Quoted && !windows) {
            const QString module = Qt_Module_Of(inc.Text);
            if (module == QLatin1String("QtWidgets") || (module == QLatin1String("QtGui") && !drawing))
                fault(inc, QStringLiteral("is a window header in %1")
                               .arg(core_only ? QStringLiteral("a tool") : drawing ? QStringLiteral("a drawing layer") : QStringLiteral("the core")));
        }
    }
    return faults;
}

}  // namespace

class Tst_Layers : public QObject {
    Q_OBJECT
private slots:
    void the_declared_layers_are_read();
    void checker_finds_planted_faults_data();
    void checker_finds_planted_faults();
    void every_include_points_down();
};

void Tst_Layers::the_declared_layers_are_read()
{
    const Layers layers = Read_Layers(QStringLiteral(QCX_SOURCE_DIR "/src/CMakeLists.txt"));
    QVERIFY(layers.Order.contains(QStringLiteral("platform")));
    QVERIFY(layers.Order.contains(QStringLiteral("app")));
    // Every folder of src/ is a declared layer, so no file escapes the check.
    for (const QString &folder : QDir(QStringLiteral(QCX_SOURCE_DIR "/src")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        QVERIFY2(layers.Order.contains(folder), qPrintable(folder + " is no declared layer"));
    QVERIFY(layers.Below[QStringLiteral("app")].contains(QStringLiteral("platform")));
    QVERIFY(!layers.Below[QStringLiteral("config")].contains(QStringLiteral("workspace")));
    QVERIFY(layers.Windows.contains(QStringLiteral("dialogs")));
    QVERIFY(!layers.Windows.contains(QStringLiteral("update")));
    QVERIFY(layers.Drawing.contains(QStringLiteral("documents")));
    QVERIFY(!layers.Drawing.contains(QStringLiteral("exchange")));
    QVERIFY(!layers.Drawing.contains(QStringLiteral("dialogs")));
}

void Tst_Layers::checker_finds_planted_faults_data()
{
    QTest::addColumn<QString>("layer");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("faulty");
    QTest::newRow("config includes the global state") << "config" << QByteArray("#include \"workspace/App_State.h\"\n") << true;
    QTest::newRow("config includes platform") << "config" << QByteArray("#include \"platform/Int_Text.h\"\n") << false;
    QTest::newRow("core includes a widget by module path") << "config" << QByteArray("#include <QtWidgets/QWidget>\n") << true;
    QTest::newRow("core includes a widget by class") << "editing" << QByteArray("#  include <QWidget>\n") << true;
    QTest::newRow("core includes a gui class") << "lang" << QByteArray("#include <QColor>\n") << true;
    QTest::newRow("core includes a core class") << "lang" << QByteArray("#include <QString>\n") << false;
    QTest::newRow("relative path out of the folder") << "editing" << QByteArray("#include \"../app/Main_Window.h\"\n") << true;
    QTest::newRow("dialog includes the main window") << "dialogs" << QByteArray("#include \"app/Main_Window.h\"\n") << true;
    QTest::newRow("dialog includes a widget") << "dialogs" << QByteArray("#include \"widgets/Octet_Row.h\"\n#include <QWidget>\n") << false;
    QTest::newRow("tool includes a dialog") << "" << QByteArray("#include \"dialogs/Settings_Dialog.h\"\n") << true;
    QTest::newRow("tool includes the builder") << "" << QByteArray("#include \"config/Image_Builder.h\"\n") << false;
    QTest::newRow("tool includes a document") << "" << QByteArray("#include \"documents/Register_Map_Pdf.h\"\n") << false;
    QTest::newRow("tool draws") << "" << QByteArray("#include <QGuiApplication>\n") << false;
    QTest::newRow("tool makes a window") << "" << QByteArray("#include <QWidget>\n") << true;
    QTest::newRow("drawing layer draws") << "documents" << QByteArray("#include <QPdfWriter>\n") << false;
    QTest::newRow("drawing layer makes a window") << "documents" << QByteArray("#include <QtWidgets/QLabel>\n") << true;
    QTest::newRow("drawing layer includes a dialog") << "documents" << QByteArray("#include \"dialogs/Settings_Dialog.h\"\n") << true;
}

void Tst_Layers::checker_finds_planted_faults()
{
    QFETCH(QString, layer);
    QFETCH(QByteArray, source);
    QFETCH(bool, faulty);
    const Layers layers = Read_Layers(QStringLiteral(QCX_SOURCE_DIR "/src/CMakeLists.txt"));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("Probe.cpp")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(source);
    file.close();
    const QStringList faults = Check_File(file.fileName(), layer, layers, layer.isEmpty());
    QCOMPARE(!faults.isEmpty(), faulty);
}

void Tst_Layers::every_include_points_down()
{
    const Layers layers = Read_Layers(QStringLiteral(QCX_SOURCE_DIR "/src/CMakeLists.txt"));
    QStringList faults;
    for (const QString &layer : layers.Order) {
        for (const QString &file : Sources_Under(QStringLiteral(QCX_SOURCE_DIR "/src/") + layer))
            faults += Check_File(file, layer, layers, false);
    }
    // The command-line tools build on the core and the drawing layers, never on windows.
    for (const QString &file : Sources_Under(QStringLiteral(QCX_SOURCE_DIR "/tools")))
        faults += Check_File(file, QString(), layers, true);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
}

QTEST_GUILESS_MAIN(Tst_Layers)
#include "tst_core_layers.moc"
