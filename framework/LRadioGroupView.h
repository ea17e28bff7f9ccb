// A view whose radio buttons (its direct subpanes) keep exactly one button on: when one turns on, the
// group turns the one that was on off. Each button broadcasts its own change, the off as well as the on.
#pragma once

#include "framework/LListener.h"
#include "framework/LView.h"

class LStdRadioButton;

class LRadioGroupView : public LView, public LListener {
public:
    explicit LRadioGroupView(const LPaneEntry& entry);

    // The pane ID of the button that is on; 0 when none is.
    PaneIDT GetCurrentRadioID() const;
    // Turns that button on (and so the others off); an ID that is not one of the group's buttons changes
    // nothing.
    void SetCurrentRadioID(PaneIDT radioID);

    void ListenToMessage(MessageT message, void* parameter) override;

protected:
    void FinishCreateSelf() override;

private:
    LStdRadioButton* FindRadio(PaneIDT radioID) const;
};
