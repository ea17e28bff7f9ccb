// A modal dialog built from a layout: DoDialog handles one event and returns the message of the button
// the user hit (900 OK, 901 Cancel), 0 when none.
#pragma once

#include "framework/LListener.h"
#include "framework/LPushButton.h"
#include "framework/LWindow.h"

class LDialogBox : public LWindow, public LListener {
public:
    explicit LDialogBox(const LPaneEntry& layout);

    MessageT DoDialog();
    void ListenToMessage(MessageT message, void* parameter) override;

    // Closing the dialog's window counts as Cancel.
    void AttemptClose() override;

protected:
    void FinishCreateSelf() override;

private:
    void ListenToButtons(LView* view);

    MessageT mLastMessage = 0;
};
