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

// A view keeps its rows from these events alone: each one is told before and after, with
// the row count the view would see at that moment.
TEST(FormModelTest, ListTellsItsViewAppendsHeadRemovalsAndResets) {
    FormModel form;
    ListBox& list = form.lstTasksToDo;
    std::vector<std::string> events;
    list.rowListener = [&](const RowEvent& e) {
        static const char* kNames[] = {"insert", "remove", "change", "reset"};
        events.push_back(std::string(kNames[static_cast<int>(e.change)]) + " " +
                         std::to_string(e.first) + "+" + std::to_string(e.count) +
                         (e.done ? " done" : " before") + " n=" + std::to_string(list.ListCount()));
    };
    list.AddItem("a");
    list.AddItem("b");
    list.RemoveFirst();
    list.SetItem(0, "c");
    list.RemoveItem(5);  // off the list: nothing happens
    list.Clear();
    EXPECT_EQ(events, (std::vector<std::string>{
                          "insert 0+1 before n=0", "insert 0+1 done n=1", "insert 1+1 before n=1",
                          "insert 1+1 done n=2", "remove 0+1 before n=2", "remove 0+1 done n=1",
                          "change 0+1 done n=1", "reset 0+1 before n=1", "reset 0+0 done n=0"}));
}

}  // namespace
}  // namespace vfs
