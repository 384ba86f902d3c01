#include "lang/Version_Check.h"

#include "platform/Http_Get.h"
#include "platform/Int_Text.h"
#include "platform/Web_Host.h"

#include <exception>

using Int_Text::Trim;

QString Version_Service_Url(const QString &sw_code)
{
    return Web_Url(QStringLiteral("/home/download/GetversionSW.asp?nomesw=") + sw_code);
}

int32_t Conv_Version(const QString &Ver_str)
{
    const qsizetype blank = Ver_str.indexOf(u' ');
    const QString version = Trim(blank >= 0 ? Ver_str.mid(blank + 1) : Ver_str);
    if (version.size() < 5) return -1;

    // Character 2 is the point and is skipped.
    int32_t value = 0;
    for (const qsizetype i : {0, 2, 3, 4}) {
        const QChar c = version.at(i);
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

bool Is_Newer_Version(const QString &answer, const QString &own_version)
{
    const QString upper = Trim(answer.toUpper());
    if (upper.isEmpty() || upper == QStringLiteral("VER. 0.000")) return false;

    const int32_t own = Conv_Version(own_version);
    const int32_t served = Conv_Version(Trim(answer));
    return own != -1 && served != -1 && served > own;
}

bool Check_Version(Http_Get *http, const QString &sw_code, const QString &own_version)
{
    return Check_Version_At(http, Version_Service_Url(sw_code), own_version);
}

Version_Verdict Ask_Version_Service(Http_Get *http, const QString &url, const QString &own_version)
{
    if (!http) return Version_Verdict::Unreachable;
    QString answer;
    try {
        answer = http->Get(url);
    } catch (const std::exception &) {
        return Version_Verdict::Unreachable;
    }
    return Is_Newer_Version(answer, own_version) ? Version_Verdict::Newer : Version_Verdict::None;
}

bool Check_Version_At(Http_Get *http, const QString &url, const QString &own_version)
{
    return Ask_Version_Service(http, url, own_version) == Version_Verdict::Newer;
}

QString Link_Html(const QString &text, const QString &url)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toHtmlEscaped(), text.toHtmlEscaped());
}
