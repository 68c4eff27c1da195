// A list box of the form model as a Qt list model. The rows are the model's own items; the
// model's row events become beginInsertRows/beginRemoveRows/beginResetModel around the
// change, so appending a line or taking the head task never resets the view.
#pragma once

#include <QAbstractListModel>

#include "form/controls.h"

namespace vfs::ui {

class FormListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    FormListModel(ListBox& list, QObject* parent);
    ~FormListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    void OnRows(const RowEvent& event);

    ListBox& list_;
};

}  // namespace vfs::ui
