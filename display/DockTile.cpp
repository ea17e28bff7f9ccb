#include "display/DockTile.h"

#include "display/ApplicationIcon.h"
#include "display/DockTray.h"
#include "display/TrayIconEngine.h"
#include "framework/CGContext.h"
#include "framework/LException.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <cmath>

namespace {

// The windows' and the tray's icon for the whole run: it paints whatever the tile shows at the moment it
// is asked. (A new icon at every redraw makes the X11 side of Qt keep a little memory each time, and the
// pixmap cache a whole tile.)
class TileIconEngine : public QIconEngine {
public:
    explicit TileIconEngine(std::shared_ptr<const QImage> shown)
        : mShown(std::move(shown))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state));
    }

    // The picture at its own size, or smoothly shrunk to fit a smaller one.
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const QImage& shown = *mShown;
        if (shown.width() <= size.width() && shown.height() <= size.height())
            return QPixmap::fromImage(shown);
        return QPixmap::fromImage(shown.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        QSize own = mShown->size();
        return own.width() <= size.width() && own.height() <= size.height() ? own
                                                                            : own.scaled(size, Qt::KeepAspectRatio);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return { mShown->size() }; }
    QIconEngine* clone() const override { return new TileIconEngine(mShown); }
    QString key() const override { return QStringLiteral("KelvaraTile"); }

private:
    std::shared_ptr<const QImage> mShown;
};

}

DockTile* DockTile::sInstance = nullptr;

DockTile* DockTile::Get()
{
    if (sInstance == nullptr)
        sInstance = ThrowIfNil_(new DockTile);
    return sInstance;
}

void DockTile::DeleteInstanceForTesting()
{
    delete sInstance;
    sInstance = nullptr;
}

DockTile::DockTile()
    : mShown(std::make_shared<QImage>())
    , mTrayPicture(std::make_shared<std::optional<TrayPicture>>())
{
    // As many pixels as the screens show for the tile: the task bar and the tray draw it sharp at 200 %.
    qreal ratio = 1.0;
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ratio = gui->devicePixelRatio();
    SetDevicePixelRatio(ratio);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
        mTrayIcon = QIcon(new TrayIconEngine(mTrayPicture, mShown));
    // A tray icon needs widgets. On X11 it is made whether or not the desktop has a tray now: at login the
    // tray often starts after the programs, and the icon then appears in it. A tray reached over D-Bus
    // (Wayland's) is looked for once per run by Qt, so the icon waits until a tray host has registered.
    if (!DockTray::WaitsForHost())
        MakeTrayIcon();
}

void DockTile::MakeTrayIcon()
{
    if (mTray || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    mTray = std::make_unique<DockTray>();
    mTray->SetToolTip(GetTrayToolTip());
    if (mIconShown)
        ShowTrayIcon();
}

void DockTile::TrayHostRegistered()
{
    DockTray::NoteHostRegistered();
    MakeTrayIcon();
}

DockTile::~DockTile()
{
    CloseDrawing();
}

void DockTile::SetDevicePixelRatio(qreal ratio)
{
    CloseDrawing();
    mShownDescription.clear();
    int pixels = static_cast<int>(std::ceil(kSize * ratio));
    mCanvas = QImage(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    mCanvas.setDevicePixelRatio(ratio);
    mCanvas.fill(Qt::transparent);
}

CGContext* DockTile::BeginCGContext()
{
    CloseDrawing();
    mDrawingDescription.clear();
    mPainter = std::make_unique<QPainter>(&mCanvas);
    mContext = std::make_unique<CGContext>(*mPainter, kSize);
    return mContext.get();
}

void DockTile::EndCGContext(CGContext* context)
{
    if (context == nullptr || context != mContext.get())
        return;
    CloseDrawing();
    mShowingApplicationImage = false;
    mShownDescription = mDrawingDescription;
    Show(mCanvas);
}

bool DockTile::Shows(const std::string& description) const
{
    return !mShowingApplicationImage && !description.empty() && description == mShownDescription;
}

void DockTile::DescribeDrawing(const std::string& description)
{
    mDrawingDescription = description;
}

void DockTile::RestoreApplicationImage()
{
    mShowingApplicationImage = true;
    mShownDescription.clear();
    Show(ApplicationIcon::Image());
}

void DockTile::SetToolTip(const std::string& text)
{
    if (text == mToolTip)
        return;
    mToolTip = text;
    if (mTray)
        mTray->SetToolTip(GetTrayToolTip());
}

void DockTile::SetTrayReadings(const std::vector<std::string>& lines)
{
    if (lines == mTrayReadings)
        return;
    mTrayReadings = lines;
    if (mTray)
        mTray->SetToolTip(GetTrayToolTip());
}

std::string DockTile::GetTrayToolTip() const
{
    // A sensor at its limit is named once, with its limit.
    std::string text = mToolTip;
    for (const std::string& line : mTrayReadings) {
        std::string name = line.substr(0, line.rfind(": ") + 2);
        if (("\n" + mToolTip).find("\n" + name) == std::string::npos)
            text += "\n" + line;
    }
    return text;
}

void DockTile::SetTrayPicture(const std::optional<TrayPicture>& picture)
{
    if (picture == *mTrayPicture)
        return;
    *mTrayPicture = picture;
    if (mIconShown)
        ShowTrayIcon();
}

QImage DockTile::TrayImage(int pixels) const
{
    return TrayIconEngine(mTrayPicture, mShown).Image(pixels);
}

void DockTile::ShowTrayIcon()
{
    // The same icon each time: the tray asks it for the new picture.
    if (mTray && !mTrayIcon.isNull())
        mTray->SetIcon(mTrayIcon);
}

bool DockTile::ShowTrayMessage(const std::string& title, const std::string& text)
{
    if (!mTray)
        return false;
    mTray->ShowMessage(title, text);
    return true;
}

void DockTile::CloseDrawing()
{
    mContext.reset();
    mPainter.reset();
}

void DockTile::Show(const QImage& image)
{
    if (mIconShown && image == *mShown && image.devicePixelRatio() == mShown->devicePixelRatio())
        return;
    *mShown = image;
    // Icons are pixmaps, which exist only in a GUI application.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    // The same icon each time, whose picture has changed: the windows and the tray ask it for the new one.
    if (!mIconShown)
        mIcon = QIcon(new TileIconEngine(mShown));
    mIconShown = true;
    QGuiApplication::setWindowIcon(mIcon);
    ShowTrayIcon();
}

CGContext* BeginCGContextForApplicationDockTile()
{
    return DockTile::Get()->BeginCGContext();
}

void EndCGContextForApplicationDockTile(CGContext* context)
{
    DockTile::Get()->EndCGContext(context);
}

void RestoreApplicationDockTileImage()
{
    DockTile::Get()->RestoreApplicationImage();
}
