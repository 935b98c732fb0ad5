#include "core/view/hex_view.h"

#include <algorithm>
#include <exception>

#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/i18n/show_message.h"
#include "core/settings/colour_text.h"
#include "core/settings/settings.h"
#include "core/view/rows_text.h"

namespace nibblet {
namespace {

int hexDigitCount(std::uint64_t value) {
  int digits = 1;
  while (value >>= 4) ++digits;
  return digits;
}

}  // namespace

HexView::HexView(const TextMeasure& measure) : m_measure(measure) {}

void HexView::setData(std::uint8_t* bytes, std::uint32_t size, std::uint32_t start) {
  m_bytes = bytes;
  m_size = bytes ? size : 0;
  m_topOffset = start < m_size ? start : 0;
  layout();
  reallocateRows();
  rebuildText();
}

void HexView::relayout(int x, int y, int width, int height, const ViewFrame& frame) {
  int margin = (frame.dpiX + 48) / 96;
  if (width == 0) width = frame.parentWidth - x - margin;
  if (height == 0) height = frame.parentHeight - y - margin;
  height -= m_toolbarHeight;
  m_x = x;
  m_y = y;
  m_width = width;
  m_height = height;
  m_clientWidth = std::max(0, width - frame.chromeWidth);
  m_clientHeight = std::max(0, height - frame.chromeHeight);
  layout();
  reallocateRows();
  rebuildText();
  if (m_entryOpen) m_marker = Marker::Hidden;
}

void HexView::setFontSize(int points) {
  m_fontPoints = points;
  layout();
}

void HexView::layout() {
  // A font that reports no size must not turn the divisions below into faults.
  m_lineHeight = std::max(1, m_measure.height(u"FF"));
  m_pairWidth = std::max(1, m_measure.width(u"FF"));
  m_spaceWidth = std::max(1, m_measure.width(u" "));

  // Computed in 64 bits so that the sizes just below 4 GiB keep all their digits.
  m_offsetDigits = hexDigitCount(std::uint64_t{m_size} + 16);
  m_offsetFormat = u"%0";
  m_offsetFormat += static_cast<char16_t>(u'0' + m_offsetDigits);
  m_offsetFormat += u"X: ";
  std::u16string zeroOffset(static_cast<std::size_t>(m_offsetDigits), u'0');
  zeroOffset += u": ";
  m_offsetWidth = m_measure.width(zeroOffset);

  int perByte = m_pairWidth + 2 * m_spaceWidth;
  int perRow = (m_clientWidth - m_offsetWidth) / perByte;
  m_bytesPerRow = perRow < 1 ? 1u : static_cast<std::uint32_t>(perRow);

  std::u16string hexArea;
  hexArea.reserve(3 * m_bytesPerRow);
  for (std::uint32_t i = 0; i < m_bytesPerRow; ++i) hexArea += u"FF ";
  m_hexAreaWidth = m_measure.width(hexArea);

  m_visibleRows = std::max(0, m_height / m_lineHeight);
  m_totalRows = m_size / m_bytesPerRow + 1;
  m_visibleCapacity = currentCapacity();
  m_barPosition = scrollPosition();
}

std::uint32_t HexView::currentCapacity() const {
  std::uint64_t screen = std::uint64_t(m_visibleRows) * m_bytesPerRow;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(m_size, screen));
}

void HexView::reallocateRows() {
  std::uint64_t rows = (std::uint64_t{m_visibleCapacity} + m_bytesPerRow - 1) / m_bytesPerRow;
  std::uint64_t chars = rows * rowChars(m_bytesPerRow, m_offsetDigits);
  std::u16string fresh;
  try {
    fresh.reserve(static_cast<std::size_t>(chars));
  } catch (const std::exception&) {
    m_rowsText.clear();
    m_rowsText.shrink_to_fit();
    m_hasRowsBuffer = false;
    m_shown = 0;
    return;
  }
  m_rowsText.swap(fresh);
  m_hasRowsBuffer = true;
}

void HexView::refreshBrushes(const Settings& settings) {
  m_colours[static_cast<int>(MarkKind::Change)] = parseColour(textOf(settings.changesColor));
  m_colours[static_cast<int>(MarkKind::Difference)] = parseColour(textOf(settings.diffColor));
  m_colours[static_cast<int>(MarkKind::Selection)] = parseColour(textOf(settings.selectedColor));
  m_colours[static_cast<int>(MarkKind::SearchResult)] = parseColour(textOf(settings.searchResultColor));
  m_colours[static_cast<int>(MarkKind::EntryMarker)] = parseColour(textOf(settings.editStartColor));
}

