// Tells the user that the version check failed: its result code, and a sentence saying what went wrong.
#pragma once

#include "report/ReportDialog.h"

class NewVersionFailDialog : public ReportDialog {
public:
    static constexpr ClassIDT class_ID = FourCC("FltD");
    static constexpr ResIDT kLayout = 135;
    // String list 135 holds the sentence for code n as item n, and one for any other code after them.
    static constexpr ResIDT kReasonStrings = 135;
    static constexpr int16_t kUnknownReasonItem = 7;

    explicit NewVersionFailDialog(const LPaneEntry& layout);

    // Shows code as a number, with its sentence.
    void SetFailureCode(int32_t code);

    // "OK" closes.
    void ListenToMessage(MessageT message, void* parameter) override;

protected:
    void FinishCreateSelf() override;
};
