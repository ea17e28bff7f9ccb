#include "display/TrayPicture.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

// Digits may be narrowed down to this share of their width, so that three of them stay tall in a square.
constexpr qreal kNarrowest = 0.5;

}

TrayPicture::TrayPicture(std::string value, bool atLimit)
    : mValue(std::move(value))
    , mAtLimit(atLimit)
{
}

void TrayPicture::Paint(QPainter& painter, const QRect& rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(rect, QColor(kBackgroundColor));
    painter.setPen(QColor(kFrameColor));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));

    // The digits as outlines, scaled to the room inside the frame: their own height, not the font's (which
    // leaves room for accents and descenders), fills it. Sizes come from as many zeros as the value has
    // characters, so that a minus sign or a dash is no taller than a digit.
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(100);
    QString text = QString::fromStdString(mValue.empty() ? std::string("--") : mValue);
    QPainterPath digits;
    digits.addText(0, 0, font, text);
    QPainterPath zeros;
    zeros.addText(0, 0, font, QString(std::max<qsizetype>(2, text.size()), QLatin1Char('0')));
    QRectF shape = digits.boundingRect();
    QRectF measure = zeros.boundingRect();
    measure.setWidth(std::max(measure.width(), shape.width()));
    qreal inset = std::max<qreal>(1.5, rect.width() / 16.0);
    QRectF room = QRectF(rect).adjusted(inset, inset, -inset, -inset);
    if (!shape.isEmpty() && !measure.isEmpty() && !room.isEmpty()) {
        qreal height = room.height() / measure.height();
        qreal width = room.width() / measure.width();
        // Too wide for the room: narrower digits first, then smaller ones.
        height = std::min(height, width / kNarrowest);
        width = std::min(width, height);
        QTransform place;
        place.translate(room.center().x(), room.center().y());
        place.scale(width, height);
        place.translate(-shape.center().x(), -measure.center().y());
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(mAtLimit ? kLimitColor : kValueColor));
        painter.drawPath(place.map(digits));
    }
    painter.restore();
}

QImage TrayPicture::Image(int pixels) const
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Paint(painter, image.rect());
    return image;
}
