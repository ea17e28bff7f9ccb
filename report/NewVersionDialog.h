// Tells the user that a different version of Kelvara is published, and offers its web page.
#pragma once

#include "report/ReportDialog.h"

#include <string>

constexpr MessageT msg_DontTellAgain = FourCC("NewI");
constexpr MessageT msg_NewVersionOK = FourCC("OK  ");
constexpr MessageT msg_VisitWebSite = FourCC("NewD");

class NewVersionDialog : public ReportDialog {
public:
    static constexpr ClassIDT class_ID = FourCC("NewD");
    static constexpr ResIDT kLayout = 134;

    explicit NewVersionDialog(const LPaneEntry& layout);

    // "Don't Tell Me Again" turns the version check at start-up off, "Visit Web Site" opens the product's
    // web page; each closes the dialog, as "OK" does.
    void ListenToMessage(MessageT message, void* parameter) override;

    // Shows which version is published (beside this one) and the start of its release notes, as the
    // product-information file gives them.
    void SetPublishedVersion(const std::string& version, const std::string& releaseNotes);

    // Opens the product's web page in the user's browser; one beep when that fails.
    static void VisitWebsite();

protected:
    void FinishCreateSelf() override;
};
