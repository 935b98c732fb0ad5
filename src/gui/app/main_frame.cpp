#include "gui/app/main_frame.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <unistd.h>

#include "core/convert/converter_model.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/text_format.h"
#include "core/platform/file_system.h"
#include "core/settings/settings_store.h"
#include "gui/app/app_icon.h"
#include "gui/app/empty_page.h"
#include "gui/app/first_paint_report.h"
#include "gui/app/frame_diff_window.h"
#include "gui/app/open_after_paint.h"
#include "gui/app/settings_writer.h"
#include "gui/browser/run_file_browser.h"
#include "gui/convert/converter_dialog.h"
#include "gui/inspect/values_panel.h"
#include "gui/platform/modal_keys.h"
#include "gui/platform/modal_sheet.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_fit.h"
#include "gui/platform/toolbar_images.h"
#include "gui/settings_ui/property_sheet.h"
#include "gui/settings_ui/settings_page.h"
#include "gui/view/hex_view_widget.h"

namespace nibblet {
namespace {

// The commands that need an open document; Save is handled apart.
constexpr int kDocumentCommands[] = {kCmdUndo,    kCmdUndoAll,         kCmdSearch,     kCmdGoto,
                                     kCmdSearchNext, kCmdGotoNextDiff, kCmdClose,      kCmdCompare,
                                     kCmdSaveChangesAsDiff, kCmdImportDiff, kCmdSaveDifferences,
                                     kCmdClearDifferences, kCmdCompareWithBackup};

// Toolbar buttons: image index and command; -1 stands for the separator.
struct ToolbarButton {
  int image;
  int command;
  int tooltip;
};
constexpr ToolbarButton kToolbarButtons[] = {
    {11, kCmdUndo, kIdsUndo},       {12, kCmdUndoAll, kIdsUndoAll},         {-1, 0, 0},
    {8, kCmdSearch, kIdsSearch},    {9, kCmdSearchNext, kIdsSearchNext},    {10, kCmdGotoNextDiff, kIdsNextDiff},
};

}  // namespace

MainFrame::MainFrame(AppContext& context, const std::u16string& commandLinePath)
    : QWidget(nullptr),
      m_context(context),
      m_document(DocumentServices{context.settings, context.key, context.recentFiles, context.texts,
                                  context.messages, context.waitCursor,
                                  static_cast<std::uint32_t>(::getpid())},
                 *this),
      m_diffWindow(std::make_unique<FrameDiffWindow>(this, context, [this] { return view(); })),
      m_diffs(std::make_unique<DiffCommands>(
          m_document, DiffServices{context.texts, context.messages, context.waitCursor, context.codePage,
                                   context.lastFolder},
          *m_diffWindow)) {
  setObjectName("Nibblet");
  setWindowTitle("Nibblet");
  setWindowIcon(appIcon());
  m_context.messages.setOwner(this);
  m_context.waitCursor.setHost(this);

  const ScreenScale& s = m_context.scale;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // The title bar of a hand-held window: the document's name and the OK button (command 1).
  auto* titleBar = new QWidget(this);
  titleBar->setObjectName("titleBar");
  titleBar->setStyleSheet("#titleBar { background: #24406e; } QLabel { color: white; font-weight: bold; }");
  auto* titleLayout = new QHBoxLayout(titleBar);
  titleLayout->setContentsMargins(s.x(6), s.y(2), s.x(2), s.y(2));
  m_titleLabel = new QLabel("Nibblet", titleBar);
  m_titleLabel->setObjectName("title");
  // A file name is shown as it is written, never read as markup.
  m_titleLabel->setTextFormat(Qt::PlainText);
  m_okButton = new QPushButton(toQString(m_context.texts.loadText(kIdsOkButton)), titleBar);
  m_okButton->setObjectName("okButton");
  m_okButton->setMinimumSize(s.x(48), s.y(30));
  m_okButton->setFocusPolicy(Qt::NoFocus);
  connect(m_okButton, &QPushButton::clicked, this, [this] { onCommand(kCmdOk); });
  titleLayout->addWidget(m_titleLabel, 1);
  titleLayout->addWidget(m_okButton);
  layout->addWidget(titleBar);

  m_content = new QWidget(this);
  m_content->setObjectName("content");
  m_content->installEventFilter(this);
  layout->addWidget(m_content, 1);
  m_emptyPage = new EmptyPage(
      toQString(formatText(m_context.texts.loadText(kIdsAbout), {1, 0, 50})), s, m_content);

  // The menu bar sits along the bottom edge, where a thumb reaches it.
  m_menuBar = new QMenuBar(this);
  m_menuBar->setNativeMenuBar(false);
  m_menuBar->setObjectName("menuBar");
  fitMenuToFinger(m_menuBar, s.y(8));
  layout->addWidget(m_menuBar);
  m_emptyMenuBar = new QMenuBar(this);
  m_emptyMenuBar->setNativeMenuBar(false);
  m_emptyMenuBar->setObjectName("emptyMenuBar");
  m_emptyMenuBar->hide();
  layout->addWidget(m_emptyMenuBar);

  buildMenus();
  if (!m_menus.commands.isEmpty()) {
    // The settings page is built when it is first opened, not before the first paint.
    m_document.close();
  }
  // The window's place on its screen, now and whenever the screen turns or changes.
  ScreenFit::attach(this, FitRole::MainWindow)->setAfterFit([this] { fitContent(); });
  keepKeysWithModalDialog();
  if (!m_menus.commands.isEmpty()) {
    if (QAction* save = action(kCmdSave)) save->setEnabled(false);
    setDocumentCommandsEnabled(false);
    checkFontSizeItem();
    buildToolbar();
  }
  setFocusPolicy(Qt::StrongFocus);

  // A file shortened under the mapping, or replaced under a document on the spot, is noticed
  // once the program is idle again, outside any dialog, and dealt with there.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
    if (m_idleWorkPosted || !isIdle() || (!m_closeWhenIdle && !m_document.needsIdleCheck())) return;
    m_idleWorkPosted = true;
    QMetaObject::invokeMethod(this, [this] {
      m_idleWorkPosted = false;
      // Work that keeps the window painted, a dialog or a menu must not lose the document or the
      // view from under it.
      if (!isIdle()) return;
      if (m_document.checkMapping()) setDocumentCommandsEnabled(false);
      m_document.checkJournal();
      if (m_document.checkReplaced(/*askAgain=*/false)) setDocumentCommandsEnabled(false);
      if (m_closeWhenIdle) {
        m_closeWhenIdle = false;
        close();
      }
    }, Qt::QueuedConnection);
  });

  if (!commandLinePath.empty()) {
    const Settings& settings = m_context.settings;
    // A file copied before it opens (a temporary copy, a backup) opens once the window is on
    // the screen, so the copy runs under its progress panel; on the spot it opens at once and
    // the first paint shows it.
    if (settings.openMode == 1 || !textOf(settings.backupPath).empty()) {
      runAfterFirstPaint(this, [this, commandLinePath] {
        if (m_document.isOpen() || !isVisible()) return;
        m_document.setPath(commandLinePath);
        m_document.openDocument();
      });
    } else {
      m_document.setPath(commandLinePath);
      m_document.openDocument();
    }
  }
}

