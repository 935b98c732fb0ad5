#pragma once
// Modal message boxes. The program shows them with Qt; tests answer them with a script.

#include <string>
#include <vector>

namespace nibblet {

// Message box styles, as the program passes them.
constexpr int kStylePlain = 0;
constexpr int kStyleError = 16;
constexpr int kStyleQuestion = 36;  // Yes/No buttons with the question icon
constexpr int kStyleQuestionCancel = 35;  // Yes/No/Cancel buttons with the question icon
constexpr int kStyleInformation = 64;

// Buttons a message box returns.
constexpr int kButtonOk = 1;
constexpr int kButtonCancel = 2;
constexpr int kButtonYes = 6;
constexpr int kButtonNo = 7;

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Shows the box modally and returns the button pressed.
  virtual int show(const std::u16string& caption, int style, const std::u16string& text) = 0;
};

// Records every message and answers from a queue of buttons; questions beyond the queue are
// answered No (or Cancel, where the box has one), other boxes OK.
class ScriptedMessageBox : public MessageBox {
 public:
  struct Shown {
    std::u16string caption;
    int style;
    std::u16string text;
  };

  int show(const std::u16string& caption, int style, const std::u16string& text) override;
  void answer(int button) { m_answers.push_back(button); }
  const std::vector<Shown>& shown() const { return m_shown; }
  void clear() { m_shown.clear(); m_answers.clear(); }

 private:
  std::vector<Shown> m_shown;
  std::vector<int> m_answers;
};

}  // namespace nibblet
