#include "gui/settings_ui/sheet_accessibility.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTreeWidgetItem>

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/settings_ui/property_row.h"
#include "gui/platform/qt_text.h"
#include "gui/settings_ui/editor_pane.h"

namespace nibblet {

void nameRowEntry(QTreeWidgetItem* entry, const PropertyRow& row) {
  QString name = toQString(row.label);
  if (!row.valueText.empty()) name += QStringLiteral(", ") + toQString(row.valueText);
  entry->setData(0, Qt::AccessibleTextRole, name);
  entry->setData(0, Qt::AccessibleDescriptionRole, toQString(row.hint.empty() ? row.label : row.hint));
}

void nameEditors(EditorPane* pane, const PropertyRow* row, const Texts& texts) {
  QString label = row ? toQString(row->label) : QString();
  for (QWidget* editor : {static_cast<QWidget*>(pane->textBox()), static_cast<QWidget*>(pane->dropDown()),
                          static_cast<QWidget*>(pane->picker())})
    editor->setAccessibleName(label);
  QString action = label;
  if (row && row->isFolderRow) action = toQString(texts.loadText(kIdsChooseFolder));
  if (row && row->isColourRow) action = toQString(texts.loadText(kIdsChooseColour));
  pane->button()->setAccessibleName(action);
}

}  // namespace nibblet
