#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

const std::u16string kLongPath = u"/" + std::u16string(2000, u'p') + u".bin";

// Shows every message the program formats from resources, each with the kinds of arguments
// the program passes, and returns the texts formatted outside message boxes.
std::vector<std::u16string> showEveryMessage(const Texts& t, MessageBox& box) {
  const std::u16string path = u"/home/user/file.bin";
  showMessage(box, t.loadText(kIdsError), kStyleError, t.loadText(kIdsFileOpenError), {path, 2});
  showMessage(box, t.loadText(kIdsError), kStyleError, t.loadText(kIdsFileOpenError), {kLongPath, -1});
  showMessage(box, t.loadText(kIdsError), kStyleError, t.loadText(kIdsErrorWithFile), {28, path});
  showMessage(box, t.loadText(kIdsImport), kStyleError, t.loadText(kIdsErrorWithFileNoDot), {2, kLongPath});
  showMessage(box, t.loadText(kIdsUndoAll), kStyleQuestion, t.loadText(kIdsUndoAllQuestion), {1000000});
  showMessage(box, t.loadText(kIdsCompare), kStylePlain, t.loadText(kIdsDifferencesFound), {INT32_MAX});
  showMessage(box, t.loadText(kIdsImport), kStyleInformation, t.loadText(kIdsChangedBytes), {0});
  showMessage(box, t.loadText(kIdsSave), kStyleQuestion, t.loadText(kIdsSaveQuestion), {path});
  showMessage(box, t.loadText(kIdsSave), kStyleInformation, t.loadText(kIdsFileSaved), {kLongPath});
  showMessage(box, t.loadText(kIdsError), kStylePlain, t.loadText(kIdsDifferentSizes),
              {path, 100, kLongPath, -1});
  showMessage(box, t.loadText(kIdsError), kStyleError, t.loadText(kIdsInternalError), {1, 12});
  for (int id : {kIdsNoChanges, kIdsNotFound, kIdsBufferEmpty, kIdsNoDifferences, kIdsInvalidDiffFile,
                 kIdsDiffNotApplicable, kIdsSaveChanges, kIdsKeepChangesQuestion, kIdsSelectionTooLong})
    showMessage(box, t.loadText(kIdsError), kStyleInformation, t.loadText(id));
  return {
      formatText(t.loadText(kIdsGotoRange), {0u, 0xFFFFFFF0u}),
      formatText(t.loadText(kIdsDiffValue), {0xAB}),
      formatText(t.loadText(kIdsAbout), {1, 0, 50}),
  };
}

std::unique_ptr<StringModule> moduleWithEveryText(const std::string& text) {
  std::string source = "[strings]\n";
  for (const auto& [id, unused] : builtinModule().texts())
    source += std::to_string(id) + " = \"" + text + "\"\n";
  auto module = std::make_unique<StringModule>();
  std::string error;
  EXPECT_TRUE(module->parse(source, &error)) << error;
  return module;
}

TEST(Messages, HostileFormatsInAModuleNeverReachBeyondTheirArguments) {
  const char* hostile[] = {
      "%s", "%n", "%n%n%n%s%n", "%s%s%s%s%s%s%s%s%s%s", "%d%d%d%d%d%d%d%d%d%d", "%999999d",
      "%999999s|%-999999X", "%.*s", "%*s%*d", "%.999999s", "%c%c%c%C", "%p %f %e %g %a", "%",
      "%%%", "%I64d%lls%hs%ws", "%1$s %2$d", "%#-+ 0*.*d",
  };
  for (const char* format : hostile) {
    Texts texts;
    texts.setModule(moduleWithEveryText(format));
    ScriptedMessageBox box;
    std::vector<std::u16string> formatted = showEveryMessage(texts, box);
    ASSERT_EQ(box.shown().size(), 20u) << format;
    for (const auto& shown : box.shown()) EXPECT_LE(shown.text.size(), 1023u) << format;
    for (const auto& text : formatted) EXPECT_LE(text.size(), 1023u) << format;
  }

  // What the user sees: the module's text without the value that does not fit.
  Texts texts;
  texts.setModule(moduleWithEveryText("[%s|%d]"));
  ScriptedMessageBox box;
  std::vector<std::u16string> formatted = showEveryMessage(texts, box);
  EXPECT_EQ(box.shown()[0].text, u"[/home/user/file.bin|2]");
  EXPECT_EQ(box.shown()[2].text, u"[|]");            // (number, text)
  EXPECT_EQ(box.shown()[4].text, u"[|]");            // (number)
  EXPECT_EQ(box.shown()[7].text, u"[/home/user/file.bin|]");
  EXPECT_EQ(box.shown()[9].text, u"[/home/user/file.bin|100]");
  EXPECT_EQ(formatted[0], u"[|4294967280]");
}

