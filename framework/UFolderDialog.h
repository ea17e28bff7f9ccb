// Asking the user for a folder, with the desktop's own folder chooser.
#pragma once

#include <functional>
#include <optional>
#include <string>

class UFolderDialog {
public:
    // The folder chosen, or nullopt when the user cancelled. Runs modally over the active window.
    static std::optional<std::string> ChooseFolder(const std::string& title, const std::string& startFolder);

    // Tests answer in place of the user (an empty chooser restores the desktop's).
    using Chooser = std::function<std::optional<std::string>(const std::string& title, const std::string& startFolder)>;
    static void SetChooser(Chooser chooser);
};
