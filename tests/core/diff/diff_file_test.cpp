// The difference file: exact bytes written, the reader's line rules, damaged input, and the
// writer's safety (nothing half-written, no planted link followed).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "core/diff/diff_file.h"
#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/platform/unicode.h"
#include "support/system_calls.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

using test::TempDir;

std::string textOfFile(const std::string& path) {
  auto bytes = test::readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<DiffLine> parse(std::string_view text) {
  std::vector<DiffLine> lines;
  EXPECT_TRUE(parseDiffText(text, lines));
  return lines;
}

void PrintTo(const DiffLine& l, std::ostream* os) {
  *os << std::hex << l.offset << ": " << int(l.firstValue) << " " << int(l.secondValue);
}

TEST(ParseHex, DigitsUntilTheFirstOtherCharacter) {
  EXPECT_EQ(parseHex(""), 0u);
  EXPECT_EQ(parseHex("G1"), 0u);
  EXPECT_EQ(parseHex("1A"), 0x1Au);
  EXPECT_EQ(parseHex("1a"), 0x1Au);
  EXPECT_EQ(parseHex("aBcDeF09"), 0xABCDEF09u);
  EXPECT_EQ(parseHex("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(parseHex("12:34"), 0x12u);
  EXPECT_EQ(parseHex("0000:000"), 0u);
  EXPECT_EQ(parseHex("123456789"), 0x23456789u);  // wraps modulo 2^32
}

TEST(WriteDiffFile, ChangesAndDifferencesInTheirExactForm) {
  TempDir dir;
  ChangeLog log;
  log.append(0x1A, 0x00, 0xFF);
  log.append(0x1A, 0xFF, 0x11);
  log.append(0xFFFFFFFF, 0xAB, 0x0c);
  DiffFileHeader header{"data.bin", "", false, 3000000000u};
  ASSERT_EQ(writeDiffFile(log, fromUtf8(dir.file("c.txt")), header), 0);
  EXPECT_EQ(textOfFile(dir.file("c.txt")),
            ";Nibblet diff file\n;FILE: data.bin\n;SIZE: 3000000000\n"
            "0000001A: 00 FF\n0000001A: FF 11\nFFFFFFFF: AB 0C\n");

  DiffSet diffs;
  diffs.append({0, 0x41, 0x42});
  DiffFileHeader two{"a.bin", "b.bin", true, 100};
  ASSERT_EQ(writeDiffFile(diffs, fromUtf8(dir.file("d.txt")), two), 0);
  EXPECT_EQ(textOfFile(dir.file("d.txt")),
            ";Nibblet diff file\n;FILE: a.bin\n;FILE2: b.bin\n;SIZE: 100\n00000000: 41 42\n");

  // An empty list still gives the header, and the reader finds no data in it.
  DiffSet none;
  ASSERT_EQ(writeDiffFile(none, fromUtf8(dir.file("e.txt")), two), 0);
  std::vector<DiffLine> lines;
  EXPECT_EQ(readDiffFile(fromUtf8(dir.file("e.txt")), lines), 0);
  EXPECT_TRUE(lines.empty());
}

TEST(WriteDiffFile, RoundTripsThroughTheReader) {
  TempDir dir;
  ChangeLog log;
  for (std::uint32_t i = 0; i < 5000; ++i) log.append(i * 7919u, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3));
  ASSERT_EQ(writeDiffFile(log, fromUtf8(dir.file("r.txt")), {"x", "", false, 1}), 0);
  std::vector<DiffLine> lines;
  ASSERT_EQ(readDiffFile(fromUtf8(dir.file("r.txt")), lines), 0);
  ASSERT_EQ(lines.size(), 5000u);
  for (std::uint32_t i = 0; i < 5000; ++i)
    EXPECT_EQ(lines[i], (DiffLine{i * 7919u, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3)}));
}

TEST(WriteDiffFile, FailuresLeaveTheTargetAsItWasAndNoStrayFile) {
  TempDir dir;
  ChangeLog log;
  log.append(1, 2, 3);
  DiffFileHeader header{"n", "", false, 4};
  EXPECT_EQ(writeDiffFile(log, fromUtf8(dir.file("missing/x.txt")), header), ENOENT);
  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_EQ(writeDiffFile(log, fromUtf8(dir.file("folder")), header), EISDIR);

  // An existing file is replaced whole, keeping its mode; a new one gets what the umask
  // allows, without the umask being touched.
  const std::string text = ";Nibblet diff file\n;FILE: n\n;SIZE: 4\n00000001: 02 03\n";
  test::writeFile(dir.file("old.txt"), std::string(100, 'o'));
  ::chmod(dir.file("old.txt").c_str(), 0640);
  mode_t before = ::umask(027);
  test::countCalls();
  ASSERT_EQ(writeDiffFile(log, fromUtf8(dir.file("old.txt")), header), 0);
  ASSERT_EQ(writeDiffFile(log, fromUtf8(dir.file("new.txt")), header), 0);
  EXPECT_EQ(test::umaskCalls(), 0);
  test::stopCounting();
  ::umask(before);
  EXPECT_EQ(textOfFile(dir.file("old.txt")), text);
  struct stat st;
  ASSERT_EQ(::stat(dir.file("old.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  ASSERT_EQ(::stat(dir.file("new.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // A link is followed to its file and stays a link; a pipe or a device is never replaced.
  test::writeFile(dir.file("target"), std::string("old"));
  ASSERT_EQ(::symlink(dir.file("target").c_str(), dir.file("link.txt").c_str()), 0);
  ASSERT_EQ(writeDiffFile(log, fromUtf8(dir.file("link.txt")), header), 0);
  EXPECT_EQ(textOfFile(dir.file("target")), text);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  EXPECT_EQ(writeDiffFile(log, fromUtf8(dir.file("pipe")), header), EINVAL);
  EXPECT_TRUE(std::filesystem::is_fifo(dir.file("pipe")));
  if (::mknod(dir.file("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
    EXPECT_EQ(writeDiffFile(log, fromUtf8(dir.file("device")), header), EINVAL);
    EXPECT_TRUE(std::filesystem::is_character_file(dir.file("device")));
  }

  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

TEST(ParseDiffText, WhichLinesAreAccepted) {
  EXPECT_TRUE(parse("").empty());
  EXPECT_TRUE(parse(";Nibblet diff file\n;FILE: a\n;FILE2: b\n;SIZE: 16\n").empty());
  // Lower case, no spaces, CR LF, spaces anywhere, no line end at the end of the file.
  EXPECT_EQ(parse("0000001a:00ff\n"), (std::vector<DiffLine>{{0x1A, 0x00, 0xFF}}));
  EXPECT_EQ(parse("0000001A: 00 FF\r\n"), (std::vector<DiffLine>{{0x1A, 0x00, 0xFF}}));
  EXPECT_EQ(parse(" 0 0 0 0 0 0 1 A : 0 0 F F   "), (std::vector<DiffLine>{{0x1A, 0x00, 0xFF}}));
  EXPECT_EQ(parse("\r0000\r001A:\r00FF\r"), (std::vector<DiffLine>{{0x1A, 0x00, 0xFF}}));
  // A colon inside a field ends only that field.
  EXPECT_EQ(parse("0000:000:AABB\n"), (std::vector<DiffLine>{{0, 0xAA, 0xBB}}));
  EXPECT_EQ(parse("00000001:A:BB\n"), (std::vector<DiffLine>{{1, 0xA, 0xBB}}));
  // Rejected: short offset, a tab, the colon elsewhere, a letter past F, one character too many.
  EXPECT_TRUE(parse("1A: 00 FF\n").empty());
  EXPECT_TRUE(parse("0000001A:\t00 FF\n").empty());
  EXPECT_TRUE(parse("0000001A0:0FF\n").empty());
  EXPECT_TRUE(parse("0000001G: 00 FF\n").empty());
  EXPECT_TRUE(parse("0000001A: 00 FF0\n").empty());
  EXPECT_TRUE(parse(std::string("0000001A: 00 F\0", 15)).empty());
  // Good lines around bad ones keep their order.
  EXPECT_EQ(parse("00000002: 01 02\ngarbage\n00000001: 03 04\n"),
            (std::vector<DiffLine>{{2, 1, 2}, {1, 3, 4}}));
}

TEST(ParseDiffText, LongLinesArriveInPiecesOf254Characters) {
  const std::string data = "0000001A: 00 FF";
  // A line of 300 characters: the pieces of 254 and 46 characters are both rejected...
  EXPECT_TRUE(parse(std::string(300, '0') + "\n").empty());
  // ...unless one of them holds a data line on its own (spaces fill the first piece here).
  EXPECT_EQ(parse(std::string(285, ' ') + data + "\n").size(), 1u);
  // Data that fills a piece exactly is accepted; its line feed comes as an empty piece.
  EXPECT_EQ(parse(std::string(254 - data.size(), ' ') + data + "\n00000001: 02 03\n").size(), 2u);
  // Garbage of one whole piece, then data in the same line: the second piece is a line of its own.
  EXPECT_EQ(parse(std::string(254, 'x') + data + "\n"), (std::vector<DiffLine>{{0x1A, 0x00, 0xFF}}));
  // A piece boundary inside the data breaks it.
  EXPECT_TRUE(parse(std::string(250, 'x') + data + "\n").empty());
}

TEST(ReadDiffFile, MissingFoldersAndEmptyFiles) {
  TempDir dir;
  std::vector<DiffLine> lines;
  EXPECT_EQ(readDiffFile(fromUtf8(dir.file("none.txt")), lines), ENOENT);
  EXPECT_EQ(readDiffFile(fromUtf8(dir.path()), lines), EISDIR);
  test::writeFile(dir.file("empty.txt"), std::string());
  EXPECT_EQ(readDiffFile(fromUtf8(dir.file("empty.txt")), lines), 0);
  EXPECT_TRUE(lines.empty());
  // Lines are appended after what the list holds.
  lines.push_back({9, 9, 9});
  test::writeFile(dir.file("one.txt"), std::string("00000001: 02 03"));
  EXPECT_EQ(readDiffFile(fromUtf8(dir.file("one.txt")), lines), 0);
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], (DiffLine{1, 2, 3}));
}

}  // namespace
}  // namespace nibblet
