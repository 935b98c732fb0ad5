#include "core/document/command_line.h"

#include "core/platform/unicode.h"

namespace nibblet {

std::u16string commandLinePath(const std::u16string& commandLine,
                               const std::function<bool(const std::u16string&)>& isPlainFile) {
  if (!commandLine.empty() && isPlainFile(commandLine)) return commandLine;

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
      if (depth == 0) return commandLine.substr(start, i - start);
      --depth;
    }
  }
  return {};
}

}  // namespace nibblet
