#include "display/DockTile.h"

#include "display/ApplicationIcon.h"
#include "display/DockTray.h"
#include "framework/CGContext.h"
#include "framework/LException.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <cmath>

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
{
    // As many pixels as the screens show for the tile: the task bar and the tray draw it sharp at 200 %.
    qreal ratio = 1.0;
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ratio = gui->devicePixelRatio();
    SetDevicePixelRatio(ratio);
    // A tray icon needs widgets. It is made whether or not the desktop has a tray now: at login the tray
    // often starts after the programs, and the icon then appears in it.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        mTray = std::make_unique<DockTray>();
}

DockTile::~DockTile()
{
    CloseDrawing();
}

void DockTile::SetDevicePixelRatio(qreal ratio)
{
    CloseDrawing();
    int pixels = static_cast<int>(std::ceil(kSize * ratio));
    mCanvas = QImage(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    mCanvas.setDevicePixelRatio(ratio);
    mCanvas.fill(Qt::transparent);
}

CGContext* DockTile::BeginCGContext()
{
    CloseDrawing();
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
    Show(mCanvas);
}

void DockTile::RestoreApplicationImage()
{
    mShowingApplicationImage = true;
    Show(ApplicationIcon::Image());
}

void DockTile::SetToolTip(const std::string& text)
{
    if (text == mToolTip)
        return;
    mToolTip = text;
    if (mTray)
        mTray->SetToolTip(text);
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
    mShown = image;
    // Icons are pixmaps, which exist only in a GUI application.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    QIcon icon(QPixmap::fromImage(image));
    QGuiApplication::setWindowIcon(icon);
    if (mTray)
        mTray->SetIcon(icon);
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