TEST(Messages, EnglishMessagesReadAsIntended) {
  Texts english;
  ScriptedMessageBox box;
  std::vector<std::u16string> formatted = showEveryMessage(english, box);
  const auto& shown = box.shown();
  EXPECT_EQ(shown[0].caption, u"Error");
  EXPECT_EQ(shown[0].style, kStyleError);
  EXPECT_EQ(shown[0].text, u"File /home/user/file.bin open error (2).");
  EXPECT_EQ(shown[1].text.size(), 1023u);  // the long path is cut with the message
  EXPECT_EQ(shown[2].text, u"Error 28 with file /home/user/file.bin.");
  EXPECT_EQ(shown[4].text, u"Undo all maked (1000000) changes?");
  EXPECT_EQ(shown[9].text.substr(0, 53), u"Files have different sizes.\n/home/user/file.bin - 100");
  EXPECT_EQ(shown[10].text, u"Internal error  1 (12).");
  EXPECT_EQ(formatted[0], u"Goto (0x0-0xFFFFFFF0)");
  EXPECT_EQ(formatted[1], u"Diff: AB");
  EXPECT_EQ(formatted[2].substr(0, 15), u"Nibblet 1.0.50\n");
}

TEST(Messages, ShowMessagePassesCaptionStyleAndAnswer) {
  ScriptedMessageBox box;
  box.answer(kButtonYes);
  EXPECT_EQ(showMessage(box, u"Save", kStyleQuestion, u"Write changes to file %s?", {u"/a"}), kButtonYes);
  EXPECT_EQ(showMessage(box, u"", kStylePlain, u""), kButtonOk);
  EXPECT_EQ(showMessage(box, u"c", kStyleInformation, std::u16string(1500, u'x') + u"%d", {1}),
            kButtonOk);
  ASSERT_EQ(box.shown().size(), 3u);
  EXPECT_EQ(box.shown()[0].caption, u"Save");
  EXPECT_EQ(box.shown()[0].style, kStyleQuestion);
  EXPECT_EQ(box.shown()[0].text, u"Write changes to file /a?");
  EXPECT_EQ(box.shown()[1].caption, u"");
  EXPECT_EQ(box.shown()[1].text, u"");
  EXPECT_EQ(box.shown()[2].text, std::u16string(1023, u'x'));
}

TEST(Texts, FallsBackTextByTextButNeverForMenusOrDialogs) {
  Texts texts;
  EXPECT_FALSE(texts.hasModule());
  EXPECT_EQ(texts.loadText(kIdsError), u"Error");
  EXPECT_EQ(&texts.stringModule(), &builtinModule());

  auto module = std::make_unique<StringModule>();
  ASSERT_TRUE(module->parse("[strings]\n40003 = \"Datei\"\n40022 = \"\"\n1 = \"extra\"\n"
                            "[menu 101]\npopup 40001 \"Datei\"\nend\n"));
  texts.setModule(std::move(module));
  EXPECT_TRUE(texts.hasModule());
  EXPECT_EQ(texts.loadText(kIdsFile), u"Datei");
  EXPECT_EQ(texts.loadText(kIdsNotFound), u"");  // an empty text is still the module's text
  EXPECT_EQ(texts.loadText(kIdsError), u"Error");
  EXPECT_EQ(texts.loadText(kIdsShowToolbar), u"Show toolbar");
  EXPECT_EQ(texts.loadText(1), u"extra");
  EXPECT_EQ(texts.loadText(2), u"");
  ASSERT_NE(texts.stringModule().menu(101), nullptr);
  EXPECT_EQ(texts.stringModule().menu(101)->items[0].text, u"Datei");
  EXPECT_EQ(texts.stringModule().menu(158), nullptr);
  EXPECT_EQ(texts.stringModule().dialog(109), nullptr);

  texts.setModule(nullptr);
  EXPECT_EQ(texts.loadText(kIdsFile), u"File");
}

}  // namespace
}  // namespace nibblet
