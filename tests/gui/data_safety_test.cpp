// The real window, offscreen, where the user's file is at stake: a Yes/No question answered only
// by Yes or No, a window that stays while its save failed, the recovery of a crashed run, and a
// file shortened under the open document.

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <deque>
#include <functional>

#include "gui/platform/modal_sheet.h"
#include "gui/test_files.h"
#include "core/document/hex_document.h"
#include "core/document/work_folder.h"
#include "core/i18n/command_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/registry_key.h"
#include "core/platform/unicode.h"
#include "core/platform/wait_cursor.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/platform/qt_text.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;
using nibblet::test::fileBytes;

namespace {

struct Answer {
  QString text;  // the box's text, when one was seen
  bool stayedAfterEscape = false;
};

// Answers the program's message boxes in the order they come, with the buttons queued by
// answerLater. A poll, not a one-shot timer: a box that comes late is still answered, and one
// nobody expects is closed (and recorded) after a grace period, so no test waits for ever.
struct BoxAnswerer {
  struct Pending {
    Answer* answer;
    QMessageBox::StandardButton button;
  };
  std::deque<Pending> pending;
  QStringList unexpected;
  QTimer poll;
  QElapsedTimer strayFor;

  BoxAnswerer() {
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [this] { tick(); });
  }
  void tick() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
      strayFor.invalidate();
      return;
    }
    if (pending.empty()) {
      if (!strayFor.isValid()) strayFor.start();
      if (strayFor.elapsed() < 2000) return;
      unexpected << box->text();
      QAbstractButton* any = box->button(QMessageBox::No) ? box->button(QMessageBox::No) : box->button(QMessageBox::Ok);
      if (!any && !box->buttons().isEmpty()) any = box->buttons().first();
      if (any) any->click();
      return;
    }
    Pending next = pending.front();
    pending.pop_front();
    next.answer->text = box->text();
    // Escape and closing must leave a Yes/No question open; then the queued button answers it.
    QTest::keyClick(box, Qt::Key_Escape);
    box->close();
    QApplication::processEvents();
    next.answer->stayedAfterEscape = box->isVisible() && QApplication::activeModalWidget() == box;
    if (QAbstractButton* b = box->button(next.button)) b->click();
  }
};

BoxAnswerer& answerer() {
  static BoxAnswerer* one = new BoxAnswerer;
  return *one;
}

// Runs a real event loop, as the program's own between events (so its idle checks run), until
// `done` holds or `ms` have passed; returns whether `done` held.
bool runUntil(const std::function<bool()>& done, int ms) {
  QEventLoop loop;
  QTimer check;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&check, &QTimer::timeout, [&] {
    if (done() || clock.elapsed() > ms) loop.quit();
  });
  check.start(20);
  loop.exec();
  return done();
}

// Queues `button` as the answer to the next message box, and notes what the box showed.
void answerLater(Answer& answer, QMessageBox::StandardButton button) {
  answerer().pending.push_back({&answer, button});
  if (!answerer().poll.isActive()) answerer().poll.start();
}

}  // namespace

class DataSafetyTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

  QString makeFile(const QString& name, const QByteArray& bytes) { return test::writeTestFile(m_dir, name, bytes); }


  static void edit(HexDocument& document, std::uint32_t offset, std::uint8_t value) {
    document.changeLog().append(offset, document.bytes()[offset], value);
    document.bytes()[offset] = value;
  }

  // Opens `path` in `openMode` in a forked child that edits it and dies without closing it.
  void crashWhileEditing(const QString& path, int openMode, const std::function<void(HexDocument&)>& edits) {
    pid_t pid = ::fork();
    if (pid == 0) {
      Settings settings = Settings::defaults(defaultWorkPath());
      settings.openMode = openMode;
      MemoryRegistryKey key;
      RecentFiles recent;
      Texts texts;
      ScriptedMessageBox messages;
      NullWaitCursor cursor;
      NoDocumentWindow window;
      HexDocument document(DocumentServices{settings, key, recent, texts, messages, cursor, 0x77}, window);
      document.setPath(toU16(path));
      if (!document.openDocument()) ::_exit(1);
      edits(document);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    QCOMPARE(WEXITSTATUS(status), 0);
  }

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
  }

  // Every box a test expected came, and no other.
  void cleanup() {
    QCOMPARE(answerer().unexpected, QStringList());
    QVERIFY(answerer().pending.empty());
    answerer().unexpected.clear();
    answerer().pending.clear();
  }

  void aFileReplacedUnderADocumentOnTheSpotIsAskedAboutWhenIdle() {
    QString path = makeFile("renamed.bin", QByteArray(256, 'r'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    edit(frame->document(), 3, 'E');
    // Another program writes its own file and renames it over this one.
    QString other = makeFile("renamed.new", QByteArray(256, 'o'));
    QVERIFY(::rename(other.toUtf8().constData(), path.toUtf8().constData()) == 0);
    Answer question, kept;
    answerLater(question, QMessageBox::No);
    answerLater(kept, QMessageBox::Ok);
    QVERIFY(runUntil([&] { return frame->view() == nullptr; }, 30000));
    QVERIFY(question.text.startsWith(path + " was replaced by another program while it was open on the spot."));
    QCOMPARE(kept.text, "The edited file was kept as " + path + ".edited.");
    QCOMPARE(fileBytes(path), QByteArray(256, 'o'));
    QByteArray edited(256, 'r');
    edited[3] = 'E';
    QCOMPARE(fileBytes(path + ".edited"), edited);
    QVERIFY(!frame->action(kCmdUndo)->isEnabled());
    QCOMPARE(frame->windowTitle(), QString("Nibblet"));
    frame->close();
    program.finish();
  }

  void aSettingsStoreThatFailsIsToldOnce() {
    struct FailingKey : MemoryRegistryKey {
      bool setBinary(const std::u16string&, const std::vector<std::uint8_t>&) override { return false; }
    } key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    Answer told;
    answerLater(told, QMessageBox::Ok);
    frame->onCommand(kCmdSettings);
    frame->onCommand(kCmdOk);
    QCOMPARE(told.text,
             QString("The settings could not be stored. Choices made in the settings will be lost when Nibblet ends."));
    frame->onCommand(kCmdSettings);
    frame->onCommand(kCmdOk);  // not told again: any box now would be unexpected
    frame->close();
    program.finish();
  }

  void yesNoQuestionsAreAnsweredOnlyByYesOrNo() {
    QString path = makeFile("esc.bin", QByteArray(64, 'e'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    edit(frame->document(), 0, 'X');

    // Undo All's question: Escape and closing leave it; No then changes nothing.
    Answer undoAll;
    answerLater(undoAll, QMessageBox::No);
    frame->onCommand(kCmdUndoAll);
    QCOMPARE(undoAll.text, QString("Undo all maked (1) changes?"));
    QVERIFY(undoAll.stayedAfterEscape);
    QCOMPARE(fileBytes(path).at(0), 'X');

    // Escape on the window gives Close; its "keep changes?" question waits for Yes or No.
    Answer keep;
    answerLater(keep, QMessageBox::Yes);
    QTest::keyClick(frame, Qt::Key_Escape);
    QVERIFY(keep.text.startsWith("In this mode"));
    QVERIFY(keep.stayedAfterEscape);
    QVERIFY(frame->view() == nullptr);
    QCOMPARE(fileBytes(path).at(0), 'X');

    // A temporary copy: "Save changes?" and "Write changes to file ...?" the same way.
    program.context().settings.openMode = 1;
    frame->document().setPath(toU16(path));
    QVERIFY(frame->document().openDocument());
    edit(frame->document(), 1, 'Y');
    Answer write;
    answerLater(write, QMessageBox::No);
    frame->onCommand(kCmdSave);
    QVERIFY(write.text.startsWith("Write changes to file"));
    QVERIFY(write.stayedAfterEscape);
    Answer save;
    answerLater(save, QMessageBox::No);
    frame->onCommand(kCmdClose);
    QCOMPARE(save.text, QString("Save changes?"));
    QVERIFY(save.stayedAfterEscape);
    QCOMPARE(fileBytes(path).at(1), 'e');
    frame->close();
    program.finish();
  }

  void aWindowWhoseSaveWasNotDoneStaysOpen() {
    QString path = makeFile("stay.bin", QByteArray(64, 's'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    program.context().settings.openMode = 1;
    frame->document().setPath(toU16(path));
    QVERIFY(frame->document().openDocument());
    edit(frame->document(), 0, 'Z');
    // Another program rewrites the file; the user declines to overwrite it.
    makeFile("stay.bin", QByteArray(64, 'o'));
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::ReadWrite));
      QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    }
    Answer save, overwrite;
    answerLater(save, QMessageBox::Yes);
    answerLater(overwrite, QMessageBox::No);
    frame->close();
    QVERIFY(overwrite.text.endsWith("was changed by another program since it was opened. Overwrite it?"));
    QVERIFY(frame->isVisible());
    QVERIFY(frame->view() != nullptr);
    QCOMPARE(fileBytes(path), QByteArray(64, 'o'));

    // No to "Save changes?" then closes, and the copy goes.
    QString copy = toQString(frame->document().path());
    Answer discard;
    answerLater(discard, QMessageBox::No);
    frame->onCommand(kCmdExit);
    QVERIFY(!frame->isVisible());
    QVERIFY(!QFile::exists(copy));
    program.finish();
  }

  void aFullDiskAtSaveAndAtExitKeepsTheEdits() {
    QString small = m_dir.filePath("small");
    QDir().mkpath(small);
    if (::mount("tmpfs", small.toUtf8().constData(), "tmpfs", 0, "size=512k,mode=0700") != 0)
      QSKIP("mounting a tmpfs needs root");
    QString path = makeFile("full.bin", QByteArray(64 * 1024, 'f'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    program.context().settings.openMode = 1;
    setText(program.context().settings.workPath, toU16(small + "/work"));
    frame->document().setPath(toU16(path));
    QVERIFY(frame->document().openDocument());
    edit(frame->document(), 7, 'W');
    QString copy = toQString(frame->document().path());
    {
      QFile filler(small + "/filler");
      QVERIFY(filler.open(QIODevice::WriteOnly));
      QByteArray block(4096, 'x');
      while (filler.write(block) == block.size()) {
      }
    }
    // Every box is answered Yes or OK, and the texts are kept in order.
    QStringList texts;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(activeDialog())) {
        texts << box->text();
        (box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->button(QMessageBox::Ok))->click();
      }
    });
    poll.start(30);
    frame->onCommand(kCmdSave);
    frame->onCommand(kCmdExit);
    // The work folder is full, not the user's file's disk: the message says so.
    const QString error = "Error 28 in the work folder " + small + "/work, so " + path +
                          " was not saved. The changes are still in the document.";
    QCOMPARE(texts, QStringList({"Write changes to file " + path + "?", error, "Save changes?", error}));
    QVERIFY(frame->isVisible());
    QVERIFY(frame->view() != nullptr);
    QVERIFY(QFile::exists(copy));
    QCOMPARE(fileBytes(path), QByteArray(64 * 1024, 'f'));

    QFile::remove(small + "/filler");
    texts.clear();
    frame->onCommand(kCmdExit);
    poll.stop();
    QCOMPARE(texts, QStringList({"Save changes?", "File " + path + " saved."}));
    QVERIFY(!frame->isVisible());
    QCOMPARE(fileBytes(path).at(7), 'W');
    QVERIFY(!QFile::exists(copy));
    program.finish();
    ::umount2(small.toUtf8().constData(), MNT_DETACH);
  }

  void aCrashedRunIsRecoveredThroughTheWindow() {
    QString copyFile = makeFile("copy.bin", QByteArray(256, 'c'));
    crashWhileEditing(copyFile, 1, [](HexDocument& d) {
      edit(d, 10, 'A');
      edit(d, 11, 'B');
    });
    QString spotFile = makeFile("spot.bin", QByteArray(256, 'p'));
    crashWhileEditing(spotFile, 0, [](HexDocument& d) { edit(d, 20, 'Q'); });
    QCOMPARE(fileBytes(spotFile).at(20), 'Q');

    MemoryRegistryKey key;
    Application program(key);
    Answer recover;
    answerLater(recover, QMessageBox::Yes);
    program.start(toU16(copyFile));
    MainFrame* frame = program.mainFrame();
    QCOMPARE(recover.text, "Recover the unsaved changes to " + copyFile + "?");
    QVERIFY(frame->view() != nullptr);
    QCOMPARE(frame->windowTitle(), QString("copy.bin"));
    QVERIFY(frame->action(kCmdSave)->isEnabled());
    QCOMPARE(frame->document().changeLog().count(), 2u);
    QCOMPARE(frame->document().bytes()[11], std::uint8_t('B'));
    QCOMPARE(fileBytes(copyFile).at(10), 'c');
    Answer save, saved;
    answerLater(save, QMessageBox::Yes);
    answerLater(saved, QMessageBox::Ok);
    QVERIFY(frame->document().close());
    QCOMPARE(save.text, QString("Save changes?"));
    QCOMPARE(saved.text, "File " + copyFile + " saved.");
    QCOMPARE(fileBytes(copyFile).mid(10, 2), QByteArray("AB"));

    Answer undo;
    answerLater(undo, QMessageBox::Yes);
    frame->document().setPath(toU16(spotFile));
    QVERIFY(frame->document().openDocument());
    QVERIFY(undo.text.contains("Show the 1 change(s) made then"));
    frame->onCommand(kCmdUndo);
    QCOMPARE(fileBytes(spotFile), QByteArray(256, 'p'));
    frame->close();
    program.finish();
    QDir work(m_dir.filePath("cache/nibblet"));
    QCOMPARE(work.entryList(QDir::Files | QDir::Hidden).size(), 0);
  }

  void aTerminateSignalEndsTheProgramCleanly() {
    QString path = makeFile("term.bin", QByteArray(4096, 't'));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", m_dir.filePath("termcache"));
    env.insert("XDG_CONFIG_HOME", m_dir.filePath("termconfig"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(qEnvironmentVariable("NIBBLET_TEST_BIN") + "/nibblet", {path});
    QVERIFY(program.waitForStarted());
    // The document is open once its crash journal is in the work folder.
    QDir work(m_dir.filePath("termcache/nibblet"));
    QTRY_COMPARE(work.entryList({"nbt*.jnl"}, QDir::Files).size(), 1);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // Nothing was edited, so nothing is kept; the settings were stored on the way out.
    QCOMPARE(work.entryList(QDir::Files | QDir::Hidden).size(), 0);
    QVERIFY(QFile::exists(m_dir.filePath("termconfig/vq/pelta.conf")));
    QCOMPARE(fileBytes(path), QByteArray(4096, 't'));
  }

  void longWorkShowsItsProgressAndKeepsTheWindowPainted() {
    // A large sparse file opened as a temporary copy: the copy takes a while.
    QString path = m_dir.filePath("sparse.bin");
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      QVERIFY(f.resize(256 << 20));
    }
    MemoryRegistryKey key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    program.context().settings.openMode = 1;
    // Shown from the start here, so the test does not depend on the machine's speed.
    program.context().waitCursor.setShowAfter(0);
    int highest = -1, polls = 0;
    bool closeAsked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      ++polls;  // timers still run: the window is kept alive during the copy
      if (QProgressBar* bar = program.context().waitCursor.bar(); bar && bar->isVisible()) {
        highest = std::max(highest, bar->value());
        // A close asked for meanwhile (the window's close button) waits for the work.
        if (!closeAsked && bar->value() > 0) {
          closeAsked = true;
          frame->close();
        }
      }
    });
    poll.start(1);
    frame->document().setPath(toU16(path));
    QVERIFY(frame->document().openDocument());
    poll.stop();
    QVERIFY(polls > 0);
    QVERIFY(highest > 0);
    QVERIFY(closeAsked);
    QVERIFY(!program.context().waitCursor.bar()->isVisible());
    QVERIFY(frame->view() != nullptr);
    QVERIFY(frame->isVisible());
    // Once the program is idle again, the close goes through.
    QEventLoop idle;
    QTimer::singleShot(300, &idle, &QEventLoop::quit);
    idle.exec();
    QVERIFY(!frame->isVisible());
    QVERIFY(!frame->document().isOpen());
    program.finish();
  }

  void aFileShortenedUnderTheViewIsReportedAndClosed() {
    QString path = makeFile("short.bin", QByteArray(1 << 20, 'l'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    edit(frame->document(), 0, 'M');
    HexViewWidget* view = frame->view();
    view->gotoOffset(900000);
    QVERIFY(::truncate(path.toUtf8().constData(), 100) == 0);

    QString shown;
    bool typed = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = activeDialog();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
      } else if (modal && !typed) {
        // The entry dialog of a tap on a byte past the new end: its write goes nowhere.
        typed = true;
        modal->findChild<QLineEdit*>("934")->setText("41");
        QTest::mouseClick(modal->findChild<QToolButton*>(QString::number(kCmdOk)), Qt::LeftButton);
      }
    });
    poll.start(50);
    view->rebuildText();
    view->grab();  // paints the rows past the new end
    QVERIFY(frame->document().isDamaged());
    Rect cell;
    QVERIFY(view->view().hexCell(view->view().topOffset() + 1, cell));
    QTest::mouseClick(view, Qt::LeftButton, {},
                      view->clientOrigin() + QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    QVERIFY(typed);
    // A real wait, as the program's own loop does between events: the check runs when idle.
    QEventLoop idle;
    QTimer::singleShot(500, &idle, &QEventLoop::quit);
    idle.exec();
    poll.stop();
    QVERIFY(frame->view() == nullptr);
    QCOMPARE(shown, "File " + path + " was shortened by another program or could not be written. The document is closed.");
    QCOMPARE(frame->windowTitle(), QString("Nibblet"));
    QVERIFY(!frame->action(kCmdUndo)->isEnabled());
    QCOMPARE(fileBytes(path).size(), 100);
    frame->close();
    program.finish();
  }
};

QTEST_MAIN(DataSafetyTest)
#include "data_safety_test.moc"
