// Feeds arbitrary bytes to the resource parser, as a damaged or hostile language module would,
// and walks whatever it accepts.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"

namespace {

std::size_t walk(const std::vector<nibblet::MenuItem>& items, int depth) {
  if (depth > nibblet::kMaxMenuDepth) std::abort();
  std::size_t count = 0;
  for (const nibblet::MenuItem& item : items) {
    count += 1 + item.text.size();
    if (item.isSeparator && (item.isPopup || item.id != 0 || !item.children.empty())) std::abort();
    if (!item.isPopup && !item.children.empty()) std::abort();
    count += walk(item.children, depth + 1);
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nibblet::StringModule module;
  if (!module.parse(std::string_view(reinterpret_cast<const char*>(data), size))) return 0;
  for (const auto& [id, text] : module.texts()) {
    if (id < 1 || id > 65535) std::abort();
    // Every accepted text may be a format the program fills in.
    if (nibblet::formatText(text, {u"/path", 2, u"x", 3}).size() > 1023) std::abort();
  }
  for (const auto& [id, menu] : module.menus()) {
    for (const nibblet::MenuItem& top : menu.items)
      if (!top.isPopup) std::abort();
    walk(menu.items, 1);
    nibblet::findMenuItem(menu, id);
  }
  return 0;
}
