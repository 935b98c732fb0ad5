#pragma once
// A document with its services (in-memory registry, scripted message box) and a window that
// records what it was told, over real files in a temporary folder.

#include <string>
#include <vector>

#include "core/document/hex_document.h"
#include "support/temp_dir.h"

namespace nibblet::test {

class RecordingWindow : public DocumentWindow {
 public:
  void setTitle(const std::u16string& t) override { title = t; }
  void documentOpened(bool temporaryCopy) override {
    ++opened;
    saveEnabled = temporaryCopy;
  }
  void documentClosing() override { ++closing; }
  void documentClosed() override {
    ++closed;
    saveEnabled = false;
  }
  void bytesRestored() override { ++restored; }

  std::u16string title = u"Nibblet";
  int opened = 0, closing = 0, closed = 0, restored = 0;
  bool saveEnabled = false;
};

struct DocumentFixture {
  DocumentFixture();
  // Writes `bytes` to `name` in the temporary folder and opens it in `openMode`.
  bool open(const std::string& name, const std::vector<std::uint8_t>& bytes, int openMode = 0);
  // Writes one byte through the mapping, logged the way the view logs it.
  void edit(std::uint32_t offset, std::uint8_t value);

  TempDir dir;
  Settings settings;
  MemoryRegistryKey key;
  RecentFiles recentFiles;
  Texts texts;
  ScriptedMessageBox messages;
  NullWaitCursor cursor;
  RecordingWindow window;
  HexDocument document;
};

}  // namespace nibblet::test
