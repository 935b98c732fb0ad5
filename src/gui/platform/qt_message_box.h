#pragma once
// Message boxes shown with QMessageBox, owned by the main window.

#include <QPointer>
#include <QWidget>

#include "core/platform/message_box.h"

namespace nibblet {

class Texts;

class QtMessageBox : public MessageBox {
 public:
  explicit QtMessageBox(QWidget* owner = nullptr) : m_owner(owner) {}
  void setOwner(QWidget* owner) { m_owner = owner; }
  // The texts the buttons take their captions from (Yes, No, OK); without them they read in English.
  void setTexts(const Texts* texts) { m_texts = texts; }
  int show(const std::u16string& caption, int style, const std::u16string& text) override;

 private:
  QString buttonText(int id, const char16_t* fallback) const;

  QPointer<QWidget> m_owner;
  const Texts* m_texts = nullptr;
};

}  // namespace nibblet