MainFrame::~MainFrame() { m_context.messages.setOwner(nullptr); }

void MainFrame::buildMenus() {
  const MenuResource* menu = m_context.texts.stringModule().menu(kMenuMain);
  if (!menu) return;
  m_menus = buildMenuBar(m_menuBar, *menu, [this](int id) { onCommand(id); });
  auto* sizes = new QActionGroup(this);
  sizes->setExclusive(true);
  for (int id = kCmdFontSize10; id <= kCmdFontSize18; ++id) {
    if (QAction* a = action(id)) {
      a->setCheckable(true);
      sizes->addAction(a);
    }
  }
}

void MainFrame::buildToolbar() {
  m_toolbar = new QToolBar(m_content);
  m_toolbar->setObjectName(QString::number(kToolbarId));
  m_toolbar->setMovable(false);
  for (const ToolbarButton& b : kToolbarButtons) {
    if (b.image < 0) {
      m_toolbar->addSeparator();
      continue;
    }
    QAction* a = m_toolbar->addAction(toQString(m_context.texts.loadText(b.tooltip)));
    a->setData(b.image);
    a->setToolTip(toQString(m_context.texts.loadText(b.tooltip)));
    a->setObjectName(QString("toolbar%1").arg(b.command));
    int command = b.command;
    connect(a, &QAction::triggered, this, [this, command] { onCommand(command); });
  }
  // On a hand-held the buttons are a finger's size, their images drawn at that size.
  sizeToolbar(m_toolbar, m_context.scale.dpiX, fingerPixels(this));
  m_toolbar->hide();
}

