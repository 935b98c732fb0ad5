// The program in its German module, offscreen: every text a user sees on the main window, its
// menus, the settings page and every dialog and message box comes from the module (or is a
// number, a path, a sign or a name the user gave). Any other text would be English left behind.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <functional>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/registry_key.h"
#include "core/settings/settings.h"
#include "gui/app/application.h"
#include "gui/app/main_frame.h"
#include "gui/browser/file_browser_dialog.h"
#include "gui/platform/icu_language_names.h"
#include "gui/platform/qt_text.h"
#include "gui/offscreen_helpers.h"
#include "gui/settings_ui/editor_pane.h"
#include "gui/settings_ui/property_sheet.h"
#include "gui/settings_ui/settings_page.h"
#include "gui/test_files.h"
#include "gui/view/hex_view_widget.h"

using namespace nibblet;

namespace {

// What the German module allows on screen: its texts, and its formats with their numbers and
// names filled in.
class GermanTexts {
 public:
  explicit GermanTexts(const StringModule& module) {
    for (const auto& [id, text] : module.texts()) add(toQString(text));
    for (int id : {kMenuMain, kMenuBrowser})
      if (const MenuResource* menu = module.menu(id)) addMenu(menu->items);
    for (int id : {kDialogEntry, kDialogConverter}) {
      if (const DialogResource* dialog = module.dialog(id)) {
        add(toQString(dialog->caption));
        for (const auto& label : dialog->labels) add(toQString(label));
        for (const auto& [control, text] : dialog->controls) add(toQString(text));
      }
    }
  }

  void allow(const QString& text) { m_texts.insert(text); }

  // True for a text the module gives, and for one that holds no word of three letters or more
  // (numbers, offsets, colours, signs, key captions) or is a path.
  bool accepts(QString text) const {
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    if (text.isEmpty() || m_texts.contains(text) || text.startsWith(QLatin1Char('/'))) return true;
    static const QRegularExpression word("[A-Za-z]{3,}");
    QString withoutHex = text;
    withoutHex.remove(QRegularExpression("\\b(0x)?[0-9A-Fa-f]+\\b"));
    if (!word.match(withoutHex).hasMatch()) return true;
    // A module text between signs and numbers ("▸ Werte  0000") is the module's too.
    static const QRegularExpression ends("^[^\\p{L}]+|[^\\p{L}]+$");
    if (m_texts.contains(withoutHex.remove(ends).simplified())) return true;
    for (const QRegularExpression& format : m_formats)
      if (format.match(text).hasMatch()) return true;
    return false;
  }

 private:
  void add(const QString& text) {
    QString plain = QString(text).remove(QLatin1Char('&')).trimmed();
    m_texts.insert(plain);
    // Each line and each choice of a "a/b" list stands alone as well, and a format matches
    // whatever fills its conversions.
    for (const QString& line : plain.split('\n')) m_texts.insert(line.trimmed());
    for (const QString& choice : plain.split('/')) m_texts.insert(choice.trimmed());
    if (!plain.contains('%')) return;
    static const QRegularExpression conversion("%[-+ #0]*[0-9*]*(\\.[0-9*]+)?[a-zA-Z]");
    QStringList literals;
    for (const QString& part : plain.split(conversion)) literals << QRegularExpression::escape(part);
    m_formats.append(QRegularExpression("^" + literals.join(".*") + "$",
                                        QRegularExpression::DotMatchesEverythingOption));
  }
  void addMenu(const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
      add(toQString(item.text));
      addMenu(item.children);
    }
  }

  QSet<QString> m_texts;
  QList<QRegularExpression> m_formats;
};

// Collects the texts a user sees in `root` and its menus, with where each was found.
class TextWalk {
 public:
  explicit TextWalk(const GermanTexts& allowed) : m_allowed(allowed) {}

  void widget(QWidget* root, const QString& where) {
    if (!root->isVisible()) return;
    check(root->windowTitle(), where + " title");
    visit(root, where);
    for (QWidget* w : root->findChildren<QWidget*>()) {
      if (w->isVisible()) visit(w, where + " > " + w->metaObject()->className() + " " + w->objectName());
    }
  }

