#include "gui/convert/converter_dialog.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "core/convert/converter_model.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "gui/platform/body_scroll_area.h"
#include "gui/platform/dialog_caption.h"
#include "gui/platform/flow_layout.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_fit.h"
#include "gui/platform/screen_scale.h"
#include "gui/view/hex_keypad.h"

namespace nibblet {
namespace {

// A label and its choice side by side, kept together when a row wraps.
QWidget* labelled(QLabel* label, QComboBox* choice, int gap) {
  auto* pair = new QWidget;
  auto* row = new QHBoxLayout(pair);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(gap);
  row->addWidget(label);
  row->addWidget(choice);
  label->setBuddy(choice);  // names the list for a screen reader
  return pair;
}

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
  QFont font = this->font();
  font.setPixelSize(s.y(15));
  setFont(font);
  // 34 pixels at 96 dots per inch (9 mm), and at least a finger's size on any hand-held.
  const int side = std::max(s.y(34), fingerPixels(owner));
  const int gap = s.x(4);

  // The template's controls: the prompt and "=", the input, "from" and "to" with their lists,
  // the result, "Copy as" and its list.
  auto* prompt = new QLabel(label(2));
  prompt->setWordWrap(true);
  m_equals = new QPushButton(control(kIdConverterEquals));
  m_equals->setObjectName(QString::number(kIdConverterEquals));
  m_equals->setFixedSize(side, side);
  m_input = new QLineEdit;
  m_input->setObjectName(QString::number(kIdConverterInput));
  m_input->setMinimumHeight(side);
  m_from = new QComboBox;
  m_from->setObjectName(QString::number(kIdConverterFrom));
  m_to = new QComboBox;
  m_to->setObjectName(QString::number(kIdConverterTo));
  m_result = new QLineEdit;
  m_result->setObjectName(QString::number(kIdConverterResult));
  m_result->setReadOnly(true);  // its text is never read back
  m_result->setMinimumHeight(side);
  m_copyAs = new QComboBox;
  m_copyAs->setObjectName(QString::number(kIdConverterCopyAs));
  for (QComboBox* list : {m_from, m_to, m_copyAs}) {
    list->setMinimumHeight(side);
    // A long choice ("DWORD Big Endian", or its translation) is cut short rather than pushing
    // the list off a narrow dialog.
    list->setMinimumWidth(2 * side);
    fitDropDownToFinger(list);
  }
  // Each label names its control for a screen reader; the result is read in the "to" base.
  prompt->setBuddy(m_input);
  m_result->setAccessibleName(label(0));

  for (int id : ConverterModel::baseTextIds()) {
    m_from->addItem(toQString(texts.loadText(id)));
    m_to->addItem(toQString(texts.loadText(id)));
  }
  for (int id : m_model.copyAsTextIds()) m_copyAs->addItem(toQString(texts.loadText(id)));
  m_from->setCurrentIndex(m_model.fromIndex());
  m_to->setCurrentIndex(m_model.toIndex());
  m_copyAs->setCurrentIndex(m_model.copyAsIndex());
  m_keypad = new HexKeypad(this, ConverterModel::keypad(m_model.fromIndex()));

  auto* body = new QWidget;
  auto* rows = new QVBoxLayout(body);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(gap);
  auto* top = new QHBoxLayout;
  top->setSpacing(gap);
  top->addWidget(prompt, 1);
  top->addWidget(m_equals, 0, Qt::AlignTop);
  rows->addLayout(top);
  rows->addWidget(m_input);
  auto* bases = new QWidget;
  auto* basesFlow = new FlowLayout(bases, gap * 2);
  basesFlow->addWidget(labelled(new QLabel(label(1)), m_from, gap));
  basesFlow->addWidget(labelled(new QLabel(label(0)), m_to, gap));
  rows->addWidget(bases);
  rows->addWidget(m_result);
  auto* copy = new QWidget;
  (new FlowLayout(copy, gap))->addWidget(labelled(new QLabel(label(3)), m_copyAs, gap));
  rows->addWidget(copy);
  rows->addWidget(m_keypad);
  // Height the scrolled body is given beyond its rows stays below them.
  rows->addStretch(1);

  // The shell's OK and Cancel, as buttons a finger reaches, always in view below the body.
  auto* ok = new QPushButton(toQString(texts.loadText(kIdsOk)));
  ok->setObjectName(QString::number(kCmdOk));
  ok->setDefault(true);
  auto* cancel = new QPushButton(toQString(texts.loadText(kIdsCancel)));
  cancel->setObjectName(QString::number(kCmdCancel));
  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(gap);
  for (QPushButton* b : {ok, cancel}) {
    b->setMinimumHeight(side);
    buttons->addWidget(b);
  }

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(gap, gap, gap, gap);
  column->setSpacing(gap);
  column->addWidget(makeCaptionLabel(this, s));
  column->addWidget(new BodyScrollArea(body, this), 1);
  column->addLayout(buttons);

  showModel();
  showKeypad();
  connect(m_input, &QLineEdit::textChanged, this, [this] { convert(); });
  connect(m_from, &QComboBox::currentIndexChanged, this, [this] {
    convert();
    showKeypad();
  });
  connect(m_to, &QComboBox::currentIndexChanged, this, [this] { convert(); });
  connect(m_equals, &QPushButton::clicked, this, [this] { evaluate(); });
  connect(m_keypad, &HexKeypad::keyPressed, this,
          [this](QChar key) { m_keypad->typeInto(m_input, key, kConverterInputChars); });
  connect(ok, &QPushButton::clicked, this, &ConverterDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &ConverterDialog::reject);
  ScreenFit::attach(this, FitRole::Dialog);
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

void ConverterDialog::showKeypad() {
  m_keypad->setKeypadLayout(ConverterModel::keypad(m_from->currentIndex()));
  // The pad is the keyboard for digits; expressions may also name functions and variables,
  // so in decimal the line still takes the system keyboard when the user calls it up.
  const bool decimal = ConverterModel::baseOf(m_from->currentIndex()) == 10;
  m_input->setAttribute(Qt::WA_InputMethodEnabled, decimal);
  if (!decimal) QGuiApplication::inputMethod()->hide();
}

void ConverterDialog::accept() {
  m_model.ok(m_copyAs->currentIndex());
  QDialog::accept();
}

void ConverterDialog::done(int result) {
  QGuiApplication::inputMethod()->hide();
  QDialog::done(result);
}

}  // namespace nibblet
