#include "gui/platform/modal_sheet.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <vector>

#include "gui/platform/screen_fit.h"

namespace nibblet {
namespace {

std::vector<QPointer<QDialog>>& openSheets() {
  static std::vector<QPointer<QDialog>> sheets;
  return sheets;
}

}  // namespace

// Covers the whole window while a sheet runs: dims it, keeps its taps from the controls behind
// and gives the keyboard back to the sheet; keys the sheet does not use stop here.
class SheetCover : public QWidget {
 public:
  explicit SheetCover(QWidget* window) : QWidget(window), m_window(window) {
    setObjectName(QStringLiteral("sheetCover"));
    setGeometry(window->rect());
    window->installEventFilter(this);
  }
  void setSheet(QDialog* sheet) { m_sheet = sheet; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_window && event->type() == QEvent::Resize) setGeometry(m_window->rect());
    return QWidget::eventFilter(watched, event);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 64));
  }
  void mousePressEvent(QMouseEvent* event) override {
    event->accept();
    if (m_sheet) m_sheet->setFocus();
  }
  void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
  void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
  void wheelEvent(QWheelEvent* event) override { event->accept(); }
  void keyPressEvent(QKeyEvent* event) override { event->accept(); }

 private:
  QWidget* m_window;
  QPointer<QDialog> m_sheet;
};

ModalSheet::ModalSheet(QDialog* dialog, QWidget* window)
    : m_dialog(dialog), m_formerParent(dialog->parentWidget()), m_cover(new SheetCover(window)) {
  // The window's own controls (menu bar, title bar, view) take no taps and no shortcuts while
  // the sheet runs; the cover shows them dimmed.
  for (QObject* child : window->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w == m_cover || w->isWindow() || !w->isEnabled()) continue;
    w->setEnabled(false);
    m_disabled.emplace_back(w);
  }
  dialog->setParent(m_cover, Qt::Widget);
  dialog->setAutoFillBackground(true);
  m_cover->setSheet(dialog);
  ScreenFit::attach(dialog, FitRole::Sheet);
  m_cover->show();
  m_cover->raise();
}

ModalSheet::~ModalSheet() {
  m_dialog->hide();
  m_dialog->setParent(m_formerParent, Qt::Widget);
  delete m_cover;
  for (const QPointer<QWidget>& w : m_disabled)
    if (w) w->setEnabled(true);
}

int ModalSheet::exec() {
  openSheets().push_back(m_dialog);
  const int result = m_dialog->exec();
  auto& sheets = openSheets();
  std::erase_if(sheets, [this](const QPointer<QDialog>& d) { return !d || d == m_dialog; });
  return result;
}

QWidget* activeDialog() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  auto& sheets = openSheets();
  for (auto it = sheets.rbegin(); it != sheets.rend(); ++it)
    if (*it && (*it)->isVisible()) return *it;
  return nullptr;
}

}  // namespace nibblet
