#include "core/browser/entry_refusal.h"

#include "core/i18n/string_ids.h"

namespace nibblet {

int refusalText(EntryType type) {
  switch (type) {
    case EntryType::Fifo: return kIdsIsFifo;
    case EntryType::Socket: return kIdsIsSocket;
    case EntryType::Device: return kIdsIsDevice;
    case EntryType::LinkLoop: return kIdsIsLinkLoop;
    case EntryType::BrokenLink: return kIdsIsBrokenLink;
    case EntryType::Plain: break;
  }
  return 0;
}

int typeText(EntryType type) {
  switch (type) {
    case EntryType::Fifo: return kIdsTypeFifo;
    case EntryType::Socket: return kIdsTypeSocket;
    case EntryType::Device: return kIdsTypeDevice;
    case EntryType::LinkLoop: return kIdsTypeLinkLoop;
    case EntryType::BrokenLink: return kIdsTypeBrokenLink;
    case EntryType::Plain: break;
  }
  return 0;
}

}  // namespace nibblet
