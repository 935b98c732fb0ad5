#include "gui/view/keypad.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>

#include "core/view/hex_keypad.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"

namespace nibblet {
namespace {

QString keyName(char16_t key) {
  if (key == kKeyBackspace) return QStringLiteral("keyBackspace");
  if (key == kKeySpace) return QStringLiteral("keySpace");
  return QStringLiteral("key") + QChar(key);
}

QString keyLabel(char16_t key) {
  if (key == kKeyBackspace) return QString(QChar(0x232B));  // the "erase to the left" sign
  if (key == kKeySpace) return QString(QChar(0x2423));      // the "open box" sign of a blank
  return QString(QChar(key));
}

}  // namespace

Keypad::Keypad(QWidget* parent, KeypadKind kind)
    : QWidget(parent), m_kind(kind), m_side(physicalPixels(kKeyMillimetres, parent)), m_spacing(std::max(2, m_side / 12)) {
  setObjectName("keypad");
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  build();
}

void Keypad::setKind(KeypadKind kind) {
  if (kind == m_kind) return;
  m_kind = kind;
  build();
}

void Keypad::build() {
  for (QToolButton* old : m_keys) delete old;
  m_keys.clear();
  for (const KeypadKey& k : keypadLayout(m_kind).keys) {
    auto* b = new QToolButton(this);
    b->setObjectName(keyName(k.key));
    b->setText(keyLabel(k.key));
    // Keys never take the focus: the caret stays in the line they type into.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(k.key == kKeyBackspace);
    QFont big = b->font();
    big.setPixelSize(std::max(1, m_side * 9 / 20));
    big.setBold(true);
    b->setFont(big);
    b->show();
    connect(b, &QToolButton::clicked, this, [this, key = k.key] { emit keyPressed(QChar(key)); });
    m_keys.push_back(b);
  }
  placeKeys();
  updateGeometry();
}

int Keypad::rowsFor(int columns) const {
  const std::vector<KeyPlace> places = nibblet::placeKeys(keypadLayout(m_kind), columns);
  return places.empty() ? 0 : places.back().row + 1;
}

int Keypad::heightFor(int columns) const {
  const int rows = rowsFor(columns);
  return rows * m_side + std::max(0, rows - 1) * m_spacing;
}

int Keypad::widthFor(int columns) const { return columns * m_side + (columns - 1) * m_spacing; }

QSize Keypad::sizeHint() const {
  const int columns = keypadLayout(m_kind).columns;
  return QSize(widthFor(columns), heightFor(columns));
}

QSize Keypad::minimumSizeHint() const {
  const int columns = fewestKeypadColumns(keypadLayout(m_kind));
  return QSize(widthFor(columns), heightFor(columns));
}

int Keypad::heightForWidth(int width) const {
  return heightFor(keypadColumns(keypadLayout(m_kind), width, m_side, m_spacing));
}

void Keypad::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placeKeys();
}

void Keypad::placeKeys() {
  const KeypadLayout layout = keypadLayout(m_kind);
  const int columns = keypadColumns(layout, width(), m_side, m_spacing);
  // The columns share the width alike: keys grow wider, never narrower than their side.
  const int column = std::max(m_side, (width() - (columns - 1) * m_spacing) / std::max(1, columns));
  const std::vector<KeyPlace> places = nibblet::placeKeys(layout, columns);
  for (std::size_t i = 0; i < places.size() && i < m_keys.size(); ++i) {
    const KeyPlace& p = places[i];
    m_keys[i]->setGeometry(p.column * (column + m_spacing), p.row * (m_side + m_spacing),
                           p.span * column + (p.span - 1) * m_spacing, m_side);
  }
}

QToolButton* Keypad::key(char16_t key) const { return findChild<QToolButton*>(keyName(key)); }

void Keypad::typeInto(QLineEdit* line, QChar key, std::size_t maxChars) const {
  LineState state;
  state.text = toU16(line->text());
  state.cursor = static_cast<std::size_t>(line->cursorPosition());
  state.anchor = state.cursor;
  if (line->hasSelectedText()) {
    const auto start = static_cast<std::size_t>(line->selectionStart());
    const auto end = static_cast<std::size_t>(line->selectionEnd());
    state.anchor = state.cursor == start ? end : start;
  }
  if (!pressKeypadKey(state, key.unicode(), maxChars, m_kind)) return;
  line->setText(toQString(state.text));
  line->setCursorPosition(static_cast<int>(state.cursor));
}

}  // namespace nibblet
