// A picture or text that answers a click, for the link indicators and the notification
// icon's stand-in on the top bar.
#pragma once

#include <QLabel>

namespace vfs::ui {

class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace vfs::ui
