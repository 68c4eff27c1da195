#include "form/controls.h"

namespace vfs {

void ListBox::AddItem(const std::string& text, long itemData) {
    items_.push_back(text);
    data_.push_back(itemData);
    Changed();
}

void ListBox::RemoveItem(std::size_t i) {
    if (i >= items_.size()) return;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
    data_.erase(data_.begin() + static_cast<std::ptrdiff_t>(i));
    if (listIndex_ == static_cast<int>(i)) {
        listIndex_ = -1;
    } else if (listIndex_ > static_cast<int>(i)) {
        --listIndex_;
    }
    if (topIndex_ > 0 && topIndex_ >= static_cast<int>(items_.size())) topIndex_ = 0;
    Changed();
}

void ListBox::RemoveFirst() {
    RemoveItem(0);
}

void ListBox::Clear() {
    if (items_.empty() && listIndex_ == -1 && topIndex_ == 0) return;
    items_.clear();
    data_.clear();
    listIndex_ = -1;
    topIndex_ = 0;
    Changed();
}

void ListBox::SetItem(std::size_t i, const std::string& text) {
    if (i >= items_.size() || items_[i] == text) return;
    items_[i] = text;
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
