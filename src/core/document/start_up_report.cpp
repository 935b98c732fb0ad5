#include "core/document/start_up_report.h"

#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/platform/unicode.h"

namespace nibblet {

void tellWorkFolderReport(const WorkFolderReport& report, const Texts& texts, MessageBox& messages) {
  if (!report.setAside.empty())
    showMessage(messages, texts.loadText(kIdsError), kStyleInformation, texts.loadText(kIdsJournalsSetAside),
                {report.folder, static_cast<std::uint32_t>(report.setAside.size())});
  for (const UnfinishedSave& save : report.saves.left) {
    if (save.changed || save.ageDays < kUnfinishedSaveDays) continue;
    int answer = showMessage(messages, texts.loadText(kIdsSave), kStyleQuestion, texts.loadText(kIdsOldUnfinishedSave),
                             {fromUtf8(save.target), static_cast<std::uint32_t>(save.ageDays)});
    if (answer == kButtonYes) dropUnfinishedSave(save.journal);
  }
}

}  // namespace nibblet
