// An on/off check box with a title: value 1 when checked, 0 when not.
#pragma once

#include "framework/LControl.h"

#include <string_view>

class QCheckBox;

class LStdCheckBox : public LControl {
public:
    // From a layout: "title" and "value" (0 or 1).
    explicit LStdCheckBox(const LPaneEntry& entry);
    LStdCheckBox(const SPaneInfo& info, std::string_view title, int32_t value);

    std::string GetDescriptor() const override;
    void SetDescriptor(std::string_view title) override;

protected:
    void ShowValue() override;

private:
    QCheckBox* Box() const;
};
