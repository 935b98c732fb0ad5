// The file browser dialog on a real temporary tree, driven through its controls.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <sys/stat.h>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/message_box.h"
#include "gui/browser/file_browser_dialog.h"
#include "gui/browser/run_file_browser.h"
#include "gui/platform/screen_fit.h"

using namespace nibblet;

namespace {

void touch(const QString& path, const QByteArray& bytes = "x") {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QStringList rowNames(QTreeWidget* list) {
  QStringList names;
  for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
  return names;
}

QTreeWidgetItem* itemNamed(QTreeWidget* list, const QString& name) {
  auto found = list->findItems(name, Qt::MatchExactly, 0);
  return found.isEmpty() ? nullptr : found.first();
}

// Taps (or double taps) the entry `name` in the list with the mouse.
void tapItem(QTreeWidget* list, const QString& name, bool twice = false) {
  QTreeWidgetItem* item = itemNamed(list, name);
  QVERIFY2(item, qPrintable(name));
  QPoint centre = list->visualItemRect(item).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  if (twice) {
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
  }
}

// The open name editor; closed ones linger hidden until their deferred deletion.
QLineEdit* nameEditor(QTreeWidget* list) {
  for (QLineEdit* editor : list->viewport()->findChildren<QLineEdit*>()) {
    if (editor->isVisible()) return editor;
  }
  return nullptr;
}

// The dialog running modally; it is closed as cancelled when a check inside the test fails.
FileBrowserDialog* modalBrowser() {
  return qobject_cast<FileBrowserDialog*>(QApplication::activeModalWidget());
}

void closeIfStillOpen() {
  FileBrowserDialog* dialog = modalBrowser();
  if (dialog && dialog->isVisible()) dialog->done(QDialog::Rejected);
}

}  // namespace

class FileBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir root(m_dir->path());
    root.mkpath("sub/deeper");
    root.mkpath("empty");
    touch(root.filePath("sub/inner.bin"));
    touch(root.filePath("data.bin"), QByteArray(12345, 'd'));
    touch(root.filePath("notes.txt"));
    touch(root.filePath(".hidden"));
    m_options = FileBrowserOptions();
    m_options.startFolder = m_dir->path().toStdU16String();
    m_options.filter = u"*.*";
    m_options.mustExist = true;
  }

  void showsTheFolderFullScreenWithItsControls() {
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // In the main window's place (here a desktop's portrait window), so it covers it whole.
    Rect place = windowPlacement(screenFacts(&dialog));
    QCOMPARE(dialog.geometry(), QRect(place.left, place.top, place.right - place.left, place.bottom - place.top));

    auto* list = dialog.findChild<QTreeWidget*>("903");
    auto* box = dialog.findChild<QLineEdit*>("901");
    auto* folders = dialog.findChild<QComboBox*>("902");
    QVERIFY(list && box && folders);
    QCOMPARE(rowNames(list), QStringList({"empty", "sub", "data.bin", "notes.txt"}));
    QVERIFY(list->isHeaderHidden());
    QCOMPARE(folders->currentIndex(), folders->count() - 1);
    QCOMPARE(folders->itemText(0), QString("/"));

    // The menu carries every command, New folder included, and switches the view.
    auto* bar = dialog.findChild<QMenuBar*>();
    QVERIFY(bar);
    QStringList entries;
    for (QAction* top : bar->actions())
      for (QAction* action : top->menu()->actions()) entries << action->text();
    QCOMPARE(entries, QStringList({"OK", "Cancel", "Switch window", "Report view", "List view",
                                   "Folder Up", "New folder", "Delete"}));
    dialog.command(kCmdReportView);
    QVERIFY(!list->isHeaderHidden());
    QCOMPARE(list->headerItem()->text(1), QString("Size"));
    QCOMPARE(itemNamed(list, "data.bin")->text(1), QString("12KB"));
    QCOMPARE(list->columnWidth(1), (70 * dialog.logicalDpiX() + 48) / 96);
    QCOMPARE(list->columnWidth(0), (120 * dialog.logicalDpiX() + 48) / 96);
    QCOMPARE(list->columnWidth(2), (136 * dialog.logicalDpiX() + 48) / 96);
    dialog.command(kCmdListView);
    QVERIFY(list->isColumnHidden(2));
    // Without the other columns the names take the whole width again.
    QCOMPARE(list->columnWidth(0), list->viewport()->width());

    list->setFocus();
    dialog.command(kCmdSwitchWindow);
    QVERIFY(!list->hasFocus());
  }

  void menuWithoutNewFolderGetsOneAndNoMenuGivesNoBar() {
    Texts texts;
    auto module = std::make_unique<StringModule>();
    QVERIFY(module->parse("[menu 158]\npopup \"Aktion\"\nitem 1 \"Gut\"\nend\n"
                          "popup \"Werkzeuge\"\nitem 905 \"Hoch\"\nend\n"));
    texts.setModule(std::move(module));
    {
      FileBrowserDialog dialog(nullptr, m_options, texts, m_messages);
      auto* bar = dialog.findChild<QMenuBar*>();
      QVERIFY(bar);
      QCOMPARE(bar->actions().size(), 2);
      QStringList tools;
      for (QAction* action : bar->actions()[1]->menu()->actions()) tools << action->text();
      QCOMPARE(tools, QStringList({"Hoch", "New folder", "Delete"}));
      QCOMPARE(dialog.findChild<QPushButton*>()->text(), QString("Gut"));
    }
    auto empty = std::make_unique<StringModule>();
    QVERIFY(empty->parse("[strings]\n40008 = \"Datei\"\n"));
    texts.setModule(std::move(empty));
    FileBrowserDialog dialog(nullptr, m_options, texts, m_messages);
    QVERIFY(!dialog.findChild<QMenuBar*>());
  }

  void navigatesIntoAFolderUpAndThroughTheDropDown() {
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeWidget*>("903");
    auto* box = dialog.findChild<QLineEdit*>("901");
    auto* folders = dialog.findChild<QComboBox*>("902");
    const int depth = folders->count() - 1;

    tapItem(list, "data.bin");
    QCOMPARE(box->text(), QString("data.bin"));
    tapItem(list, "sub", true);
    QCOMPARE(rowNames(list), QStringList({"deeper", "inner.bin"}));
    QCOMPARE(folders->count(), depth + 2);
    QCOMPARE(folders->currentText(), QString(depth + 1, ' ') + "sub");
    QCOMPARE(box->text(), QString("data.bin"));

    dialog.command(kCmdFolderUp);
    QCOMPARE(rowNames(list), QStringList({"empty", "sub", "data.bin", "notes.txt"}));
    emit folders->activated(0);
    QCOMPARE(dialog.model().currentFolder(), u"/");
    QCOMPARE(folders->count(), 1);
    QVERIFY(list->topLevelItemCount() > 0);
  }

  void renamesInPlaceAndCreatesANewFolder() {
    QDir(m_dir->path()).mkdir("NewFolder");
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeWidget*>("903");

    list->editItem(itemNamed(list, "notes.txt"), 0);
    QVERIFY(dialog.model().labelEditing());
    QLineEdit* editor = nameEditor(list);
    QVERIFY(editor);
    dialog.command(kCmdFolderUp);  // ignored while the name is edited
    QCOMPARE(dialog.model().currentFolder(), m_dir->path().toStdU16String() + u"/");
    editor->setText("renamed.txt");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!dialog.model().labelEditing());
    QVERIFY(QFile::exists(m_dir->filePath("renamed.txt")));
    QVERIFY(!QFile::exists(m_dir->filePath("notes.txt")));
    QVERIFY(itemNamed(list, "renamed.txt"));

    // Escape leaves the name as it was.
    list->editItem(itemNamed(list, "renamed.txt"), 0);
    nameEditor(list)->setText("other.txt");
    QTest::keyClick(nameEditor(list), Qt::Key_Escape);
    QTRY_VERIFY(!dialog.model().labelEditing());
    QVERIFY(QFile::exists(m_dir->filePath("renamed.txt")));
    QVERIFY(dialog.isVisible());

    dialog.command(kCmdNewFolder);
    QVERIFY(QFileInfo(m_dir->filePath("NewFolder#2")).isDir());
    QCOMPARE(list->currentItem()->text(0), QString("NewFolder#2"));
    QVERIFY(dialog.model().labelEditing());
    editor = nameEditor(list);
    QVERIFY(editor);
    editor->setText("Photos");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!dialog.model().labelEditing());
    QVERIFY(QFileInfo(m_dir->filePath("Photos")).isDir());
    QVERIFY(itemNamed(list, "Photos"));
  }

  void deletesAnEmptyFolderAfterYes() {
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeWidget*>("903");

    m_messages.clear();
    m_messages.answer(kButtonNo);
    list->setCurrentItem(itemNamed(list, "empty"));
    QTest::keyClick(list, Qt::Key_Delete);
    QVERIFY(QFileInfo(m_dir->filePath("empty")).isDir());

    m_messages.answer(kButtonYes);
    list->setCurrentItem(itemNamed(list, "empty"));
    QTest::keyClick(list, Qt::Key_Delete);
    QVERIFY(!QFileInfo::exists(m_dir->filePath("empty")));
    QVERIFY(!itemNamed(list, "empty"));
    QCOMPARE(m_messages.shown().size(), size_t(2));
    QCOMPARE(m_messages.shown()[1].caption, u"Delete ?");
    QCOMPARE(m_messages.shown()[1].text, u"empty");
  }

  void okReturnsThePathAndTheLastFolder() {
    std::u16string path = u"before";
    std::u16string lastFolder = u"/previous/";
    // A missing name is refused silently; then a tap on a file and OK close the dialog.
    QTimer::singleShot(0, this, [this] {
      auto closing = qScopeGuard(closeIfStillOpen);
      FileBrowserDialog* dialog = modalBrowser();
      QVERIFY(dialog);
      auto* list = dialog->findChild<QTreeWidget*>("903");
      auto* box = dialog->findChild<QLineEdit*>("901");
      tapItem(list, "sub", true);
      box->setText("missing.bin");
      dialog->command(kCmdOk);
      QVERIFY(dialog->isVisible());
      QCOMPARE(m_messages.shown().size(), size_t(0));
      tapItem(list, "inner.bin");
      dialog->command(kCmdOk);
    });
    m_messages.clear();
    int result = runFileBrowser(nullptr, m_options, path, lastFolder, m_texts, m_messages);
    QCOMPARE(result, kBrowserOk);
    const std::u16string sub = m_dir->path().toStdU16String() + u"/sub/";
    QCOMPARE(path, sub + u"inner.bin");
    QCOMPARE(lastFolder, sub);
  }

  void doubleTapOnAFileConfirmsAndCancelChangesNothing() {
    std::u16string path = u"before";
    std::u16string lastFolder = u"/previous/";
    QTimer::singleShot(0, this, [] {
      auto closing = qScopeGuard(closeIfStillOpen);
      FileBrowserDialog* dialog = modalBrowser();
      QVERIFY(dialog);
      tapItem(dialog->findChild<QTreeWidget*>("903"), "sub", true);
      dialog->command(kCmdCancel);
    });
    QCOMPARE(runFileBrowser(nullptr, m_options, path, lastFolder, m_texts, m_messages),
             kBrowserCancel);
    QCOMPARE(path, u"before");
    QCOMPARE(lastFolder, u"/previous/");

    QTimer::singleShot(0, this, [] {
      FileBrowserDialog* dialog = modalBrowser();
      QVERIFY(dialog);
      tapItem(dialog->findChild<QTreeWidget*>("903"), "data.bin", true);
      // The double tap asks for OK once its own event is done.
      QTimer::singleShot(2000, closeIfStillOpen);
    });
    QCOMPARE(runFileBrowser(nullptr, m_options, path, lastFolder, m_texts, m_messages),
             kBrowserOk);
    QCOMPARE(path, m_dir->path().toStdU16String() + u"/data.bin");
  }

  void folderModeHidesTheBoxAndReturnsTheFolder() {
    m_options.folderMode = true;
    m_options.startFolder = m_dir->filePath("sub").toStdU16String();
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.findChild<QLineEdit*>("901")->isVisible());
    QCOMPARE(rowNames(dialog.findChild<QTreeWidget*>("903")), QStringList({"deeper"}));
    dialog.command(kCmdOk);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosenPath(), m_dir->filePath("sub").toStdU16String());
  }

  void everyNewListingStartsAtTheTop() {
    QDir root(m_dir->path());
    for (int i = 0; i < 60; ++i) root.mkpath(QString("many/f%1").arg(i, 2, 10, QChar('0')));
    for (int i = 0; i < 60; ++i) touch(root.filePath(QString("many/f59/g%1").arg(i, 2, 10, QChar('0'))));
    m_options.startFolder = root.filePath("many").toStdU16String();
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeWidget*>("903");
    QScrollBar* bar = list->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);

    list->scrollToBottom();
    QVERIFY(bar->value() > 0);
    tapItem(list, "f59", true);
    QCOMPARE(rowNames(list).first(), QString("g00"));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(list->itemAt(list->viewport()->rect().topLeft() + QPoint(1, 1))->text(0), QString("g00"));

    list->scrollToBottom();
    QVERIFY(bar->value() > 0);
    dialog.command(kCmdFolderUp);
    QCOMPARE(rowNames(list).first(), QString("f00"));
    QCOMPARE(bar->value(), 0);
  }

  void deletesFromTheToolsMenuIncludingALinkWhoseTargetIsGone() {
    QVERIFY(QFile::link(m_dir->filePath("gone.bin"), m_dir->filePath("dangling")));
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QTreeWidget*>("903");
    QVERIFY(itemNamed(list, "dangling"));
    auto* del = dialog.findChild<QAction*>(QString::number(kCmdDeleteEntry));
    QVERIFY(del);
    QCOMPARE(del->text(), QString("Delete"));

    m_messages.clear();
    m_messages.answer(kButtonYes);
    list->setCurrentItem(itemNamed(list, "dangling"));
    del->trigger();
    QCOMPARE(m_messages.shown().size(), size_t(1));
    QCOMPARE(m_messages.shown()[0].caption, u"Delete ?");
    QVERIFY(!itemNamed(list, "dangling"));
    QVERIFY(!QFileInfo(m_dir->filePath("dangling")).isSymLink());
  }

  void entriesThatAreNotFilesAreMarkedAndRefusedWithAReason() {
    QVERIFY(::mkfifo(QFile::encodeName(m_dir->filePath("pipe")).constData(), 0600) == 0);
    FileBrowserDialog dialog(nullptr, m_options, m_texts, m_messages);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.command(kCmdReportView);
    auto* list = dialog.findChild<QTreeWidget*>("903");
    auto* box = dialog.findChild<QLineEdit*>("901");
    QTreeWidgetItem* pipe = itemNamed(list, "pipe");
    QVERIFY(pipe);
    QCOMPARE(pipe->text(1), QString("FIFO"));
    QVERIFY(pipe->foreground(0).color() != itemNamed(list, "data.bin")->foreground(0).color());

    m_messages.clear();
    m_messages.answer(kButtonOk);
    m_messages.answer(kButtonOk);
    box->setText("data.bin");
    tapItem(list, "pipe");
    QCOMPARE(box->text(), QString("data.bin"));
    box->setText("pipe");
    dialog.command(kCmdOk);
    QVERIFY(dialog.isVisible());
    QCOMPARE(m_messages.shown().size(), size_t(2));
    for (const auto& shown : m_messages.shown()) {
      QCOMPARE(shown.caption, u"Not a file");
      QVERIFY(shown.text.starts_with(m_dir->filePath("pipe").toStdU16String() + u" is a named pipe"));
    }
  }

  void renamingTheChosenFileKeepsOkWorking() {
    std::u16string path;
    std::u16string lastFolder;
    QTimer::singleShot(0, this, [this] {
      auto closing = qScopeGuard(closeIfStillOpen);
      FileBrowserDialog* dialog = modalBrowser();
      QVERIFY(dialog);
      auto* list = dialog->findChild<QTreeWidget*>("903");
      auto* box = dialog->findChild<QLineEdit*>("901");
      tapItem(list, "notes.txt");
      QCOMPARE(box->text(), QString("notes.txt"));
      list->editItem(itemNamed(list, "notes.txt"), 0);
      QLineEdit* editor = nameEditor(list);
      QVERIFY(editor);
      editor->setText("kept.txt");
      QTest::keyClick(editor, Qt::Key_Return);
      QTRY_VERIFY(!dialog->model().labelEditing());
      QCOMPARE(box->text(), QString("kept.txt"));
      dialog->command(kCmdOk);
    });
    QCOMPARE(runFileBrowser(nullptr, m_options, path, lastFolder, m_texts, m_messages), kBrowserOk);
    QCOMPARE(path, m_dir->path().toStdU16String() + u"/kept.txt");
  }

  void takesEveryTextFromTheGermanModule() {
    Texts texts;
    auto german = std::make_unique<StringModule>();
    QVERIFY(german->load(qEnvironmentVariable("NIBBLET_TEST_BIN").toStdU16String() + u"/nibblet.exe.0407.mui"));
    texts.setModule(std::move(german));
    FileBrowserDialog dialog(nullptr, m_options, texts, m_messages);
    dialog.command(kCmdReportView);
    auto* list = dialog.findChild<QTreeWidget*>("903");
    QCOMPARE(list->headerItem()->text(0), QString("Name"));
    QCOMPARE(list->headerItem()->text(1), QString::fromUtf8("Gr\u00f6\u00dfe"));
    QCOMPARE(list->headerItem()->text(2), QString("Datum"));
    QCOMPARE(dialog.findChild<QAction*>(QString::number(kCmdDeleteEntry))->text(),
             QString::fromUtf8("L\u00f6schen"));

    m_messages.clear();
    m_messages.answer(kButtonNo);
    list->setCurrentItem(itemNamed(list, "notes.txt"));
    dialog.command(kCmdDeleteEntry);
    QCOMPARE(m_messages.shown().size(), size_t(1));
    QCOMPARE(m_messages.shown()[0].caption, u"L\u00f6schen?");
    QVERIFY(QFile::exists(m_dir->filePath("notes.txt")));
  }

 private:
  std::unique_ptr<QTemporaryDir> m_dir;
  FileBrowserOptions m_options;
  Texts m_texts;
  ScriptedMessageBox m_messages;
};

QTEST_MAIN(FileBrowserTest)
#include "file_browser_test.moc"
