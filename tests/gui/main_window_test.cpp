// The real main window, offscreen: start-up with a file on the command line, byte entry by tap,
// the byte menu by tap-and-hold, undo, font size, the OK command, and the values written at exit.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>

#include "core/app/command_line.h"
#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "core/platform/unicode.h"
#include "core/settings/settings.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/modal_driver.h"
#include "gui/platform/qt_registry_key.h"
#include "gui/platform/qt_text.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

  QString makeFile(const QString& name, const QByteArray& bytes) {
    QString path = m_dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
  }

  static QByteArray fileBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_dir.isValid());
    // The settings go to a private folder, never to the user's own.
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", m_dir.filePath("cache").toUtf8());
  }

  void startsWithTheCommandLineFileAndWritesSettingsAtExit() {
    QString path = makeFile("sample.bin", QByteArray(300, 'x'));
    {
      QtRegistryKey key;
      Application program(key);
      program.start(toU16(path));
      MainFrame* frame = program.mainFrame();
      QCOMPARE(frame->windowTitle(), QString("sample.bin"));
      QVERIFY(frame->view() != nullptr);
      QVERIFY(frame->action(kCmdUndo)->isEnabled());
      QVERIFY(!frame->action(kCmdSave)->isEnabled());
      program.context().lastFolder = u"/tmp/";
      frame->close();
      program.finish();
    }
    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "vq", "pelta");
    QCOMPARE(stored.value("main").toByteArray().size(), 1568);
    QCOMPARE(stored.value("lastFDPath").toString(), QString("/tmp/"));
    QCOMPARE(stored.value("MRU0").toString(), path);
  }

  void openKeywordOnTheCommandLine() {
    QString path = makeFile("a(1).bin", QByteArray(10, 'y'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16("--flag OPEN(" + path + ")"));
    QCOMPARE(program.mainFrame()->windowTitle(), QString("a(1).bin"));
    program.mainFrame()->close();
    program.finish();
  }

  // Linux names are bytes: "\xff.bin" beside its look-alike "\uFFFD.bin" opens nothing, and says
  // so, rather than the look-alike (on the spot, read-write).
  void aNameThatIsNotUtf8OpensNothing() {
    QString alike = makeFile(QString(QChar(0xFFFD)) + ".bin", QByteArray(16, 'l'));
    QByteArray raw = QFile::encodeName(m_dir.path()) + "/\xff.bin";
    {
      std::ofstream out(raw.constData(), std::ios::binary);
      out << "raw bytes";
    }
    QByteArray relative = "\xff.bin";
    QByteArray absolute = raw;
    for (const QByteArray& name : {relative, absolute}) {
      QString previous = QDir::currentPath();
      QDir::setCurrent(m_dir.path());
      const char* arguments[] = {"nibblet", name.constData()};
      std::u16string text;
      bool valid = commandLineText(2, arguments, text);
      QVERIFY(!valid);
      MemoryRegistryKey key;
      Application program(key);
      QString shown;
      {
        test::ModalDriver driver(test::messageBox(), [&shown](QWidget* w) {
          shown = qobject_cast<QMessageBox*>(w)->text();
          test::ModalDriver::closeAll();
        });
        program.start(text, valid);
        QVERIFY(driver.seen());
      }
      QDir::setCurrent(previous);
      QCOMPARE(shown, "File " + toQString(text) + " open error (84).");
      QVERIFY(!program.mainFrame()->document().isOpen());
      QVERIFY(program.context().recentFiles.entry(0).empty());
      program.mainFrame()->close();
      program.finish();
    }
    QCOMPARE(fileBytes(alike), QByteArray(16, 'l'));
    QVERIFY(QDir(m_dir.filePath("cache/nibblet")).entryList({"nbt*"}, QDir::Files).isEmpty());
  }

  void tapTypeOkWritesAndUndoRestores() {
    QString path = makeFile("edit.bin", QByteArray("0123456789abcdef0123456789abcdef"));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    HexViewWidget* view = frame->view();
    QVERIFY(view);
    QVERIFY(QTest::qWaitForWindowExposed(frame));

    bool sawDialog = false;
    QTimer::singleShot(100, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog) return;
      sawDialog = true;
      dialog->findChild<QLineEdit*>("934")->setText("41 42");
      QTest::mouseClick(dialog->findChild<QToolButton*>(QString::number(kCmdOk)), Qt::LeftButton);
    });
    Rect cell;
    QVERIFY(view->view().hexCell(1, cell));
    QPoint centre = view->clientOrigin() + QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    QTest::mouseClick(view, Qt::LeftButton, {}, centre);
    QVERIFY(sawDialog);
    QByteArray bytes = fileBytes(path);
    QCOMPARE(bytes.mid(0, 4), QByteArray("0AB3"));
    QCOMPARE(frame->document().changeLog().count(), 2u);

    frame->onCommand(kCmdUndo);
    frame->onCommand(kCmdUndo);
    QCOMPARE(fileBytes(path).mid(0, 4), QByteArray("0123"));
    frame->close();
    program.finish();
  }

  void tapAndHoldOpensTheByteMenuNotTheEntryDialog() {
    QString path = makeFile("hold.bin", QByteArray(64, 'h'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    HexViewWidget* view = program.mainFrame()->view();
    QVERIFY(QTest::qWaitForWindowExposed(program.mainFrame()));
    bool sawDialog = false;
    QStringList items;
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, [&] {
      if (QApplication::activeModalWidget()) sawDialog = true;
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (QAction* a : menu->actions())
          if (!a->isSeparator()) items << a->text();
        menu->close();
      }
    });
    poll.start();
    Rect cell;
    QVERIFY(view->view().hexCell(3, cell));
    QPoint at = view->clientOrigin() + QPoint(cell.left + 2, cell.top + 2);
    QTest::mousePress(view, Qt::LeftButton, {}, at);
    QTest::qWait(800);
    QTest::mouseRelease(view, Qt::LeftButton, {}, at);
    QTRY_VERIFY(!items.isEmpty());
    QVERIFY(!sawDialog);
    // The byte menu's items, and "Values" after them for the values panel.
    QCOMPARE(items, (QStringList{"Copy", "Paste", "Undo", "Start selection", "03: 68", "Values"}));
    QCOMPARE(program.mainFrame()->document().changeLog().count(), 0u);
    program.mainFrame()->close();
    program.finish();
  }

  void fontSizeCommandChecksTheItemAndStoresTheSize() {
    MemoryRegistryKey key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    QVERIFY(frame->action(40041)->isChecked());
    frame->onCommand(40047);
    QVERIFY(frame->action(40047)->isChecked());
    QVERIFY(!frame->action(40041)->isChecked());
    QCOMPARE(program.context().settings.fontSize, 18);
    frame->close();
    program.finish();
  }

  void changeMarksArePaintedInTheirColour() {
    QByteArray content;
    for (int i = 0; i < 1024; ++i) content.append(char(i * 7));
    QString path = makeFile("marks.bin", content);
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    frame->resize(480, 800);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    HexDocument& document = frame->document();
    for (std::uint32_t offset : {0x12u, 0x13u, 0x14u, 0x40u}) {
      document.changeLog().append(offset, document.bytes()[offset], 0x4E);
      document.bytes()[offset] = 0x4E;
    }
    frame->view()->rebuildText();
    QImage shot = frame->grab().toImage();
    if (qEnvironmentVariableIsSet("NIBBLET_SCREENSHOT")) shot.save(qEnvironmentVariable("NIBBLET_SCREENSHOT"));
    int changed = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) changed += shot.pixelColor(x, y) == QColor(250, 152, 5);
    // Four bytes, each marked in its hex cell and its text cell.
    QVERIFY2(changed > 8 * 40, qPrintable(QString::number(changed)));

    // Closing asks whether to keep the edits made on the spot; Yes keeps them in the file.
    QString question;
    QTimer::singleShot(100, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        question = box->text();
        box->button(QMessageBox::Yes)->click();
      }
    });
    frame->close();
    QVERIFY(question.startsWith("In this mode (\"on the spot\")"));
    QCOMPARE(fileBytes(path).at(0x40), char(0x4E));
    program.finish();
  }

  void openCommandGoesThroughTheFileBrowser() {
    QString first = makeFile("first.bin", QByteArray(16, 'f'));
    QString second = makeFile("second.bin", QByteArray(32, 's'));
    MemoryRegistryKey key;
    Application program(key);
    program.context().lastFolder.clear();
    program.start(toU16(first));
    MainFrame* frame = program.mainFrame();
    program.context().lastFolder = toU16(m_dir.path() + "/");

    // Cancel changes nothing.
    QTimer::singleShot(100, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    frame->onCommand(kCmdOpen);
    QCOMPARE(frame->windowTitle(), QString("first.bin"));

    // Choosing a file closes the current one and opens it.
    QTimer::singleShot(100, [] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog || dialog->objectName() != "900") return;
      dialog->findChild<QLineEdit*>("901")->setText("second.bin");
      QMetaObject::invokeMethod(dialog, "command", Q_ARG(int, kCmdOk));
    });
    frame->onCommand(kCmdOpen);
    QCOMPARE(frame->windowTitle(), QString("second.bin"));
    QCOMPARE(frame->document().size(), 32u);
    QCOMPARE(program.context().recentFiles.entry(0), toU16(second));
    frame->close();
    program.finish();
  }

  void arrowKeysScrollTheView() {
    QString path = makeFile("keys.bin", QByteArray(100000, 'k'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    const HexView& view = frame->view()->view();
    QTest::keyClick(frame, Qt::Key_Right);
    QCOMPARE(view.topOffset(), (99999 / view.bytesPerRow()) * view.bytesPerRow());
    QTest::keyClick(frame, Qt::Key_Up);
    QCOMPARE(view.topOffset(), (99999 / view.bytesPerRow()) * view.bytesPerRow() -
                                   std::uint32_t(view.visibleRows()) * view.bytesPerRow());
    QTest::keyClick(frame, Qt::Key_Left);
    QCOMPARE(view.topOffset(), 0u);
    QTest::keyClick(frame, Qt::Key_Down);
    QCOMPARE(view.topOffset(), std::uint32_t(view.visibleRows()) * view.bytesPerRow());
    frame->close();
    program.finish();
  }

  void chosenLanguageModuleServesMenusAndTexts() {
    MemoryRegistryKey key;
    Settings stored = Settings::defaults(u"");
    stored.languageIndex = 1;  // the only module beside the program: German
    key.setBinary(u"main", stored.toBytes());
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    QCOMPARE(frame->menuBar()->actions().value(0)->text(), QString("Datei"));
    frame->close();
    program.finish();

    // Index 0 never loads a module.
    stored.languageIndex = 0;
    key.setBinary(u"main", stored.toBytes());
    Application english(key);
    english.start(u"");
    QCOMPARE(english.mainFrame()->menuBar()->actions().value(0)->text(), QString("File"));
    english.mainFrame()->close();
    english.finish();
  }

  void okClosesTheDocumentThenTheWindow() {
    QString path = makeFile("ok.bin", QByteArray(64, 'z'));
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    QVERIFY(frame->isVisible());
    frame->onCommand(kCmdOk);
    QVERIFY(frame->view() == nullptr);
    QCOMPARE(frame->windowTitle(), QString("Nibblet"));
    QVERIFY(!frame->action(kCmdUndo)->isEnabled());
    QVERIFY(frame->isVisible());
    frame->onCommand(kCmdOk);
    QVERIFY(!frame->isVisible());
    program.finish();
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
