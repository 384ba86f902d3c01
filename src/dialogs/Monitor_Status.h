#pragma once
// What the monitor says of a failed connection or request, in the user's language. The Modbus
// client words its failures in English whatever the language; the kind of the failure chooses
// our words, and the client's own are kept only where they add something ours cannot know.
#include "monitor/Modbus_Link.h"

#include <QString>

struct App_State;

QString Link_Fault_Text(const App_State &state, const Link_Fault &fault);
