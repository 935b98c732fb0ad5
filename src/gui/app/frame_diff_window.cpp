#include "gui/app/frame_diff_window.h"

#include "gui/app/app_context.h"
#include "gui/browser/run_file_browser.h"
#include "gui/view/hex_view_widget.h"

namespace nibblet {

FrameDiffWindow::FrameDiffWindow(QWidget* owner, AppContext& context, std::function<HexViewWidget*()> view)
    : m_owner(owner), m_context(context), m_view(std::move(view)) {}

int FrameDiffWindow::browse(const FileBrowserOptions& options, std::u16string& path) {
  return runFileBrowser(m_owner, options, path, m_context.lastFolder, m_context.texts, m_context.messages);
}

bool FrameDiffWindow::hasView() const { return m_view() != nullptr; }

void FrameDiffWindow::gotoOffset(std::uint32_t offset) {
  if (HexViewWidget* view = m_view()) view->gotoOffset(offset);
}

void FrameDiffWindow::rebuildText() {
  if (HexViewWidget* view = m_view()) view->rebuildText();
}

}  // namespace nibblet
