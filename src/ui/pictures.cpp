#include "ui/pictures.h"

#include <QFile>
#include <QHash>

namespace vfs::ui {

namespace {

// Members of a picture set are named like control array members, "taskBarScanIcon(7)";
// their files are "taskBarScanIcon7".
QString PicturePath(const std::string& id) {
    QString name = QString::fromStdString(id);
    name.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    return QStringLiteral(":/pictures/") + name;
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
