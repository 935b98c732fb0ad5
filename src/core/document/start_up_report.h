#pragma once
// What the user hears, once, of what the start found in the work folder: records that could
// not be read and were set aside, and saves that have waited a long time for their file.

#include "core/document/work_folder.h"
#include "core/i18n/string_module.h"
#include "core/platform/message_box.h"

namespace nibblet {

// A save left because its file could not be reached is offered for deletion after this long.
constexpr int kUnfinishedSaveDays = 30;

// Tells of the journals set aside, and asks about each save left this long whose file could
// not be reached: Yes deletes its record, anything else keeps it for a later start.
void tellWorkFolderReport(const WorkFolderReport& report, const Texts& texts, MessageBox& messages);

}  // namespace nibblet
