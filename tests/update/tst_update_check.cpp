// Update Device checks the configuration first: warnings are listed in one window where the
// user goes on to the images and the update, or back without anything written; a clean
// configuration and one with errors never see the window.
#include "Test_Support.h"
#include "Test_Workspace.h"
#include "dialogs/Check_Window.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class Tst_Update_Check : public QObject {
    Q_OBJECT
private slots:
    void warnings_are_shown_before_the_images_data();
    void warnings_are_shown_before_the_images();
    void no_window_without_warnings_data();
    void no_window_without_warnings();
};

void Tst_Update_Check::warnings_are_shown_before_the_images_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("go_on");
    QTest::addColumn<QString>("shown");  // a part of the listed rows
    QTest::newRow("go back") << "check/duplicate-register" << false << "Define_CAN_";
    QTest::newRow("go on") << "check/duplicate-register" << true << "Define_CAN_";
    // A new configuration whose settings were never confirmed: the device would get its own.
    QTest::newRow("settings not stored")
        << "check/settings-not-stored" << false
        << "ParGen.xml: the settings are not stored, so the device gets its own: CAN 125000 bit/s, IP address "
           "192.168.2.205, subnet mask 255.255.255.0, Modbus TCP port 10001. To choose others, open Set "
           "Communication and confirm with OK";
    QTest::newRow("Cob-ID in plain digits") << "check/identifier-typed-decimal" << false
                                            << "CAN_Receive.xml:1 Cob-ID 181 is a decimal number to the device";
}

void Tst_Update_Check::warnings_are_shown_before_the_images()
{
    QFETCH(QString, fixture);
    QFETCH(bool, go_on);
    QFETCH(QString, shown);
    Test_Workspace ws;
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"), fixture);
    Message_Recorder messages;

    QStringList windows;
    QStringList rows;
    When_Modal([&] {
        auto *check = qobject_cast<Check_Window *>(Active_Modal());
        windows.append(Active_Modal()->objectName());
        if (!check) {
            Active_Modal()->close();
            return;
        }
        QTableWidget *table = check->Table();
        for (int r = 0; r < table->rowCount(); ++r)
            rows.append(table->item(r, 1)->text() + u':' + table->item(r, 2)->text() + u' ' + table->item(r, 0)->text());
        // The update dialog that follows Go on is closed by the next watcher.
        if (go_on) When_Modal([&windows] {
            windows.append(Active_Modal()->objectName());
            Active_Modal()->close();
        });
        QTest::mouseClick(check->findChild<QPushButton *>(go_on ? "Btn_Go_On" : "Btn_Go_Back"), Qt::LeftButton);
    });
    ws.Click("Btn_CreateBin");

    QVERIFY(!rows.isEmpty());
    QVERIFY2(rows.join(u' ').contains(shown), qPrintable(rows.join(u' ')));
    QCOMPARE(messages.Errors, QStringList());
    if (go_on) {
        QCOMPARE(windows, QStringList({"TFCheck", "TFBootTCP"}));
        QVERIFY(QFile::exists(ws.state.Files.Bank1));
        QVERIFY(QFile::exists(ws.state.Files.Bank2));
    } else {
        QCOMPARE(windows, QStringList({"TFCheck"}));
        QVERIFY(!QFile::exists(ws.state.Files.Bank1));
    }
}

void Tst_Update_Check::no_window_without_warnings_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("builds");
    QTest::newRow("clean") << "check/clean" << true;
    QTest::newRow("error: the build's own message, no window") << "check/missing-attribute" << false;
}

void Tst_Update_Check::no_window_without_warnings()
{
    QFETCH(QString, fixture);
    QFETCH(bool, builds);
    Test_Workspace ws;
    ws.Start();
    ws.Open_Configuration(QStringLiteral("Line 1"), fixture);
    Message_Recorder messages;
    QStringList windows;
    When_Modal([&windows] {
        windows.append(Active_Modal()->objectName());
        Active_Modal()->close();
    });
    ws.Click("Btn_CreateBin");
    if (builds) {
        QCOMPARE(windows, QStringList{"TFBootTCP"});
        QCOMPARE(messages.Errors, QStringList());
    } else {
        QCOMPARE(messages.Errors.size(), 1);
        QVERIFY(messages.Errors[0].startsWith(QLatin1String("The device images could not be built.")));
        QVERIFY(!QFile::exists(ws.state.Files.Bank1));
    }
}

QTEST_MAIN(Tst_Update_Check)
#include "tst_update_check.moc"
