#include "editing/Par_Gen_Check.h"

#include "platform/Int_Text.h"

Par_Gen_Texts Par_Gen_Defaults()
{
    Par_Gen_Texts t;
    t.CAN_BAUDRATE = QString::number(Default_Baud_Code);
    const char *ip[4] = {"192", "168", "0", "10"};
    const char *sm[4] = {"255", "255", "255", "0"};
    const char *gat[4] = {"192", "168", "0", "1"};
    for (int i = 0; i < 4; ++i) {
        t.IP[i] = QLatin1String(ip[i]);
        t.SM[i] = QLatin1String(sm[i]);
        t.GAT[i] = QLatin1String(gat[i]);
    }
    t.EN_GAT = QStringLiteral("0");
    t.Port = QStringLiteral("502");
    return t;
}

Par_Gen_Texts Par_Gen_Merge_Defaults(const Par_Gen_Fields<std::optional<QString>> &stored)
{
    Par_Gen_Texts texts = Par_Gen_Defaults();
    auto pick = [](QString &target, const std::optional<QString> &value) {
        if (value) target = *value;
    };
    pick(texts.CAN_BAUDRATE, stored.CAN_BAUDRATE);
    for (int i = 0; i < 4; ++i) {
        pick(texts.IP[i], stored.IP[i]);
        pick(texts.SM[i], stored.SM[i]);
        pick(texts.GAT[i], stored.GAT[i]);
    }
    pick(texts.EN_GAT, stored.EN_GAT);
    pick(texts.Port, stored.Port);
    return texts;
}

bool Par_Gen_Same(const Par_Gen_Texts &a, const Par_Gen_Texts &b)
{
    for (int i = 0; i < 4; ++i)
        if (a.IP[i] != b.IP[i] || a.SM[i] != b.SM[i] || a.GAT[i] != b.GAT[i]) return false;
    return a.CAN_BAUDRATE == b.CAN_BAUDRATE && a.EN_GAT == b.EN_GAT && a.Port == b.Port;
}

int Par_Gen_Baud_Index(const QString &text)
{
    return Int_Text::Str_To_Int_Def(text, Default_Baud_Code);
}

bool Par_Gen_Gateway_On(const QString &en_gat) { return en_gat == QLatin1String("1"); }

namespace {

// An empty or non-numeric text counts as -1, so it fails every range.
bool In_Range(const QString &text, int32_t high)
{
    const int32_t value = Int_Text::Str_To_Int_Def(text, -1);
    return value >= 0 && value <= high;
}

}  // namespace

std::optional<int> Par_Gen_Check(const Par_Gen_Texts &texts)
{
    for (int i = 0; i < 4; ++i)
        if (!In_Range(texts.IP[i], 255)) return Str_IP_Error_First + i;
    for (int i = 0; i < 4; ++i)
        if (!In_Range(texts.SM[i], 255)) return Str_SM_Error_First + i;
    if (Par_Gen_Gateway_On(texts.EN_GAT)) {
        for (int i = 0; i < 4; ++i)
            if (!In_Range(texts.GAT[i], 255)) return Str_GAT_Error_First + i;
    }
    if (!In_Range(texts.Port, 65535)) return Str_Port_Error;
    return std::nullopt;
}
