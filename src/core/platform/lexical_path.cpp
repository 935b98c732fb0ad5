#include "core/platform/lexical_path.h"

#include <sys/stat.h>

#include <vector>

#include "core/platform/file_system.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

struct Part {
  std::u16string_view text;
  bool stays;  // a ".." that cannot take its predecessor away
};

bool isLink(const std::u16string& path) {
  struct stat st;
  return ::lstat(toUtf8(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::u16string joined(bool absolute, const std::vector<Part>& parts) {
  std::u16string out;
  if (absolute) out += kPathSeparator;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += kPathSeparator;
    out += parts[i].text;
  }
  return out;
}

}  // namespace

std::u16string normalisePath(std::u16string_view path) {
  if (path.empty()) return {};
  const bool absolute = path.front() == kPathSeparator;
  std::vector<Part> parts;
  std::u16string_view last;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(kPathSeparator, start);
    if (end == std::u16string_view::npos) end = path.size();
    std::u16string_view part = path.substr(start, end - start);
    start = end + 1;
    last = part;
    if (part.empty() || part == u".") continue;
    if (part != u"..") {
      parts.push_back({part, false});
      continue;
    }
    if (parts.empty()) {
      // Above the root is the root; above a relative start the ".." is needed.
      if (!absolute) parts.push_back({part, true});
      continue;
    }
    if (parts.back().stays || isLink(joined(absolute, parts))) {
      parts.push_back({part, true});
      continue;
    }
    parts.pop_back();
  }
  std::u16string out = joined(absolute, parts);
  if (out.empty()) return u".";
  const bool namesFolder = last.empty() || last == u"." || last == u"..";
  if (namesFolder && out.back() != kPathSeparator) out += kPathSeparator;
  return out;
}

}  // namespace nibblet
