#pragma once
// Start-up, the message loop and the writes at exit.

#include <memory>
#include <string>
#include <vector>

#include "gui/app/app_context.h"

namespace nibblet {

class MainFrame;

// The program's run: `start` prepares everything in order and shows the main window, `finish`
// stores what is written only at exit. Tests drive the two halves around their own event loop.
class Application {
 public:
  explicit Application(RegistryKey& key);
  ~Application();

  // Reads the screen scale, the settings, the language, the recent files and the command line,
  // then creates and shows the main window (which opens the command line's file). When
  // `namesValid` is false the command line held bytes that are not UTF-8: nothing is opened and
  // the open error is shown instead.
  void start(const std::u16string& commandLine, bool namesValid = true);
  // Writes "lastFDPath", then the whole settings record.
  void finish();
  // The program was told to end (a signal): lets go of the document without questions, keeping
  // unsaved work recoverable, and stores what finish stores. The window is not touched.
  void terminate();

  AppContext& context() { return m_context; }
  MainFrame* mainFrame() { return m_frame.get(); }

 private:
  AppContext m_context;
  std::unique_ptr<MainFrame> m_frame;
};

// The folders searched for language modules: the program's own, then the installation's data
// folder for the program (share/nibblet beside the bin folder the program runs from).
std::vector<std::u16string> languageFolders(const std::u16string& programFolder);

// Runs the program; returns the exit code of the quit message.
int runApplication(int argc, char** argv);

}  // namespace nibblet
