#include "ui/form_binding.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QSignalBlocker>

#include "ui/form_list_model.h"
#include "ui/pictures.h"
#include "ui/twips.h"

namespace vfs::ui {

namespace {

QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Captions keep the original line breaks (CR LF); Qt breaks a line on LF alone.
QString Caption(const std::string& text) {
    QString caption = Qs(text);
    caption.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return caption;
}

// A label shows "&&" as one "&", as the program's captions were written for.
QString LabelCaption(const std::string& text) {
    QString caption = Caption(text);
    caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return caption;
}

// A caption that does not fit a button's width goes on two lines, broken at the blank
// nearest its middle, when the button is tall enough for them.
QString FitToButton(const QPushButton* button, const QString& caption) {
    const QFontMetrics metrics(button->font());
    if (caption.contains(QLatin1Char('\n')) ||
        metrics.horizontalAdvance(caption) + 8 <= button->width() ||
        button->height() < 2 * metrics.lineSpacing() + 6) {
        return caption;
    }
    int best = -1;
    for (int i = caption.indexOf(QLatin1Char(' ')); i >= 0;
         i = caption.indexOf(QLatin1Char(' '), i + 1)) {
        if (best < 0 || std::abs(i - caption.size() / 2) < std::abs(best - caption.size() / 2))
            best = i;
    }
    if (best < 0) return caption;
    QString wrapped = caption;
    wrapped[best] = QLatin1Char('\n');
    return wrapped;
}

void Common(QWidget* widget, const Control& model) {
    widget->setVisible(model.Visible());
    widget->setEnabled(model.Enabled());
}

// A control that the core moves carries its top in the model (0 until first placed).
void MoveToTop(QWidget* widget, int topTwips) {
    if (topTwips != 0) widget->move(widget->x(), Px(topTwips));
}

void Place(QWidget* widget, const std::string& name, QRect design) {
    widget->setObjectName(ObjectName(name));
    widget->setGeometry(design);
}

void FillItems(QComboBox* combo, const ListBox& model) {
    bool same = combo->count() == static_cast<int>(model.ListCount());
    for (int i = 0; same && i < combo->count(); ++i)
        same = combo->itemText(i).toStdString() == model.Item(static_cast<std::size_t>(i));
    if (same) return;
    combo->clear();
    for (const std::string& item : model.Items())
        combo->addItem(Qs(item));
}

}  // namespace

QString ObjectName(const std::string& controlName) {
    QString name = Qs(controlName);
    name.replace(QLatin1Char('('), QLatin1Char('_'));
    name.remove(QLatin1Char(')'));
    return name;
}

FormBinding::FormBinding(FormModel& form) : FormBinding(form.notifier) {}

FormBinding::FormBinding(ChangeNotifier& notifier) : notifier_(notifier) {
    notifier_.listener = [this](const std::string& name) { Dispatch(name); };
}

FormBinding::~FormBinding() {
    notifier_.listener = nullptr;
}

void FormBinding::OnChange(const std::string& controlName, std::function<void()> refresh) {
    refresh();
    refreshers_[controlName].push_back(std::move(refresh));
}

void FormBinding::Dispatch(const std::string& controlName) {
    auto it = refreshers_.find(controlName);
    if (it == refreshers_.end()) return;
    for (const auto& refresh : it->second)
        refresh();
}

QLabel* FormBinding::Label(vfs::Label& model, QWidget* parent, QRect design) {
    auto* label = new QLabel(parent);
    Place(label, model.Name(), design);
    OnChange(model.Name(), [label, &model] {
        label->setText(LabelCaption(model.Caption()));
        label->setToolTip(Qs(model.ToolTip()));
        QFont font = label->font();
        font.setBold(model.Bold());
        label->setFont(font);
        MoveToTop(label, model.Top());
        Common(label, model);
    });
    return label;
}

QPushButton* FormBinding::Button(vfs::Button& model, QWidget* parent, QRect design, Handler onClick,
                                 const QString& fallbackCaption) {
    auto* button = new QPushButton(parent);
    Place(button, model.Name(), design);
    button->setFocusPolicy(Qt::TabFocus);
    OnChange(model.Name(), [button, &model, fallbackCaption] {
        const QSignalBlocker blocker(button);
        button->setText(FitToButton(
            button, model.Caption().empty() ? fallbackCaption : Caption(model.Caption())));
        button->setToolTip(Qs(model.ToolTip()));
        if (!model.Picture().empty()) {
            // A picture button shows its own picture for the disabled state, not a greyed
            // copy of the enabled one.
            QIcon icon = PictureIcon(model.Picture());
            const QIcon disabled = PictureIcon(model.DisabledPicture());
            if (!disabled.isNull())
                icon.addPixmap(disabled.pixmap(button->iconSize()), QIcon::Disabled);
            button->setIcon(icon);
        }
        QFont font = button->font();
        font.setBold(model.Bold());
        button->setFont(font);
        MoveToTop(button, model.Top());
        if (model.Height() != 0) button->resize(button->width(), Px(model.Height()));
        Common(button, model);
    });
    QObject::connect(button, &QPushButton::clicked, button, [onClick] {
        if (onClick) onClick();
    });
    return button;
}

QLineEdit* FormBinding::Text(TextBox& model, QWidget* parent, QRect design, Handler onEdited) {
    auto* edit = new QLineEdit(parent);
    Place(edit, model.Name(), design);
    OnChange(model.Name(), [edit, &model] {
        const QSignalBlocker blocker(edit);
        // Setting the same text again would move the cursor of someone typing.
        const QString text = Qs(model.Text());
        if (edit->text() != text) edit->setText(text);
        MoveToTop(edit, model.Top());
        Common(edit, model);
    });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&model, onEdited](const QString& text) {
        model.SetText(text.toStdString());
        if (onEdited) onEdited();
    });
    return edit;
}

