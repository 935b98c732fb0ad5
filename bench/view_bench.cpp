// The hex view's per-screen work on a full 480 x 640 screen (12-point fixed font: cells of
// 10 x 22 pixels), in alternating rounds, each reported as its median with its spread:
// - rebuildText against two formatters of the same rows: one snprintf per byte (the slow way)
//   and a table-driven formatter written the obvious way (the fair one);
// - the mark list at random scroll positions with a million change-log and a million diff
//   entries, against the same positions with empty lists;
// - a paint right after an edit (scroll, append, store, rows text, mark list) with a change log
//   of a million entries, against the same edits and paints with a log that starts empty;
// - the values panel's refresh after a tap (every row decoded, and the count, sum and CRC-32 of a
//   256-byte selection), against rebuildText of the same screen.

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "alternating.h"
#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/i18n/string_module.h"
#include "core/inspect/values_panel_model.h"
#include "core/platform/registry_key.h"
#include "core/view/hex_view.h"

namespace {

using namespace nibblet;

class CellMeasure : public TextMeasure {
 public:
  int width(std::u16string_view text) const override { return 10 * static_cast<int>(text.size()); }
  int height(std::u16string_view) const override { return 22; }
};

constexpr std::uint32_t kFileSize = 16u << 20;
constexpr int kScreens = 20000;  // screens per round
volatile std::uintptr_t g_sink;

std::vector<std::uint8_t>& fileBytes() {
  static std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> b(kFileSize);
    std::mt19937 random(7);
    for (auto& x : b) x = static_cast<std::uint8_t>(random());
    return b;
  }();
  return bytes;
}

// A view as the main window lays it out on a 480 x 640 screen, scrolled to the middle.
struct Screen {
  CellMeasure measure;
  HexView view{measure};
  Screen() {
    view.setToolbarHeight(24);
    view.relayout(1, 1, 0, 0, ViewFrame{480, 640, 96, 17, 2});
    view.setData(fileBytes().data(), kFileSize, kFileSize / 2);
  }
};

void rebuildText(Screen& s) {
  for (int i = 0; i < kScreens; ++i) {
    s.view.rebuildText();
    g_sink = reinterpret_cast<std::uintptr_t>(s.view.rowsText().data());
  }
}

// The same rows written with one snprintf per offset and per byte.
void snprintfRows(Screen& s) {
  const std::uint8_t* bytes = fileBytes().data();
  const std::uint32_t top = s.view.topOffset(), n = s.view.shownBytes(), perRow = s.view.bytesPerRow();
  const int digits = s.view.offsetDigits();
  std::vector<char> out(s.view.rowsText().size() + 64);
  for (int i = 0; i < kScreens; ++i) {
    char* p = out.data();
    for (std::uint32_t row = 0; row < n; row += perRow) {
      p += std::snprintf(p, 16, "%0*X: ", digits, top + row);
      for (std::uint32_t c = 0; c < perRow; ++c) p += std::snprintf(p, 4, "%02x ", bytes[top + row + c]);
      for (std::uint32_t c = 0; c < perRow; ++c) {
        std::uint8_t b = bytes[top + row + c];
        *p++ = b <= 0x10 ? '.' : static_cast<char>(b);
      }
      *p++ = '\r';
      *p++ = '\n';
    }
    g_sink = reinterpret_cast<std::uintptr_t>(out.data());
  }
}

