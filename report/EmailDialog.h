// Asks whether to prepare the temperature record as an e-mail to the program's makers, and hands the
// message to the user's mail program, where the user adds the name to credit and sends it.
#pragma once

#include "report/ReportDialog.h"

#include <string>

constexpr MessageT msg_PrepareRecord = FourCC("RmPr");
constexpr MessageT msg_DeclineRecord = FourCC("RmNo");

class EmailDialog : public ReportDialog {
public:
    static constexpr ClassIDT class_ID = FourCC("EmaD");
    static constexpr ResIDT kLayout = 9;

    explicit EmailDialog(const LPaneEntry& layout);

    // "Prepare Message…" prepares the message and closes; "Not Now" closes.
    void ListenToMessage(MessageT message, void* parameter) override;

    // Composes the record and hands it to the mail program; one beep when that fails.
    void PrepareMessage();
    // The record of this machine and its sensors, as PrepareMessage composes it.
    static std::string ComposeMessage();

protected:
    // Without a mail program the message cannot be prepared: the button is disabled and a note says why.
    void FinishCreateSelf() override;
};
