#include "gui/settings_ui/settings_page.h"

#include "core/i18n/string_ids.h"
#include "gui/app/app_context.h"
#include "gui/app/app_icon.h"
#include "gui/browser/run_file_browser.h"
#include "gui/platform/qt_text.h"
#include "gui/settings_ui/colour_picker.h"
#include "gui/settings_ui/editor_pane.h"
#include "gui/settings_ui/property_sheet.h"

namespace nibblet {
namespace {

constexpr int kPagePointSize = 10;

}  // namespace

SettingsPage::SettingsPage(QWidget* parent, AppContext& context)
    : m_context(context), m_sheet(new PropertySheet(parent, context.texts, context.scale)) {
  m_dialogs.chooseFolder = [this](std::u16string& folder) {
    FileBrowserOptions options;
    // The browser's caption "File" is the module's text, as every other caption.
    options.title = m_context.texts.loadText(kIdsFile);
    options.folderMode = true;
    options.mustExist = true;
    options.startFolder = m_context.lastFolder;
    options.filter = u"*.*";
    return runFileBrowser(m_sheet->pane(), options, folder, m_context.lastFolder, m_context.texts,
                          m_context.messages) == kBrowserOk;
  };
  m_dialogs.pickColour = [this](std::u16string& colour, const std::u16string& title) {
    ColourPicker picker(m_sheet, colour, m_context.texts, m_context.scale);
    picker.setWindowTitle(toQString(title));
    if (!picker.run()) return false;
    colour = picker.model().colourText();
    return true;
  };
  const ScreenScale& s = context.scale;
  QIcon icon(appIconPixmap(s.x(16)));
  m_sheet->addPage(context.texts.loadText(kIdsSettings), [this](PropertySheetModel& sheet) {
    buildSettingsRows(sheet, m_context.settings, m_context.languages.names, m_context.texts, m_dialogs);
  }, icon);
  m_sheet->setPointSize(kPagePointSize);
  m_sheet->selectPage(0);
  m_sheet->setDefaultHint(context.texts.loadText(kIdsSettingsHint));
  m_sheet->showSheet(false);
}

SettingsPage::~SettingsPage() = default;

void SettingsPage::open() {
  // The column spans the list as the page is now: a width stored in the other orientation of
  // the screen would leave the rows short or scrolling sideways.
  m_sheet->relayout();
  m_sheet->selectPage(0);
  m_sheet->setDefaultHint(m_context.texts.loadText(kIdsSettingsHint));
  m_sheet->showSheet(true);
}

void SettingsPage::close() {
  // The editors write every change at once; this commits a row only looked at.
  m_sheet->activateRow(-1);
  m_sheet->showSheet(false);
  m_context.settings.rowListColumnWidth = m_sheet->columnWidth();
}

void SettingsPage::relayout() { m_sheet->relayout(); }

}  // namespace nibblet
