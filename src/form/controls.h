// Value types for the main window's controls. The core reads and writes these; the window
// (when there is one) renders them. Every setter that changes something tells the form's
// listener which control changed, so a window can redraw just that control.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
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
    // What the indicator tells when the pointer rests on it (why a pair stopped).
    const std::string& ToolTip() const { return toolTip_; }
    void SetToolTip(const std::string& t) { Set(toolTip_, t); }
    // Layout value in twips, for indicators that the core moves.
    int Top() const { return top_; }
    void SetTop(int t) { Set(top_, t); }

  private:
    std::string tag_;
    std::string picture_;
    std::string toolTip_;
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

// Makes the text of a list's composed rows when it is asked for. A list of a hundred
// thousand rows built from a few parts each (the task queue) keeps the parts, not the text.
class RowComposer {
  public:
    // The row's text; empty for a key the composer does not know.
    virtual std::string RowText(uint64_t key) const = 0;

  protected:
    ~RowComposer() = default;
};

// List box or combo box. Head removal and tail appends are cheap (deque). A row has a text
// of its own, or is composed: its text is made by the list's composer from the row's key
// whenever it is read, and nothing but the key is kept.
class ListBox : public Control {
  public:
    using Control::Control;

    // The one view of the rows (the window's list model); none when headless.
    std::function<void(const RowEvent&)> rowListener;

    std::vector<std::string> Items() const;
    std::size_t ListCount() const { return rows_.size(); }
    std::string Item(std::size_t i) const;
    long ItemData(std::size_t i) const { return i < rows_.size() ? rows_[i].data : 0; }
    // The key of a composed row; nothing for a row with a text of its own or off the list.
    std::optional<uint64_t> ComposedKey(std::size_t i) const;

    void AddItem(const std::string& text, long itemData = 0);
    // Appends a row whose text `composer` makes from `key`; the composer must outlive the
    // row (one composer serves the whole list).
    void AddComposedItem(const RowComposer& composer, uint64_t key, long itemData = 0);
    void RemoveItem(std::size_t i);
    void RemoveFirst();
    void Clear();
    // The row gets this text of its own; a composed row stops being composed unless the text
    // is the one it shows already.
    void SetItem(std::size_t i, const std::string& text);

    // Selected row (single selection), -1 when none.
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int i);
    bool Selected(std::size_t i) const { return static_cast<int>(i) == listIndex_; }
    // First visible row.
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int i) { Set(topIndex_, i); }
    // How many rows the list's view shows in full; 0 while no view has said (headless), so
    // whoever scrolls the list keeps to its own count then.
    int LinesInView() const { return linesInView_; }
    void SetLinesInView(int n) { linesInView_ = n < 0 ? 0 : n; }
    // Text of the selected item, empty when none.
    std::string Text() const;
    // Layout value in twips, for lists that the core moves.
    int Top() const { return top_; }
    void SetTop(int t) { Set(top_, t); }

  private:
    // 24 bytes a row: the text of its own (never null for such a row) with its length, or,
    // with no text, the key of a composed row.
    struct Row {
        std::unique_ptr<char[]> text;
        uint64_t sizeOrKey = 0;
        long data = 0;
    };
    static Row TextRow(const std::string& text, long data);
    void Append(Row row);

    std::deque<Row> rows_;
    const RowComposer* composer_ = nullptr;
    int listIndex_ = -1;
    int topIndex_ = 0;
    int linesInView_ = 0;
    int top_ = 0;

    void TellRows(RowChange change, std::size_t first, std::size_t count, bool done) const {
        if (rowListener) rowListener(RowEvent{change, first, count, done});
    }
};

}  // namespace vfs
