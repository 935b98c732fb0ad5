#pragma once
// Conversions between the core's UTF-16 strings and QString (both UTF-16, so no recoding).

#include <QString>
#include <string>

namespace nibblet {

inline QString toQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A user's text (a path, a name) as a menu entry: Qt reads "&" in menu texts as the mark of a
// shortcut letter, so each one is doubled to show it as it is.
inline QString toMenuText(std::u16string_view text) {
  return toQString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

inline std::u16string toU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

}  // namespace nibblet
