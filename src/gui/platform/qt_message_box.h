#pragma once
// Message boxes shown with QMessageBox, owned by the main window.

#include <QPointer>
#include <QWidget>

#include "core/platform/message_box.h"
#include "gui/platform/screen_scale.h"

namespace nibblet {

class Texts;

class QtMessageBox : public MessageBox {
 public:
  explicit QtMessageBox(QWidget* owner = nullptr) : m_owner(owner) {}
  void setOwner(QWidget* owner) { m_owner = owner; }
  QWidget* owner() const { return m_owner; }
  // The screen's scale, for the caption band and finger-sized buttons.
  void setScale(const ScreenScale& scale) { m_scale = scale; }
  // The texts the buttons take their captions from (Yes, No, OK); without them they read in English.
  void setTexts(const Texts* texts) { m_texts = texts; }
  int show(const std::u16string& caption, int style, const std::u16string& text) override;

 private:
  QString buttonText(int id, const char16_t* fallback) const;

  QPointer<QWidget> m_owner;
  ScreenScale m_scale;
  const Texts* m_texts = nullptr;
};

// While the scope lasts, the boxes `box` shows belong to `owner` (a dialog over the main window,
// say), when `box` is a QtMessageBox; other message boxes are left as they are.
class MessageOwnerScope {
 public:
  MessageOwnerScope(MessageBox& box, QWidget* owner) : m_box(dynamic_cast<QtMessageBox*>(&box)) {
    if (m_box) {
      m_previous = m_box->owner();
      m_box->setOwner(owner);
    }
  }
  ~MessageOwnerScope() {
    if (m_box) m_box->setOwner(m_previous);
  }
  MessageOwnerScope(const MessageOwnerScope&) = delete;
  MessageOwnerScope& operator=(const MessageOwnerScope&) = delete;

 private:
  QtMessageBox* m_box;
  QPointer<QWidget> m_previous;
};

}  // namespace nibblet
