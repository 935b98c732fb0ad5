#include "gui/view/hex_keypad.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QToolButton>

#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"

namespace nibblet {
namespace {

// Every row is cut into this many columns, so rows of 1, 2, 3, 4 or 6 keys share it evenly.
constexpr int kGridColumns = 12;

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

HexKeypad::HexKeypad(QWidget* parent, const KeypadLayout& layout) : QWidget(parent), m_layout(layout) {
  setObjectName("hexKeypad");
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  for (int c = 0; c < kGridColumns; ++c) grid->setColumnStretch(c, 1);
  build();
}

void HexKeypad::setKeypadLayout(const KeypadLayout& layout) {
  if (layout.rows == m_layout.rows && layout.group == m_layout.group) return;
  m_layout = layout;
  for (QToolButton* old : findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) delete old;
  build();
}

void HexKeypad::build() {
  auto* grid = static_cast<QGridLayout*>(layout());
  const int side = physicalPixels(kKeyMillimetres, parentWidget());
  grid->setSpacing(std::max(2, side / 12));

  auto addKey = [&](char16_t key, int row, int column, int span) {
    auto* b = new QToolButton(this);
    b->setObjectName(keyName(key));
    b->setText(keyLabel(key));
    // Keys never take the focus: the caret stays in the line they type into.
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumSize(side, side);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setAutoRepeat(key == kKeyBackspace);
    QFont big = b->font();
    big.setPixelSize(std::max(1, side * 9 / 20));
    big.setBold(true);
    b->setFont(big);
    connect(b, &QToolButton::clicked, this, [this, key] { emit keyPressed(QChar(key)); });
    grid->addWidget(b, row, column, 1, span);
  };
  int row = 0;
  std::u16string_view rest = m_layout.rows;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(u'\n'), rest.size());
    const std::u16string_view keys = rest.substr(0, end);
    const int span = keys.empty() ? kGridColumns : std::max(1, kGridColumns / static_cast<int>(keys.size()));
    for (std::size_t i = 0; i < keys.size(); ++i) addKey(keys[i], row, static_cast<int>(i) * span, span);
    ++row;
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
}

QToolButton* HexKeypad::key(char16_t key) const { return findChild<QToolButton*>(keyName(key)); }

void HexKeypad::typeInto(QLineEdit* line, QChar key, std::size_t maxChars) const {
  LineState state;
  state.text = toU16(line->text());
  state.cursor = static_cast<std::size_t>(line->cursorPosition());
  state.anchor = state.cursor;
  if (line->hasSelectedText()) {
    const auto start = static_cast<std::size_t>(line->selectionStart());
    const auto end = static_cast<std::size_t>(line->selectionEnd());
    state.anchor = state.cursor == start ? end : start;
  }
  if (!pressKey(state, key.unicode(), maxChars, m_layout)) return;
  line->setText(toQString(state.text));
  line->setCursorPosition(static_cast<int>(state.cursor));
}

void HexKeypad::nameSignKeys(const QString& backspace, const QString& space) {
  if (QToolButton* b = key(kKeyBackspace)) b->setAccessibleName(backspace);
  if (QToolButton* b = key(kKeySpace)) b->setAccessibleName(space);
}

}  // namespace nibblet
