#pragma once
// What a caller asks of the file browser: a file to open, a name to save under, or a folder.

#include <string>

namespace nibblet {

struct FileBrowserOptions {
  std::u16string title = u"File";   // the dialog's caption
  bool folderMode = false;          // choose a folder: no files listed, no file-name box
  bool mustExist = false;           // OK is refused while the chosen path does not exist
  bool hideRomFiles = false;        // entries with the in-ROM attribute are not listed
  std::u16string startFolder;       // folder listed first; empty means the root
  std::u16string fileNameText;      // initial text of the file-name box
  std::u16string defaultExtension;  // appended to a chosen name that does not contain it
  bool appendExtension = true;      // whether defaultExtension is applied
  std::u16string filter;            // wildcard patterns separated by ";"; empty lists no files
};

}  // namespace nibblet
