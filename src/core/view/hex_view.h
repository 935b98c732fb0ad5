#pragma once
// The hex view's state and rules without a window: layout arithmetic, the text of the rows on
// screen, cell rectangles, the marks to paint, scrolling on the 0..1000 scroll bar, taps and
// the writes of an entry. The widget measures text, forwards events and draws what this says.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/view/search_state.h"
#include "core/view/text_measure.h"
#include "core/view/view_types.h"

namespace nibblet {

class ChangeLog;
class DiffSet;
class MessageBox;
struct Settings;

constexpr int kScrollScale = 1000;
constexpr std::size_t kClipboardSize = 256;

// What the view's window needs to know about its surroundings for a relayout.
struct ViewFrame {
  int parentWidth = 0;   // client size of the main window
  int parentHeight = 0;
  int dpiX = 96;         // for the margin when the width or height is 0
  int chromeWidth = 0;   // window width minus client width (border and scroll bar)
  int chromeHeight = 0;  // window height minus client height (border)
};

class HexView {
 public:
  // `measure` must outlive the view; it reports sizes in the current view font.
  explicit HexView(const TextMeasure& measure);
  HexView(const HexView&) = delete;
  HexView& operator=(const HexView&) = delete;

  // --- Document -------------------------------------------------------------------------------
  // Shows `size` bytes at `bytes` (not owned; written by entries). `start` becomes topOffset
  // when it is below `size`, else 0. Lays out and rebuilds the text.
  void setData(std::uint8_t* bytes, std::uint32_t size, std::uint32_t start);
  const std::uint8_t* bytes() const { return m_bytes; }
  std::uint32_t size() const { return m_size; }
  void setEditable(bool editable) { m_editable = editable; }
  bool isEditable() const { return m_editable; }
  void setChangeLog(ChangeLog* log) { m_changeLog = log; }
  ChangeLog* changeLog() const { return m_changeLog; }
  void setDiffSet(const DiffSet* diffs) { m_diffSet = diffs; }
  const DiffSet* diffSet() const { return m_diffSet; }

  // --- Geometry -------------------------------------------------------------------------------
  void setToolbarHeight(int pixels) { m_toolbarHeight = pixels; }
  int toolbarHeight() const { return m_toolbarHeight; }
  // Stores the window's place in the parent. A width or height of 0 fills the parent minus x
  // (or y) minus a margin of (dpiX + 48) / 96; the height then loses toolbarHeight. Lays out,
  // rebuilds the text and hides the entry marker of an open entry (its cell may have moved).
  void relayout(int x, int y, int width, int height, const ViewFrame& frame);
  int x() const { return m_x; }
  int y() const { return m_y; }
  int width() const { return m_width; }
  int height() const { return m_height; }
  int clientWidth() const { return m_clientWidth; }
  int clientHeight() const { return m_clientHeight; }

  // Remeasures the font (already set in the TextMeasure) and lays out again; topOffset stays.
  void setFontSize(int points);
  int fontPoints() const { return m_fontPoints; }
  // The font's cell height in pixels for `points` on a screen of `dpiY` dots per inch.
  static int fontPixelHeight(int points, int dpiY) { return points * dpiY / 72; }

  int lineHeight() const { return m_lineHeight; }
  int pairWidth() const { return m_pairWidth; }
  int spaceWidth() const { return m_spaceWidth; }
  int offsetDigits() const { return m_offsetDigits; }
  // The printf format of the offset column, "%0NX: " with N = offsetDigits.
  const std::u16string& offsetFormat() const { return m_offsetFormat; }
  int offsetWidth() const { return m_offsetWidth; }
  int hexAreaWidth() const { return m_hexAreaWidth; }
  // Never below 1, however narrow the view.
  std::uint32_t bytesPerRow() const { return m_bytesPerRow; }
  // Whole rows that fit in the height; never negative.
  int visibleRows() const { return m_visibleRows; }
  std::uint32_t visibleCapacity() const { return m_visibleCapacity; }
  std::uint32_t totalRows() const { return m_totalRows; }

