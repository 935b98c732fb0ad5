#pragma once
// The hex view's font: the system's fixed-pitch face sized so that one line of it fits the
// view's cell height exactly.

#include <QFont>

namespace nibblet {

enum class FontWeight { Normal, Bold };
enum class FontSmoothing { Default, Antialiased };

// The fixed-pitch font at the largest pixel size whose line height (QFontMetrics::height) does
// not exceed `cellHeight` pixels; at least 1 pixel. Where the face has a size of exactly that
// height it is the one chosen; where its heights skip that value the next smaller one is, and
// the view still places its rows `cellHeight` pixels apart.
QFont viewFont(int cellHeight, FontWeight weight, FontSmoothing smoothing);

}  // namespace nibblet
