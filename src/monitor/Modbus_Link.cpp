#include "monitor/Modbus_Link.h"

#include "platform/Core_Text.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

std::unique_ptr<Modbus_Link> Load_Modbus_Link(const QStringList &dirs, int reply_limit_ms, QString *why)
{
    QString reason;
    for (const QString &dir : dirs) {
        if (dir.isEmpty()) continue;
        // Only a file that is there: QLibrary would otherwise search the system's library path
        // for a bare name, and a module of that name from elsewhere must never be loaded.
        QLibrary library(QDir(dir).filePath(QString::fromLatin1(Modbus_Module_Name)));
        QString found;
        for (const QString &suffix : {QStringLiteral(".so"), QStringLiteral(".dll"), QStringLiteral(".dylib")}) {
            const QString candidate = library.fileName() + suffix;
            if (QFileInfo(candidate).isFile()) {
                found = candidate;
                break;
            }
        }
        if (found.isEmpty()) continue;
        library.setFileName(found);
        // The library stays loaded: links made by it may outlive this function, and unloading
        // code that Qt may still call back into is never safe.
        auto make = reinterpret_cast<Modbus_Link_Maker>(library.resolve(Modbus_Link_Maker_Name));
        if (!make) {
            reason = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(found), library.errorString());
            break;
        }
        if (Modbus_Link *link = make(reply_limit_ms)) return std::unique_ptr<Modbus_Link>(link);
        reason = Core_Text("%1: the module made no client").arg(QDir::toNativeSeparators(found));
        break;
    }
    if (why) {
        if (reason.isEmpty()) {
            QStringList shown;
            for (const QString &dir : dirs)
                if (!dir.isEmpty()) shown << QDir::toNativeSeparators(dir);
            reason = Core_Text("%1 not found in %2").arg(QLatin1String(Modbus_Module_Name), shown.join(QStringLiteral(", ")));
        }
        *why = reason;
    }
    return nullptr;
}
