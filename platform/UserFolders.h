// Where the current user's preferences (configuration) live.
#pragma once

#include <functional>
#include <string>

class UserFolders {
public:
    virtual ~UserFolders() = default;
    // The user's preferences folder; empty when there is none.
    virtual std::string PreferencesFolder() = 0;
};

// $XDG_CONFIG_HOME when it is set and absolute, else $HOME/.config.
class LinuxUserFolders : public UserFolders {
public:
    using Environment = std::function<const char*(const char* name)>;
    explicit LinuxUserFolders(Environment environment = {});
    std::string PreferencesFolder() override;

private:
    Environment mEnvironment;
};
