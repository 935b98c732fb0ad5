#pragma once
// How every part of the program asks the user for a file or a folder.

#include <string>

#include "core/browser/file_browser_options.h"

class QWidget;

namespace nibblet {

class MessageBox;
class Texts;

constexpr int kBrowserOk = 1;
constexpr int kBrowserCancel = 2;

// Runs the file browser modally over `owner`. Returns kBrowserOk when the user confirmed: `path`
// then holds the chosen file (or, in folder mode, the folder without its trailing separator, or
// empty for the root) and `lastFolder` the folder that was listed. Any other result is a cancel
// and leaves both untouched. Questions (Delete ?) go through `messages`.
int runFileBrowser(QWidget* owner, const FileBrowserOptions& options, std::u16string& path,
                   std::u16string& lastFolder, const Texts& texts, MessageBox& messages);

}  // namespace nibblet
