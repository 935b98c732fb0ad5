#pragma once
// The one routine through which the program shows its message boxes.

#include "core/i18n/text_format.h"
#include "core/platform/message_box.h"

namespace nibblet {

// Formats the text (at most 1023 characters; an empty format gives an empty text), shows it
// with `caption` and `style`, and returns the button pressed.
int showMessage(MessageBox& box, std::u16string_view caption, int style, std::u16string_view format,
                std::initializer_list<FormatArg> args = {});

}  // namespace nibblet
