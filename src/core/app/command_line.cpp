#include "core/app/command_line.h"

#include <algorithm>

#include "core/platform/file_system.h"
#include "core/platform/unicode.h"

namespace nibblet {

namespace {

// The path as the program keeps it: absolute, so the recent files reach it from any folder.
std::u16string absolute(const std::u16string& path) {
  std::u16string full;
  return absolutePath(path, full) ? full : path;
}

}  // namespace

std::u16string commandLinePath(const std::u16string& commandLine,
                               const std::function<bool(const std::u16string&)>& isPlainFile) {
  if (!commandLine.empty() && isPlainFile(commandLine)) return absolute(commandLine);

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
      if (depth == 0) return i == start ? std::u16string() : absolute(commandLine.substr(start, i - start));
      --depth;
    }
  }
  return {};
}

}  // namespace nibblet
