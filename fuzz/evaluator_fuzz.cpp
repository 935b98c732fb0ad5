// Feeds arbitrary bytes to the evaluator. Each input gets a fresh Evaluator, so any finding
// replays from its file alone: the input is evaluated whole once, then line by line on the
// same evaluator, which lets one input build up variables (up to a full table) across lines.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/convert/evaluator.h"

namespace {

// The longest text evaluateText can give: the input echoed after an assignment.
constexpr std::size_t kMaxResultLength = nibblet::Evaluator::kMaxInputLength;

void evaluateChecked(nibblet::Evaluator& evaluator, std::string_view line) {
  std::string result = evaluator.evaluateText(line);
  if (result.size() > kMaxResultLength) std::abort();
  if (evaluator.variables().count() > nibblet::VariableTable::kSlotCount) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  nibblet::Evaluator evaluator;
  evaluateChecked(evaluator, input);
  std::size_t start = 0;
  while (start < input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    evaluateChecked(evaluator, input.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
