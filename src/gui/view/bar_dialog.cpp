#include "gui/view/bar_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/i18n/command_ids.h"
#include "core/view/command_bar.h"
#include "gui/platform/qt_text.h"
#include "gui/view/dialog_command_bar.h"

namespace nibblet {

BarDialog::BarDialog(QWidget* owner, BarDialogModel& model, const Texts& texts, int dpiX)
    : QDialog(owner),
      m_model(model),
      m_bar(new DialogCommandBar(this, model.buttonCount(), texts, dpiX)),
      m_edit(new QLineEdit(this)),
      m_caption(new QLabel(this)) {
  setObjectName(QString::number(kDialogEntry));
  setWindowTitle(toQString(model.caption()));
  m_caption->setText(windowTitle());
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
  auto* titleBar = new QWidget(this);
  titleBar->setObjectName("titleBar");
  titleBar->setAttribute(Qt::WA_StyledBackground);
  titleBar->setStyleSheet("#titleBar { background: #24406e; } QLabel { color: white; font-weight: bold; }");
  auto* titleRow = new QHBoxLayout(titleBar);
  const int pad = (4 * dpiX + 48) / 96;
  titleRow->setContentsMargins(2 * pad, pad, 2 * pad, pad);
  m_caption->setObjectName("caption");
  m_caption->setParent(titleBar);
  titleRow->addWidget(m_caption, 1);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);
  column->addWidget(titleBar);
  column->addWidget(m_bar);
  column->addWidget(m_edit);

  showState();
  m_edit->selectAll();
  m_edit->setFocus();
}

QToolButton* BarDialog::button(int command) const { return m_bar->button(command); }

void BarDialog::showState() {
  m_bar->showState(m_model);
  QString text = toQString(m_model.text());
  if (m_edit->text() != text) m_edit->setText(text);
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
  QGuiApplication::inputMethod()->show();
}

}  // namespace nibblet