  void menu(const QList<QAction*>& actions, const QString& where) {
    for (QAction* a : actions) {
      check(a->text(), where + " > " + a->text());
      check(a->toolTip() == QString(a->text()).remove('&') ? QString() : a->toolTip(), where + " tooltip");
      if (a->menu()) menu(a->menu()->actions(), where + " > " + a->text());
    }
  }

  void check(const QString& text, const QString& where) {
    if (!m_allowed.accepts(text)) m_english << where + ": \"" + text + "\"";
  }

  const QStringList& english() const { return m_english; }

 private:
  void visit(QWidget* w, const QString& where) {
    check(w->accessibleName(), where + " (name)");
    check(w->toolTip(), where + " (tooltip)");
    if (auto* label = qobject_cast<QLabel*>(w)) check(label->text(), where);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) check(button->text(), where);
    if (auto* line = qobject_cast<QLineEdit*>(w)) check(line->placeholderText(), where);
    if (auto* tabs = qobject_cast<QTabBar*>(w))
      for (int i = 0; i < tabs->count(); ++i) check(tabs->tabText(i), where);
    if (auto* box = qobject_cast<QMessageBox*>(w)) check(box->text(), where);
    if (auto* bar = qobject_cast<QMenuBar*>(w)) menu(bar->actions(), where);
    if (auto* toolbar = qobject_cast<QToolBar*>(w)) menu(toolbar->actions(), where);
    // Names in the browser's list and its folder drop-down are the user's own.
    if (w->objectName() == QString::number(kIdBrowserFolders)) return;
    if (auto* box = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < box->count(); ++i) check(box->itemText(i), where);
    if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
      const bool names = w->objectName() == QString::number(kIdBrowserList);
      for (int c = 0; c < tree->columnCount(); ++c) check(tree->headerItem()->text(c), where + " header");
      for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        for (int c = names ? 1 : 0; c < tree->columnCount(); ++c) check(tree->topLevelItem(i)->text(c), where);
        check(tree->topLevelItem(i)->toolTip(0), where);
      }
    }
  }

  const GermanTexts& m_allowed;
  QStringList m_english;
};

}  // namespace

class GermanTextsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_dir;

  // A pop-up, a modal window, or a dialog shown inside the main window that was not open before.
  static QWidget* openedWindow(const QList<QDialog*>& before) {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    for (QWidget* w : QApplication::allWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(w);
      if (dialog && dialog->isVisible() && !before.contains(dialog)) return dialog;
    }
    return nullptr;
  }

  static void closeWindow(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window))
      dialog->reject();
    else
      window->close();
  }

  // Runs `open`, which shows a modal window or a pop-up; `read` reads it once it is up and
  // closes it. False when none came within the deadline (whatever opened is then closed).
  static bool whileOpen(const std::function<void()>& open, const std::function<void(QWidget*)>& read) {
    QList<QDialog*> before;
    for (QWidget* w : QApplication::allWidgets())
      if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) before << dialog;
    bool seen = false;
    QElapsedTimer clock;
    clock.start();
    test::Poller poller([&] {
      QWidget* window = openedWindow(before);
      if (window && window->isVisible()) {
        seen = true;
        read(window);
        if (window->isVisible()) closeWindow(window);
        return true;
      }
      if (clock.elapsed() < 20000) return false;
      // Nothing recognisable came: whatever runs its own loop is ended, so the test goes on.
      if (window) closeWindow(window);
      return true;
    });
    open();
    (void)QTest::qWaitFor([&] { return poller.done(); }, 30000);  // the poller ends whatever came
    return seen;
  }

  static void closeBox(QWidget* window) {
    if (auto* box = qobject_cast<QMessageBox*>(window)) box->buttons().first()->click();
  }

 private slots:
  void initTestCase() { QVERIFY(test::usePrivateHome(m_dir)); }

  void languageNamesAreWrittenInTheLanguageShown() {
    std::u16string name;
    QVERIFY(IcuLanguageNames().name(0x0407, name));
    QCOMPARE(name, u"German (Germany)");
    QVERIFY(IcuLanguageNames(0x0407).name(0x040c, name));
    QCOMPARE(name, u"Franz\u00f6sisch (Frankreich)");
    // A language ICU does not know writes the names in English, the program's own language.
    QVERIFY(IcuLanguageNames(0x7fff).name(0x0407, name));
    QCOMPARE(name, u"German (Germany)");
    QVERIFY(!IcuLanguageNames(0x0407).name(0, name));
  }

  void everyTextOnScreenComesFromTheGermanModule() {
    MemoryRegistryKey key;
    Settings stored = Settings::defaults(u"");
    stored.languageIndex = 1;  // the only module beside the program: German
    key.setBinary(u"main", stored.toBytes());
    QString path = test::writeTestFile(m_dir, "deutsch.bin", QByteArray(4096, 'x'));
    Application program(key);
    program.start(toU16(path));
    MainFrame* frame = program.mainFrame();
    frame->resize(480, 800);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    AppContext& context = program.context();
    QVERIFY(context.texts.hasModule());

    // The language row names the languages in German, "Default" included.
    QCOMPARE(context.languages.names,
             (std::vector<std::u16string>{u"Standard", u"Deutsch (Deutschland)"}));

    GermanTexts allowed(context.texts.stringModule());
    allowed.allow("Nibblet");
    allowed.allow("deutsch.bin");
    for (const std::u16string& name : context.languages.names) allowed.allow(toQString(name));
    TextWalk walk(allowed);
    walk.widget(frame, "main window");

    HexViewWidget* view = frame->view();
    QVERIFY(view);
    auto closeAfter = [&walk](const QString& where) {
      return [&walk, where](QWidget* window) {
        walk.widget(window, where);
        if (auto* menu = qobject_cast<QMenu*>(window)) walk.menu(menu->actions(), where);
        closeBox(window);
      };
    };
    QVERIFY(whileOpen([&] { frame->onCommand(kCmdSearch); }, closeAfter("search")));
    QVERIFY(whileOpen([&] { frame->onCommand(kCmdGoto); }, closeAfter("goto")));
    QVERIFY(whileOpen([&] { frame->onCommand(kCmdConverter); }, closeAfter("converter")));
    QVERIFY(whileOpen([&] { frame->onCommand(kCmdOpen); }, [&](QWidget* window) {
      if (auto* browser = qobject_cast<FileBrowserDialog*>(window)) browser->command(kCmdReportView);
      closeAfter("open file")(window);
    }));
    QVERIFY(whileOpen([&] { frame->onCommand(kCmdUndoAll); }, closeAfter("undo all message")));
    const QPoint at = test::cellCentre(view, 0x21);
    QVERIFY(!at.isNull());
    QVERIFY(whileOpen([&] { QTest::mouseClick(view, Qt::LeftButton, {}, at); }, closeAfter("entry")));
    QVERIFY(whileOpen([&] {
      QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
      QApplication::sendEvent(view, &event);
    }, closeAfter("byte menu")));

    // The settings page: every row's label, hint and choices, the editors, and the dialogs
    // of the "..." buttons.
    frame->onCommand(kCmdSettings);
    PropertySheet* sheet = frame->settingsPage()->sheet();
    for (int i = 0; i < sheet->model().rowCount(); ++i) {
      sheet->activateRow(i);
      const PropertyRow* row = sheet->model().row(i);
      const QString where = "settings row " + QString::number(i);
      walk.check(toQString(row->label), where);
      walk.check(sheet->pane()->hint(), where + " hint");
      for (const std::u16string& choice : row->choices) walk.check(toQString(choice), where + " choice");
      walk.widget(sheet, where);
      if (row->hasButton())
        QVERIFY(whileOpen([&] { sheet->pressButton(); }, closeAfter(where + " \"...\"")));
    }
    frame->onCommand(kCmdOk);

    QVERIFY2(walk.english().isEmpty(), qPrintable("English left:\n" + walk.english().join('\n')));
    frame->close();
    program.finish();
  }
};

QTEST_MAIN(GermanTextsTest)
#include "german_texts_test.moc"
