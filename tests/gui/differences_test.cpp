// The real main window, offscreen, through File > Differences: compare two files and see the
// marks, step with Goto next diff, export the differences, import them into a copy and undo
// the import byte by byte.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <vector>

#include "gui/platform/modal_sheet.h"
#include "gui/test_files.h"
#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "core/settings/settings.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/platform/qt_text.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;
using nibblet::test::fileBytes;

namespace {

// Answers the modal windows that open while a command runs, one step per window, in order.
class ModalScript {
 public:
  using Step = std::function<void(QWidget*)>;

  explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(30);
  }
  bool finished() const { return m_next == m_steps.size(); }

 private:
  void poll() {
    QWidget* modal = activeDialog();
    if (!modal || modal == m_handled || finished()) return;
    m_handled = modal;
    m_steps[m_next++](modal);
  }

  std::vector<Step> m_steps;
  std::size_t m_next = 0;
  QPointer<QWidget> m_handled;
  QTimer m_timer;
};

// The file browser: types `name` into the file-name box and confirms.
ModalScript::Step choose(const QString& name) {
  return [name](QWidget* dialog) {
    QVERIFY(dialog->objectName() == "900");
    dialog->findChild<QLineEdit*>("901")->setText(name);
    QMetaObject::invokeMethod(dialog, "command", Q_ARG(int, kCmdOk));
  };
}

// A message box: remembers its text and presses `button`.
ModalScript::Step press(QString* text, QMessageBox::StandardButton button = QMessageBox::Ok) {
  return [text, button](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    QVERIFY(box);
    *text = box->text();
    box->button(button)->click();
  };
}

bool hasDifferenceMark(const HexView& view, std::uint32_t offset) {
  std::vector<Mark> marks;
  view.collectMarks(marks);
  for (const Mark& m : marks)
    if (m.kind == MarkKind::Difference && m.offset == offset) return true;
  return false;
}

}  // namespace

class DifferencesTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

  QString makeFile(const QString& name, const QByteArray& bytes) { return test::writeTestFile(m_dir, name, bytes); }

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
  }

  void compareStepExportImportIntoACopyAndUndo() {
    QByteArray a(8192, '\0');
    for (int i = 0; i < a.size(); ++i) a[i] = char(i * 5);
    QByteArray b = a;
    b[0x10] = 'X';
    b[0x1000] = 'Y';
    b[0x1F00] = 'Z';
    QString pathA = makeFile("a.bin", a);
    makeFile("b.bin", b);
    QString copy = makeFile("copy.bin", a);

    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(pathA));
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    program.context().lastFolder = toU16(m_dir.path() + "/");
    QVERIFY(frame->action(kCmdCompare)->isEnabled());
    QVERIFY(!frame->action(kCmdCompareWithBackup)->isEnabled());  // no backup folder set
    const HexView& view = frame->view()->view();

    QString found;
    {
      ModalScript script({choose("b.bin"), press(&found)});
      frame->onCommand(kCmdCompare);
      QVERIFY(script.finished());
    }
    QCOMPARE(found, QString("3 difference(s) found. Tap-and-hold for see."));
    QCOMPARE(view.topOffset(), 0x10 / view.bytesPerRow() * view.bytesPerRow());
    QVERIFY(hasDifferenceMark(view, 0x10));

    // Goto next diff from the toolbar, then from the menu, wrapping to the first.
    frame->toolbar()->findChild<QAction*>(QString("toolbar%1").arg(kCmdGotoNextDiff))->trigger();
    QCOMPARE(view.topOffset(), 0x1000 / view.bytesPerRow() * view.bytesPerRow());
    QVERIFY(hasDifferenceMark(view, 0x1000));
    frame->onCommand(kCmdGotoNextDiff);
    frame->onCommand(kCmdGotoNextDiff);
    QCOMPARE(view.topOffset(), 0x10 / view.bytesPerRow() * view.bytesPerRow());

    {
      ModalScript script({choose("ab.txt")});
      frame->onCommand(kCmdSaveDifferences);
      QVERIFY(script.finished());
    }
    QCOMPARE(fileBytes(m_dir.filePath("ab.txt")),
             QByteArray(";Nibblet diff file\n;FILE: a.bin\n;FILE2: b.bin\n;SIZE: 8192\n"
                        "00000010: 50 58\n00001000: 00 59\n00001F00: 00 5A\n"));

    // Clear takes the marks away at once.
    frame->onCommand(kCmdClearDifferences);
    QVERIFY(!hasDifferenceMark(view, 0x10));

    {
      ModalScript script({choose("copy.bin")});
      frame->onCommand(kCmdOpen);
      QVERIFY(script.finished());
    }
    QCOMPARE(frame->windowTitle(), QString("copy.bin"));
    QString preview, changed;
    {
      ModalScript script({choose("ab.txt"), press(&preview, QMessageBox::Yes), press(&changed)});
      frame->onCommand(kCmdImportDiff);
      QVERIFY(script.finished());
    }
    QCOMPARE(preview, QString("3 byte(s) will change, from offset 00000010 to 00001F00.\nApply the changes?"));
    QCOMPARE(changed, QString("Changed 3 byte(s)."));
    QCOMPARE(fileBytes(copy), b);
    QCOMPARE(frame->document().changeLog().count(), 3u);

    for (int i = 0; i < 3; ++i) frame->onCommand(kCmdUndo);
    QCOMPARE(fileBytes(copy), a);
    QCOMPARE(frame->document().changeLog().count(), 0u);
    frame->close();
    program.finish();
  }

  void compareWithTheBackupMadeAtOpen() {
    QByteArray content(600, 'q');
    QString path = makeFile("backed.bin", content);
    MemoryRegistryKey key;
    Settings stored = Settings::defaults(toU16(m_dir.filePath("work")));
    setText(stored.backupPath, toU16(m_dir.filePath("backups")));
    key.setBinary(u"main", stored.toBytes());
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    // With a backup to make, the file opens once the window is painted.
    QVERIFY(frame->view() == nullptr);
    QTRY_VERIFY(frame->view() != nullptr);
    QVERIFY(frame->action(kCmdCompareWithBackup)->isEnabled());
    frame->document().changeLog().append(7, 'q', 'r');
    frame->document().bytes()[7] = 'r';
    QString found;
    {
      ModalScript script({press(&found)});
      frame->onCommand(kCmdCompareWithBackup);
      QVERIFY(script.finished());
    }
    QCOMPARE(found, QString("1 difference(s) found. Tap-and-hold for see."));
    QVERIFY(hasDifferenceMark(frame->view()->view(), 7));
    QString question;
    {
      ModalScript script({press(&question, QMessageBox::No)});
      frame->onCommand(kCmdClose);
      QVERIFY(script.finished());
    }
    QVERIFY(!frame->action(kCmdCompareWithBackup)->isEnabled());
    QCOMPARE(fileBytes(path), content);
    frame->close();
    program.finish();
  }
};

QTEST_MAIN(DifferencesTest)
#include "differences_test.moc"
