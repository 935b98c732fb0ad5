#pragma once
// The file named on the command line, as start-up reads it.

#include <functional>
#include <string>

namespace nibblet {

// The path to open from the command line text: the whole text when it names an existing plain
// file (`isPlainFile` decides), otherwise the text inside "OPEN(" ... ")" found ignoring case,
// with nested parentheses counted and at most 1023 characters after the "(" examined. Empty
// when there is no usable path. A relative path is made absolute against the current folder
// (links are not resolved), so it can be stored in the recent files and opened from anywhere.
std::u16string commandLinePath(const std::u16string& commandLine,
                               const std::function<bool(const std::u16string&)>& isPlainFile);

}  // namespace nibblet