// The same rows from lookup tables: two hex digits per byte from a 256-entry table, the offset
// digit by digit, the text column byte by byte.
void tableRows(Screen& s) {
  const std::uint8_t* bytes = fileBytes().data();
  const std::uint32_t top = s.view.topOffset(), n = s.view.shownBytes(), perRow = s.view.bytesPerRow();
  const int digits = s.view.offsetDigits();
  static const char kUpper[] = "0123456789ABCDEF";
  static char pairs[256][2];
  for (int b = 0; b < 256; ++b) {
    pairs[b][0] = "0123456789abcdef"[b >> 4];
    pairs[b][1] = "0123456789abcdef"[b & 15];
  }
  std::vector<char> out(s.view.rowsText().size() + 64);
  for (int i = 0; i < kScreens; ++i) {
    char* p = out.data();
    for (std::uint32_t row = 0; row < n; row += perRow) {
      std::uint32_t offset = top + row;
      for (int d = digits - 1; d >= 0; --d) *p++ = kUpper[(offset >> (4 * d)) & 15];
      *p++ = ':';
      *p++ = ' ';
      for (std::uint32_t c = 0; c < perRow; ++c) {
        const char* pair = pairs[bytes[offset + c]];
        *p++ = pair[0];
        *p++ = pair[1];
        *p++ = ' ';
      }
      for (std::uint32_t c = 0; c < perRow; ++c) {
        std::uint8_t b = bytes[offset + c];
        *p++ = b <= 0x10 ? '.' : static_cast<char>(b);
      }
      *p++ = '\r';
      *p++ = '\n';
    }
    g_sink = reinterpret_cast<std::uintptr_t>(out.data());
  }
}

// A million random changes and a difference at every 16th byte (the whole file).
struct MillionMarks {
  ChangeLog log;
  DiffSet diffs;
  MillionMarks() {
    std::mt19937 random(11);
    for (int i = 0; i < 1'000'000; ++i) log.append(random() % kFileSize, 0, 1);
    for (std::uint32_t i = 0; i < 1'000'000; ++i) diffs.append({i * 16, 0, 1});
  }
};

MillionMarks& millionMarks() {
  static MillionMarks marks;
  return marks;
}

// 256 scroll positions spread over the whole file, the same for every run.
const std::vector<std::uint32_t>& randomPositions() {
  static std::vector<std::uint32_t> positions = [] {
    std::vector<std::uint32_t> p(256);
    std::mt19937 random(5);
    for (auto& x : p) x = random() % kFileSize;
    return p;
  }();
  return positions;
}

// Scrolls to the next random position and collects the marks there, kScreens times; `full`
// uses the million-entry lists, else empty ones; `rows` rebuilds the rows text too.
class MarksAtRandomPositions {
 public:
  MarksAtRandomPositions(bool full, bool rows) : m_rows(rows) {
    m_view.view.setChangeLog(full ? &millionMarks().log : &m_emptyLog);
    m_view.view.setDiffSet(full ? &millionMarks().diffs : &m_emptyDiffs);
    m_view.view.collectMarks(m_marks);  // the log's offset index is built once, on the first paint
  }
  void operator()() {
    const auto& positions = randomPositions();
    for (int i = 0; i < kScreens; ++i) {
      m_view.view.gotoOffset(positions[m_next++ & 255]);
      if (m_rows) m_view.view.rebuildText();
      m_view.view.collectMarks(m_marks);
      g_sink = m_marks.size();
    }
  }

 private:
  ChangeLog m_emptyLog;
  DiffSet m_emptyDiffs;
  Screen m_view;
  std::vector<Mark> m_marks;
  bool m_rows;
  std::size_t m_next = 0;
};

// One edit on screen and the paint that follows it, kScreens times: the view scrolled to a new
// random place, an entry appended for a byte there and the byte stored, then the rows text and
// the mark list. `entries` is the number of entries in the log before the first edit. Each edit
// lands on a different screen, so the screen's own entries stay few and only the log's size
// differs.
class PaintAfterEdit {
 public:
  explicit PaintAfterEdit(int entries) : m_bytes(fileBytes()) {
    std::mt19937 random(11);
    for (int i = 0; i < entries; ++i) m_log.append(random() % kFileSize, 0, 1);
    m_view.view.setData(m_bytes.data(), kFileSize, kFileSize / 2);
    m_view.view.setChangeLog(&m_log);
    m_view.view.setDiffSet(&m_diffs);
    m_view.view.rebuildText();
    m_view.view.collectMarks(m_marks);
  }
  void operator()() {
    for (int i = 0; i < kScreens; ++i) {
      m_view.view.gotoOffset(m_places() % kFileSize);
      std::uint32_t offset = m_view.view.topOffset() + (m_k++ * 37) % m_view.view.shownBytes();
      std::uint8_t value = static_cast<std::uint8_t>(m_k);
      m_log.append(offset, m_bytes[offset], value);
      m_bytes[offset] = value;
      m_view.view.rebuildText();
      m_view.view.collectMarks(m_marks);
      g_sink = m_marks.size();
    }
  }

