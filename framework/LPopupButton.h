// A pop-up menu button: its value is the number (from 1) of the item it shows.
#pragma once

#include "framework/LControl.h"

#include <string>
#include <string_view>

class QComboBox;

class LPopupButton : public LControl {
public:
    // From a layout: "items" and "value" (the item shown, 1 when absent).
    explicit LPopupButton(const LPaneEntry& entry);

    int16_t CountMenuItems() const;
    // Texts are taken literally.
    void AppendMenuItem(std::string_view text);
    std::string GetMenuItemText(int16_t item) const;

protected:
    void ShowValue() override;

private:
    QComboBox* Box() const;
};
