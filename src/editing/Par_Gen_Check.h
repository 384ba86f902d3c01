#pragma once
// The communication settings as the settings dialog shows and checks them: the texts a new
// configuration starts from, the merge of a file's texts with those defaults, and the checks
// that OK runs before anything is written.
#include "config/Config_Model.h"
#include "lang/Lang_Table.h"

#include <optional>

// 250K, 192.168.0.10, 255.255.255.0, gateway off with 192.168.0.1, port 502.
Par_Gen_Texts Par_Gen_Defaults();

// Every setting the file holds, exactly as stored; the default for every one it lacks.
Par_Gen_Texts Par_Gen_Merge_Defaults(const Par_Gen_Fields<std::optional<QString>> &stored);

// The selected baud-rate position for a stored code text: the converted value as it stands
// (a code outside 0..8 selects nothing), Default_Baud_Code when the text does not convert.
int Par_Gen_Baud_Index(const QString &text);

// True when both hold the same text in every setting: what decides whether the dialog holds a
// change that Cancel would throw away.
bool Par_Gen_Same(const Par_Gen_Texts &a, const Par_Gen_Texts &b);

// The gateway counts as enabled only for the exact text "1".
bool Par_Gen_Gateway_On(const QString &en_gat);

// Checks, in order: IP octets 1..4 (0..255), mask octets 1..4 (0..255), the gateway octets
// 1..4 (0..255) only when the gateway is enabled, then the port (0..65535). Returns the STR
// index of the message for the first failing field, or nothing when every field is valid.
std::optional<int> Par_Gen_Check(const Par_Gen_Texts &texts);

// STR indexes of the messages.
constexpr int Str_IP_Error_First = STR_Settings_IP_1_Range;       // IP Address 1 .. 4
constexpr int Str_SM_Error_First = STR_Settings_Mask_1_Range;     // SUBNET Mask 1 .. 4
constexpr int Str_GAT_Error_First = STR_Settings_Gateway_1_Range;  // GATEWAY IP 1 .. 4
constexpr int Str_Port_Error = STR_Settings_Port_Range;
