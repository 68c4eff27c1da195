#include "config/pages.h"

#include <iterator>

#include "engine/pair_links.h"
#include "form/folder_categories.h"

namespace vfs {

namespace {

constexpr int kPageCount = 4;
constexpr int kSelectedTabTop = 75;
constexpr int kSelectedTabHeight = 450;
constexpr int kTabTop = 105;
constexpr int kTabHeight = 390;
// The indicator column sits a little below the audio lists' top edge.
constexpr int kLineLinkOuterBelowLists = 45;

Frame& PageFrame(FormModel& form, int page) {
    switch (page) {
        case 0:
            return form.frmPaths;
        case 1:
            return form.frmSettings;
        case 2:
            return form.frmLog;
        default:
            return form.frmControls;
    }
}

Label& RowLabel(FormModel& form, int category) {
    return form.*FolderCategoryAt(category).label;
}

// Tops (twips) of one category row: fields and browse buttons, label, indicator.
struct RowTops {
    int field;
    int label;
    int indicator;
};

// The places of the category rows in the design layout, from the top. With every row shown
// each category has the place of its own number; without the extended rows the others
// close up into the first places, and the hidden rows are not moved at all, so they come
// back where they were.
constexpr RowTops kRowPlaces[] = {{255, 300, 330},    {585, 630, 675},    {915, 945, 990},
                                  {1245, 1290, 1320}, {1575, 1620, 1650}, {1905, 1950, 1980},
                                  {2235, 2280, 2310}};
static_assert(std::size(kRowPlaces) == kCategoryCount, "every category row needs its place");

// Tops of the audio block: lists and remote browse button, its label, add and delete.
struct AudioTops {
    int lists;
    int label;
    int addButton;
    int deleteButton;
};
constexpr AudioTops kExtendedAudioTops = {2565, 2595, 2880, 3195};
constexpr AudioTops kCompactAudioTops = {1575, 1620, 1890, 2205};

void SetTab(Button& tab, bool selected) {
    tab.SetTop(selected ? kSelectedTabTop : kTabTop);
    tab.SetHeight(selected ? kSelectedTabHeight : kTabHeight);
    tab.SetBold(selected);
}

void ShowRow(FormModel& form, int category, bool visible) {
    RowLabel(form, category).SetVisible(visible);
    form.LocalPathBox(category).SetVisible(visible);
    form.RemotePathBox(category).SetVisible(visible);
    form.btnBrowse[BrowseLocalIndex(category)].SetVisible(visible);
    form.btnBrowse[BrowseRemoteIndex(category)].SetVisible(visible);
    form.imgPathLink[static_cast<std::size_t>(category)].SetVisible(visible);
}

void PlaceRow(FormModel& form, int category, const RowTops& tops) {
    RowLabel(form, category).SetTop(tops.label);
    form.LocalPathBox(category).SetTop(tops.field);
    form.RemotePathBox(category).SetTop(tops.field);
    form.btnBrowse[BrowseLocalIndex(category)].SetTop(tops.field);
    form.btnBrowse[BrowseRemoteIndex(category)].SetTop(tops.field);
    form.imgPathLink[static_cast<std::size_t>(category)].SetTop(tops.indicator);
}

void LayOutCategoryRows(FormModel& form, bool extended) {
    std::size_t place = 0;
    for (int category = 0; category < kCategoryCount; ++category) {
        const bool shown = extended || !FolderCategoryAt(category).extendedOnly;
        ShowRow(form, category, shown);
        if (!shown) continue;
        PlaceRow(form, category, kRowPlaces[place++]);
    }
}

void LayOutAudioBlock(FormModel& form, bool extended) {
    const AudioTops& tops = extended ? kExtendedAudioTops : kCompactAudioTops;
    form.lstLAudioPaths.SetTop(tops.lists);
    form.lstRAudioPaths.SetTop(tops.lists);
    form.btnBrowse[kBrowseRemoteAudio].SetTop(tops.lists);
    form.lblAudioFilePaths.SetTop(tops.label);
    form.btnBrowse[kBrowseAddAudio].SetTop(tops.addButton);
    form.btnDeleteAudioPath.SetTop(tops.deleteButton);
    form.frmLineLinkOuter.SetTop(tops.lists + kLineLinkOuterBelowLists);
}

}  // namespace

void cmdPage_Click(Context& ctx, int index) {
    if (index < 0 || index >= kPageCount) return;
    FormModel& form = ctx.form;
    // The chosen tab stands taller and bold; the others are lower and plain.
    for (int page = 0; page < kPageCount; ++page) {
        SetTab(form.cmdPage[static_cast<std::size_t>(page)], page == index);
    }
    // Stacking the tab over its page is the window's drawing: it raises every tab and lets
    // the page on show cover the lower edge of its tab. Only the chosen page is on show.
    for (int page = 0; page < kPageCount; ++page)
        PageFrame(form, page).SetVisible(page == index);
    // The tab of the page on show cannot be clicked again.
    for (int page = 0; page < kPageCount; ++page) {
        form.cmdPage[static_cast<std::size_t>(page)].SetEnabled(page != index);
    }
    // No tab keeps the focus.
    form.SetFocus("txtFocus");
}

void ApplyExtendedFolders(Context& ctx, bool flag) {
    ctx.state.ExtendedFolders = flag;
    LayOutCategoryRows(ctx.form, flag);
    LayOutAudioBlock(ctx.form, flag);
    // Rows that come back may have changed state while they were hidden.
    ValidatePaths(ctx);
}

void chkExtendedPaths_Click(Context& ctx) {
    ApplyExtendedFolders(ctx, ctx.form.chkExtendedPaths.Checked());
}

}  // namespace vfs
