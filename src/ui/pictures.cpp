#include "ui/pictures.h"

#include <QFile>
#include <QHash>

namespace vfs::ui {

namespace {

QString PicturePath(const std::string& id) {
    return QStringLiteral(":/pictures/") + QString::fromStdString(id);
}

}  // namespace

QIcon PictureIcon(const std::string& id) {
    // Indicators change picture often during a scan; each picture is read once.
    static QHash<QString, QIcon> cache;
    const QString path = PicturePath(id);
    auto it = cache.find(path);
    if (it != cache.end()) return *it;
    QIcon icon;
    if (!id.empty() && QFile::exists(path)) icon = QIcon(path);
    cache.insert(path, icon);
    return icon;
}

QPixmap PicturePixmap(const std::string& id, const QSize& size) {
    const QIcon icon = PictureIcon(id);
    if (icon.isNull()) return {};
    return icon.pixmap(size);
}

}  // namespace vfs::ui
