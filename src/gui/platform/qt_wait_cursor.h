#pragma once
// The wait cursor as Qt's application override cursor.

#include "core/platform/wait_cursor.h"

namespace nibblet {

class QtWaitCursor : public WaitCursor {
 public:
  void begin() override;
  void end() override;
};

}  // namespace nibblet
