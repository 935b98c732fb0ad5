#include "support/document_fixture.h"

namespace nibblet::test {

DocumentFixture::DocumentFixture()
    : settings(Settings::defaults(u"")),
      document(DocumentServices{settings, key, recentFiles, texts, messages, cursor, 0x2C}, window) {
  setText(settings.workPath, dir.u16("work"));
}

bool DocumentFixture::open(const std::string& name, const std::vector<std::uint8_t>& bytes, int openMode) {
  writeFile(dir.file(name), bytes);
  settings.openMode = openMode;
  document.setPath(dir.u16(name));
  return document.openDocument();
}

void DocumentFixture::edit(std::uint32_t offset, std::uint8_t value) {
  document.changeLog().append(offset, document.bytes()[offset], value);
  document.bytes()[offset] = value;
}

}  // namespace nibblet::test
