#include "app/SaveFailureDialog.h"

#include "framework/LPushButton.h"
#include "report/ParamText.h"

namespace {

constexpr PaneIDT kReasonPane = FourCC("Why ");

}

SaveFailureDialog::SaveFailureDialog(const LPaneEntry& layout)
    : ReportDialog(layout)
{
}

void SaveFailureDialog::FinishCreateSelf()
{
    for (PaneIDT button : { msg_QuitKelvara, msg_GoOnWithoutSaving })
        FindPane<LPushButton>(button)->AddListener(this);
    ReportDialog::FinishCreateSelf();
}

void SaveFailureDialog::SetProblem(const std::string& folder, const std::string& reason)
{
    LPane* text = FindPane<LPane>(kReasonPane);
    text->SetDescriptor(ParamText(text->GetDescriptor(), { folder, reason }));
}

void SaveFailureDialog::ListenToMessage(MessageT message, void* parameter)
{
    switch (message) {
    case msg_QuitKelvara:
        CloseSoon();
        ThrowIfNil_(GetSuperCommander())->ObeyCommand(cmd_Quit, nullptr);
        break;
    case msg_GoOnWithoutSaving:
        CloseSoon();
        break;
    default:
        ReportDialog::ListenToMessage(message, parameter);
        break;
    }
}
