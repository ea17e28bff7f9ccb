// The tile in the desktop's system tray, with a menu that sends the application's main commands.
#pragma once

#include "framework/FourCharCode.h"

#include <memory>

class QIcon;
class QMenu;
class QSystemTrayIcon;

class DockTray {
public:
    static constexpr CommandT cmd_NewDataWindow = FourCC("RawD");
    static constexpr CommandT cmd_NewGraphWindow = 2;

    // The icon stays hidden until it is given its first picture. Needs a QApplication.
    DockTray();
    ~DockTray();

    DockTray(const DockTray&) = delete;
    DockTray& operator=(const DockTray&) = delete;

    void SetIcon(const QIcon& icon);
    QMenu* GetMenu() const { return mMenu.get(); }

private:
    void AddCommand(const char* title, CommandT command);

    // The tray icon does not own its menu: the menu must outlive it.
    std::unique_ptr<QMenu> mMenu;
    std::unique_ptr<QSystemTrayIcon> mIcon;
};
