// The module's one entry: the monitor loads this file when it first connects.
#include "modbus/Qt_Modbus_Link.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT Modbus_Link *qcx_make_modbus_link(int reply_limit_ms)
{
    return new Qt_Modbus_Link(reply_limit_ms);
}
