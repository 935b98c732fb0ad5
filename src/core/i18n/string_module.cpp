#include "core/i18n/string_module.h"

#include <cstdio>
#include <set>

#include "core/i18n/command_ids.h"
#include "core/i18n/resource_line.h"
#include "core/platform/file_system.h"
#include "core/platform/unicode.h"

namespace nibblet {

extern const unsigned char kBuiltinResources[];
extern const std::size_t kBuiltinResourcesSize;

namespace {

// Builds the content of a StringModule line by line; the module takes it only when every
// line was good.
class ResourceParser {
 public:
  std::map<int, std::u16string> texts;
  std::map<int, MenuResource> menus;
  std::map<int, DialogResource> dialogs;
  std::string error;

  bool run(std::string_view text) {
    if (text.size() > kMaxResourceBytes) return fail("the file is larger than 1 MiB");
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      ++m_lineNumber;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (!readLine(line)) return false;
    }
    return closeSection();
  }

 private:
  enum class Section { None, Strings, Menu, Dialog };

  bool fail(const std::string& why) {
    error = "line " + std::to_string(m_lineNumber) + ": " + why;
    return false;
  }

  bool readLine(std::string_view line) {
    if (line.size() > kMaxResourceLineBytes) return fail("the line is longer than 4096 bytes");
    for (char c : line) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
        return fail("control character in the line");
    }
    if (!isStrictUtf8(line)) return fail("the line is not UTF-8");
    ResourceLine in(line);
    if (in.atEnd() || in.symbol('#')) return true;
    if (in.symbol('[')) return readHeader(in);
    switch (m_section) {
      case Section::Strings: return readString(in);
      case Section::Menu: return readMenuLine(in);
      case Section::Dialog: return readDialogLine(in);
      case Section::None: break;
    }
    return fail("text before the first section");
  }

  bool readHeader(ResourceLine& in) {
    if (!closeSection()) return false;
    std::string_view name;
    int id = 0;
    if (!in.word(name)) return fail("expected a section name");
    if (name == "strings") {
      if (!in.symbol(']') || !in.atEnd()) return fail("expected [strings]");
      if (m_hadStrings) return fail("second [strings] section");
      m_hadStrings = true;
      m_section = Section::Strings;
      return true;
    }
    if (name != "menu" && name != "dialog") return fail("unknown section");
    if (!in.id(id) || !in.symbol(']') || !in.atEnd()) return fail("expected [menu id] or [dialog id]");
    if (name == "menu") {
      if (!menus.emplace(id, MenuResource{}).second) return fail("second section for this menu");
      m_menu = &menus[id];
      m_menuIds.clear();
      m_section = Section::Menu;
    } else {
      if (!dialogs.emplace(id, DialogResource{}).second) return fail("second section for this dialog");
      m_dialog = &dialogs[id];
      m_hadCaption = false;
      m_section = Section::Dialog;
    }
    return true;
  }

  bool closeSection() {
    if (!m_open.empty()) return fail("pop-up \"" + toUtf8(m_open.back().text) + "\" lacks its end");
    m_section = Section::None;
    return true;
  }

  bool readString(ResourceLine& in) {
    int id = 0;
    std::u16string text;
    if (!in.id(id)) return fail("expected a string id from 1 to 65535");
    if (!in.symbol('=') || !in.quoted(text) || !in.atEnd()) return fail("expected: id = \"text\"");
    if (!texts.emplace(id, std::move(text)).second) return fail("second text for this id");
    return true;
  }

  bool useId(int id) {
    if (!m_menuIds.insert(id).second) return fail("second menu entry with this id");
    return true;
  }

  bool readMenuLine(ResourceLine& in) {
    std::string_view keyword;
    if (!in.word(keyword)) return fail("expected popup, item, separator or end");
    MenuItem item;
    if (keyword == "popup") {
      if (m_open.size() >= static_cast<std::size_t>(kMaxMenuDepth))
        return fail("pop-ups nested too deep");
      int id = 0;
      bool hasId = in.id(id);
      if (!in.quoted(item.text) || !in.atEnd()) return fail("expected: popup [id] \"text\"");
      if (hasId && !useId(id)) return false;
      item.id = hasId ? id : 0;
      item.isPopup = true;
      m_open.push_back(std::move(item));
      return true;
    }
    if (keyword == "end") {
      if (!in.atEnd()) return fail("expected: end");
      if (m_open.empty()) return fail("end without a pop-up");
      MenuItem done = std::move(m_open.back());
      m_open.pop_back();
      (m_open.empty() ? m_menu->items : m_open.back().children).push_back(std::move(done));
      return true;
    }
    if (m_open.empty()) return fail("a menu bar holds only pop-ups");
    if (keyword == "item") {
      if (!in.id(item.id) || !in.quoted(item.text) || !in.atEnd())
        return fail("expected: item id \"text\"");
      if (!useId(item.id)) return false;
    } else if (keyword == "separator") {
      if (!in.atEnd()) return fail("expected: separator");
      item.isSeparator = true;
    } else {
      return fail("expected popup, item, separator or end");
    }
    m_open.back().children.push_back(std::move(item));
    return true;
  }

