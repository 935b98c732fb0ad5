#pragma once
// The file named on the command line, as start-up reads it.

#include <functional>
#include <string>

namespace nibblet {

// The program's arguments (its own name left out) joined by blanks, as the command line text.
// False when an argument's bytes are not valid UTF-8: a name the system spells in other bytes
// cannot be spelled back, and opening its look-alike could reach a different file. `text` then
// holds the look-alike (U+FFFD for each bad byte), fit only for the open error's message.
bool commandLineText(int count, const char* const* arguments, std::u16string& text);

// The path to open from the command line text: the whole text when it names an existing plain
// file (`isPlainFile` decides, asked about the very path returned), otherwise the text inside
// "OPEN(" ... ")" found ignoring case, with nested parentheses counted and at most 1023
// characters after the "(" examined. Empty when there is no usable path. A relative path is made
// absolute against the current folder (links are not resolved), so it can be stored in the
// recent files and opened from anywhere. When that cannot be done (the current folder is gone,
// or its name is not UTF-8), `error` receives the system error code or EILSEQ and the path is
// returned as written, for the open error's message; otherwise `error` is 0.
std::u16string commandLinePath(const std::u16string& commandLine,
                               const std::function<bool(const std::u16string&)>& isPlainFile,
                               int* error = nullptr);

}  // namespace nibblet
