#pragma once
// One home for placing the program's windows: the main window, every dialog and message box,
// and the sheets shown inside the main window. Each is placed when it is shown and again when
// its screen turns, changes its work area or is swapped for another, by the rules of
// core/app/window_placement and core/app/dialog_placement. Where the display server places
// windows itself (Wayland), only sizes are set, and the main window is left to its size.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>

#include "core/app/window_placement.h"

class QScreen;
class QWidget;
class QWindow;

namespace nibblet {

enum class FitRole {
  MainWindow,  // the work area on a hand-held, a portrait window on a desktop
  Dialog,      // centred over its owner, inside the area dialogs may cover
  Cover,       // in the main window's place, over it (the file browser)
  Sheet,       // inside the main window along its bottom or top edge, beside the row it keeps in view
};

// The row a sheet keeps in view, in the coordinates of the window that holds the sheet.
struct KeptRow {
  QRect row;           // empty for none
  int highestTop = 0;  // the highest place a scroll can bring the row's top to
};

class ScreenFit : public QObject {
  Q_OBJECT

 public:
  // Fits `window` for `role` now (the main window) or when it is shown, and again whenever its
  // screen changes while it is shown or, for a sheet, whenever the window holding it is
  // resized. The fitter belongs to `window`; a second call changes the role of the first.
  static ScreenFit* attach(QWidget* window, FitRole role);
  // The fitter of `window`, or null.
  static ScreenFit* of(const QWidget* window);

  FitRole role() const { return m_role; }
  // Fits now, for content that grew or shrank.
  void refit();
  // Runs after every fit.
  void setAfterFit(std::function<void()> done) { m_afterFit = std::move(done); }
  // For a sheet: where the row to keep in view is, and how to scroll it up by at least
  // `pixels` (where the view can).
  void keepRowInView(std::function<KeptRow()> where, std::function<void(int pixels)> scrollUp);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ScreenFit(QWidget* window, FitRole role);
  void postRefit();
  void watchScreen();
  void fitMainWindow();
  void fitDialog();
  void fitCover();
  void fitSheet();

  QWidget* m_window;
  FitRole m_role;
  QPointer<QWindow> m_handle;  // the native window whose screen is watched
  QPointer<QScreen> m_screen;
  QPointer<QWidget> m_host;  // a sheet's window
  std::function<void()> m_afterFit;
  std::function<KeptRow()> m_keptRow;
  std::function<void(int)> m_scrollUp;
  bool m_refitPosted = false;
  bool m_fitting = false;
  bool m_sized = false;  // the main window has had its first size
};

// What the core rules need to know of the screen `widget` shows on (the primary screen when it
// is not shown yet).
ScreenFacts screenFacts(const QWidget* widget);
// False where the display server places every window itself and ignores positions (Wayland).
bool placesWindows();
// Whether the program treats the screen of `widget` as a hand-held's.
bool isHandHeldScreen(const QWidget* widget);
// The rectangle a dialog of `owner` may cover, in screen pixels: the main window's place on a
// hand-held (below the shell's band), the work area elsewhere.
QRect dialogArea(const QWidget* owner);

}  // namespace nibblet
