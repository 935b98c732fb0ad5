#pragma once
// Work that waits for the window: a file named on the command line that is copied before it
// opens (a temporary copy, a backup) opens only once the main window has been painted, so the
// program is seen to have started and the copy runs under its progress panel, with Cancel.

#include <functional>

class QWidget;

namespace nibblet {

// Runs `work` once, on the event loop, after the first paint of `window`; at the latest a
// second after this call, for a window that is never painted (on another desktop, say).
// Nothing runs when `window` is gone by then.
void runAfterFirstPaint(QWidget* window, std::function<void()> work);

}  // namespace nibblet
