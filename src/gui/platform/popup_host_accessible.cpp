#include "gui/platform/popup_host_accessible.h"

#include <QMenu>

namespace nibblet {
namespace {

QAccessibleInterface* hostFactory(const QString& className, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (!widget) return nullptr;
  if (className == QLatin1String("nibblet::MainFrame")) return new PopupHostAccessible(widget, QAccessible::Window);
  if (className == QLatin1String("nibblet::HexViewWidget")) return new PopupHostAccessible(widget, QAccessible::Pane);
  return nullptr;
}

}  // namespace

PopupHostAccessible::PopupHostAccessible(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role) {}

QList<QMenu*> PopupHostAccessible::openPopups() const {
  QList<QMenu*> open;
  for (QMenu* menu : widget()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
    if (menu->isVisible() && menu->isWindow()) open.append(menu);
  return open;
}

int PopupHostAccessible::childCount() const {
  return QAccessibleWidget::childCount() + static_cast<int>(openPopups().size());
}

QAccessibleInterface* PopupHostAccessible::child(int index) const {
  const int own = QAccessibleWidget::childCount();
  if (index < own) return QAccessibleWidget::child(index);
  const QList<QMenu*> popups = openPopups();
  const int popup = index - own;
  if (popup < 0 || popup >= popups.size()) return nullptr;
  return QAccessible::queryAccessibleInterface(popups.at(popup));
}

int PopupHostAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const int own = QAccessibleWidget::indexOfChild(child);
  if (own >= 0 || !child) return own;
  const int popup = static_cast<int>(openPopups().indexOf(qobject_cast<QMenu*>(child->object())));
  return popup < 0 ? -1 : QAccessibleWidget::childCount() + popup;
}

void installPopupHostAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(hostFactory);
}

}  // namespace nibblet
