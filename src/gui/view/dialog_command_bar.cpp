#include "gui/view/dialog_command_bar.h"

#include <QToolButton>
#include <algorithm>

#include "core/i18n/string_module.h"
#include "core/view/command_bar.h"
#include "gui/platform/flow_layout.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/toolbar_images.h"

namespace nibblet {
namespace {

// The buttons that show a state (the input kind, Search at first) by their checked look.
bool isStateButton(int command) {
  return command == kCmdEntryHex || command == kCmdEntryText || command == kCmdEntryUnicode ||
         command == kCmdSearchAtFirst;
}

}  // namespace

DialogCommandBar::DialogCommandBar(QWidget* parent, std::size_t count, const Texts& texts, int dpiX)
    : QWidget(parent), m_side(std::max((34 * dpiX + 48) / 96, fingerPixels(parent))) {
  setObjectName("commandBar");
  // On a narrow screen the buttons go on in a second row rather than off the dialog's edge.
  auto* row = new FlowLayout(this, 2);
  count = std::min(count, kCommandBar.size());
  for (std::size_t i = 0; i < count; ++i) {
    const BarButton& entry = kCommandBar[i];
    auto* b = new QToolButton(this);
    b->setObjectName(QString::number(entry.command));
    b->setIcon(toolbarIcon(static_cast<int>(i), dpiX));
    b->setIconSize(QSize(20, 20) * dpiX / 96);
    b->setToolTip(toQString(texts.loadText(entry.tooltipId)));
    // An image alone says nothing to a screen reader: the button is named by its tooltip.
    b->setAccessibleName(b->toolTip());
    b->setAutoRaise(true);
    b->setCheckable(isStateButton(entry.command));
    b->setFixedSize(m_side, m_side);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, [this, command = entry.command] { emit commandTriggered(command); });
    row->addWidget(b);
    m_buttons.emplace_back(entry.command, b);
  }
}

QToolButton* DialogCommandBar::button(int command) const {
  for (const auto& [id, b] : m_buttons)
    if (id == command) return b;
  return nullptr;
}

void DialogCommandBar::showState(const BarDialogModel& model) {
  for (const auto& [id, b] : m_buttons) {
    b->setVisible(model.isShown(id));
    if (b->isCheckable()) b->setChecked(model.isChecked(id));
  }
}

}  // namespace nibblet
