// Tab 0: the folder tree, the file list of PDF files, and the favourite folders.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>
#include <functional>

#include "app/main_unit.h"
#include "app/saving.h"
#include "app/shell_logic.h"
#include "platform/rich_text_bridge.h"

namespace paginor {

namespace {

// Enter in a view acts as a double click. While an entry's name is being edited the keys go
// to the editor, not to the view, so the rename keeps its Enter.
class EnterOpens final : public QObject {
 public:
  EnterOpens(QAbstractItemView* view, std::function<void()> open)
      : QObject(view), open_(std::move(open)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    open_();
    return true;
  }

 private:
  std::function<void()> open_;
};

// Size and date read from the disk each time a row is drawn: the model notices files that come
// and go, but not a file written anew in place.
class LiveDetails final : public QStyledItemDelegate {
 public:
  LiveDetails(QFileSystemModel* model, QObject* parent)
      : QStyledItemDelegate(parent), model_(model) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString text = LiveFileDetail(*model_, index);
    if (!text.isNull()) option->text = text;
  }

 private:
  QFileSystemModel* model_;
};

}  // namespace

QString LiveFileDetail(const QFileSystemModel& model, const QModelIndex& index) {
  if (index.column() != 1 && index.column() != 3) return {};
  const QFileInfo file(model.filePath(index));
  if (!file.isFile()) return {};
  // As the model writes them.
  return index.column() == 1
             ? QLocale::system().formattedDataSize(file.size())
             : QLocale::system().toString(file.lastModified(), QLocale::ShortFormat);
}

void TMainForm::WatchShownFiles() {
  const QString folder = FileModel->filePath(JamShellList1->rootIndex());
  QStringList wanted;
  if (!folder.isEmpty()) {
    for (const QFileInfo& file :
         QDir(folder).entryInfoList(FileModel->nameFilters(), QDir::Files)) {
      wanted << file.absoluteFilePath();
    }
  }
  // Only the differences: a watch dropped and made again would lose a change just reported.
  QStringList gone;
  for (const QString& watched : FileWatcher->files()) {
    if (!wanted.contains(watched)) gone << watched;
  }
  if (!gone.isEmpty()) FileWatcher->removePaths(gone);
  QStringList added;
  for (const QString& file : wanted) {
    if (!FileWatcher->files().contains(file)) added << file;
  }
  if (!added.isEmpty()) FileWatcher->addPaths(added);
}

QWidget* TMainForm::MakeFilesTab() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* favourites = new QHBoxLayout;
  favourites->addWidget(new QLabel("Lieblings Ordner:", box));
  PrefListBox = new QListWidget(box);
  PrefListBox->setFixedHeight(PrefListBox->fontMetrics().height() * 2 + 8);
  favourites->addWidget(PrefListBox, 1);
  layout->addLayout(favourites);

  auto* splitter = new QSplitter(box);
  FolderModel = new QFileSystemModel(this);
  FolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FolderModel->setRootPath(QDir::rootPath());
  JamShellTree1 = new QTreeView(splitter);
  JamShellTree1->setModel(FolderModel);
  for (int column = 1; column < FolderModel->columnCount(); ++column) {
    JamShellTree1->hideColumn(column);
  }
  JamShellTree1->header()->hide();
  FileModel = new QFileSystemModel(this);
  FileModel->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
  FileModel->setNameFilters({"*.pdf", "*.PDF"});
  FileModel->setNameFilterDisables(false);
  FileModel->setRootPath(QDir::rootPath());
  JamShellList1 = new QTreeView(splitter);
  JamShellList1->setModel(FileModel);
  JamShellList1->setRootIsDecorated(false);
  JamShellList1->setItemsExpandable(false);
  JamShellList1->setSortingEnabled(true);
  JamShellList1->sortByColumn(0, Qt::AscendingOrder);
  JamShellList1->setEditTriggers(QAbstractItemView::EditKeyPressed);
  JamShellList1->setItemDelegate(new LiveDetails(FileModel, JamShellList1));
  FileWatcher = new QFileSystemWatcher(this);
  connect(FileWatcher, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
    JamShellList1->viewport()->update();
    // A file replaced by renaming is watched no more.
    if (QFileInfo::exists(path) && !FileWatcher->files().contains(path)) FileWatcher->addPath(path);
  });
  // New files in the shown folder are watched as they appear.
  connect(FileModel, &QFileSystemModel::directoryLoaded, this, [this] { WatchShownFiles(); });
  connect(FileModel, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent) {
    if (parent == JamShellList1->rootIndex()) WatchShownFiles();
  });
  splitter->addWidget(JamShellTree1);
  splitter->addWidget(JamShellList1);
  splitter->setSizes({241, 400});
  // The name takes the free width; size, type and date as much as they need.
  QHeaderView* columns = JamShellList1->header();
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(QHeaderView::ResizeToContents);
  columns->setSectionResizeMode(0, QHeaderView::Stretch);
  layout->addWidget(splitter, 1);
  FilterComboBox1 = new QComboBox(box);
  FilterComboBox1->addItem("PDF-Dateien (*.pdf)", "*.pdf");
  layout->addWidget(FilterComboBox1);

  connect(JamShellTree1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            JamShellList1->setRootIndex(FileModel->index(FolderModel->filePath(current)));
            WatchShownFiles();
          });
  connect(JamShellList1, &QTreeView::doubleClicked, this, &TMainForm::JamShellList1DblClick);
  connect(PrefListBox, &QListWidget::itemDoubleClicked, this, &TMainForm::PrefListBoxDblClick);
  connect(FilterComboBox1, &QComboBox::currentIndexChanged, this, [this](int) {
    const QString mask = FilterComboBox1->currentData().toString();
    FileModel->setNameFilters({mask, mask.toUpper()});
  });
  JamShellList1->installEventFilter(
      new EnterOpens(JamShellList1, [this] { JamShellList1DblClick(); }));
  PrefListBox->installEventFilter(new EnterOpens(PrefListBox, [this] { PrefListBoxDblClick(); }));
  return box;
}

