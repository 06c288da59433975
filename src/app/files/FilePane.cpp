#include "files/FilePane.h"

#include "files/BMForm.h"
#include "files/FileListModel.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "webpart/TextCodec.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMap>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace wpe {
namespace {

constexpr const char* kFilterNames[kFileFilterCount] = {"miWebParts", "miSkins", "miAllTolvinex", "miAllFiles"};
constexpr const char* kFilterCaptions[kFileFilterCount] = {"&WebParts", "&Skins", "All &Tolvinex Files",
                                                           "&All Files"};
// Letting the event queue run for every listed file would make a large
// folder crawl; the progress line is refreshed this often instead.
constexpr int kProgressIntervalMs = 30;

} // namespace

TFilePane::TFilePane(QWidget* parent) : QWidget(parent)
{
    setObjectName("tabFiles");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QToolBar(this);
    bar->setObjectName("FilesToolBar");
    bar->setIconSize(QSize(16, 16));
    favouritesButton_ = new QToolButton(bar);
    favouritesButton_->setObjectName("btnFavorites");
    favouritesButton_->setText("Favorites");
    favouritesButton_->setToolTip("Favorite Folders");
    favouritesButton_->setIcon(style()->standardIcon(QStyle::SP_DirLinkIcon));
    favouritesButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    favouritesButton_->setPopupMode(QToolButton::InstantPopup);
    bar->addWidget(favouritesButton_);
    layout->addWidget(bar);

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName("FileSplitter");
    splitter_->setChildrenCollapsible(false);

    treeModel_ = new QFileSystemModel(this);
    treeModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    treeModel_->setRootPath(QDir::rootPath());
    tree_ = new QTreeView(splitter_);
    tree_->setObjectName("FolderTree");
    tree_->setModel(treeModel_);
    tree_->setHeaderHidden(true);
    for (int c = 1; c < treeModel_->columnCount(); ++c)
        tree_->hideColumn(c);
    tree_->setRootIndex(treeModel_->index(QDir::rootPath()));
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, &TFilePane::TreeFolderChanged);
    // The tree reads folders in the background: once a folder on the way to
    // the current one is read, the current folder can be brought into view.
    connect(treeModel_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        QString current = QString::fromStdString(currentFolder_);
        if (!current.isEmpty() && (current == loaded || current.startsWith(loaded)))
            RevealCurrentFolder();
    });

    model_ = new TFileListModel(this);
    list_ = new QTreeView(splitter_);
    list_->setObjectName("FileList");
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setAllColumnsShowFocus(true);
    QHeaderView* header = list_->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setStretchLastSection(false);
    header->resizeSection(0, 140);
    header->resizeSection(1, 160);
    header->resizeSection(2, 60);
    connect(header, &QHeaderView::sectionClicked, this, &TFilePane::SortByColumn);
    connect(list_, &QTreeView::doubleClicked, this, [this](const QModelIndex&) { EditSelected(); });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { listMenu_->popup(list_->viewport()->mapToGlobal(pos)); });

    splitter_->addWidget(tree_);
    splitter_->addWidget(list_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 1);
    layout->addWidget(splitter_, 1);

    BuildMenus();
    ApplySort();
    FavouritesChanged();
}

TFilePane::~TFilePane() = default;

