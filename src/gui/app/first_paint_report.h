#pragma once
// For the start-up benchmark: when NIBBLET_REPORT_FIRST_PAINT is set, the first paint of the
// hex view prints the wall-clock time and the peak memory of the process, then ends the program.

class QWidget;

namespace nibblet {

// Watches `view` when the variable is set; does nothing otherwise.
void reportFirstPaint(QWidget* view);

}  // namespace nibblet
