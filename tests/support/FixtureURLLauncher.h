// A URL hand-off for tests, which sees what would have been launched instead of launching it.
#pragma once

#include "platform/URLLauncher.h"

#include <string>
#include <vector>

class FixtureURLLauncher : public URLLauncher {
public:
    bool HasHandlerFor(const std::string& scheme) override
    {
        asked.push_back(scheme);
        return hasHandler;
    }
    bool LaunchURL(const std::string& text) override
    {
        launched.push_back(text);
        return launchSucceeds;
    }

    bool hasHandler = true;
    bool launchSucceeds = true;
    std::vector<std::string> asked;
    std::vector<std::string> launched;
};
