#include "core/i18n/string_module.h"

#include <gtest/gtest.h>

#include <string>

#include "core/platform/unicode.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

using namespace std::string_literals;

constexpr std::string_view kSample =
    "\xEF\xBB\xBF# A comment\r\n"
    "\n"
    "[strings]\r\n"
    "  1 = \"Tab\\there, \\\"quoted\\\", back\\\\slash\\r\\n\"\n"
    "65535=\"\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80\"\n"
    "\t# indented comment\n"
    "40003 = \"\"\n"
    "[menu 101]\n"
    "popup 40001 \"File\"\n"
    "  item 40007 \"Open\"\n"
    "  separator\n"
    "  popup \"Sub\"\n"
    "    popup \"Deeper\"\n"
    "      popup \"Deepest\"\n"
    "        item 7 \"Leaf\"\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "end\n"
    "popup \"Tools\"\n"
    "end\n"
    "[dialog 109]\n"
    "caption \"converter\"\n"
    "label \"to\"\n"
    "control 1026 \"=\"\n"
    "label \"from\"\n"
    "[dialog 930]";

TEST(StringModule, ParsesStringsMenusAndDialogs) {
  StringModule m;
  std::string error;
  ASSERT_TRUE(m.parse(kSample, &error)) << error;

  EXPECT_EQ(m.textCount(), 3u);
  EXPECT_EQ(*m.text(1), u"Tab\there, \"quoted\", back\\slash\r\n");
  EXPECT_EQ(*m.text(65535), u"\u00e4\u4e2d\U0001F600");
  EXPECT_EQ(*m.text(40003), u"");
  EXPECT_EQ(m.text(2), nullptr);

  const MenuResource* menu = m.menu(101);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->items.size(), 2u);
  const MenuItem& file = menu->items[0];
  EXPECT_TRUE(file.isPopup);
  EXPECT_EQ(file.id, 40001);
  EXPECT_EQ(file.text, u"File");
  ASSERT_EQ(file.children.size(), 3u);
  EXPECT_EQ(file.children[0].id, 40007);
  EXPECT_FALSE(file.children[0].isPopup);
  EXPECT_TRUE(file.children[1].isSeparator);
  EXPECT_EQ(file.children[1].id, 0);
  EXPECT_TRUE(file.children[2].isPopup);
  EXPECT_EQ(file.children[2].id, 0);
  const MenuItem& leaf = file.children[2].children[0].children[0].children[0];
  EXPECT_EQ(leaf.text, u"Leaf");
  EXPECT_EQ(findMenuItem(*menu, 7), &leaf);
  EXPECT_EQ(findMenuItem(*menu, 40001), &file);
  EXPECT_EQ(findMenuItem(*menu, 0), nullptr);  // separators and unnumbered pop-ups
  EXPECT_EQ(findMenuItem(*menu, 8), nullptr);
  EXPECT_TRUE(menu->items[1].children.empty());
  EXPECT_EQ(m.menu(158), nullptr);

  const DialogResource* dialog = m.dialog(109);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->caption, u"converter");
  EXPECT_EQ(dialog->labels, (std::vector<std::u16string>{u"to", u"from"}));
  EXPECT_EQ(dialog->controls.at(1026), u"=");
  ASSERT_NE(m.dialog(930), nullptr);
  EXPECT_EQ(m.dialog(930)->caption, u"");
  EXPECT_FALSE(m.isComplete());
}

