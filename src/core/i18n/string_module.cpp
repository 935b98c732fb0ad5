#include "core/i18n/string_module.h"

#include <fstream>
#include <sstream>

#include "core/platform/unicode.h"

namespace nibblet {

extern const unsigned char kBuiltinResources[];
extern const std::size_t kBuiltinResourcesSize;

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Reads a quoted literal with the escapes \\ \" \n \r \t; false when it is not one.
bool unquote(std::string_view s, std::string& out) {
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    char c = s[i];
    if (c == '"') return false;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i + 1 > s.size() - 1) return false;
    switch (s[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      default: return false;
    }
  }
  return true;
}

bool parseId(std::string_view s, int& id) {
  if (s.empty() || s.size() > 9) return false;
  id = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    id = id * 10 + (c - '0');
  }
  return true;
}

}  // namespace

bool StringModule::parse(std::string_view text, std::string* error) {
  std::map<int, std::u16string> texts;
  std::string section;
  std::size_t lineNumber = 0;
  std::size_t pos = 0;
  auto fail = [&](const char* why) {
    if (error) *error = "line " + std::to_string(lineNumber) + ": " + why;
    return false;
  };
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = trim(text.substr(pos, end - pos));
    pos = end + 1;
    ++lineNumber;
    if (lineNumber == 1 && line.size() >= 3 && line.substr(0, 3) == "\xEF\xBB\xBF")
      line = trim(line.substr(3));
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail("unclosed section header");
      section = std::string(trim(line.substr(1, line.size() - 2)));
      continue;
    }
    if (section == "strings") {
      auto eq = line.find('=');
      if (eq == std::string_view::npos) return fail("expected: id = \"text\"");
      int id;
      std::string value;
      if (!parseId(trim(line.substr(0, eq)), id)) return fail("bad string id");
      if (!unquote(trim(line.substr(eq + 1)), value)) return fail("bad quoted text");
      texts[id] = fromUtf8(value);
    }
  }
  m_texts = std::move(texts);
  return true;
}

bool StringModule::load(const std::u16string& path) {
  std::ifstream in(toUtf8(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  return parse(content.str());
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
