#include "gui/browser/browser_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace nibblet {
namespace {

constexpr int kIconSize = 16;

void drawFolder(QPainter& p) {
  const QColor outline(150, 110, 20);
  p.setPen(QPen(outline, 1));
  // The tab, then the body in front of it.
  p.setBrush(QColor(230, 180, 60));
  QPainterPath tab;
  tab.moveTo(1.5, 4.5);
  tab.lineTo(1.5, 2.5);
  tab.lineTo(6.5, 2.5);
  tab.lineTo(8.0, 4.5);
  tab.closeSubpath();
  p.drawPath(tab);
  p.setBrush(QColor(250, 205, 90));
  p.drawRect(QRectF(1.5, 4.5, 13.0, 9.0));
  p.setPen(QPen(QColor(255, 235, 160), 1));
  p.drawLine(QPointF(2.5, 5.5), QPointF(13.5, 5.5));
}

void drawFile(QPainter& p) {
  const QColor outline(90, 100, 120);
  // A page with its top right corner folded over.
  QPainterPath page;
  page.moveTo(3.5, 1.5);
  page.lineTo(9.5, 1.5);
  page.lineTo(12.5, 4.5);
  page.lineTo(12.5, 14.5);
  page.lineTo(3.5, 14.5);
  page.closeSubpath();
  p.setPen(QPen(outline, 1));
  p.setBrush(Qt::white);
  p.drawPath(page);
  QPainterPath corner;
  corner.moveTo(9.5, 1.5);
  corner.lineTo(9.5, 4.5);
  corner.lineTo(12.5, 4.5);
  p.setBrush(QColor(210, 215, 225));
  p.drawPath(corner);
  p.setPen(QPen(QColor(150, 160, 180), 1));
  for (int y = 7; y <= 12; y += 2) p.drawLine(QPointF(5.0, y + 0.5), QPointF(11.0, y + 0.5));
}

// A greyed page crossed by a red bar: listed, but not a file that can be opened.
void drawNotAFile(QPainter& p) {
  QPainterPath page;
  page.addRect(QRectF(3.5, 1.5, 9.0, 13.0));
  p.setPen(QPen(QColor(150, 150, 150), 1));
  p.setBrush(QColor(225, 225, 225));
  p.drawPath(page);
  p.setPen(QPen(QColor(200, 40, 40), 2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(8.0, 8.0), 5.0, 5.0);
  p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
}

}  // namespace

QIcon browserIcon(int id, qreal devicePixelRatio) {
  if (devicePixelRatio <= 0) devicePixelRatio = 1;
  const int side = qRound(kIconSize * devicePixelRatio);
  QPixmap pixmap(side, side);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  if (id == kIconFolder) {
    drawFolder(painter);
  } else if (id == kIconNotAFile) {
    drawNotAFile(painter);
  } else {
    drawFile(painter);
  }
  painter.end();
  return QIcon(pixmap);
}

}  // namespace nibblet
