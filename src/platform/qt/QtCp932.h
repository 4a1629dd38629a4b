#pragma once
// The Qt edge of the code page 932 world: every text the core keeps as code
// page 932 bytes becomes a QString here on its way to the screen, and every
// text typed by the user goes back through ToCp932 before the core sees it.

#include <QString>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace yarrow {

// Code page 932 bytes to a QString. Broken bytes show as U+FFFD.
QString FromCp932(std::string_view cp932);

// A QString to code page 932. Characters the code page cannot hold become the
// geta mark and set `replaced`, so the caller can tell the user.
Cp932Conversion ToCp932(const QString& text);

}  // namespace yarrow
