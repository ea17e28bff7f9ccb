// A radio button with a title: value 1 when on, 0 when off. Its radio group turns the others off; the user
// can only turn a radio button on.
#pragma once

#include "framework/LControl.h"

#include <string_view>

class QRadioButton;

class LStdRadioButton : public LControl {
public:
    // From a layout: "title" and "value" (0 or 1).
    explicit LStdRadioButton(const LPaneEntry& entry);
    LStdRadioButton(const SPaneInfo& info, std::string_view title, int32_t value);

    std::string GetDescriptor() const override;
    void SetDescriptor(std::string_view title) override;

protected:
    void ShowValue() override;

private:
    QRadioButton* Button() const;
};
