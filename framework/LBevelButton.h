// A bevel button with a pop-up menu: items with a text and a mark character, a current item, and the
// pane ID broadcast as the message when the user picks an item.
#pragma once

#include "framework/FourCharCode.h"
#include "framework/LBroadcaster.h"
#include "framework/LPane.h"
#include "framework/PString.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// Mark characters of menu items.
constexpr uint16_t noMark = 0;
constexpr uint16_t checkMark = 18;

class LBevelButtonWidget;

class LBevelButton : public LPane, public LBroadcaster {
public:
    enum class MenuBehavior {
        // Picking an item toggles its check mark; several items may be checked at once.
        MultiCheck,
        // Picking an item makes it the current one, which alone carries the check mark.
        SingleChoice,
    };

    LBevelButton(PaneIDT paneID, MenuBehavior behavior);
    LBevelButton(const SPaneInfo& info, MenuBehavior behavior, std::string_view title = {});
    // From a layout: "menu" is "multi" or "single", "title" the face of a multi-check button, "items" the
    // menu's first items, "current" the current item, "allNone" true for a multi-check menu that offers "All"
    // and "None" above its items.
    explicit LBevelButton(const LPaneEntry& entry);
    ~LBevelButton() override;

    // The button's face for a multi-check menu; a single-choice menu shows its current item instead.
    std::string GetDescriptor() const override { return mTitle; }
    void SetDescriptor(std::string_view title) override;
    LBevelButtonWidget* GetButtonWidget() const;
    MenuBehavior GetMenuBehavior() const { return mBehavior; }

    // Items are numbered from 1. Texts are taken literally: no character has a meaning in them.
    int16_t CountMenuItems() const { return static_cast<int16_t>(mItems.size()); }
    void AppendMenuItem(const Str255& text);
    void AppendMenuItem(std::string_view text) { AppendMenuItem(MakeStr255(text)); }
    // Appends one item whose text is read as menu markup: a text that begins with a hyphen ("-----") is a
    // separator line, an item that counts like the others but cannot be chosen or made current. Other
    // texts are taken literally.
    void AppendMenuItemWithMarkup(std::string_view text);
    bool IsMenuItemSeparator(int16_t item) const;
    void RemoveAllMenuItems();

    // An item outside 1 to the count reads as an empty text with no mark; setting it does nothing.
    void GetMenuItemText(int16_t item, Str255& outText) const;
    uint16_t GetMenuItemMark(int16_t item) const;
    void SetMenuItemMark(int16_t item, uint16_t mark);
    bool IsMenuItemChecked(int16_t item) const { return GetMenuItemMark(item) == checkMark; }
    // What the menu shows for an item in place of its text (empty: the text), while the text stays what the
    // item is known by: a renamed sensor shows its new name and stays recorded by its own.
    void SetMenuItemLabel(int16_t item, std::string_view label);
    Str255 GetMenuItemLabel(int16_t item) const;

    // 0 while the menu is empty; the first item appended becomes current. An item outside 1 to the count,
    // or a separator, is ignored. A single-choice menu moves its check mark along.
    int16_t GetCurrentMenuItem() const { return mCurrentItem; }
    void SetCurrentMenuItem(int16_t item);

    // What the control does when the user picks item: the menu behaviour's change, then the pane ID
    // broadcast with a pointer to the item number (int32_t) as the parameter. Ignored while disabled, for
    // an item outside 1 to the count and for a separator.
    void UserChoseItem(int16_t item);

    // Whether the menu offers "All" and "None" above its items (a multi-check menu only); they are no items
    // of their own: the items stay numbered from 1.
    bool OffersAllAndNone() const { return mOffersAllAndNone; }
    void SetOffersAllAndNone(bool offers);
    // What choosing "All" (checked true) or "None" does: every item but the separators gets the mark or loses
    // it, and the pane ID is broadcast once, with a pointer to 0 as the item number. Ignored while disabled.
    void UserChoseAll(bool checked);

    // Called after every change of the items, marks, current item or enabled state, so that a widget
    // showing the button can follow.
    void SetChangeHandler(std::function<void()> handler) { mChangeHandler = std::move(handler); }

private:
    struct MenuItem {
        Str255 text;
        uint16_t mark;
        bool separator = false;
        std::string label;
    };

    bool IsValidItem(int16_t item) const { return item >= 1 && item <= CountMenuItems(); }
    bool IsChoosableItem(int16_t item) const { return IsValidItem(item) && !IsMenuItemSeparator(item); }
    void AppendItem(MenuItem item);
    void Changed();

    MenuBehavior mBehavior;
    std::vector<MenuItem> mItems;
    int16_t mCurrentItem = 0;
    std::string mTitle;
    bool mOffersAllAndNone = false;
    std::function<void()> mChangeHandler;
};
