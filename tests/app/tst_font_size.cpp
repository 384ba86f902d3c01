// The windows of fixed size on a desktop with larger letters. The whole test runs as a desktop
// scaled to 150 % runs the program (QT_FONT_DPI=144: a pixel of the window is a pixel and a half
// of the screen); each case adds an application font of its own size, as a desktop whose font
// is set larger gives it. Every text must stay whole and every control inside its window.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "Text_Fit.h"
#include "app/Main_Window.h"
#include "dialogs/About_Dialog.h"
#include "dialogs/New_Configuration_Dialog.h"
#include "dialogs/Open_Configuration_Dialog.h"
#include "dialogs/Options_Dialog.h"
#include "dialogs/Settings_Dialog.h"
#include "widgets/Font_Scale.h"

#include "widgets/Dialog_Panels.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

// Every visible control of window that reaches beyond the window.
QStringList Outside(QWidget *window)
{
    QStringList outside;
    const QRect room(QPoint(), window->size());
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisibleTo(window)) continue;
        const QRect place(w->mapTo(window, QPoint()), w->size());
        if (!room.contains(place))
            outside.append(QStringLiteral("%1 at %2,%3 %4x%5 outside %6x%7")
                               .arg(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName())
                               .arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height())
                               .arg(room.width()).arg(room.height()));
    }
    return outside;
}

// The rows of the window's picture where a dark line crosses the separator's width.
QList<int> Dark_Rows(QWidget *window, const QRect &area)
{
    const QImage picture = window->grab(area).toImage();
    QList<int> rows;
    for (int y = 0; y < picture.height(); ++y) {
        int dark = 0;
        for (int x = 0; x < picture.width(); ++x) dark += qGray(picture.pixel(x, y)) < 128;
        if (dark > picture.width() * 3 / 4) rows.append(y);
    }
    return rows;
}

class Application_Font {
public:
    explicit Application_Font(double points) : kept_(QApplication::font())
    {
        QFont font = kept_;
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }
    ~Application_Font() { QApplication::setFont(kept_); }

private:
    QFont kept_;
};

}  // namespace

class Tst_Font_Size : public QObject {
    Q_OBJECT
private slots:
    void windows_grow_with_the_font_data();
    void windows_grow_with_the_font();
    void usual_font_keeps_the_drawn_sizes();
    void separator_shows_at_a_fractional_scale();
};

void Tst_Font_Size::windows_grow_with_the_font_data()
{
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("language");
    QTest::newRow("9 pt, English") << 9.0 << "English";
    QTest::newRow("11 pt, English") << 11.0 << "English";
    QTest::newRow("11 pt, Deutsch") << 11.0 << "Deutsch";
    QTest::newRow("13.5 pt, Français") << 13.5 << "Français";
    QTest::newRow("16 pt, Italiano") << 16.0 << "Italiano";
}

void Tst_Font_Size::windows_grow_with_the_font()
{
    QFETCH(double, points);
    QFETCH(QString, language);
    Application_Font font(points);
    Test_Workspace f;
    f.Copy_Shipped_Languages();
    f.Start();
    f.Open_Configuration(QStringLiteral("Large"), QStringLiteral("images/example"));
    f.Switch_Language(language);
    Message_Recorder messages;

    QStringList faults;
    auto look = [&](const QString &where, QWidget *window) {
        window->show();
        QCoreApplication::processEvents();
        for (const QString &c : Cut_Texts(window)) faults.append(where + QStringLiteral(": ") + c);
        for (const QString &o : Outside(window)) faults.append(where + QStringLiteral(": ") + o);
    };
    look(QStringLiteral("main window"), f.window.get());
    App_Windows &w = f.window->Windows();
    const QList<QPair<QString, QDialog *>> dialogs = {
        {"About", w.About},
        {"settings", w.Settings},
        {"new configuration", w.New_Configuration},
        {"open configuration", w.Open_Configuration},
    };
    for (const auto &[where, dialog] : dialogs) {
        look(where, dialog);
        dialog->hide();
    }
    // The settings with the line that says they are not stored yet (no ParGen.xml).
    QFile::remove(f.state.Files.ParGen);
    QVERIFY(w.Settings->FormShow());
    look(QStringLiteral("settings, not stored"), w.Settings);
    w.Settings->hide();
    auto *pages = w.Options->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
    for (int page = 0; page < pages->count(); ++page) {
        w.Options->show();
        pages->setCurrentIndex(page);
        look(QStringLiteral("options page %1").arg(page + 1), w.Options);
    }
    w.Options->hide();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));

    // The main window keeps its drawing, larger in proportion.
    const double k = std::max(1.0, points / 9.0);
    QCOMPARE(f.window->size(), QSize(Scaled(694, k), Scaled(440, k)));
    QCOMPARE(f.window->findChild<QPushButton *>("Btn_CreateBin")->geometry(),
             QRect(Scaled(80, k), Scaled(288, k), Scaled(170, k), Scaled(36, k)));
}

void Tst_Font_Size::usual_font_keeps_the_drawn_sizes()
{
    // A font smaller than the usual one shrinks nothing; the usual one gives the drawn pixels.
    for (const double points : {7.0, 9.0}) {
        Application_Font font(points);
        Test_Workspace f;
        f.Start();
        QCOMPARE(f.window->size(), QSize(694, 440));
        QCOMPARE(f.window->Windows().About->size(), QSize(406, 190));
        // The two fixed dialogs widen only for a title the window manager could not write whole.
        QWidget *settings = f.window->Windows().Settings;
        QCOMPARE(settings->width(), std::max(312, Title_Width_Need(settings)));
        QWidget *new_configuration = f.window->Windows().New_Configuration;
        QCOMPARE(new_configuration->size(), QSize(std::max(331, Title_Width_Need(new_configuration)), 162));
        QCOMPARE(f.window->Windows().Options->size(), QSize(500, 430));
    }
}

void Tst_Font_Size::separator_shows_at_a_fractional_scale()
{
    QVERIFY2(qApp->devicePixelRatio() == 1.5, "the test runs as at 150 %");
    Test_Workspace f;
    f.Start();
    f.window->show();
    QCoreApplication::processEvents();
    auto *separator = f.window->findChild<QFrame *>(QStringLiteral("Separator"));
    QVERIFY(separator);
    // Between Step 5's buttons and Step 6's, across the window.
    const int below_step_5 = f.window->findChild<QPushButton *>("Btn_CreateBin")->geometry().bottom();
    const int above_step_6 = f.window->findChild<QPushButton *>("Btn_Monitor")->geometry().top();
    const QRect band(separator->x(), below_step_5 + 1, separator->width(), above_step_6 - below_step_5 - 1);
    QVERIFY(band.contains(separator->geometry()));
    // One line of the picture, a pixel and a half of the screen.
    const QList<int> rows = Dark_Rows(f.window.get(), band);
    QVERIFY2(!rows.isEmpty() && rows.size() <= 2, qPrintable(QString::number(rows.size())));
}

int main(int argc, char **argv)
{
    // Before the application exists: the screen's scale is fixed when it starts.
    qputenv("QT_FONT_DPI", "144");
    QApplication app(argc, argv);
    Tst_Font_Size test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_font_size.moc"
