#pragma once
// The wildcard patterns that decide which files the browser lists.

#include <string>
#include <string_view>
#include <vector>

namespace nibblet {

// True when `name` matches `pattern`: "?" matches any one character, "*" any run of characters
// (also none), every other character itself. "*.*" matches every name, also one without a dot.
// Both texts are compared as given; callers lower-case them to ignore case.
bool matchWildcard(std::u16string_view pattern, std::u16string_view name);

// The filter text lower-cased and split at ";" into its patterns. An empty filter gives none.
std::vector<std::u16string> splitPatterns(std::u16string_view filter);

// True when some pattern matches `lowerName`; false for an empty pattern list.
bool matchesAnyPattern(const std::vector<std::u16string>& patterns, std::u16string_view lowerName);

}  // namespace nibblet
