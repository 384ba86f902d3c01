#include "lang/Lang_Translator.h"

#include "platform/Core_Text.h"

#include <QHash>
#include <cstring>

const QList<Lang_Key> &Core_Text_Keys()
{
    static const QList<Lang_Key> keys = {
        STR_Msg_Line_Column,
        STR_Msg_Row,
        STR_Msg_Attribute_Missing,
        STR_Msg_Doctype_Not_Allowed,
        STR_Msg_Utf8_Invalid_Byte,
        STR_Msg_Utf8_Incomplete,
        STR_Msg_Utf8_Invalid,
        STR_Msg_Char_Not_Allowed,
        STR_Msg_Cannot_Write_Text,
        STR_Msg_Xml_Out_Of_Memory,
        STR_Msg_Xml_Internal,
        STR_Msg_Xml_Tag_Type,
        STR_Msg_Xml_Bad_Pi,
        STR_Msg_Xml_Bad_Comment,
        STR_Msg_Xml_Bad_Cdata,
        STR_Msg_Xml_Bad_Doctype,
        STR_Msg_Xml_Bad_Pcdata,
        STR_Msg_Xml_Bad_Start_Tag,
        STR_Msg_Xml_Bad_Attribute,
        STR_Msg_Xml_Bad_End_Tag,
        STR_Msg_Xml_Tag_Mismatch,
        STR_Msg_Xml_No_Root,
        STR_Msg_File_Too_Long,
        STR_Msg_Folder_Not_Read,
        STR_Msg_Fifo_Not_Read,
        STR_Msg_Device_Not_Read,
        STR_Msg_Socket_Not_Read,
        STR_Msg_Other_Not_Read,
        STR_Msg_Not_Regular_Not_Read,
        STR_Msg_Not_Regular,
        STR_Msg_No_File_Name,
        STR_Msg_Folder_Is_Link,
        STR_Msg_Folder_Error,
        STR_Msg_Is_Folder,
        STR_Msg_Sys_No_Entry,
        STR_Msg_Sys_Access,
        STR_Msg_Sys_Permission,
        STR_Msg_Sys_No_Space,
        STR_Msg_Sys_Quota,
        STR_Msg_Sys_Read_Only,
        STR_Msg_Sys_Is_Dir,
        STR_Msg_Sys_Not_Dir,
        STR_Msg_Sys_Loop,
        STR_Msg_Sys_Name_Too_Long,
        STR_Msg_Sys_IO,
        STR_Msg_Too_Many_Frames,
        STR_Msg_Too_Many_Mappings,
        STR_Msg_No_Images_Built,
        STR_Msg_Folder_Not_Created,
        STR_Msg_Frame_List_Too_Long,
        STR_Msg_CobID_Range_11,
        STR_Msg_CobID_Range_29,
        STR_Msg_Unknown_Type,
        STR_Msg_Dimension_Range,
        STR_Msg_Duplicate_Frame,
        STR_Msg_Send_Timer_Zero,
        STR_Msg_Num_Frame_Not_Number,
        STR_Msg_Num_Frame_Negative,
        STR_Msg_Num_Frame_No_Frame,
        STR_Msg_One_Frame,
        STR_Msg_Frames,
        STR_Msg_Mapping_Left_Out,
        STR_Msg_Register_Range,
        STR_Msg_Identifier_Zero,
        STR_Msg_Zero_None,
        STR_Msg_No_Bytes,
        STR_Msg_Byte_Beyond,
        STR_Msg_Not_A_Number,
        STR_Msg_Duplicate_Register,
        STR_Msg_No_Timeout,
        STR_Msg_Never_Sent,
        STR_Msg_Receive_Map_Unread,
        STR_Msg_Transmit_Map_Unread,
        STR_Msg_And_Left_Out,
        STR_Msg_Nor_Could_It,
    };
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
