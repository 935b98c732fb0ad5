#pragma once
// The little-endian fields and the checksum shared by the program's journals: the crash journal
// of edits and the save journal. Readers check every length against what is left, so a damaged
// journal is refused, never read past its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nibblet::journal {

constexpr std::uint32_t kMaxTextBytes = 4096;

inline std::uint32_t checksum(const std::uint8_t* p, std::size_t n) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  return h;
}

struct Writer {
  std::vector<std::uint8_t> out;
  void number(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void text(const std::string& t) {
    number(t.size(), 4);
    out.insert(out.end(), t.begin(), t.end());
  }
};

struct Reader {
  const std::vector<std::uint8_t>& data;
  std::size_t at = 0;
  bool ok = true;
  std::uint64_t number(int bytes) {
    if (!ok || data.size() - at < static_cast<std::size_t>(bytes)) return ok = false, 0;
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(data[at + i]) << (8 * i);
    at += static_cast<std::size_t>(bytes);
    return v;
  }
  std::string text() {
    std::uint64_t n = number(4);
    if (!ok || n > kMaxTextBytes || data.size() - at < n) return ok = false, std::string();
    std::string t(reinterpret_cast<const char*>(data.data() + at), n);
    at += n;
    return t;
  }
};

// Reads a whole journal of at most 16 GiB; false when it cannot be read.
bool readWhole(int fd, std::vector<std::uint8_t>& out);

}  // namespace nibblet::journal
