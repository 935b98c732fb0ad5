#pragma once
// The wait cursor shown around long operations (copying, comparing, searching).

namespace nibblet {

class WaitCursor {
 public:
  virtual ~WaitCursor() = default;
  virtual void begin() = 0;
  virtual void end() = 0;
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
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  WaitCursor& m_cursor;
};

}  // namespace nibblet