  // --- Mark colours -----------------------------------------------------------------------------
  // Takes the five mark colours (red + green * 256 + blue * 65536) from the settings.
  void refreshBrushes(const Settings& settings);
  std::uint32_t markColour(MarkKind kind) const { return m_colours[static_cast<int>(kind)]; }

  // --- Rows text --------------------------------------------------------------------------------
  // Formats the visible rows from the document's bytes. Empty when topOffset lies past the end
  // or the buffer could not be had.
  void rebuildText();
  const std::u16string& rowsText() const { return m_rowsText; }
  // False after the rows buffer could not be allocated: the view then shows nothing.
  bool hasRowsText() const { return m_hasRowsBuffer; }
  // Number of bytes the rows text shows, from topOffset.
  std::uint32_t shownBytes() const { return m_shown; }

  // --- Cells and marks --------------------------------------------------------------------------
  // The hex and text cell of document offset `offset`; false when the byte is not shown.
  bool hexCell(std::uint32_t offset, Rect& out) const;
  bool textCell(std::uint32_t offset, Rect& out) const;
  // Replaces `out` with the marks of the shown bytes, in paint order. Only the shown offsets are
  // looked up, so the cost does not grow with the sizes of the change log and the diff set.
  void collectMarks(std::vector<Mark>& out) const;

  void setSelection(std::uint32_t start, std::uint32_t end) { m_selectionStart = start; m_selectionEnd = end; }
  std::uint32_t selectionStart() const { return m_selectionStart; }
  std::uint32_t selectionEnd() const { return m_selectionEnd; }
  // `offset` kNoOffset clears the search result.
  void setSearchMatch(std::uint32_t offset, std::uint32_t length);
  std::uint32_t searchMatch() const { return m_searchMatch; }
  std::uint32_t searchLength() const { return m_searchLength; }
  // The search dialog's remembered mode and text and Search next's pattern.
  SearchState& searchState() { return m_search; }
  const SearchState& searchState() const { return m_search; }

  // --- Scrolling --------------------------------------------------------------------------------
  std::uint32_t topOffset() const { return m_topOffset; }
  // Position the scroll bar shows (0..1000), and its page size.
  int scrollBarPosition() const { return m_barPosition; }
  int scrollPage() const;
  // The largest position the thumb can take: the page covers the rest of the 0..1000 scale, so
  // 1001 - page for a page of at least 1, 1000 for a page of 0, and never below 0.
  int scrollBarMaximum() const;
  // Where the thumb stands: scrollBarPosition() held to 0..scrollBarMaximum().
  int scrollThumb() const;
  // The position for the current topOffset: 1000 on the last row, or once the last page is on
  // screen in a file longer than a screen; else the top row's share of the rows.
  int scrollPosition() const;
  // The top offset that shows the last page full: the row of the last byte at the bottom of the
  // screen. 0 when the whole file fits.
  std::uint32_t lastPageTop() const;
  // Handles a scroll bar request; `trackPosition` is the thumb's place for ThumbTrack. Dragging
  // never goes past lastPageTop(), so the thumb at the bottom shows full rows; Top goes to the
  // first row and Bottom to the last page. Returns false when the request changed nothing (text
  // and scroll bar stay as they are).
  bool scroll(ScrollRequest request, int trackPosition = 0);
  // A swipe's place: makes row `row` the top row, held to the rows up to lastPageTop(); the
  // scroll bar follows. Returns false when the top row stays.
  bool scrollToRow(std::uint64_t row);
  // Makes the row of `offset` the top row when the file does not fit one screen (or it is the
  // first row). Nothing when `offset` > size.
  void gotoOffset(std::uint32_t offset);
  // Left: first byte; Right: last byte; Up and Down: a page.
  void arrowKey(ArrowKey key);
  // Sets the scroll bar to scrollPosition() (1000 on the last row).
  void updateScrollBar() { m_barPosition = scrollPosition(); }
  // Sets the scroll bar to the top row's share of the rows, without the value for the last row.
  void updatePlainScrollBar();

