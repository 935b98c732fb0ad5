#pragma once
// The colour picker (dialog 935): three sliders (5201 red, 5202 green, 5203 blue) with their
// pure-colour swatches, a preview box and the "%d,%d,%d" text, OK and Cancel. It shows the
// state of a ColourPickerModel and forwards the slider moves to it.

#include <QDialog>
#include <QFont>
#include <QRect>
#include <string>

#include "core/settings_ui/colour_picker_model.h"
#include "gui/platform/screen_scale.h"

class QSlider;

namespace nibblet {

class Texts;

class ColourPicker : public QDialog {
  Q_OBJECT
 public:
  ColourPicker(QWidget* owner, std::u16string_view startText, const Texts& texts, const ScreenScale& scale);

  const ColourPickerModel& model() const { return m_model; }
  QSlider* slider(Component c) const { return m_sliders[static_cast<int>(c)]; }
  // The preview box, for tests that look at its colour.
  QRect previewRect() const { return m_preview; }

  // Runs modally; true when closed with OK. The chosen text is then model().colourText().
  bool run();

  void accept() override;
  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ColourPickerModel m_model;
  QSlider* m_sliders[3] = {nullptr, nullptr, nullptr};
  QRect m_preview;
  QRect m_text;
  QRect m_swatches[3];
  ScreenScale m_scale;
  bool m_captioned = false;
  QFont m_normal;
};

}  // namespace nibblet
