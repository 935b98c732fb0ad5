#include "gui/platform/toolbar_images.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>
#include <algorithm>

namespace nibblet {
namespace {

const QColor kInk(30, 50, 110);
const QColor kGreen(20, 140, 40);
const QColor kRed(200, 30, 30);
const QColor kPaper(250, 250, 250);

void letters(QPainter& p, const QString& text, int pixelSize, const QColor& colour) {
  QFont font = p.font();
  font.setPixelSize(pixelSize);
  font.setBold(true);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, text);
}

void magnifier(QPainter& p, qreal cx, qreal cy, qreal r) {
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(QColor(200, 225, 250));
  p.drawEllipse(QPointF(cx, cy), r, r);
  p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(cx + r * 0.7, cy + r * 0.7), QPointF(cx + r * 0.7 + 4, cy + r * 0.7 + 4));
}

void page(QPainter& p, const QRectF& r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(r);
}

void arrowHead(QPainter& p, QPointF tip, QPointF back1, QPointF back2, const QColor& colour) {
  QPainterPath head;
  head.moveTo(tip);
  head.lineTo(back1);
  head.lineTo(back2);
  head.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(head);
}

// A curved arrow turning back to the left, its head at (x, y).
void undoArrow(QPainter& p, qreal x, qreal y, const QColor& colour) {
  QPainterPath path;
  path.moveTo(x + 9, y + 8);
  path.cubicTo(x + 12, y + 2, x + 6, y - 2, x + 2, y);
  p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  arrowHead(p, QPointF(x - 1, y + 1), QPointF(x + 4, y - 3), QPointF(x + 4, y + 4), colour);
}

void draw(QPainter& p, int index) {
  switch (index) {
    case 0: letters(p, QStringLiteral("0F"), 10, kInk); break;
    case 1: letters(p, QStringLiteral("Ab"), 10, kInk); break;
    case 2: letters(p, QStringLiteral("U+"), 10, kInk); break;
    case 3:
      magnifier(p, 9, 7, 4);
      p.setPen(QPen(kRed, 2));
      p.drawLine(QPointF(1.5, 1), QPointF(1.5, 15));
      break;
    case 4: {
      QPainterPath tick;
      tick.moveTo(2, 8.5);
      tick.lineTo(6.5, 13);
      tick.lineTo(14, 3);
      p.setPen(QPen(kGreen, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPath(tick);
      break;
    }
    case 5:
      p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3, 3), QPointF(13, 13));
      p.drawLine(QPointF(13, 3), QPointF(3, 13));
      break;
    case 6:
      page(p, QRectF(1.5, 1.5, 8, 10));
      page(p, QRectF(6.5, 4.5, 8, 10));
      break;
    case 7:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(200, 160, 90));
      p.drawRoundedRect(QRectF(1.5, 2.5, 11, 13), 1.5, 1.5);
      p.setBrush(QColor(120, 120, 120));
      p.drawRect(QRectF(4.5, 1, 5, 3));
      page(p, QRectF(7.5, 6.5, 7, 9));
      break;
    case 8: magnifier(p, 7, 7, 5); break;
    case 9:
      magnifier(p, 6, 6, 4);
      p.setPen(QPen(kGreen, 2));
      p.drawLine(QPointF(9, 13), QPointF(13, 13));
      arrowHead(p, QPointF(16, 13), QPointF(12, 9.5), QPointF(12, 16.5), kGreen);
      break;
    case 10:
      letters(p, QString(QChar(0x2260)), 13, kRed);
      p.setPen(QPen(kGreen, 2));
      p.drawLine(QPointF(13, 1), QPointF(13, 10));
      arrowHead(p, QPointF(13, 15), QPointF(9.5, 10), QPointF(16.5, 10), kGreen);
      break;
    case 11: undoArrow(p, 3, 6, kInk); break;
    case 12:
      undoArrow(p, 3, 3, kInk);
      undoArrow(p, 3, 10, kRed);
      break;
    default: break;
  }
}

}  // namespace

QPixmap toolbarImage(int index, int dpiX) {
  int side = dpiX <= 96 ? kToolbarImageSize : (kToolbarImageSize * dpiX + 48) / 96;
  QPixmap pixmap(side, side);
  pixmap.setDevicePixelRatio(qreal(side) / kToolbarImageSize);
  pixmap.fill(Qt::transparent);
  if (index < 0 || index >= kToolbarImageCount) return pixmap;
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  draw(p, index);
  return pixmap;
}

QIcon toolbarIcon(int index, int dpiX) { return QIcon(toolbarImage(index, dpiX)); }

void sizeToolbar(QToolBar* bar, int dpiX, int finger) {
  const int plain = (kToolbarImageSize * dpiX + 48) / 96;
  const int side = std::max(plain, finger * 2 / 3);
  // Sized alike already: nothing is drawn or laid out again.
  bool sized = bar->iconSize() == QSize(side, side);
  for (QAction* a : bar->actions()) {
    QWidget* button = bar->widgetForAction(a);
    if (!a->isSeparator() && (a->icon().isNull() || (button && button->minimumWidth() != finger))) sized = false;
  }
  if (sized) return;
  bar->setIconSize(QSize(side, side));
  for (QAction* a : bar->actions()) {
    if (a->isSeparator() || !a->data().isValid()) continue;
    a->setIcon(toolbarIcon(a->data().toInt(), dpiX * side / std::max(1, plain)));
    if (QWidget* button = bar->widgetForAction(a)) button->setMinimumSize(finger, finger);
  }
}

}  // namespace nibblet
