#include "core/app/command_line.h"

#include <algorithm>

#include "core/platform/file_system.h"
#include "core/platform/unicode.h"

namespace nibblet {

bool commandLineText(int count, const char* const* arguments, std::u16string& text) {
  text.clear();
  bool valid = true;
  for (int i = 1; i < count; ++i) {
    std::u16string argument;
    if (!decodeName(arguments[i], argument)) valid = false;
    if (i > 1) text += u' ';
    text += argument;
  }
  return valid;
}

std::u16string commandLinePath(const std::u16string& commandLine,
                               const std::function<bool(const std::u16string&)>& isPlainFile, int* error) {
  if (error) *error = 0;
  // The path as the program keeps it: absolute, so the recent files reach it from any folder.
  std::u16string full;
  int rc = 0;
  if (!commandLine.empty()) {
    if (absolutePath(commandLine, full, &rc)) {
      if (isPlainFile(full)) return full;
    } else if (isPlainFile(commandLine)) {
      if (error) *error = rc;
      return commandLine;
    }
  }

  std::u16string lower = toLower(commandLine);
  auto keyword = lower.find(u"open(");
  if (keyword == std::u16string::npos) return {};
  std::size_t start = keyword + 5;
  std::size_t limit = std::min(commandLine.size(), start + 1023);
  int depth = 0;
  for (std::size_t i = start; i < limit; ++i) {
    if (commandLine[i] == u'(') {
      ++depth;
    } else if (commandLine[i] == u')') {
      if (depth > 0) {
        --depth;
        continue;
      }
      if (i == start) return {};
      std::u16string inside = commandLine.substr(start, i - start);
      if (absolutePath(inside, full, &rc)) return full;
      if (error) *error = rc;
      return inside;
    }
  }
  return {};
}

}  // namespace nibblet
