#include "prefs/EditedSettings.h"

#include "framework/LBevelButton.h"
#include "framework/LControl.h"

void EditedSettings::Add(std::function<ControlState()> shown, std::function<void()> store)
{
    mSettings.push_back(Setting { std::move(shown), std::move(store), {} });
}

void EditedSettings::AddValue(LControl* control, std::function<void(int32_t value)> store)
{
    Add([control] { return ControlState { control->GetValue() }; },
        [control, store = std::move(store)] { store(control->GetValue()); });
}

void EditedSettings::AddCurrentItem(LBevelButton* menu, std::function<void(int16_t item)> store)
{
    Add([menu] { return ControlState { menu->GetCurrentMenuItem() }; },
        [menu, store = std::move(store)] { store(menu->GetCurrentMenuItem()); });
}

void EditedSettings::AddCheckMarks(LBevelButton* menu, std::function<void()> store)
{
    Add(
        [menu] {
            ControlState marks;
            for (int16_t item = 1; item <= menu->CountMenuItems(); ++item)
                marks.push_back(menu->GetMenuItemMark(item));
            return marks;
        },
        std::move(store));
}

void EditedSettings::RememberShown()
{
    for (Setting& setting : mSettings)
        setting.remembered = setting.shown();
}

void EditedSettings::StoreChanged() const
{
    for (const Setting& setting : mSettings) {
        if (setting.shown() != setting.remembered)
            setting.store();
    }
}
