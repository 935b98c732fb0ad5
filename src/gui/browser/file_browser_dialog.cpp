#include "gui/browser/file_browser_dialog.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/browser/entry_refusal.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/platform/message_box.h"
#include "core/platform/wait_cursor.h"
#include "gui/app/menu_builder.h"
#include "gui/browser/browser_icons.h"
#include "gui/browser/browser_list.h"
#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/qt_wait_cursor.h"
#include "gui/platform/screen_fit.h"

namespace nibblet {
namespace {

// Lengths at 96 dots per inch.
constexpr int kMargin = 4;
constexpr int kControlHeight = 32;  // box, drop-down, title row and list rows: finger-sized
constexpr int kNameWidth = 120;
constexpr int kSizeWidth = 70;
constexpr int kDateWidth = 136;

const MenuItem* findMenuItem(const std::vector<MenuItem>& items, int id) {
  for (const MenuItem& item : items) {
    if (!item.isSeparator && !item.isPopup && item.id == id) return &item;
    if (const MenuItem* found = findMenuItem(item.children, id)) return found;
  }
  return nullptr;
}

}  // namespace

FileBrowserDialog::FileBrowserDialog(QWidget* owner, const FileBrowserOptions& options,
                                     const Texts& texts, MessageBox& messages)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      m_texts(texts),
      m_messages(messages),
      m_deleteCaption(texts.loadText(kIdsDeleteQuestion)),
      m_cursor(std::make_unique<QtWaitCursor>()) {
  setObjectName(QString::number(kDialogBrowser));
  setWindowTitle(toQString(options.title));
  setModal(true);
  m_folderIcon = browserIcon(kIconFolder, devicePixelRatioF());
  m_fileIcon = browserIcon(kIconFile, devicePixelRatioF());
  m_notAFileIcon = browserIcon(kIconNotAFile, devicePixelRatioF());

  m_title = new QLabel(toQString(options.title), this);
  m_title->setTextFormat(Qt::PlainText);
  QFont titleFont = m_title->font();
  titleFont.setBold(true);
  m_title->setFont(titleFont);
  m_okButton = new QPushButton(this);
  m_okButton->setDefault(true);
  // A tap on OK must not end an in-place edit: while a name is edited, OK is left alone.
  m_okButton->setFocusPolicy(Qt::NoFocus);
  const int control = std::max(scaleY(kControlHeight), fingerPixels(owner));
  m_okButton->setMinimumSize(scaleX(64), control);
  connect(m_okButton, &QPushButton::clicked, this, [this] { command(kCmdOk); });

  m_fileName = new QLineEdit(this);
  m_fileName->setObjectName(QString::number(kIdBrowserFileName));
  m_fileName->setAccessibleName(toQString(texts.loadText(kIdsColumnName)));
  m_fileName->setMinimumHeight(control);
  m_folders = new QComboBox(this);
  m_folders->setObjectName(QString::number(kIdBrowserFolders));
  m_folders->setMinimumHeight(control);
  m_folders->setItemDelegate(new TallRowDelegate(control, m_folders));
  m_list = new BrowserList(control, this);
  // On a low landscape screen the list gives way first, down to one row.
  m_list->setMinimumHeight(control);
  m_list->setObjectName(QString::number(kIdBrowserList));
  m_list->setIconSize(QSize(scaleX(16), scaleY(16)));
  m_list->setColumnCount(3);
  m_list->setHeaderLabels({toQString(texts.loadText(kIdsColumnName)), toQString(texts.loadText(kIdsColumnSize)),
                           toQString(texts.loadText(kIdsColumnDate))});
  m_list->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  m_list->header()->setStretchLastSection(false);

  auto* header = new QHBoxLayout;
  header->addWidget(m_title, 1);
  header->addWidget(m_okButton);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(scaleX(kMargin), scaleY(kMargin), scaleX(kMargin), scaleY(kMargin));
  layout->setSpacing(scaleY(kMargin));
  layout->addLayout(header);
  layout->addWidget(m_fileName);
  layout->addWidget(m_folders);
  layout->addWidget(m_list, 1);
  buildMenuBar(texts);
  if (m_menuBar) layout->addWidget(m_menuBar);

  const MenuItem* okItem = nullptr;
  if (const MenuResource* menu = texts.stringModule().menu(kMenuBrowser))
    okItem = findMenuItem(menu->items, kCmdOk);
  m_okButton->setText(okItem ? toQString(okItem->text).remove(QLatin1Char('&'))
                             : toQString(texts.loadText(kIdsOkButton)));

  m_model = std::make_unique<FileBrowserModel>(options, *m_cursor);
  setReportView(false);
  showList();
  showFolders();
  m_fileName->setText(toQString(m_model->fileName()));
  if (options.folderMode) {
    m_fileName->setEnabled(false);
    m_fileName->hide();
  }

  connect(m_fileName, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_model->setFileName(text.toStdU16String()); });
  connect(m_folders, &QComboBox::activated, this, [this](int item) { chooseFolder(item); });
  connect(m_list, &BrowserList::tapped, this, [this](int row) { tap(row); });
  connect(m_list, &BrowserList::doubleTapped, this, [this](int row) { doubleTap(row); });
  connect(m_list, &BrowserList::deletePressed, this, [this](int row) { deleteEntry(row); });
  m_list->setRenameStart([this](int row) { return m_model->beginRename(row); });
  m_list->setRenameEnd([this](const QString* name) {
    if (name) {
      std::u16string newName = name->toStdU16String();
      m_model->endRename(&newName);
    } else {
      m_model->endRename(nullptr);
    }
    showFileName();
    showList();
    showFolders();
  });

