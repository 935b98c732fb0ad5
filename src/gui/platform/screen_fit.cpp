#include "gui/platform/screen_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "core/app/dialog_placement.h"
#include "gui/platform/screen_scale.h"

namespace nibblet {
namespace {

Rect toRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
QRect toQRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

QScreen* screenOf(const QWidget* widget) {
  QScreen* screen = widget ? widget->screen() : nullptr;
  return screen ? screen : QGuiApplication::primaryScreen();
}

// The size `window` asks for: its layout's hint, the height taken for the width it gets when
// the layout wraps (a row of buttons that flows onto a second line).
QSize wantedSize(const QWidget* window, int widthLimit) {
  QSize hint = window->sizeHint();
  if (!hint.isValid()) hint = window->size();
  hint = hint.expandedTo(window->minimumSizeHint());
  if (QLayout* layout = window->layout(); layout && layout->hasHeightForWidth()) {
    int width = std::min(hint.width(), widthLimit);
    hint.setHeight(std::max(layout->totalHeightForWidth(width), window->minimumSizeHint().height()));
  }
  return hint;
}

void resizeWithin(QWidget* window, const QSize& size) {
  // A box that fixed its own size (a message box does) is held to what fits.
  if (window->minimumSize() == window->maximumSize() && window->size() != size) window->setFixedSize(size);
  else window->resize(size);
}

}  // namespace

ScreenFacts screenFacts(const QWidget* widget) {
  ScreenFacts facts;
  QScreen* screen = screenOf(widget);
  if (!screen) {
    facts.available = {0, 0, 480, 800};
  } else {
    facts.available = toRect(screen->availableGeometry());
    facts.physicalWidthMm = static_cast<int>(std::lround(screen->physicalSize().width()));
    facts.physicalHeightMm = static_cast<int>(std::lround(screen->physicalSize().height()));
    facts.dpiX = std::max(1, static_cast<int>(std::lround(screen->logicalDotsPerInchX())));
    facts.dpiY = std::max(1, static_cast<int>(std::lround(screen->logicalDotsPerInchY())));
  }
  facts.fullScreenShell = isFullScreenShell();
  facts.placesWindows = placesWindows();
  return facts;
}

bool placesWindows() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

bool isHandHeldScreen(const QWidget* widget) { return isHandHeld(screenFacts(widget)); }

QRect dialogArea(const QWidget* owner) {
  ScreenFacts facts = screenFacts(owner);
  if (isHandHeld(facts)) return toQRect(windowPlacement(facts));
  return toQRect(facts.available);
}

ScreenFit::ScreenFit(QWidget* window, FitRole role) : QObject(window), m_window(window), m_role(role) {
  setObjectName(QStringLiteral("screenFit"));
  window->installEventFilter(this);
}

ScreenFit* ScreenFit::attach(QWidget* window, FitRole role) {
  ScreenFit* fit = of(window);
  if (fit) {
    fit->m_role = role;
  } else {
    fit = new ScreenFit(window, role);
  }
  if (role == FitRole::Sheet) {
    // The sheet's parent covers the window that holds it and follows its size.
    fit->m_host = window->parentWidget();
    if (fit->m_host) fit->m_host->installEventFilter(fit);
  }
  // The main window is placed before it is first shown, so its first paint has its size.
  if (role == FitRole::MainWindow) fit->refit();
  return fit;
}

ScreenFit* ScreenFit::of(const QWidget* window) {
  return window ? window->findChild<ScreenFit*>(QStringLiteral("screenFit"), Qt::FindDirectChildrenOnly) : nullptr;
}

void ScreenFit::keepRowInView(std::function<KeptRow()> where, std::function<void(int)> scrollUp) {
  m_keptRow = std::move(where);
  m_scrollUp = std::move(scrollUp);
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_window) {
    switch (event->type()) {
      case QEvent::Show:
        watchScreen();
        if (m_role != FitRole::MainWindow) refit();
        break;
      case QEvent::LayoutRequest:
        // The content grew or shrank (a keypad came or went): fitted again once it is laid out.
        if (m_window->isVisible() && m_role != FitRole::MainWindow) postRefit();
        break;
      default:
        break;
    }
  } else if (watched == m_host && event->type() == QEvent::Resize && m_window->isVisible()) {
    refit();
  }
  return QObject::eventFilter(watched, event);
}

void ScreenFit::postRefit() {
  if (m_refitPosted) return;
  m_refitPosted = true;
  QMetaObject::invokeMethod(this, [this] {
    m_refitPosted = false;
    refit();
  }, Qt::QueuedConnection);
}

