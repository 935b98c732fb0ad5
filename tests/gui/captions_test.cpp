// Every dialog and message box shows its caption inside its own widget tree: a hand-held shell
// or a kiosk draws no window frames, so a caption left to the frame would never be seen.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include <memory>

#include "core/convert/converter_model.h"
#include "gui/modal_driver.h"
#include "core/i18n/string_module.h"
#include "core/platform/message_box.h"
#include "core/settings/settings.h"
#include "gui/browser/run_file_browser.h"
#include "gui/convert/converter_dialog.h"
#include "gui/platform/qt_code_page.h"
#include "gui/platform/qt_message_box.h"
#include "gui/settings_ui/colour_picker.h"

using namespace nibblet;

namespace {

// Whether the open modal dialog holds a visible label with exactly `caption`; closes the dialog.
std::unique_ptr<test::ModalDriver> checkCaptionLater(const QString& caption, bool& found) {
  return std::make_unique<test::ModalDriver>([](QWidget*) { return true; },
                                             [caption, &found](QWidget* dialog) {
    for (QLabel* label : dialog->findChildren<QLabel*>())
      if (label->text() == caption && label->isVisible()) found = true;
    test::ModalDriver::closeAll();
  });
}

}  // namespace

class CaptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void messageBoxesShowTheirCaption() {
    QtMessageBox boxes;
    for (int style : {kStyleQuestion, kStyleError, kStyleInformation, kStylePlain}) {
      bool found = false;
      auto driver = checkCaptionLater("Undo All", found);
      boxes.show(u"Undo All", style, u"Undo all maked (3) changes?");
      QVERIFY2(found, qPrintable(QString::number(style)));
    }
  }

  void dialogsShowTheirCaption() {
    Texts texts;
    ScreenScale scale;
    Settings settings = Settings::defaults(u"");
    Evaluator evaluator;
    QtCodePage codePage;
    std::uint32_t value = 0;
    ConverterModel model(settings, evaluator, codePage, value, nullptr);
    ConverterDialog converter(nullptr, model, texts, scale);
    bool found = false;
    auto driver = checkCaptionLater("converter", found);
    converter.exec();
    QVERIFY(found);

    ColourPicker picker(nullptr, u"1,2,3", texts, scale);
    picker.setWindowTitle("Changes color");
    found = false;
    driver = checkCaptionLater("Changes color", found);
    picker.run();
    QVERIFY(found);

    FileBrowserOptions options;
    options.title = u"Open file";
    options.filter = u"*.*";
    options.startFolder = u"/";
    std::u16string path, last;
    ScriptedMessageBox messages;
    found = false;
    driver = checkCaptionLater("Open file", found);
    runFileBrowser(nullptr, options, path, last, texts, messages);
    QVERIFY(found);
  }
};

QTEST_MAIN(CaptionsTest)
#include "captions_test.moc"