void TFilePane::BuildMenus()
{
    auto add = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };

    listMenu_ = new QMenu(this);
    listMenu_->setObjectName("FileListMenu");
    QAction* edit = add(listMenu_, "miEdit", "&Edit");
    listMenu_->setDefaultAction(edit);
    connect(edit, &QAction::triggered, this, &TFilePane::EditSelected);

    QMenu* filter = listMenu_->addMenu("Fil&ter");
    filter->setObjectName("miFilter");
    filterGroup_ = new QActionGroup(this);
    filterGroup_->setExclusive(true);
    for (std::size_t i = 0; i < kFileFilterCount; ++i) {
        QAction* a = add(filter, kFilterNames[i], kFilterCaptions[i]);
        a->setCheckable(true);
        filterGroup_->addAction(a);
        filterActions_[i] = a;
        connect(a, &QAction::triggered, this, [this, i] { ChooseFilter(static_cast<TFileFilter>(i)); });
    }
    filterActions_[static_cast<int>(TFileFilter::AllTolvinex)]->setChecked(true);

    QMenu* view = listMenu_->addMenu("&View");
    view->setObjectName("miView");
    miDocumentTitle_ = add(view, "miDocumentTitle", "Document &Title");
    miDocumentSize_ = add(view, "miDocumentSize", "Document &Size");
    for (QAction* a : {miDocumentTitle_, miDocumentSize_}) {
        a->setCheckable(true);
        a->setChecked(true);
        connect(a, &QAction::toggled, this, &TFilePane::ApplyColumnWidths);
    }

    listFavourites_ = listMenu_->addMenu("&Favorite Folders");
    listFavourites_->setObjectName("miFavoriteFolders");
    connect(add(listMenu_, "miAddFavorite", "&Add Current Folder to Favorites"), &QAction::triggered, this,
            &TFilePane::AddCurrentFolderToFavourites);
    connect(add(listMenu_, "miOrganizeFavorites", "&Organize Favorites..."), &QAction::triggered, this,
            &TFilePane::OrganizeFavourites);
    listMenu_->addSeparator();
    QAction* refresh = add(listMenu_, "miRefresh", "&Refresh");
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    refresh->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(refresh);  // F5 works while the pane has the focus
    connect(refresh, &QAction::triggered, this, &TFilePane::Refresh);

    buttonMenu_ = new QMenu(this);
    buttonMenu_->setObjectName("FavoritesMenu");
    buttonFavourites_ = buttonMenu_->addMenu("Favorite Folders");
    buttonFavourites_->setObjectName("miFavFolders");
    miSkinsDir_ = add(buttonMenu_, "miSkinsDir", "SKINS");
    miPortalDir_ = add(buttonMenu_, "miPortalDir", "PORTAL");
    miStorageDir_ = add(buttonMenu_, "miStorageDir", "STORAGE");
    connect(miSkinsDir_, &QAction::triggered, this, [this] { ShowFolder(skinsDir_); });
    connect(miPortalDir_, &QAction::triggered, this, [this] { ShowFolder(portalDir_); });
    connect(miStorageDir_, &QAction::triggered, this, [this] { ShowFolder(storageDir_); });
    buttonMenu_->addSeparator();
    connect(add(buttonMenu_, "miAddFavorite2", "&Add Current Folder to Favorites"), &QAction::triggered, this,
            &TFilePane::AddCurrentFolderToFavourites);
    connect(add(buttonMenu_, "miOrganizeBookmarks", "Organize Bookmarks..."), &QAction::triggered, this,
            &TFilePane::OrganizeFavourites);
    favouritesButton_->setMenu(buttonMenu_);
}

void TFilePane::SetPortalFolders(const std::string& skins, const std::string& portal, const std::string& storage)
{
    skinsDir_ = skins;
    portalDir_ = portal;
    storageDir_ = storage;
    miSkinsDir_->setEnabled(!skins.empty());
    miPortalDir_->setEnabled(!portal.empty());
    miStorageDir_->setEnabled(!storage.empty());
}

// ---- folder and list ----

bool TFilePane::ShowFolder(const std::string& folder)
{
    if (folder.size() == 1 && !IsPathDelimiter(folder[0]))
        return false;
    if (folder.empty() || !FolderExists(folder))
        return false;
    std::string native = NativePath(folder);
    if (native.size() > 1)
        native = WithoutTrailingDelimiter(native);
    currentFolder_ = native;
    RevealCurrentFolder();
    FillFileList();
    return true;
}

