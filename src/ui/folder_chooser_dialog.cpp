#include "ui/folder_chooser_dialog.h"

#include <QCloseEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPainter>
#include <QSignalBlocker>
#include <QTreeView>

#include "ui/twips.h"

namespace vfs::ui {

namespace {

// The notice stands right of the folder tree, above the buttons.
constexpr int kNoticeLeft = 4875;
constexpr int kNoticeTop = 270;
constexpr int kNoticeWidth = 1200;
constexpr int kNoticeHeight = 2880;
constexpr int kFollowCurrentMs = 1500;

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

OutlinedNotice::OutlinedNotice(const QColor& colour, QWidget* parent)
    : QWidget(parent), colour_(colour) {
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(13);
    setFont(bold);
}

void OutlinedNotice::setText(const QString& text) {
    text_ = text;
    update();
}

// The text is drawn in black one pixel off in every direction, then in colour on top.
void OutlinedNotice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(1, 1, -1, -1);
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    painter.setPen(Qt::black);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx != 0 || dy != 0) painter.drawText(area.translated(dx, dy), flags, text_);
        }
    }
    painter.setPen(colour_);
    painter.drawText(area, flags, text_);
}

FolderChooserDialog::FolderChooserDialog(Context& ctx, std::vector<std::string> drives,
                                         QWidget* owner)
    : QDialog(owner), ctx_(ctx), chooser_(ctx, std::move(drives)), bind_(chooser_.model.notifier) {
    setObjectName(QStringLiteral("frmFileOpen"));
    setModal(false);
    setFixedSize(Px(kChooserClientWidthTwips), Px(kChooserClientHeightTwips));
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    BuildControls();
    BuildFolderTree();
    BuildNotices();
    FollowVisibility();
    noticeTimer_.setInterval(kChooserNoticeIntervalMs);
    connect(&noticeTimer_, &QTimer::timeout, this, [this] {
        if (chooser_.model.Timer2Enabled) chooser_.Timer2_Timer();
    });
}

FolderChooserDialog::~FolderChooserDialog() = default;

void FolderChooserDialog::BuildControls() {
    FolderChooserModel& model = chooser_.model;
    bind_.Label(model.lblDriveList, this, TwipsRect(90, 15, 4605, 210));
    bind_.Combo(model.driveList, this, TwipsRect(90, 225, 4605, 315),
                [this] { chooser_.driveList_Change(chooser_.model.driveList.ListIndex()); });
    // The file list only counts the folder's files; it stays hidden as its model says.
    bind_.Label(model.lblFileList, this, TwipsRect(90, 2055, 4605, 195));
    bind_.List(model.fileList, this, TwipsRect(90, 2250, 4605, 1260), {});
    bind_.Label(model.lblFileName, this, TwipsRect(90, 3570, 4605, 210));
    bind_.Text(model.txtFileName, this, TwipsRect(90, 3780, 4605, 315));
    bind_.Button(model.btnSave, this, TwipsRect(4785, 3270, 1260, 375),
                 [this] { chooser_.btnSave_Click(); });
    bind_.Button(model.btnCancel, this, TwipsRect(4785, 3720, 1260, 375),
                 [this] { chooser_.btnCancel_Click(); });
}

