// The path page: one row per folder category, the audio lists with their indicator column,
// and the buttons that reload, browse and delete.
#include <QEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include "config/folder_chooser.h"
#include "config/path_grid.h"
#include "config/reload_paths.h"
#include "engine/pair_links.h"
#include "form/folder_categories.h"
#include "ui/pages.h"
#include "ui/twips.h"

namespace vfs::ui {

namespace {

constexpr int kLabelLeft = 0;
constexpr int kLabelWidth = 1440;
constexpr int kLocalLeft = 1470;
constexpr int kRemoteLeft = 6480;
constexpr int kFieldWidth = 4350;
constexpr int kFieldHeight = 315;
constexpr int kLocalBrowseLeft = 5820;
constexpr int kRemoteBrowseLeft = 10830;
constexpr int kBrowseWidth = 330;
constexpr int kBrowseHeight = 315;
constexpr int kIndicatorLeft = 6165;
constexpr int kRowPitch = 330;
constexpr int kFirstRowTop = 255;
constexpr int kAudioListsTop = 2565;
constexpr int kAudioListHeight = 3180;
constexpr int kLineLinkOuterLeft = 5835;
constexpr int kLineLinkOuterWidth = 630;
constexpr int kLineLinkOuterHeight = 3090;

// Typing into a path field makes a new pair just as the chooser does: once the edit is
// finished, the field's text at the start of the edit tells whether the path changed.
class PathFieldEdits : public QObject {
  public:
    PathFieldEdits(Context& ctx, QLineEdit* field)
        : QObject(field), ctx_(ctx), field_(field), textAtFocusIn_(field->text().toStdString()) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::editingFinished, this, [this] { Finished(); });
        // A path the program puts into a field nobody is typing in (the chooser, a reload)
        // is where the next edit starts from.
        connect(field, &QLineEdit::textChanged, this, [this](const QString& text) {
            if (!field_->hasFocus()) textAtFocusIn_ = text.toStdString();
        });
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) textAtFocusIn_ = field_->text().toStdString();
        return false;
    }

  private:
    void Finished() {
        PathField_Edited(ctx_, field_->objectName().toStdString(), textAtFocusIn_);
        // Return and then leaving the field finish the same edit twice.
        textAtFocusIn_ = field_->text().toStdString();
    }

    Context& ctx_;
    QLineEdit* field_;
    std::string textAtFocusIn_;
};

void BuildPathField(Context& ctx, FormBinding& bind, TextBox& model, QWidget* page, QRect place) {
    new PathFieldEdits(ctx, bind.Text(model, page, place));
}

void BuildCategoryRow(Context& ctx, FormBinding& bind, QWidget* page, int category,
                      const BrowseHandler& browse) {
    FormModel& form = ctx.form;
    const FolderCategory& row = FolderCategoryAt(category);
    // Design layout: every row in the place of its own number.
    const int top = kFirstRowTop + category * kRowPitch;
    QLabel* label =
        bind.Label(form.*row.label, page, TwipsRect(kLabelLeft, top + 45, kLabelWidth, 255));
    // The label column is narrow: "Sched. Events Sets" fits it only a size smaller.
    QFont font = label->font();
    font.setPixelSize(10);
    label->setFont(font);
    BuildPathField(ctx, bind, form.LocalPathBox(category), page,
                   TwipsRect(kLocalLeft, top, kFieldWidth, kFieldHeight));
    BuildPathField(ctx, bind, form.RemotePathBox(category), page,
                   TwipsRect(kRemoteLeft, top, kFieldWidth, kFieldHeight));
    const int local = static_cast<int>(BrowseLocalIndex(category));
    const int remote = static_cast<int>(BrowseRemoteIndex(category));
    bind.Button(
        form.btnBrowse[BrowseLocalIndex(category)], page,
        TwipsRect(kLocalBrowseLeft, top, kBrowseWidth, kBrowseHeight),
        [browse, local] { browse(local); }, QStringLiteral("..."));
    bind.Button(
        form.btnBrowse[BrowseRemoteIndex(category)], page,
        TwipsRect(kRemoteBrowseLeft, top, kBrowseWidth, kBrowseHeight),
        [browse, remote] { browse(remote); }, QStringLiteral("..."));
    bind.Indicator(form.imgPathLink[static_cast<std::size_t>(category)], page,
                   TwipsRect(kIndicatorLeft, top + 75, 285, 165),
                   [&ctx, category] { imgPathLink_Click(ctx, category); });
}

