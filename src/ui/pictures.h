// The program's pictures, by the names the form model uses ("imgPathLinkActive", "cmdRun",
// ...), from the compiled-in resources under ":/pictures/". A picture that is not there
// comes back empty, so the window works (without pictures) either way.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <string>

namespace vfs::ui {

QIcon PictureIcon(const std::string& id);
QPixmap PicturePixmap(const std::string& id, const QSize& size);

}  // namespace vfs::ui
