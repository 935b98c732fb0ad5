#pragma once
// A set of resources in the program's resource text format (resources/FORMAT.md): the string
// table, the menus 101 and 158 and the dialog texts of 930 and 109. The program's own English
// resources are one such set, built in; a language module file is another.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nibblet {

// Limits of a resource text; anything beyond them is refused whole.
constexpr std::size_t kMaxResourceBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxResourceLineBytes = 4096;
constexpr int kMaxMenuDepth = 4;  // a top-level pop-up is depth 1

struct MenuItem {
  int id = 0;                      // command id; 0 for separators and pop-ups without one
  std::u16string text;
  bool isSeparator = false;
  bool isPopup = false;
  std::vector<MenuItem> children;  // the items of a pop-up
};

// A menu bar: its top-level entries are all pop-ups. Command ids are unique within a menu.
struct MenuResource {
  std::vector<MenuItem> items;  // top-level pop-ups
};

// The item with command or pop-up id `id` anywhere in `menu`, or null.
const MenuItem* findMenuItem(const MenuResource& menu, int id);

// The texts of a dialog template; the layout of the controls belongs to the program.
struct DialogResource {
  std::u16string caption;
  std::map<int, std::u16string> controls;  // control id -> text
  std::vector<std::u16string> labels;      // texts of controls without an id, in order
};

class StringModule {
 public:
  // Parses resource text (UTF-8) and replaces the module's content with it. Text that breaks
  // any rule of the format (bad UTF-8, NULs or other control characters, bad escapes, unknown
  // sections or statements, duplicate ids, ids outside 1-65535, lines longer than
  // kMaxResourceLineBytes, more than kMaxResourceBytes in all) is refused whole: the result
  // is false, the module keeps what it held, and `error` names the first bad line.
  bool parse(std::string_view text, std::string* error = nullptr);
  // Reads and parses a module file; false when it is not a plain file, is larger than
  // kMaxResourceBytes, or cannot be read or parsed.
  bool load(const std::u16string& path, std::string* error = nullptr);

  // True when the module carries every menu and dialog the program takes from it without
  // fallback: menus 101 and 158, dialogs 930 and 109.
  bool isComplete() const;

  const std::u16string* text(int id) const;
  const MenuResource* menu(int id) const;
  const DialogResource* dialog(int id) const;
  std::size_t textCount() const { return m_texts.size(); }
  const std::map<int, std::u16string>& texts() const { return m_texts; }
  const std::map<int, MenuResource>& menus() const { return m_menus; }
  const std::map<int, DialogResource>& dialogs() const { return m_dialogs; }

 private:
  std::map<int, std::u16string> m_texts;
  std::map<int, MenuResource> m_menus;
  std::map<int, DialogResource> m_dialogs;
};

// The program's own English resources.
const StringModule& builtinModule();

// The StringModule chosen at start-up with per-string fallback to the program's own texts.
class Texts {
 public:
  Texts() = default;
  // Makes `module` the StringModule; null returns to the program's own resources.
  void setModule(std::unique_ptr<StringModule> module) { m_module = std::move(module); }
  bool hasModule() const { return m_module != nullptr; }

  // The StringModule: menus and dialogs are taken from it without fallback.
  const StringModule& stringModule() const { return m_module ? *m_module : builtinModule(); }

  // The text of `id` from the StringModule, or the program's own when the module lacks it;
  // empty when neither has it.
  std::u16string loadText(int id) const;

 private:
  std::unique_ptr<StringModule> m_module;
};

}  // namespace nibblet
