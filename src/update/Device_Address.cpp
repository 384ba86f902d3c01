#include "update/Device_Address.h"

#include "platform/Int_Text.h"

namespace {

// Cuts the trimmed text before the first dot into part and leaves the trimmed rest in s.
bool Take_Part(QString &s, QString &part)
{
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    part = Int_Text::Trim(s.left(dot));
    s = Int_Text::Trim(s.mid(dot + 1));
    return true;
}

}  // namespace

bool Valid_IP(const QString &IP, QString &ip1, QString &ip2, QString &ip3, QString &ip4)
{
    QString s = Int_Text::Trim(IP);
    if (!Take_Part(s, ip1) || !Take_Part(s, ip2) || !Take_Part(s, ip3)) return false;
    ip4 = s;
    for (const QString *part : {&ip1, &ip2, &ip3, &ip4}) {
        // A part that does not convert reads as 1000, which is out of range.
        const int32_t value = Int_Text::Str_To_Int_Def(*part, 1000);
        if (value < 0 || value > 255) return false;
    }
    return true;
}

QString Join_IP(const QString &ip1, const QString &ip2, const QString &ip3, const QString &ip4)
{
    return ip1 + QLatin1Char('.') + ip2 + QLatin1Char('.') + ip3 + QLatin1Char('.') + ip4;
}