// Folders only, listed by Qt's own file-system thread, so a network mount that no longer
// answers cannot freeze the window.
void FolderChooserDialog::BuildFolderTree() {
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setReadOnly(true);
    folders_->setRootPath(QStringLiteral("/"));
    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("dirList"));
    tree_->setGeometry(TwipsRect(90, 555, 4605, 3015));
    tree_->setModel(folders_);
    tree_->setHeaderHidden(true);
    for (int column = 1; column < folders_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    chooser_.dirList_Change(folders_->filePath(current).toStdString());
            });
    // A mouse release on the tree settles the path again, as a change does.
    connect(tree_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        chooser_.dirList_Change(folders_->filePath(index).toStdString());
    });
    bind_.OnChange(chooser_.model.dirList.Name(), [this] { ShowFolderInTree(); });
    // Folders arrive from the lister after the tree moved and push the current one down:
    // for a moment after each move it is kept in view (later the operator scrolls freely).
    auto keepInView = [this] {
        if (!followCurrent_.hasExpired()) tree_->scrollTo(tree_->currentIndex());
    };
    connect(folders_, &QFileSystemModel::directoryLoaded, this, keepInView, Qt::QueuedConnection);
    connect(folders_, &QAbstractItemModel::rowsInserted, this, keepInView, Qt::QueuedConnection);
    // The lister sorts a while after the rows came, which moves them again.
    connect(folders_, &QAbstractItemModel::layoutChanged, this, keepInView, Qt::QueuedConnection);
    bind_.OnChange(chooser_.model.driveList.Name(), [this] {
        const ListBox& drives = chooser_.model.driveList;
        const int at = drives.ListIndex();
        if (at < 0 || static_cast<std::size_t>(at) >= drives.ListCount()) return;
        const QSignalBlocker blocker(tree_->selectionModel());
        tree_->setRootIndex(folders_->index(Qs(drives.Item(static_cast<std::size_t>(at)))));
    });
}

void FolderChooserDialog::ShowFolderInTree() {
    const Label& dirList = chooser_.model.dirList;
    tree_->setVisible(dirList.Visible());
    if (dirList.Caption().empty()) return;
    const QModelIndex index = folders_->index(Qs(dirList.Caption()));
    if (!index.isValid()) return;
    if (tree_->currentIndex() != index) {
        const QSignalBlocker blocker(tree_->selectionModel());
        tree_->setCurrentIndex(index);
        tree_->expand(index);
    }
    tree_->scrollTo(index);
    followCurrent_.setRemainingTime(kFollowCurrentMs);
}

void FolderChooserDialog::BuildNotices() {
    FolderChooserModel& model = chooser_.model;
    const QRect place = TwipsRect(kNoticeLeft, kNoticeTop, kNoticeWidth, kNoticeHeight);
    for (auto [label, colour] :
         {std::pair<Label*, QColor>{&model.lblFilesFound, QColor(0, 210, 0)},
          std::pair<Label*, QColor>{&model.lblNoFilesFound, QColor(230, 0, 0)}}) {
        auto* notice = new OutlinedNotice(colour, this);
        notice->setObjectName(Qs(label->Name()));
        notice->setGeometry(place);
        bind_.OnChange(label->Name(), [notice, label] {
            notice->setText(Qs(label->Caption()));
            notice->setVisible(label->Visible());
        });
    }
}

void FolderChooserDialog::FollowVisibility() {
    bind_.OnChange(chooser_.model.frmFileOpen.Name(), [this] {
        const Frame& window = chooser_.model.frmFileOpen;
        setWindowTitle(Qs(window.Caption()));
        if (!window.Visible() && isVisible()) hide();
    });
}

void FolderChooserDialog::Browse(int browseIndex) {
    btnBrowse_Click(ctx_, chooser_, browseIndex);
    if (!ctx_.state.FileChooserOpen) return;
    show();
    raise();
    activateWindow();
}

void FolderChooserDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    noticeTimer_.start();
}

void FolderChooserDialog::hideEvent(QHideEvent* event) {
    noticeTimer_.stop();
    QDialog::hideEvent(event);
}

// The close box and the escape key are Cancel: nothing is written.
void FolderChooserDialog::closeEvent(QCloseEvent* event) {
    if (chooser_.model.frmFileOpen.Visible()) chooser_.btnCancel_Click();
    event->accept();
}

void FolderChooserDialog::reject() {
    if (chooser_.model.frmFileOpen.Visible()) chooser_.btnCancel_Click();
    QDialog::reject();
}

}  // namespace vfs::ui
