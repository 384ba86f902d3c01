#include "lang/Lang_Translator.h"

#include "platform/Core_Text.h"

#include <QHash>
#include <cstring>

const QList<Lang_Key> &Core_Text_Keys()
{
    static const QList<Lang_Key> keys = [] {
        QList<Lang_Key> all;
        for (int key = STR_Msg_First; key <= STR_Msg_Last; ++key)
            if (key < STR_Msg_Retired_First || key > STR_Msg_Retired_Last) all.append(Lang_Key(key));
        for (int key = STR_Msg2_First; key <= STR_Msg2_Last; ++key) all.append(Lang_Key(key));
        for (Lang_Key key : {STR_Msg_Module_Other_Version}) all.append(key);
        return all;
    }();
    return keys;
}

std::optional<Lang_Key> Core_Text_Key(QByteArrayView english)
{
    // Made from the English defaults themselves, so that the code's text and the table's
    // default can never be two different spellings of one message.
    static const QHash<QByteArray, Lang_Key> by_text = [] {
        QHash<QByteArray, Lang_Key> map;
        for (Lang_Key key : Core_Text_Keys()) map.insert(QString::fromUtf16(Lang_Default_Texts[key]).toUtf8(), key);
        return map;
    }();
    const auto it = by_text.constFind(QByteArray::fromRawData(english.data(), english.size()));
    if (it == by_text.constEnd()) return std::nullopt;
    return *it;
}

namespace {

// Which of %1 to %9 a text holds, one bit each.
unsigned Placeholders(const QString &text)
{
    unsigned set = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == u'%' && text[i + 1] >= u'1' && text[i + 1] <= u'9') set |= 1u << (text[i + 1].unicode() - u'0');
    return set;
}

}  // namespace

Lang_Translator::Lang_Translator(const Lang_Table &table, QObject *parent) : QTranslator(parent), table_(table) {}

QString Lang_Translator::translate(const char *context, const char *source_text, const char * /*disambiguation*/,
                                   int /*n*/) const
{
    if (!context || !source_text || std::strcmp(context, Core_Text_Context) != 0) return {};
    const std::optional<Lang_Key> key = Core_Text_Key(QByteArrayView(source_text, qsizetype(std::strlen(source_text))));
    // Before the first Load_Language the table is empty: the English text stands.
    if (!key || *key >= table_.size()) return {};
    const QString &text = table_[*key];
    // A text that lost its words or a place for a value (a language file edited by hand) would
    // make the message say less than the English one, or put a value in the wrong place.
    if (text.isEmpty() || Placeholders(text) != Placeholders(QString::fromUtf16(Lang_Default_Texts[*key]))) return {};
    return text;
}
