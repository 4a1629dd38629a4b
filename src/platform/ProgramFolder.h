#pragma once
// The program folder and the small helpers every area uses with it: the file
// test, the text of the last system error and the reading of colour text.

#include <cstdint>
#include <string>
#include <string_view>

namespace yarrow {

// The folder of the running executable with a trailing "/", or $YARROW_HOME
// (with a trailing "/" added when missing) when that is set and not empty, so
// tests and portable installs can point the program at another folder. Every
// data and settings path is this string followed directly by a file name.
std::string ProgramFolder();

// True when something (file, folder, even a dangling link) exists at `path`.
bool FileExists(const std::string& path);

// The system's text for the current errno (or for `error`), as code page 932
// bytes ready for a message box.
std::string LastErrorText();
std::string LastErrorText(int error);

// Colour text as the settings, markup and messages write it: every "0x" and
// "0X" is removed and the rest read as hexadecimal. Any other character, or
// nothing left, gives 0. Overlong numbers wrap instead of overflowing.
std::uint32_t ParseHexColor(std::string_view text);

}  // namespace yarrow
