#pragma once
// The wait cursor shown around long operations (copying, comparing, searching), and the
// progress those operations report: a touch screen shows no cursor, so work that takes longer
// than a moment also shows how far it got.

#include <cstdint>
#include <functional>

namespace nibblet {

// How far a long operation got: `done` of `total` units (bytes, say). Returns false when the
// user asked to stop the work: the operation then takes back what it did and ends with
// ECANCELED. Operations that cannot stop at that moment go on and ask again later.
using ProgressReport = std::function<bool(std::uint64_t done, std::uint64_t total)>;

class WaitCursor {
 public:
  virtual ~WaitCursor() = default;
  virtual void begin() = 0;
  virtual void end() = 0;
  // Called now and then between begin and end; may keep the window painted meanwhile. False
  // when the user asked to stop the work.
  virtual bool progress(std::uint64_t done, std::uint64_t total) {
    (void)done;
    (void)total;
    return true;
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
  bool progress(std::uint64_t done, std::uint64_t total) { return m_cursor.progress(done, total); }
  // The report to hand to an operation that takes a ProgressReport.
  ProgressReport report() {
    return [this](std::uint64_t done, std::uint64_t total) { return m_cursor.progress(done, total); };
  }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  WaitCursor& m_cursor;
};

}  // namespace nibblet
