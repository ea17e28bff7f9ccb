#include "compare/ComparisonWindow.h"

#include "compare/ComparisonMaster.h"
#include "compare/ComparisonSystem.h"
#include "compare/ComparisonWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LException.h"
#include "framework/LScroller.h"
#include "util/SharedUtils.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// A divider's menu item: the leading hyphen makes it a separator line.
constexpr const char* kDividerItem = "-----";

}

ComparisonWindow::ComparisonWindow(const LPaneEntry& layout)
    : LWindow(layout)
{
}

ComparisonWindow::~ComparisonWindow() = default;

void ComparisonWindow::FinishCreateSelf()
{
    mView = ThrowIfNil_(dynamic_cast<ComparisonWindowView*>(FindPaneByID(kViewID)));
    mSystemPopup = ThrowIfNil_(dynamic_cast<LBevelButton*>(FindPaneByID(kSystemPopupID)));
    mCredits = ThrowIfNil_(FindPaneByID(kCreditsID));

    Str255 model;
    SharedUtils_GetMacName(&model);
    std::string thisMachine = Str255ToString(model);

    // Item n is entry n. The last model with this machine's identifier is preset.
    ComparisonMaster* master = ComparisonMaster::Get();
    ComparisonSystemArray* systems = master->GetSystemArray();
    int16_t preset = 1;
    for (int16_t n = 1; n <= master->GetSystemCount(); ++n) {
        ComparisonSystem* system = ThrowIfNil_((*systems)[n]);
        if (system->IsDivider()) {
            mSystemPopup->AppendMenuItemWithMarkup(kDividerItem);
            continue;
        }
        char text[ComparisonSystem::kNameSize];
        mSystemPopup->AppendMenuItem(system->GetSystemName(text));
        if (thisMachine == system->GetSystemID(text))
            preset = n;
    }
    mSystemPopup->SetCurrentMenuItem(preset);
    SetGraphToSystemFromMenu();

    mSystemPopup->AddListener(this);
    LWindow::FinishCreateSelf();
}

void ComparisonWindow::SetGraphToSystemFromMenu()
{
    Str255 itemText;
    mSystemPopup->GetMenuItemText(mSystemPopup->GetCurrentMenuItem(), itemText);
    std::string chosen = Str255ToString(itemText);

    ComparisonMaster* master = ComparisonMaster::Get();
    ComparisonSystemArray* systems = master->GetSystemArray();
    if (master->GetSystemCount() == 0)
        return;
    ComparisonSystem* shown = ThrowIfNil_((*systems)[1]);
    for (int16_t n = 1; n <= master->GetSystemCount(); ++n) {
        ComparisonSystem* system = ThrowIfNil_((*systems)[n]);
        char name[ComparisonSystem::kNameSize];
        if (chosen == system->GetSystemName(name)) {
            shown = system;
            break;
        }
    }

    mView->SetSystem(shown);
    // Each model is read from its first column.
    if (auto* scroller = dynamic_cast<LScroller*>(mView->GetSuperView()))
        scroller->ScrollImageTo(0);
    std::vector<char> credits(ComparisonSystem::kCreditsSize);
    mCredits->SetDescriptor(shown->GetSystemCredits(credits.data()));
}

void ComparisonWindow::ListenToMessage(MessageT message, void*)
{
    if (message != kSystemPopupID)
        return;
    SetGraphToSystemFromMenu();
    mView->Refresh();
}

void ComparisonWindow::DoSetBounds(const Rect& bounds)
{
    LWindow::DoSetBounds(bounds);
    // Qt may report a size before FinishCreateSelf has found the view.
    if (mView != nullptr)
        mView->SetImageSize();
}
