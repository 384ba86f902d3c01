#include "monitor/Modbus_Link.h"

#include "platform/Core_Text.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>

namespace {

// The module's file in dir, or empty when dir holds none.
QString Module_File_In(const QString &dir)
{
    const QString base = QDir(dir).filePath(QString::fromLatin1(Modbus_Module_Name));
    for (const QString &suffix : {QStringLiteral(".so"), QStringLiteral(".dll"), QStringLiteral(".dylib")}) {
        const QFileInfo candidate(base + suffix);
        if (candidate.isFile()) return candidate.absoluteFilePath();
    }
    return {};
}

}  // namespace

std::unique_ptr<Modbus_Link> Load_Modbus_Link(const QStringList &dirs, int reply_limit_ms, QString *why)
{
    QString reason;
    for (const QString &dir : dirs) {
        if (dir.isEmpty()) continue;
        // Only a file that is there, by its absolute name: a bare or relative name would send
        // the loader through the system's library path, and a module of that name from
        // elsewhere must never be loaded.
        const QString found = Module_File_In(dir);
        if (found.isEmpty()) continue;
        const QString shown = QDir::toNativeSeparators(found);
        QPluginLoader loader(found);
        // The metadata is read from the file without running any of it: a module of another
        // version is refused before its code could meet a Modbus_Link of another shape.
        const QString offered = loader.metaData().value(QStringLiteral("IID")).toString();
        if (!offered.isEmpty() && offered != QLatin1String(QCX_MODBUS_LINK_FACTORY_IID)) {
            reason = Core_Text("%1: the module belongs to another version of the program (it offers %2, this "
                               "program needs %3); install the module that came with the program")
                         .arg(shown, offered, QLatin1String(QCX_MODBUS_LINK_FACTORY_IID));
            break;
        }
        // The module stays loaded: links made by it may outlive this function, and unloading
        // code that Qt may still call back into is never safe.
        auto *factory = qobject_cast<Modbus_Link_Factory *>(loader.instance());
        if (!factory) {
            reason = QStringLiteral("%1: %2").arg(shown, loader.errorString());
            break;
        }
        if (Modbus_Link *link = factory->Make_Link(reply_limit_ms)) return std::unique_ptr<Modbus_Link>(link);
        reason = Core_Text("%1: the module made no client").arg(shown);
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
