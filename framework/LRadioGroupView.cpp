#include "framework/LRadioGroupView.h"

#include "framework/LStdRadioButton.h"

LRadioGroupView::LRadioGroupView(const LPaneEntry& entry)
    : LView(entry.GetPaneInfo())
{
}

void LRadioGroupView::FinishCreateSelf()
{
    for (const auto& pane : GetSubPanes()) {
        if (auto* radio = dynamic_cast<LStdRadioButton*>(pane.get()))
            radio->AddListener(this);
    }
}

LStdRadioButton* LRadioGroupView::FindRadio(PaneIDT radioID) const
{
    for (const auto& pane : GetSubPanes()) {
        auto* radio = dynamic_cast<LStdRadioButton*>(pane.get());
        if (radio != nullptr && radio->GetPaneID() == radioID)
            return radio;
    }
    return nullptr;
}

PaneIDT LRadioGroupView::GetCurrentRadioID() const
{
    // Read from the buttons themselves, so that a listener asking in the middle of a change (between the
    // new button's on and the old one's off) gets the button that is on now.
    for (const auto& pane : GetSubPanes()) {
        auto* radio = dynamic_cast<LStdRadioButton*>(pane.get());
        if (radio != nullptr && radio->GetValue() != 0)
            return radio->GetPaneID();
    }
    return 0;
}

void LRadioGroupView::SetCurrentRadioID(PaneIDT radioID)
{
    if (LStdRadioButton* radio = FindRadio(radioID))
        radio->SetValue(1);
}

void LRadioGroupView::ListenToMessage(MessageT message, void* parameter)
{
    if (parameter == nullptr || *static_cast<int32_t*>(parameter) == 0)
        return;
    // The button that turned on broadcasts its value message; the others go off.
    for (const auto& pane : GetSubPanes()) {
        auto* radio = dynamic_cast<LStdRadioButton*>(pane.get());
        if (radio != nullptr && radio->GetValueMessage() != message)
            radio->SetValue(0);
    }
}
