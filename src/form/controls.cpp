#include "form/controls.h"

#include <cstring>

namespace vfs {

ListBox::Row ListBox::TextRow(const std::string& text, long data) {
    Row row;
    row.text = std::make_unique_for_overwrite<char[]>(text.size() + 1);
    std::memcpy(row.text.get(), text.data(), text.size());
    row.sizeOrKey = text.size();
    row.data = data;
    return row;
}

std::vector<std::string> ListBox::Items() const {
    std::vector<std::string> items;
    items.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i)
        items.push_back(Item(i));
    return items;
}

std::string ListBox::Item(std::size_t i) const {
    const Row& row = rows_.at(i);
    if (row.text) return std::string(row.text.get(), row.sizeOrKey);
    return composer_ ? composer_->RowText(row.sizeOrKey) : std::string();
}

std::optional<uint64_t> ListBox::ComposedKey(std::size_t i) const {
    if (i >= rows_.size() || rows_[i].text) return std::nullopt;
    return rows_[i].sizeOrKey;
}

void ListBox::Append(Row row) {
    TellRows(RowChange::Inserted, rows_.size(), 1, false);
    rows_.push_back(std::move(row));
    TellRows(RowChange::Inserted, rows_.size() - 1, 1, true);
    Changed();
}

void ListBox::AddItem(const std::string& text, long itemData) {
    Append(TextRow(text, itemData));
}

void ListBox::AddComposedItem(const RowComposer& composer, uint64_t key, long itemData) {
    composer_ = &composer;
    Row row;
    row.sizeOrKey = key;
    row.data = itemData;
    Append(std::move(row));
}

void ListBox::RemoveItem(std::size_t i) {
    if (i >= rows_.size()) return;
    TellRows(RowChange::Removed, i, 1, false);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    if (listIndex_ == static_cast<int>(i)) {
        listIndex_ = -1;
    } else if (listIndex_ > static_cast<int>(i)) {
        --listIndex_;
    }
    if (topIndex_ > 0 && topIndex_ >= static_cast<int>(rows_.size())) topIndex_ = 0;
    TellRows(RowChange::Removed, i, 1, true);
    Changed();
}

void ListBox::RemoveFirst() {
    RemoveItem(0);
}

void ListBox::Clear() {
    if (rows_.empty() && listIndex_ == -1 && topIndex_ == 0) return;
    TellRows(RowChange::Reset, 0, rows_.size(), false);
    rows_.clear();
    listIndex_ = -1;
    topIndex_ = 0;
    TellRows(RowChange::Reset, 0, 0, true);
    Changed();
}

void ListBox::SetItem(std::size_t i, const std::string& text) {
    // The same text leaves a composed row composed: it stays the task it was.
    if (i >= rows_.size() || Item(i) == text) return;
    rows_[i] = TextRow(text, rows_[i].data);
    TellRows(RowChange::Changed, i, 1, true);
    Changed();
}

void ListBox::SetListIndex(int i) {
    if (i < -1 || i >= static_cast<int>(rows_.size())) i = -1;
    Set(listIndex_, i);
}

std::string ListBox::Text() const {
    if (listIndex_ < 0 || listIndex_ >= static_cast<int>(rows_.size())) return {};
    return Item(static_cast<std::size_t>(listIndex_));
}

}  // namespace vfs
