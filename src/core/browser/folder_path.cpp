#include "core/browser/folder_path.h"

#include "core/platform/file_system.h"
#include "core/platform/lexical_path.h"
#include "core/platform/unicode.h"

namespace nibblet {

std::u16string startingFolder(std::u16string_view startFolder) {
  std::u16string folder(1, kPathSeparator);
  folder += startFolder;
  return withSeparator(normalisePath(folder));
}

std::u16string parentFolder(std::u16string_view folder) {
  std::u16string parent(folder);
  if (!parent.empty() && parent.back() == kPathSeparator) parent.pop_back();
  std::size_t cut = parent.rfind(kPathSeparator);
  parent.resize(cut == std::u16string::npos ? 0 : cut + 1);
  return withSeparator(parent);
}

std::vector<std::u16string> folderItems(std::u16string_view folder) {
  std::vector<std::u16string> items{std::u16string(1, kPathSeparator)};
  std::size_t depth = 0;
  std::size_t start = 0;
  while (start < folder.size()) {
    std::size_t end = folder.find(kPathSeparator, start);
    if (end == std::u16string_view::npos) end = folder.size();
    if (end > start) {
      ++depth;
      items.push_back(std::u16string(depth, u' ') +
                      std::u16string(folder.substr(start, end - start)));
    }
    start = end + 1;
  }
  return items;
}

std::u16string folderOfItem(std::u16string_view folder, int item) {
  if (item <= 0) return std::u16string(1, kPathSeparator);
  int depth = 0;
  std::size_t start = 0;
  while (start < folder.size()) {
    std::size_t end = folder.find(kPathSeparator, start);
    if (end == std::u16string_view::npos) break;
    if (end > start && ++depth == item) return std::u16string(folder.substr(0, end + 1));
    start = end + 1;
  }
  return std::u16string(folder);
}

bool isPlainName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c == kPathSeparator || c == u'\0') return false;
  }
  return true;
}

std::u16string withDefaultExtension(std::u16string_view path, std::u16string_view extension) {
  std::u16string result(path);
  if (extension.empty()) return result;
  std::size_t cut = path.rfind(kPathSeparator);
  std::u16string_view name = cut == std::u16string_view::npos ? path : path.substr(cut + 1);
  if (toLower(name).find(toLower(extension)) == std::u16string::npos) result += extension;
  return result;
}

}  // namespace nibblet
