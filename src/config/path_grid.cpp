#include "config/path_grid.h"

#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "form/folder_categories.h"

namespace vfs {

namespace {

bool IsCategory(int category) {
    return category >= 0 && category < kCategoryCount;
}
bool IsIndicatorRow(int row) {
    return row >= 0 && row < kMaxAudioRows;
}

Picture& PathLink(Context& ctx, int category) {
    return ctx.form.imgPathLink[static_cast<std::size_t>(category)];
}
Picture& LineLink(Context& ctx, int row) {
    return ctx.form.imgLineLink[static_cast<std::size_t>(row)];
}

LinkState UsableOrError(bool usable) {
    return usable ? LinkState::Active : LinkState::Error;
}

// Tag, picture and visibility of one audio indicator into another.
void CopyIndicator(const Picture& from, Picture& to) {
    to.SetTag(from.Tag());
    to.SetPictureId(from.PictureId());
    to.SetVisible(from.Visible());
}

void ShiftIndicatorsUp(Context& ctx, int fromRow) {
    const int limit = AudioRowLimit(ctx);
    // A row beyond the limit had no indicator; the ones in use keep their rows and
    // switches.
    if (fromRow >= limit) return;
    for (int row = fromRow; row <= limit - 2; ++row) {
        CopyIndicator(LineLink(ctx, row + 1), LineLink(ctx, row));
    }
    if (limit < 1) return;
    Picture& last = LineLink(ctx, limit - 1);
    last.SetTag(kTagActive);
    last.SetVisible(false);
}

// The rows from `fromRow` to the old end all changed meaning: one is gone, the rest moved
// up by one. Their previous-sync states belong to other folders now, so they go; the next
// sync of those rows starts afresh instead of deleting files it never saw deleted.
void DiscardRenumberedStates(Context& ctx, int fromRow, int oldRowCount) {
    for (int row = fromRow; row < oldRowCount; ++row)
        DeleteStateFiles(ctx, AudioCategoryName(row));
}

}  // namespace

void imgPathLink_Click(Context& ctx, int category) {
    if (!IsCategory(category)) return;
    Picture& indicator = PathLink(ctx, category);
    if (!IsLinkEnabled(indicator)) {
        ShowPathLink(indicator, UsableOrError(ValidatePath(ctx, category)));
    } else {
        ShowPathLink(indicator, LinkState::Disabled);
    }
}

void imgLineLink_Click(Context& ctx, int row) {
    if (!IsIndicatorRow(row)) return;
    Picture& indicator = LineLink(ctx, row);
    if (!IsLinkEnabled(indicator)) {
        ShowLineLink(indicator, UsableOrError(ValidateAudioPath(ctx, row)));
    } else {
        ShowLineLink(indicator, LinkState::Disabled);
    }
}

void btnDeleteAudioPath_Click(Context& ctx) {
    FormModel& form = ctx.form;
    // No button keeps the focus.
    form.SetFocus("txtFocus");
    // The row to delete is the selected one. The button is disabled even when none is
    // selected: a further deletion needs a new selection.
    const int selected = form.lstLAudioPaths.ListIndex();
    form.btnDeleteAudioPath.SetEnabled(false);
    if (selected < 0) return;
    // The pair leaves both lists, and the states of the rows it renumbers are discarded.
    const int oldRowCount = static_cast<int>(form.lstLAudioPaths.ListCount());
    form.lstLAudioPaths.RemoveItem(static_cast<std::size_t>(selected));
    form.lstRAudioPaths.RemoveItem(static_cast<std::size_t>(selected));
    DiscardRenumberedStates(ctx, selected, oldRowCount);
    // The indicators follow their rows up; the last one is hidden.
    ShiftIndicatorsUp(ctx, selected);
    // A row is free again.
    form.btnBrowse[kBrowseAddAudio].SetEnabled(true);
}

void AddAudioRow(Context& ctx, const std::string& localFolder) {
    FormModel& form = ctx.form;
    const int newRow = static_cast<int>(form.lstLAudioPaths.ListCount());
    // The add button is disabled at the limit; a row past it would have no indicator.
    if (newRow >= AudioRowLimit(ctx)) return;
    form.lstLAudioPaths.AddItem(localFolder);
    form.lstRAudioPaths.AddItem(kNotSpecified);
    // Enabled, but not usable until the remote folder is chosen.
    Picture& indicator = LineLink(ctx, newRow);
    indicator.SetVisible(true);
    ShowLineLink(indicator, LinkState::Error);
    if (newRow + 1 >= ctx.state.MaxAudioPaths) form.btnBrowse[kBrowseAddAudio].SetEnabled(false);
    // A state left by an earlier row of this number belongs to another folder.
    DeleteStateFiles(ctx, AudioCategoryName(newRow));
}

void lstAudioPaths_Click(Context& ctx, bool localList) {
    FormModel& form = ctx.form;
    const ListBox& clicked = localList ? form.lstLAudioPaths : form.lstRAudioPaths;
    ListBox& other = localList ? form.lstRAudioPaths : form.lstLAudioPaths;
    form.btnBrowse[kBrowseRemoteAudio].SetEnabled(true);
    form.btnDeleteAudioPath.SetEnabled(true);
    // One pair stays highlighted across both lists.
    other.SetListIndex(clicked.ListIndex());
}

void lstAudioPaths_Scroll(Context& ctx, bool localList) {
    FormModel& form = ctx.form;
    const ListBox& scrolled = localList ? form.lstLAudioPaths : form.lstRAudioPaths;
    ListBox& other = localList ? form.lstRAudioPaths : form.lstLAudioPaths;
    const int top = scrolled.TopIndex();
    other.SetTopIndex(top);
    // Each indicator stays beside its row.
    form.frmLineLink.SetTop(-kLineLinkPitch * top);
}

}  // namespace vfs
