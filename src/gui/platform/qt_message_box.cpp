#include "gui/platform/qt_message_box.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCursor>
#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "gui/platform/dialog_caption.h"
#include "gui/platform/physical_size.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/screen_fit.h"

namespace nibblet {
namespace {

// A Yes/No question has no third answer: Escape and the window's close button do nothing, so a
// stray key can never answer "Keep changes?" with No.
class QuestionBox : public QMessageBox {
 public:
  explicit QuestionBox(QWidget* owner) : QMessageBox(owner) { ScreenFit::attach(this, FitRole::Dialog); }
  bool answersOnlyWithButtons = false;

 protected:
  // The box sizes itself as it is shown; then it is fitted into the screen's room for dialogs.
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (ScreenFit* fit = ScreenFit::of(this)) fit->refit();
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (answersOnlyWithButtons && event->matches(QKeySequence::Cancel)) {
      event->accept();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (answersOnlyWithButtons && !clickedButton()) {
      event->ignore();
      return;
    }
    QMessageBox::closeEvent(event);
  }
  void reject() override {
    if (answersOnlyWithButtons && !clickedButton()) return;
    QMessageBox::reject();
  }
};

}  // namespace

QString QtMessageBox::buttonText(int id, const char16_t* fallback) const {
  std::u16string text = m_texts ? m_texts->loadText(id) : std::u16string();
  if (text.empty()) text = fallback;
  return toQString(text);
}

int QtMessageBox::show(const std::u16string& caption, int style, const std::u16string& text) {
  QuestionBox box(m_owner);
  box.setObjectName("messageBox");
  box.setWindowTitle(toQString(caption));
  box.setText(toQString(text));
  box.setTextFormat(Qt::PlainText);
  switch (style) {
    case kStyleError: box.setIcon(QMessageBox::Critical); break;
    case kStyleQuestion:
    case kStyleQuestionCancel: box.setIcon(QMessageBox::Question); break;
    case kStyleInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  bool question = style == kStyleQuestion || style == kStyleQuestionCancel;
  if (style == kStyleQuestionCancel) {
    // Cancel is the answer that does nothing: Escape and the close button give it.
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.button(QMessageBox::Yes)->setText(buttonText(kIdsYes, u"Yes"));
    box.button(QMessageBox::No)->setText(buttonText(kIdsNo, u"No"));
    box.button(QMessageBox::Cancel)->setText(buttonText(kIdsCancel, u"Cancel"));
  } else if (question) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(buttonText(kIdsYes, u"Yes"));
    box.button(QMessageBox::No)->setText(buttonText(kIdsNo, u"No"));
    box.answersOnlyWithButtons = true;
  } else {
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(buttonText(kIdsOkButton, u"OK"));
  }
  // A row of buttons in the style's widths can be wider than a small screen: there each button
  // is as wide as its word (and a finger) needs, without its icon.
  bool narrow = false;
  if (QScreen* screen = box.screen(); screen && box.buttons().size() > 2) {
    int row = 0;
    for (QAbstractButton* b : box.buttons()) row += std::max(b->sizeHint().width(), physicalPixels(12, &box)) + 8;
    narrow = row + 40 > screen->availableGeometry().width();
  }
  // Buttons a finger hits: at least 7 mm high and wide.
  for (QAbstractButton* b : box.buttons()) {
    int width = b->sizeHint().width();
    if (narrow) {
      b->setIcon(QIcon());
      width = b->fontMetrics().horizontalAdvance(b->text()) + 12;
    }
    b->setMinimumSize(std::max(width, physicalPixels(12, &box)), physicalPixels(kFingerMillimetres, &box));
  }
  // The caption stands inside the box too: a hand-held shell draws no frame around it.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) addCaptionRow(&box, grid, m_scale);
  // A wait cursor set around a long operation must not hide the pointer over the box.
  bool busy = QGuiApplication::overrideCursor() != nullptr;
  if (busy) QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
  box.exec();
  if (busy) QGuiApplication::restoreOverrideCursor();
  if (!question) return kButtonOk;
  // Only a pressed Yes is a Yes; a box ended any other way (the program told to quit) is no
  // answer, and every caller treats it as "do nothing that loses data".
  QAbstractButton* pressed = box.clickedButton();
  if (pressed == box.button(QMessageBox::Yes)) return kButtonYes;
  if (pressed == box.button(QMessageBox::No)) return kButtonNo;
  if (style == kStyleQuestionCancel) return kButtonCancel;
  return 0;
}

}  // namespace nibblet
