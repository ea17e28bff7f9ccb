#include "app/AboutBox.h"

#include "framework/LDialogBox.h"
#include "framework/LException.h"
#include "framework/USound.h"
#include "platform/Platform.h"
#include "report/ParamText.h"
#include "report/PlaceholderAddress.h"
#include "report/ReportResources.h"

#include <memory>

void RunAboutBox(LCommander* superCommander, const std::string& webPage)
{
    std::unique_ptr<LWindow> window(LWindow::CreateWindow(kAboutBoxLayout, superCommander));
    auto* dialog = ThrowIfNil_(dynamic_cast<LDialogBox*>(window.get()));
    if (LPane* version = dialog->FindPaneByID(FourCC("Vers")))
        version->SetDescriptor(
            ParamText(version->GetDescriptor(), { UResources::GetIndString(kKelvaraStrings, kVersionTextItem) }));
    if (LPane* link = dialog->FindPaneByID(msg_AboutWebPage)) {
        link->SetDescriptor(webPage);
        if (IsPlaceholderAddress(webPage))
            link->Hide();
    }
    MessageT hit = 0;
    while (hit != msg_OK && hit != msg_Cancel) {
        hit = dialog->DoDialog();
        if (hit == msg_AboutWebPage && !Platform::Launcher().LaunchURL(webPage))
            SysBeep(10);
    }
}
