#include "gui/platform/physical_size.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "gui/platform/screen_fit.h"

namespace nibblet {

int physicalPixels(double millimetres, const QWidget* widget) {
  QScreen* screen = widget ? widget->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  // The denser axis, so the length is reached across and along.
  double dpi = screen ? std::max(screen->physicalDotsPerInchX(), screen->physicalDotsPerInchY()) : 0.0;
  // Some displays report a physical size of nothing or of a projector wall.
  if (!std::isfinite(dpi) || dpi < 20.0 || dpi > 2000.0) dpi = 96.0;
  return static_cast<int>(std::ceil(millimetres * dpi / 25.4));
}

int fingerPixels(const QWidget* widget) {
  return isHandHeldScreen(widget) ? physicalPixels(kFingerMillimetres, widget) : 0;
}

int paddingFor(int height, int fontHeight, int least) { return std::max(least, (height - fontHeight + 1) / 2); }

void fitMenuToFinger(QWidget* menu, int least) {
  const int finger = fingerPixels(menu);
  if (finger == 0 && least == 0) return;
  const int pad = paddingFor(finger, QFontMetrics(menu->font()).height(), std::max(least, 4));
  const int side = std::max(8, pad);
  const QString style = QStringLiteral("QMenuBar::item { padding: %1px %2px; } "
                                       "QMenu::item { padding: %1px %3px %1px %2px; }")
                            .arg(pad)
                            .arg(side * 7 / 4)
                            .arg(side * 7 / 2);
  // The same style again would only lay the menus out anew.
  if (menu->styleSheet() != style) menu->setStyleSheet(style);
}

void fitDropDownToFinger(QComboBox* combo) {
  const int finger = fingerPixels(combo);
  if (finger == 0) return;
  combo->setItemDelegate(new TallRowDelegate(finger, combo));
}

QSize TallRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setHeight(std::max(size.height(), m_rowHeight));
  return size;
}

}  // namespace nibblet
