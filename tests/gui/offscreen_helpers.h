#pragma once
// What several offscreen tests of the real window share: a poller that drives modal dialogs
// and menus as they come (never a bare one-shot timer), the byte menu of a held byte, dialog
// 930's buttons, the end of a program run that keeps its edits, and a new size for the offscreen
// platform's screen, as a rotation gives.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QJsonArray>
#include <QJsonObject>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <qpa/qplatformnativeinterface.h>

#include "gui/app/application.h"
#include "core/i18n/command_ids.h"
#include "gui/app/main_frame.h"
#include "gui/view/hex_view_widget.h"

namespace nibblet::test {

// Calls `step` every 20 ms until it returns true. A step that opens a nested modal loop is not
// entered again while it runs; another Poller handles what that loop shows.
class Poller {
 public:
  explicit Poller(std::function<bool()> step) : m_step(std::move(step)) {
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      if (m_busy) return;
      m_busy = true;
      bool finished = m_step();
      m_busy = false;
      if (finished) m_timer.stop();
    });
    m_timer.start();
  }
  bool done() const { return !m_timer.isActive(); }

 private:
  std::function<bool()> m_step;
  QTimer m_timer;
  bool m_busy = false;
};

// The middle of the hex cell of `offset`, in the view's coordinates; a null point when the byte
// is not on screen.
inline QPoint cellCentre(HexViewWidget* view, std::uint32_t offset) {
  Rect r;
  if (!view->view().hexCell(offset, r)) return {};
  return view->clientOrigin() + QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Tap-and-hold on `offset` and choose item `id` of the byte menu; false when the item was
// missing or greyed (the menu is then dismissed). `items` gets the ids of the menu's items.
inline bool chooseFromByteMenu(HexViewWidget* view, std::uint32_t offset, int id, QStringList* items = nullptr) {
  bool chosen = false;
  Poller menuPoller([&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return false;
    if (items)
      for (QAction* a : menu->actions()) items->append(a->objectName());
    auto* action = menu->findChild<QAction*>(QString::number(id));
    if (action && action->isEnabled()) {
      menu->setActiveAction(action);
      QTest::keyClick(menu, Qt::Key_Return);
      chosen = true;
    } else {
      menu->close();
    }
    return true;
  });
  QPoint at = cellCentre(view, offset);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
  QApplication::sendEvent(view, &event);
  return QTest::qWaitFor([&] { return menuPoller.done(); }, 5000) && chosen;
}

// Dialog 930 (entry, search, goto, a value) when it is the open modal dialog, else null.
inline QWidget* barDialog() {
  QWidget* w = QApplication::activeModalWidget();
  return w && w->objectName() == QString::number(kDialogEntry) ? w : nullptr;
}

// Presses the button of `command` in dialog 930's bar.
inline void click(QWidget* dialog, int command) {
  QTest::mouseClick(dialog->findChild<QToolButton*>(QString::number(command)), Qt::LeftButton);
}

// Closes the program's window, keeping the edits made on the spot (Yes to the question of the
// close), stores what the program stores at exit, and lets the program go.
inline void closeKeepingEdits(std::unique_ptr<Application>& program) {
  if (!program) return;
  Poller keep([] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->button(QMessageBox::Yes)->click();
      return true;
    }
    return false;
  });
  program->mainFrame()->close();
  program->finish();
  program.reset();
}

// Gives the offscreen platform's one screen a new size, as a rotation does.
inline void setScreen(int width, int height) {
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto set = reinterpret_cast<void (*)(QJsonObject, QPlatformNativeInterface*)>(
      native->nativeResourceForIntegration("setConfiguration"));
  QJsonObject screen{{"name", ""}, {"x", 0}, {"y", 0}, {"width", width}, {"height", height}, {"logicalDpi", 96},
                     {"logicalBaseDpi", 96}, {"dpr", 1.0}};
  // No window manager draws frames on a hand-held shell.
  set(QJsonObject{{"screens", QJsonArray{screen}}, {"windowFrameMargins", false}}, native);
  QCoreApplication::processEvents();
}

}  // namespace nibblet::test