void TFilePane::RevealCurrentFolder()
{
    QModelIndex index = treeModel_->index(QString::fromStdString(currentFolder_));
    if (!index.isValid())
        return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        tree_->expand(p);
    // The tree reports the change, which is then the current folder already.
    if (tree_->currentIndex() != index)
        tree_->setCurrentIndex(index);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TFilePane::TreeFolderChanged()
{
    QModelIndex index = tree_->currentIndex();
    if (!index.isValid())
        return;
    std::string folder = treeModel_->filePath(index).toStdString();
    if (folder == currentFolder_)
        return;
    currentFolder_ = folder;
    FillFileList();
}

void TFilePane::Refresh() { FillFileList(); }

void TFilePane::FillFileList()
{
    if (masks_.empty() || currentFolder_.empty())
        return;
    // Progress lets the event queue run: a folder change or a refresh asked
    // for meanwhile is done once this fill ends.
    if (filling_) {
        refillPending_ = true;
        return;
    }
    filling_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    list_->setUpdatesEnabled(false);
    model_->Clear();

    QMap<QString, TextCodec> codecs;
    auto decode = [&codecs](const TDescription& d) {
        if (d.text.empty())
            return std::string();
        QString name = QString::fromStdString(d.encoding).toLower();
        auto it = codecs.find(name);
        if (it == codecs.end())
            it = codecs.insert(name, TextCodec(name));
        return it->decode(d.text).toStdString();
    };
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    auto progress = [&](const std::string& path) {
        if (progress_ && sinceProgress.elapsed() >= kProgressIntervalMs) {
            progress_(path);
            sinceProgress.restart();
        }
    };
    std::vector<TFileRow> rows = ListFileRows(currentFolder_, masks_, progress, decode);
    model_->SetRows(std::move(rows));

    list_->setUpdatesEnabled(true);
    ApplySort();
    ApplyColumnWidths();
    QApplication::restoreOverrideCursor();
    filling_ = false;
    if (refillPending_) {
        refillPending_ = false;
        FillFileList();
    }
}

// ---- filter and view ----

std::array<bool, kFileFilterCount> TFilePane::FilterChecks() const
{
    std::array<bool, kFileFilterCount> checks{};
    for (std::size_t i = 0; i < kFileFilterCount; ++i)
        checks[i] = filterActions_[i]->isChecked();
    return checks;
}

void TFilePane::SetFilterChecks(const std::array<bool, kFileFilterCount>& checks)
{
    filterActions_[static_cast<int>(FirstCheckedFilter(checks))]->setChecked(true);
}

void TFilePane::ApplyFilter() { masks_ = FileMasks(FirstCheckedFilter(FilterChecks())); }

void TFilePane::ChooseFilter(TFileFilter filter)
{
    filterActions_[static_cast<int>(filter)]->setChecked(true);
    ApplyFilter();
    FillFileList();
}

bool TFilePane::TitleColumnChecked() const { return miDocumentTitle_->isChecked(); }
bool TFilePane::SizeColumnChecked() const { return miDocumentSize_->isChecked(); }

void TFilePane::SetColumnChecks(bool title, bool size)
{
    miDocumentTitle_->setChecked(title);
    miDocumentSize_->setChecked(size);
    ApplyColumnWidths();
}

void TFilePane::ApplyColumnWidths()
{
    const bool shown[] = {true, miDocumentTitle_->isChecked(), miDocumentSize_->isChecked()};
    for (int c = 1; c < 3; ++c) {
        list_->setColumnHidden(c, !shown[c]);
        if (shown[c] && model_->rowCount() > 0)
            list_->resizeColumnToContents(c);
    }
    if (model_->rowCount() > 0)
        list_->resizeColumnToContents(0);
}

// ---- sorting ----

void TFilePane::SortByColumn(int column)
{
    sort_.ClickHeader(column);
    ApplySort();
}

void TFilePane::ApplySort()
{
    model_->Sort(sort_);
    list_->header()->setSortIndicator(sort_.column, sort_.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// ---- opening ----

std::string TFilePane::SelectedPath() const
{
    QModelIndex current = list_->currentIndex();
    if (!current.isValid() || !list_->selectionModel()->isRowSelected(current.row(), {}))
        return {};
    const TFileRow* row = model_->RowAt(current.row());
    return row ? row->path : std::string();
}

void TFilePane::EditSelected()
{
    std::string path = SelectedPath();
    if (!path.empty())
        emit openRequested(QString::fromStdString(path));
}

// ---- favourites ----

void TFilePane::SetFavourites(const std::vector<std::string>& folders)
{
    favourites_.Assign(folders);
    FavouritesChanged();
}

TBMForm& TFilePane::FavouritesDialog()
{
    if (!dialog_) {
        dialog_ = new TBMForm(favourites_, window());
        connect(dialog_, &TBMForm::favouritesChanged, this, &TFilePane::FavouritesChanged);
        dialog_->RebuildRows();
    }
    return *dialog_;
}

void TFilePane::AddCurrentFolderToFavourites()
{
    if (currentFolder_.empty())
        return;
    FavouritesDialog();
    favourites_.AddCurrentFolder(currentFolder_);
    FavouritesChanged();
}

void TFilePane::OrganizeFavourites() { FavouritesDialog().exec(); }

void TFilePane::FavouritesChanged()
{
    if (dialog_)
        dialog_->RebuildRows();
    FillFavouritesMenu(listFavourites_);
    FillFavouritesMenu(buttonFavourites_);
    listFavourites_->setEnabled(!favourites_.Empty());
}

void TFilePane::FillFavouritesMenu(QMenu* menu)
{
    menu->clear();
    for (const std::string& folder : favourites_.Items()) {
        QAction* a = menu->addAction(QString::fromStdString(folder).replace('&', "&&"));
        connect(a, &QAction::triggered, this, [this, folder] { ChooseFavourite(folder); });
    }
}

void TFilePane::ChooseFavourite(const std::string& folder)
{
    if (!TFavouriteFolders::IsNone(folder))
        ShowFolder(folder);
}

} // namespace wpe
