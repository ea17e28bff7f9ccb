// Brings a window to the front for a launch that another program handed over, with the token the launcher
// gave that launch, so that a window manager that keeps programs from stealing the focus lets it through:
// on X11 the startup notification's id (its time stamp, and the notification's end), on Wayland the
// xdg-activation token, which Qt uses when the window next asks for activation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class QWidget;

class WindowActivation {
public:
    // Raises and activates window, which must be shown, using whichever token fits the window system.
    static void Activate(QWidget& window, const std::string& startupId, const std::string& activationToken);

    // The time stamp of an X11 startup id ("..._TIME12345"), which tells the window manager when the user
    // launched; nullopt when the id carries none.
    static std::optional<uint32_t> StartupTime(const std::string& startupId);
};