QCheckBox* FormBinding::Check(CheckBox& model, QWidget* parent, QRect design, Handler onClick) {
    auto* box = new QCheckBox(parent);
    Place(box, model.Name(), design);
    OnChange(model.Name(), [box, &model] {
        const QSignalBlocker blocker(box);
        box->setText(Caption(model.Caption()));
        box->setChecked(model.Checked());
        Common(box, model);
    });
    QObject::connect(box, &QCheckBox::clicked, box, [&model, onClick](bool checked) {
        model.SetValue(checked ? 1 : 0);
        if (onClick) onClick();
    });
    return box;
}

QRadioButton* FormBinding::Option(OptionButton& model, QWidget* parent, QRect design,
                                  Handler onClick) {
    auto* option = new QRadioButton(parent);
    Place(option, model.Name(), design);
    option->setAutoExclusive(false);  // the model decides which one is chosen
    OnChange(model.Name(), [option, &model] {
        const QSignalBlocker blocker(option);
        option->setText(Caption(model.Caption()));
        option->setChecked(model.Checked());
        Common(option, model);
    });
    QObject::connect(option, &QRadioButton::clicked, option, [&model, option, onClick] {
        model.SetValue(1);
        {
            const QSignalBlocker blocker(option);
            option->setChecked(model.Checked());
        }
        if (onClick) onClick();
    });
    return option;
}

QComboBox* FormBinding::Combo(ListBox& model, QWidget* parent, QRect design, Handler onClick) {
    auto* combo = new QComboBox(parent);
    Place(combo, model.Name(), design);
    OnChange(model.Name(), [combo, &model] {
        const QSignalBlocker blocker(combo);
        FillItems(combo, model);
        combo->setCurrentIndex(model.ListIndex());
        Common(combo, model);
    });
    QObject::connect(combo, &QComboBox::activated, combo, [&model, onClick](int index) {
        model.SetListIndex(index);
        if (onClick) onClick();
    });
    return combo;
}

