#include "config/path_grid.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "engine/file_helpers.h"
#include "engine/state_files.h"

namespace vfs {

namespace {

enum class LinkState { Active, Error, Disabled };

struct LinkLook {
    const char* picture;
    const char* tag;
};

LinkLook PathLinkLook(LinkState state) {
    switch (state) {
        case LinkState::Active:
            return {kPathLinkActive, kTagActive};
        case LinkState::Error:
            return {kPathLinkError, kTagError};
        default:
            return {kPathLinkDisabled, kTagDisabled};
    }
}

LinkLook LineLinkLook(LinkState state) {
    switch (state) {
        case LinkState::Active:
            return {kLineLinkActive, kTagActive};
        case LinkState::Error:
            return {kLineLinkError, kTagError};
        default:
            return {kLineLinkDisabled, kTagDisabled};
    }
}

void Show(Picture& indicator, const LinkLook& look) {
    indicator.SetPictureId(look.picture);
    indicator.SetTag(look.tag);
}

bool IsEnabled(const Picture& indicator) {
    return IndicatorTagValue(indicator.Tag()) != 0;
}

bool IsCategory(int category) {
    return category >= 0 && category < kCategoryCount;
}
bool IsIndicatorRow(int row) {
    return row >= 0 && row < kMaxAudioRows;
}

// The audio rows that can have an indicator: MaxAudioPaths, within the fifty indicators.
int AudioRowLimit(const Context& ctx) {
    return std::clamp<int>(ctx.state.MaxAudioPaths, 0, kMaxAudioRows);
}

bool RowBelow(const ListBox& list, int row) {
    return row < static_cast<int>(list.ListCount());
}

Picture& PathLink(Context& ctx, int category) {
    return ctx.form.imgPathLink[static_cast<std::size_t>(category)];
}
Picture& LineLink(Context& ctx, int row) {
    return ctx.form.imgLineLink[static_cast<std::size_t>(row)];
}

void ValidateCategoryRows(Context& ctx) {
    for (int category = 0; category < kCategoryCount; ++category) {
        const bool extendedRow = category == 1 || category == 2 || category == 5;
        if (extendedRow && !ctx.state.ExtendedFolders) continue;
        Picture& indicator = PathLink(ctx, category);
        if (!IsEnabled(indicator)) continue;
        const bool usable = ValidatePath(ctx, category);
        Show(indicator, PathLinkLook(usable ? LinkState::Active : LinkState::Error));
    }
}

void ValidateAudioRow(Context& ctx, int row) {
    Picture& indicator = LineLink(ctx, row);
    if (!RowBelow(ctx.form.lstLAudioPaths, row)) {
        indicator.SetVisible(false);
        indicator.SetTag(kTagDisabled);
        return;
    }
    indicator.SetVisible(true);
    if (!IsEnabled(indicator)) {
        indicator.SetPictureId(kLineLinkDisabled);
    } else if (RowBelow(ctx.form.lstRAudioPaths, row)) {
        const bool usable = ValidateAudioPath(ctx, row);
        Show(indicator, LineLinkLook(usable ? LinkState::Active : LinkState::Error));
    }
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

std::string AudioCategoryName(int row) {
    return "Audio Folder " + std::to_string(row + 1);
}

long IndicatorTagValue(const std::string& tag) {
    errno = 0;
    const long value = std::strtol(tag.c_str(), nullptr, 10);
    return errno == 0 ? value : 0;
}

bool ValidatePath(Context& ctx, int category) {
    if (!IsCategory(category)) return false;
    return FolderExists(ctx.form.LocalPathBox(category).Text()) &&
           FolderExists(ctx.form.RemotePathBox(category).Text());
}

bool ValidateAudioPath(Context& ctx, int row) {
    if (row < 0) return false;
    const ListBox& local = ctx.form.lstLAudioPaths;
    const ListBox& remote = ctx.form.lstRAudioPaths;
    if (!RowBelow(local, row) || !RowBelow(remote, row)) return false;
    const std::string& localPath = local.Item(static_cast<std::size_t>(row));
    const std::string& remotePath = remote.Item(static_cast<std::size_t>(row));
    if (!IsChosenEntry(localPath) || !IsChosenEntry(remotePath)) return false;
    return FolderExists(localPath) && FolderExists(remotePath);
}

void ValidatePaths(Context& ctx) {
    // 1. The fixed categories that take part; disabled rows keep their look.
    ValidateCategoryRows(ctx);
    // 2. Every audio row that may exist: shown and judged, or hidden and off.
    const int limit = AudioRowLimit(ctx);
    for (int row = 0; row < limit; ++row)
        ValidateAudioRow(ctx, row);
    // 3. Indicators beyond the allowed rows are never shown.
    for (int row = limit; row < kMaxAudioRows; ++row)
        LineLink(ctx, row).SetVisible(false);
}

void imgPathLink_Click(Context& ctx, int category) {
    if (!IsCategory(category)) return;
    Picture& indicator = PathLink(ctx, category);
    if (!IsEnabled(indicator)) {
        const bool usable = ValidatePath(ctx, category);
        Show(indicator, PathLinkLook(usable ? LinkState::Active : LinkState::Error));
    } else {
        Show(indicator, PathLinkLook(LinkState::Disabled));
    }
}

void imgLineLink_Click(Context& ctx, int row) {
    if (!IsIndicatorRow(row)) return;
    Picture& indicator = LineLink(ctx, row);
    if (!IsEnabled(indicator)) {
        const bool usable = ValidateAudioPath(ctx, row);
        Show(indicator, LineLinkLook(usable ? LinkState::Active : LinkState::Error));
    } else {
        Show(indicator, LineLinkLook(LinkState::Disabled));
    }
}

void btnDeleteAudioPath_Click(Context& ctx) {
    FormModel& form = ctx.form;
    // 1. No button keeps the focus.
    form.SetFocus("txtFocus");
    // 2. The row to delete is the selected one; with none selected there is nothing to do.
    const int selected = form.lstLAudioPaths.ListIndex();
    // 3. A further deletion needs a new selection.
    form.btnDeleteAudioPath.SetEnabled(false);
    if (selected < 0) return;
    // 4. The pair leaves both lists, and the states of the rows it renumbers are discarded.
    const int oldRowCount = static_cast<int>(form.lstLAudioPaths.ListCount());
    form.lstLAudioPaths.RemoveItem(static_cast<std::size_t>(selected));
    form.lstRAudioPaths.RemoveItem(static_cast<std::size_t>(selected));
    DiscardRenumberedStates(ctx, selected, oldRowCount);
    // 5./6. The indicators follow their rows up; the last one is hidden.
    ShiftIndicatorsUp(ctx, selected);
    // 7. A row is free again.
    form.btnBrowse[15].SetEnabled(true);
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
    Show(indicator, LineLinkLook(LinkState::Error));
    if (newRow + 1 >= ctx.state.MaxAudioPaths) form.btnBrowse[15].SetEnabled(false);
    // A state left by an earlier row of this number belongs to another folder.
    DeleteStateFiles(ctx, AudioCategoryName(newRow));
}

void lstAudioPaths_Click(Context& ctx, bool localList) {
    FormModel& form = ctx.form;
    const ListBox& clicked = localList ? form.lstLAudioPaths : form.lstRAudioPaths;
    ListBox& other = localList ? form.lstRAudioPaths : form.lstLAudioPaths;
    form.btnBrowse[14].SetEnabled(true);
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
