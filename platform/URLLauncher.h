// Hands URLs to the user's chosen programs: the mail program for "mailto:" URLs, the browser for web pages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class URLLauncher {
public:
    virtual ~URLLauncher() = default;
    // Whether the desktop names a program for URLs of scheme (for example "mailto").
    virtual bool HasHandlerFor(const std::string& scheme) = 0;
    // Hands the URL's text over, percent-encoded where a URL must be; false when it could not be handed over.
    virtual bool LaunchURL(const std::string& text) = 0;

    // The text as a URL that can be handed to another program, in ASCII: line feeds, spaces, non-ASCII
    // bytes and the like are percent-encoded. The fields of a "mailto:" URL are encoded whole (a '&' or
    // '#' inside the body stays part of the body); everything from its "Body=" field on is the body.
    // Decoding the result gives the text back, byte for byte.
    static std::string EncodeForHandOff(std::string_view text);
};

// xdg-mime tells which program the desktop has for a scheme; Qt hands URLs to xdg-open.
class LinuxURLLauncher : public URLLauncher {
public:
    bool HasHandlerFor(const std::string& scheme) override;
    bool LaunchURL(const std::string& text) override;
};
