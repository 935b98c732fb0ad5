#include "gui/app/empty_page.h"

#include <QPainter>

#include "gui/app/app_icon.h"

namespace nibblet {

EmptyPage::EmptyPage(const QString& aboutText, const ScreenScale& scale, QWidget* parent)
    : QWidget(parent), m_text(aboutText), m_scale(scale) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);
}

void EmptyPage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const int iconSize = m_scale.x(32);
  // The icon sits centred above the text: half its width left of the middle.
  const int x = m_scale.x(1) + r.right() / 2 - (m_scale.dpiX * 32 + 48) / 192;
  const int y = m_scale.y(4);
  p.drawPixmap(x, y, appIconPixmap(iconSize));
  QRect textRect(m_scale.x(2), r.top() + m_scale.y(40), r.right() - m_scale.x(2) - m_scale.x(2), r.bottom() - m_scale.y(40));
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

}  // namespace nibblet
