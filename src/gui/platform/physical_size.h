#pragma once
// Lengths on the glass: how many widget pixels cover so many millimetres of a screen, by the
// screen's physical density, for targets a finger must hit.

class QWidget;

namespace nibblet {

// Device-independent pixels (the unit widgets are laid out in) that cover at least
// `millimetres` on the screen of `widget` along either axis, or on the primary screen when
// `widget` is null or has none. A screen that reports no believable physical density counts
// as 96 dots per inch.
int physicalPixels(double millimetres, const QWidget* widget = nullptr);

}  // namespace nibblet
