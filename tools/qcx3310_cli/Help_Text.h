#pragma once
// The usage lines (printed on a command-line error too) and the help that follows them.
extern const char Usage_Text[];
extern const char Help_Text[];
