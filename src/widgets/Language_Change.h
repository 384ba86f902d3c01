#pragma once
// A language change reaches every window through Qt's own QEvent::LanguageChange: a window that
// follows it applies its texts again (its Set_Lang) when the event arrives, and the change is
// announced once to every window there is. A new dialog only has to follow; no list of windows
// has to learn of it. A window built later applies the language in force when it is built.
#include <functional>

class QWidget;

// Calls set_lang whenever window receives QEvent::LanguageChange, for as long as window lives.
void Follow_Language_Change(QWidget *window, std::function<void()> set_lang);

// Sends QEvent::LanguageChange now to every window: each top-level widget without a parent, and
// through it (as Qt passes the event down to children) every dialog it owns. The copies that
// installing or removing a translator has queued are dropped first, so each window applies the
// change once, at once.
void Announce_Language_Change();
