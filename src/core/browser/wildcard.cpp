#include "core/browser/wildcard.h"

#include "core/platform/unicode.h"

namespace nibblet {

bool matchWildcard(std::u16string_view pattern, std::u16string_view name) {
  if (pattern == u"*.*") pattern = u"*";
  std::size_t p = 0;
  std::size_t n = 0;

  // Up to the first "*" the characters pair off one to one.
  while (n < name.size() && (p == pattern.size() || pattern[p] != u'*')) {
    if (p == pattern.size() || (pattern[p] != u'?' && pattern[p] != name[n])) return false;
    ++p;
    ++n;
  }

  // From there on every "*" remembers where to retry when a later character does not match.
  std::size_t retryPattern = std::u16string_view::npos;
  std::size_t retryName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      if (++p == pattern.size()) return true;
      retryPattern = p;
      retryName = n + 1;
    } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else {
      if (retryPattern == std::u16string_view::npos) return false;
      p = retryPattern;
      n = retryName++;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

std::vector<std::u16string> splitPatterns(std::u16string_view filter) {
  std::vector<std::u16string> patterns;
  if (filter.empty()) return patterns;
  std::u16string lower = toLower(filter);
  std::size_t start = 0;
  for (;;) {
    std::size_t cut = lower.find(u';', start);
    patterns.push_back(lower.substr(start, cut == std::u16string::npos ? cut : cut - start));
    if (cut == std::u16string::npos) break;
    start = cut + 1;
  }
  return patterns;
}

bool matchesAnyPattern(const std::vector<std::u16string>& patterns, std::u16string_view lowerName) {
  for (const auto& pattern : patterns) {
    if (matchWildcard(pattern, lowerName)) return true;
  }
  return false;
}

}  // namespace nibblet
