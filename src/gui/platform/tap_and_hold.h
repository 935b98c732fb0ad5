#pragma once
// Tells a tap from a tap-and-hold on a widget: a left press held about 500 ms without moving
// away is a hold, as is a context-menu event (right click, or a long press the system reports);
// a release before that is a tap. Moving away cancels the gesture. It watches the mouse itself;
// a finger's presses are handed to it by whoever handles the touch events.

#include <QObject>
#include <QPoint>
#include <QTimer>

class QWidget;

namespace nibblet {

class TapAndHold : public QObject {
  Q_OBJECT

 public:
  static constexpr int kHoldMilliseconds = 500;

  // Watches `target`'s mouse and context-menu events; the recogniser is a child of `target`.
  explicit TapAndHold(QWidget* target);

  // Forgets the press in progress: neither a tap nor a hold follows from it.
  void cancel();

  // The same gesture from another source (a finger on a touch screen), in widget coordinates:
  // a press, a move (which cancels once it passes the drag distance) and the release.
  void press(QPoint pos);
  void move(QPoint pos);
  void release();
  // True when the press in progress (or the last one) came from a finger through press().
  bool isFingerPress() const { return m_byFinger; }

 signals:
  // A left press at `pos` (widget coordinates) has begun.
  void pressed(QPoint pos);
  // The press at `pos` ended as a tap.
  void tapped(QPoint pos);
  // A hold at `pos`: the press at `pos` lasted, or a context-menu event came.
  void held(QPoint pos);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void holdTimedOut();
  void begin(QPoint pos, bool byFinger);

  QWidget* m_target;
  QTimer m_timer;
  QPoint m_pressPos;
  bool m_pending = false;
  bool m_swallowRelease = false;
  bool m_byFinger = false;
};

}  // namespace nibblet
