#pragma once
// A shipped language table, a translator installed for the time of one test, and the harness
// that checks the program's messages in each language: a list of cases, each making one message
// in the language of a table, run without a translator (the command-line tools keep their
// English bytes) and with the translator of a shipped language (the message comes out whole in
// it).
#include "lang/Lang_Table.h"
#include "lang/Lang_Translator.h"
#include "test_config.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <utility>

inline const QStringList Shipped_Language_Names = {"Deutsch", "English", "Español", "Français", "Italiano"};

inline Lang_Table Shipped_Table(const QString &name)
{
    Lang_Table table;
    QString language = name;
    Load_Language(table, QStringLiteral(QCX_SHIPPED_LANGUAGE_DIR), language);
    if (language != name) qFatal("no shipped language %s", qPrintable(name));
    return table;
}

// The translator for the time of one test.
struct Installed_Translator {
    Lang_Translator translator;
    explicit Installed_Translator(const Lang_Table &table) : translator(table)
    {
        QCoreApplication::installTranslator(&translator);
    }
    ~Installed_Translator() { QCoreApplication::removeTranslator(&translator); }
};

// One message: the text the program made, and the text it must be when put together from the
// words of table t.
struct Message {
    QString Text;
    QString Expected;
};
// A case writes what it needs into dir (an empty folder) and makes its message with table t.
using Message_Case = std::function<Message(const Lang_Table &t, const QString &dir)>;
using Message_Cases = QList<std::pair<const char *, Message_Case>>;

// The rows of the English check: "index" and "english", the message in English ({dir} stands
// for the test's folder), one for each case.
inline void Add_English_Rows(const Message_Cases &cases, const QStringList &english)
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("english");
    QCOMPARE(english.size(), cases.size());
    for (int i = 0; i < cases.size(); ++i) QTest::newRow(cases[i].first) << i << english[i];
}

// The rows of the translated check: each case in each of languages, with its English as above.
inline void Add_Language_Rows(const Message_Cases &cases, const QStringList &english, const QStringList &languages)
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("english");
    QCOMPARE(english.size(), cases.size());
    for (const QString &language : languages)
        for (int i = 0; i < cases.size(); ++i)
            QTest::newRow(qPrintable(language + QStringLiteral(": ") + QLatin1String(cases[i].first)))
                << language << i << english[i];
}

// Without a translator the message is the English, and so is what the English table puts
// together.
inline void Check_English_Message(const Message_Cases &cases)
{
    QFETCH(int, index);
    QFETCH(QString, english);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Lang_Table defaults;
    Load_Default_Language(defaults);
    const Message m = cases[index].second(defaults, dir.path());
    english.replace(QStringLiteral("{dir}"), dir.path());
    QCOMPARE(m.Text, english);
    QCOMPARE(m.Expected, english);
}

// With the translator of the row's language the message is the one put together from that
// language's words, and not the English.
inline void Check_Translated_Message(const Message_Cases &cases)
{
    QFETCH(QString, language);
    QFETCH(int, index);
    QFETCH(QString, english);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Lang_Table table = Shipped_Table(language);
    const Installed_Translator installed(table);
    const Message m = cases[index].second(table, dir.path());
    QCOMPARE(m.Text, m.Expected);
    english.replace(QStringLiteral("{dir}"), dir.path());
    QVERIFY2(m.Text != english, qPrintable(m.Text));
}
