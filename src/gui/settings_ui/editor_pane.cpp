#include "gui/settings_ui/editor_pane.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace nibblet {
namespace {

const QColor kPaneBackground(234, 234, 234);
const QColor kPaneText(10, 0, 210);

}  // namespace

RowButton::RowButton(QWidget* parent) : QPushButton("...", parent) {
  setObjectName("9904");
  setFocusPolicy(Qt::NoFocus);
}

void RowButton::setFaceColour(const QColor& colour) {
  m_face = colour;
  update();
}

void RowButton::paintEvent(QPaintEvent* event) {
  if (!m_face.isValid()) {
    QPushButton::paintEvent(event);
    return;
  }
  QPainter p(this);
  QRect r = rect().adjusted(0, 0, -1, -1);
  p.fillRect(r, m_face);
  p.setPen(isDown() ? Qt::white : Qt::black);
  p.drawRect(r);
  // The dots stay readable on dark and light colours alike.
  p.setPen(m_face.lightness() < 128 ? Qt::white : Qt::black);
  p.drawText(rect(), Qt::AlignCenter, text());
}

EditorPane::EditorPane(QWidget* parent) : QWidget(parent) {
  setObjectName("9901");
  m_textBox = new QLineEdit(this);
  m_textBox->setObjectName("9902");
  m_dropDown = new QComboBox(this);
  m_dropDown->setObjectName("9903");
  m_button = new RowButton(this);
  m_picker = new QDateTimeEdit(this);
  m_picker->setObjectName("9905");
  for (QWidget* editor : {static_cast<QWidget*>(m_textBox), static_cast<QWidget*>(m_dropDown),
                          static_cast<QWidget*>(m_button), static_cast<QWidget*>(m_picker)})
    editor->hide();
}

void EditorPane::setHint(const QString& text, const QRect& hintArea, bool belowEditor) {
  m_hint = text;
  m_hintArea = hintArea;
  m_belowEditor = belowEditor;
  update();
}

void EditorPane::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kPaneBackground);
  p.setPen(kPaneText);
  p.setFont(m_font);
  QRect area = m_belowEditor ? m_hintArea : rect().adjusted(2, 2, -2, -2);
  p.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_hint);
}

}  // namespace nibblet
