#pragma once
// The path rules of the browser's current folder. A current folder always begins and ends with
// the separator; the root is the separator alone.

#include <string>
#include <string_view>
#include <vector>

#include "core/platform/file_system.h"

namespace nibblet {

// The folder a browser starts in: the root for an empty text, otherwise the text with a
// separator put in front and at the end where missing, tidied by normalisePath.
std::u16string startingFolder(std::u16string_view startFolder);

// The parent of `folder`; the root stays the root.
std::u16string parentFolder(std::u16string_view folder);

// The drop-down items of `folder`: the root, then each component below it preceded by as many
// spaces as its depth (one for the first level).
std::vector<std::u16string> folderItems(std::u16string_view folder);

// The folder of drop-down item `item`: the root for 0, `folder` cut after its item-th component
// otherwise. Items past the deepest component give `folder` unchanged.
std::u16string folderOfItem(std::u16string_view folder, int item);

// True when `name` can name an entry of the current folder: not empty, not "." or "..", and
// free of separators and NUL characters, so a rename cannot move an entry elsewhere.
bool isPlainName(std::u16string_view name);

// `path` with `extension` appended, unless the path's file name already contains it anywhere
// (ignoring case) or the extension is empty.
std::u16string withDefaultExtension(std::u16string_view path, std::u16string_view extension);

}  // namespace nibblet
