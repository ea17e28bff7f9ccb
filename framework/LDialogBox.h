// A modal dialog built from a layout, without a menu bar: DoDialog handles one event and returns the
// message of the button the user hit (900 OK, 901 Cancel), 0 when none. Keys that the control with the
// focus does not use come to the dialog: Return and Enter click the default button; Escape clicks the
// cancel button, or, without one, counts as the layout's "escapeMessage" (Cancel, which closes the dialog,
// unless the layout says otherwise; 0 for nothing).
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
    bool HandleKeyPress(int key) override;

protected:
    void FinishCreateSelf() override;

private:
    void ListenToButtons(LView* view);
    LPushButton* FindButton(LView* view, bool (LPushButton::*which)() const) const;

    MessageT mLastMessage = 0;
    MessageT mEscapeMessage;
};
