// The tile in the desktop's system tray, with a menu that sends the application's main commands.
#pragma once

#include "framework/FourCharCode.h"

#include <memory>
#include <optional>
#include <string>

class QIcon;
class QMenu;
class QSystemTrayIcon;

class DockTray {
public:
    static constexpr CommandT cmd_NewDataWindow = FourCC("RawD");
    static constexpr CommandT cmd_NewGraphWindow = 2;
    static constexpr CommandT cmd_CompareMachines = FourCC("Comp");
    static constexpr CommandT cmd_CheckForNewVersion = FourCC("ChkN");

    // The icon stays hidden until it is given its first picture. Needs a QApplication. A left click on the
    // icon asks the application for its windows (cmd_ReopenApplication).
    DockTray();
    ~DockTray();

    DockTray(const DockTray&) = delete;
    DockTray& operator=(const DockTray&) = delete;

    // Shows the picture; the icon is shown even while the desktop has no tray, so that it appears in one
    // that starts later (as trays do at login).
    void SetIcon(const QIcon& icon);
    QMenu* GetMenu() const { return mMenu.get(); }
    // The text shown when the pointer rests on the icon.
    void SetToolTip(const std::string& text);
    // A message in a balloon at the icon (or through the desktop's notifications, where the tray is one
    // that Qt reaches over D-Bus).
    void ShowMessage(const std::string& title, const std::string& text);
    // What a left click on the icon does.
    void Clicked();

    // Whether the desktop has a system tray now. Tests may decide instead (nullopt: the desktop decides).
    static bool IsAvailable();
    // On Wayland the tray is one that Qt reaches over D-Bus, and Qt decides once per run whether there is
    // one: neither the question nor the icon may come before a tray host has registered.
    static bool WaitsForHost();
    static void NoteHostRegistered();
    static void SetAvailableForTesting(std::optional<bool> available);

private:
    void AddCommand(const char* title, CommandT command);

    // The tray icon does not own its menu: the menu must outlive it.
    std::unique_ptr<QMenu> mMenu;
    std::unique_ptr<QSystemTrayIcon> mIcon;
};
