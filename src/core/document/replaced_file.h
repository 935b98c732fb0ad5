#pragma once
// What becomes of edits made on the spot when another program replaced, moved or deleted the
// file while it was open: the program still maps the old file, which holds the edits, while the
// path names another file or none.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "core/document/change_log.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/platform/mapped_file.h"
#include "core/platform/message_box.h"
#include "core/platform/wait_cursor.h"

namespace nibblet {

// Asks the user what becomes of the edits in `edited` (the file still mapped, no longer the one
// at `path`): written into the file now at the path (only where it still holds what they
// replace; made anew when none is there), or the edited file kept whole as a copy beside it.
// Shows the errors and, for a copy, where it went.
class ReplacedFile {
 public:
  enum class Outcome {
    NotSettled,     // no answer, or writing failed: nothing changed, the edits are still mapped
    WrittenAtPath,  // the file at the path now holds the edits
    KeptAsCopy,     // the edited file is kept beside the path
  };
  ReplacedFile(const Texts& texts, MessageBox& messages, WaitCursor& cursor)
      : m_texts(texts), m_messages(messages), m_cursor(cursor) {}
  // Asks, then writes under the progress panel; a stop there writes nothing, says nothing and
  // leaves the edits where they are (NotSettled).
  Outcome settle(const std::u16string& path, const ChangeLog& log, const MappedFile& edited);

 private:
  void tell(int style, int textId, std::initializer_list<FormatArg> args);
  const Texts& m_texts;
  MessageBox& m_messages;
  WaitCursor& m_cursor;
};

// A name beside `path` that no file has, for keeping the edited file: "<path>.edited", then
// "<path>.edited2" and on.
std::u16string keptCopyName(const std::u16string& path);

// Writes the edits of `log` into the file at `path` as `bytes` (the edited file, `size` long)
// holds them, when that file has the same size and every edited byte in it still holds its
// value from before the edits or its value now; otherwise writes nothing and sets `fits` false.
// The file is synced. 0 or the system error code.
int writeEditsInto(const std::u16string& path, const ChangeLog& log, const std::uint8_t* bytes, std::uint32_t size,
                   bool& fits);

}  // namespace nibblet
