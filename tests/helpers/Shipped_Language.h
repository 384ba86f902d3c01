#pragma once
// A shipped language table, and a translator installed for the time of one test: how the core's
// messages are checked in each language.
#include "lang/Lang_Table.h"
#include "lang/Lang_Translator.h"
#include "test_config.h"

#include <QCoreApplication>

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
