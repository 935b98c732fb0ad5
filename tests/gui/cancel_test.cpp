// Stopping long work through the real window, offscreen: the panel with its Cancel button, a
// window that takes no other input meanwhile, and every kind of long work stopped at its first,
// middle and last report, with the files compared afterwards. The moment of the tap is chosen
// by the number of the report, never by time.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "core/document/edit_journal.h"
#include "core/document/hex_document.h"
#include "core/document/work_folder.h"
#include "core/i18n/command_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/registry_key.h"
#include "core/platform/unicode.h"
#include "core/settings/settings.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/modal_driver.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/test_files.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;
using nibblet::test::fileBytes;
using nibblet::test::ModalDriver;
using nibblet::test::named;

namespace {

enum When { Start, Middle, End };

// The report a row taps Cancel at, of `total` reports the same work makes when not stopped.
int reportFor(int when, int total) {
  return when == Start ? 1 : when == Middle ? (total + 1) / 2 : total;
}

void addWhenRows(const char* kind) {
  QTest::addRow("%s at the start", kind) << int(Start);
  QTest::addRow("%s in the middle", kind) << int(Middle);
  QTest::addRow("%s at the end", kind) << int(End);
}

QPointingDevice* finger() {
  static QPointingDevice* device = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
  return device;
}

void tap(QWidget* widget, QPoint at) {
  QTest::touchEvent(widget, finger()).press(0, at);
  QTest::touchEvent(widget, finger()).release(0, at);
}

void tap(QWidget* widget) { tap(widget, widget->rect().center()); }

// Runs `command` with the file browser answered by `name`.
void withFileChosen(const QString& name, const std::function<void()>& command) {
  ModalDriver browser(named("900"), [name](QWidget* dialog) {
    dialog->findChild<QLineEdit*>("901")->setText(name);
    QMetaObject::invokeMethod(dialog, "command", Q_ARG(int, kCmdOk));
  });
  command();
  QVERIFY(browser.seen());
}

// Answers every message box that comes up, Yes where `yes` says so and OK (or the first button)
// otherwise, and keeps the texts: a box nobody expected fails the test instead of hanging it.
class Boxes {
 public:
  explicit Boxes(std::function<bool(const QString&)> yes = {}) : m_yes(std::move(yes)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts << box->text();
      QAbstractButton* b = box->button(m_yes && m_yes(box->text()) ? QMessageBox::Yes : QMessageBox::Ok);
      (b ? b : box->buttons().first())->click();
    });
    m_timer.start(20);
  }
  QStringList texts;

 private:
  std::function<bool(const QString&)> m_yes;
  QTimer m_timer;
};

// The program with its window up, started with `settings` and `commandLine`; the panel shows
// from the first report.
struct Program {
  Program(const Settings& settings, const QString& commandLine = {}) {
    key.setBinary(u"main", settings.toBytes());
    app.start(toU16(commandLine));
    frame = app.mainFrame();
    cursor().setShowAfter(0);
  }
  ~Program() {
    cursor().setReportHook({});
    // Nothing kept on the way out: a question left (a test that failed half way) is answered No.
    ModalDriver no(nibblet::test::messageBox(), [](QWidget*) { ModalDriver::closeAll(); });
    frame->document().changeLog().clear();
    frame->close();
    app.finish();
  }
  QtWaitCursor& cursor() { return app.context().waitCursor; }
  HexDocument& document() { return frame->document(); }

  // Counts the reports `work` makes when nobody taps Cancel.
  int reportsOf(const std::function<void()>& work) {
    int reports = 0;
    cursor().setReportHook([&reports](int) { ++reports; });
    work();
    cursor().setReportHook({});
    return reports;
  }
  // Taps Cancel with a finger at report `n` of the next work; `armed`, when given, says from
  // when on reports count (the second half of a command, say).
  void cancelAt(int n, std::function<bool()> armed = {}) {
    m_seen = 0;
    tapped = false;
    cursor().setReportHook([this, n, armed](int) {
      if (tapped || (armed && !armed()) || ++m_seen != n) return;
      QPushButton* cancel = cursor().cancelButton();
      QVERIFY(cancel && cancel->isVisible() && cancel->isEnabled());
      tap(cancel);
      tapped = true;
      QVERIFY(!cancel->isEnabled());  // taken: a second tap does nothing more
    });
  }

