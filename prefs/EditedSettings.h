// The settings a dialog edits, each stored back only when the user changed its control, so that a stored
// value the control cannot show (from a damaged file, or a newer Kelvara) is kept as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

class LBevelButton;
class LControl;

class EditedSettings {
public:
    // What a control shows, in a form that compares equal when it shows the same.
    using ControlState = std::vector<int32_t>;

    // A setting: how to read what its control shows, and how to store the control into the settings.
    void Add(std::function<ControlState()> shown, std::function<void()> store);
    // The same for the usual controls: a control's value, a menu's current item, a menu's check marks.
    void AddValue(LControl* control, std::function<void(int32_t value)> store);
    void AddCurrentItem(LBevelButton* menu, std::function<void(int16_t item)> store);
    void AddCheckMarks(LBevelButton* menu, std::function<void()> store);

    // Remembers what every control shows: called once the dialog has filled them from the settings.
    void RememberShown();
    // Stores, in the order they were added, the settings whose controls show something else than they
    // did when remembered.
    void StoreChanged() const;

private:
    struct Setting {
        std::function<ControlState()> shown;
        std::function<void()> store;
        ControlState remembered;
    };
    std::vector<Setting> mSettings;
};
