#include "core/settings_ui/property_row.h"

#include <climits>

#include "core/i18n/text_format.h"

namespace nibblet {
namespace {

constexpr std::size_t kEditorReadChars = 1024;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

int daysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Leading decimal digits after an optional sign, clamped to the int32 range; none gives 0.
std::int32_t leadingNumber(std::u16string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > INT32_MAX) value = std::int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<std::int32_t>(value);
}

std::u16string decimal(std::int64_t value) { return formatText(u"%d", {static_cast<long long>(value)}); }

std::u16string timeText(const CalendarTime& t) { return formatText(u"%02d:%02d", {t.hour, t.minute}); }

std::u16string dateTimeText(const CalendarTime& t) {
  return formatText(u"%04d/%02d/%02d %02d:%02d", {t.year, t.month, t.day, t.hour, t.minute});
}

bool isChoiceKind(std::uint32_t kind) {
  return kind == kRowByteChoice || kind == kRowByteNoYes || kind == kRowIntChoice || kind == kRowIntNoYes ||
         kind == kRowIntYesNo || kind == kRowIntChoice2;
}

bool isByteKind(std::uint32_t kind) {
  return kind == kRowByteChoice || kind == kRowByteNoYes || kind == kRowSignedByte;
}

// The bound text of a text row, read no further than its buffer.
std::u16string boundText(const PropertyRow& row) {
  if (!row.bound || row.maxChars <= 0) return {};
  const auto* text = static_cast<const char16_t*>(row.bound);
  std::size_t n = 0;
  while (n < static_cast<std::size_t>(row.maxChars) && text[n] != 0) ++n;
  return std::u16string(text, n);
}

std::int32_t boundNumber(const PropertyRow& row) {
  if (!row.bound) return 0;
  if (row.rowKind == kRowSignedByte) return *static_cast<const std::int8_t*>(row.bound);
  if (isByteKind(row.rowKind)) return *static_cast<const std::uint8_t*>(row.bound);
  return *static_cast<const std::int32_t*>(row.bound);
}

}  // namespace

CalendarTime calendarOf(FileTime time) {
  CalendarTime t;
  std::uint64_t seconds = time / kTicksPerSecond;
  auto days = static_cast<std::int64_t>(seconds / 86400) - kDaysFrom1601To1970;
  std::uint64_t rest = seconds % 86400;
  civilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

bool fileTimeOf(const CalendarTime& t, FileTime& out) {
  if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > daysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
      t.second < 0 || t.second > 59)
    return false;
  std::int64_t days = daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) +
                      kDaysFrom1601To1970;
  std::uint64_t seconds = static_cast<std::uint64_t>(days) * 86400 +
                          static_cast<std::uint64_t>(t.hour * 3600 + t.minute * 60 + t.second);
  out = seconds * kTicksPerSecond;
  return true;
}

EditorKind editorOf(std::uint32_t kind) {
  switch (kind) {
    case kRowText: return EditorKind::Text;
    case kRowNumber:
    case kRowSignedByte:
    case kRowNumber2: return EditorKind::Number;
    case kRowTime: return EditorKind::Time;
    case kRowDateTime: return EditorKind::DateTime;
    case kRowTextChoice: return EditorKind::Choice;
    default: return isChoiceKind(kind) ? EditorKind::Choice : EditorKind::None;
  }
}

std::vector<std::u16string> splitChoices(std::u16string_view text) {
  std::vector<std::u16string> out;
  if (text.empty()) return out;
  std::size_t start = 0;
  for (;;) {
    std::size_t slash = text.find(u'/', start);
    out.emplace_back(text.substr(start, slash == std::u16string_view::npos ? slash : slash - start));
    if (slash == std::u16string_view::npos) break;
    start = slash + 1;
  }
  return out;
}

std::unique_ptr<PropertyRow> makeRow(const RowSpec& plan, std::u16string_view no, std::u16string_view yes) {
  auto row = std::make_unique<PropertyRow>();
  row->rowKind = plan.rowKind;
  row->bound = plan.bound;
  row->boundMinutes = plan.boundMinutes;
  row->maxChars = plan.maxChars;
  row->label = plan.label;
  row->hint = plan.hint.empty() ? plan.label : plan.hint;
  row->onButton = plan.onButton;
  row->isColourRow = plan.isColourRow;
  row->isFolderRow = plan.isFolderRow;
  if (row->rowKind == kRowTextChoice) row->choices.push_back(boundText(*row));
  row->choices.insert(row->choices.end(), plan.choices.begin(), plan.choices.end());
  bool noYes = row->rowKind == kRowByteNoYes || row->rowKind == kRowIntNoYes || row->rowKind == kRowIntYesNo;
  if (noYes && plan.choices.empty()) {
    row->choices.emplace_back(no);
    row->choices.emplace_back(yes);
  }
  refreshRow(*row);
  return row;
}