void HexView::rebuildText() {
  m_rowsText.clear();
  m_shown = 0;
  if (!m_hasRowsBuffer || m_topOffset > m_size) return;
  std::uint32_t n = std::min(m_visibleCapacity, m_size - m_topOffset);
  if (n == 0) return;
  std::size_t rows = (std::size_t{n} + m_bytesPerRow - 1) / m_bytesPerRow;
  std::size_t need = rows * rowChars(m_bytesPerRow, m_offsetDigits);
  if (need > m_rowsText.capacity()) {
    try {
      m_rowsText.reserve(need);
    } catch (const std::exception&) {
      m_hasRowsBuffer = false;
      return;
    }
  }
  m_rowsText.resize(need);
  std::size_t written = formatRows(m_bytes + m_topOffset, m_topOffset, n, m_bytesPerRow, m_offsetDigits,
                                   m_rowsText.data());
  m_rowsText.resize(written);
  m_shown = n;
}

bool HexView::cellIndex(std::uint32_t offset, std::uint32_t& index) const {
  if (offset < m_topOffset || offset - m_topOffset >= m_shown) return false;
  index = offset - m_topOffset;
  return true;
}

Rect HexView::hexCellAt(std::uint32_t index) const {
  int row = static_cast<int>(index / m_bytesPerRow);
  int col = static_cast<int>(index % m_bytesPerRow);
  Rect r;
  r.left = m_offsetWidth + col * (m_pairWidth + m_spaceWidth);
  r.right = r.left + m_pairWidth + m_spaceWidth;
  r.top = row * m_lineHeight;
  r.bottom = r.top + m_lineHeight;
  return r;
}

Rect HexView::textCellAt(std::uint32_t index) const {
  int row = static_cast<int>(index / m_bytesPerRow);
  int col = static_cast<int>(index % m_bytesPerRow);
  Rect r;
  r.left = m_offsetWidth + m_hexAreaWidth + col * m_spaceWidth;
  r.right = r.left + m_spaceWidth;
  r.top = row * m_lineHeight;
  r.bottom = r.top + m_lineHeight;
  return r;
}

bool HexView::hexCell(std::uint32_t offset, Rect& out) const {
  std::uint32_t index;
  if (!cellIndex(offset, index)) return false;
  out = hexCellAt(index);
  return true;
}

bool HexView::textCell(std::uint32_t offset, Rect& out) const {
  std::uint32_t index;
  if (!cellIndex(offset, index)) return false;
  out = textCellAt(index);
  return true;
}

void HexView::addMark(std::vector<Mark>& out, MarkKind kind, std::uint32_t offset) const {
  std::uint32_t index;
  if (!cellIndex(offset, index)) return;
  out.push_back({kind, offset, hexCellAt(index), textCellAt(index)});
}

void HexView::collectMarks(std::vector<Mark>& out) const {
  out.clear();
  if (m_shown == 0) return;
  const std::uint32_t first = m_topOffset;
  const std::uint32_t last = m_topOffset + (m_shown - 1);

  // Both lists report offsets in ascending order; a byte changed twice is marked once.
  std::uint32_t previous = kNoOffset;
  auto markOnce = [&](MarkKind kind) {
    previous = kNoOffset;
    return [&out, &previous, kind, this](std::uint32_t offset) {
      if (offset != previous) addMark(out, kind, offset);
      previous = offset;
    };
  };
  if (m_changeLog) m_changeLog->forEachInRange(first, last, markOnce(MarkKind::Change));
  if (m_diffSet) m_diffSet->forEachInRange(first, last, markOnce(MarkKind::Difference));

  if (m_selectionStart != kNoOffset) {
    if (m_selectionEnd == kNoOffset) {
      addMark(out, MarkKind::Selection, m_selectionStart);
    } else if (m_selectionEnd >= m_selectionStart) {
      std::uint32_t from = std::max(m_selectionStart, first);
      std::uint32_t to = std::min(m_selectionEnd, last);
      for (std::uint64_t o = from; o <= to; ++o) addMark(out, MarkKind::Selection, std::uint32_t(o));
    }
  }

  if (m_searchMatch != kNoOffset && m_searchLength > 0) {
    std::uint64_t end = std::uint64_t{m_searchMatch} + m_searchLength - 1;
    std::uint64_t from = std::max<std::uint64_t>(m_searchMatch, first);
    std::uint64_t to = std::min<std::uint64_t>(end, last);
    for (std::uint64_t o = from; o <= to; ++o) addMark(out, MarkKind::SearchResult, std::uint32_t(o));
  }

  if (m_entryOpen && m_marker == Marker::Shown && m_tapOffset != kNoOffset)
    addMark(out, MarkKind::EntryMarker, m_tapOffset);
}

