#include "ui/clickable_label.h"

#include <QMouseEvent>

namespace vfs::ui {

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) emit clicked();
    QLabel::mousePressEvent(event);
}

}  // namespace vfs::ui
