#pragma once
// The wait cursor shown around long operations (copying, comparing, searching), and the
// progress those operations report: a touch screen shows no cursor, so work that takes longer
// than a moment also shows how far it got.

#include <cstdint>
#include <functional>

namespace nibblet {

// How far a long operation got: `done` of `total` units (bytes, say).
using ProgressReport = std::function<void(std::uint64_t done, std::uint64_t total)>;

class WaitCursor {
 public:
  virtual ~WaitCursor() = default;
  virtual void begin() = 0;
  virtual void end() = 0;
  // Called now and then between begin and end; may keep the window painted meanwhile.
  virtual void progress(std::uint64_t done, std::uint64_t total) {
    (void)done;
    (void)total;
  }
};

class NullWaitCursor : public WaitCursor {
 public:
  void begin() override {}
  void end() override {}
};

// Shows the wait cursor for the lifetime of the scope.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(WaitCursor& cursor) : m_cursor(cursor) { m_cursor.begin(); }
  ~WaitCursorScope() { m_cursor.end(); }
  void progress(std::uint64_t done, std::uint64_t total) { m_cursor.progress(done, total); }
  // The report to hand to an operation that takes a ProgressReport.
  ProgressReport report() {
    return [this](std::uint64_t done, std::uint64_t total) { m_cursor.progress(done, total); };
  }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  WaitCursor& m_cursor;
};

}  // namespace nibblet
