// The property sheet control on its own, offscreen: its controls, pages and tabs, the number box,
// caption rows, the time picker and the keys that move the focus between list and editors.

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include "core/i18n/string_module.h"
#include "gui/settings_ui/editor_pane.h"
#include "gui/settings_ui/property_sheet.h"

using namespace nibblet;

class PropertySheetTest : public QObject {
  Q_OBJECT

 private:
  Texts m_texts;
  ScreenScale m_scale;
  std::int32_t m_number = 7;
  std::array<char16_t, 16> m_text{u'h', u'i', 0};
  std::int32_t m_hours = 9;
  std::int32_t m_minutes = 30;
  std::int32_t m_choice = 1;

  // Page "A": a number row, a caption row and a text row. Page "B": a time row and a choice row.
  void addPages(PropertySheet& sheet) {
    sheet.addPage(u"A", [this](PropertySheetModel& s) {
      RowSpec number;
      number.rowKind = kRowNumber;
      number.bound = &m_number;
      number.maxChars = 4;
      number.label = u"Number";
      s.addRow(number);
      RowSpec caption;
      caption.label = u"A caption row";
      s.addRow(caption);
      RowSpec text;
      text.rowKind = kRowText;
      text.bound = m_text.data();
      text.maxChars = static_cast<std::int32_t>(m_text.size());
      text.label = u"Text";
      s.addRow(text);
    });
    sheet.addPage(u"B", [this](PropertySheetModel& s) {
      RowSpec time;
      time.rowKind = kRowTime;
      time.bound = &m_hours;
      time.boundMinutes = &m_minutes;
      time.label = u"Alarm";
      s.addRow(time);
      RowSpec choice;
      choice.rowKind = kRowIntChoice;
      choice.bound = &m_choice;
      choice.maxChars = 4;
      choice.label = u"Pick";
      choice.choices = splitChoices(u"one/two/three");
      s.addRow(choice);
    });
  }

 private slots:
  void buildsItsControlsAndSwitchesPages() {
    QWidget parent;
    parent.resize(240, 320);
    PropertySheet sheet(&parent, m_texts, m_scale);
    addPages(sheet);
    sheet.setDefaultHint(u"Tap a row");
    QVERIFY(sheet.selectPage(0));
    QVERIFY(!sheet.selectPage(2));
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QCOMPARE(sheet.geometry(), parent.rect());
    for (const char* id : {"808", "809", "9901", "9902", "9903", "9904", "9905"})
      QVERIFY2(sheet.findChild<QWidget*>(id), id);
    auto* list = sheet.rowList();
    auto* tabs = sheet.findChild<QTabBar*>("809");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->shape(), QTabBar::RoundedSouth);
    QCOMPARE(list->topLevelItemCount(), 3);
    QVERIFY(list->hasFocus());
    QCOMPARE(sheet.model().activeIndex(), -1);
    QCOMPARE(sheet.pane()->hint(), QString("Tap a row"));

    // The number box takes digits only, right-aligned, and writes each one.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(sheet.model().activeIndex(), 0);
    auto* box = sheet.findChild<QLineEdit*>("9902");
    QVERIFY(box->isVisible());
    QVERIFY(box->alignment() & Qt::AlignRight);
    QVERIFY(!sheet.findChild<QWidget*>("9904")->isVisible());
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(box->hasFocus());
    QTest::keyClicks(box, "4x2");
    QCOMPARE(m_number, 42);
    QCOMPARE(sheet.model().row(0)->valueText, u"42");
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(list->hasFocus());

    // A caption row has no editor and leaves the default hint.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(sheet.model().activeIndex(), 1);
    QVERIFY(!box->isVisible());
    QVERIFY(!sheet.findChild<QWidget*>("9903")->isVisible());
    QCOMPARE(sheet.pane()->hint(), QString("Tap a row"));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(list->hasFocus());

    // Right selects the next page with no row active; Right on the last page does nothing.
    QTest::keyClick(list, Qt::Key_Right);
    QCOMPARE(sheet.model().currentPage(), 1);
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(sheet.model().activeIndex(), -1);
    QCOMPARE(list->topLevelItemCount(), 2);
    QTest::keyClick(list, Qt::Key_Right);
    QCOMPARE(sheet.model().currentPage(), 1);

    // The time picker shows the two variables and writes both.
    QTest::keyClick(list, Qt::Key_Down);
    auto* picker = sheet.findChild<QDateTimeEdit*>("9905");
    QVERIFY(picker->isVisible());
    QCOMPARE(picker->displayFormat(), QString("HH:mm"));
    QCOMPARE(picker->time(), QTime(9, 30));
    picker->setTime(QTime(22, 5));
    QCOMPARE(m_hours, 22);
    QCOMPARE(m_minutes, 5);
    QCOMPARE(sheet.model().row(0)->valueText, u"22:05");
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(picker->hasFocus());
    QTest::keyClick(picker, Qt::Key_Return);
    QVERIFY(list->hasFocus());

    // The drop-down gives the focus back with Left.
    QTest::keyClick(list, Qt::Key_Tab);
    QCOMPARE(sheet.model().activeIndex(), 1);
    auto* drop = sheet.findChild<QComboBox*>("9903");
    QCOMPARE(drop->currentText(), QString("two"));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(drop->hasFocus());
    drop->setCurrentIndex(2);
    QCOMPARE(m_choice, 2);
    QTest::keyClick(drop, Qt::Key_Left);
    QVERIFY(list->hasFocus());

    // Choosing a tab rebuilds the rows from the variables, none active.
    m_number = 5;
    emit tabs->tabBarClicked(0);
    QCOMPARE(sheet.model().currentPage(), 0);
    QCOMPARE(sheet.model().activeIndex(), -1);
    QCOMPARE(sheet.model().row(0)->valueText, u"5");

    // Hidden, the sheet is disabled as well.
    sheet.showSheet(false);
    QVERIFY(!sheet.isVisible());
    QVERIFY(!sheet.isEnabled());
    sheet.showSheet(true);
    QVERIFY(sheet.isEnabled());
    QVERIFY(list->hasFocus());
  }

  void tapActivatesARowAndTheTextBoxKeepsToItsBuffer() {
    QWidget parent;
    parent.resize(240, 320);
    PropertySheet sheet(&parent, m_texts, m_scale);
    addPages(sheet);
    sheet.selectPage(0);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    auto* list = sheet.rowList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(2)).center());
    QCOMPARE(sheet.model().activeIndex(), 2);
    auto* box = sheet.findChild<QLineEdit*>("9902");
    QCOMPARE(box->text(), QString("hi"));
    box->setText(QString(40, 'z'));
    QCOMPARE(std::u16string(m_text.data()), std::u16string(15, u'z'));
    QCOMPARE(sheet.model().row(2)->valueText.size(), 15u);

    // A larger point size makes taller rows.
    int before = list->visualItemRect(list->topLevelItem(0)).height();
    sheet.setPointSize(20);
    QVERIFY(list->visualItemRect(list->topLevelItem(0)).height() > before);
  }
};

QTEST_MAIN(PropertySheetTest)
#include "property_sheet_test.moc"
