#include "report/UpToDateDialog.h"

#include "framework/LDialogBox.h"
#include "framework/LException.h"
#include "report/ParamText.h"
#include "report/ReportResources.h"

#include <memory>

void RunUpToDateDialog(LCommander* superCommander)
{
    std::unique_ptr<LWindow> window(LWindow::CreateWindow(kUpToDateLayout, superCommander));
    auto* dialog = ThrowIfNil_(dynamic_cast<LDialogBox*>(window.get()));
    if (LPane* version = dialog->FindPaneByID(FourCC("Vers")))
        version->SetDescriptor(
            ParamText(version->GetDescriptor(), { UResources::GetIndString(kKelvaraStrings, kVersionTextItem) }));
    MessageT hit = 0;
    while (hit != msg_OK && hit != msg_Cancel)
        hit = dialog->DoDialog();
}
