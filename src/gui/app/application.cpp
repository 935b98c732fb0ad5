#include "gui/app/application.h"

#include <QApplication>
#include <QStringList>

#include "core/document/command_line.h"
#include "core/i18n/language_list.h"
#include "core/platform/file_system.h"
#include "core/settings/settings_store.h"
#include "gui/app/main_frame.h"
#include "gui/platform/icu_language_names.h"
#include "gui/platform/qt_registry_key.h"
#include "gui/platform/qt_text.h"

namespace nibblet {

Application::Application(RegistryKey& key) : m_context(key) {}

Application::~Application() = default;

void Application::start(const std::u16string& commandLine) {
  m_context.scale = readScreenScale();
  loadSettings(m_context.key, m_context.settings, defaultWorkPath());
  m_context.texts.setModule(nullptr);
  m_context.programFolder = programFolder();
  IcuLanguageNames names;
  LanguageList languages = buildLanguageList(m_context.programFolder, names);
  if (m_context.settings.languageIndex != 0)
    m_context.texts.setModule(selectLanguage(languages, m_context.settings.languageIndex, m_context.programFolder));
  m_context.recentFiles.load(m_context.key);
  std::u16string path = commandLinePath(commandLine, [](const std::u16string& p) { return isFile(p); });
  m_context.lastFolder = loadLastFolder(m_context.key);
  m_frame = std::make_unique<MainFrame>(m_context, path);
  m_frame->show();
}

void Application::finish() {
  m_frame.reset();
  storeLastFolder(m_context.key, m_context.lastFolder);
  storeSettings(m_context.key, m_context.settings);
}

int runApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Nibblet");
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  QtRegistryKey key;
  Application program(key);
  program.start(toU16(arguments.join(' ')));
  int code = QApplication::exec();
  program.finish();
  return code;
}

}  // namespace nibblet
