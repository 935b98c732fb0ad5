#pragma once
// IEEE 754 binary32 and binary64 values as text, exactly, and back. Finite values are written
// as the shortest decimal text that reads back to the same bits ("0.1", "-0", "5e-324",
// "1.7976931348623157e+308"). The values that are not numbers keep every bit in their text:
// "inf" and "-inf"; "nan" for the quiet NaN without payload, "nan(0x1f)" for a quiet NaN with
// payload 0x1f (the fraction bits below the quiet bit), "snan(0x1)" for a signalling NaN, each
// with "-" before it when the sign bit is set. Every bit pattern thus has one text, and reading
// that text gives the same bits back.

#include <cstdint>
#include <string>
#include <string_view>

namespace nibblet {

std::u16string floatText(std::uint32_t bits);
std::u16string doubleText(std::uint64_t bits);

// Reads a text as written above, or any decimal number in the C locale's form ("1e3", ".5",
// "+2", "1E-7"), also "infinity"; letters in either case, blanks around it allowed. A number is
// rounded to the nearest value of the type. Returns false, leaving `bits` alone, for anything
// else and for a nonzero number that does not fit the type: one that rounds to infinity or
// to zero.
bool parseFloatText(std::u16string_view text, std::uint32_t& bits);
bool parseDoubleText(std::u16string_view text, std::uint64_t& bits);

}  // namespace nibblet
