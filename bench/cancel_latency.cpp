// How soon a tap on Cancel stops long work, through the real window offscreen. For each kind of
// long work, rounds that let the work run to its end (the baseline: how long the work itself
// takes) alternate with rounds in which a tap on Cancel arrives from outside the work, posted to
// the event queue by another thread at a random moment of it, as a touch screen's tap arrives.
// Measured is the time from the tap to the end of the work, its taking back included. The limit
// is 100 ms for every tap: the largest of the rounds is compared with it.
//
// NIBBLET_BENCH_MIB sets the file size (default 512), NIBBLET_BENCH_ROUNDS the rounds (default 5),
// NIBBLET_BENCH_ONLY a part of the names of the kinds to run.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "core/platform/unicode.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/platform/qt_text.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kLimitMs = 100.0;

int envNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Answers what the window asks while work runs: the file browser with `name`, every message
// box with Yes where it has one, else OK.
class Answers {
 public:
  Answers() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      if (modal->objectName() == "900") {
        modal->findChild<QLineEdit*>("901")->setText(name);
        QMetaObject::invokeMethod(modal, "command", Q_ARG(int, kCmdOk));
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        (yes ? yes : box->buttons().first())->click();
      }
    });
    m_timer.start(2);
  }
  QString name;

 private:
  QTimer m_timer;
};

struct Kind {
  const char* name;
  std::function<void()> before;  // puts the program in the state the work starts from
  std::function<void()> work;
  std::function<void()> after;   // undoes what a finished work did
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int mib = envNumber("NIBBLET_BENCH_MIB", 512);
  const int rounds = envNumber("NIBBLET_BENCH_ROUNDS", 5);
  char folderName[] = "/var/tmp/nibblet-cancel-XXXXXX";
  if (!::mkdtemp(folderName)) return 1;
  const QString folder = folderName;
  qputenv("XDG_CONFIG_HOME", (folder + "/config").toUtf8());
  qputenv("XDG_CACHE_HOME", (folder + "/cache").toUtf8());
  auto file = [&folder](const char* name) { return folder + "/" + name; };

  // The files: a document, one that differs from it at every 4096th byte, two small ones that
  // differ everywhere, and a difference file of two million lines for the document.
  std::printf("preparing %d MiB files in %s\n", mib, folderName);
  QByteArray bytes(qsizetype(mib) << 20, '\0');
  std::mt19937_64 random(20);
  for (qsizetype i = 0; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t r = random();
    std::memcpy(bytes.data() + i, &r, 8);
  }
  bytes.replace(16, 8, "NEEDLE!!");
  QByteArray other = bytes;
  for (qsizetype i = 0; i < other.size(); i += 4096) other[i] = char(~other[i]);
  QByteArray dense(64 << 20, 'a'), denseOther(64 << 20, 'b');
  QByteArray diff = ";Nibblet diff file\n";
  const int lines = 2000000;
  const qsizetype step = bytes.size() / lines;
  for (int i = 0; i < lines; ++i) {
    char line[32];
    qsizetype at = 64 + i * step;
    std::snprintf(line, sizeof line, "%08X: %02X %02X\n", unsigned(at), unsigned(quint8(bytes[at])),
                  unsigned(quint8(~bytes[at])));
    diff += line;
  }
  bool ok = writeFile(file("a.bin"), bytes) && writeFile(file("b.bin"), other) &&
            writeFile(file("imported.bin"), bytes) && writeFile(file("dense-a.bin"), dense) &&
            writeFile(file("dense-b.bin"), denseOther) && writeFile(file("import.txt"), diff) &&
            QDir().mkpath(file("backups"));
  other.clear();
  diff.clear();
  if (!ok) return 1;

  MemoryRegistryKey key;
  Application program(key);
  program.start(u"");
  MainFrame* frame = program.mainFrame();
  QtWaitCursor& cursor = program.context().waitCursor;
  cursor.setShowAfter(0);
  program.context().lastFolder = toU16(folder + "/");
  Settings& settings = program.context().settings;
  HexDocument& document = frame->document();
  Answers answers;
  auto open = [&](const char* name, int mode) {
    settings.openMode = mode;
    document.setPath(toU16(file(name)));
    document.openDocument();
  };
  auto closeDocument = [&] {
    if (!document.isOpen()) return;
    document.changeLog().clear();
    document.close();
  };