  MemoryRegistryKey key;
  Application app{key};
  MainFrame* frame = nullptr;
  bool tapped = false;

 private:
  int m_seen = 0;
};

bool hasMark(const HexView& view, MarkKind kind) {
  std::vector<Mark> marks;
  view.collectMarks(marks);
  for (const Mark& m : marks)
    if (m.kind == kind) return true;
  return false;
}

}  // namespace

class CancelTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;
  QByteArray m_content;  // 8 MiB that no two offsets of a page share

  QString makeFile(const QString& name, const QByteArray& bytes) { return test::writeTestFile(m_dir, name, bytes); }
  QString workFolder() const { return m_dir.filePath("cache/nibblet"); }
  static Settings settings(int openMode) {
    Settings s = Settings::defaults(defaultWorkPath());
    s.openMode = openMode;
    return s;
  }
  // Files a piece of work left in `folder` (helper files start with "nb").
  static QStringList leftIn(const QString& folder) {
    return QDir(folder).entryList({"nb*", ".nb*"}, QDir::Files | QDir::Hidden);
  }

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
    m_content.resize(8 << 20);
    for (int i = 0; i < m_content.size(); ++i) m_content[i] = char((i * 7) ^ (i >> 12));
  }

  void thePanelTakesATapWhileTheWindowStaysInert() {
    QString path = makeFile("inert.bin", m_content);
    QByteArray other = m_content;
    for (int i = 0; i < other.size(); i += 4096) other[i] = char(~other[i]);
    makeFile("inert-other.bin", other);
    Program p(settings(0), path);
    QVERIFY(QTest::qWaitForWindowExposed(p.frame));
    p.app.context().lastFolder = toU16(m_dir.path() + "/");
    HexViewWidget* view = p.frame->view();
    QVERIFY(view);

    // At the second report: the panel is up, named for accessibility, and large enough for a
    // finger; taps, clicks and keys meant for the window go nowhere.
    bool checked = false;
    p.cursor().setReportHook([&](int report) {
      if (report != 2) return;
      checked = true;
      QPushButton* cancel = p.cursor().cancelButton();
      QProgressBar* bar = p.cursor().bar();
      QVERIFY(cancel && bar && cancel->window()->isVisible());
      QCOMPARE(QApplication::activeModalWidget(), cancel->window());
      QCOMPARE(cancel->text(), QString("Cancel"));
      QVERIFY(cancel->height() >= physicalPixels(9.0, cancel));
      QAccessibleInterface* barInfo = QAccessible::queryAccessibleInterface(bar);
      QAccessibleInterface* buttonInfo = QAccessible::queryAccessibleInterface(cancel);
      QVERIFY(barInfo && buttonInfo);
      QCOMPARE(barInfo->role(), QAccessible::ProgressBar);
      QCOMPARE(barInfo->text(QAccessible::Name), QString("Progress"));
      QCOMPARE(buttonInfo->role(), QAccessible::Button);
      QCOMPARE(buttonInfo->text(QAccessible::Name), QString("Cancel"));
      tap(view, view->clientOrigin() + QPoint(view->width() / 2, view->height() / 3));
      QTest::mouseClick(view, Qt::LeftButton, {}, view->clientOrigin() + QPoint(5, 40));  // the offset column
      QTest::keyClick(p.frame, Qt::Key_Escape);  // would close the document
      QTest::mouseClick(p.frame->menuBar(), Qt::LeftButton, {}, QPoint(10, 10));
    });
    {
      Boxes boxes;
      withFileChosen("inert-other.bin", [&] { p.frame->onCommand(kCmdCompare); });
      QCOMPARE(boxes.texts, QStringList("2048 difference(s) found. Tap-and-hold for see."));
    }
    QVERIFY(checked);
    QVERIFY(!p.cursor().cancelButton()->window()->isVisible());
    // Nothing of the dropped input comes later either.
    QCoreApplication::processEvents();
    QTest::qWait(50);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(QApplication::activePopupWidget() == nullptr);
    QVERIFY(p.document().isOpen());
    QCOMPARE(p.document().changeLog().count(), 0u);

    // Escape on the panel is a Cancel too, for a desktop's keyboard.
    p.cursor().setReportHook([&](int report) {
      if (report == 3) QTest::keyClick(p.cursor().cancelButton(), Qt::Key_Escape);
    });
    Boxes boxes;
    withFileChosen("inert-other.bin", [&] { p.frame->onCommand(kCmdCompare); });
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(p.document().diffSet().count(), 0u);
  }

  void aStoppedOpenLeavesNoCopyAndOpensNothing_data() {
    QTest::addColumn<bool>("backup");
    QTest::addColumn<int>("when");
    for (bool backup : {false, true}) {
      const char* kind = backup ? "backup" : "temporary copy";
      QTest::addRow("%s at the start", kind) << backup << int(Start);
      QTest::addRow("%s in the middle", kind) << backup << int(Middle);
      QTest::addRow("%s at the end", kind) << backup << int(End);
    }
  }
  void aStoppedOpenLeavesNoCopyAndOpensNothing() {
    QFETCH(bool, backup);
    QFETCH(int, when);
    QString path = makeFile("opened.bin", m_content);
    QString backups = m_dir.filePath("backups");
    QString oldBackup = backups + "/opened.bin.bak";
    Settings s = settings(backup ? 0 : 1);
    if (backup) QVERIFY(setText(s.backupPath, toU16(backups)));
    int total = 0;
    {
      Program dry(s);
      total = dry.reportsOf([&] {
        dry.document().setPath(toU16(path));
        QVERIFY(dry.document().openDocument());
      });
    }
    QVERIFY(total >= 1);
    if (backup) {
      QVERIFY(QFile::remove(oldBackup));
      makeFile("backups/opened.bin.bak", "an older backup");
    }

    // Started with the file: the window is on the screen before the copy starts.
    Program p(s, path);
    bool shownFirst = false;
    p.cancelAt(reportFor(when, total), [&] {
      shownFirst = p.frame->windowHandle() && p.frame->windowHandle()->isExposed();
      return true;
    });
    Boxes boxes;
    QVERIFY(p.document().path().empty());
    QTRY_VERIFY_WITH_TIMEOUT(p.tapped, 60000);
    QVERIFY(shownFirst);
    QVERIFY(!p.document().isOpen());
    QVERIFY(p.frame->view() == nullptr);
    QCOMPARE(p.frame->windowTitle(), QString("Nibblet"));
    QVERIFY(!p.frame->action(kCmdSave)->isEnabled());
    QVERIFY(!p.frame->action(kCmdUndo)->isEnabled());
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(fileBytes(path), m_content);
    QCOMPARE(leftIn(workFolder()), QStringList());
    if (backup) {
      QCOMPARE(fileBytes(oldBackup), QByteArray("an older backup"));
      QCOMPARE(QDir(backups).entryList(QDir::Files | QDir::Hidden), QStringList("opened.bin.bak"));
    }
  }

  void aStoppedSaveKeepsTheFileAndTheDocument_data() {
    QTest::addColumn<bool>("rewritten");
    QTest::addColumn<int>("when");
    for (bool rewritten : {false, true}) {
      const char* kind = rewritten ? "save over a file rewritten meanwhile" : "save of a file gone meanwhile";
      QTest::addRow("%s at the start", kind) << rewritten << int(Start);
      QTest::addRow("%s in the middle", kind) << rewritten << int(Middle);
      QTest::addRow("%s at the end", kind) << rewritten << int(End);
    }
  }
  void aStoppedSaveKeepsTheFileAndTheDocument() {
    // Saves that write the whole file: the user's file went away and is made anew, or another
    // program rewrote it and the copy goes over it in place.
    QFETCH(bool, rewritten);
    QFETCH(int, when);
    QString path = m_dir.filePath("saved.bin");
    QByteArray theirs = m_content;
    for (int i = 0; i < theirs.size(); i += 4096) theirs[i] = char(~theirs[i]);
    Program p(settings(1));
    QVERIFY(QTest::qWaitForWindowExposed(p.frame));
    auto reopen = [&] {
      p.document().changeLog().clear();
      QVERIFY(p.document().close());
      makeFile("saved.bin", m_content);
      p.document().setPath(toU16(path));
      QVERIFY(p.document().openDocument());
      p.document().changeLog().append(9, p.document().bytes()[9], 'S');
      p.document().bytes()[9] = 'S';
      if (rewritten) makeFile("saved.bin", theirs);
      else QVERIFY(QFile::remove(path));
    };
    reopen();
    Boxes boxes([](const QString& text) {
      return text.startsWith("Write changes") || text.contains("changed by another program");
    });
    int total = p.reportsOf([&] { QVERIFY(p.document().save(false)); });
    QVERIFY(total >= 2);
    QCOMPARE(boxes.texts.last(), "File " + path + " saved.");
    reopen();

    boxes.texts.clear();
    p.cancelAt(reportFor(when, total));
    p.frame->onCommand(kCmdSave);
    QVERIFY(p.tapped);
    QStringList asked{"Write changes to file " + path + "?"};
    if (rewritten) asked << path + " was changed by another program since it was opened. Overwrite it?";
    QCOMPARE(boxes.texts, asked);
    // The file as it was, in full; nothing left beside it, and only the copy and its crash
    // journal in the work folder.
    if (rewritten) QCOMPARE(fileBytes(path), theirs);
    else QVERIFY(!QFile::exists(path));
    QCOMPARE(leftIn(m_dir.path()), QStringList());
    QStringList work = QDir(workFolder()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(work.size(), 2);
    for (const QString& name : work) QVERIFY2(name.endsWith(".tmp") || name.endsWith(".jnl"), qPrintable(name));
    QVERIFY(p.document().isOpen());
    QCOMPARE(p.document().changeLog().count(), 1u);
    QVERIFY(p.frame->action(kCmdSave)->isEnabled());
    // The kept document saves when let be.
    QVERIFY(p.document().save(false));
    QTRY_COMPARE(boxes.texts.last(), "File " + path + " saved.");
    QByteArray expected = m_content;
    expected[9] = 'S';
    QCOMPARE(fileBytes(path), expected);
  }

  void aStoppedSearchMovesNothing_data() {
    QTest::addColumn<bool>("next");
    QTest::addColumn<int>("when");
    for (bool next : {false, true}) {
      const char* kind = next ? "search next" : "search";
      QTest::addRow("%s at the start", kind) << next << int(Start);
      QTest::addRow("%s in the middle", kind) << next << int(Middle);
      QTest::addRow("%s at the end", kind) << next << int(End);
    }
  }
  void aStoppedSearchMovesNothing() {
    QFETCH(bool, next);
    QFETCH(int, when);
    // 112 MiB of zeros with "AB" once near the start: a search for anything else walks it all.
    QByteArray zeros(112 << 20, '\0');
    zeros.replace(0x2000, 2, "AB");
    QString path = makeFile("searched.bin", zeros);
    Program p(settings(0), path);
    QVERIFY(QTest::qWaitForWindowExposed(p.frame));
    HexViewWidget* view = p.frame->view();
    auto search = [&](const QString& text, std::function<void(QWidget*)> afterOk = {}) {
      ModalDriver dialog(named(QString::number(kDialogEntry)), [&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QString::number(kIdEntryEdit))->setText(text);
        dialog->findChild<QToolButton*>(QString::number(kCmdOk))->click();
        if (afterOk) afterOk(dialog);
      });
      p.frame->onCommand(kCmdSearch);
      QVERIFY(dialog.seen());
    };
    search("AB");
    const HexView& core = view->view();
    QCOMPARE(core.searchMatch(), 0x2000u);
    view->gotoOffset(0x1000);  // the hit stays marked, the view elsewhere
    const std::uint32_t top = core.topOffset();
    const std::vector<std::uint8_t> pattern = core.searchState().pattern;

    bool dialogStayed = false;
    auto stoppedSearch = [&] {
      search("CD", [&](QWidget* dialog) {
        dialogStayed = dialog->isVisible();
        dialog->findChild<QToolButton*>(QString::number(kCmdCancel))->click();
      });
    };
    Boxes boxes;
    int total = p.reportsOf([&] {
      if (next) p.frame->onCommand(kCmdSearchNext);
      else search("CD", [](QWidget* dialog) { dialog->findChild<QToolButton*>(QString::number(kCmdCancel))->click(); });
    });
    QVERIFY(total >= 2);
    QCOMPARE(boxes.texts, QStringList("Not found"));
    boxes.texts.clear();
    search("AB");
    view->gotoOffset(0x1000);

    p.cancelAt(reportFor(when, total));
    if (next) p.frame->onCommand(kCmdSearchNext);
    else stoppedSearch();
    QVERIFY(p.tapped);
    QVERIFY(next || dialogStayed);  // the pattern can be changed and tried again
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(core.searchMatch(), 0x2000u);
    QCOMPARE(core.searchLength(), 2u);
    QCOMPARE(core.searchState().pattern, pattern);
    QCOMPARE(core.topOffset(), top);
    view->gotoOffset(0x2000);
    QVERIFY(hasMark(core, MarkKind::SearchResult));
    QCOMPARE(fileBytes(path), zeros);
  }

  void aStoppedCompareLeavesNoDifference_data() {
    QTest::addColumn<int>("when");
    addWhenRows("compare");
  }
  void aStoppedCompareLeavesNoDifference() {
    QFETCH(int, when);
    QString path = makeFile("compared.bin", m_content);
    QByteArray other = m_content;
    for (int i = 0; i < other.size(); i += 1000) other[i] = char(~other[i]);
    makeFile("compared-other.bin", other);
    Program p(settings(0), path);
    QVERIFY(QTest::qWaitForWindowExposed(p.frame));
    p.app.context().lastFolder = toU16(m_dir.path() + "/");
    HexViewWidget* view = p.frame->view();
    auto compare = [&] { withFileChosen("compared-other.bin", [&] { p.frame->onCommand(kCmdCompare); }); };
    int total;
    {
      Boxes boxes;
      total = p.reportsOf(compare);
      QCOMPARE(boxes.texts.size(), 1);
    }
    QVERIFY(total >= 2);
    p.frame->onCommand(kCmdClearDifferences);
    view->gotoOffset(0x40000);
    const std::uint32_t top = view->view().topOffset();

    Boxes boxes;
    p.cancelAt(reportFor(when, total));
    compare();
    QVERIFY(p.tapped);
    QCOMPARE(boxes.texts, QStringList());
    QCOMPARE(p.document().diffSet().count(), 0u);
    QVERIFY(p.document().comparePath().empty());
    QVERIFY(!hasMark(view->view(), MarkKind::Difference));
    QCOMPARE(view->view().topOffset(), top);
    QCOMPARE(fileBytes(path), m_content);
    QCOMPARE(fileBytes(m_dir.filePath("compared-other.bin")), other);
  }

  void aStoppedImportTakesBackWhatItWrote_data() {
    QTest::addColumn<bool>("writing");
    QTest::addColumn<int>("when");
    QTest::addRow("reading at the start") << false << int(Start);
    QTest::addRow("reading at the end") << false << int(End);
    QTest::addRow("writing at the start") << true << int(Start);
    QTest::addRow("writing in the middle") << true << int(Middle);
    QTest::addRow("writing at the end") << true << int(End);
  }
  void aStoppedImportTakesBackWhatItWrote() {
    QFETCH(bool, writing);
    QFETCH(int, when);
    // 50,000 lines, each changing one byte of the file as it is now.
    QByteArray text = ";Nibblet diff file\n";
    for (int i = 0; i < 50000; ++i) {
      int at = 64 + i * 160;
      text += QString("%1: %2 %3\n")
                  .arg(at, 8, 16, QChar('0'))
                  .arg(quint8(m_content[at]), 2, 16, QChar('0'))
                  .arg(quint8(~m_content[at]), 2, 16, QChar('0'))
                  .toUpper()
                  .toLatin1();
    }
    makeFile("import.txt", text);
    QString path = makeFile("imported.bin", m_content);
    QByteArray edited = m_content;
    edited[5] = 'E';

    Program p(settings(0), path);
    QVERIFY(QTest::qWaitForWindowExposed(p.frame));
    p.app.context().lastFolder = toU16(m_dir.path() + "/");
    HexDocument& document = p.document();
    auto editFirst = [&] {  // an edit of the user's before the import
      document.changeLog().append(5, document.bytes()[5], 'E');
      document.bytes()[5] = 'E';
    };
    editFirst();
    bool answered = false;
    Boxes boxes([&](const QString& text) {
      if (text.contains("will change")) answered = true;
      return text.contains("will change") || text.startsWith("Undo all");
    });
    auto import = [&] {
      answered = false;
      withFileChosen("import.txt", [&] { p.frame->onCommand(kCmdImportDiff); });
    };
    // How many reports the reading and the writing make.
    int reading = 0, written = 0;
    p.cursor().setReportHook([&](int) { ++(answered ? written : reading); });
    import();
    p.cursor().setReportHook({});
    QVERIFY(reading >= 2 && written >= 3);
    QCOMPARE(document.changeLog().count(), 50001u);
    p.frame->onCommand(kCmdUndoAll);
    editFirst();
    QCOMPARE(fileBytes(path), edited);
    QCOMPARE(boxes.texts.size(), 3);
    boxes.texts.clear();

    p.cancelAt(reportFor(when, writing ? written : reading), [&] { return answered == writing; });
    import();
    QVERIFY(p.tapped);
    QCOMPARE(boxes.texts.size(), writing ? 1 : 0);  // the preview, when it came to writing
    // The document is as it was, in the file, in the log and in its crash journal.
    QCOMPARE(fileBytes(path), edited);
    QCOMPARE(document.changeLog().count(), 1u);
    QCOMPARE(document.changeLog().entry(0).offset, 5u);
    std::vector<Mark> marks;
    p.frame->view()->view().collectMarks(marks);
    for (const Mark& m : marks)
      if (m.kind == MarkKind::Change) QCOMPARE(m.offset, 5u);
    std::u16string journal = HexDocument::journalName(
        HexDocument::temporaryCopyName(toU16(workFolder()), static_cast<std::uint32_t>(::getpid()), toU16(path)));
    int fd = ::open(toUtf8(journal).c_str(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    EditJournalContents recorded;
    QVERIFY(EditJournal::read(fd, recorded));
    ::close(fd);
    QCOMPARE(recorded.entries.size(), std::size_t{1});
    QCOMPARE(recorded.entries[0].offset, 5u);
    QCOMPARE(recorded.entries[0].newValue, std::uint8_t('E'));
  }

  void aStoppedExportLeavesNoHalfWrittenFile_data() {
    QTest::addColumn<bool>("replacing");
    QTest::addColumn<int>("when");
    for (bool replacing : {false, true}) {
      const char* kind = replacing ? "over a file" : "a new file";
      QTest::addRow("%s at the start", kind) << replacing << int(Start);
      QTest::addRow("%s in the middle", kind) << replacing << int(Middle);
      QTest::addRow("%s at the end", kind) << replacing << int(End);
    }
  }
  void aStoppedExportLeavesNoHalfWrittenFile() {
    QFETCH(bool, replacing);
    QFETCH(int, when);
    QString path = makeFile("exported.bin", m_content);
    QString target = m_dir.filePath("exports/out.txt");
    QVERIFY(QDir().mkpath(m_dir.filePath("exports")));
    QFile::remove(target);
    Program p(settings(0), path);
    QVERIFY(QTest::qWaitForWindowExposed(p.frame));
    p.app.context().lastFolder = toU16(m_dir.filePath("exports") + "/");
    // 300,000 differences: a few megabytes of text.
    std::vector<DiffEntry> entries;
    for (std::uint32_t i = 0; i < 300000; ++i) entries.push_back({i * 20, 1, 2});
    QVERIFY(p.document().diffSet().append(entries.data(), entries.size()) == AppendResult::Stored);
    p.document().comparePath() = u"other.bin";
    auto exportIt = [&] { withFileChosen("out.txt", [&] { p.frame->onCommand(kCmdSaveDifferences); }); };
    int total = p.reportsOf(exportIt);
    QVERIFY(total >= 3);
    QVERIFY(QFile::remove(target));
    if (replacing) makeFile("exports/out.txt", "an older export");

    Boxes boxes;
    p.cancelAt(reportFor(when, total));
    exportIt();
    QVERIFY(p.tapped);
    QCOMPARE(boxes.texts, QStringList());
    QStringList left = QDir(m_dir.filePath("exports")).entryList(QDir::Files | QDir::Hidden);
    if (replacing) {
      QCOMPARE(left, QStringList("out.txt"));
      QCOMPARE(fileBytes(target), QByteArray("an older export"));
    } else {
      QCOMPARE(left, QStringList());
    }
    QCOMPARE(p.document().diffSet().count(), 300000u);
    QCOMPARE(fileBytes(path), m_content);
  }
};

QTEST_MAIN(CancelTest)
#include "cancel_test.moc"
