#include "gui/view/hex_keypad.h"

#include <QGridLayout>
#include <QToolButton>

#include "core/view/hex_keypad.h"
#include "gui/platform/physical_size.h"

namespace nibblet {
namespace {

QString keyName(char16_t key) {
  if (key == kKeyBackspace) return QStringLiteral("keyBackspace");
  if (key == kKeySpace) return QStringLiteral("keySpace");
  return QStringLiteral("key") + QChar(key);
}

}  // namespace

HexKeypad::HexKeypad(QWidget* parent) : QWidget(parent) {
  setObjectName("hexKeypad");
  const int side = physicalPixels(kKeyMillimetres, parent);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(std::max(2, side / 12));

  auto addKey = [&](char16_t key, const QString& label, int row, int column, int span) {
    auto* b = new QToolButton(this);
    b->setObjectName(keyName(key));
    b->setText(label);
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
  for (int i = 0; i < 16; ++i) addKey(kHexKeys[i], QString(QChar(kHexKeys[i])), i / 4, i % 4, 1);
  addKey(kKeyBackspace, QString(QChar(0x232B)), 4, 0, 2);  // the "erase to the left" sign
  addKey(kKeySpace, QString(QChar(0x2423)), 4, 2, 2);  // the "open box" sign of a blank
}

QToolButton* HexKeypad::key(char16_t key) const { return findChild<QToolButton*>(keyName(key)); }

void HexKeypad::nameSignKeys(const QString& backspace, const QString& space) {
  if (QToolButton* b = key(kKeyBackspace)) b->setAccessibleName(backspace);
  if (QToolButton* b = key(kKeySpace)) b->setAccessibleName(space);
}

}  // namespace nibblet
