#pragma once
// The character that starts at a byte, read as UTF-8 or as UTF-16, with the exact reason when
// the bytes there are no valid character; and a code point written back as UTF-8 or UTF-16.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/inspect/byte_order.h"

namespace nibblet {

enum class UtfStatus {
  Valid,
  Continuation,         // UTF-8: a byte 80-BF, which only continues a sequence
  BadLeadByte,          // UTF-8: F8-FF, which starts no sequence of four bytes or fewer
  MissingContinuation,  // UTF-8: a byte of the sequence is not 80-BF
  Overlong,             // UTF-8: a longer form than the code point needs (C0 80 for U+0000)
  Surrogate,            // UTF-8: a code point D800-DFFF, which UTF-16 keeps for its pairs
  BeyondUnicode,        // UTF-8: a code point above U+10FFFF
  UnpairedSurrogate,    // UTF-16: a high surrogate not followed by a low one, or a low one
  Truncated,            // the file ends inside the sequence
};

struct UtfCharacter {
  UtfStatus status = UtfStatus::Truncated;
  char32_t codePoint = 0;  // for Valid
  std::size_t length = 0;  // bytes of the sequence, for Valid
};

// The UTF-8 sequence starting at `bytes`, of which `available` bytes exist. The lead byte
// decides the length; the continuation bytes are checked before the value (so C0 41 is a
// missing continuation and C0 80 an overlong form), and a sequence the file cuts off is
// Truncated when the bytes that exist are continuation bytes.
UtfCharacter decodeUtf8(const std::uint8_t* bytes, std::size_t available);

// The UTF-16 code unit at `bytes` in `order`, or the pair it starts: a high surrogate followed
// by a low one is one character of four bytes. A high surrogate at the last two bytes is
// Truncated.
UtfCharacter decodeUtf16(const std::uint8_t* bytes, std::size_t available, ByteOrder order);

// True for code points a text may hold: up to U+10FFFF, not a surrogate.
bool isScalarValue(char32_t codePoint);

// Appends the UTF-8 or UTF-16 form of a scalar value to `out`.
void encodeUtf8(char32_t codePoint, std::vector<std::uint8_t>& out);
void encodeUtf16(char32_t codePoint, ByteOrder order, std::vector<std::uint8_t>& out);

}  // namespace nibblet
