#include "gui/settings_ui/colour_picker.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "gui/platform/dialog_caption.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_fit.h"

namespace nibblet {
namespace {

const QColor kSwatches[3] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};

}  // namespace

ColourPicker::ColourPicker(QWidget* owner, std::u16string_view startText, const Texts& texts,
                           const ScreenScale& s)
    : QDialog(owner), m_model(startText), m_scale(s) {
  setObjectName(QString::number(kDialogColour));
  setModal(true);
  m_normal = QApplication::font();
  m_normal.setPixelSize(qMax(1, 10 * s.dpiY / 72));
  m_normal.setWeight(QFont::Normal);

  // The OK and Cancel buttons take the place of a hand-held's title-bar OK, below the sliders
  // and down to the foot of the picker. On a hand-held the sliders and buttons are at least a
  // finger's size, the picker taller by as much as they need.
  const int finger = fingerPixels(owner);
  const int sliderHeight = std::max(s.y(20), finger);
  const int width = s.x(kColourPickerWidth);
  const int buttonTop = s.y(22) + s.y(2) + 3 * (sliderHeight + s.y(2)) + s.y(2);
  const int height = std::max(s.y(kColourPickerHeight) + s.y(30), buttonTop + std::max(finger, s.y(26)) + s.y(2));
  const int buttonHeight = height - buttonTop - s.y(2);
  resize(width, height);
  setMinimumSize(width, height);

  m_preview = QRect(QPoint(s.x(2), s.y(2)), QPoint(width - s.x(84) - 1, s.y(22) - 1));
  m_text = QRect(QPoint(m_preview.right() + 1 + s.x(3), s.y(3)), QPoint(width - s.x(3) - 1, s.y(23) - 1));
  int top = m_preview.bottom() + 1 + s.y(2);
  for (int i = 0; i < 3; ++i) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QString::number(5201 + i));
    slider->setAccessibleName(toQString(texts.loadText(kIdsSliderRed + i)));
    slider->setRange(0, kSliderMax);
    slider->setValue(m_model.component(static_cast<Component>(i)));
    slider->setGeometry(s.x(22), top, width - s.x(2) - s.x(22), sliderHeight);
    m_swatches[i] = QRect(s.x(2), top, s.x(20) - s.x(2), sliderHeight);
    connect(slider, &QSlider::valueChanged, this, [this, i](int value) {
      m_model.setComponent(static_cast<Component>(i), value);
      update(m_preview);
      update(m_text);
    });
    m_sliders[i] = slider;
    top += sliderHeight + s.y(2);
  }
  auto* ok = new QPushButton(toQString(texts.loadText(kIdsOk)), this);
  ok->setObjectName(QString::number(kCmdOk));
  auto* cancel = new QPushButton(toQString(texts.loadText(kIdsCancel)), this);
  cancel->setObjectName(QString::number(kCmdCancel));
  const int buttonWidth = (width - s.x(6)) / 2;
  ok->setGeometry(s.x(2), buttonTop, buttonWidth, buttonHeight);
  cancel->setGeometry(s.x(4) + buttonWidth, buttonTop, buttonWidth, buttonHeight);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &ColourPicker::accept);
  connect(cancel, &QPushButton::clicked, this, &ColourPicker::reject);
  // Centred over the owner inside the screen's room for dialogs, and again when it turns.
  ScreenFit::attach(this, FitRole::Dialog);
}

bool ColourPicker::run() {
  // The caption (set by the caller) stands in a band inside the picker, above its controls.
  if (!m_captioned) {
    m_captioned = true;
    const int band = addCaptionBand(this, m_scale);
    m_preview.translate(0, band);
    m_text.translate(0, band);
    for (QRect& swatch : m_swatches) swatch.translate(0, band);
  }
  exec();
  return m_model.confirmed();
}

void ColourPicker::accept() {
  m_model.ok();
  QDialog::accept();
}

void ColourPicker::reject() {
  m_model.cancel();
  QDialog::reject();
}

void ColourPicker::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int red = m_model.component(Component::Red);
  const int green = m_model.component(Component::Green);
  const int blue = m_model.component(Component::Blue);
  p.fillRect(m_preview, QColor(red, green, blue));
  for (int i = 0; i < 3; ++i) p.fillRect(m_swatches[i], kSwatches[i]);
  p.setPen(Qt::black);
  p.setFont(m_normal);
  p.drawText(m_text, Qt::AlignCenter, toQString(m_model.text()));
}

}  // namespace nibblet
