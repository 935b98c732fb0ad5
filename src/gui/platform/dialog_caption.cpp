#include "gui/platform/dialog_caption.h"

#include <QGridLayout>
#include <QLabel>
#include <QWidget>

#include <vector>

#include "gui/platform/screen_scale.h"

namespace nibblet {

QLabel* makeCaptionLabel(QWidget* dialog, const ScreenScale& s) {
  auto* label = new QLabel(dialog->windowTitle(), dialog);
  label->setObjectName("caption");
  label->setTextFormat(Qt::PlainText);
  label->setContentsMargins(s.x(6), 0, s.x(6), 0);
  label->setMinimumHeight(s.y(26));
  label->setStyleSheet("QLabel#caption { background: #24406e; color: white; font-weight: bold; }");
  return label;
}

int addCaptionBand(QWidget* dialog, const ScreenScale& s) {
  const int band = s.y(26);
  for (QObject* child : dialog->children()) {
    if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow()) w->move(w->x(), w->y() + band);
  }
  QLabel* label = makeCaptionLabel(dialog, s);
  QSize size = dialog->size();
  if (dialog->minimumSize() == dialog->maximumSize()) {
    dialog->setFixedSize(size.width(), size.height() + band);
  } else {
    if (dialog->minimumHeight() > 0) dialog->setMinimumHeight(dialog->minimumHeight() + band);
    dialog->resize(size.width(), size.height() + band);
  }
  label->setGeometry(0, 0, dialog->width(), band);
  return band;
}

void addCaptionRow(QWidget* dialog, QGridLayout* grid, const ScreenScale& s) {
  struct Placed {
    QLayoutItem* item;
    int row, column, rowSpan, columnSpan;
    Qt::Alignment alignment;
  };
  std::vector<Placed> placed;
  while (grid->count() > 0) {
    int row = 0, column = 0, rowSpan = 1, columnSpan = 1;
    grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
    QLayoutItem* item = grid->takeAt(0);
    placed.push_back({item, row, column, rowSpan, columnSpan, item->alignment()});
  }
  int columns = 1;
  for (const Placed& p : placed) columns = std::max(columns, p.column + p.columnSpan);
  for (const Placed& p : placed) grid->addItem(p.item, p.row + 1, p.column, p.rowSpan, p.columnSpan, p.alignment);
  grid->addWidget(makeCaptionLabel(dialog, s), 0, 0, 1, columns);
}

}  // namespace nibblet
