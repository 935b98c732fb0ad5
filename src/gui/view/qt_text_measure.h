#pragma once
// Text sizes in the view font, measured with QFontMetrics. Heights are the font's line spacing,
// the distance drawText keeps between the rows, so the marks meet the rows exactly.

#include <QFont>
#include <QFontMetrics>

#include "core/view/text_measure.h"

namespace nibblet {

class QtTextMeasure : public TextMeasure {
 public:
  QtTextMeasure() : m_metrics(m_font) {}
  void setFont(const QFont& font) {
    m_font = font;
    m_metrics = QFontMetrics(font);
  }
  const QFont& font() const { return m_font; }

  int width(std::u16string_view text) const override {
    return m_metrics.horizontalAdvance(
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  }
  int height(std::u16string_view) const override { return m_metrics.lineSpacing(); }

 private:
  QFont m_font;
  QFontMetrics m_metrics;
};

}  // namespace nibblet
