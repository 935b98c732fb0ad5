#pragma once
// The user's file, opened to be written in place by a save or by the start that finishes one.
// A read-only file of this user is made writable only for the moment of the writing: the mode
// to give back is known before (so it can be journaled), and it is changed through the open
// descriptor, never by a name that another program could point elsewhere meanwhile.

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace nibblet {

constexpr std::uint32_t kNoModeChange = 0xFFFFFFFF;

class TargetFile {
 public:
  TargetFile() = default;
  ~TargetFile() { close(); }
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Opens `path` (links followed) for reading and writing, or only for reading when it is a
  // read-only regular file of this user. 0 or the system error code.
  int open(const std::string& path);
  // The mode makeWritable will change and that must be given back afterwards, or
  // kNoModeChange when the file can be written as it is.
  std::uint32_t modeToRestore() const { return m_readable >= 0 ? m_mode : kNoModeChange; }
  // Gives the owner write access and opens the same file for writing; does nothing when it is
  // writable already. EACCES-like errors, or ESTALE when the name meanwhile names another file.
  int makeWritable();
  // Sets the mode through the descriptor; 0 or the system error code.
  int setMode(std::uint32_t mode);
  // The descriptor to read and, once writable, to write; -1 when closed.
  int fd() const { return m_writable >= 0 ? m_writable : m_readable; }
  void close();

 private:
  std::string m_path;
  int m_readable = -1;
  int m_writable = -1;
  std::uint32_t m_mode = kNoModeChange;
};

}  // namespace nibblet
