#include "core/i18n/show_message.h"

namespace nibblet {

int showMessage(MessageBox& box, std::u16string_view caption, int style, std::u16string_view format,
                std::initializer_list<FormatArg> args) {
  std::u16string text = format.empty() ? std::u16string() : formatText(format, args, 1023);
  return box.show(std::u16string(caption), style, text);
}

}  // namespace nibblet
