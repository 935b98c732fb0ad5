#pragma once
// The file browser dialog (template 900): file-name box 901, folder drop-down 902, entry list 903,
// menu bar 158 and an OK button at the top. It shows the state of a FileBrowserModel and forwards
// the user's actions to it.

#include <QDialog>
#include <memory>
#include <string>

#include "core/browser/file_browser_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace nibblet {

class BrowserList;
class MessageBox;
class Texts;
class WaitCursor;

class FileBrowserDialog : public QDialog {
  Q_OBJECT

 public:
  FileBrowserDialog(QWidget* owner, const FileBrowserOptions& options, const Texts& texts,
                    MessageBox& messages);
  ~FileBrowserDialog() override;

  const FileBrowserModel& model() const { return *m_model; }
  // The path OK accepted; meaningful once the dialog was accepted.
  const std::u16string& chosenPath() const { return m_chosenPath; }
  bool isReportView() const { return m_reportView; }

 public slots:
  // Acts on a menu or dialog command (OK, Cancel, Switch window, views, Folder Up, New folder);
  // ignored while a name is being edited.
  void command(int id);
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildMenuBar(const Texts& texts);
  void setReportView(bool report);
  void showList();
  void showFolders();
  void showFileName();
  void chooseFolder(int item);
  void tap(int row);
  void doubleTap(int row);
  void deleteEntry(int row);
  void newFolder();
  void tryOk();
  // Says why the entry the last tap or OK named cannot be chosen, when the model says so.
  void explainRefusal();
  int scaleX(int n) const;
  int scaleY(int n) const;

  const Texts& m_texts;
  MessageBox& m_messages;
  std::u16string m_deleteCaption;
  std::unique_ptr<WaitCursor> m_cursor;
  std::unique_ptr<FileBrowserModel> m_model;
  std::u16string m_chosenPath;
  bool m_reportView = false;

  QLabel* m_title = nullptr;
  QPushButton* m_okButton = nullptr;
  QLineEdit* m_fileName = nullptr;
  QComboBox* m_folders = nullptr;
  BrowserList* m_list = nullptr;
  QMenuBar* m_menuBar = nullptr;
  QIcon m_folderIcon;
  QIcon m_fileIcon;
  QIcon m_notAFileIcon;
};

}  // namespace nibblet
