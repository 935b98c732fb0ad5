#include "gui/app/app_icon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace nibblet {

QPixmap appIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  // A page with a folded corner.
  QPainterPath page;
  page.moveTo(s * 0.16, s * 0.06);
  page.lineTo(s * 0.66, s * 0.06);
  page.lineTo(s * 0.86, s * 0.26);
  page.lineTo(s * 0.86, s * 0.94);
  page.lineTo(s * 0.16, s * 0.94);
  page.closeSubpath();
  p.setPen(QPen(QColor(40, 60, 110), qMax(1.0, s / 24)));
  p.setBrush(QColor(250, 250, 245));
  p.drawPath(page);
  p.setBrush(QColor(200, 210, 230));
  p.drawPolygon(QPolygonF({QPointF(s * 0.66, s * 0.06), QPointF(s * 0.66, s * 0.26), QPointF(s * 0.86, s * 0.26)}));
  // Two rows of byte cells, one of them marked as changed.
  const QColor cell(40, 60, 110);
  const QColor changed(250, 152, 5);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      QRectF r(s * (0.24 + col * 0.19), s * (0.36 + row * 0.18), s * 0.14, s * 0.11);
      p.fillRect(r, row == 1 && col == 1 ? changed : cell);
    }
  }
  return pixmap;
}

QIcon appIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(appIconPixmap(size));
  return icon;
}

}  // namespace nibblet
