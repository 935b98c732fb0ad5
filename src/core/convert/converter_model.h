#pragma once
// The rules of the converter dialog: an unsigned 32-bit number shown in one base while it is
// typed in another, an expression evaluated on "=", and the number taken from the view's
// clipboard when the dialog opens and put back there, as 1, 2 or 4 bytes in either order, on
// OK. The dialog never writes into the document. The widget lays out the controls, forwards
// every edit and choice here and shows the texts this model holds.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/convert/evaluator.h"
#include "core/platform/code_page.h"
#include "core/settings/settings.h"
#include "core/view/hex_keypad.h"

namespace nibblet {

class HexView;

// Control ids of the converter dialog.
constexpr int kIdConverterInput = 1000;
constexpr int kIdConverterFrom = 1002;
constexpr int kIdConverterTo = 1003;
constexpr int kIdConverterResult = 1004;
constexpr int kIdConverterCopyAs = 1022;
constexpr int kIdConverterEquals = 1026;

// Longest input read for a conversion.
constexpr std::size_t kConverterInputChars = 255;

class ConverterModel {
 public:
  // Takes the clipboard's number from `view` (null when no document is open) into
  // `converterValue`, which outlives the dialog; the three choices live in `settings`.
  ConverterModel(Settings& settings, Evaluator& evaluator, const CodePage& codePage, std::uint32_t& converterValue,
                 HexView* view);

  // The string ids of the base choices (lists 1002 and 1003) and of the "Copy as" choices
  // (list 1022: only "No copy" without a view).
  static std::vector<int> baseTextIds();
  std::vector<int> copyAsTextIds() const;

  // The choices to show selected; a stored index outside its list shows as base 10 or as
  // "No copy", which is what it stands for.
  int fromIndex() const;
  int toIndex() const;
  int copyAsIndex() const;
  const std::u16string& input() const { return m_input; }
  const std::u16string& result() const { return m_result; }
  bool isEqualsEnabled() const { return m_settings.convertFrom == 2; }
  std::uint32_t value() const { return m_value; }

  // A change of the input text or of either base: stores both choices, parses the input
  // (at most 255 characters) in the "from" base and writes the result in the "to" base. An
  // empty input keeps the value and empties the result.
  void convert(const std::u16string& input, int fromIndex, int toIndex);
  // "=": evaluates the input and puts the answer (a result, an assignment or an error line)
  // in its place, parsed like typed input. False when the input is empty.
  bool evaluate();
  // OK: with a view, stores the "Copy as" choice and writes its bytes into the clipboard.
  void ok(int copyAsIndex);

  // 2, 8, 10 or 16 for the indexes 0-3; any other index is base 10.
  static int baseOf(int index);
  // The keypad for typing in the "from" base of `fromIndex`: its digits and backspace; the
  // decimal pad also has the point and the operators "=" evaluates.
  static const KeypadLayout& keypad(int fromIndex);
  // Skips leading white space, takes a sign, "0x" in base 16, then the longest run of valid
  // digits. No digits give 0, values above 4294967295 give 4294967295, "-" negates modulo 2^32.
  static std::uint32_t parseNumber(std::u16string_view text, int base);
  // The value without sign, prefix or leading zeros ("0" for zero), letters in lower case.
  static std::u16string numberText(std::uint32_t value, int base);

 private:
  Settings& m_settings;
  Evaluator& m_evaluator;
  const CodePage& m_codePage;
  std::uint32_t& m_value;
  HexView* m_view;
  std::u16string m_input;
  std::u16string m_result;
};

}  // namespace nibblet
