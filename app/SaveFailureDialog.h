// Tells the user that Kelvara cannot save what it records (its folder cannot be made or written, or a save
// failed), naming the folder and the reason, without holding anything up: the user quits, or goes on
// without saving.
#pragma once

#include "report/ReportDialog.h"

#include <string>

class SaveFailureDialog : public ReportDialog {
public:
    static constexpr ClassIDT class_ID = FourCC("SavF");
    static constexpr ResIDT kLayout = 137;
    static constexpr MessageT msg_QuitKelvara = FourCC("Quit");
    static constexpr MessageT msg_GoOnWithoutSaving = FourCC("GoOn");

    explicit SaveFailureDialog(const LPaneEntry& layout);

    void SetProblem(const std::string& folder, const std::string& reason);

    // "Quit" quits Kelvara, through its normal path; "Go On Without Saving" closes.
    void ListenToMessage(MessageT message, void* parameter) override;

protected:
    void FinishCreateSelf() override;
};
