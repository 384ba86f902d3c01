// The module's one object: the monitor loads this file as a Qt plugin when it first connects
// and asks it for links.
#include "modbus/Qt_Modbus_Link.h"

#include <QObject>
#include <QtPlugin>

class Qt_Modbus_Module : public QObject, public Modbus_Link_Factory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QCX_MODBUS_LINK_FACTORY_IID)
    Q_INTERFACES(Modbus_Link_Factory)
public:
    Modbus_Link *Make_Link(int reply_limit_ms) override { return new Qt_Modbus_Link(reply_limit_ms); }
};

#include "Modbus_Module.moc"
