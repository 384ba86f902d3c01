#include "widgets/Accessible_Roles.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

constexpr char Role_Property[] = "qcx_accessible_role";

QAccessibleInterface *Role_Factory(const QString &class_name, QObject *object)
{
    // Asked once a class of the object's ancestry, most derived first: answered for the
    // object's own class only, before Qt's factory answers for QWidget.
    if (!object || !object->isWidgetType() || class_name != QLatin1String(object->metaObject()->className()))
        return nullptr;
    const QVariant role = object->property(Role_Property);
    if (!role.isValid()) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Role(role.toInt()));
}

}  // namespace

void Set_Accessible_Role(QWidget *widget, QAccessible::Role role)
{
    static const bool factory_installed = (QAccessible::installFactory(Role_Factory), true);
    Q_UNUSED(factory_installed);
    if (widget) widget->setProperty(Role_Property, int(role));
}
