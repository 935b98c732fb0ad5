#pragma once
// A finger on the hex view. One finger taps, holds or swipes: the press goes both to the
// tap-and-hold recogniser and to a QScroller, and a move past the drag distance ends the tap,
// so a swipe scrolls the rows with momentum and never becomes a tap or a hold. A touch that
// catches rows still gliding only stops them. Two fingers pinch the font size.

#include <QObject>
#include <QPointF>

class QGestureEvent;
class QScrollEvent;
class QScrollPrepareEvent;
class QScroller;
class QTouchEvent;

namespace nibblet {

class HexViewWidget;
class TapAndHold;

class ViewTouch : public QObject {
  Q_OBJECT

 public:
  // Watches `view`'s touch, scroll and gesture events; `tapAndHold` must be the view's own.
  ViewTouch(HexViewWidget* view, TapAndHold* tapAndHold);

  QScroller* scroller() const { return m_scroller; }

 signals:
  // A pinch asks for this font size, 10 to 18 points, each time the size it reaches changes.
  void fontSizeRequested(int points);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool touch(QTouchEvent* event);
  void prepareScroll(QScrollPrepareEvent* event);
  void scroll(QScrollEvent* event);
  void gesture(QGestureEvent* event);

  HexViewWidget* m_view;
  TapAndHold* m_tapAndHold;
  QScroller* m_scroller;
  bool m_severalFingers = false;  // since the first finger came down
  bool m_caught = false;          // this touch stopped gliding rows: it is no tap
  int m_pinchBase = 0;            // the font size when the pinch began
};

}  // namespace nibblet