void TMainForm::JamShellList1DblClick() {
  const QModelIndex index = JamShellList1->currentIndex();
  if (!index.isValid()) return;
  if (FileModel->isDir(index)) {
    // The list shows the sub-folder; the tree follows it.
    JamShellTree1->setCurrentIndex(FolderModel->index(FileModel->filePath(index)));
    JamShellList1->setRootIndex(index);
    WatchShownFiles();
    return;
  }
  QString folder = FolderModel->filePath(JamShellTree1->currentIndex());
  if (folder.isEmpty()) folder = FileModel->filePath(JamShellList1->rootIndex());
  if (!folder.endsWith('/')) folder += '/';
  OpenFromList(folder + FileModel->fileName(index));
}

void TMainForm::OpenFromList(const QString& path) {
  QString folder = QFileInfo(path).absolutePath();
  if (!folder.endsWith('/')) folder += '/';
  AddToPrefFolders(folder);
  FFileName = path;
  openfilenow(path);
}

void TMainForm::ScrollToStartFolder(const QString& loaded) {
  const QString current = FolderModel->filePath(JamShellTree1->currentIndex());
  // Each level of the path is loaded in turn; the last one lists the folder's siblings.
  if (!current.startsWith(loaded)) return;
  JamShellTree1->scrollTo(JamShellTree1->currentIndex(), QAbstractItemView::PositionAtCenter);
  if (loaded == QFileInfo(current).absolutePath()) {
    disconnect(FolderModel, &QFileSystemModel::directoryLoaded, this,
               &TMainForm::ScrollToStartFolder);
  }
}

void TMainForm::PrefListBoxDblClick() {
  const QListWidgetItem* item = PrefListBox->currentItem();
  if (item == nullptr) return;
  const QModelIndex folder = FolderModel->index(item->text());
  JamShellTree1->setCurrentIndex(folder);
  JamShellTree1->scrollTo(folder);
  JamShellList1->setRootIndex(FileModel->index(item->text()));
  WatchShownFiles();
}

std::vector<std::string> TMainForm::Favourites() const {
  std::vector<std::string> folders;
  for (int i = 0; i < PrefListBox->count(); ++i) {
    folders.push_back(PrefListBox->item(i)->text().toStdString());
  }
  return folders;
}

void TMainForm::LoadFavourites() {
  QFile file(FProgramDir + "/folders.dat");
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();
  file.close();
  // Paths are UTF-8. A list written in Windows-1252 by an earlier version is read as such
  // once and stored again as UTF-8.
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString decoded = utf8(bytes);
  const bool legacy = utf8.hasError();
  for (const std::string& folder : ParseFavourites(std::string_view(bytes.data(), bytes.size()))) {
    PrefListBox->addItem(legacy ? Cp1252ToQString(folder) : QString::fromStdString(folder));
  }
  if (legacy) StoreFavourites();
}

void TMainForm::StoreFavourites() {
  const std::string bytes = FormatFavourites(Favourites());
  SaveReported(this, FProgramDir + "/folders.dat", bytes);
}

void TMainForm::AddToPrefFolders(const QString& folder) {
  std::vector<std::string> folders = Favourites();
  paginor::AddToPrefFolders(folders, folder.toStdString());
  PrefListBox->clear();
  for (const std::string& f : folders)
    PrefListBox->addItem(QString::fromStdString(f));
  StoreFavourites();
}

}  // namespace paginor
