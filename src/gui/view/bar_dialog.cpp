#include "gui/view/bar_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/view/command_bar.h"
#include "core/view/hex_keypad.h"
#include "gui/platform/dialog_caption.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_scale.h"
#include "gui/view/dialog_command_bar.h"
#include "gui/view/hex_keypad.h"

namespace nibblet {

BarDialog::BarDialog(QWidget* owner, BarDialogModel& model, const Texts& texts, int dpiX)
    : QDialog(owner),
      m_model(model),
      m_bar(new DialogCommandBar(this, model.buttonCount(), texts, dpiX)),
      m_edit(new QLineEdit(this)),
      m_keypad(new HexKeypad(this, model.keypad() ? *model.keypad() : kHexKeypad)) {
  setObjectName(QString::number(kDialogEntry));
  setWindowTitle(toQString(model.caption()));
  setModal(true);
  connect(m_bar, &DialogCommandBar::commandTriggered, this, &BarDialog::runCommand);

  m_edit->setObjectName(QString::number(kIdEntryEdit));
  m_edit->setMaxLength(static_cast<int>(model.maxChars()));
  m_edit->setMinimumHeight(m_bar->buttonSide());
  QFont bigger = m_edit->font();
  bigger.setPixelSize((16 * dpiX + 48) / 96);
  m_edit->setFont(bigger);
  connect(m_edit, &QLineEdit::returnPressed, this, [this] { runCommand(kCmdOk); });

  // The caption is drawn by the dialog itself: on a hand-held shell or a kiosk no window
  // manager draws a frame with a title.
  m_caption = makeCaptionLabel(this, ScreenScale{dpiX, dpiX});

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);
  column->addWidget(m_caption);
  column->addWidget(m_bar);
  column->addWidget(m_edit);
  column->addWidget(m_keypad);
  connect(m_keypad, &HexKeypad::keyPressed, this, &BarDialog::typeKey);
  m_keypad->nameSignKeys(toQString(texts.loadText(kIdsKeyBackspace)), toQString(texts.loadText(kIdsKeySpace)));
  m_edit->setAccessibleName(toQString(model.caption()));
  m_keypad->setVisible(false);  // until the model asks for it

  showState();
  m_edit->selectAll();
  m_edit->setFocus();
}

QToolButton* BarDialog::button(int command) const { return m_bar->button(command); }

void BarDialog::showState() {
  m_bar->showState(m_model);
  QString text = toQString(m_model.text());
  if (m_edit->text() != text) m_edit->setText(text);

  const bool pad = m_model.keypad() != nullptr;
  if (pad == m_keypad->isVisibleTo(this)) return;
  m_keypad->setVisible(pad);
  // With the pad on screen the line asks for no input panel: the pad is the keyboard.
  m_edit->setAttribute(Qt::WA_InputMethodEnabled, !pad);
  if (isVisible()) {
    if (pad)
      QGuiApplication::inputMethod()->hide();
    else
      QGuiApplication::inputMethod()->show();
    adjustSize();
    keepOnScreen();
  }
}

void BarDialog::typeKey(QChar key) {
  LineState line;
  line.text = toU16(m_edit->text());
  line.cursor = static_cast<std::size_t>(m_edit->cursorPosition());
  line.anchor = line.cursor;
  if (m_edit->hasSelectedText()) {
    int start = m_edit->selectionStart();
    int end = m_edit->selectionEnd();
    line.anchor = static_cast<std::size_t>(line.cursor == static_cast<std::size_t>(start) ? end : start);
  }
  if (!pressKey(line, key.unicode(), static_cast<std::size_t>(m_edit->maxLength()), m_keypad->keypadLayout())) return;
  m_edit->setText(toQString(line.text));
  m_edit->setCursorPosition(static_cast<int>(line.cursor));
}

void BarDialog::keepOnScreen() {
  QScreen* where = screen();
  if (!where) return;
  QRect area = where->availableGeometry();
  QRect frame = frameGeometry();
  QPoint to = frame.topLeft();
  to.setX(std::max(area.left(), std::min(to.x(), area.right() + 1 - frame.width())));
  to.setY(std::max(area.top(), std::min(to.y(), area.bottom() + 1 - frame.height())));
  if (to != frame.topLeft()) move(to);
}

void BarDialog::runCommand(int command) {
  if (command == kCmdCancel) {
    reject();
    return;
  }
  m_model.setText(toU16(m_edit->text()));
  bool ends = m_model.command(command);
  showState();
  if (ends) accept();
}

void BarDialog::reject() {
  m_model.command(kCmdCancel);
  QDialog::reject();
}

void BarDialog::done(int result) {
  QGuiApplication::inputMethod()->hide();
  QDialog::done(result);
}

void BarDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // A dialog grown by its keypad stays on the screen, even when placed near its foot.
  keepOnScreen();
  if (!m_model.keypad()) QGuiApplication::inputMethod()->show();
}

}  // namespace nibblet
