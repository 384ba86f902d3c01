// A Modbus module built for another version of the link's interface, as a module left from an
// older program would be: the monitor must refuse it by its metadata alone. It offers the
// interface's name with another version, and no code that could be called.
#include <QObject>
#include <QtPlugin>

class Other_Version_Modbus_Module : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qcx3310.Modbus_Link_Factory/0")
};

#include "Other_Version_Modbus_Module.moc"
