#include "ui/form_list_model.h"

namespace vfs::ui {

FormListModel::FormListModel(ListBox& list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {
    list_.rowListener = [this](const RowEvent& event) { OnRows(event); };
}

FormListModel::~FormListModel() {
    list_.rowListener = nullptr;
}

int FormListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(list_.ListCount());
}

QVariant FormListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    return QString::fromStdString(list_.Item(static_cast<std::size_t>(index.row())));
}

void FormListModel::OnRows(const RowEvent& event) {
    const int first = static_cast<int>(event.first);
    const int last = first + static_cast<int>(event.count) - 1;
    switch (event.change) {
        case RowChange::Inserted:
            if (!event.done) {
                beginInsertRows({}, first, last);
            } else {
                endInsertRows();
            }
            break;
        case RowChange::Removed:
            if (!event.done) {
                beginRemoveRows({}, first, last);
            } else {
                endRemoveRows();
            }
            break;
        case RowChange::Reset:
            if (!event.done) {
                beginResetModel();
            } else {
                endResetModel();
            }
            break;
        case RowChange::Changed:
            emit dataChanged(index(first), index(last));
            break;
    }
}

}  // namespace vfs::ui
