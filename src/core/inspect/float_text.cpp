#include "core/inspect/float_text.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "core/platform/unicode.h"

namespace nibblet {
namespace {

// The bit layout of a binary floating-point type.
template <typename Float, typename Bits>
struct Layout {
  static constexpr int kFractionBits = std::numeric_limits<Float>::digits - 1;
  static constexpr Bits kSign = Bits{1} << (sizeof(Bits) * 8 - 1);
  static constexpr Bits kFraction = (Bits{1} << kFractionBits) - 1;
  static constexpr Bits kExponent = ~kSign & ~kFraction;
  static constexpr Bits kQuiet = Bits{1} << (kFractionBits - 1);
};

template <typename Float, typename Bits>
std::u16string text(Bits bits) {
  using L = Layout<Float, Bits>;
  char buffer[64];
  char* end = buffer;
  if ((bits & L::kExponent) == L::kExponent) {
    const bool negative = (bits & L::kSign) != 0;
    const Bits fraction = bits & L::kFraction;
    std::string out = negative ? "-" : "";
    if (fraction == 0) return fromAscii(out + "inf");
    const Bits payload = fraction & (L::kQuiet - 1);
    const bool quiet = (fraction & L::kQuiet) != 0;
    if (quiet && payload == 0) return fromAscii(out + "nan");
    out += quiet ? "nan(0x" : "snan(0x";
    end = std::to_chars(buffer, buffer + sizeof buffer, payload, 16).ptr;
    out.append(buffer, end);
    out += ')';
    return fromAscii(out);
  }
  end = std::to_chars(buffer, buffer + sizeof buffer, std::bit_cast<Float>(bits)).ptr;
  return fromAscii(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

// The text as lower-case ASCII without the blanks around it; false for other characters.
bool asciiLower(std::u16string_view text, std::string& out) {
  std::size_t first = text.find_first_not_of(u" \t");
  std::size_t last = text.find_last_not_of(u" \t");
  out.clear();
  if (first == std::u16string_view::npos) return true;
  for (char16_t c : text.substr(first, last - first + 1)) {
    if (c == 0 || c > 0x7E) return false;
    out += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
  }
  return true;
}

// "nan(0x...)" or "snan(0x...)" after the sign: the fraction bits, or false.
template <typename Float, typename Bits>
bool parseNan(std::string_view s, Bits& fraction) {
  using L = Layout<Float, Bits>;
  const bool signalling = s.starts_with("snan");
  if (signalling) s.remove_prefix(1);
  if (s == "nan" && !signalling) {
    fraction = L::kQuiet;
    return true;
  }
  if (!s.starts_with("nan(0x") || !s.ends_with(")")) return false;
  std::string_view digits = s.substr(6, s.size() - 7);
  Bits payload = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), payload, 16);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return false;
  if (payload >= L::kQuiet) return false;
  if (signalling && payload == 0) return false;  // that would be infinity
  fraction = signalling ? payload : (L::kQuiet | payload);
  return true;
}

template <typename Float, typename Bits>
bool parse(std::u16string_view text, Bits& bits) {
  using L = Layout<Float, Bits>;
  std::string s;
  if (!asciiLower(text, s) || s.empty()) return false;
  std::string_view rest = s;
  Bits sign = 0;
  if (rest.front() == '+' || rest.front() == '-') {
    if (rest.front() == '-') sign = L::kSign;
    rest.remove_prefix(1);
  }
  if (rest == "inf" || rest == "infinity") {
    bits = sign | L::kExponent;
    return true;
  }
  Bits fraction = 0;
  if (parseNan<Float, Bits>(rest, fraction)) {
    bits = sign | L::kExponent | fraction;
    return true;
  }
  // Only plain decimal numbers from here on: from_chars itself would take "nan" and "inf".
  if (rest.empty() || !(std::isdigit(static_cast<unsigned char>(rest.front())) || rest.front() == '.')) return false;
  Float value = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  // Out of range: the number rounds to infinity, or it is not zero and rounds to zero.
  if (ec != std::errc() || end != rest.data() + rest.size()) return false;
  bits = sign | std::bit_cast<Bits>(value);
  return true;
}

}  // namespace

std::u16string floatText(std::uint32_t bits) { return text<float>(bits); }
std::u16string doubleText(std::uint64_t bits) { return text<double>(bits); }

bool parseFloatText(std::u16string_view text, std::uint32_t& bits) { return parse<float>(text, bits); }
bool parseDoubleText(std::u16string_view text, std::uint64_t& bits) { return parse<double>(text, bits); }

}  // namespace nibblet
