#pragma once

#include <functional>

class QCoreApplication;
class QWidget;

// The two things vi emulation needs from the platform input method: a call
// whenever it is switched on or off, and a way to switch it off for a window
// (so that command-mode keys arrive as plain letters). Windows goes through
// IMM32 (inputmethodswitch_win.cpp); everywhere else Qt's input-method API
// (inputmethodswitch_qt.cpp).
namespace InputMethodSwitch {

void watch(QCoreApplication *app, std::function<void()> onOpenStatusChanged);
void unwatch(QCoreApplication *app);
void switchOff(QWidget *window);
// Whether the input method of the window is on; false where the platform
// does not tell.
bool isOpen(QWidget *window);
void switchOn(QWidget *window);

} // namespace InputMethodSwitch
