#include "gui/platform/modal_keys.h"

#include <QGuiApplication>
#include <QPointer>
#include <QWindow>
#include <private/qguiapplication_p.h>
#include <qpa/qwindowsysteminterface_p.h>

namespace nibblet {
namespace {

// Sees every event of the display server before Qt delivers it (Qt's own hook for this,
// outside its stable interface): a key meant for a blocked window is retargeted to the
// window that blocks it.
class ModalKeyHandler : public QWindowSystemEventHandler {
 public:
  bool sendEvent(QWindowSystemInterfacePrivate::WindowSystemEvent* event) override {
    if (event->type == QWindowSystemInterfacePrivate::Key) {
      auto* key = static_cast<QWindowSystemInterfacePrivate::KeyEvent*>(event);
      QWindow* blocking = nullptr;
      if (key->window && QGuiApplicationPrivate::instance()->isWindowBlocked(key->window, &blocking) && blocking)
        key->window = blocking;
    }
    return QWindowSystemEventHandler::sendEvent(event);
  }
};

}  // namespace

void keepKeysWithModalDialog() {
  static ModalKeyHandler* handler = nullptr;
  if (handler) return;
  handler = new ModalKeyHandler;
  QWindowSystemInterfacePrivate::installWindowSystemEventHandler(handler);
  // Where the display server lets a program activate its own windows (X11, most phone
  // shells), the dialog also shows as the active window again.
  QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow* focused) {
    QWindow* blocking = nullptr;
    if (!focused || !QGuiApplicationPrivate::instance()->isWindowBlocked(focused, &blocking) || !blocking) return;
    QPointer<QWindow> keep = blocking;
    QMetaObject::invokeMethod(qApp, [keep] {
      if (keep && keep->isVisible()) keep->requestActivate();
    }, Qt::QueuedConnection);
  });
}

}  // namespace nibblet
