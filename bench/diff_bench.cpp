// Importing a 4M-line difference file through the document with its crash journal, end to end,
// against the same reading, checking, storing and journaling in plain C, in alternating rounds.
// Comparing is measured by compare_bench, writing and reading difference files by
// diff_file_bench.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "alternating.h"
#include "bench_document.h"
#include "plain_diff_reader.h"
#include "core/diff/diff_commands.h"
#include "core/diff/diff_file.h"
#include "core/document/change_log.h"
#include "core/document/hex_document.h"
#include "core/platform/code_page.h"
#include "core/platform/unicode.h"

namespace {

using namespace nibblet;

constexpr std::uint32_t kMiB64 = 64u << 20;
constexpr std::uint32_t kLines = 4u << 20;

// The 4M-line file: one line per 16th byte of a 64 MiB document.
const ChangeLog& bigLog() {
  static ChangeLog log;
  if (log.count() == 0)
    for (std::uint32_t i = 0; i < kLines; ++i) log.append(i * 16, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(~i));
  return log;
}

// The document the 4M lines apply to: it holds every line's first value.
std::vector<std::uint8_t> importDocument() {
  std::vector<std::uint8_t> doc(kMiB64, 0);
  const ChangeLog& log = bigLog();
  for (std::uint32_t i = 0; i < log.count(); ++i) doc[log.entry(i).offset] = log.entry(i).oldValue;
  return doc;
}

// Import diff as the program runs it: a document open on the spot over a 64 MiB file, with
// its crash journal in a work folder, and the File > Import diff command reading the 4M-line
// file, checking every line, asking (answered Yes), and writing each byte as a journaled edit.
struct ImportSetup : bench::BenchDocument, DiffWindow {
  std::string folder;
  Utf8CodePage codePage;
  std::u16string lastFolder;
  DiffCommands commands{document, DiffServices{texts, messages, cursor, codePage, lastFolder}, *this};
  std::u16string diffFile, documentFile;

  ImportSetup() {
    char name[] = "/var/tmp/nibblet-import-bench-XXXXXX";
    folder = ::mkdtemp(name);
    documentFile = fromUtf8(folder + "/data.bin");
    diffFile = fromUtf8(folder + "/changes.txt");
    std::vector<std::uint8_t> doc = importDocument();
    int fd = ::open(toUtf8(documentFile).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, doc.data(), doc.size()) != static_cast<ssize_t>(doc.size())) std::abort();
    ::close(fd);
    writeDiffFile(bigLog(), diffFile, {"data.bin", "", false, kMiB64});
    setText(settings.workPath, fromUtf8(folder + "/work"));
    settings.openMode = 0;
  }
  ~ImportSetup() {
    document.abandon();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  void open() {
    document.setPath(documentFile);
    if (!document.openDocument()) std::abort();
  }
  // Closes, answering No to keeping the changes: the file gets its bytes back.
  void close() {
    messages.clear();
    messages.answer(kButtonNo);
    document.close();
  }
  int browse(const FileBrowserOptions&, std::u16string& path) override {
    path = diffFile;
    return kBrowseOk;
  }
  bool hasView() const override { return true; }
  void gotoOffset(std::uint32_t) override {}
  void rebuildText() override {}
};

ImportSetup& importSetup() {
  static ImportSetup setup;
  return setup;
}

// Import diff as the program runs it, answered Yes at its preview; the open and the close that
// takes the bytes back are left out of the time.
double importThroughTheDocument() {
  ImportSetup& setup = importSetup();
  setup.open();
  setup.messages.clear();
  setup.messages.answer(kButtonYes);  // the preview
  double seconds = bench::timeOnce([&] { setup.commands.importDiff(); });
  if (setup.document.changeLog().count() != kLines) std::printf("THE IMPORT DID NOT APPLY\n");
  setup.close();
  return seconds;
}

// The same work in plain C: fgets and sscanf per line, every line checked against the
// document, then each byte written with an 8-byte journal record in 1 MiB pieces.
double importInPlainC() {
  ImportSetup& setup = importSetup();
  std::string journalPath = setup.folder + "/baseline.jnl";
  std::vector<std::uint8_t> doc = importDocument();
  double seconds = bench::timeOnce([&] {
    std::vector<DiffLine> lines;
    bench::readWithFgets(toUtf8(setup.diffFile), lines);
    bool fits = true;
    for (const DiffLine& l : lines) fits &= l.offset < doc.size() && doc[l.offset] == l.firstValue;
    FILE* journal = std::fopen(journalPath.c_str(), "w");
    std::setvbuf(journal, nullptr, _IOFBF, 1 << 20);
    for (const DiffLine& l : lines) {
      std::uint8_t record[8] = {static_cast<std::uint8_t>(l.offset), static_cast<std::uint8_t>(l.offset >> 8),
                                static_cast<std::uint8_t>(l.offset >> 16), static_cast<std::uint8_t>(l.offset >> 24),
                                doc[l.offset], l.secondValue, 'E', 0};
      std::fwrite(record, 1, sizeof record, journal);
      if (fits) doc[l.offset] = l.secondValue;
    }
    std::fclose(journal);
  });
  std::remove(journalPath.c_str());
  return seconds;
}

}  // namespace

int main() {
  const char* r = std::getenv("ROUNDS");
  const int rounds = r && std::atoi(r) > 0 ? std::atoi(r) : 5;
  bench::Alternating a;
  a.add("plain C: fgets, sscanf, check, store, fwrite records", importInPlainC);
  a.add("Import diff through the document", importThroughTheDocument);
  a.run(rounds);
  a.print("import of 4M lines with the crash journal, end to end");
  bench::show("import vs plain C", a["Import diff through the document"],
              a["plain C: fgets, sscanf, check, store, fwrite records"]);
  bool met = bench::limit("import of 4M lines (ms)", a["Import diff through the document"].median() * 1e3, true, 2000, "");
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
