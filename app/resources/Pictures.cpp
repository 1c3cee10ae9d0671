#include "app/resources/Pictures.h"

#include <vector>

#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

namespace nemora::app {
namespace {

QString IconPath(int id) {
    return QStringLiteral(":/nemora/pictures/icon%1.ico").arg(id);
}

std::vector<QImage> IconImages(int id) {
    std::vector<QImage> images;
    QImageReader reader(IconPath(id));
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i)) break;
        QImage image = reader.read();
        if (!image.isNull()) images.push_back(image);
    }
    return images;
}

// The icon's picture `size` pixels square.
QImage IconPixels(int id, int size) {
    if (size <= 0) return {};
    const QImage* best = nullptr;
    const std::vector<QImage> images = IconImages(id);
    for (const QImage& image : images) {
        const bool fits = image.width() >= size;
        const bool bestFits = best && best->width() >= size;
        if (!best || (fits && (!bestFits || image.width() < best->width())) ||
            (!fits && !bestFits && image.width() > best->width())) {
            best = &image;
        }
    }
    if (!best) return {};
    if (best->width() == size && best->height() == size) return *best;
    return best->scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QImage Pictures::Bitmap(int id, qreal ratio) {
    if (ratio > 1) {
        QImage doubled(QStringLiteral(":/nemora/pictures/logo%1@2x.bmp").arg(id));
        if (!doubled.isNull()) {
            doubled.setDevicePixelRatio(2);
            return doubled;
        }
    }
    return QImage(QStringLiteral(":/nemora/pictures/logo%1.bmp").arg(id));
}

QImage Pictures::Icon(int id, int size, qreal ratio) {
    QImage icon = IconPixels(id, qRound(size * ratio));
    icon.setDevicePixelRatio(ratio);
    return icon;
}

QIcon Pictures::WindowIcon(int id) {
    QIcon icon;
    for (const QImage& image : IconImages(id)) icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

QPixmap Pictures::Vector(const QString& name, int size, qreal ratio, const QColor& colour) {
    QSvgRenderer renderer(QStringLiteral(":/nemora/pictures/%1.svg").arg(name));
    if (!renderer.isValid() || size <= 0) return {};
    const int pixels = qRound(size * ratio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    // The picture is a shape: it takes the colour it is shown in.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), colour);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

}  // namespace nemora::app
