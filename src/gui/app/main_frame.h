#pragma once
// The program's only top-level window: the menu bar and toolbar along the bottom edge, a title
// bar with its OK button at the top, and between them the hex view of the open document or,
// without one, the program's name. Every menu, toolbar and key command arrives here and goes to
// the object that does the work.

#include <QMap>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "core/diff/diff_commands.h"
#include "core/document/hex_document.h"
#include "gui/app/app_context.h"
#include "gui/app/menu_builder.h"
#include "gui/view/hex_view_widget.h"

class QLabel;
class QMenuBar;
class QPushButton;
class QToolBar;

namespace nibblet {

class EmptyPage;
class SettingsPage;
class FrameDiffWindow;
class HexViewWidget;

class MainFrame : public QWidget, public DocumentWindow {
  Q_OBJECT
 public:
  // Runs the creation sequence; opens `commandLinePath` when it is not empty.
  MainFrame(AppContext& context, const std::u16string& commandLinePath);
  ~MainFrame() override;

  // Dispatches a menu, toolbar or key command by id.
  void onCommand(int id);

  HexDocument& document() { return m_document; }
  DiffCommands& diffs() { return *m_diffs; }
  HexViewWidget* view() { return m_view; }
  QAction* action(int id) const { return m_menus.commands.value(id); }
  QToolBar* toolbar() const { return m_toolbar; }
  QMenuBar* menuBar() const { return m_menuBar; }
  SettingsPage* settingsPage() const { return m_settingsPage.get(); }
  bool isSettingsShown() const { return m_settingsShown; }

  // DocumentWindow
  void setTitle(const std::u16string& title) override;
  void documentOpened(bool temporaryCopy) override;
  void documentClosing() override;
  void documentClosed() override;
  void bytesRestored() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void buildToolbar();
  void placeContent();
  void setDocumentCommandsEnabled(bool enabled);
  void checkFontSizeItem();
  void openCommand();
  void recentFilesCommand();
  void converterCommand();
  void fontSizeCommand(int id);
  void fitContent();
  // The height the toolbar band takes from the view.
  int toolbarHeight() const;
  // No dialog, menu or long work is running: the document and the view may change.
  bool isIdle() const;
  void showSettings();
  void leaveSettings();

  AppContext& m_context;
  HexDocument m_document;
  std::unique_ptr<FrameDiffWindow> m_diffWindow;
  std::unique_ptr<DiffCommands> m_diffs;
  BuiltMenus m_menus;
  QMenuBar* m_menuBar = nullptr;
  QMenuBar* m_emptyMenuBar = nullptr;  // shown in place of the main one on the settings page
  QToolBar* m_toolbar = nullptr;
  QLabel* m_titleLabel = nullptr;
  QPushButton* m_okButton = nullptr;
  QWidget* m_content = nullptr;
  EmptyPage* m_emptyPage = nullptr;
  QPointer<HexViewWidget> m_view;
  std::unique_ptr<SettingsPage> m_settingsPage;
  bool m_settingsShown = false;
  bool m_idleWorkPosted = false;   // the idle check is queued
  bool m_closeWhenIdle = false;    // a close came during long work
};

}  // namespace nibblet
