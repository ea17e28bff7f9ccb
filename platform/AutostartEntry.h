// The desktop's autostart entry that starts Kelvara when the user logs in:
// <configuration folder>/autostart/kelvara.desktop, as the XDG autostart rules place it.
#pragma once

#include <string>

class AutostartEntry {
public:
    // configurationFolder: $XDG_CONFIG_HOME, or ~/.config (the user's preferences folder).
    explicit AutostartEntry(std::string configurationFolder);

    std::string GetPath() const;

    // Whether the desktop starts Kelvara at login: the entry is there and not turned off (desktops keep
    // an entry that the user turned off in their own settings, marked Hidden=true or
    // X-GNOME-Autostart-enabled=false).
    bool IsEnabled() const;
    // Writes the entry (atomically) so that it starts program; false, with the reason on standard error,
    // when it cannot be written.
    bool Enable(const std::string& program) const;
    // Removes the entry; false, with the reason on standard error, when it is there and cannot be removed.
    bool Disable() const;

    // The entry's text for program, its path quoted as the desktop entry rules ask.
    static std::string MakeEntryText(const std::string& program);
    // The path of the program that is running now; empty when the system does not say.
    static std::string RunningProgram();

private:
    std::string mConfigurationFolder;
};
