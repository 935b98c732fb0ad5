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

// Shows the wait cursor for the lifetime of the scope, and remembers whether the user asked to
// stop the work meanwhile, so the caller knows it without relying on the operation to say so.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(WaitCursor& cursor) : m_cursor(cursor) { m_cursor.begin(); }
  ~WaitCursorScope() { m_cursor.end(); }
  bool progress(std::uint64_t done, std::uint64_t total) {
    if (!m_cursor.progress(done, total)) m_cancelled = true;
    return !m_cancelled;
  }
  // The report to hand to an operation that takes a ProgressReport.
  ProgressReport report() {
    return [this](std::uint64_t done, std::uint64_t total) { return progress(done, total); };
  }
  // True once a report answered false: the work is to be taken back.
  bool cancelled() const { return m_cancelled; }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  WaitCursor& m_cursor;
  bool m_cancelled = false;
};

}  // namespace nibblet
