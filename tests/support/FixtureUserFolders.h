// A preferences folder for tests: a temporary folder instead of the user's own.
#pragma once

#include "platform/UserFolders.h"

#include <string>

class FixtureUserFolders : public UserFolders {
public:
    explicit FixtureUserFolders(std::string folder)
        : mFolder(std::move(folder))
    {
    }
    std::string PreferencesFolder() override { return mFolder; }

private:
    std::string mFolder;
};
