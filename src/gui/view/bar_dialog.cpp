#include "gui/view/bar_dialog.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QFocusEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/view/command_bar.h"
#include "gui/platform/body_scroll_area.h"
#include "gui/platform/dialog_caption.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_fit.h"
#include "gui/platform/screen_scale.h"
#include "gui/view/dialog_command_bar.h"
#include "gui/view/hex_keypad.h"

namespace nibblet {
namespace {

// Keeps the line's selection while the keys are elsewhere: a line loses it when another widget
// takes the focus (a tap on the window behind a sheet, say), and the next typed pair would then
// be added after the pre-filled value instead of replacing it.
class SelectionKeeper : public QObject {
 public:
  explicit SelectionKeeper(QLineEdit* line) : QObject(line), m_line(line) { line->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) {
      m_text = m_line->text();
      m_start = m_line->selectionStart();
      m_length = m_line->selectedText().size();
      m_cursor = m_line->cursorPosition();
    } else if (event->type() == QEvent::FocusIn && m_start >= 0 && m_line->text() == m_text &&
               static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
      // Restored after the line's own handling of the focus; a tap on the line itself places
      // the cursor where the finger put it instead.
      QMetaObject::invokeMethod(this, [this, start = m_start, length = m_length, cursor = m_cursor] {
        if (m_line->text() != m_text) return;
        if (start == cursor) m_line->setSelection(start + length, -length);
        else m_line->setSelection(start, length);
      }, Qt::QueuedConnection);
      m_start = -1;
    }
    return false;
  }

 private:
  QLineEdit* m_line;
  QString m_text;
  int m_start = -1;
  int m_length = 0;
  int m_cursor = 0;
};

}  // namespace


BarDialog::BarDialog(QWidget* owner, BarDialogModel& model, const Texts& texts, int dpiX)
    : QDialog(owner),
      m_model(model),
      m_bar(new DialogCommandBar(this, model.buttonCount(), texts, dpiX)),
      m_edit(new QLineEdit),
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

  // The caption stays in view; the bar, the line and the pad scroll below it on a small screen.
  auto* body = new QWidget;
  auto* rows = new QVBoxLayout(body);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(4);
  rows->addWidget(m_bar);
  rows->addWidget(m_edit);
  rows->addWidget(m_keypad);
  // Height the scrolled body is given beyond its rows stays below them.
  rows->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);
  column->addWidget(m_caption);
  column->addWidget(new BodyScrollArea(body, this), 1);
  connect(m_keypad, &HexKeypad::keyPressed, this,
          [this](QChar key) { m_keypad->typeInto(m_edit, key, static_cast<std::size_t>(m_edit->maxLength())); });
  m_keypad->nameSignKeys(toQString(texts.loadText(kIdsKeyBackspace)), toQString(texts.loadText(kIdsKeySpace)));
  m_edit->setAccessibleName(toQString(model.caption()));
  m_keypad->setVisible(false);  // until the model asks for it

  // A tap anywhere on the dialog (a key of the pad, a button of the bar) leaves the keys with
  // the line and keeps its selection, also when the dialog is a sheet inside the main window.
  setFocusPolicy(Qt::ClickFocus);
  setFocusProxy(m_edit);
  ScreenFit::attach(this, FitRole::Dialog);
  showState();
  m_edit->selectAll();
  new SelectionKeeper(m_edit);
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
    if (ScreenFit* fit = ScreenFit::of(this)) fit->refit();
  }
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
  // Shown as a sheet, the dialog takes the keys from the window around it.
  if (!isWindow()) m_edit->setFocus();
  if (!m_model.keypad()) QGuiApplication::inputMethod()->show();
}

}  // namespace nibblet
