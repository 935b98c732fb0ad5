#pragma once
// What the File > Differences commands need from the main window: the file browser over it and
// its hex view, reached through the frame so a view made later is found too.

#include <functional>

#include "core/diff/diff_commands.h"

class QWidget;

namespace nibblet {

class HexViewWidget;
struct AppContext;

class FrameDiffWindow : public DiffWindow {
 public:
  // `view` returns the current hex view, or null while no document is open.
  FrameDiffWindow(QWidget* owner, AppContext& context, std::function<HexViewWidget*()> view);

  int browse(const FileBrowserOptions& options, std::u16string& path) override;
  bool hasView() const override;
  void gotoOffset(std::uint32_t offset) override;
  void rebuildText() override;

 private:
  QWidget* m_owner;
  AppContext& m_context;
  std::function<HexViewWidget*()> m_view;
};

}  // namespace nibblet