void refreshRow(PropertyRow& row) {
  switch (row.rowKind) {
    case kRowCaption:
      row.valueText.clear();
      return;
    case kRowText:
      row.valueText = boundText(row);
      return;
    case kRowNumber:
    case kRowNumber2:
    case kRowSignedByte:
      row.choiceIndex = boundNumber(row);
      row.valueText = decimal(row.choiceIndex);
      return;
    case kRowTextChoice:
      if (row.choices.empty()) {
        row.valueText.clear();
        return;
      }
      row.choices[0] = boundText(row);
      row.choiceIndex = 0;
      row.valueText = row.choices[0];
      return;
    case kRowTime:
      row.dateTime.hour = row.bound ? *static_cast<const std::int32_t*>(row.bound) : 0;
      row.dateTime.minute = row.boundMinutes ? *row.boundMinutes : 0;
      row.valueText = timeText(row.dateTime);
      return;
    case kRowDateTime:
      row.dateTime = row.bound ? calendarOf(*static_cast<const FileTime*>(row.bound)) : CalendarTime{};
      row.valueText = dateTimeText(row.dateTime);
      return;
    default:
      if (!isChoiceKind(row.rowKind)) return;
      if (row.choices.empty()) {
        row.valueText.clear();
        return;
      }
      row.choiceIndex = boundNumber(row);
      if (row.choiceIndex < 0 || row.choiceIndex >= static_cast<std::int32_t>(row.choices.size())) row.choiceIndex = 0;
      row.valueText = row.choices[static_cast<std::size_t>(row.choiceIndex)];
      return;
  }
}

void commitRow(PropertyRow& row) {
  if (row.rowKind == kRowCaption || !row.bound) return;
  switch (row.rowKind) {
    case kRowText:
    case kRowTextChoice: {
      if (row.maxChars <= 0) return;
      auto* text = static_cast<char16_t*>(row.bound);
      std::size_t n = row.valueText.size();
      if (n > static_cast<std::size_t>(row.maxChars) - 1) n = static_cast<std::size_t>(row.maxChars) - 1;
      for (std::size_t i = 0; i < n; ++i) text[i] = row.valueText[i];
      text[n] = 0;
      return;
    }
    case kRowByteChoice:
    case kRowByteNoYes:
    case kRowSignedByte:
      *static_cast<std::uint8_t*>(row.bound) = static_cast<std::uint8_t>(row.choiceIndex & 0xFF);
      return;
    case kRowTime:
      *static_cast<std::int32_t*>(row.bound) = row.dateTime.hour;
      if (row.boundMinutes) *row.boundMinutes = row.dateTime.minute;
      return;
    case kRowDateTime: {
      FileTime time = 0;
      if (fileTimeOf(row.dateTime, time)) *static_cast<FileTime*>(row.bound) = time;
      return;
    }
    default:
      *static_cast<std::int32_t*>(row.bound) = row.choiceIndex;
      return;
  }
}

void takeText(PropertyRow& row, std::u16string_view text) {
  if (text.size() > kEditorReadChars) text = text.substr(0, kEditorReadChars);
  EditorKind editor = editorOf(row.rowKind);
  if (editor == EditorKind::Text) {
    row.valueText.assign(text);
    // The row shows what its buffer holds, not more.
    if (row.maxChars > 0 && row.valueText.size() > static_cast<std::size_t>(row.maxChars) - 1)
      row.valueText.resize(static_cast<std::size_t>(row.maxChars) - 1);
  } else if (editor == EditorKind::Number) {
    std::int32_t value = leadingNumber(text);
    row.choiceIndex = row.rowKind == kRowSignedByte ? static_cast<std::int8_t>(value & 0xFF) : value;
    row.valueText.assign(text);
  } else {
    return;
  }
  commitRow(row);
}

void takeChoice(PropertyRow& row, int index) {
  if (editorOf(row.rowKind) != EditorKind::Choice) return;
  if (index < 0 || index >= static_cast<int>(row.choices.size())) return;
  row.choiceIndex = index;
  row.valueText = row.choices[static_cast<std::size_t>(index)];
  commitRow(row);
}

void takeDateTime(PropertyRow& row, const CalendarTime& time) {
  if (row.rowKind == kRowTime) {
    row.dateTime.hour = time.hour;
    row.dateTime.minute = time.minute;
    row.valueText = timeText(row.dateTime);
  } else if (row.rowKind == kRowDateTime) {
    row.dateTime = time;
    row.valueText = dateTimeText(row.dateTime);
  } else {
    return;
  }
  commitRow(row);
}

std::u16string shortenToFit(std::u16string text, const std::function<bool(std::u16string_view)>& fits) {
  while (text.size() >= 7 && !fits(text)) {
    text.resize(text.size() - 5);
    text += u"...";
  }
  return text;
}

}  // namespace nibblet
