// The main window's register map: the button writes the open configuration's map in the format
// the file's name (or the chosen filter) asks for, says where it went, and says why when the
// configuration cannot be read.
#include "Run_Program.h"
#include "Test_Support.h"
#include "Test_Workspace.h"

#include "lang/Lang_Table.h"

#include <QPushButton>
#include <QtTest>

class Tst_Register_Map_Button : public QObject {
    Q_OBJECT
private slots:
    void writes_the_format_asked_for_data();
    void writes_the_format_asked_for();
    void a_configuration_that_cannot_be_read_is_reported();
    void the_suggested_name_is_in_the_language_data();
    void the_suggested_name_is_in_the_language();
};

void Tst_Register_Map_Button::writes_the_format_asked_for_data()
{
    QTest::addColumn<QString>("answer");    // the name the user gives, "" for Cancel
    QTest::addColumn<QString>("filter");    // the filter chosen
    QTest::addColumn<QString>("written");   // the file written, "" for none
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("csv by name") << "map.csv" << "PDF (*.pdf)" << "map.csv" << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("html by name") << "map.HTML" << "CSV (*.csv)" << "map.HTML" << QByteArray("<!DOCTYPE html>");
    QTest::newRow("pdf by name") << "map.pdf" << "CSV (*.csv)" << "map.pdf" << QByteArray("%PDF-");
    QTest::newRow("no extension: the filter's") << "map" << "HTML (*.html)" << "map.html" << QByteArray("<!DOCTYPE html>");
    QTest::newRow("another extension: the filter's added") << "map.v2" << "CSV (*.csv)" << "map.v2.csv"
                                                           << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("cancel") << "" << "PDF (*.pdf)" << "" << QByteArray();
}

void Tst_Register_Map_Button::writes_the_format_asked_for()
{
    QFETCH(QString, answer);
    QFETCH(QString, filter);
    QFETCH(QString, written);
    QFETCH(QByteArray, starts);
    Test_Workspace f;
    f.Start();
    Message_Recorder messages;
    const QString config = f.Open_Configuration("Map", "images/example");
    QString suggested;
    f.window->Ask_Map_Path = [&](QWidget *, const QString &proposal, QString *chosen) {
        suggested = proposal;
        *chosen = filter;
        return answer.isEmpty() ? QString() : f.Path(answer);
    };
    f.Click("Btn_Register_Map");
    QVERIFY2(suggested.startsWith(config + "/"), qPrintable(suggested));
    QCOMPARE(messages.Errors, QStringList());
    if (written.isEmpty()) {
        QCOMPARE(messages.Notes, QStringList());
        QCOMPARE(QDir(f.dir.path()).entryList({"map*"}), QStringList());
        return;
    }
    QCOMPARE(QDir(f.dir.path()).entryList({"map*"}), QStringList{written});
    const QByteArray bytes = Read_All(f.Path(written));
    QVERIFY2(bytes.startsWith(starts), bytes.left(40).constData());
    QCOMPARE(messages.Notes.size(), 1);
    QVERIFY2(messages.Notes[0].contains(written) && messages.Notes[0].contains("2 registers"), qPrintable(messages.Notes[0]));
    if (starts == "%PDF-") {
        // The registers of the example (10 and 20) as another program reads them.
        const QString text = Pdf_Text(f.Path(written));
        if (text.isNull()) QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY2(text.contains(QRegularExpression("receive\\s+10\\s")) && text.contains(QRegularExpression("transmit\\s+20\\s")),
                 qPrintable(text));
    }
}

void Tst_Register_Map_Button::a_configuration_that_cannot_be_read_is_reported()
{
    Test_Workspace f;
    f.Start();
    Message_Recorder messages;
    const QString config = f.Open_Configuration("Broken", "images/example");
    Write_All(config + "/Define_CAN_Receive.xml", "<DefineRecJ1939><row Num_Frame=\"0\"");
    f.window->Ask_Map_Path = [&](QWidget *, const QString &, QString *) { return f.Path("map.csv"); };
    f.Click("Btn_Register_Map");
    QCOMPARE(messages.Errors.size(), 1);
    QVERIFY2(messages.Errors[0].startsWith(QString::fromUtf16(Lang_Default_Texts[STR_Register_Map_Not_Written])) &&
                 messages.Errors[0].contains("Define_CAN_Receive.xml"),
             qPrintable(messages.Errors[0]));
    QVERIFY(!QFile::exists(f.Path("map.csv")));
    QCOMPARE(messages.Notes, QStringList());
}

void Tst_Register_Map_Button::the_suggested_name_is_in_the_language_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("name");
    QTest::newRow("English") << "English" << "Map register map.pdf";
    QTest::newRow("Deutsch") << "Deutsch" << "Map Registerliste.pdf";
    QTest::newRow("Español") << "Español" << "Map mapa de registros.pdf";
    QTest::newRow("Français") << "Français" << "Map table des registres.pdf";
    QTest::newRow("Italiano") << "Italiano" << "Map mappa dei registri.pdf";
}

void Tst_Register_Map_Button::the_suggested_name_is_in_the_language()
{
    // The name offered is the user's to read; the file's content stays the same in every
    // language.
    QFETCH(QString, language);
    QFETCH(QString, name);
    Test_Workspace f;
    f.Copy_Shipped_Languages();
    f.Start();
    Message_Recorder messages;
    const QString config = f.Open_Configuration("Map", "images/example");
    f.Switch_Language(language);
    QString suggested;
    f.window->Ask_Map_Path = [&](QWidget *, const QString &proposal, QString *) {
        suggested = proposal;
        return f.Path("map.csv");
    };
    f.Click("Btn_Register_Map");
    QCOMPARE(suggested, config + "/" + name);
    QVERIFY2(Read_All(f.Path("map.csv")).contains("receive"), Read_All(f.Path("map.csv")).left(200).constData());
}

QTEST_MAIN(Tst_Register_Map_Button)
#include "tst_register_map_button.moc"
