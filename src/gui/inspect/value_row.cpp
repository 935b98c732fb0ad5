#include "gui/inspect/value_row.h"

#include <QHBoxLayout>
#include <QLabel>

#include "gui/platform/tap_and_hold.h"

namespace nibblet {

ValueRow::ValueRow(QWidget* parent, int height, int nameWidth)
    : QWidget(parent), m_name(new QLabel(this)), m_value(new QLabel(this)), m_tapAndHold(new TapAndHold(this)) {
  setMinimumHeight(height);
  setAttribute(Qt::WA_Hover);
  auto* line = new QHBoxLayout(this);
  line->setContentsMargins(6, 0, 6, 0);
  line->setSpacing(8);
  m_name->setFixedWidth(nameWidth);
  m_name->setForegroundRole(QPalette::PlaceholderText);
  m_value->setTextFormat(Qt::PlainText);
  m_name->setTextFormat(Qt::PlainText);
  m_value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  // The labels leave the mouse to the row, whose recogniser tells a tap from a hold.
  m_name->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_value->setAttribute(Qt::WA_TransparentForMouseEvents);
  line->addWidget(m_name);
  line->addWidget(m_value, 1);
  m_valueFont = m_value->font();
  connect(m_tapAndHold, &TapAndHold::tapped, this, &ValueRow::tapped);
  connect(m_tapAndHold, &TapAndHold::held, this, [this](QPoint pos) { emit held(mapToGlobal(pos)); });
}

void ValueRow::setTexts(const QString& name, const QString& value) {
  m_name->setText(name);
  if (m_fullValue == value) return;
  m_fullValue = value;
  fitValue();
}

void ValueRow::setEditable(bool editable) {
  m_value->setForegroundRole(editable ? QPalette::WindowText : QPalette::PlaceholderText);
}

void ValueRow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitValue();
}

void ValueRow::fitValue() {
  const int room = m_value->width();
  QFont font = m_valueFont;
  const int wide = QFontMetrics(font).horizontalAdvance(m_fullValue);
  if (wide > room) {
    const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
    const qreal smaller = std::max(size * 3 / 4, size * std::max(room, 1) / wide);
    if (font.pointSizeF() > 0)
      font.setPointSizeF(smaller);
    else
      font.setPixelSize(std::max(1, static_cast<int>(smaller)));
  }
  if (m_value->font() != font) m_value->setFont(font);
  // What even the smaller letters cannot hold is cut with an ellipsis, never mid-letter.
  m_value->setText(room > 0 ? QFontMetrics(font).elidedText(m_fullValue, Qt::ElideRight, room) : m_fullValue);
}

}  // namespace nibblet