  // --- Taps and entry ---------------------------------------------------------------------------
  // Classifies a stylus-down at client point (x, y). For a byte of an editable view it sets
  // the tap fields and the entry marker; a byte past the end or not on screen gives Nothing.
  TapResult tap(int x, int y);
  std::uint32_t tapOffset() const { return m_tapOffset; }
  int tapColumn() const { return m_tapColumn; }
  int tapRow() const { return m_tapRow; }
  int tapRowTop() const { return m_tapRowTop; }
  bool tapInText() const { return m_tapInText; }
  Marker markerShown() const { return m_marker; }
  // An entry dialog opens for tapOffset: from now on its marker is painted.
  void beginEntry() { m_entryOpen = true; }
  // The entry dialog has ended: the tap fields and the marker are cleared.
  void endEntry();
  bool isEntryOpen() const { return m_entryOpen; }

  // The byte at `offset`; 0 past the end.
  std::uint8_t byteAt(std::uint32_t offset) const { return offset < m_size ? m_bytes[offset] : 0; }
  // Overwrites document bytes from `offset` on, dropping those past the end. Each byte is logged
  // (offset, old, new) before it is written, also when it does not change; when the log cannot
  // store it, the message box says so and the byte is written anyway. Returns bytes written.
  std::uint32_t writeBytes(std::uint32_t offset, const std::uint8_t* data, std::size_t count,
                           MessageBox& messages);
  // Takes back the newest change of the change log (wherever it is) and rebuilds the text; false
  // when there is no log or it is empty.
  bool undoLast();

  // --- View clipboard ---------------------------------------------------------------------------
  const std::uint8_t* clipboard() const { return m_clipboard.data(); }
  int clipboardCount() const { return m_clipboardCount; }
  // Replaces the clipboard with at most 256 bytes.
  void setClipboard(const std::uint8_t* data, std::size_t count);

 private:
  void layout();
  void reallocateRows();
  std::uint32_t currentCapacity() const;
  bool cellIndex(std::uint32_t offset, std::uint32_t& index) const;
  Rect hexCellAt(std::uint32_t index) const;
  Rect textCellAt(std::uint32_t index) const;
  void addMark(std::vector<Mark>& out, MarkKind kind, std::uint32_t offset) const;

  const TextMeasure& m_measure;

  std::uint8_t* m_bytes = nullptr;
  std::uint32_t m_size = 0;
  std::uint32_t m_topOffset = 0;
  bool m_editable = false;
  ChangeLog* m_changeLog = nullptr;
  const DiffSet* m_diffSet = nullptr;

  int m_x = 0, m_y = 0, m_width = 0, m_height = 0;
  int m_clientWidth = 0, m_clientHeight = 0;
  int m_toolbarHeight = 0;
  int m_fontPoints = 0;

  int m_lineHeight = 1;
  int m_pairWidth = 1;
  int m_spaceWidth = 1;
  int m_offsetDigits = 2;
  std::u16string m_offsetFormat = u"%02X: ";
  int m_offsetWidth = 0;
  int m_hexAreaWidth = 0;
  std::uint32_t m_bytesPerRow = 4;
  int m_visibleRows = 0;
  std::uint32_t m_visibleCapacity = 0;
  std::uint32_t m_totalRows = 0;
  int m_barPosition = 0;

  std::u16string m_rowsText;
  std::size_t m_rowsCapacity = 0;
  bool m_hasRowsBuffer = false;
  std::uint32_t m_shown = 0;

  std::array<std::uint32_t, kMarkKindCount> m_colours{};
  std::uint32_t m_selectionStart = kNoOffset;
  std::uint32_t m_selectionEnd = kNoOffset;
  std::uint32_t m_searchMatch = kNoOffset;
  std::uint32_t m_searchLength = 0;
  SearchState m_search;

  std::uint32_t m_tapOffset = kNoOffset;
  int m_tapColumn = 0;
  int m_tapRow = 0;
  int m_tapRowTop = 0;
  bool m_tapInText = false;
  Marker m_marker = Marker::None;
  bool m_entryOpen = false;

  std::array<std::uint8_t, kClipboardSize> m_clipboard{};
  int m_clipboardCount = 0;
};

}  // namespace nibblet
