#include "app/AboutBox.h"

#include "framework/LDialogBox.h"
#include "framework/LException.h"
#include "report/NewVersionDialog.h"
#include "report/ParamText.h"
#include "report/ReportResources.h"

#include <memory>

void RunAboutBox(LCommander* superCommander)
{
    std::unique_ptr<LWindow> window(LWindow::CreateWindow(kAboutBoxLayout, superCommander));
    auto* dialog = ThrowIfNil_(dynamic_cast<LDialogBox*>(window.get()));
    if (LPane* version = dialog->FindPaneByID(FourCC("Vers")))
        version->SetDescriptor(
            ParamText(version->GetDescriptor(), { UResources::GetIndString(kKelvaraStrings, kVersionTextItem) }));
    if (LPane* link = dialog->FindPaneByID(msg_AboutWebPage)) {
        std::string webPage = UResources::GetIndString(kKelvaraStrings, kWebSiteItem);
        link->SetDescriptor(webPage);
        if (webPage.empty())
            link->Hide();
    }
    MessageT hit = 0;
    while (hit != msg_OK && hit != msg_Cancel) {
        hit = dialog->DoDialog();
        if (hit == msg_AboutWebPage)
            NewVersionDialog::VisitWebsite();
    }
}
