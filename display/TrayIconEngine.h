// The tray icon for the whole run: at each size the tray asks for, it draws what the tray shows at that
// moment, so that every size is sharp (the desktop's tray may ask for 16, 22, 24, 32 or 48 pixels, and a
// D-Bus tray is sent several at once).
#pragma once

#include "display/TrayPicture.h"

#include <QIconEngine>
#include <QImage>

#include <memory>
#include <optional>

class TrayIconEngine : public QIconEngine {
public:
    // The sizes that trays use, offered as the icon's own.
    static constexpr int kSizes[] = { 16, 22, 24, 32, 48 };

    // picture: the number shown at tray sizes (none: the tile at every size); tile: the 128-pixel tile,
    // shown at larger sizes. Both are read whenever the icon is drawn.
    TrayIconEngine(std::shared_ptr<const std::optional<TrayPicture>> picture, std::shared_ptr<const QImage> tile);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

    // The picture at pixels x pixels, as the tray shows it.
    QImage Image(int pixels) const;

private:
    std::shared_ptr<const std::optional<TrayPicture>> mPicture;
    std::shared_ptr<const QImage> mTile;
};
