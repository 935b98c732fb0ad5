#pragma once
// Conversions between the UTF-16 text the program works in and the UTF-8 the system's file
// names and the resource files use, plus the case folding used to compare paths and names.

#include <string>
#include <string_view>

namespace nibblet {

// Converts UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);

// Converts UTF-8 to UTF-16. Malformed sequences become U+FFFD, one per bad byte.
std::u16string fromUtf8(std::string_view text);

// Converts a name the system gave (a file name, a folder, an argument, an environment value)
// to UTF-16. False when its bytes are not valid UTF-8: such a name cannot be spelled back to
// the system, and acting on its look-alike could reach a different file. `out` then holds the
// look-alike (U+FFFD for each bad byte), fit only for a message.
bool decodeName(std::string_view bytes, std::u16string& out);

// Widens 7-bit ASCII text; meant for literals and numbers.
std::u16string fromAscii(std::string_view text);

// Unicode simple case folding of every code point (ICU's default folding), for comparing names
// and paths ignoring case. The result has the same length as `text`, unit for unit; unpaired
// surrogates pass through unchanged.
std::u16string toLower(std::u16string_view text);

// True when both texts are equal after toLower.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

// Length of a zero-terminated UTF-16 array of at most `capacity` units; stops at `capacity`
// when no terminator is present, so a damaged buffer is never read past its end.
std::size_t boundedLength(const char16_t* text, std::size_t capacity);

}  // namespace nibblet
