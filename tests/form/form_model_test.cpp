#include "form/form_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vfs {
namespace {

TEST(FormModelTest, ListenerHearsEachChangedControlOnce) {
    FormModel form;
    std::vector<std::string> changed;
    form.notifier.listener = [&](const std::string& name) { changed.push_back(name); };

    form.lblStatus.SetCaption("14:00:00 - Scanning");
    form.lblStatus.SetCaption("14:00:00 - Scanning");  // no change, no notice
    form.imgLineLink[3].SetTag("1");
    form.lstTasksToDo.AddItem("line");

    EXPECT_EQ(changed, (std::vector<std::string>{"lblStatus", "imgLineLink(3)", "lstTasksToDo"}));
}

TEST(FormModelTest, ProgressBarIgnoresValuesOutsideItsRange) {
    FormModel form;
    form.pbOverall.SetValue(40);
    form.pbOverall.SetValue(101);
    form.pbOverall.SetValue(-1);
    EXPECT_EQ(form.pbOverall.Value(), 40);
}

TEST(FormModelTest, ListRemovalKeepsSelectionOnTheSameItem) {
    FormModel form;
    for (const char* s : {"a", "b", "c"})
        form.lstLAudioPaths.AddItem(s);
    form.lstLAudioPaths.SetListIndex(2);
    form.lstLAudioPaths.RemoveItem(0);
    EXPECT_EQ(form.lstLAudioPaths.ListIndex(), 1);
    EXPECT_EQ(form.lstLAudioPaths.Text(), "c");
    form.lstLAudioPaths.RemoveItem(1);
    EXPECT_EQ(form.lstLAudioPaths.ListIndex(), -1);
}

}  // namespace
}  // namespace vfs