  std::vector<Kind> kinds = {
      {"open as a temporary copy", [&] { closeDocument(); }, [&] { open("a.bin", 1); }, closeDocument},
      {"backup at open",
       [&] {
         closeDocument();
         setText(settings.backupPath, toU16(file("backups")));
       },
       [&] { open("a.bin", 0); },
       [&] {
         closeDocument();
         setText(settings.backupPath, u"");
       }},
      {"search next over the whole file",
       [&] {
         if (!document.isOpen()) open("a.bin", 0);
         HexView& view = frame->view()->view();
         view.setSearchMatch(16, 8);
         view.searchState().pattern.assign({'N', 'E', 'E', 'D', 'L', 'E', '!', '!'});
       },
       [&] { frame->onCommand(kCmdSearchNext); }, [] {}},
      {"compare, a difference every 4 KiB",
       [&] {
         if (!document.isOpen() || document.isTemporaryCopy()) {
           closeDocument();
           open("a.bin", 0);
         }
         answers.name = "b.bin";
       },
       [&] { frame->onCommand(kCmdCompare); }, [] {}},
      {"compare, 64 MiB that differ everywhere",
       [&] {
         closeDocument();
         open("dense-a.bin", 0);
         answers.name = "dense-b.bin";
       },
       [&] { frame->onCommand(kCmdCompare); }, [&] { frame->onCommand(kCmdClearDifferences); }},
      {"import of two million lines",
       [&] {
         closeDocument();
         open("imported.bin", 0);
         answers.name = "import.txt";
       },
       [&] { frame->onCommand(kCmdImportDiff); }, [&] { frame->onCommand(kCmdUndoAll); }},
      {"export of four million differences",
       [&] {
         if (!document.isOpen()) open("a.bin", 0);
         document.diffSet().clear();
         std::vector<DiffEntry> entries(4000000);
         for (std::uint32_t i = 0; i < entries.size(); ++i) entries[i] = {i, 1, 2};
         document.diffSet().append(entries.data(), entries.size());
         answers.name = "out.txt";
       },
       [&] { frame->onCommand(kCmdSaveDifferences); }, [&] { QFile::remove(file("out.txt")); }},
      {"save over a file another program rewrote",
       [&] {
         closeDocument();
         writeFile(file("saved.bin"), bytes);
         open("saved.bin", 1);
         document.changeLog().append(5, document.bytes()[5], 'S');
         document.bytes()[5] = 'S';
         writeFile(file("saved.bin"), bytes);  // rewritten: the save asks, then writes every byte
       },
       [&] { document.save(false); },
       [&] {
         closeDocument();
         QFile::remove(file("saved.bin"));
       }},
      {"save of a copy whose file is gone",
       [&] {
         closeDocument();
         writeFile(file("saved.bin"), bytes);
         open("saved.bin", 1);
         document.changeLog().append(5, document.bytes()[5], 'S');
         document.bytes()[5] = 'S';
         QFile::remove(file("saved.bin"));
       },
       [&] { document.save(false); },
       [&] {
         closeDocument();
         QFile::remove(file("saved.bin"));
       }},
  };

  int missed = 0;
  std::mt19937 pick(7);
  const char* only = std::getenv("NIBBLET_BENCH_ONLY");
  for (const Kind& kind : kinds) {
    if (only && !std::strstr(only, kind.name) && !std::strstr(kind.name, only)) continue;
    std::vector<double> runs, stops;
    int late = 0, unheard = 0;
    for (int round = 0; round < rounds; ++round) {
      // Baseline: the work let run to its end; its reports say when it could be stopped.
      kind.before();
      Clock::time_point start = Clock::now();
      double firstReport = -1, lastReport = 0;
      cursor.setReportHook([&](int) {
        lastReport = ms(Clock::now() - start);
        if (firstReport < 0) firstReport = lastReport;
      });
      kind.work();
      runs.push_back(ms(Clock::now() - start));
      cursor.setReportHook({});
      kind.after();
      if (firstReport < 0) continue;  // nothing reported: nothing to stop

      // A tap at a random moment while the work reports, from outside the work.
      kind.before();
      const double at = firstReport + std::uniform_real_distribution<double>(0.05, 0.9)(pick) * (lastReport - firstReport);
      std::atomic<Clock::rep> tappedAt{0};
      std::atomic<bool> taken{false};
      start = Clock::now();
      std::thread finger([&] {
        std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double, std::milli>(at)));
        tappedAt = Clock::now().time_since_epoch().count();
        QMetaObject::invokeMethod(qApp, [&] {
          QPushButton* cancel = cursor.cancelButton();
          if (cancel && cancel->isVisible() && cancel->isEnabled()) {
            cancel->click();
            taken = true;
          }
        }, Qt::QueuedConnection);
      });
      kind.work();
      Clock::time_point end = Clock::now();
      finger.join();
      QCoreApplication::processEvents();  // a tap that came after the work is let go here
      // A tap before the end counts whether or not the work heard it: the user waited all the
      // same (for the last writes to reach the disk, say).
      const Clock::time_point tapped{Clock::duration(tappedAt.load())};
      if (taken || tapped < end) stops.push_back(ms(end - tapped));
      else ++late;
      if (!taken && tapped < end) ++unheard;
      kind.after();
    }
    const double worst = stops.empty() ? 0 : *std::max_element(stops.begin(), stops.end());
    const double best = stops.empty() ? 0 : *std::min_element(stops.begin(), stops.end());
    // Work too short for a tap to land in it ends within the limit by itself.
    const bool met = stops.empty() ? median(runs) <= kLimitMs : worst <= kLimitMs;
    if (!met) ++missed;
    std::printf("%s: runs %.0f ms when let run (median of %zu); %zu taps before its end (%d of them after its last "
                "report), %d after; from the tap to the end median %.1f ms, spread %.1f-%.1f ms; worst %.1f ms / %.0f "
                "ms limit = %.2f: %s\n",
                kind.name, median(runs), runs.size(), stops.size(), unheard, late, median(stops), best, worst, worst,
                kLimitMs, worst / kLimitMs, met ? "met" : "MISSED");
    std::fflush(stdout);
  }
  closeDocument();
  frame->close();
  program.finish();
  QDir(folder).removeRecursively();
  return missed == 0 ? 0 : 2;
}
