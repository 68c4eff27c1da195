#include "form/folder_categories.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/state_files.h"

namespace vfs {
namespace {

// A row copied from another and not fully edited would make two categories share a state
// file, a settings key or a control, and one would overwrite the other.
TEST(FolderCategoriesTest, NoTwoCategoriesShareAStateFileKeyOrControl) {
    FormModel form;
    std::set<std::string> stateFiles, settingsKeys, automationKeys;
    std::set<const Control*> controls;
    for (const FolderCategory& category : kFolderCategories) {
        EXPECT_TRUE(stateFiles.insert(StateBaseName(category.name)).second) << category.name;
        EXPECT_TRUE(settingsKeys.insert(category.localKey).second) << category.localKey;
        EXPECT_TRUE(settingsKeys.insert(category.remoteKey).second) << category.remoteKey;
        EXPECT_TRUE(automationKeys.insert(category.automationKey).second) << category.name;
        EXPECT_TRUE(controls.insert(&(form.*category.localBox)).second) << category.name;
        EXPECT_TRUE(controls.insert(&(form.*category.remoteBox)).second) << category.name;
        EXPECT_TRUE(controls.insert(&(form.*category.label)).second) << category.name;
    }
    for (int row = 0; row < kMaxAudioRows; ++row)
        EXPECT_FALSE(stateFiles.count(StateBaseName(AudioCategoryName(row)))) << row;
}

TEST(FolderCategoriesTest, PathBoxesAndLabelsFollowTheTable) {
    FormModel form;
    for (int index = 0; index < kCategoryCount; ++index) {
        const FolderCategory& category = kFolderCategories[static_cast<std::size_t>(index)];
        EXPECT_EQ(&form.LocalPathBox(index), &(form.*category.localBox));
        EXPECT_EQ(&form.RemotePathBox(index), &(form.*category.remoteBox));
        EXPECT_EQ((form.*category.label).Caption(), category.labelCaption);
    }
    // An index off the table answers the last row, as the path grid always did.
    EXPECT_EQ(&form.LocalPathBox(kCategoryCount), &form.txtLSched);
    EXPECT_EQ(&form.RemotePathBox(-1), &form.txtRSched);
}

}  // namespace
}  // namespace vfs
