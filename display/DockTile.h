// The application's 128x128 tile: drawn through a Core Graphics-style context into an image that becomes
// the application's window icon. Where the desktop has a system tray, the tray icon shows the tile's number
// at tray sizes (a TrayPicture), and the tile itself at larger ones.
#pragma once

#include "display/TrayPicture.h"

#include <QIcon>
#include <QImage>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CGContext;
class DockTray;
class QPainter;

class DockTile {
public:
    static constexpr int kSize = 128;

    static DockTile* Get();
    // For tests: deletes the instance, so that the next Get starts afresh.
    static void DeleteInstanceForTesting();

    ~DockTile();

    DockTile(const DockTile&) = delete;
    DockTile& operator=(const DockTile&) = delete;

    // A context over the tile's image, origin at the bottom left, with its defaults (black stroke, width 1).
    // The image keeps what was drawn before. A drawing left open (an exception ended it) is dropped.
    CGContext* BeginCGContext();
    // Shows what was drawn and releases the context; any other context is ignored. Showing a picture the
    // same as the one shown changes nothing on screen.
    void EndCGContext(CGContext* context);
    // A drawing that describes everything it shows in a text is not made again while the tile shows it:
    // whether the tile shows the drawing so described, and the description of the drawing being made.
    bool Shows(const std::string& description) const;
    void DescribeDrawing(const std::string& description);
    // Shows the application's own icon.
    void RestoreApplicationImage();
    // The tile's pixels per point: 2 draws 256 x 256 pixels for a screen at 200 %. Starts at the
    // application's ratio; the next drawing starts afresh.
    void SetDevicePixelRatio(qreal ratio);

    // The tray icon's tool tip: text ("Kelvara" and a line for each sensor at its limit), then the lines
    // of SetTrayReadings that it does not name already.
    void SetToolTip(const std::string& text);
    const std::string& GetToolTip() const { return mToolTip; }
    // One line ("name: value") for each sensor the tile shows.
    void SetTrayReadings(const std::vector<std::string>& lines);
    std::string GetTrayToolTip() const;
    // What the tray icon shows at tray sizes; none shows the tile there too.
    void SetTrayPicture(const std::optional<TrayPicture>& picture);
    const std::optional<TrayPicture>& GetTrayPicture() const { return *mTrayPicture; }
    // The tray icon, as the tray draws it at pixels x pixels.
    QImage TrayImage(int pixels) const;
    // A tray that Qt reaches over D-Bus has registered its host: the tray icon is made now, if it was not.
    void TrayHostRegistered();
    bool HasTrayIcon() const { return mTray != nullptr; }
    // Shows a message at the tray icon; false when there is no tray icon to show it.
    bool ShowTrayMessage(const std::string& title, const std::string& text);

    // What the tile shows now.
    const QImage& GetShownImage() const { return *mShown; }
    bool IsShowingApplicationImage() const { return mShowingApplicationImage; }

private:
    DockTile();
    void CloseDrawing();
    void Show(const QImage& image);
    void MakeTrayIcon();
    void ShowTrayIcon();

    QImage mCanvas;
    // Shared with the icon, which paints it wherever the desktop shows the tile.
    std::shared_ptr<QImage> mShown;
    QIcon mIcon;
    bool mIconShown = false;
    std::string mDrawingDescription;
    std::string mShownDescription;
    bool mShowingApplicationImage = false;
    std::string mToolTip = "Kelvara";
    std::vector<std::string> mTrayReadings;
    std::shared_ptr<std::optional<TrayPicture>> mTrayPicture;
    QIcon mTrayIcon;
    std::unique_ptr<QPainter> mPainter;
    std::unique_ptr<CGContext> mContext;
    std::unique_ptr<DockTray> mTray;

    static DockTile* sInstance;
};

// The platform's names for the same operations.
CGContext* BeginCGContextForApplicationDockTile();
void EndCGContextForApplicationDockTile(CGContext* context);
void RestoreApplicationDockTileImage();
