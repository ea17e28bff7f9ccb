#include "framework/LBevelButton.h"

#include "framework/LBevelButtonWidget.h"

#include <cstdint>

namespace {

constexpr size_t kMostMenuItems = INT16_MAX;

}

LBevelButton::LBevelButton(PaneIDT paneID, MenuBehavior behavior)
    : LBevelButton(SPaneInfo { paneID, 0, 0, 120, 22, true, true, {} }, behavior)
{
}

LBevelButton::LBevelButton(const SPaneInfo& info, MenuBehavior behavior, std::string_view title)
    : LPane(info, new LBevelButtonWidget)
    , mBehavior(behavior)
    , mTitle(title)
{
    GetButtonWidget()->Attach(this);
}

LBevelButton::LBevelButton(const LPaneEntry& entry)
    : LBevelButton(entry.GetPaneInfo(),
        entry.GetString("menu") == "single" ? MenuBehavior::SingleChoice : MenuBehavior::MultiCheck,
        entry.GetString("title"))
{
    for (const std::string& item : entry.GetStrings("items"))
        AppendMenuItem(item);
    if (entry.Has("current"))
        SetCurrentMenuItem(static_cast<int16_t>(entry.GetInt("current")));
    SetOffersAllAndNone(entry.GetBool("allNone", false));
}

LBevelButton::~LBevelButton()
{
    if (LBevelButtonWidget* widget = GetButtonWidget())
        widget->Attach(nullptr);
}

LBevelButtonWidget* LBevelButton::GetButtonWidget() const
{
    return static_cast<LBevelButtonWidget*>(GetWidget());
}

void LBevelButton::SetDescriptor(std::string_view title)
{
    mTitle = title;
    Changed();
}

void LBevelButton::AppendMenuItem(const Str255& text)
{
    AppendItem(MenuItem { text, noMark, false, {} });
}

void LBevelButton::AppendMenuItemWithMarkup(std::string_view text)
{
    AppendItem(MenuItem { MakeStr255(text), noMark, text.starts_with('-'), {} });
}

void LBevelButton::AppendItem(MenuItem item)
{
    if (mItems.size() >= kMostMenuItems)
        return;
    mItems.push_back(item);
    if (mCurrentItem == 0 && !item.separator) {
        mCurrentItem = CountMenuItems();
        if (mBehavior == MenuBehavior::SingleChoice)
            mItems.back().mark = checkMark;
    }
    Changed();
}

bool LBevelButton::IsMenuItemSeparator(int16_t item) const
{
    return IsValidItem(item) && mItems[static_cast<size_t>(item - 1)].separator;
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

void LBevelButton::SetMenuItemLabel(int16_t item, std::string_view label)
{
    if (!IsValidItem(item) || mItems[static_cast<size_t>(item - 1)].label == label)
        return;
    mItems[static_cast<size_t>(item - 1)].label = label;
    Changed();
}

Str255 LBevelButton::GetMenuItemLabel(int16_t item) const
{
    Str255 shown {};
    if (IsValidItem(item)) {
        const MenuItem& entry = mItems[static_cast<size_t>(item - 1)];
        shown = entry.label.empty() ? entry.text : MakeStr255(entry.label);
    }
    return shown;
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
    if (!IsChoosableItem(item))
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
    if (!IsEnabled() || !IsChoosableItem(item))
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
    BroadcastMessage(GetPaneID(), &chosenItem);
}

void LBevelButton::SetOffersAllAndNone(bool offers)
{
    mOffersAllAndNone = offers && mBehavior == MenuBehavior::MultiCheck;
    Changed();
}

void LBevelButton::UserChoseAll(bool checked)
{
    if (!IsEnabled() || mBehavior != MenuBehavior::MultiCheck)
        return;
    for (MenuItem& item : mItems) {
        if (!item.separator)
            item.mark = checked ? checkMark : noMark;
    }
    Changed();
    int32_t noItem = 0;
    BroadcastMessage(GetPaneID(), &noItem);
}

void LBevelButton::Changed()
{
    if (mChangeHandler)
        mChangeHandler();
}
