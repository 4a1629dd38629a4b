#pragma once
// Where the status bar learns which lock keys are on: the X server's keyboard
// indicators when the program runs on X11; nothing elsewhere (the indicators
// then stay empty rather than guess).

#include <functional>

#include "app/CStatusPanes.h"

namespace yarrow {

// An empty function when the windowing system cannot tell.
std::function<LockKeyState()> SystemLockKeySource();

}  // namespace yarrow
