#include "gui/platform/qt_message_box.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>

#include "gui/platform/qt_text.h"

namespace nibblet {

int QtMessageBox::show(const std::u16string& caption, int style, const std::u16string& text) {
  QMessageBox box(m_owner);
  box.setWindowTitle(toQString(caption));
  box.setText(toQString(text));
  box.setTextFormat(Qt::PlainText);
  switch (style) {
    case kStyleError: box.setIcon(QMessageBox::Critical); break;
    case kStyleQuestion: box.setIcon(QMessageBox::Question); break;
    case kStyleInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  if (style == kStyleQuestion) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  // A wait cursor set around a long operation must not hide the pointer over the box.
  bool busy = QGuiApplication::overrideCursor() != nullptr;
  if (busy) QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
  int pressed = box.exec();
  if (busy) QGuiApplication::restoreOverrideCursor();
  if (style == kStyleQuestion) return pressed == QMessageBox::Yes ? kButtonYes : kButtonNo;
  return kButtonOk;
}

}  // namespace nibblet
