// Texts the program shows: users' names shown literally, never as markup or shortcut marks;
// every button and header in the chosen language; paths kept absolute.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "gui/platform/modal_sheet.h"
#include "gui/test_files.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/message_box.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/platform/qt_message_box.h"
#include "gui/platform/qt_registry_key.h"
#include "gui/platform/qt_text.h"

using namespace nibblet;

namespace {

QString makeFile(const QString& path) {
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(QByteArray(64, 'x'));
  return path;
}

QStringList buttonTexts(QMessageBox* box) {
  QStringList texts;
  for (QAbstractButton* b : box->buttons()) texts << b->text();
  texts.sort();
  return texts;
}

}  // namespace

class ShownTextsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

 private slots:
  void initTestCase() {
    QVERIFY(test::usePrivateHome(m_dir));
  }

  void messageBoxButtonsSpeakTheChosenLanguage() {
    Texts texts;
    auto german = std::make_unique<StringModule>();
    QVERIFY(german->load(qEnvironmentVariable("NIBBLET_TEST_BIN").toStdU16String() + u"/nibblet.exe.0407.mui"));
    texts.setModule(std::move(german));
    QtMessageBox messages;
    messages.setTexts(&texts);

    QStringList seen;
    QTimer::singleShot(0, this, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(activeDialog());
      QVERIFY(box);
      seen = buttonTexts(box);
      box->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(messages.show(u"?", kStyleQuestion, u"<b>x</b>"), kButtonYes);
    QCOMPARE(seen, QStringList({"Ja", "Nein"}));

    QTimer::singleShot(0, this, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(activeDialog());
      QVERIFY(box);
      seen = buttonTexts(box);
      QCOMPARE(box->textFormat(), Qt::PlainText);
      box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(messages.show(u"", kStyleError, u"x"), kButtonOk);
    QCOMPARE(seen, QStringList({"OK"}));

    // Without a language module the program's own English texts are used.
    Texts english;
    messages.setTexts(&english);
    QTimer::singleShot(0, this, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(activeDialog());
      QVERIFY(box);
      seen = buttonTexts(box);
      box->button(QMessageBox::No)->click();
    });
    QCOMPARE(messages.show(u"?", kStyleQuestion, u"x"), kButtonNo);
    QCOMPARE(seen, QStringList({"No", "Yes"}));
  }

  void namesAreShownLiterallyAndRecentPathsAreAbsolute() {
    QDir(m_dir.path()).mkpath("work");
    QString marked = makeFile(m_dir.filePath("work/<b>x<b>.bin"));
    QString ampersand = makeFile(m_dir.filePath("work/a&b.bin"));
    QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.filePath("work")));
    {
      QtRegistryKey key;
      Application program(key);
      // Started with a name relative to the current folder.
      program.start(u"a&b.bin");
      MainFrame* frame = program.mainFrame();
      QVERIFY(frame->view() != nullptr);
      QCOMPARE(program.context().recentFiles.entry(0), toU16(ampersand));
      QVERIFY(QDir::setCurrent(previous));

      frame->onCommand(kCmdClose);
      program.context().recentFiles.add(key, toU16(marked));
      frame->document().setPath(toU16(marked));
      frame->document().openDocument();
      auto* title = frame->findChild<QLabel*>("title");
      QVERIFY(title);
      QCOMPARE(title->textFormat(), Qt::PlainText);
      QVERIFY(title->text().contains("<b>x<b>.bin"));

      // The pop-up doubles "&", which Qt would otherwise take for a shortcut mark.
      QStringList entries;
      QTimer::singleShot(0, this, [&entries] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(popup);
        for (QAction* a : popup->actions()) entries << a->text();
        popup->close();
      });
      frame->onCommand(kCmdRecentFiles);
      QCOMPARE(entries, QStringList({marked, QString(ampersand).replace("&", "&&")}));
      frame->close();
      program.finish();
    }
    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "vq", "pelta");
    QCOMPARE(stored.value("MRU1").toString(), ampersand);
  }
};

QTEST_MAIN(ShownTextsTest)
#include "shown_texts_test.moc"
