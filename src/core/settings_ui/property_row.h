#pragma once
// One typed row of the property list: the caller's variable it edits, the value as shown, and
// the rules that move a value between the two (refreshRow: variable -> row, commitRow: row ->
// variable) and from an editor into the row. The rules never read or write past the bound
// variable: a text row writes at most maxChars - 1 characters and a terminator.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nibblet {

class PropertySheetModel;

// Row kinds: the storage of the bound variable, the editor and the form of `valueText`.
constexpr std::uint32_t kRowCaption = 0;        // no variable, no editor
constexpr std::uint32_t kRowText = 1;           // text buffer of maxChars; text box
constexpr std::uint32_t kRowNumber = 2;         // int32; number box
constexpr std::uint32_t kRowByteChoice = 3;     // byte choice index; drop-down
constexpr std::uint32_t kRowByteNoYes = 4;      // byte choice index, "No"/"Yes" by default
constexpr std::uint32_t kRowSignedByte = 5;     // signed byte; number box
constexpr std::uint32_t kRowIntChoice = 6;      // int32 choice index; drop-down
constexpr std::uint32_t kRowIntNoYes = 7;       // int32 choice index, "No"/"Yes" by default
constexpr std::uint32_t kRowTextChoice = 8;     // text buffer, its text always choice 0
constexpr std::uint32_t kRowIntYesNo = 9;       // int32 choice index, "No"/"Yes" by default
constexpr std::uint32_t kRowIntChoice2 = 10;    // int32 choice index; drop-down
constexpr std::uint32_t kRowTime = 11;          // two int32: hours and minutes; time picker
constexpr std::uint32_t kRowDateTime = 12;      // file time; date/time picker
constexpr std::uint32_t kRowNumber2 = 21;       // int32; number box

// A file time: 100-nanosecond intervals since 1601-01-01 00:00 UTC.
using FileTime = std::uint64_t;

struct CalendarTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// Calendar date and time of a file time (proleptic Gregorian, UTC).
CalendarTime calendarOf(FileTime time);
// The file time of a calendar date and time; false (out unchanged) for a date before 1601 or
// fields out of their ranges.
bool fileTimeOf(const CalendarTime& time, FileTime& out);

// The editor a row kind uses.
enum class EditorKind { None, Text, Number, Choice, Time, DateTime };
EditorKind editorOf(std::uint32_t rowKind);

struct PropertyRow;

// The "..." action of a row; true when it changed the row (the pane and row are redrawn).
using RowAction = std::function<bool(PropertyRow& row)>;

// What a page builder gives to create a row.
struct RowSpec {
  std::uint32_t rowKind = kRowCaption;
  void* bound = nullptr;              // the caller's variable, of the kind's type
  std::int32_t* boundMinutes = nullptr;  // kind 11 only
  std::int32_t maxChars = 0;          // text kinds: buffer capacity with terminator; else 4 or 1
  std::u16string label;
  std::u16string hint;                // empty: the label
  std::vector<std::u16string> choices;
  RowAction onButton;                 // none: no "..." button
  bool isColourRow = false;
  bool isFolderRow = false;
};

// The choices of a "/"-separated string ("On the spot/Temporary copy"); empty gives none.
std::vector<std::u16string> splitChoices(std::u16string_view text);

struct PropertyRow {
  std::uint32_t rowKind = kRowCaption;
  void* bound = nullptr;
  std::int32_t* boundMinutes = nullptr;
  CalendarTime dateTime;
  std::u16string valueText;
  std::u16string hint;
  std::u16string label;
  std::vector<std::u16string> choices;
  std::int32_t choiceIndex = -1;
  std::int32_t maxChars = 0;
  RowAction onButton;
  bool isColourRow = false;
  bool isFolderRow = false;
  int index = 0;
  PropertySheetModel* owner = nullptr;

  bool hasButton() const { return static_cast<bool>(onButton); }
};

// Creates a row: the choices of kind 8 start with the bound text; kinds 4, 7 and 9 without
// choices get `no` and `yes`; the hint defaults to the label. The row is refreshed.
std::unique_ptr<PropertyRow> makeRow(const RowSpec& plan, std::u16string_view no, std::u16string_view yes);

// Bound variable -> choiceIndex and valueText. A choice index outside the choices (negative
// included) is shown as choice 0. A row without its variable shows an empty or zero value.
void refreshRow(PropertyRow& row);
// Row -> bound variable. Texts are cut to maxChars - 1 characters and always terminated; kinds
// 3, 4 and 5 store the low byte of choiceIndex. A row without its variable writes nothing.
void commitRow(PropertyRow& row);

// Editor notifications; each is followed by commitRow. They do nothing for a row whose
// editor is of another kind.
// Text box (1) or number box (2, 5, 21): the text is read up to 1024 characters; a number
// box converts its leading decimal digits (none: 0), kind 5 truncated to a signed byte.
// A text row keeps as valueText what its buffer could hold.
void takeText(PropertyRow& row, std::u16string_view text);
// Drop-down: the selected item; an index outside the choices is ignored.
void takeChoice(PropertyRow& row, int index);
// Date/time picker (11, 12).
void takeDateTime(PropertyRow& row, const CalendarTime& time);

// The row list's rule for a text too wide for its row: while it is at least 7 characters long
// and `fits` says no, keep all but its last 5 characters and append "...".
std::u16string shortenToFit(std::u16string text, const std::function<bool(std::u16string_view)>& fits);

}  // namespace nibblet
