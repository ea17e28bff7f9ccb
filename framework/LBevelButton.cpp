#include "framework/LBevelButton.h"

#include <cstdint>

namespace {

constexpr size_t kMostMenuItems = INT16_MAX;

}

LBevelButton::LBevelButton(PaneIDT paneID, MenuBehavior behavior)
    : mPaneID(paneID)
    , mBehavior(behavior)
{
}

void LBevelButton::AppendMenuItem(const Str255& text)
{
    if (mItems.size() >= kMostMenuItems)
        return;
    mItems.push_back(MenuItem { text, noMark });
    if (mCurrentItem == 0) {
        mCurrentItem = 1;
        if (mBehavior == MenuBehavior::SingleChoice)
            mItems.front().mark = checkMark;
    }
    Changed();
}

void LBevelButton::RemoveAllMenuItems()
{
    mItems.clear();
    mCurrentItem = 0;
    Changed();
}

void LBevelButton::GetMenuItemText(int16_t item, Str255& outText) const
{
    if (IsValidItem(item))
        outText = mItems[static_cast<size_t>(item - 1)].text;
    else
        outText.fill(0);
}

uint16_t LBevelButton::GetMenuItemMark(int16_t item) const
{
    return IsValidItem(item) ? mItems[static_cast<size_t>(item - 1)].mark : noMark;
}

void LBevelButton::SetMenuItemMark(int16_t item, uint16_t mark)
{
    if (!IsValidItem(item))
        return;
    mItems[static_cast<size_t>(item - 1)].mark = mark;
    Changed();
}

void LBevelButton::SetCurrentMenuItem(int16_t item)
{
    if (!IsValidItem(item))
        return;
    mCurrentItem = item;
    if (mBehavior == MenuBehavior::SingleChoice) {
        for (MenuItem& each : mItems)
            each.mark = noMark;
        mItems[static_cast<size_t>(item - 1)].mark = checkMark;
    }
    Changed();
}

void LBevelButton::UserChoseItem(int16_t item)
{
    if (!mEnabled || !IsValidItem(item))
        return;
    if (mBehavior == MenuBehavior::MultiCheck) {
        MenuItem& chosen = mItems[static_cast<size_t>(item - 1)];
        chosen.mark = chosen.mark == checkMark ? noMark : checkMark;
        mCurrentItem = item;
        Changed();
    } else {
        SetCurrentMenuItem(item);
    }
    int32_t chosenItem = item;
    BroadcastMessage(mPaneID, &chosenItem);
}

void LBevelButton::SetEnabled(bool enabled)
{
    if (mEnabled == enabled)
        return;
    mEnabled = enabled;
    Changed();
}

void LBevelButton::Changed()
{
    if (mChangeHandler)
        mChangeHandler();
}
