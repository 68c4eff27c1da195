#include "form/controls.h"

namespace vfs {

void ListBox::AddItem(const std::string& text, long itemData) {
    TellRows(RowChange::Inserted, items_.size(), 1, false);
    items_.push_back(text);
    data_.push_back(itemData);
    TellRows(RowChange::Inserted, items_.size() - 1, 1, true);
    Changed();
}

void ListBox::RemoveItem(std::size_t i) {
    if (i >= items_.size()) return;
    TellRows(RowChange::Removed, i, 1, false);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    data_.erase(data_.begin() + static_cast<std::ptrdiff_t>(i));
    if (listIndex_ == static_cast<int>(i)) {
        listIndex_ = -1;
    } else if (listIndex_ > static_cast<int>(i)) {
        --listIndex_;
    }
    if (topIndex_ > 0 && topIndex_ >= static_cast<int>(items_.size())) topIndex_ = 0;
    TellRows(RowChange::Removed, i, 1, true);
    Changed();
}

void ListBox::RemoveFirst() {
    RemoveItem(0);
}

void ListBox::Clear() {
    if (items_.empty() && listIndex_ == -1 && topIndex_ == 0) return;
    TellRows(RowChange::Reset, 0, items_.size(), false);
    items_.clear();
    data_.clear();
    listIndex_ = -1;
    topIndex_ = 0;
    TellRows(RowChange::Reset, 0, 0, true);
    Changed();
}

void ListBox::SetItem(std::size_t i, const std::string& text) {
    if (i >= items_.size() || items_[i] == text) return;
    items_[i] = text;
    TellRows(RowChange::Changed, i, 1, true);
    Changed();
}

void ListBox::SetListIndex(int i) {
    if (i < -1 || i >= static_cast<int>(items_.size())) i = -1;
    Set(listIndex_, i);
}

std::string ListBox::Text() const {
    if (listIndex_ < 0 || listIndex_ >= static_cast<int>(items_.size())) return {};
    return items_[static_cast<std::size_t>(listIndex_)];
}

}  // namespace vfs
