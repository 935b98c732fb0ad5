#pragma once
// A document whose services show nothing and store nothing, for the benchmarks.

#include "core/document/hex_document.h"

namespace nibblet::bench {

struct BenchDocument {
  Settings settings = Settings::defaults(u"");
  MemoryRegistryKey key;
  RecentFiles recent;
  Texts texts;
  ScriptedMessageBox messages;
  NullWaitCursor cursor;
  NoDocumentWindow window;
  HexDocument document{DocumentServices{settings, key, recent, texts, messages, cursor, 1}, window};
};

}  // namespace nibblet::bench
