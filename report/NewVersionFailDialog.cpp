#include "report/NewVersionFailDialog.h"

#include "framework/LPushButton.h"
#include "framework/LStaticText.h"
#include "report/NewVersionDialog.h"

namespace {

constexpr PaneIDT kCodePane = FourCC("Code");
constexpr PaneIDT kReasonPane = FourCC("Why ");

}

NewVersionFailDialog::NewVersionFailDialog(const LPaneEntry& layout)
    : ReportDialog(layout)
{
}

void NewVersionFailDialog::FinishCreateSelf()
{
    FindPane<LPushButton>(msg_NewVersionOK)->AddListener(this);
    ReportDialog::FinishCreateSelf();
}

void NewVersionFailDialog::SetFailureCode(int32_t code)
{
    FindPane<LStaticText>(kCodePane)->SetValue(code);
    int16_t item = code >= 1 && code < kUnknownReasonItem ? static_cast<int16_t>(code) : kUnknownReasonItem;
    if (auto* reason = dynamic_cast<LStaticText*>(FindPaneByID(kReasonPane)))
        reason->SetDescriptor(UResources::GetIndString(kReasonStrings, item));
}

void NewVersionFailDialog::ListenToMessage(MessageT message, void* parameter)
{
    if (message == msg_NewVersionOK)
        CloseSoon();
    else
        ReportDialog::ListenToMessage(message, parameter);
}
