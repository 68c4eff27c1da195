#include "engine/pair_links.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "engine/file_helpers.h"
#include "engine/run_summary.h"
#include "form/folder_categories.h"

namespace vfs {

namespace {

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

LinkState UsableOrError(bool usable) {
    return usable ? LinkState::Active : LinkState::Error;
}

// A task line carries its folders between double quotes and the state files keep one entry
// per line, so a folder path holding a quote or a control character would be read back as
// another folder: such a path is never used.
bool IsCarriablePath(const std::string& path) {
    return std::none_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '"' || byte < 0x20 || byte == 0x7f;
    });
}

bool UsableFolder(const std::string& path) {
    return IsCarriablePath(path) && FolderExists(path);
}

bool RowBelow(const ListBox& list, int row) {
    return row < static_cast<int>(list.ListCount());
}

// A usable pair whose last scan stopped keeps the error picture, and its tooltip says why,
// until it scans well again; it still takes part in the next sync.
void KeepTroubleInView(const Context& ctx, Picture& indicator, const std::string& category,
                       const char* errorPicture) {
    const std::string trouble = PairTrouble(ctx, category);
    if (!trouble.empty() && indicator.Tag() == kTagActive) indicator.SetPictureId(errorPicture);
    indicator.SetToolTip(trouble);
}

// The fixed categories that take part; disabled rows keep their look.
void ValidateCategoryRows(Context& ctx) {
    for (int category = 0; category < kCategoryCount; ++category) {
        if (FolderCategoryAt(category).extendedOnly && !ctx.state.ExtendedFolders) continue;
        Picture& indicator = ctx.form.imgPathLink[static_cast<std::size_t>(category)];
        if (!IsLinkEnabled(indicator)) continue;
        ShowPathLink(indicator, UsableOrError(ValidatePath(ctx, category)));
        KeepTroubleInView(ctx, indicator, FolderCategoryAt(category).name, kPathLinkError);
    }
}

// An audio row that exists is shown and judged; an indicator without a row is hidden and off.
void ValidateAudioRow(Context& ctx, int row) {
    Picture& indicator = ctx.form.imgLineLink[static_cast<std::size_t>(row)];
    if (!RowBelow(ctx.form.lstLAudioPaths, row)) {
        indicator.SetVisible(false);
        indicator.SetTag(kTagDisabled);
        return;
    }
    indicator.SetVisible(true);
    if (!IsLinkEnabled(indicator)) {
        indicator.SetPictureId(kLineLinkDisabled);
    } else if (RowBelow(ctx.form.lstRAudioPaths, row)) {
        ShowLineLink(indicator, UsableOrError(ValidateAudioPath(ctx, row)));
        KeepTroubleInView(ctx, indicator, AudioCategoryName(row), kLineLinkError);
    }
}

}  // namespace

long IndicatorTagValue(const std::string& tag) {
    errno = 0;
    const long value = std::strtol(tag.c_str(), nullptr, 10);
    return errno == 0 ? value : 0;
}

bool IsLinkEnabled(const Picture& indicator) {
    return IndicatorTagValue(indicator.Tag()) != 0;
}

void ShowPathLink(Picture& indicator, LinkState state) {
    Show(indicator, PathLinkLook(state));
}

void ShowLineLink(Picture& indicator, LinkState state) {
    Show(indicator, LineLinkLook(state));
}

int AudioRowLimit(const Context& ctx) {
    return std::clamp<int>(ctx.state.MaxAudioPaths, 0, kMaxAudioRows);
}

bool ValidatePath(Context& ctx, int category) {
    if (category < 0 || category >= kCategoryCount) return false;
    return UsableFolder(ctx.form.LocalPathBox(category).Text()) &&
           UsableFolder(ctx.form.RemotePathBox(category).Text());
}

bool ValidateAudioPath(Context& ctx, int row) {
    if (row < 0) return false;
    const ListBox& local = ctx.form.lstLAudioPaths;
    const ListBox& remote = ctx.form.lstRAudioPaths;
    if (!RowBelow(local, row) || !RowBelow(remote, row)) return false;
    const std::string& localPath = local.Item(static_cast<std::size_t>(row));
    const std::string& remotePath = remote.Item(static_cast<std::size_t>(row));
    if (!IsChosenEntry(localPath) || !IsChosenEntry(remotePath)) return false;
    return UsableFolder(localPath) && UsableFolder(remotePath);
}

void ValidatePaths(Context& ctx) {
    ValidateCategoryRows(ctx);
    const int limit = AudioRowLimit(ctx);
    for (int row = 0; row < limit; ++row)
        ValidateAudioRow(ctx, row);
    // Indicators beyond the allowed rows are never shown.
    for (int row = limit; row < kMaxAudioRows; ++row)
        ctx.form.imgLineLink[static_cast<std::size_t>(row)].SetVisible(false);
}

}  // namespace vfs