QListView* FormBinding::List(ListBox& model, QWidget* parent, QRect design, Handler onClick,
                             Handler onScroll, Handler onDoubleClick) {
    auto* view = new QListView(parent);
    Place(view, model.Name(), design);
    view->setModel(new FormListModel(model, view));
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QScrollBar* scroll = view->verticalScrollBar();
    OnChange(model.Name(), [view, scroll, &model] {
        const QSignalBlocker viewBlocker(view);
        const QSignalBlocker selectionBlocker(view->selectionModel());
        const QSignalBlocker scrollBlocker(scroll);
        const QModelIndex current = view->selectionModel()->currentIndex();
        const int wanted = model.ListIndex();
        if (wanted < 0) {
            if (view->selectionModel()->hasSelection()) view->selectionModel()->clear();
        } else if (current.row() != wanted || !view->selectionModel()->isSelected(current)) {
            view->selectionModel()->setCurrentIndex(view->model()->index(wanted, 0),
                                                    QItemSelectionModel::ClearAndSelect);
        }
        if (scroll->value() != model.TopIndex()) scroll->setValue(model.TopIndex());
        view->viewport()->update();
        MoveToTop(view, model.Top());
        Common(view, model);
    });
    QObject::connect(view, &QListView::clicked, view, [&model, onClick](const QModelIndex& index) {
        model.SetListIndex(index.row());
        if (onClick) onClick();
    });
    QObject::connect(view, &QListView::doubleClicked, view,
                     [&model, onDoubleClick](const QModelIndex& index) {
                         model.SetListIndex(index.row());
                         if (onDoubleClick) onDoubleClick();
                     });
    QObject::connect(scroll, &QScrollBar::valueChanged, view, [&model, onScroll](int value) {
        if (model.TopIndex() == value) return;
        model.SetTopIndex(value);
        if (onScroll) onScroll();
    });
    // A model that grows scrolls through the range change, not the value: the first
    // visible row is put back as the model has it.
    QObject::connect(scroll, &QScrollBar::rangeChanged, view, [scroll, &model](int, int) {
        const QSignalBlocker blocker(scroll);
        scroll->setValue(model.TopIndex());
    });
    return view;
}

QProgressBar* FormBinding::Bar(ProgressBar& model, QWidget* parent, QRect design) {
    auto* bar = new QProgressBar(parent);
    Place(bar, model.Name(), design);
    bar->setRange(0, 100);
    bar->setTextVisible(false);
    OnChange(model.Name(), [bar, &model] {
        bar->setValue(model.Value());
        Common(bar, model);
    });
    return bar;
}

ClickableLabel* FormBinding::Indicator(Picture& model, QWidget* parent, QRect design,
                                       Handler onClick) {
    auto* indicator = new ClickableLabel(parent);
    Place(indicator, model.Name(), design);
    indicator->setAlignment(Qt::AlignCenter);
    OnChange(model.Name(), [indicator, &model] {
        indicator->setPixmap(PicturePixmap(model.PictureId(), indicator->size()));
        indicator->setProperty("tag", Qs(model.Tag()));
        indicator->setProperty("picture", Qs(model.PictureId()));
        indicator->setToolTip(Qs(model.ToolTip()));
        MoveToTop(indicator, model.Top());
        Common(indicator, model);
    });
    QObject::connect(indicator, &ClickableLabel::clicked, indicator, [onClick] {
        if (onClick) onClick();
    });
    return indicator;
}

QWidget* FormBinding::Frame(vfs::Frame& model, QWidget* parent, QRect design) {
    auto* frame = new QWidget(parent);
    Place(frame, model.Name(), design);
    OnChange(model.Name(), [frame, &model] {
        MoveToTop(frame, model.Top());
        Common(frame, model);
    });
    return frame;
}

}  // namespace vfs::ui
