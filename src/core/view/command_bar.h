#pragma once
// The row of buttons at the top of dialog 930 (entry, search and goto): the command of each
// button and the text id of its tooltip. The image index equals the position.

#include <array>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"

namespace nibblet {

struct BarButton {
  int command;
  int tooltipId;
};

constexpr std::array<BarButton, 8> kCommandBar{{
    {kCmdEntryHex, kIdsHex},
    {kCmdEntryText, kIdsText},
    {kCmdEntryUnicode, kIdsUnicodeText},
    {kCmdSearchAtFirst, kIdsSearchAtFirst},
    {kCmdOk, kIdsOk},
    {kCmdCancel, kIdsCancel},
    {kCmdBarCopy, kIdsCopy},
    {kCmdBarPaste, kIdsPaste},
}};

}  // namespace nibblet
