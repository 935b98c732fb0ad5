#pragma once
// A temporary folder for one test, removed with everything in it when the test ends.

#include <cstdint>
#include <string>
#include <vector>

namespace nibblet::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  // The path of `name` inside the folder, in UTF-8 and as the program's UTF-16 path.
  std::string file(const std::string& name) const { return m_path + "/" + name; }
  std::u16string u16(const std::string& name) const;

 private:
  std::string m_path;
};

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void writeFile(const std::string& path, const std::string& text);
std::vector<std::uint8_t> readFile(const std::string& path);
bool exists(const std::string& path);

}  // namespace nibblet::test
