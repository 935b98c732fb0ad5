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

struct MenuItem {
  int id = 0;                      // command id; 0 for separators and pop-ups without one
  std::u16string text;
  bool isSeparator = false;
  bool isPopup = false;
  std::vector<MenuItem> children;  // the items of a pop-up
};

struct MenuResource {
  std::vector<MenuItem> items;  // top-level pop-ups
};

struct DialogResource {
  std::u16string caption;
  std::map<int, std::u16string> controls;  // control id -> text
  std::vector<std::u16string> labels;      // texts of controls without an id, in order
};

class StringModule {
 public:
  // Parses resource text (UTF-8). Returns false, keeping nothing, when the text is not in the
  // format; `error` then names the first bad line.
  bool parse(std::string_view text, std::string* error = nullptr);
  // Reads and parses a module file; false when it cannot be read or parsed.
  bool load(const std::u16string& path);

  const std::u16string* text(int id) const;
  const MenuResource* menu(int id) const;
  const DialogResource* dialog(int id) const;
  std::size_t textCount() const { return m_texts.size(); }

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