 private:
  ChangeLog m_log;
  DiffSet m_diffs;
  std::vector<std::uint8_t> m_bytes;
  Screen m_view;
  std::vector<Mark> m_marks;
  std::mt19937 m_places{5};
  std::uint32_t m_k = 0;
};

// A tap on a new byte and the values panel's refresh, kScreens times: the core work behind a
// tap, with the largest selection summed and checked.
class ValuesAfterTap {
 public:
  ValuesAfterTap() : m_panel(m_screen.view, m_texts, m_key) {
    const std::uint32_t top = m_screen.view.topOffset();
    m_screen.view.setSelection(top, top + 255);
  }
  void operator()() {
    const std::uint32_t top = m_screen.view.topOffset();
    for (int i = 0; i < kScreens; ++i) {
      m_panel.follow(top + (m_k++ * 37) % m_screen.view.shownBytes());
      g_sink = reinterpret_cast<std::uintptr_t>(m_panel.rows().data());
    }
  }

 private:
  Screen m_screen;
  Texts m_texts;
  MemoryRegistryKey m_key;
  ValuesPanelModel m_panel;
  std::uint32_t m_k = 0;
};

}  // namespace

int main() {
  const char* r = std::getenv("ROUNDS");
  const int rounds = r && std::atoi(r) > 0 ? std::atoi(r) : 9;
  const double perScreen = 1e6 / kScreens;  // seconds per round -> microseconds per screen
  bool met = true;
  {
    Screen s;
    bench::Alternating a;
    a.addTimed("one snprintf per byte", [&] { snprintfRows(s); });
    a.addTimed("table-driven formatter", [&] { tableRows(s); });
    a.addTimed("rebuildText", [&] { rebuildText(s); });
    a.run(rounds);
    a.print("rows text of a full screen (20,000 screens a round)");
    bench::show("rebuildText vs one snprintf per byte", a["rebuildText"], a["one snprintf per byte"]);
    bench::show("rebuildText vs a table-driven formatter", a["rebuildText"], a["table-driven formatter"]);
    met &= bench::limit("rebuildText per screen (us)", a["rebuildText"].median() * perScreen, true, 50, "");
  }
  {
    MarksAtRandomPositions emptyMarks(false, false), fullMarks(true, false), emptyBoth(false, true),
        fullBoth(true, true);
    bench::Alternating a;
    a.addTimed("mark list, empty lists", [&] { emptyMarks(); });
    a.addTimed("mark list, 1M + 1M entries", [&] { fullMarks(); });
    a.addTimed("rows text + mark list, empty lists", [&] { emptyBoth(); });
    a.addTimed("rows text + mark list, 1M + 1M entries", [&] { fullBoth(); });
    a.run(rounds);
    a.print("random scroll positions (20,000 screens a round)");
    bench::show("mark list, 1M + 1M entries vs empty", a["mark list, 1M + 1M entries"], a["mark list, empty lists"]);
    bench::show("rows text + mark list, 1M + 1M entries vs empty", a["rows text + mark list, 1M + 1M entries"],
                a["rows text + mark list, empty lists"]);
  }
  {
    PaintAfterEdit fresh(0), million(1'000'000);
    bench::Alternating a;
    a.addTimed("edit + paint, log starting empty", [&] { fresh(); });
    a.addTimed("edit + paint, log of 1M entries", [&] { million(); });
    a.run(rounds);
    a.print("an edit and its paint (20,000 a round)");
    bench::show("edit + paint, 1M entries vs a log starting empty", a["edit + paint, log of 1M entries"],
                a["edit + paint, log starting empty"]);
  }
  {
    Screen s;
    ValuesAfterTap values;
    bench::Alternating a;
    a.addTimed("rebuildText", [&] { rebuildText(s); });
    a.addTimed("values panel after a tap", [&] { values(); });
    a.run(rounds);
    a.print("values panel after a tap (20,000 taps a round)");
    bench::show("values panel after a tap vs rebuildText", a["values panel after a tap"], a["rebuildText"]);
    met &= bench::limit("values panel after a tap (us)", a["values panel after a tap"].median() * perScreen, true, 50, "");
  }
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
