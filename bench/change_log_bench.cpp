// The change log as it grows, in alternating rounds: a paint of a full screen right after an
// edit against the same paint before it, on a log of a million entries (limit: at most 2x); a
// paste of 256 bytes and a paint; and a log built entry by entry to a million with its index
// brought up to date after every entry, against pushing the same entries into a plain vector
// (limit: at most 1 us per entry). ROUNDS (default 7).

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "alternating.h"
#include "core/document/change_log.h"
#include "core/view/hex_view.h"

namespace {

using namespace nibblet;

class CellMeasure : public TextMeasure {
 public:
  int width(std::u16string_view text) const override { return 10 * static_cast<int>(text.size()); }
  int height(std::u16string_view) const override { return 22; }
};

constexpr std::uint32_t kFileSize = 16u << 20;
constexpr int kPaints = 20000;  // paints per round
volatile std::size_t g_sink;
constexpr int kMillion = 1'000'000;

std::vector<std::uint8_t>& fileBytes() {
  static std::vector<std::uint8_t> bytes(kFileSize, 0x5A);
  return bytes;
}

// A 480 x 640 screen in the middle of the file over a log of a million random changes.
struct Screen {
  CellMeasure measure;
  HexView view{measure};
  ChangeLog log;
  std::mt19937 random{11};
  std::vector<Mark> marks;
  Screen() {
    for (int i = 0; i < kMillion; ++i) log.append(random() % kFileSize, 0, 1);
    view.setToolbarHeight(24);
    view.relayout(1, 1, 0, 0, ViewFrame{480, 640, 96, 17, 2});
    view.setData(fileBytes().data(), kFileSize, kFileSize / 2);
    view.setChangeLog(&log);
    paint();
  }
  void paint() {
    view.rebuildText();
    view.collectMarks(marks);
    g_sink = marks.size();
  }
  // An edit somewhere in the file: the marks on screen stay as many, so the two paints differ
  // only by the work the edit left for the index.
  void edit() { log.append(random() % kFileSize, 0x5A, 0x5A); }
};

// A million entries, each followed by a look-up of its own offset, which brings the index up to
// date as a paint does.
void buildMillionPaintingEach() {
  ChangeLog log;
  std::mt19937 random(3);
  std::size_t found = 0;
  for (int i = 0; i < kMillion; ++i) {
    std::uint32_t offset = random() % kFileSize;
    log.append(offset, 0, 1);
    log.forEachInRange(offset, offset, [&](std::uint32_t) { ++found; });
  }
  g_sink = found;
}

// The same entries pushed into a vector: the least an append can cost.
void buildMillionVector() {
  std::vector<ChangeEntry> entries;
  std::mt19937 random(3);
  for (int i = 0; i < kMillion; ++i) entries.push_back({static_cast<std::uint32_t>(random() % kFileSize), 0, 1});
  g_sink = entries.size();
}

}  // namespace

int main() {
  const char* r = std::getenv("ROUNDS");
  const int rounds = r && std::atoi(r) > 0 ? std::atoi(r) : 7;
  bool met = true;
  {
    // The paint before an edit runs on a log that has seen many edits, each painted: the index
    // is as an editing session leaves it.
    Screen before;
    for (int i = 0; i < 100000; ++i) {
      before.edit();
      before.paint();
    }
    Screen after, paste;
    bench::Alternating a;
    a.addTimed("paint", [&] {
      for (int i = 0; i < kPaints; ++i) before.paint();
    });
    a.addTimed("edit, then paint", [&] {
      for (int i = 0; i < kPaints; ++i) {
        after.edit();
        after.paint();
      }
    });
    a.addTimed("paste of 256 bytes, then paint", [&] {
      for (int i = 0; i < kPaints / 100; ++i) {
        std::uint32_t at = paste.random() % (kFileSize - 256);
        for (std::uint32_t j = 0; j < 256; ++j) paste.log.append(at + j, 0x5A, 0x5A);
        paste.paint();
      }
    });
    a.run(rounds);
    a.print("a screen over a log of a million entries (20,000 paints a round; 200 pastes)");
    met &= bench::ratioLimit("paint right after an edit vs before it", a["edit, then paint"], a["paint"], 2.0);
    std::printf("      paste of 256 then paint: %.1f us each\n", a["paste of 256 bytes, then paint"].median() * 1e6 / (kPaints / 100));
  }
  {
    bench::Alternating a;
    a.addTimed("1M vector pushes", buildMillionVector);
    a.addTimed("1M appends, index up to date after each", buildMillionPaintingEach);
    a.run(rounds);
    a.print("a log built to a million entries");
    bench::show("appends with the index vs vector pushes", a["1M appends, index up to date after each"],
                a["1M vector pushes"]);
    met &= bench::limit("per entry, index up to date after each (us)",
                        a["1M appends, index up to date after each"].median() * 1e6 / kMillion, true, 1.0, "");
  }
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