// Rows of the audio lists are as tall as the indicators are apart, so that each indicator
// stays beside its row.
void StyleAudioList(QListView* list) {
    QFont font = list->font();
    font.setPixelSize(Px(kLineLinkPitch) - 2);
    list->setFont(font);
    list->setStyleSheet(
        QStringLiteral("QListView::item { height: %1px; padding: 0px; }").arg(Px(kLineLinkPitch)));
    list->setSpacing(0);
}

void BuildIndicatorColumn(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    QWidget* outer = bind.Frame(form.frmLineLinkOuter, page,
                                TwipsRect(kLineLinkOuterLeft, kAudioListsTop + 45,
                                          kLineLinkOuterWidth, kLineLinkOuterHeight));
    auto* column = new QWidget(outer);
    column->setObjectName(QStringLiteral("frmLineLink"));
    column->setGeometry(0, 0, Px(kLineLinkOuterWidth), Px(kMaxAudioRows * kLineLinkPitch));
    // The column's top is 0 or negative (scrolled), so it is moved even when it is 0.
    bind.OnChange(form.frmLineLink.Name(),
                  [column, &form] { column->move(0, Px(form.frmLineLink.Top())); });
    for (int row = 0; row < kMaxAudioRows; ++row) {
        bind.Indicator(form.imgLineLink[static_cast<std::size_t>(row)], column,
                       TwipsRect(0, row * kLineLinkPitch, 600, 165),
                       [&ctx, row] { imgLineLink_Click(ctx, row); });
    }
}

void BuildAudioBlock(Context& ctx, FormBinding& bind, QWidget* page, const BrowseHandler& browse) {
    FormModel& form = ctx.form;
    bind.Label(form.lblAudioFilePaths, page,
               TwipsRect(kLabelLeft, kAudioListsTop + 30, kLabelWidth, 255));
    for (bool local : {true, false}) {
        ListBox& model = local ? form.lstLAudioPaths : form.lstRAudioPaths;
        QListView* list = bind.List(
            model, page,
            TwipsRect(local ? kLocalLeft : kRemoteLeft, kAudioListsTop, kFieldWidth,
                      kAudioListHeight),
            [&ctx, local] { lstAudioPaths_Click(ctx, local); },
            [&ctx, local] { lstAudioPaths_Scroll(ctx, local); });
        StyleAudioList(list);
    }
    BuildIndicatorColumn(ctx, bind, page);
    bind.Button(
        form.btnBrowse[kBrowseRemoteAudio], page,
        TwipsRect(kRemoteBrowseLeft, kAudioListsTop, kBrowseWidth, kBrowseHeight),
        [browse] { browse(static_cast<int>(kBrowseRemoteAudio)); }, QStringLiteral("..."));
    bind.Button(
        form.btnBrowse[kBrowseAddAudio], page,
        TwipsRect(kRemoteBrowseLeft, 2880, kBrowseWidth, kBrowseHeight),
        [browse] { browse(static_cast<int>(kBrowseAddAudio)); }, QStringLiteral("+"));
    QPushButton* remove = bind.Button(
        form.btnDeleteAudioPath, page,
        TwipsRect(kRemoteBrowseLeft, 3195, kBrowseWidth, kBrowseHeight),
        [&ctx] { btnDeleteAudioPath_Click(ctx); }, QStringLiteral("X"));
    remove->setToolTip(QStringLiteral("Delete the highlighted Audio File Path"));
}

}  // namespace

void BuildPathPage(Context& ctx, FormBinding& bind, QWidget* page, const BrowseHandler& browse) {
    FormModel& form = ctx.form;
    auto* localHeading = new QLabel(QStringLiteral("Local Path"), page);
    localHeading->setGeometry(TwipsRect(kLocalLeft, 45, kFieldWidth, 210));
    auto* remoteHeading = new QLabel(QStringLiteral("Remote Path"), page);
    remoteHeading->setGeometry(TwipsRect(kRemoteLeft, 45, kFieldWidth, 210));
    for (int category = 0; category < kCategoryCount; ++category)
        BuildCategoryRow(ctx, bind, page, category, browse);
    BuildAudioBlock(ctx, bind, page, browse);
    // Left of the audio lists, which reach down beside it with the extended folders shown.
    bind.Button(form.cmdLoadPaths, page, TwipsRect(90, 5085, 1290, 630),
                [&ctx] { cmdLoadPaths_Click(ctx); });
    bind.Text(form.txtSession, page, TwipsRect(3000, 5085, 600, 315));
    bind.Button(form.cmdValPaths, page, TwipsRect(3700, 5085, 1800, 375),
                [&ctx] { ValidatePaths(ctx); });
}

}  // namespace vfs::ui
