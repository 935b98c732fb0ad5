#include "gui/convert/converter_dialog.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "core/convert/converter_model.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "gui/platform/dialog_caption.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_scale.h"

namespace nibblet {
namespace {

// One dialog unit in logical pixels at 96 dpi, in sixths: a 12-unit control becomes 34 pixels
// (9 mm), the smallest target a finger hits reliably.
constexpr int kUnitSixths = 17;

struct Place {
  int x, y, width, height;
};

}  // namespace

ConverterDialog::ConverterDialog(QWidget* owner, ConverterModel& model, const Texts& texts, const ScreenScale& s)
    : QDialog(owner), m_model(model) {
  setObjectName(QString::number(kDialogConverter));
  setModal(true);
  const DialogResource* resource = texts.stringModule().dialog(kDialogConverter);
  DialogResource empty;
  const DialogResource& r = resource ? *resource : empty;
  setWindowTitle(toQString(r.caption));
  auto label = [&](std::size_t i) { return i < r.labels.size() ? toQString(r.labels[i]) : QString(); };
  auto control = [&](int id) {
    auto it = r.controls.find(id);
    return it == r.controls.end() ? QString() : toQString(it->second);
  };
  auto place = [&](QWidget* w, Place p) {
    w->setGeometry(s.x(p.x * kUnitSixths / 6), s.y(p.y * kUnitSixths / 6), s.x(p.width * kUnitSixths / 6),
                   s.y(p.height * kUnitSixths / 6));
  };
  QFont font = this->font();
  font.setPixelSize(s.y(15));
  setFont(font);

  // The template's controls in its order: input, from, to, "to", result, "from", the prompt,
  // "Copy as", the copy list and "=".
  m_input = new QLineEdit(this);
  m_input->setObjectName(QString::number(kIdConverterInput));
  place(m_input, {2, 13, 128, 12});
  m_from = new QComboBox(this);
  m_from->setObjectName(QString::number(kIdConverterFrom));
  place(m_from, {30, 27, 32, 13});
  m_to = new QComboBox(this);
  m_to->setObjectName(QString::number(kIdConverterTo));
  place(m_to, {98, 27, 32, 13});
  auto* toLabel = new QLabel(label(0), this);
  toLabel->setAlignment(Qt::AlignCenter);
  place(toLabel, {63, 28, 32, 11});
  m_result = new QLineEdit(this);
  m_result->setObjectName(QString::number(kIdConverterResult));
  m_result->setReadOnly(true);  // its text is never read back
  place(m_result, {2, 42, 128, 13});
  auto* fromLabel = new QLabel(label(1), this);
  place(fromLabel, {2, 28, 27, 11});
  auto* prompt = new QLabel(label(2), this);
  place(prompt, {2, 1, 113, 10});
  auto* copyLabel = new QLabel(label(3), this);
  copyLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  place(copyLabel, {2, 56, 60, 13});
  m_copyAs = new QComboBox(this);
  m_copyAs->setObjectName(QString::number(kIdConverterCopyAs));
  place(m_copyAs, {64, 56, 66, 13});
  m_equals = new QPushButton(control(kIdConverterEquals), this);
  m_equals->setObjectName(QString::number(kIdConverterEquals));
  place(m_equals, {116, 0, 14, 12});
  // Each label names its control for a screen reader; the result is read in the "to" base.
  prompt->setBuddy(m_input);
  fromLabel->setBuddy(m_from);
  toLabel->setBuddy(m_to);
  copyLabel->setBuddy(m_copyAs);
  m_result->setAccessibleName(label(0));

  // The shell's OK and Cancel, as buttons a finger reaches under the template.
  auto* ok = new QPushButton(toQString(texts.loadText(kIdsOk)), this);
  ok->setObjectName(QString::number(kCmdOk));
  ok->setDefault(true);
  place(ok, {2, 72, 62, 13});
  auto* cancel = new QPushButton(toQString(texts.loadText(kIdsCancel)), this);
  cancel->setObjectName(QString::number(kCmdCancel));
  place(cancel, {68, 72, 62, 13});
  setFixedSize(s.x(133 * kUnitSixths / 6), s.y(87 * kUnitSixths / 6));

  for (int id : ConverterModel::baseTextIds()) {
    m_from->addItem(toQString(texts.loadText(id)));
    m_to->addItem(toQString(texts.loadText(id)));
  }
  for (int id : m_model.copyAsTextIds()) m_copyAs->addItem(toQString(texts.loadText(id)));
  m_from->setCurrentIndex(m_model.fromIndex());
  m_to->setCurrentIndex(m_model.toIndex());
  m_copyAs->setCurrentIndex(m_model.copyAsIndex());
  showModel();

  connect(m_input, &QLineEdit::textChanged, this, [this] { convert(); });
  connect(m_from, &QComboBox::currentIndexChanged, this, [this] { convert(); });
  connect(m_to, &QComboBox::currentIndexChanged, this, [this] { convert(); });
  connect(m_equals, &QPushButton::clicked, this, [this] { evaluate(); });
  connect(ok, &QPushButton::clicked, this, &ConverterDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &ConverterDialog::reject);
  addCaptionBand(this, s);
  m_input->setFocus();
}

void ConverterDialog::convert() {
  m_model.convert(toU16(m_input->text()), m_from->currentIndex(), m_to->currentIndex());
  m_equals->setEnabled(m_model.isEqualsEnabled());
  m_result->setText(toQString(m_model.result()));
}

void ConverterDialog::evaluate() {
  convert();
  if (!m_model.evaluate()) return;
  showModel();
}

void ConverterDialog::showModel() {
  {
    const QSignalBlocker quiet(m_input);
    m_input->setText(toQString(m_model.input()));
  }
  m_result->setText(toQString(m_model.result()));
  m_equals->setEnabled(m_model.isEqualsEnabled());
}

void ConverterDialog::accept() {
  m_model.ok(m_copyAs->currentIndex());
  QDialog::accept();
}

void ConverterDialog::done(int result) {
  QGuiApplication::inputMethod()->hide();
  QDialog::done(result);
}

void ConverterDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QGuiApplication::inputMethod()->show();
}

}  // namespace nibblet
