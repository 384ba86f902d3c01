#include "exchange/Dbc_Lexer.h"

#include <QSet>

namespace Dbc_Text {

namespace {

const QSet<QString> &Keywords()
{
    static const QSet<QString> set{
        "VERSION", "NS_", "BS_", "BU_", "BO_", "SG_", "EV_", "CM_", "BA_DEF_", "BA_DEF_DEF_", "BA_",
        "VAL_", "VAL_TABLE_", "BO_TX_BU_", "SIG_VALTYPE_", "SIG_GROUP_", "SG_MUL_VAL_", "BA_DEF_REL_",
        "BA_DEF_DEF_REL_", "BA_REL_", "BA_SGTYPE_", "BA_DEF_SGTYPE_", "SGTYPE_", "SGTYPE_VAL_",
        "SIG_TYPE_REF_", "ENVVAR_DATA_", "EV_DATA_", "CAT_DEF_", "CAT_", "FILTER", "SIGTYPE_VALTYPE_",
        "NS_DESC_", "BU_SG_REL_", "BU_EV_REL_", "BU_BO_REL_"};
    return set;
}

}  // namespace

bool Is_Keyword(const QString &word) { return Keywords().contains(word); }

bool Is_Statement_Word(const QString &word)
{
    if (Keywords().contains(word)) return true;
    if (word.isEmpty() || !word[0].isUpper()) return false;
    for (const QChar c : word)
        if (!(c.isUpper() || c.isDigit() || c == u'_') || c.unicode() > 127) return false;
    return word.contains(u'_');
}

}  // namespace Dbc_Text
