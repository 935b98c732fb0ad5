// Copies by shared extents, in the system or by reading and writing give the same bytes, and a
// copy the user stops leaves the target as it was and no helper file behind. Shared extents are
// tried on a loop-mounted btrfs image when the machine can make one (as root, with mkfs.btrfs);
// otherwise that test is skipped.

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

#include "core/platform/file_system.h"
#include "core/platform/unicode.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::vector<std::uint8_t> randomBytes(std::size_t n) {
  std::mt19937 random(5);
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

int helperFiles(const std::string& folder) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    n += e.path().filename().string().ends_with(".part");
  return n;
}

// Copies into `folder`, checks the bytes, then stops a second copy at its `stopAt`-th report.
void copyAndStop(const std::string& folder, std::size_t size, int stopAt) {
  std::vector<std::uint8_t> bytes = randomBytes(size);
  writeFile(folder + "/src.bin", bytes);
  writeFile(folder + "/dst.bin", std::string("old"));
  std::u16string src = fromUtf8(folder + "/src.bin"), dst = fromUtf8(folder + "/dst.bin");
  int reports = 0;
  ASSERT_EQ(copyFileReplacing(src, dst, true, [&](std::uint64_t, std::uint64_t total) {
              EXPECT_EQ(total, size);
              ++reports;
              return true;
            }),
            0);
  EXPECT_EQ(readFile(folder + "/dst.bin"), bytes);
  EXPECT_GE(reports, stopAt);

  writeFile(folder + "/dst.bin", std::string("old"));
  int calls = 0;
  EXPECT_EQ(copyFileReplacing(src, dst, true, [&](std::uint64_t, std::uint64_t) { return ++calls < stopAt; }),
            ECANCELED);
  EXPECT_EQ(calls, stopAt);
  EXPECT_EQ(readFile(folder + "/dst.bin"), std::vector<std::uint8_t>({'o', 'l', 'd'}));
  EXPECT_EQ(helperFiles(folder), 0);
}

TEST(CopyFile, CopiesEveryByteAndStopsCleanlyWhenAsked) {
  TempDir dir;
  // Reports come every 8 MiB and at the end: stopped at the second, a copy is in its middle.
  copyAndStop(dir.path(), (70u << 20) + 3, 2);
}

// A btrfs file system in an image file, mounted for one test.
class ReflinkFolder {
 public:
  ReflinkFolder() {
    if (::geteuid() != 0 || std::system("command -v mkfs.btrfs >/dev/null 2>&1") != 0) return;
    m_image = m_dir.file("fs.img");
    m_mount = m_dir.file("mnt");
    std::filesystem::create_directory(m_mount);
    std::string make = "truncate -s 160M '" + m_image + "' && mkfs.btrfs -q '" + m_image + "' >/dev/null 2>&1";
    std::string mount = "mount -o loop '" + m_image + "' '" + m_mount + "' 2>/dev/null";
    m_mounted = std::system(make.c_str()) == 0 && std::system(mount.c_str()) == 0;
  }
  ~ReflinkFolder() {
    if (m_mounted) ::umount2(m_mount.c_str(), MNT_DETACH);
  }
  bool mounted() const { return m_mounted; }
  const std::string& path() const { return m_mount; }

 private:
  TempDir m_dir;
  std::string m_image, m_mount;
  bool m_mounted = false;
};

bool sharesExtents(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  constexpr unsigned kExtents = 8;
  std::vector<std::uint64_t> storage((sizeof(fiemap) + kExtents * sizeof(fiemap_extent)) / 8 + 1, 0);
  auto* map = reinterpret_cast<fiemap*>(storage.data());
  map->fm_length = ~0ull;
  map->fm_flags = FIEMAP_FLAG_SYNC;
  map->fm_extent_count = kExtents;
  bool shared = ::ioctl(fd, FS_IOC_FIEMAP, map) == 0 && map->fm_mapped_extents > 0;
  for (unsigned i = 0; shared && i < map->fm_mapped_extents; ++i)
    shared = (map->fm_extents[i].fe_flags & FIEMAP_EXTENT_SHARED) != 0;
  ::close(fd);
  return shared;
}

TEST(CopyFile, SharesExtentsWhereTheFileSystemCan) {
  ReflinkFolder folder;
  if (!folder.mounted()) GTEST_SKIP() << "no btrfs image could be made and mounted here";
  // A shared copy takes no time: its one report comes at the end, and stopping there still
  // takes the copy back.
  copyAndStop(folder.path(), 8u << 20, 1);
  ASSERT_EQ(copyFileReplacing(fromUtf8(folder.path() + "/src.bin"), fromUtf8(folder.path() + "/dst.bin"), true), 0);
  EXPECT_TRUE(sharesExtents(folder.path() + "/dst.bin"));
}

}  // namespace
}  // namespace nibblet