void HexView::setSearchMatch(std::uint32_t offset, std::uint32_t length) {
  m_searchMatch = offset;
  m_searchLength = offset == kNoOffset ? 0 : length;
}

int HexView::scrollPage() const {
  if (m_totalRows == 0) return 0;
  return static_cast<int>(std::uint64_t(m_visibleRows) * kScrollScale / m_totalRows);
}

int HexView::scrollBarMaximum() const {
  return std::max(0, kScrollScale + 1 - std::max(1, scrollPage()));
}

int HexView::scrollThumb() const { return std::clamp(m_barPosition, 0, scrollBarMaximum()); }

std::uint32_t HexView::lastPageTop() const {
  if (m_size == 0) return 0;
  const std::uint32_t rowsWithData = (m_size - 1) / m_bytesPerRow + 1;
  const std::uint32_t screenRows = static_cast<std::uint32_t>(std::max(1, m_visibleRows));
  if (rowsWithData <= screenRows) return 0;
  return (rowsWithData - screenRows) * m_bytesPerRow;
}

int HexView::scrollPosition() const {
  if (m_size >= m_bytesPerRow && m_topOffset >= m_size - m_bytesPerRow) return kScrollScale;
  // With the last page on screen the thumb stands at the bottom, where a drag to the end left it.
  const std::uint32_t lastPage = lastPageTop();
  if (lastPage > 0 && m_topOffset >= lastPage) return kScrollScale;
  if (m_totalRows == 0) return 0;
  // In 64 bits: rows times 1000 passes 32 bits for files above a few tens of megabytes.
  return static_cast<int>(std::uint64_t(m_topOffset / m_bytesPerRow) * kScrollScale / m_totalRows);
}

bool HexView::scroll(ScrollRequest request, int trackPosition) {
  const std::uint64_t top = m_topOffset;
  const std::uint64_t page = std::uint64_t(m_visibleRows) * m_bytesPerRow;
  switch (request) {
    case ScrollRequest::LineUp:
      if (top < m_bytesPerRow) return false;
      m_topOffset -= m_bytesPerRow;
      break;
    case ScrollRequest::LineDown:
      if (top + m_bytesPerRow >= m_size) return false;
      m_topOffset += m_bytesPerRow;
      break;
    case ScrollRequest::PageUp:
      if (top < page) return false;
      m_topOffset = static_cast<std::uint32_t>(top - page);
      break;
    case ScrollRequest::PageDown:
      if (top + page >= m_size) return false;
      m_topOffset = static_cast<std::uint32_t>(top + page);
      break;
    case ScrollRequest::ThumbPosition:
      m_barPosition = scrollPosition();
      return true;
    case ScrollRequest::ThumbTrack: {
      std::uint64_t t = static_cast<std::uint64_t>(std::clamp(trackPosition, 0, kScrollScale));
      std::uint64_t row = t * m_totalRows / kScrollScale;
      // The thumb near the bottom shows the last page full rather than rows past the end.
      m_topOffset = static_cast<std::uint32_t>(std::min<std::uint64_t>(row * m_bytesPerRow, lastPageTop()));
      rebuildText();
      return true;
    }
    case ScrollRequest::Top:
    case ScrollRequest::Bottom: {
      std::uint32_t target = request == ScrollRequest::Top ? 0 : lastPageTop();
      if (target == m_topOffset) return false;
      m_topOffset = target;
      break;
    }
    case ScrollRequest::Other:
      return false;
  }
  rebuildText();
  m_barPosition = scrollPosition();
  return true;
}

bool HexView::scrollToRow(std::uint64_t row) {
  const std::uint64_t last = lastPageTop() / m_bytesPerRow;
  const std::uint32_t target = static_cast<std::uint32_t>(std::min(row, last) * m_bytesPerRow);
  if (target == m_topOffset) return false;
  m_topOffset = target;
  rebuildText();
  m_barPosition = scrollPosition();
  return true;
}

