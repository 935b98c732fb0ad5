#include "gui/platform/progress_panel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_fit.h"

namespace nibblet {
namespace {

// A finger hits the button reliably when it is this high on the glass.
constexpr double kButtonMillimetres = 9.0;
constexpr double kBarMillimetres = 6.0;

QString text(const Texts& texts, int id, const char* fallback) {
  std::u16string loaded = texts.loadText(id);
  return loaded.empty() ? QString::fromLatin1(fallback) : toQString(loaded);
}

// Everything a user does to a window; other events (paints, timers, accessibility) go on.
bool isUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::Gesture:
    case QEvent::GestureOverride:
    case QEvent::NativeGesture:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

ProgressPanel::ProgressPanel(QWidget* parent, QWidget* host, const Texts& texts)
    : QFrame(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(text(texts, kIdsStopWork, "Cancel"), this)) {
  setObjectName("progressPanel");
  // The panel is the one window that takes input while the work runs.
  setWindowModality(Qt::ApplicationModal);
  setWindowTitle(text(texts, kIdsPleaseWait, "Please wait"));
  setAccessibleName(windowTitle());
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);

  m_bar->setObjectName("progress");
  m_bar->setAccessibleName(text(texts, kIdsProgress, "Progress"));
  m_bar->setTextVisible(true);
  m_bar->setMinimumHeight(physicalPixels(kBarMillimetres, host));

  m_cancel->setObjectName("cancelWork");
  const int side = physicalPixels(kButtonMillimetres, host);
  m_cancel->setMinimumSize(std::max(m_cancel->sizeHint().width(), 3 * side), side);
  m_cancel->setAutoDefault(false);
  connect(m_cancel, &QPushButton::clicked, this, &ProgressPanel::requestCancel);

  auto* column = new QVBoxLayout(this);
  const int margin = physicalPixels(2.0, host);
  column->setContentsMargins(margin, margin, margin, margin);
  column->setSpacing(margin);
  column->addWidget(m_bar);
  column->addWidget(m_cancel, 0, Qt::AlignHCenter);

  // Most of the window's width, centred over the window in front, as dialogs are placed.
  if (host) setMinimumWidth(std::max(minimumSizeHint().width(), host->width() * 4 / 5));
  ScreenFit::attach(this, FitRole::Dialog);
}

ProgressPanel::~ProgressPanel() { qApp->removeEventFilter(this); }

void ProgressPanel::start() { m_cancel->setEnabled(true); }

void ProgressPanel::showProgress(std::uint64_t done, std::uint64_t total) {
  if (total > 0) {
    m_bar->setRange(0, 100);
    m_bar->setValue(static_cast<int>(std::min<std::uint64_t>(100, done * 100 / total)));
  } else {
    m_bar->setRange(0, 0);  // how much is left is not known
  }
  if (isVisible()) return;
  show();
  raise();
  activateWindow();
  m_cancel->setFocus();
}

void ProgressPanel::requestCancel() {
  if (!m_cancel->isEnabled()) return;
  // The button goes grey at once, so a second tap is seen to do nothing more.
  m_cancel->setEnabled(false);
  emit cancelRequested();
}

bool ProgressPanel::isOwn(QObject* object) const {
  if (object->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(object);
    return widget == this || isAncestorOf(widget);
  }
  if (object->isWindowType()) return object == windowHandle();
  return true;  // not meant for any window
}

bool ProgressPanel::eventFilter(QObject* watched, QEvent* event) {
  // Input for any other window is dropped, not held back: a tap on the view during the work
  // must not act on the document once the work is over.
  if (isUserInput(event->type()) && !isOwn(watched)) return true;
  return QFrame::eventFilter(watched, event);
}

void ProgressPanel::showEvent(QShowEvent* event) {
  QFrame::showEvent(event);
  qApp->installEventFilter(this);
}

void ProgressPanel::hideEvent(QHideEvent* event) {
  qApp->removeEventFilter(this);
  QFrame::hideEvent(event);
}

void ProgressPanel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    requestCancel();
    return;
  }
  QFrame::keyPressEvent(event);
}

void ProgressPanel::closeEvent(QCloseEvent* event) {
  // The panel goes when the work ends; a close asked of it (a window manager's key) stops the
  // work instead.
  event->ignore();
  requestCancel();
}

}  // namespace nibblet