int MainFrame::toolbarHeight() const {
  // The band the view leaves: 24 pixels, or a finger's button with the bar's margins.
  const int finger = fingerPixels(this);
  return finger > 0 ? std::max(m_context.scale.y(24), finger + m_context.scale.y(4)) : m_context.scale.y(24);
}

void MainFrame::fitContent() {
  // A turned screen, a new work area or another screen: the controls take a finger's size
  // there or not, and the toolbar and the view are laid out again for it.
  const ScreenScale& s = m_context.scale;
  const int finger = fingerPixels(this);
  m_okButton->setMinimumSize(std::max(s.x(48), finger), std::max(s.y(30), finger));
  fitMenuToFinger(m_menuBar, s.y(8));
  if (m_toolbar) sizeToolbar(m_toolbar, s.dpiX, finger);
  placeContent();
  if (m_toolbar && !m_settingsShown) m_toolbar->setVisible(m_view && m_context.settings.showToolbar == 1);
}

void MainFrame::placeContent() {
  const QRect r = m_content->rect();
  m_emptyPage->setGeometry(r);
  const int band = toolbarHeight();
  if (m_toolbar) {
    m_toolbar->setGeometry(0, r.height() - band, r.width(), band);
    m_toolbar->raise();
  }
  if (m_view) m_view->relayout(1, m_context.scale.y(1), 0, 0);
  if (m_settingsPage) {
    m_settingsPage->relayout();
    if (m_settingsShown) m_settingsPage->sheet()->raise();
  }
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event) {
  // A resize of the client area (a rotation, a new work area) lays everything out again.
  if (watched == m_content && event->type() == QEvent::Resize) placeContent();
  return QWidget::eventFilter(watched, event);
}

void MainFrame::setDocumentCommandsEnabled(bool enabled) {
  for (int id : kDocumentCommands)
    if (QAction* a = action(id)) a->setEnabled(enabled);
}

void MainFrame::checkFontSizeItem() {
  int id = kFontSizeCommandBase + m_context.settings.fontSize;
  if (QAction* a = action(id)) a->setChecked(true);
}

void MainFrame::setTitle(const std::u16string& title) {
  setWindowTitle(toQString(title));
  m_titleLabel->setText(toQString(title));
}

