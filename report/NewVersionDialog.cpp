#include "report/NewVersionDialog.h"

#include "framework/LPushButton.h"
#include "framework/USound.h"
#include "platform/Platform.h"
#include "prefs/Preferences.h"
#include "report/ReportResources.h"

NewVersionDialog::NewVersionDialog(const LPaneEntry& layout)
    : ReportDialog(layout)
{
}

void NewVersionDialog::FinishCreateSelf()
{
    for (PaneIDT button : { msg_DontTellAgain, msg_NewVersionOK, msg_VisitWebSite })
        FindPane<LPushButton>(button)->AddListener(this);
    ReportDialog::FinishCreateSelf();
}

void NewVersionDialog::ListenToMessage(MessageT message, void* parameter)
{
    switch (message) {
    case msg_DontTellAgain:
        Preferences::Get()->SetVersionCheck(false);
        CloseSoon();
        break;
    case msg_NewVersionOK:
        CloseSoon();
        break;
    case msg_VisitWebSite:
        if (!IsClosing())
            VisitWebsite();
        CloseSoon();
        break;
    default:
        ReportDialog::ListenToMessage(message, parameter);
        break;
    }
}

void NewVersionDialog::VisitWebsite()
{
    if (!Platform::Launcher().LaunchURL(UResources::GetIndString(kKelvaraStrings, kWebSiteItem)))
        SysBeep(10);
}
