// Listing a folder of 100,000 files in the file browser (enumerate, stat, filter, the texts the
// list shows, sort) against an `ls -l` done in the same process: readdir, stat of every entry, a
// size and a date text for each, and a sort by name ignoring case, which is the same work. In
// alternating rounds; limit: at most 1.1x the ls -l. A plain directory_iterator walk without stat
// is shown too, as the lower bound no listing can beat. ROUNDS (default 9); FILES (default
// 100000) sets the folder's size.

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "alternating.h"
#include "core/browser/file_browser_model.h"
#include "core/platform/unicode.h"
#include "core/platform/wait_cursor.h"

namespace {

int envNumber(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}

// A folder of `count` small files with mixed-case names, created in an order unlike the sorted
// one, plus 20 folders; removed at exit.
class BenchFolder {
 public:
  explicit BenchFolder(int count) {
    std::string base = "/tmp/nibblet-browser-bench-XXXXXX";
    if (!::mkdtemp(base.data())) return;
    m_path = base;
    for (int i = 0; i < count; ++i) {
      int n = static_cast<int>((static_cast<long long>(i) * 7919) % count);
      char name[64];
      std::snprintf(name, sizeof name, "%s%06d.%s", n % 3 ? "File" : "data", n, n % 2 ? "bin" : "TXT");
      int fd = ::open((m_path + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) {
        std::string body(static_cast<std::size_t>(n % 97), 'x');
        if (::write(fd, body.data(), body.size()) < 0) body.clear();
        ::close(fd);
      }
    }
    for (int i = 0; i < 20; ++i) std::filesystem::create_directory(m_path + "/folder" + std::to_string(i));
  }
  ~BenchFolder() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

volatile std::size_t g_sink;

// What `ls -l` does for the same folder: every entry stat'ed, its size and date written out,
// hidden names left out, the rest sorted by name ignoring case.
std::size_t lsLong(const std::string& folder) {
  struct Line {
    std::string name;
    std::string size;
    std::string date;
  };
  std::vector<Line> lines;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::string base = folder + "/";
  while (dirent* e = ::readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    struct stat st;
    if (::stat((base + e->d_name).c_str(), &st) != 0) continue;
    char size[32], date[32];
    std::snprintf(size, sizeof size, "%lld", static_cast<long long>(st.st_size));
    struct tm local;
    ::localtime_r(&st.st_mtime, &local);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
    lines.push_back({e->d_name, size, date});
  }
  ::closedir(dir);
  std::sort(lines.begin(), lines.end(),
            [](const Line& a, const Line& b) { return ::strcasecmp(a.name.c_str(), b.name.c_str()) < 0; });
  return lines.size();
}

}  // namespace

int main() {
  const int files = envNumber("FILES", 100000);
  BenchFolder folder(files);
  if (folder.path().empty()) {
    std::fprintf(stderr, "cannot create the benchmark folder\n");
    return 1;
  }
  const std::size_t expected = static_cast<std::size_t>(files) + 20;
  nibblet::FileBrowserOptions options;
  options.startFolder = nibblet::fromUtf8(folder.path());
  options.filter = u"*.*";
  nibblet::NullWaitCursor cursor;

  nibblet::bench::Alternating a;
  a.addTimed("ls -l in process", [&] {
    if ((g_sink = lsLong(folder.path())) != expected) std::printf("WRONG COUNT\n");
  });
  a.addTimed("browser listing", [&] {
    nibblet::FileBrowserModel model(options, cursor);
    if ((g_sink = model.entries().size()) != expected) std::printf("WRONG COUNT\n");
  });
  a.addTimed("directory_iterator, no stat", [&] {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      count += entry.path().filename().native().size() > 0;
    g_sink = count;
  });
  a.run(envNumber("ROUNDS", 9));
  std::string title = std::to_string(files) + " files and 20 folders";
  a.print(title.c_str());
  bool met = nibblet::bench::ratioLimit("browser listing vs ls -l", a["browser listing"], a["ls -l in process"], 1.1);
  nibblet::bench::show("browser listing vs the walk without stat", a["browser listing"],
                       a["directory_iterator, no stat"]);
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