void MainFrame::documentOpened(bool temporaryCopy) {
  auto* view = new HexViewWidget(m_content, m_context.settings, m_context.texts, m_context.messages,
                                 m_context.codePage);
  m_view = view;
  view->setData(m_document.bytes(), m_document.size(), 0);
  view->setEditable(true);
  view->setChangeLog(&m_document.changeLog());
  view->setDiffSet(&m_document.diffSet());
  view->setWaitCursor(&m_context.waitCursor);
  // Goto and the byte menu run once the tap's own event is over.
  connect(view, &HexViewWidget::gotoRequested, view, &HexViewWidget::openGoto, Qt::QueuedConnection);
  connect(view, &HexViewWidget::byteMenuRequested, view, [view](int x, int) { view->openByteMenu(x); },
          Qt::QueuedConnection);
  // A pinch sets the font size as Tools > Font size does: stored, and the menu's check follows.
  connect(view, &HexViewWidget::fontSizeRequested, this,
          [this](int points) { onCommand(kFontSizeCommandBase + points); });
  view->relayout(1, m_context.scale.y(1), 0, 0);
  view->show(true);
  reportFirstPaint(view);
  setDocumentCommandsEnabled(true);
  if (QAction* backup = action(kCmdCompareWithBackup)) backup->setEnabled(m_diffs->hasBackup());
  if (QAction* save = action(kCmdSave)) save->setEnabled(temporaryCopy);
  if (m_toolbar && m_context.settings.showToolbar == 1) {
    m_toolbar->show();
    m_toolbar->raise();
    view->setToolbarHeight(toolbarHeight());
    view->relayout(0, 0, 0, 0);
  }
  // The values of the tapped byte, docked under the view; it goes with the view.
  new ValuesPanel(view, m_context.key, m_context.texts, m_context.messages);
}

void MainFrame::documentClosing() {
  if (m_view) {
    m_view->show(false);
    delete m_view;
    m_view = nullptr;
  }
  if (m_toolbar) m_toolbar->hide();
}

void MainFrame::documentClosed() {
  if (QAction* save = action(kCmdSave)) save->setEnabled(false);
}

void MainFrame::bytesRestored() {
  if (m_view) m_view->rebuildText();
}

void MainFrame::onCommand(int id) {
  if (id >= kCmdFontSize10 && id <= kCmdFontSize18) {
    fontSizeCommand(id);
    return;
  }
  switch (id) {
    case kCmdOk:
    case kCmdCancel:
      if (m_settingsShown) {
        leaveSettings();
      } else if (m_view) {
        onCommand(kCmdClose);
      } else {
        close();
      }
      break;
    case kCmdOpen: openCommand(); break;
    case kCmdConverter: converterCommand(); break;
    case kCmdSettings: showSettings(); break;
    case kCmdSave: m_document.save(true); break;
    case kCmdClose:
      if (m_document.close()) setDocumentCommandsEnabled(false);
      break;
    case kCmdRecentFiles: recentFilesCommand(); break;
    case kCmdExit:
      // A save that failed or was not done keeps the document, and so the program, open.
      if (m_document.close()) close();
      break;
    case kCmdUndo:
      if (m_view) m_document.undo();
      break;
    case kCmdUndoAll:
      if (m_view) m_document.undoAll();
      break;
    case kCmdSearch:
      if (m_view) m_view->openSearch();
      break;
    case kCmdSearchNext:
      if (m_view) m_view->searchNext();
      break;
    case kCmdCompare: m_diffs->compare(); break;
    case kCmdCompareWithBackup: m_diffs->compareWithBackup(); break;
    case kCmdClearDifferences: m_diffs->clear(); break;
    case kCmdGotoNextDiff: m_diffs->gotoNextDiff(); break;
    case kCmdSaveChangesAsDiff: m_diffs->exportChanges(); break;
    case kCmdSaveDifferences: m_diffs->exportDifferences(); break;
    case kCmdImportDiff: m_diffs->importDiff(); break;
    case kCmdGoto:
      if (m_view) m_view->openGoto();
      break;
    default:
      break;
  }
}

void MainFrame::openCommand() {
  FileBrowserOptions options;
  options.title = m_context.texts.loadText(kIdsOpenFile);
  options.mustExist = true;
  options.hideRomFiles = true;
  options.filter = u"*.*";
  options.startFolder = m_context.lastFolder;
  std::u16string chosen;
  if (runFileBrowser(this, options, chosen, m_context.lastFolder, m_context.texts, m_context.messages) != 1) return;
  if (!m_document.close()) return;
  m_document.setPath(chosen);
  m_document.openDocument();
}

