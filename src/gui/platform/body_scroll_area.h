#pragma once
// The body of a dialog that may be taller than a small screen: it asks for the whole height of
// its content, shrinks to a few rows when the screen has less room, and then scrolls up and
// down; it never scrolls sideways, so the content always gets the dialog's width.

#include <QScrollArea>

namespace nibblet {

class BodyScrollArea : public QScrollArea {
  Q_OBJECT

 public:
  // Takes `body` (with its layout) as the scrolled content.
  BodyScrollArea(QWidget* body, QWidget* parent);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override;
  int heightForWidth(int width) const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showBarFor(QSize size);
};

}  // namespace nibblet
