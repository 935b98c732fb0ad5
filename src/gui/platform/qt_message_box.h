#pragma once
// Message boxes shown with QMessageBox, owned by the main window.

#include <QPointer>
#include <QWidget>

#include "core/platform/message_box.h"

namespace nibblet {

class QtMessageBox : public MessageBox {
 public:
  explicit QtMessageBox(QWidget* owner = nullptr) : m_owner(owner) {}
  void setOwner(QWidget* owner) { m_owner = owner; }
  int show(const std::u16string& caption, int style, const std::u16string& text) override;

 private:
  QPointer<QWidget> m_owner;
};

}  // namespace nibblet
