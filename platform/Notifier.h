// Desktop notifications: a short message that the desktop shows outside the program's windows.
#pragma once

#include <string>

class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows the message; a desktop that cannot show it gets it on standard error instead.
    virtual void Notify(const std::string& title, const std::string& text) = 0;
};