TEST(StringModule, RefusesDamagedTextWholeAndKeepsWhatItHeld) {
  const std::string longLine = "[strings]\n1 = \"" + std::string(kMaxResourceLineBytes, 'x') + "\"\n";
  std::string huge = "[strings]\n";
  while (huge.size() <= kMaxResourceBytes) huge += "# " + std::string(1000, 'x') + "\n";
  const std::string damaged[] = {
      "[strings]\n1 = \"bad \\q escape\"",
      "[strings]\n1 = \"ends in a backslash\\\"",
      "[strings]\n1 = \"unclosed",
      "[strings]\n1 = \"text\" trailing",
      "[strings]\n1 = \"text\" # not a comment here",
      "[strings]\n1 \"no equals\"",
      "[strings]\n1 = unquoted",
      "[strings]\n0 = \"id zero\"",
      "[strings]\n65536 = \"id too large\"",
      "[strings]\n99999999999999999999 = \"huge id\"",
      "[strings]\n-1 = \"negative\"",
      "[strings]\n1 = \"a\"\n1 = \"twice\"",
      "[strings]\n[strings]",
      "[strings]\n1 = \"nul\0inside\""s,
      "[strings]\n1 = \"bare\rcarriage return\"",
      "[strings]\n1 = \"escape char \x1b\"",
      "[strings]\n1 = \"lone \xC3\"",
      "[strings]\n1 = \"overlong \xC0\xAF\"",
      "[strings]\n1 = \"surrogate \xED\xA0\x80\"",
      "[strings]\n1 = \"past U+10FFFF \xF4\x90\x80\x80\"",
      "[strings]\n1 = \"stray \x80\"",
      "1 = \"before any section\"",
      "[bitmaps]",
      "[strings",
      "[menu]",
      "[menu 0]",
      "[menu 101] extra",
      "[Strings]",
      "[menu 101]\n[menu 101]",
      "[menu 101]\nitem 1 \"outside a pop-up\"",
      "[menu 101]\nseparator",
      "[menu 101]\npopup \"File\"",
      "[menu 101]\npopup \"File\"\n[strings]",
      "[menu 101]\nend",
      "[menu 101]\npopup \"a\"\nend extra",
      "[menu 101]\npopup \"a\"\nitem \"no id\"\nend",
      "[menu 101]\npopup \"a\"\nitem 5 \"x\"\nitem 5 \"same id\"\nend",
      "[menu 101]\npopup 5 \"a\"\nitem 5 \"same id as its pop-up\"\nend",
      "[menu 101]\npopup \"a\"\nbutton 5 \"x\"\nend",
      "[menu 101]\npopup \"1\"\npopup \"2\"\npopup \"3\"\npopup \"4\"\npopup \"5\"\nend\nend\nend\nend\nend",
      "[dialog 109]\ncaption \"a\"\ncaption \"b\"",
      "[dialog 109]\ncontrol 1026 \"=\"\ncontrol 1026 \"+\"",
      "[dialog 109]\ncontrol \"no id\"",
      "[dialog 109]\nlabel 5 \"labels have no id\"",
      "[dialog 109]\n[dialog 109]",
      longLine,
      huge,
  };
  for (const std::string& text : damaged) {
    StringModule m;
    ASSERT_TRUE(m.parse("[strings]\n40003 = \"kept\"\n[menu 101]\npopup \"p\"\nend"));
    std::string error;
    EXPECT_FALSE(m.parse(text, &error)) << text.substr(0, 80);
    EXPECT_EQ(error.rfind("line ", 0), 0u) << text.substr(0, 80);
    EXPECT_EQ(*m.text(40003), u"kept");
    EXPECT_NE(m.menu(101), nullptr);
  }
  // The error names the first bad line.
  StringModule m;
  std::string error;
  EXPECT_FALSE(m.parse("[strings]\n1 = \"a\"\n\n2 = \"b", &error));
  EXPECT_EQ(error.rfind("line 4:", 0), 0u) << error;
  // A line of exactly the largest length still parses.
  EXPECT_TRUE(m.parse("[strings]\n1 = \"" + std::string(kMaxResourceLineBytes - 6, 'x') + "\""));
}

TEST(StringModule, LoadsOnlyPlainFilesWithinTheSizeLimit) {
  test::TempDir dir;
  test::writeFile(dir.file("good.mui"), std::string("[strings]\n40003 = \"Datei\"\n"));
  test::writeFile(dir.file("bad.mui"), std::string("[strings]\n40003 = Datei\n"));
  test::writeFile(dir.file("big.mui"), "[strings]\n" + std::string(kMaxResourceBytes, '\n'));

  StringModule m;
  std::string error;
  EXPECT_TRUE(m.load(dir.u16("good.mui"), &error)) << error;
  EXPECT_EQ(*m.text(40003), u"Datei");
  EXPECT_FALSE(m.load(dir.u16("bad.mui"), &error));
  EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  EXPECT_FALSE(m.load(dir.u16("big.mui")));
  EXPECT_FALSE(m.load(dir.u16("missing.mui")));
  EXPECT_FALSE(m.load(fromUtf8(dir.path())));
  EXPECT_FALSE(m.load(u""));
  EXPECT_EQ(*m.text(40003), u"Datei");
}

}  // namespace
}  // namespace nibblet
