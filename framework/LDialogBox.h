// A modal dialog built from a layout: DoDialog handles one event and returns the message of the button
// the user hit (900 OK, 901 Cancel), 0 when none. Return and Enter click the default button, Escape the
// cancel button (or, without one, close the dialog as Cancel), unless the control with the focus uses the
// key itself.
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

    // What the keys do; false when the key means nothing to the dialog.
    bool HandleDialogKey(int qtKey);

protected:
    void FinishCreateSelf() override;

private:
    void ListenToButtons(LView* view);
    LPushButton* FindButton(LView* view, bool (LPushButton::*which)() const) const;

    MessageT mLastMessage = 0;
};
