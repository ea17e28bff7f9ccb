// The window that compares machine models: a pop-up menu of every model in the comparison database,
// preset to this machine's own, the chosen model's measurements in a view, and their credits below.
#pragma once

#include "framework/LBroadcaster.h"
#include "framework/LListener.h"
#include "framework/LWindow.h"

class ComparisonWindowView;
class LBevelButton;
class LPane;

class ComparisonWindow : public LWindow, public LBroadcaster, public LListener {
public:
    static constexpr PaneIDT kSystemPopupID = FourCC("Syst");
    static constexpr PaneIDT kViewID = FourCC("Cviw");
    static constexpr PaneIDT kCreditsID = FourCC("Cred");

    explicit ComparisonWindow(const LPaneEntry& layout);
    ~ComparisonWindow() override;

    // Shows the model that the pop-up menu names now, and its credits.
    void SetGraphToSystemFromMenu();

    void ListenToMessage(MessageT message, void* parameter) override;
    // The view's image is as tall as the view, which follows the window.
    void DoSetBounds(const Rect& bounds) override;

    LBevelButton* GetSystemPopup() const { return mSystemPopup; }
    ComparisonWindowView* GetView() const { return mView; }
    LPane* GetCreditsText() const { return mCredits; }

protected:
    void FinishCreateSelf() override;

private:
    LBevelButton* mSystemPopup = nullptr;
    ComparisonWindowView* mView = nullptr;
    LPane* mCredits = nullptr;
};
