// The bearer token that a scrape must present, read from a file only its owner can read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class MetricsToken {
public:
    // The file's first line without its trailing white space; nullopt with error saying why when the file
    // cannot be read, is empty, or the group or others may read it (anyone who can read it can scrape).
    static std::optional<MetricsToken> ReadFile(const std::string& path, std::string& error);
    explicit MetricsToken(std::string token)
        : mToken(std::move(token))
    {
    }

    // Whether an Authorization header carries "Bearer <token>"; takes the same time whatever the header
    // holds, so that the time it takes tells nothing of the token.
    bool Admits(std::string_view authorization) const;

private:
    std::string mToken;
};
