#include "gui/app/main_frame.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <unistd.h>

#include "core/app/window_placement.h"
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
#include "gui/browser/run_file_browser.h"
#include "gui/convert/converter_dialog.h"
#include "gui/inspect/values_panel.h"
#include "gui/platform/qt_text.h"
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
  m_menuBar->setStyleSheet(QString("QMenuBar::item { padding: %1px %2px; } QMenu::item { padding: %1px %3px %1px %2px; }")
                               .arg(s.y(8)).arg(s.x(14)).arg(s.x(28)));
  layout->addWidget(m_menuBar);
  m_emptyMenuBar = new QMenuBar(this);
  m_emptyMenuBar->setNativeMenuBar(false);
  m_emptyMenuBar->setObjectName("emptyMenuBar");
  m_emptyMenuBar->hide();
  layout->addWidget(m_emptyMenuBar);

  buildMenus();
  if (!m_menus.commands.isEmpty()) {
    m_settingsPage = std::make_unique<SettingsPage>(m_content, m_context);
    m_document.close();
    placeOnWorkArea();
    if (QAction* save = action(kCmdSave)) save->setEnabled(false);
    setDocumentCommandsEnabled(false);
    checkFontSizeItem();
    buildToolbar();
  } else {
    placeOnWorkArea();
  }
  setFocusPolicy(Qt::StrongFocus);

  // A file shortened under the mapping is noticed once the program is idle again, outside any
  // dialog, and its document closed there.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
    if (m_idleWorkPosted || !isIdle() ||
        (!m_document.isDamaged() && !m_closeWhenIdle && !m_document.hasUnreportedJournalError()))
      return;
    m_idleWorkPosted = true;
    QMetaObject::invokeMethod(this, [this] {
      m_idleWorkPosted = false;
      // Work that keeps the window painted, a dialog or a menu must not lose the document or the
      // view from under it.
      if (!isIdle()) return;
      if (m_document.checkMapping()) setDocumentCommandsEnabled(false);
      m_document.checkJournal();
      if (m_closeWhenIdle) {
        m_closeWhenIdle = false;
        close();
      }
    }, Qt::QueuedConnection);
  });

  if (!commandLinePath.empty()) {
    m_document.setPath(commandLinePath);
    m_document.openDocument();
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
  const ScreenScale& s = m_context.scale;
  m_toolbar->setIconSize(QSize(s.x(16), s.y(16)));
  for (const ToolbarButton& b : kToolbarButtons) {
    if (b.image < 0) {
      m_toolbar->addSeparator();
      continue;
    }
    QAction* a = m_toolbar->addAction(toolbarIcon(b.image, m_context.scale.dpiX), toQString(m_context.texts.loadText(b.tooltip)));
    a->setToolTip(toQString(m_context.texts.loadText(b.tooltip)));
    a->setObjectName(QString("toolbar%1").arg(b.command));
    int command = b.command;
    connect(a, &QAction::triggered, this, [this, command] { onCommand(command); });
  }
  m_toolbar->hide();
}

void MainFrame::placeOnWorkArea() {
  QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  ScreenFacts facts;
  QRect area = shown ? shown->availableGeometry() : QRect(0, 0, 480, 800);
  facts.available = {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
  if (shown) {
    facts.physicalWidthMm = qRound(shown->physicalSize().width());
    facts.physicalHeightMm = qRound(shown->physicalSize().height());
  }
  facts.dpiX = m_context.scale.dpiX;
  facts.dpiY = m_context.scale.dpiY;
  facts.fullScreenShell = isFullScreenShell();
  Rect r = windowPlacement(facts);
  setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void MainFrame::fitToScreen() {
  // A turned screen, a new work area or another screen: the window, the toolbar and the view
  // are laid out again for it.
  placeOnWorkArea();
  placeContent();
  if (m_toolbar && !m_settingsShown) m_toolbar->setVisible(m_view && m_context.settings.showToolbar == 1);
}

void MainFrame::watchScreen(QScreen* shown) {
  if (m_watchedScreen) disconnect(m_watchedScreen, nullptr, this, nullptr);
  m_watchedScreen = shown;
  if (!shown) return;
  auto refit = [this] { QMetaObject::invokeMethod(this, &MainFrame::fitToScreen, Qt::QueuedConnection); };
  connect(shown, &QScreen::geometryChanged, this, refit);
  connect(shown, &QScreen::availableGeometryChanged, this, refit);
  connect(shown, &QScreen::orientationChanged, this, refit);
}

void MainFrame::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (QWindow* window = windowHandle(); window && !m_screenWatched) {
    m_screenWatched = true;
    connect(window, &QWindow::screenChanged, this, [this](QScreen* now) {
      watchScreen(now);
      fitToScreen();
    });
    watchScreen(window->screen());
  }
}

void MainFrame::placeContent() {
  const QRect r = m_content->rect();
  m_emptyPage->setGeometry(r);
  int toolbarHeight = m_context.scale.y(24);
  if (m_toolbar) {
    m_toolbar->setGeometry(0, r.height() - toolbarHeight, r.width(), toolbarHeight);
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
    view->setToolbarHeight(m_context.scale.y(24));
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
  if (!m_settingsPage || m_settingsShown) return;
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
    m_view->setToolbarHeight(toolbar ? m_context.scale.y(24) : 0);
    m_view->setFontSize(settings.boundedFontSize());
    m_view->refreshBrushes();
    m_view->relayout(1, m_context.scale.y(1), 0, 0);
    m_view->rebuildText();
    m_view->show(true);
  }
  m_emptyMenuBar->hide();
  m_menuBar->show();
  // The choices are kept at once, so a crash before the exit does not lose them.
  storeSettings(m_context.key, settings);
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
  return !QApplication::activeModalWidget() && !QApplication::activePopupWidget() && !m_context.waitCursor.isBusy();
}

void MainFrame::closeEvent(QCloseEvent* event) {
  // A close asked for while long work keeps the window painted waits until the work is done.
  if (m_context.waitCursor.isBusy()) {
    m_closeWhenIdle = true;
    event->ignore();
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
