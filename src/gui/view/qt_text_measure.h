#pragma once
// Text sizes in the view font, measured with QFontMetrics. The height of every text is the row
// pitch the view was given (its cell height), at which the widget draws the rows, so the marks
// meet the rows exactly.

#include <QFont>
#include <QFontMetrics>

#include "core/view/text_measure.h"

namespace nibblet {

class QtTextMeasure : public TextMeasure {
 public:
  QtTextMeasure() : m_metrics(m_font), m_lineHeight(m_metrics.height()) {}
  // `lineHeight` is the row pitch in pixels; the font's own lines are not higher.
  void setFont(const QFont& font, int lineHeight) {
    m_font = font;
    m_metrics = QFontMetrics(font);
    m_lineHeight = lineHeight;
  }
  const QFont& font() const { return m_font; }

  int width(std::u16string_view text) const override {
    return m_metrics.horizontalAdvance(
        QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
  }
  int height(std::u16string_view) const override { return m_lineHeight; }

 private:
  QFont m_font;
  QFontMetrics m_metrics;
  int m_lineHeight;
};

}  // namespace nibblet
