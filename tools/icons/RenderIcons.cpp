// kelvara_render_icons <hicolor folder> <size>...: writes the application icon as
// scalable/apps/kelvara.svg and as <size>x<size>/apps/kelvara.png for every size given, all drawn by the
// program's own icon code, so the installed icons show exactly what the windows and the tray show.
#include "SvgPaintDevice.h"
#include "display/ApplicationIcon.h"
#include "framework/CGContext.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

namespace {

bool MakeFolderFor(const QString& path)
{
    if (QDir().mkpath(QFileInfo(path).path()))
        return true;
    std::fprintf(stderr, "kelvara_render_icons: cannot make the folder of %s\n", qPrintable(path));
    return false;
}

bool WriteSvg(const QString& path)
{
    SvgPaintDevice device(ApplicationIcon::kSize);
    QPainter painter(&device);
    {
        CGContext context(painter, ApplicationIcon::kSize);
        ApplicationIcon::Draw(context);
    }
    painter.end();
    if (device.LeftOut() != 0) {
        std::fprintf(
            stderr, "kelvara_render_icons: the icon draws %d things an SVG path cannot hold\n", device.LeftOut());
        return false;
    }
    QFile file(path);
    std::string document = device.Document();
    if (!MakeFolderFor(path) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(document.data(), static_cast<qint64>(document.size())) != static_cast<qint64>(document.size())) {
        std::fprintf(stderr, "kelvara_render_icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool WritePng(const QString& path, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(
        pixels / static_cast<double>(ApplicationIcon::kSize), pixels / static_cast<double>(ApplicationIcon::kSize));
    {
        CGContext context(painter, ApplicationIcon::kSize);
        ApplicationIcon::Draw(context);
    }
    painter.end();
    if (!MakeFolderFor(path) || !image.save(path, "PNG")) {
        std::fprintf(stderr, "kelvara_render_icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}

int main(int argc, char** argv)
{
    // Fonts, which the drawing context sets up, need a GUI application; no display is needed.
    QGuiApplication application(argc, argv);
    QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: kelvara_render_icons <hicolor folder> <size>...\n");
        return 2;
    }
    QString folder = arguments[1];
    bool written = WriteSvg(folder + "/scalable/apps/kelvara.svg");
    for (int i = 2; i < arguments.size(); ++i) {
        bool number = false;
        int pixels = arguments[i].toInt(&number);
        if (!number || pixels < 1 || pixels > 1024) {
            std::fprintf(stderr, "kelvara_render_icons: %s is no icon size\n", qPrintable(arguments[i]));
            return 2;
        }
        written = WritePng(QStringLiteral("%1/%2x%2/apps/kelvara.png").arg(folder).arg(pixels), pixels) && written;
    }
    return written ? 0 : 1;
}