void MainFrame::converterCommand() {
  ConverterModel model(m_context.settings, m_context.evaluator, m_context.codePage, m_context.converterValue,
                       m_view ? &m_view->view() : nullptr);
  ConverterDialog dialog(this, model, m_context.texts, m_context.scale);
  dialog.exec();
}

void MainFrame::recentFilesCommand() {
  QMenu popup(this);
  fitMenuToFinger(&popup);
  for (int i = 0; i < RecentFiles::kCount; ++i) {
    const std::u16string& entry = m_context.recentFiles.entry(i);
    if (entry.empty() || !isFile(entry)) continue;
    QAction* a = popup.addAction(toMenuText(entry));
    a->setData(i + 1);
  }
  if (popup.isEmpty()) return;
  // Opens from the bottom-left corner; the system keeps the menu on the screen.
  QAction* chosen = popup.exec(QPoint(0, 1000));
  if (!chosen) return;
  std::u16string path = m_context.recentFiles.entry(chosen->data().toInt() - 1);
  if (!m_document.close()) return;
  m_document.setPath(path);
  m_document.openDocument();
}

void MainFrame::fontSizeCommand(int id) {
  int size = id - kFontSizeCommandBase;
  if (m_view) {
    m_view->setFontSize(size);
    m_view->relayout(1, m_context.scale.y(1), 0, 0);
    m_view->rebuildText();
  }
  m_context.settings.fontSize = size;
  checkFontSizeItem();
}

void MainFrame::showSettings() {
  if (m_menus.commands.isEmpty() || m_settingsShown) return;
  if (!m_settingsPage) m_settingsPage = std::make_unique<SettingsPage>(m_content, m_context);
  if (m_view) m_view->show(false);
  // The empty bar keeps the main bar's height, so the page does not jump.
  m_emptyMenuBar->setFixedHeight(m_menuBar->height());
  m_menuBar->hide();
  m_emptyMenuBar->show();
  m_settingsPage->open();
  m_settingsShown = true;
}

void MainFrame::leaveSettings() {
  m_settingsShown = false;
  m_settingsPage->close();
  const Settings& settings = m_context.settings;
  if (m_view) {
    const bool toolbar = m_toolbar && settings.showToolbar == 1;
    if (m_toolbar) m_toolbar->setVisible(toolbar);
    if (toolbar) m_toolbar->raise();
    m_view->setToolbarHeight(toolbar ? toolbarHeight() : 0);
    m_view->setFontSize(settings.boundedFontSize());
    m_view->refreshBrushes();
    m_view->relayout(1, m_context.scale.y(1), 0, 0);
    m_view->rebuildText();
    m_view->show(true);
  }
  m_emptyMenuBar->hide();
  m_menuBar->show();
  // The choices are kept at once, so a crash before the exit does not lose them.
  writeSettings(m_context, /*windowShown=*/true);
}

void MainFrame::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (m_view) m_view->handleArrowKey(static_cast<Qt::Key>(event->key()));
      return;
    case Qt::Key_Escape:
      onCommand(kCmdCancel);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

bool MainFrame::isIdle() const {
  return !activeDialog() && !QApplication::activePopupWidget() && !m_context.waitCursor.isBusy();
}

void MainFrame::closeEvent(QCloseEvent* event) {
  // A close asked for while long work keeps the window painted waits until the work is done.
  if (m_context.waitCursor.isBusy()) {
    m_closeWhenIdle = true;
    event->ignore();
    return;
  }
  // A sheet inside the window (the entry) is cancelled first: it works on the view the close
  // takes away. The close follows once it has ended.
  if (auto* sheet = qobject_cast<QDialog*>(activeDialog()); sheet && !sheet->isWindow()) {
    m_closeWhenIdle = true;
    event->ignore();
    sheet->reject();
    return;
  }
  // Closing the window closes the document with its questions; when that does not happen (a
  // failed save), the window stays.
  if (!m_document.close()) {
    event->ignore();
    return;
  }
  setDocumentCommandsEnabled(false);
  event->accept();
}

}  // namespace nibblet
