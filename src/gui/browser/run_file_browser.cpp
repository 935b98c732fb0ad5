#include "gui/browser/run_file_browser.h"

#include "gui/browser/file_browser_dialog.h"

namespace nibblet {

int runFileBrowser(QWidget* owner, const FileBrowserOptions& options, std::u16string& path,
                   std::u16string& lastFolder, const Texts& texts, MessageBox& messages) {
  FileBrowserDialog dialog(owner, options, texts, messages);
  if (dialog.exec() != QDialog::Accepted) return kBrowserCancel;
  path = dialog.chosenPath();
  lastFolder = dialog.model().currentFolder();
  return kBrowserOk;
}

}  // namespace nibblet