  bool readDialogLine(ResourceLine& in) {
    std::string_view keyword;
    std::u16string text;
    if (!in.word(keyword)) return fail("expected caption, control or label");
    if (keyword == "caption") {
      if (!in.quoted(text) || !in.atEnd()) return fail("expected: caption \"text\"");
      if (m_hadCaption) return fail("second caption");
      m_hadCaption = true;
      m_dialog->caption = std::move(text);
    } else if (keyword == "control") {
      int id = 0;
      if (!in.id(id) || !in.quoted(text) || !in.atEnd()) return fail("expected: control id \"text\"");
      if (!m_dialog->controls.emplace(id, std::move(text)).second)
        return fail("second text for this control");
    } else if (keyword == "label") {
      if (!in.quoted(text) || !in.atEnd()) return fail("expected: label \"text\"");
      m_dialog->labels.push_back(std::move(text));
    } else {
      return fail("expected caption, control or label");
    }
    return true;
  }

  std::size_t m_lineNumber = 0;
  Section m_section = Section::None;
  bool m_hadStrings = false;
  bool m_hadCaption = false;
  MenuResource* m_menu = nullptr;
  DialogResource* m_dialog = nullptr;
  std::set<int> m_menuIds;
  std::vector<MenuItem> m_open;  // pop-ups whose end is still to come, outermost first
};

const MenuItem* findIn(const std::vector<MenuItem>& items, int id) {
  for (const MenuItem& item : items) {
    if (!item.isSeparator && item.id == id) return &item;
    if (const MenuItem* found = findIn(item.children, id)) return found;
  }
  return nullptr;
}

}  // namespace

const MenuItem* findMenuItem(const MenuResource& menu, int id) {
  return id == 0 ? nullptr : findIn(menu.items, id);
}

bool StringModule::parse(std::string_view text, std::string* error) {
  ResourceParser parser;
  if (!parser.run(text)) {
    if (error) *error = parser.error;
    return false;
  }
  m_texts = std::move(parser.texts);
  m_menus = std::move(parser.menus);
  m_dialogs = std::move(parser.dialogs);
  return true;
}

bool StringModule::load(const std::u16string& path, std::string* error) {
  auto refuse = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (!isFile(path)) return refuse("not a plain file");
  std::FILE* file = std::fopen(toUtf8(path).c_str(), "rb");
  if (!file) return refuse("cannot be opened");
  // One byte more than allowed shows that the file is too large without reading all of it.
  std::string content(kMaxResourceBytes + 1, '\0');
  std::size_t size = std::fread(content.data(), 1, content.size(), file);
  bool readError = std::ferror(file) != 0;
  std::fclose(file);
  if (readError) return refuse("cannot be read");
  if (size > kMaxResourceBytes) return refuse("the file is larger than 1 MiB");
  content.resize(size);
  return parse(content, error);
}

bool StringModule::isComplete() const {
  return menu(kMenuMain) && menu(kMenuBrowser) && dialog(kDialogEntry) && dialog(kDialogConverter);
}

const std::u16string* StringModule::text(int id) const {
  auto it = m_texts.find(id);
  return it == m_texts.end() ? nullptr : &it->second;
}

const MenuResource* StringModule::menu(int id) const {
  auto it = m_menus.find(id);
  return it == m_menus.end() ? nullptr : &it->second;
}

const DialogResource* StringModule::dialog(int id) const {
  auto it = m_dialogs.find(id);
  return it == m_dialogs.end() ? nullptr : &it->second;
}

const StringModule& builtinModule() {
  static const StringModule module = [] {
    StringModule m;
    m.parse(std::string_view(reinterpret_cast<const char*>(kBuiltinResources), kBuiltinResourcesSize));
    return m;
  }();
  return module;
}

std::u16string Texts::loadText(int id) const {
  if (m_module) {
    if (const std::u16string* t = m_module->text(id)) return *t;
  }
  const std::u16string* t = builtinModule().text(id);
  return t ? *t : std::u16string();
}

}  // namespace nibblet
