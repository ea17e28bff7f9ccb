// A push button that broadcasts its message when clicked; dialogs use 900 for OK and 901 for Cancel.
#pragma once

#include "framework/LBroadcaster.h"
#include "framework/LPane.h"

constexpr MessageT msg_OK = 900;
constexpr MessageT msg_Cancel = 901;

class LPushButton : public LPane, public LBroadcaster {
public:
    // From a layout: "title", "message" (a number or a four-character code), "default" (the button that
    // Return clicks in a dialog), "cancel" (the button that Escape clicks; also any button of message 901),
    // "link" (drawn as a link: flat, in the desktop's link colour, underlined).
    explicit LPushButton(const LPaneEntry& entry);
    LPushButton(const SPaneInfo& info, std::string_view title, MessageT message);

    MessageT GetValueMessage() const { return mMessage; }
    // The buttons that Return and Escape press in a dialog.
    bool IsDefaultButton() const;
    bool IsCancelButton() const { return mCancel || mMessage == msg_Cancel; }
    std::string GetDescriptor() const override;
    void SetDescriptor(std::string_view title) override;

    // What a click does.
    void SimulateHotSpotClick();

private:
    MessageT mMessage;
    bool mCancel = false;
};
