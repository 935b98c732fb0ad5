#pragma once
// The panel long work shows over the window: how far the work got, and a Cancel button large
// enough for a finger. While the panel is up it is the only window that takes input: taps, keys
// and wheel turns meant for any other window are dropped, so nothing can change under the work,
// while every window is still painted and answers accessibility queries.

#include <QFrame>

#include <cstdint>

class QProgressBar;
class QPushButton;

namespace nibblet {

class Texts;

class ProgressPanel : public QFrame {
  Q_OBJECT
 public:
  // A window of its own above `parent` (the window that is active when the work starts), most of
  // the width of `host`, the main window. `texts` gives the button's text and the accessible names.
  ProgressPanel(QWidget* parent, QWidget* host, const Texts& texts);
  ~ProgressPanel() override;

  // Makes the panel ready for the next piece of work: Cancel can be tapped again.
  void start();
  // Shows `done` of `total` (total 0: how much is left is not known); shows the panel the first
  // time, centred over its parent.
  void showProgress(std::uint64_t done, std::uint64_t total);

  // At least the width set at construction, so the panel is placed at the size it takes.
  QSize sizeHint() const override { return QFrame::sizeHint().expandedTo(minimumSize()); }

  QProgressBar* bar() const { return m_bar; }
  QPushButton* cancelButton() const { return m_cancel; }

 signals:
  // The user tapped Cancel (or pressed Escape); asked once.
  void cancelRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void requestCancel();
  // True for objects of this panel's window; input for any other is dropped.
  bool isOwn(QObject* object) const;
  QProgressBar* m_bar;
  QPushButton* m_cancel;
};

}  // namespace nibblet
