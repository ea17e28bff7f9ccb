// Alerts: message boxes whose texts are resources keyed by alert number.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using ResIDT = int16_t;

struct AlertText {
    std::string kind; // "stop", "caution" or "note"
    std::string title;
    std::string text;
    std::string detail;
};

class UModalAlerts {
public:
    // Shows the alert and waits until the user dismisses it.
    static void StopAlert(ResIDT alertID);
    // The same with the detail said at run time (what was written where, or why not) in place of the
    // resource's.
    static void ShowAlert(ResIDT alertID, const std::string& detail);
    // The same, for a message that nobody needs to answer: it closes by itself once the seconds have passed.
    static void ShowAlert(ResIDT alertID, const std::string& detail, int closeAfterSeconds);

    // The texts of an alert resource; throws nilP for an alert that the program does not have.
    static AlertText GetAlertText(ResIDT alertID);

    // Tests see alerts through a handler instead of a modal message box.
    using Handler = std::function<void(ResIDT alertID, const AlertText& text)>;
    static void SetHandler(Handler handler);
};
