#include "gui/app/application.h"

#include <QApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cerrno>
#include <cstdlib>

#include "core/app/command_line.h"
#include "core/document/start_up_report.h"
#include "core/document/work_folder.h"
#include "core/i18n/language_list.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/text_format.h"
#include "core/platform/file_system.h"
#include "core/platform/unicode.h"
#include "core/settings/settings_store.h"
#include "gui/app/main_frame.h"
#include "gui/app/settings_writer.h"
#include "gui/platform/icu_language_names.h"
#include "gui/platform/popup_host_accessible.h"
#include "gui/platform/qt_registry_key.h"
#include "gui/platform/qt_text.h"

namespace nibblet {

std::vector<std::u16string> languageFolders(const std::u16string& programFolder) {
  // Beside the program (a build, a copied folder), then where an installation keeps its data.
  return {programFolder, joinPath(programFolder, toU16(QStringLiteral(NIBBLET_MODULE_FOLDER)))};
}

Application::Application(RegistryKey& key) : m_context(key) {}

Application::~Application() = default;

void Application::start(const std::u16string& commandLine, bool namesValid) {
  installPopupHostAccessibility();
  m_context.scale = readScreenScale();
  m_context.messages.setScale(m_context.scale);
  loadSettings(m_context.key, m_context.settings, defaultWorkPath());
  // Saves a crash interrupted are finished before anything is opened.
  WorkFolderReport found = cleanUpWorkFolder(m_context.settings);
  m_context.texts.setModule(nullptr);
  m_context.programFolder = programFolder();
  IcuLanguageNames names;
  m_context.languages = buildLanguageList(languageFolders(m_context.programFolder), names);
  if (m_context.settings.languageIndex != 0)
    m_context.texts.setModule(selectLanguage(m_context.languages, m_context.settings.languageIndex));
  // The language row lists the languages in the language the program now speaks (a module is
  // only loaded for an index inside the list).
  if (m_context.texts.hasModule()) {
    IcuLanguageNames shown(m_context.languages.ids[static_cast<std::size_t>(m_context.settings.languageIndex)]);
    nameLanguages(m_context.languages, shown, m_context.texts.loadText(kIdsDefaultLanguage));
  }
  m_context.recentFiles.load(m_context.key);
  int error = namesValid ? 0 : EILSEQ;
  std::u16string path = commandLine;
  if (namesValid) path = commandLinePath(commandLine, [](const std::u16string& p) { return isFile(p); }, &error);
  m_context.lastFolder = loadLastFolder(m_context.key);
  m_frame = std::make_unique<MainFrame>(m_context, error == 0 ? path : std::u16string());
  m_frame->show();
  // A name the program cannot spell back to the system opens nothing, not its look-alike.
  if (error != 0) {
    const Texts& t = m_context.texts;
    showMessage(m_context.messages, t.loadText(kIdsError), kStyleError, t.loadText(kIdsFileOpenError), {path, error});
  }
  tellWorkFolderReport(found, m_context.texts, m_context.messages);
}

void Application::terminate() {
  if (m_frame) {
    // No box can be shown while the program is told to end: a file that could not be synced is
    // named on the standard error.
    std::u16string file = m_frame->document().path();
    if (int error = m_frame->document().abandon(); error != 0) {
      std::u16string text = formatText(m_context.texts.loadText(kIdsErrorWithFile), {error, file});
      std::fprintf(stderr, "%s\n", toUtf8(text).c_str());
    }
  }
  storeLastFolder(m_context.key, m_context.lastFolder);
  writeSettings(m_context, /*windowShown=*/false);
}

void Application::finish() {
  m_frame.reset();
  storeLastFolder(m_context.key, m_context.lastFolder);
  writeSettings(m_context, /*windowShown=*/false);
}

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminateSignal(int signal) {
  const int savedErrno = errno;
  char byte = static_cast<char>(signal);
  ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
  (void)ignored;
  errno = savedErrno;
}

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C) arrive through a pipe in the
// message loop; the program then lets go of its document so nothing unsaved is lost, stores its
// settings and ends at once, whatever dialog is open.
void catchTerminateSignals(Application& program) {
  if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&program] {
    program.terminate();
    std::_Exit(0);
  });
  struct sigaction action = {};
  action.sa_handler = onTerminateSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

// Prints one line per language module the program finds, and whether it loads, then ends;
// used to check an installation.
int reportLanguages() {
  IcuLanguageNames names;
  LanguageList languages = buildLanguageList(languageFolders(programFolder()), names);
  for (std::size_t i = 1; i < languages.size(); ++i) {
    bool loads = selectLanguage(languages, static_cast<int>(i)) != nullptr;
    std::printf("language %04x %s %s\n", languages.ids[i], loads ? "loads" : "fails",
                toUtf8(languages.paths[i]).c_str());
  }
  return 0;
}

int runApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Nibblet");
  if (qEnvironmentVariableIsSet("NIBBLET_REPORT_LANGUAGES")) return reportLanguages();
  // The arguments Qt left are read as the bytes they are: Qt's own reading turns bytes that are
  // not UTF-8 into U+FFFD, which names a different file.
  std::u16string commandLine;
  bool namesValid = commandLineText(argc, argv, commandLine);
  QtRegistryKey key;
  Application program(key);
  catchTerminateSignals(program);
  program.start(commandLine, namesValid);
  int code = QApplication::exec();
  program.finish();
  return code;
}

}  // namespace nibblet
