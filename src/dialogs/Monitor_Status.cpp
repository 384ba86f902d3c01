#include "dialogs/Monitor_Status.h"

#include "workspace/App_State.h"

QString Link_Fault_Text(const App_State &state, const Link_Fault &fault)
{
    using K = Link_Fault::Kind;
    // A detail that ends like a sentence reads oddly inside ours.
    QString detail = fault.Detail.trimmed();
    if (detail.endsWith(u'.')) detail.chop(1);
    switch (fault.What) {
    case K::None: return {};
    case K::Refused: return state.STR(STR_Monitor_Fault_Refused);
    case K::Unreachable: return state.STR(STR_Monitor_Fault_Unreachable);
    case K::Host_Not_Found: return state.STR(STR_Monitor_Fault_Host_Not_Found);
    case K::Closed: return state.STR(STR_Monitor_Fault_Closed);
    case K::Timeout: return state.STR(STR_Monitor_Fault_Timeout);
    case K::Exception:
        return state.STR(STR_Monitor_Fault_Exception)
            .arg(QStringLiteral("0x") + QStringLiteral("%1").arg(fault.Exception_Code, 2, 16, QLatin1Char('0')).toUpper());
    case K::Aborted: return state.STR(STR_Monitor_Fault_Aborted);
    case K::Not_Connected: return state.STR(STR_Monitor_Fault_Not_Connected);
    case K::Protocol: return state.STR(STR_Monitor_Fault_Protocol).arg(detail);
    case K::Other: break;
    }
    return state.STR(STR_Monitor_Fault_Other).arg(detail);
}
