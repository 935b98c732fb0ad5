#pragma once
// The hex view's window: a bordered child of the main window with a vertical scroll bar of
// 0..1000. It paints the marks and the prepared rows text of its HexView, turns taps into the
// entry dialog, Goto and byte-menu requests, and forwards scrolling, swipes, pinches and the
// arrow keys.

#include <QFrame>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/view/hex_view.h"
#include "gui/view/qt_text_measure.h"

class QScrollBar;

namespace nibblet {

class ChangeLog;
class CodePage;
class DiffSet;
class MessageBox;
class TapAndHold;
class ViewTouch;
class Texts;
class WaitCursor;
struct Settings;

class HexViewWidget : public QFrame {
  Q_OBJECT

 public:
  // The scroll bar's smallest width on the glass.
  static constexpr double kScrollBarMillimetres = 7.0;

  // Creates the view at x 1, y (dpiY + 48) / 96, filling the parent, with the settings' font
  // and colours. The references must outlive the view.
  HexViewWidget(QWidget* parent, const Settings& settings, const Texts& texts, MessageBox& messages,
                const CodePage& codePage);
  ~HexViewWidget() override;

  void setData(std::uint8_t* bytes, std::uint32_t size, std::uint32_t start);
  void setEditable(bool editable);
  void setChangeLog(ChangeLog* log);
  void setDiffSet(const DiffSet* diffs);
  void setToolbarHeight(int pixels);
  // Places the view in its parent; a width or height of 0 fills the parent (see HexView).
  void relayout(int x, int y, int width, int height);
  // Room kept free under the view, above the toolbar, for a panel docked there; the view is
  // laid out again in the place it was last given.
  void setPanelHeight(int pixels);
  int panelHeight() const { return m_panelHeight; }
  // Adds the "Values" item to the end of the byte menu (a values panel is docked).
  void setValuesItemShown(bool shown) { m_valuesItemShown = shown; }
  void setFontSize(int points);
  // Takes the mark colours from the settings again.
  void refreshBrushes();
  void rebuildText();
  void gotoOffset(std::uint32_t offset);
  // The cursor shown while a search runs (none until set); it must outlive the view.
  void setWaitCursor(WaitCursor* cursor) { m_waitCursor = cursor; }
  // Search next; "Not found" belongs to the view.
  void searchNext();
  // Dialog 930 as the search dialog, and as the goto dialog.
  void openSearch();
  void openGoto();
  // The byte menu for the tapped byte, at client x on the top of its row.
  void openByteMenu(int x);
  // Left, Right, Up and Down as the main window forwards them; false for other keys.
  bool handleArrowKey(Qt::Key key);
  // Makes row `row` the top row, no further than the last page (a swipe); false when it stays.
  bool scrollToRow(std::uint64_t row);
  // Shows or hides the view and raises it above its siblings.
  void show(bool visible);
  using QWidget::show;

  // The view's state, for the byte menu, search and goto.
  HexView& view() { return m_view; }
  const HexView& view() const { return m_view; }
  QScrollBar* scrollBar() const { return m_scrollBar; }
  // Top-left of the client area (where rows start) in widget coordinates.
  QPoint clientOrigin() const;

 signals:
  void gotoRequested();
  // Tap-and-hold on a byte at client point (x, y); tapOffset names the byte.
  void byteMenuRequested(int x, int y);
  // An entry, a paste or an undo from the byte menu changed bytes of the document.
  void bytesChanged();
  // A pinch asks for this font size (10-18); the owner applies and stores it like the menu's.
  void fontSizeRequested(int points);
  // A tap or a hold on byte `offset`, before its entry dialog or byte menu opens.
  void byteTouched(quint32 offset);
  // The byte menu's "Values" item was chosen for byte `offset`.
  void valuesRequested(quint32 offset);
  // The rows were drawn anew: bytes, marks, the selection or the top row may have changed.
  void contentChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void applyFont(int points);
  void refreshDisplayText();
  void textChanged();
  int scrollBarWidth() const;
  void placeScrollBar();
  void showScrollState();
  void scrollAction(int action);
  void barValueChanged(int value);
  void onPressed(QPoint pos);
  void onTapped(QPoint pos);
  void onHeld(QPoint pos);
  void openEntry();
  ViewFrame frame() const;
  int dpiX() const;
  int dpiY() const;

  const Settings& m_settings;
  const Texts& m_texts;
  MessageBox& m_messages;
  const CodePage& m_codePage;
  QtTextMeasure m_measure;
  HexView m_view;
  QScrollBar* m_scrollBar;
  TapAndHold* m_tapAndHold;
  ViewTouch* m_touch;
  WaitCursor* m_waitCursor = nullptr;
  QStringList m_displayRows;  // the rows text, one string per row
  std::vector<Mark> m_marks;
  bool m_updatingBar = false;
  bool m_valuesItemShown = false;
  int m_toolbarHeight = 0;
  int m_panelHeight = 0;
  QRect m_place;  // the x, y, width and height of the last relayout
  int m_wheelAngle = 0;  // wheel turn not yet used, in eighths of a degree
};

}  // namespace nibblet
