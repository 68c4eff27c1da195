// Value types for the main window's controls. The core reads and writes these; the window
// (when there is one) renders them. Every setter that changes something tells the form's
// listener which control changed, so a window can redraw just that control.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vfs {

// Shared by all controls of one form: the one listener that wants to hear about changes.
struct ChangeNotifier {
    std::function<void(const std::string& controlName)> listener;
    void Notify(const std::string& name) const {
        if (listener) listener(name);
    }
};

class Control {
  public:
    Control() = default;
    Control(std::string name, const ChangeNotifier* notifier)
        : name_(std::move(name)), notifier_(notifier) {}
    const std::string& Name() const { return name_; }

    bool Visible() const { return visible_; }
    void SetVisible(bool v) { Set(visible_, v); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { Set(enabled_, v); }

  protected:
    template <typename T>
    void Set(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    void Changed() const {
        if (notifier_) notifier_->Notify(name_);
    }

  private:
    std::string name_;
    const ChangeNotifier* notifier_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
};

// Label, button, frame, window: a caption plus visibility and enabled state.
class Label : public Control {
  public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& c) { Set(caption_, c); }
    const std::string& ToolTip() const { return toolTip_; }
    void SetToolTip(const std::string& t) { Set(toolTip_, t); }
    // Picture shown on a picture button (e.g. btnAutoSync), by template name.
    const std::string& Picture() const { return picture_; }
    void SetPicture(const std::string& p) { Set(picture_, p); }
    const std::string& DisabledPicture() const { return disabledPicture_; }
    void SetDisabledPicture(const std::string& p) { Set(disabledPicture_, p); }
    // Layout values in twips, for controls that the core moves.
    int Top() const { return top_; }
    void SetTop(int t) { Set(top_, t); }
    int Height() const { return height_; }
    void SetHeight(int h) { Set(height_, h); }
    bool Bold() const { return bold_; }
    void SetBold(bool b) { Set(bold_, b); }

  private:
    std::string caption_;
    std::string toolTip_;
    std::string picture_;
    std::string disabledPicture_;
    int top_ = 0;
    int height_ = 0;
    bool bold_ = false;
};
using Button = Label;
using Frame = Label;

class TextBox : public Control {
  public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    void SetText(const std::string& t) { Set(text_, t); }
    int Top() const { return top_; }
    void SetTop(int t) { Set(top_, t); }

  private:
    std::string text_;
    int top_ = 0;
};

class CheckBox : public Control {
  public:
    using Control::Control;
    int Value() const { return value_; }
    void SetValue(int v) { Set(value_, v); }
    bool Checked() const { return value_ == 1; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& c) { Set(caption_, c); }

  private:
    int value_ = 0;
    std::string caption_;
};

// Option button of an option group.
using OptionButton = CheckBox;

class ProgressBar : public Control {
  public:
    using Control::Control;
    int Value() const { return value_; }
    // The bar's range is 0..100; a value outside it is not applied (the bar keeps its value).
    void SetValue(long v) {
        if (v < 0 || v > 100) return;
        Set(value_, static_cast<int>(v));
    }

  private:
    int value_ = 0;
};

// Link indicator: the tag carries the pair's state, the picture its look.
class Picture : public Control {
  public:
    using Control::Control;
    const std::string& Tag() const { return tag_; }
    void SetTag(const std::string& t) { Set(tag_, t); }
    const std::string& PictureId() const { return picture_; }
    void SetPictureId(const std::string& p) { Set(picture_, p); }
    // Layout value in twips, for indicators that the core moves.
    int Top() const { return top_; }
    void SetTop(int t) { Set(top_, t); }

  private:
    std::string tag_;
    std::string picture_;
    int top_ = 0;
};

// What happened to a list's rows, told once before the change (done false) and once after
// it (done true), so that a view can keep its rows without reading the whole list again.
enum class RowChange { Inserted, Removed, Changed, Reset };
struct RowEvent {
    RowChange change;
    std::size_t first;
    std::size_t count;
    bool done;
};

// List box or combo box. Head removal and tail appends are cheap (deque).
class ListBox : public Control {
  public:
    using Control::Control;

    // The one view of the rows (the window's list model); none when headless.
    std::function<void(const RowEvent&)> rowListener;

    const std::deque<std::string>& Items() const { return items_; }
    std::size_t ListCount() const { return items_.size(); }
    const std::string& Item(std::size_t i) const { return items_.at(i); }
    long ItemData(std::size_t i) const { return i < data_.size() ? data_[i] : 0; }

    void AddItem(const std::string& text, long itemData = 0);
    void RemoveItem(std::size_t i);
    void RemoveFirst();
    void Clear();
    void SetItem(std::size_t i, const std::string& text);

    // Selected row (single selection), -1 when none.
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int i);
    bool Selected(std::size_t i) const { return static_cast<int>(i) == listIndex_; }
    // First visible row.
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int i) { Set(topIndex_, i); }
    // Text of the selected item, empty when none.
    std::string Text() const;
    // Layout value in twips, for lists that the core moves.
    int Top() const { return top_; }
    void SetTop(int t) { Set(top_, t); }

  private:
    std::deque<std::string> items_;
    std::deque<long> data_;
    int listIndex_ = -1;
    int topIndex_ = 0;
    int top_ = 0;

    void TellRows(RowChange change, std::size_t first, std::size_t count, bool done) const {
        if (rowListener) rowListener(RowEvent{change, first, count, done});
    }
};

}  // namespace vfs
