#include "editing/Storable_Text.h"

#include "platform/Xml_Document.h"

QString Unstorable_Text_Message(const Lang_Table &texts, const QString &text)
{
    const std::optional<char32_t> c = First_Unstorable_Char(text);
    if (!c) return QString();
    return texts[STR_Text_Not_Storable].arg(QStringLiteral("U+%1").arg(uint(*c), 4, 16, QLatin1Char('0')).toUpper());
}
