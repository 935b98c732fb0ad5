// The settings page in the real main window, offscreen: moving through the rows with the keys,
// typing a path, the toolbar row, the colour picker and the language chosen for the next start.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include "gui/test_files.h"
#include "core/i18n/command_ids.h"
#include "core/platform/registry_key.h"
#include "core/settings/settings_store.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/browser/file_browser_dialog.h"
#include "gui/platform/qt_text.h"
#include "gui/settings_ui/colour_picker.h"
#include "gui/settings_ui/editor_pane.h"
#include "gui/settings_ui/property_sheet.h"
#include "gui/settings_ui/settings_page.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;

class SettingsPageTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

  QString makeFile(const QString& name, int size) {
    QString path = m_dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (int i = 0; i < size; ++i) f.putChar(char(i * 13));
    return path;
  }

  static PropertySheet* sheetOf(MainFrame* frame) { return frame->settingsPage()->sheet(); }
  static QTreeWidget* listOf(MainFrame* frame) { return sheetOf(frame)->findChild<QTreeWidget*>("808"); }
  static void press(MainFrame* frame, Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i) QTest::keyClick(listOf(frame), key);
  }
  static int countPixels(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
    return n;
  }
  // The stored record, read back as the next start would read it.
  static Settings storedSettings(RegistryKey& key) {
    Settings stored;
    loadSettings(key, stored, u"/unused");
    return stored;
  }

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
  }

  void opensMovesWithDownAndKeepsATypedPathOnCancel() {
    MemoryRegistryKey key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    frame->onCommand(kCmdSettings);
    PropertySheet* sheet = sheetOf(frame);
    QVERIFY(frame->isSettingsShown());
    QVERIFY(sheet->isVisible());
    QVERIFY(!frame->menuBar()->isVisible());
    QVERIFY(frame->findChild<QMenuBar*>("emptyMenuBar")->isVisible());
    QTreeWidget* list = listOf(frame);
    QCOMPARE(list->topLevelItemCount(), 12);
    QVERIFY(list->hasFocus());
    QCOMPARE(sheet->model().activeIndex(), -1);
    QCOMPARE(sheet->pane()->hint(), QString("Tap on item in list below"));
    QCOMPARE(sheet->findChild<QTabBar*>("809")->tabText(0), QString("Settings"));
    QCOMPARE(sheet->geometry(), sheet->parentWidget()->rect());
    // A new work area (a rotation) lays the page out again over the whole client area.
    frame->resize(frame->height(), frame->width());
    QCOMPARE(sheet->geometry(), sheet->parentWidget()->rect());

    // Open mode shows its warning; Work path its label and the path in its text box.
    press(frame, Qt::Key_Down, 2);
    QCOMPARE(sheet->model().activeIndex(), 1);
    QCOMPARE(sheet->pane()->hint(), QString("\"on the spot\" - all changes will be writed immediatelly!"));
    QVERIFY(sheet->findChild<QComboBox*>("9903")->isVisible());
    press(frame, Qt::Key_Down);
    QCOMPARE(sheet->model().activeIndex(), 2);
    QCOMPARE(sheet->pane()->hint(), QString("Work path"));
    auto* box = sheet->findChild<QLineEdit*>("9902");
    QVERIFY(box->isVisible());
    QVERIFY(sheet->findChild<QPushButton*>("9904")->isVisible());
    QCOMPARE(box->text(), toQString(textOf(program.context().settings.workPath)));

    if (qEnvironmentVariableIsSet("NIBBLET_SCREENSHOT_PAGE"))
      frame->grab().save(qEnvironmentVariable("NIBBLET_SCREENSHOT_PAGE"));
    press(frame, Qt::Key_Return);
    QVERIFY(box->hasFocus());
    QTest::keyClicks(box, "/w");  // the text was all selected, so typing replaces it
    QCOMPARE(textOf(program.context().settings.workPath), u"/w");
    QTest::keyClicks(box, "ork");
    QCOMPARE(textOf(program.context().settings.workPath), u"/work");
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(list->hasFocus());

    frame->onCommand(kCmdCancel);
    QVERIFY(!frame->isSettingsShown());
    QVERIFY(!sheet->isVisible());
    QVERIFY(frame->menuBar()->isVisible());
    QCOMPARE(textOf(program.context().settings.workPath), u"/work");
    // Written when the page closed, not only at exit.
    QCOMPARE(textOf(storedSettings(key).workPath), u"/work");
    QVERIFY(frame->isVisible());  // the page's Cancel does not end the program

    // The list's column width is remembered in the record; the page opens with the column as
    // wide as the list, whatever was stored (a width from the other orientation, a damaged one).
    QCOMPARE(program.context().settings.rowListColumnWidth, list->columnWidth(0));
    QVERIFY(program.context().settings.rowListColumnWidth > 0);
    program.context().settings.rowListColumnWidth = 782;

    // Opened again, the rows come back from the record with none active.
    frame->onCommand(kCmdSettings);
    QCOMPARE(sheet->model().activeIndex(), -1);
    QCOMPARE(sheet->model().row(2)->valueText, u"/work");
    QCOMPARE(list->columnWidth(0), list->viewport()->width());
    frame->onCommand(kCmdOk);
    program.context().settings.rowListColumnWidth = -8;
    frame->onCommand(kCmdSettings);
    QCOMPARE(list->columnWidth(0), list->viewport()->width());
    frame->onCommand(kCmdOk);
    frame->close();
    program.finish();
  }

  void folderButtonTakesTheChosenFolderButNotTheRoot() {
    MemoryRegistryKey key;
    Application program(key);
    program.start(u"");
    MainFrame* frame = program.mainFrame();
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QDir(m_dir.path()).mkpath("backups");
    frame->onCommand(kCmdSettings);
    press(frame, Qt::Key_Down, 4);
    PropertySheet* sheet = sheetOf(frame);
    QCOMPARE(sheet->model().activeIndex(), 3);
    QCOMPARE(sheet->pane()->hint(), QString("If field empty Nibblet  will not make backup copy"));

    auto okInBrowser = [] {
      QTimer::singleShot(0, [] {
        if (auto* browser = qobject_cast<FileBrowserDialog*>(QApplication::activeModalWidget())) {
          QVERIFY(browser->model().options().folderMode);
          browser->command(kCmdOk);
        }
      });
    };
    program.context().lastFolder = std::u16string(1, u'/');  // the root
    okInBrowser();
    QTest::mouseClick(sheet->findChild<QPushButton*>("9904"), Qt::LeftButton);
    QCOMPARE(textOf(program.context().settings.backupPath), u"");

    program.context().lastFolder = toU16(m_dir.filePath("backups"));
    okInBrowser();
    QTest::mouseClick(sheet->findChild<QPushButton*>("9904"), Qt::LeftButton);
    QCOMPARE(toQString(textOf(program.context().settings.backupPath)), m_dir.filePath("backups"));
    QCOMPARE(sheet->findChild<QLineEdit*>("9902")->text(), m_dir.filePath("backups"));
    frame->onCommand(kCmdOk);
    frame->close();
    program.finish();
  }

  void showToolbarNoHidesTheToolbarAndMovesTheViewUp() {
    QString path = makeFile("toolbar.bin", 4096);
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    frame->resize(480, 800);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QVERIFY(frame->toolbar()->isVisible());
    const int bottomWithToolbar = frame->view()->geometry().bottom();

    frame->onCommand(kCmdSettings);
    QVERIFY(!frame->view()->isVisible());
    press(frame, Qt::Key_End);
    PropertySheet* sheet = sheetOf(frame);
    QCOMPARE(sheet->model().activeIndex(), 11);
    auto* choice = sheet->findChild<QComboBox*>("9903");
    QCOMPARE(choice->currentText(), QString("Yes"));
    choice->setCurrentIndex(0);
    QCOMPARE(program.context().settings.showToolbar, 0);
    QCOMPARE(sheet->model().row(11)->valueText, u"No");

    frame->onCommand(kCmdOk);
    QVERIFY(frame->isVisible());  // OK leaves the page, not the document
    QVERIFY(frame->view()->isVisible());
    QVERIFY(!frame->toolbar()->isVisible());
    QVERIFY(frame->view()->geometry().bottom() > bottomWithToolbar);
    QCOMPARE(frame->document().path().empty(), false);
    frame->close();
    program.finish();
  }

  void aColourPickedWithThePickerMarksTheView() {
    QString path = makeFile("colour.bin", 1024);
    MemoryRegistryKey key;
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    frame->resize(480, 800);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    HexDocument& document = frame->document();
    for (std::uint32_t offset : {0x10u, 0x11u, 0x12u}) {
      document.changeLog().append(offset, document.bytes()[offset], 0x41);
      document.bytes()[offset] = 0x41;
    }
    frame->view()->rebuildText();

    frame->onCommand(kCmdSettings);
    press(frame, Qt::Key_Down, 5);
    PropertySheet* sheet = sheetOf(frame);
    QCOMPARE(sheet->model().row(sheet->model().activeIndex())->label, u"Changes mark color");
    auto* button = sheet->findChild<RowButton*>("9904");
    QCOMPARE(button->faceColour(), QColor(250, 152, 5));

    // Down in the colour row's text box opens the picker; its sliders start at the row's colour.
    int starts[3] = {-1, -1, -1};
    bool sawPicker = false;
    QTimer::singleShot(0, [&] {
      auto* picker = qobject_cast<ColourPicker*>(QApplication::activeModalWidget());
      if (!picker) return;
      sawPicker = true;
      QCOMPARE(picker->windowTitle(), QString("Changes mark color"));
      for (int i = 0; i < 3; ++i) {
        QSlider* slider = picker->findChild<QSlider*>(QString::number(5201 + i));
        starts[i] = slider ? slider->value() : -2;
      }
      picker->findChild<QSlider*>("5201")->setValue(10);
      picker->findChild<QSlider*>("5202")->setValue(20);
      picker->findChild<QSlider*>("5203")->setValue(300);
      QImage shot = picker->grab().toImage();
      if (qEnvironmentVariableIsSet("NIBBLET_SCREENSHOT_PICKER")) shot.save(qEnvironmentVariable("NIBBLET_SCREENSHOT_PICKER"));
      QCOMPARE(shot.pixelColor(picker->previewRect().center()), QColor(10, 20, 255));
      QTest::mouseClick(picker->findChild<QPushButton*>(QString::number(kCmdOk)), Qt::LeftButton);
    });
    press(frame, Qt::Key_Return);
    QTest::keyClick(sheet->findChild<QLineEdit*>("9902"), Qt::Key_Down);
    QVERIFY(sawPicker);
    QCOMPARE(starts[0], 250);
    QCOMPARE(starts[1], 152);
    QCOMPARE(starts[2], 5);
    QCOMPARE(textOf(program.context().settings.changesColor), u"10,20,255");
    QCOMPARE(sheet->findChild<QLineEdit*>("9902")->text(), QString("10,20,255"));
    QCOMPARE(button->faceColour(), QColor(10, 20, 255));
    // The focus goes back to the list (the window's own focus: offscreen, no window is active
    // again after a dialog).
    QCOMPARE(frame->focusWidget(), listOf(frame));

    // A cancelled picker changes nothing.
    QTimer::singleShot(0, [] {
      if (auto* picker = qobject_cast<ColourPicker*>(QApplication::activeModalWidget())) {
        picker->findChild<QSlider*>("5201")->setValue(99);
        picker->reject();
      }
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(textOf(program.context().settings.changesColor), u"10,20,255");

    frame->onCommand(kCmdOk);
    QImage shot = frame->grab().toImage();
    if (qEnvironmentVariableIsSet("NIBBLET_SCREENSHOT")) shot.save(qEnvironmentVariable("NIBBLET_SCREENSHOT"));
    QVERIFY2(countPixels(shot, QColor(10, 20, 255)) > 6 * 40, "the changed bytes are not marked in the new colour");
    QCOMPARE(countPixels(shot, QColor(250, 152, 5)), 0);

    // Closing asks whether to keep the edits made on the spot.
    QTimer::singleShot(0, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        box->button(QMessageBox::Yes)->click();
    });
    frame->close();
    program.finish();
  }

  void germanChosenOnThePageIsUsedAtTheNextStart() {
    MemoryRegistryKey key;
    {
      Application program(key);
      program.start(u"");
      MainFrame* frame = program.mainFrame();
      QCOMPARE(frame->menuBar()->actions().first()->text(), QString("File"));
      frame->onCommand(kCmdSettings);
      press(frame, Qt::Key_Down);
      auto* choice = sheetOf(frame)->findChild<QComboBox*>("9903");
      QVERIFY(choice->isVisible());
      QCOMPARE(choice->itemText(0), QString("Default"));
      QVERIFY(choice->count() >= 2);
      int german = -1;
      for (int i = 0; i < choice->count(); ++i)
        if (program.context().languages.ids[static_cast<std::size_t>(i)] == 0x0407) german = i;
      QVERIFY(german > 0);
      choice->setCurrentIndex(german);
      frame->onCommand(kCmdOk);
      // Nothing changes before the next start.
      QCOMPARE(frame->menuBar()->actions().first()->text(), QString("File"));
      QCOMPARE(storedSettings(key).languageIndex, german);
      frame->close();
      program.finish();
    }
    Application program(key);
    program.start(u"");
    QCOMPARE(program.mainFrame()->menuBar()->actions().first()->text(), QString("Datei"));
    program.mainFrame()->onCommand(kCmdSettings);
    QCOMPARE(sheetOf(program.mainFrame())->model().row(0)->label, u"Sprache");
    program.mainFrame()->onCommand(kCmdOk);
    program.mainFrame()->close();
    program.finish();
  }
};

QTEST_MAIN(SettingsPageTest)
#include "settings_page_test.moc"
