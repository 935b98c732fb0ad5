#pragma once
// Conversions between the core's UTF-16 strings and QString (both UTF-16, so no recoding).

#include <QString>
#include <string>

namespace nibblet {

inline QString toQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string toU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

}  // namespace nibblet