void ScreenFit::watchScreen() {
  QWindow* handle = m_window->windowHandle();
  if (!handle || m_role == FitRole::Sheet) return;
  if (handle != m_handle) {
    m_handle = handle;
    connect(handle, &QWindow::screenChanged, this, [this] {
      watchScreen();
      postRefit();
    });
  }
  QScreen* now = handle->screen();
  if (now == m_screen) return;
  if (m_screen) disconnect(m_screen, nullptr, this, nullptr);
  m_screen = now;
  if (!now) return;
  connect(now, &QScreen::geometryChanged, this, &ScreenFit::postRefit);
  connect(now, &QScreen::availableGeometryChanged, this, &ScreenFit::postRefit);
  connect(now, &QScreen::orientationChanged, this, &ScreenFit::postRefit);
}

void ScreenFit::refit() {
  // A resize during a fit (the sheet's window, a message box sizing itself) needs no second fit.
  if (m_fitting) return;
  m_fitting = true;
  switch (m_role) {
    case FitRole::MainWindow: fitMainWindow(); break;
    case FitRole::Dialog: fitDialog(); break;
    case FitRole::Cover: fitCover(); break;
    case FitRole::Sheet: fitSheet(); break;
  }
  m_fitting = false;
  if (m_afterFit) m_afterFit();
}

void ScreenFit::fitMainWindow() {
  QRect place = toQRect(windowPlacement(screenFacts(m_window)));
  if (placesWindows()) {
    m_window->setGeometry(place);
    return;
  }
  // The compositor sizes the window from now on (a phone shell maximises it, a tiling one
  // gives it its tile): only the first size is the program's.
  if (m_sized) return;
  m_sized = true;
  m_window->resize(place.size());
  if (isHandHeldScreen(m_window)) m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
}

void ScreenFit::fitDialog() {
  QWidget* owner = m_window->parentWidget();
  QWidget* ownerWindow = owner ? owner->window() : nullptr;
  DialogRequest r;
  r.area = toRect(dialogArea(owner ? owner : m_window));
  if (ownerWindow && ownerWindow->isVisible()) r.owner = toRect(ownerWindow->frameGeometry());
  if (QWindow* handle = m_window->windowHandle(); handle && m_window->isVisible()) {
    QMargins m = handle->frameMargins();
    r.frame = {m.left(), m.top(), m.right(), m.bottom()};
  }
  QSize wanted = wantedSize(m_window, r.area.right - r.area.left - r.frame.left - r.frame.right);
  r.width = wanted.width();
  r.height = wanted.height();
  QRect client = toQRect(placeDialog(r));
  resizeWithin(m_window, client.size());
  if (placesWindows()) m_window->move(client.left() - r.frame.left, client.top() - r.frame.top);
}

void ScreenFit::fitCover() {
  QWidget* owner = m_window->parentWidget();
  QWidget* ownerWindow = owner ? owner->window() : nullptr;
  // The main window's own place, so the dialog covers it and its menu bar whole.
  QRect place = ownerWindow && ownerWindow->isVisible() ? ownerWindow->geometry()
                                                         : toQRect(windowPlacement(screenFacts(owner)));
  place = place.intersected(dialogArea(owner ? owner : m_window));
  resizeWithin(m_window, place.size());
  if (placesWindows()) m_window->move(place.topLeft());
}

void ScreenFit::fitSheet() {
  QWidget* host = m_window->parentWidget();
  if (!host) return;
  const int width = host->width();
  SheetRequest r;
  r.windowHeight = host->height();
  auto measure = [&] {
    KeptRow kept = m_keptRow ? m_keptRow() : KeptRow{};
    QRect row = kept.row.isValid() ? QRect(host->mapFrom(m_window->window(), kept.row.topLeft()), kept.row.size())
                                   : QRect();
    r.rowTop = row.isValid() ? row.top() : 0;
    r.rowBottom = row.isValid() ? row.top() + row.height() : 0;
    r.viewTop = kept.highestTop;
  };
  measure();
  QLayout* layout = m_window->layout();
  r.height = layout && layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : m_window->sizeHint().height();
  SheetPlacement p = placeSheet(r);
  if (p.scrollBy > 0) {
    if (m_scrollUp) m_scrollUp(p.scrollBy);
    measure();
    r.mayScroll = false;
    p = placeSheet(r);
  }
  // The sheet never goes below the least height its controls need; its body scrolls above it.
  const int height = std::min(r.windowHeight, std::max(p.height, m_window->minimumSizeHint().height()));
  const int top = std::max(0, std::min(p.top, r.windowHeight - height));
  m_window->setGeometry(0, top, width, height);
}

}  // namespace nibblet
