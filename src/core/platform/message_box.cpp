#include "core/platform/message_box.h"

namespace nibblet {

int ScriptedMessageBox::show(const std::u16string& caption, int style, const std::u16string& text) {
  m_shown.push_back({caption, style, text});
  if (!m_answers.empty()) {
    int button = m_answers.front();
    m_answers.erase(m_answers.begin());
    return button;
  }
  if (style == kStyleQuestionCancel) return kButtonCancel;
  return style == kStyleQuestion ? kButtonNo : kButtonOk;
}

}  // namespace nibblet
