#include "display/TrayIconEngine.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

TrayIconEngine::TrayIconEngine(
    std::shared_ptr<const std::optional<TrayPicture>> picture, std::shared_ptr<const QImage> tile)
    : mPicture(std::move(picture))
    , mTile(std::move(tile))
{
}

QImage TrayIconEngine::Image(int pixels) const
{
    pixels = std::max(1, pixels);
    if (*mPicture && pixels <= TrayPicture::kLargestSize)
        return (*mPicture)->Image(pixels);
    if (mTile->isNull()) {
        QImage empty(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        return empty;
    }
    QImage tile = *mTile;
    tile.setDevicePixelRatio(1.0);
    if (tile.width() == pixels && tile.height() == pixels)
        return tile;
    return tile.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void TrayIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State)
{
    qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    int pixels = static_cast<int>(std::min(rect.width(), rect.height()) * ratio + 0.5);
    QImage image = Image(pixels);
    image.setDevicePixelRatio(ratio);
    QSizeF shown = QSizeF(image.size()) / ratio;
    QPointF corner(rect.x() + (rect.width() - shown.width()) / 2, rect.y() + (rect.height() - shown.height()) / 2);
    painter->drawImage(corner, image);
}

QPixmap TrayIconEngine::pixmap(const QSize& size, QIcon::Mode, QIcon::State)
{
    return QPixmap::fromImage(Image(std::min(size.width(), size.height())));
}

QSize TrayIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State)
{
    int side = std::min(size.width(), size.height());
    return { side, side };
}

QList<QSize> TrayIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (int side : kSizes)
        sizes.append(QSize(side, side));
    sizes.append(mTile->size());
    return sizes;
}

QIconEngine* TrayIconEngine::clone() const
{
    return new TrayIconEngine(mPicture, mTile);
}

QString TrayIconEngine::key() const
{
    return QStringLiteral("KelvaraTray");
}