  // In the main window's place, over its menu bar, so one menu bar shows: the browser's own.
  ScreenFit::attach(this, FitRole::Cover);
}

FileBrowserDialog::~FileBrowserDialog() {
  // An editor still open closes while the window goes away: the model must not hear of it.
  m_list->setRenameStart(nullptr);
  m_list->setRenameEnd(nullptr);
}

int FileBrowserDialog::scaleX(int n) const { return (n * logicalDpiX() + 48) / 96; }
int FileBrowserDialog::scaleY(int n) const { return (n * logicalDpiY() + 48) / 96; }

void FileBrowserDialog::buildMenuBar(const Texts& texts) {
  const MenuResource* menu = texts.stringModule().menu(kMenuBrowser);
  if (!menu) return;
  m_menuBar = new QMenuBar(this);
  m_menuBar->setNativeMenuBar(false);
  m_menuBar->setMinimumHeight(std::max(scaleY(kControlHeight), fingerPixels(this)));
  fitMenuToFinger(m_menuBar, scaleY(8));
  BuiltMenus built = nibblet::buildMenuBar(m_menuBar, *menu, [this](int id) { command(id); });

  // New folder and Delete go to the menu holding Folder Up. A module without them still gets
  // them: a touch screen has no other way to create or delete.
  QMenu* toolsMenu = nullptr;
  if (QAction* up = built.commands.value(kCmdFolderUp)) toolsMenu = qobject_cast<QMenu*>(up->parent());
  if (!toolsMenu && !built.popups.isEmpty()) toolsMenu = built.popups.last();
  if (!toolsMenu) toolsMenu = m_menuBar->addMenu(toQString(texts.loadText(kIdsTools)));
  for (auto [id, text] : {std::pair{kCmdNewFolder, kIdsNewFolder}, std::pair{kCmdDeleteEntry, kIdsDelete}}) {
    if (built.commands.contains(id)) continue;
    QAction* action = toolsMenu->addAction(toQString(texts.loadText(text)));
    action->setObjectName(QString::number(id));
    connect(action, &QAction::triggered, this, [this, id = id] { command(id); });
  }
}

void FileBrowserDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The list takes the focus so that the soft keyboard stays down until the user wants it.
  m_list->setFocus();
  QGuiApplication::inputMethod()->hide();
}

void FileBrowserDialog::setReportView(bool report) {
  m_reportView = report;
  m_list->setHeaderHidden(!report);
  m_list->setColumnHidden(1, !report);
  m_list->setColumnHidden(2, !report);
  // The list view gives the names the whole width; the report view fixed widths, so a narrow
  // screen scrolls sideways rather than squeezing the names.
  m_list->header()->setSectionResizeMode(0, report ? QHeaderView::Interactive : QHeaderView::Stretch);
  if (report) {
    m_list->setColumnWidth(0, scaleX(kNameWidth));
    m_list->setColumnWidth(1, scaleX(kSizeWidth));
    m_list->setColumnWidth(2, scaleX(kDateWidth));
  }
}

