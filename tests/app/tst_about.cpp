// The About box: its fixed texts, its size, and the way to the maker's home page.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "workspace/App_State.h"
#include "workspace/Environment.h"
#include "dialogs/About_Dialog.h"
#include "app/Main_Window.h"
#include "platform/Web_Host.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

QString Text(QWidget *w, const char *name)
{
    auto *l = w->findChild<QLabel *>(QLatin1String(name));
    return l ? l->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

}  // namespace

class Tst_About : public QObject {
    Q_OBJECT
private slots:
    void texts_and_size();
    void long_workspace_folder_is_shortened();
    void link_and_picture_open_home_page();
    void from_main_window();
};

void Tst_About::texts_and_size()
{
    App_State state;
    state.SW_Desc = SW_Desc_Text;
    Load_Default_Language(state.Lang_Table);
    state.Dir_Exe = QStringLiteral("/home/user/.local/share/QCX3310");
    Environment env;
    About_Dialog about(state, env);
    QCOMPARE(about.windowTitle(), QString("About..."));
    about.show();

    QCOMPARE(Text(&about, "Label1"), QString("Software Variroduvi "));
    QCOMPARE(Text(&about, "Label2"), QString("CAN / Modbus TCP Slave - Converter"));
    QCOMPARE(Text(&about, "Label6"), QString("Software Code : "));
    QCOMPARE(Text(&about, "Label9"), QString("QCX3310"));
    QCOMPARE(Text(&about, "Label3"), QString("Version :"));
    QCOMPARE(Text(&about, "Label10"), QString("1.102"));
    QCOMPARE(Text(&about, "Label8"), QString("Document Code :"));
    QCOMPARE(Text(&about, "Label12"), QString("QDM3310"));
    QCOMPARE(Text(&about, "Label4"), Web_Host());
    QCOMPARE(Text(&about, "L_Workspace"), QString("Workspace folder:"));
    QCOMPARE(Text(&about, "L_Workspace_Dir"), QDir::toNativeSeparators(state.Dir_Exe));
    auto *image = about.findChild<QLabel *>("Image2");
    QVERIFY(image && !image->pixmap().isNull());
    QVERIFY(image->hasScaledContents());

    // Fixed size, every text inside it.
    QCOMPARE(about.size(), QSize(406, 190));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    for (QWidget *child : about.findChildren<QWidget *>()) {
        if (auto *l = qobject_cast<QLabel *>(child); l && !l->text().isEmpty())
            QVERIFY2(l->x() + l->sizeHint().width() <= 406, qPrintable(l->objectName()));
        QVERIFY2(about.rect().contains(child->geometry()), qPrintable(child->objectName()));
    }

    // The description is read at every showing.
    QTest::mouseClick(about.findChild<QPushButton *>("LbButton1"), Qt::LeftButton);
    QCOMPARE(about.result(), int(QDialog::Accepted));
    QVERIFY(!about.isVisible());
    state.SW_Desc = QStringLiteral("Another description");
    about.show();
    QCOMPARE(Text(&about, "Label2"), QString("Another description"));
    QCOMPARE(about.size(), QSize(406, 190));

    // The close box ends it too.
    about.close();
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Rejected));
}

void Tst_About::long_workspace_folder_is_shortened()
{
    App_State state;
    Load_Default_Language(state.Lang_Table);
    state.Dir_Exe = QStringLiteral("/home/") + QString(300, u'x') + QStringLiteral("/QCX3310");
    Environment env;
    About_Dialog about(state, env);
    about.show();
    auto *dir = about.findChild<QLabel *>("L_Workspace_Dir");
    QVERIFY(dir);
    // Both ends stay readable; the whole folder is in the tooltip.
    QVERIFY(dir->text().startsWith(QStringLiteral("/home/")));
    QVERIFY(dir->text().endsWith(QStringLiteral("/QCX3310")));
    QVERIFY(dir->fontMetrics().horizontalAdvance(dir->text()) <= dir->width());
    QCOMPARE(dir->toolTip(), state.Dir_Exe);
}

void Tst_About::link_and_picture_open_home_page()
{
    App_State state;
    Load_Default_Language(state.Lang_Table);
    Fake_Shell shell;
    Environment env;
    env.shell = &shell;
    About_Dialog about(state, env);
    about.show();

    QTest::mouseClick(about.findChild<QLabel *>("Label4"), Qt::LeftButton);
    QTest::mouseClick(about.findChild<QLabel *>("Image2"), Qt::LeftButton);
    // Web_Host comes from QCX3310_WEB_HOST, a loopback address under the test runner.
    const QString home = "http://" + Web_Host() + "/HOME/default.asp?frompg=QCX3310";
    QCOMPARE(shell.Opened, QStringList({home, home}));
    QVERIFY(about.isVisible());

    // Other mouse buttons and the texts open nothing.
    QTest::mouseClick(about.findChild<QLabel *>("Label4"), Qt::RightButton);
    QTest::mouseClick(about.findChild<QLabel *>("Label1"), Qt::LeftButton);
    QCOMPARE(shell.Opened.size(), 2);
}

void Tst_About::from_main_window()
{
    Test_Workspace ws;
    ws.Start();
    App_State &state = ws.state;
    const Fake_Shell &shell = ws.shell;
    Main_Window &main_window = *ws.window;
    Message_Recorder rec;

    // A language change leaves the About box's texts alone, except the workspace's title.
    for (int i = 0; i < state.Lang_Table.size(); ++i) state.Lang_Table.Items[i] = "X";
    main_window.Change_Language();

    QString code, desc, workspace_title, workspace;
    QSize size;
    When_Modal([&] {
        QWidget *about = Active_Modal();
        code = Text(about, "Label9");
        desc = Text(about, "Label2");
        workspace_title = Text(about, "L_Workspace");
        workspace = Text(about, "L_Workspace_Dir");
        size = about->size();
        QTest::mouseClick(about->findChild<QPushButton *>("LbButton1"), Qt::LeftButton);
    });
    QTest::mouseClick(main_window.findChild<QToolButton *>("Btn_Info"), Qt::LeftButton);
    QCOMPARE(code, QString("QCX3310"));
    QCOMPARE(desc, QString("CAN / Modbus TCP Slave - Converter"));
    QCOMPARE(workspace_title, QString("X"));
    QCOMPARE(workspace, QDir::toNativeSeparators(state.Dir_Exe));
    QCOMPARE(size, QSize(406, 190));
    QVERIFY(rec.Errors.isEmpty());
    QVERIFY(shell.Opened.isEmpty());
}

QTEST_MAIN(Tst_About)
#include "tst_about.moc"
