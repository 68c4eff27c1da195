// Binds the form model's controls to their widgets, once each. A model change is copied
// into the widget under a signal blocker, so it never looks like the operator's action; a
// widget's signal writes the model first and then calls the program's handler.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "form/form_model.h"
#include "ui/clickable_label.h"

namespace vfs::ui {

using Handler = std::function<void()>;

class FormBinding {
  public:
    explicit FormBinding(FormModel& form);
    // Binds the controls of another plain-data window (the folder chooser) that announces
    // its changes through its own notifier.
    explicit FormBinding(ChangeNotifier& notifier);
    ~FormBinding();
    FormBinding(const FormBinding&) = delete;
    FormBinding& operator=(const FormBinding&) = delete;

    // Calls refresh now and after every change of the named control.
    void OnChange(const std::string& controlName, std::function<void()> refresh);

    // The widgets, each under its control's name.
    QLabel* Label(vfs::Label& model, QWidget* parent, QRect design);
    // A button without a caption of its own in the model shows the fallback caption.
    QPushButton* Button(vfs::Button& model, QWidget* parent, QRect design, Handler onClick,
                        const QString& fallbackCaption = {});
    QLineEdit* Text(TextBox& model, QWidget* parent, QRect design, Handler onEdited = {});
    QCheckBox* Check(CheckBox& model, QWidget* parent, QRect design, Handler onClick);
    QRadioButton* Option(OptionButton& model, QWidget* parent, QRect design, Handler onClick);
    QComboBox* Combo(ListBox& model, QWidget* parent, QRect design, Handler onClick);
    // A list view over the model's rows; the selection and the first visible row follow the
    // model both ways.
    QListView* List(ListBox& model, QWidget* parent, QRect design, Handler onClick,
                    Handler onScroll = {}, Handler onDoubleClick = {});
    QProgressBar* Bar(ProgressBar& model, QWidget* parent, QRect design);
    ClickableLabel* Indicator(Picture& model, QWidget* parent, QRect design, Handler onClick);
    QWidget* Frame(vfs::Frame& model, QWidget* parent, QRect design);

  private:
    void Dispatch(const std::string& controlName);

    ChangeNotifier& notifier_;
    std::unordered_map<std::string, std::vector<std::function<void()>>> refreshers_;
};

// Objectname of a control: "cmdPage(2)" becomes "cmdPage_2".
QString ObjectName(const std::string& controlName);

}  // namespace vfs::ui