void HexView::gotoOffset(std::uint32_t offset) {
  if (offset > m_size) return;
  std::uint32_t row = offset / m_bytesPerRow;
  if (std::uint64_t(m_visibleRows) < m_totalRows || row == 0) m_topOffset = row * m_bytesPerRow;
  rebuildText();
  updatePlainScrollBar();
}

void HexView::updatePlainScrollBar() {
  m_barPosition = m_totalRows == 0
                      ? 0
                      : static_cast<int>(std::uint64_t(m_topOffset / m_bytesPerRow) * kScrollScale / m_totalRows);
}

void HexView::arrowKey(ArrowKey key) {
  switch (key) {
    case ArrowKey::Left: gotoOffset(0); break;
    case ArrowKey::Right: gotoOffset(m_size - 1); break;  // an empty file gives 0xFFFFFFFF: nothing
    case ArrowKey::Up: scroll(ScrollRequest::PageUp); break;
    case ArrowKey::Down: scroll(ScrollRequest::PageDown); break;
  }
}

TapResult HexView::tap(int x, int y) {
  if (y < 0 || y > m_clientHeight || x < 0) return TapResult::Nothing;
  if (x <= m_offsetWidth) return TapResult::Goto;

  const int hexEnd = m_offsetWidth + m_hexAreaWidth + 1;
  const int textStart = m_offsetWidth + m_hexAreaWidth + 2;
  const int textEnd = textStart + static_cast<int>(m_bytesPerRow) * m_spaceWidth;
  bool inText = false;
  int column = 0;
  if (x >= m_offsetWidth + 1 && x <= hexEnd) {
    column = (x - m_offsetWidth) / (m_pairWidth + m_spaceWidth);
  } else if (x >= textStart && x <= textEnd) {
    column = (x - m_hexAreaWidth - m_offsetWidth) / m_spaceWidth;
    inText = true;
  } else {
    return TapResult::Nothing;
  }
  if (!m_editable) return TapResult::Nothing;

  // The last pixels of a column belong to the row's last byte, not to the next row's first.
  column = std::min(column, static_cast<int>(m_bytesPerRow) - 1);
  m_tapColumn = column;
  m_tapInText = inText;
  m_tapRow = y / m_lineHeight;
  m_tapRowTop = m_tapRow * m_lineHeight;
  m_marker = Marker::Shown;
  std::uint64_t index = std::uint64_t(m_tapRow) * m_bytesPerRow + static_cast<std::uint64_t>(column);
  // Only a byte the user can see is edited: not one past the end, nor one in the part row below
  // the last whole row.
  if (index >= m_shown) {
    m_tapOffset = kNoOffset;
    m_marker = Marker::None;
    return TapResult::Nothing;
  }
  m_tapOffset = m_topOffset + static_cast<std::uint32_t>(index);
  return TapResult::Byte;
}

void HexView::endEntry() {
  m_tapOffset = kNoOffset;
  m_tapRowTop = 0;
  m_marker = Marker::None;
  m_entryOpen = false;
}

std::uint32_t HexView::writeBytes(std::uint32_t offset, const std::uint8_t* data, std::size_t count,
                                  MessageBox& messages) {
  if (offset >= m_size) return 0;
  std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, std::uint64_t{m_size} - offset));
  if (m_changeLog) {
    if (!m_changeLog->mayWrite()) return 0;
    // One batch: the journal gets every entry in one piece before the first byte is written.
    std::vector<ChangeEntry> entries(n);
    for (std::size_t i = 0; i < n; ++i)
      entries[i] = {offset + static_cast<std::uint32_t>(i), m_bytes[offset + i], data[i]};
    AppendResult result = m_changeLog->appendAll(entries);
    if (result == AppendResult::AllocError)
      showMessage(messages, u"", kStylePlain, u"CLPA: alloc error!");
    else if (result == AppendResult::ReallocError)
      showMessage(messages, u"", kStylePlain, u"CLPA: realloc error!");
  }
  std::copy(data, data + n, m_bytes + offset);
  return static_cast<std::uint32_t>(n);
}

bool HexView::undoLast() {
  if (!m_changeLog || !m_changeLog->undoLast(m_bytes, m_size)) return false;
  rebuildText();
  return true;
}

void HexView::setClipboard(const std::uint8_t* data, std::size_t count) {
  std::size_t n = std::min(count, kClipboardSize);
  std::copy(data, data + n, m_clipboard.begin());
  m_clipboardCount = static_cast<int>(n);
}

}  // namespace nibblet
