#include "gui/view/entry_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethod>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/i18n/string_module.h"
#include "core/view/command_bar.h"
#include "core/view/entry_dialog_model.h"
#include "gui/platform/toolbar_images.h"

namespace nibblet {
namespace {

QString toQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string toU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

bool isKindButton(int command) {
  return command == kCmdEntryHex || command == kCmdEntryText || command == kCmdEntryUnicode ||
         command == kCmdSearchAtFirst;
}

}  // namespace

EntryDialog::EntryDialog(QWidget* owner, EntryDialogModel& model, const Texts& texts, int dpiX)
    : QDialog(owner), m_model(model), m_edit(new QLineEdit(this)) {
  setObjectName(QString::number(kDialogEntry));
  setWindowTitle(toQString(model.caption()));
  setModal(true);

  // Buttons a finger can hit: about 9 mm square at any density.
  const int target = (34 * dpiX + 48) / 96;
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(2);
  for (std::size_t i = 0; i < kCommandBar.size(); ++i) {
    const BarButton& entry = kCommandBar[i];
    auto* b = new QToolButton(this);
    b->setObjectName(QString::number(entry.command));
    b->setIcon(toolbarIcon(static_cast<int>(i), dpiX));
    b->setIconSize(QSize(20, 20) * dpiX / 96);
    b->setToolTip(toQString(texts.loadText(entry.tooltipId)));
    b->setAutoRaise(true);
    b->setCheckable(isKindButton(entry.command));
    b->setFixedSize(target, target);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, [this, command = entry.command] { runCommand(command); });
    bar->addWidget(b);
    m_buttons.emplace_back(entry.command, b);
  }
  bar->addStretch();

  m_edit->setObjectName(QString::number(kIdEntryEdit));
  m_edit->setMaxLength(static_cast<int>(kEntryMaxChars));
  m_edit->setMinimumHeight(target);
  QFont bigger = m_edit->font();
  bigger.setPixelSize((16 * dpiX + 48) / 96);
  m_edit->setFont(bigger);
  connect(m_edit, &QLineEdit::returnPressed, this, [this] { runCommand(kCmdOk); });

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);
  column->addLayout(bar);
  column->addWidget(m_edit);

  showState();
  m_edit->selectAll();
  m_edit->setFocus();
}

QToolButton* EntryDialog::button(int command) const {
  for (const auto& [id, b] : m_buttons)
    if (id == command) return b;
  return nullptr;
}

void EntryDialog::showState() {
  for (const auto& [id, b] : m_buttons) {
    b->setVisible(m_model.isShown(id));
    if (b->isCheckable()) b->setChecked(m_model.isChecked(id));
  }
  QString text = toQString(m_model.text());
  if (m_edit->text() != text) m_edit->setText(text);
}

void EntryDialog::runCommand(int command) {
  if (command == kCmdCancel) {
    reject();
    return;
  }
  m_model.setText(toU16(m_edit->text()));
  bool ends = m_model.command(command);
  showState();
  if (ends) accept();
}

void EntryDialog::reject() {
  m_model.command(kCmdCancel);
  QDialog::reject();
}

void EntryDialog::done(int result) {
  QGuiApplication::inputMethod()->hide();
  QDialog::done(result);
}

void EntryDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QGuiApplication::inputMethod()->show();
}

}  // namespace nibblet
