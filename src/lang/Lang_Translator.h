#pragma once
// The core writes its messages in English (Core_Text.h); this translator gives them in the
// language of the table. A program with windows installs one for its whole run: it reads the
// live table, so a language change reaches every message composed after it.
#include "lang/Lang_Table.h"

#include <QByteArrayView>
#include <QList>
#include <QTranslator>
#include <optional>

class Lang_Translator : public QTranslator {
public:
    explicit Lang_Translator(const Lang_Table &table, QObject *parent = nullptr);

    // For the core's context: the table's text of the key whose English default is
    // source_text. Anything else is left to the other translators (a null string).
    QString translate(const char *context, const char *source_text, const char *disambiguation = nullptr,
                      int n = -1) const override;
    // It holds no file, yet it always has texts to give.
    bool isEmpty() const override { return false; }

private:
    const Lang_Table &table_;
};

// The keys of the core's messages: STR_Msg_First to STR_Msg_Last, then STR_Msg2_First to
// STR_Msg2_Last, then the ones added at the end of Lang_Key since.
const QList<Lang_Key> &Core_Text_Keys();

// The key whose English default is this text of the core (UTF-8), or none.
std::optional<Lang_Key> Core_Text_Key(QByteArrayView english);
