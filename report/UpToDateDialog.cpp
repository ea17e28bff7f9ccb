#include "report/UpToDateDialog.h"

#include "framework/LDialogBox.h"
#include "framework/LException.h"
#include "framework/LStaticText.h"
#include "report/ReportResources.h"

#include <memory>

void RunUpToDateDialog(LCommander* superCommander)
{
    std::unique_ptr<LWindow> window(LWindow::CreateWindow(kUpToDateLayout, superCommander));
    auto* dialog = ThrowIfNil_(dynamic_cast<LDialogBox*>(window.get()));
    if (auto* version = dynamic_cast<LStaticText*>(dialog->FindPaneByID(FourCC("Vers")))) {
        std::string text = version->GetDescriptor();
        if (size_t at = text.find("^0"); at != std::string::npos)
            text.replace(at, 2, UResources::GetIndString(kKelvaraStrings, kVersionTextItem));
        version->SetDescriptor(text);
    }
    MessageT hit = 0;
    while (hit != msg_OK && hit != msg_Cancel)
        hit = dialog->DoDialog();
}
