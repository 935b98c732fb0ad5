#include "core/convert/converter_model.h"

#include "core/i18n/string_ids.h"
#include "core/view/hex_pairs.h"
#include "core/view/hex_view.h"

namespace nibblet {
namespace {

int digitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

}  // namespace

ConverterModel::ConverterModel(Settings& settings, Evaluator& evaluator, const CodePage& codePage,
                               std::uint32_t& converterValue, HexView* view)
    : m_settings(settings), m_evaluator(evaluator), m_codePage(codePage), m_value(converterValue), m_view(view) {
  if (m_view) {
    const std::uint8_t* c = m_view->clipboard();
    switch (m_view->clipboardCount()) {
      case 1: m_value = c[0]; break;
      case 2: m_value = c[0] | (c[1] << 8); break;
      case 4: m_value = c[0] | (c[1] << 8) | (c[2] << 16) | (static_cast<std::uint32_t>(c[3]) << 24); break;
      default: m_value = 0; break;
    }
    m_input = numberText(m_value, baseOf(m_settings.convertFrom));
    m_result = numberText(m_value, baseOf(m_settings.convertTo));
  } else {
    m_value = 0;
    m_input = m_result = u"0";
  }
}

std::vector<int> ConverterModel::baseTextIds() { return {kIdsBin, kIdsOct, kIdsDec, kIdsHexBase}; }

std::vector<int> ConverterModel::copyAsTextIds() const {
  if (!m_view) return {kIdsNoCopy};
  return {kIdsNoCopy, kIdsByte, kIdsWord, kIdsDword, kIdsWordBigEndian, kIdsDwordBigEndian};
}

int ConverterModel::fromIndex() const { return m_settings.convertFrom <= 3 ? m_settings.convertFrom : 2; }
int ConverterModel::toIndex() const { return m_settings.convertTo <= 3 ? m_settings.convertTo : 2; }
int ConverterModel::copyAsIndex() const { return m_view && m_settings.convertCopyAs <= 5 ? m_settings.convertCopyAs : 0; }

const KeypadLayout& ConverterModel::keypad(int fromIndex) {
  // Four keys to a row, so the pad fits a narrow dialog beside its scroll bar.
  static constexpr KeypadLayout kBinary{u"01\b", 0};
  static constexpr KeypadLayout kOctal{u"0123\n4567\n\b", 0};
  // A calculator's order, with the point and the operators "=" evaluates.
  static constexpr KeypadLayout kDecimal{u"789(\n456)\n123*\n0.+/\n-%^\b", 0};
  switch (baseOf(fromIndex)) {
    case 2: return kBinary;
    case 8: return kOctal;
    case 16: return kHexNumberKeypad;
    default: return kDecimal;
  }
}

int ConverterModel::baseOf(int index) {
  switch (index) {
    case 0: return 2;
    case 1: return 8;
    case 3: return 16;
    default: return 10;
  }
}

std::uint32_t ConverterModel::parseNumber(std::u16string_view text, int base) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (base == 16 && i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
      i + 2 < text.size() && digitValue(text[i + 2]) < 16)
    i += 2;
  std::uint64_t value = 0;
  for (; i < text.size() && digitValue(text[i]) < base; ++i) {
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digitValue(text[i]));
    if (value > 0xFFFFFFFFull) value = 0x100000000ull;  // saturated; more digits change nothing
  }
  auto result = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
  return negative ? 0u - result : result;
}

std::u16string ConverterModel::numberText(std::uint32_t value, int base) {
  if (value == 0) return u"0";
  std::u16string text;
  for (; value != 0; value /= static_cast<std::uint32_t>(base))
    text.insert(text.begin(), u"0123456789abcdef"[value % static_cast<std::uint32_t>(base)]);
  return text;
}

void ConverterModel::convert(const std::u16string& input, int from, int to) {
  m_settings.convertFrom = static_cast<std::uint8_t>(from);
  m_settings.convertTo = static_cast<std::uint8_t>(to);
  m_input = input;
  if (input.empty()) {
    m_result.clear();
    return;
  }
  m_value = parseNumber(std::u16string_view(input).substr(0, kConverterInputChars), baseOf(from));
  m_result = numberText(m_value, baseOf(to));
}

bool ConverterModel::evaluate() {
  if (m_input.empty()) return false;
  std::string bytes;
  m_codePage.toMultiByte(m_input, bytes);
  std::u16string answer;
  m_codePage.toWide(m_evaluator.evaluateText(bytes), answer);
  convert(answer, m_settings.convertFrom, m_settings.convertTo);
  return true;
}

void ConverterModel::ok(int copyAs) {
  if (!m_view) return;
  m_settings.convertCopyAs = static_cast<std::uint8_t>(copyAs);
  const std::uint32_t v = m_value;
  const std::uint8_t b0 = v & 0xFF, b1 = (v >> 8) & 0xFF, b2 = (v >> 16) & 0xFF, b3 = v >> 24;
  switch (copyAs) {
    case 1: { const std::uint8_t d[] = {b0}; m_view->setClipboard(d, 1); break; }
    case 2: { const std::uint8_t d[] = {b0, b1}; m_view->setClipboard(d, 2); break; }
    case 3: { const std::uint8_t d[] = {b0, b1, b2, b3}; m_view->setClipboard(d, 4); break; }
    case 4: { const std::uint8_t d[] = {b1, b0}; m_view->setClipboard(d, 2); break; }
    case 5: { const std::uint8_t d[] = {b3, b2, b1, b0}; m_view->setClipboard(d, 4); break; }
    default: break;
  }
}

}  // namespace nibblet
