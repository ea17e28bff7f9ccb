// A dialog of the reporting part (the record e-mail, the version check's answers) that nothing waits for:
// while it is in front every menu command is disabled, and it closes itself when the user answers it,
// presses Escape or closes its window.
#pragma once

#include "framework/LDialogBox.h"
#include "framework/LException.h"

class ReportDialog : public LDialogBox {
public:
    explicit ReportDialog(const LPaneEntry& layout);

    void ListenToMessage(MessageT message, void* parameter) override;
    void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name) override;
    // Closing the window, or Escape without a cancel button, closes the dialog.
    void AttemptClose() override;

    bool IsClosing() const { return mClosing; }

protected:
    // Hides the dialog at once and deletes it once the click that closed it has been handled (the button
    // that broadcast it belongs to the dialog).
    void CloseSoon();

    // The pane paneID as a T; throws nilP when the dialog has no such pane.
    template <typename T> T* FindPane(PaneIDT paneID) { return ThrowIfNil_(dynamic_cast<T*>(FindPaneByID(paneID))); }

private:
    bool mClosing = false;
};
