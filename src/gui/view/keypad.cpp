#include "gui/view/keypad.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QToolButton>

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

Keypad::Keypad(QWidget* parent, KeypadKind kind) : QWidget(parent), m_kind(kind) {
  setObjectName("keypad");
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  build();
}

void Keypad::setKind(KeypadKind kind) {
  if (kind == m_kind) return;
  m_kind = kind;
  build();
}

void Keypad::build() {
  auto* grid = static_cast<QGridLayout*>(layout());
  for (QToolButton* old : findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) delete old;
  const int side = physicalPixels(kKeyMillimetres, parentWidget());
  grid->setSpacing(std::max(2, side / 12));
  const KeypadLayout keys = keypadLayout(m_kind);
  int row = 0, column = 0;
  for (const KeypadKey& k : keys.keys) {
    auto* b = new QToolButton(this);
    b->setObjectName(keyName(k.key));
    b->setText(keyLabel(k.key));
    // Keys never take the focus: the caret stays in the line they type into.
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumSize(side, side);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setAutoRepeat(k.key == kKeyBackspace);
    QFont big = b->font();
    big.setPixelSize(std::max(1, side * 9 / 20));
    big.setBold(true);
    b->setFont(big);
    connect(b, &QToolButton::clicked, this, [this, key = k.key] { emit keyPressed(QChar(key)); });
    if (column + k.span > keys.columns) {
      ++row;
      column = 0;
    }
    grid->addWidget(b, row, column, 1, k.span);
    column += k.span;
  }
  // Columns share the width alike, whichever keys span two.
  for (int c = 0; c < grid->columnCount(); ++c) grid->setColumnStretch(c, c < keys.columns ? 1 : 0);
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