void FileBrowserDialog::showList() {
  m_list->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(m_model->entries().size()));
  for (const BrowserEntry& entry : m_model->entries()) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, toQString(entry.name));
    item->setIcon(0, entry.isFolder() ? m_folderIcon : m_fileIcon);
    item->setData(0, Qt::UserRole, entry.attributes);
    item->setText(1, toQString(entry.sizeText));
    if (int type = typeText(entry.type)) {
      // Shown as what it is, greyed, with its kind where a file shows its size.
      QString kind = toQString(m_texts.loadText(type));
      item->setIcon(0, m_notAFileIcon);
      item->setText(1, kind);
      item->setToolTip(0, kind);
      for (int column = 0; column < 3; ++column)
        item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(2, toQString(entry.dateText));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    items.append(item);
  }
  m_list->addTopLevelItems(items);
  // Every listing starts at its first entry, whatever the list before it was scrolled to.
  m_list->scrollToTop();
  m_list->horizontalScrollBar()->setValue(0);
}

void FileBrowserDialog::showFolders() {
  m_folders->clear();
  for (const std::u16string& item : m_model->folderItems()) m_folders->addItem(toQString(item));
  m_folders->setCurrentIndex(m_model->selectedFolderItem());
  // The list is named by the folder it shows.
  m_list->setAccessibleName(toQString(m_model->currentFolder()));
}

void FileBrowserDialog::showFileName() {
  QString text = toQString(m_model->fileName());
  if (m_fileName->text() != text) m_fileName->setText(text);
}

void FileBrowserDialog::chooseFolder(int item) {
  if (!m_model->chooseFolderItem(item)) return;
  showFileName();
  showList();
  showFolders();
}

void FileBrowserDialog::tap(int row) {
  m_model->tapEntry(row);
  showFileName();
  explainRefusal();
}

void FileBrowserDialog::explainRefusal() {
  if (int reason = m_model->refusal())
    m_messages.show(m_texts.loadText(kIdsNotAFile), kStyleInformation,
                    formatText(m_texts.loadText(reason), {m_model->refusedPath()}));
}

void FileBrowserDialog::doubleTap(int row) {
  switch (m_model->doubleTapEntry(row)) {
    case FileBrowserModel::DoubleTap::Ok:
      // The tap before has put the name into the box; OK follows once this event is done.
      QMetaObject::invokeMethod(this, [this] { command(kCmdOk); }, Qt::QueuedConnection);
      break;
    case FileBrowserModel::DoubleTap::OpenedFolder:
      showList();
      showFolders();
      break;
    case FileBrowserModel::DoubleTap::Nothing:
      break;
  }
}

void FileBrowserDialog::deleteEntry(int row) {
  if (row < 0) return;
  // The list is refilled after the question; the rows around the deleted one stay in view.
  int scrolled = m_list->verticalScrollBar()->value();
  if (!m_model->deleteEntry(row, m_messages, m_deleteCaption)) return;
  showList();
  m_list->verticalScrollBar()->setValue(scrolled);
}

void FileBrowserDialog::newFolder() {
  int row = m_model->createNewFolder();
  showList();
  showFolders();
  if (row >= 0) m_list->renameRow(row);
}

void FileBrowserDialog::tryOk() {
  std::u16string path;
  if (!m_model->ok(m_fileName->text().toStdU16String(), path)) {
    explainRefusal();
    return;
  }
  m_chosenPath = std::move(path);
  accept();
}

void FileBrowserDialog::command(int id) {
  if (m_model->labelEditing() || m_list->isRenaming()) return;
  switch (id) {
    case kCmdOk:
      tryOk();
      break;
    case kCmdCancel:
      QDialog::reject();
      break;
    case kCmdSwitchWindowA:
    case kCmdSwitchWindowB:
    case kCmdSwitchWindow:
      focusNextChild();
      break;
    case kCmdReportView:
      setReportView(true);
      break;
    case kCmdListView:
      setReportView(false);
      break;
    case kCmdFolderUp:
      m_model->setFileName(m_fileName->text().toStdU16String());
      m_model->folderUp();
      showList();
      showFolders();
      break;
    case kCmdNewFolder:
      newFolder();
      break;
    case kCmdDeleteEntry:
      if (QTreeWidgetItem* item = m_list->currentItem()) deleteEntry(m_list->indexOfTopLevelItem(item));
      break;
    default:
      break;
  }
}

void FileBrowserDialog::reject() { command(kCmdCancel); }

}  // namespace nibblet
