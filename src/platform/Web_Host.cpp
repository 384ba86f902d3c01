#include "platform/Web_Host.h"

#include <QtGlobal>

QString Web_Host()
{
    const QString host = qEnvironmentVariable("QCX3310_WEB_HOST");
    return host.isEmpty() ? QStringLiteral("www.norvale.example") : host;
}

QString Web_Url(const QString &path_and_query)
{
    return QStringLiteral("http://") + Web_Host() + path_and_query;
}

QString Maker_Home_Url() { return Web_Url(QStringLiteral("/HOME/default.asp?frompg=QCX3310")); }

QString Maker_Download_Url() { return Web_Url(QStringLiteral("/Home/download/download.asp#QGW3310")); }
