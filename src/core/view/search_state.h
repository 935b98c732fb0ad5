#pragma once
// What the view remembers of the searches made on it, for the next search dialog and for
// Search next. It lives as long as the view.

#include <cstdint>
#include <string>
#include <vector>

namespace nibblet {

// The kind of text the search dialog reads; the numbers are the ones the program keeps.
enum class SearchMode { Text = 0, Hex = 1, Unicode = 2 };

struct SearchState {
  SearchMode mode = SearchMode::Text;  // searchMode: the kind used last
  std::u16string text;                 // searchText: the line typed last, at most 513 characters
  // patternBytes of the last successful search, for Search next; empty = nothing to repeat.
  std::vector<std::uint8_t> pattern;
};

}  // namespace nibblet
